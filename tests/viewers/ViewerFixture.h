#pragma once
// A main window in a temporary program folder, with scripted dialogs, and a
// small web server on the loopback interface for internet pictures.
#include "ScriptedDialogs.h"
#include "PictureSamples.h"
#include "TestSupport.h"

#include "platform/controls/Dialogs.h"
#include "platform/imaging/Lead.h"
#include "platform/shell/ShellList.h"
#include "shared/SharedState.h"
#include "window/Lumivex1.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QHash>
#include <QListWidget>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace viewertest {

// Lets the event loop run until the condition holds (at most 20 s).
inline bool waitFor(const std::function<bool()>& done, int ms = 20000)
{
    QDeadlineTimer deadline(ms);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

// Runs the window's events until a call posted now has come round, and runs
// `then` in it: the window's event loop turns rather than waits.
inline void turnTheEventLoop(QObject* window, const std::function<void()>& then = {})
{
    bool turned = false;
    QMetaObject::invokeMethod(
        window,
        [&] {
            turned = true;
            if (then)
                then();
        },
        Qt::QueuedConnection);
    while (!turned)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

class Viewer : public ::testing::Test {
protected:
    void SetUp() override
    {
        program = std::make_unique<testsupport::ProgramFolder>();
        dialogs = std::make_unique<platform::ScopedDialogs>();
        // The tool pictures the menus use.
        const QString assets = qEnvironmentVariable("LUMIVEX_ASSETS");
        QDir().mkpath(program->file(QStringLiteral("BMPS")));
        if (!assets.isEmpty())
            QFile::copy(assets + QStringLiteral("/BMPS/Check.BMP"), program->file(QStringLiteral("BMPS/Check.BMP")));
        w = std::make_unique<Lumivex1>(QStringList{});
        w->resize(1000, 750);
        w->show();
        w->finishStartUp();
        QCoreApplication::processEvents();
        gs.fAutoPictures = true;
        gs.nPicturePage = 1;
        gs.fInternetLoading = false;
        dialogs->service.messages.clear();
    }
    void TearDown() override
    {
        w->fPictureChanged = false;
        w.reset();
        dialogs.reset();
        program.reset();
    }

    QString file(const QString& name) const { return program->file(name); }

    // Writes a picture of the size as a JPEG (or PNG for ".png").
    QString picture(const QString& name, int width = 64, int height = 48)
    {
        const QString path = file(name);
        const QImage img = samples::pattern(width, height);
        const QString ext = QFileInfo(name).suffix().toLower();
        samples::writeQt(path, img, ext == QLatin1String("png") ? "png" : ext == QLatin1String("bmp") ? "bmp" : "jpeg");
        return path;
    }

    // The user double-clicks the file in the file list, which opens it.
    void openFromFileList(const QString& path)
    {
        w->CMBFILTER->setCurrentIndex(35); // "All Files (*.*)"
        w->setFileListFolder(QFileInfo(path).path());
        QAbstractItemView* view = w->PTxShList1->currentView();
        const QString name = QFileInfo(path).fileName();
        for (int i = 0; i < w->PTxShList1->Count(); ++i)
            if (w->PTxShList1->Item(i)->Name() == name) {
                const QModelIndex index = view->model()->index(i, 0);
                view->scrollTo(index);
                testsupport::doubleClick(view->viewport(), view->visualRect(index).center());
            }
        ASSERT_EQ(gs.cCurrentPicture, path);
        ASSERT_TRUE(w->Image1->isVisible());
    }

    QStringList list3() const
    {
        QStringList out;
        for (int i = 0; i < w->List3->count(); ++i)
            out << w->List3->item(i)->text();
        return out;
    }

    QStringList texts() const { return dialogs->service.texts(); }

    std::unique_ptr<testsupport::ProgramFolder> program;
    std::unique_ptr<platform::ScopedDialogs> dialogs;
    std::unique_ptr<Lumivex1> w;
};

// The window on the screen, and a folder "pics" for the pictures the user opens.
class ShownViewer : public Viewer {
protected:
    void SetUp() override
    {
        Viewer::SetUp();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
        QDir().mkpath(file(QStringLiteral("pics")));
    }
    // Saves the picture as a PNG file in "pics".
    QString savePicture(const QString& name, const QImage& picture)
    {
        const QString path = file(QStringLiteral("pics/") + name);
        EXPECT_TRUE(picture.save(path, "PNG"));
        return path;
    }
};


} // namespace viewertest
