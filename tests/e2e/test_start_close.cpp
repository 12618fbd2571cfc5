// Plain starts and closes of the whole program, as a user makes them on a
// busy machine: the window comes up, the user closes it with the window's
// close button, and the program ends cleanly, its settings written whole.
#include "E2eSupport.h"

#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace e2e;

namespace {

ino_t inodeOf(const QString& path)
{
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_ino : 0;
}

// One start and close; an empty string when all went as it should, else
// what went wrong. early: closed as soon as the window shows, before the
// start-up has finished; else once the tip of the day is up.
QString startAndClose(const XDisplay& display, bool early)
{
    ProgramFolder folder;
    if (!folder.ok())
        return QStringLiteral("no program folder");
    const QString options = folder.file(settings::kOptionsFile);
    const ino_t before = inodeOf(options);
    Program program(folder, display.name());
    if (!program.started())
        return QStringLiteral("did not start");
    const std::optional<XWindow> main = program.waitForWindow(display, kMainTitle, 60000);
    if (!main)
        return QStringLiteral("no main window: ") + program.describeEnd();
    const auto tipShown = [&] {
        for (const XWindow& w : display.windows(program.pid()))
            if (w.title == kTipTitle)
                return true;
        return !program.running();
    };
    if (!early && (!waitUntil(tipShown, 60000) || !program.running()))
        return QStringLiteral("no tip window: ") + program.describeEnd();
    if (const QList<XWindow> boxes = display.messageBoxes(program.pid()); !boxes.isEmpty())
        return QStringLiteral("a message box: ") + boxes.first().title;
    display.closeWindow(main->id);
    if (!program.waitForExit(60000))
        return QStringLiteral("did not end after its window was closed");
    if (program.crashed() || program.exitCode() != 0)
        return program.describeEnd();
    if (inodeOf(options) == before)
        return QStringLiteral("the settings were not written");
    Options read;
    if (settings::loadOptions(options, read) != settings::LoadResult::Ok)
        return QStringLiteral("the settings written cannot be read");
    QFile f(options);
    if (!f.open(QIODevice::ReadOnly) || f.readAll() != settings::optionsText(read).toUtf8())
        return QStringLiteral("the settings written are not whole");
    return {};
}

} // namespace

// Fifty starts, run side by side on X servers of their own, while every core
// is busy: none may crash, hang or leave its settings unwritten.
TEST(StartAndClose, FiftyStartsOnABusyMachineEndCleanly)
{
    const Load load;
    const QStringList all =
        startsSideBySide(5, 10, [](const XDisplay& display, int n) { return startAndClose(display, n % 2 == 1); });
    EXPECT_TRUE(all.isEmpty()) << qPrintable(all.join(QLatin1Char('\n')));
}
