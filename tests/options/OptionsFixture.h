#pragma once
// A main window started in a temporary program folder, with scripted dialogs.
#include "ScriptedDialogs.h"
#include "TestSupport.h"
#include "platform/controls/Dialogs.h"
#include "shared/SharedState.h"
#include "window/Lumivex1.h"

#include <QApplication>
#include <QCoreApplication>
#include <QImage>
#include <QWidget>
#include <gtest/gtest.h>
#include <memory>

class MainWindowTest : public ::testing::Test {
protected:
    testsupport::ProgramFolder folder{false}; // each test makes the files it needs
    platform::ScopedDialogs dialogs;
    std::unique_ptr<Lumivex1> main;
    QStringList startupMessages; // the messages of the last start

    // Starts the main window as the program does, without showing it.
    void startMain()
    {
        dialogs->messages.clear();
        main = std::make_unique<Lumivex1>(QStringList{});
        startupMessages = dialogs->texts();
        dialogs->messages.clear();
        ASSERT_EQ(QDir(gs.cProgramFolder).canonicalPath(), QDir(folder.path()).canonicalPath());
    }

    // Closes the main window as the user would (shutdown writes Options.INI).
    void closeMain()
    {
        if (main)
            main->close();
        main.reset();
        flush();
    }

    static void flush()
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }

    void TearDown() override
    {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->property("lumivexToolWindow").toBool())
                w->close();
        main.reset();
        flush();
    }

    QByteArray file(const QString& name) const { return testsupport::readFile(folder.file(name)); }
};

// The colour of one pixel of a widget as it paints.
inline QColor pixelOf(QWidget* w, int x, int y)
{
    w->ensurePolished();
    return w->grab().toImage().pixelColor(x, y);
}
