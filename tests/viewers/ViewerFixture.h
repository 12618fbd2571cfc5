#pragma once
// A main window in a temporary program folder, with scripted dialogs, and a
// small web server on the loopback interface for internet pictures.
#include "ScriptedDialogs.h"
#include "PictureSamples.h"
#include "TestSupport.h"

#include "platform/controls/Dialogs.h"
#include "shared/SharedState.h"
#include "window/Lumivex1.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QHash>
#include <QListWidget>
#include <QTabWidget>
#include <QTemporaryDir>
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


} // namespace viewertest
