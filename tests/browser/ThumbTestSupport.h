#pragma once
// Pictures and a main window for the thumbnail, rename and properties tests.
#include "ScriptedDialogs.h"
#include "TestSupport.h"
#include "platform/controls/Dialogs.h"
#include "window/Lumivex1.h"

#include <QColor>
#include <QSize>
#include <QString>
#include <memory>

namespace thumbtest {

// A picture file of the given size in a format chosen by its extension:
// JPEG and PNG through Qt, GIF and TIFF through Magick++.
void writePicture(const QString& path, QSize size, QColor color = QColor(40, 120, 200));

// A program folder with the tool pictures, a scripted dialog service and a
// main window whose file list shows a folder of the test's own.
class MainWindowFixture {
public:
    MainWindowFixture();
    ~MainWindowFixture();
    QString folder() const { return m_pictures.path(); }
    QString file(const QString& name) const { return QDir(m_pictures.path()).filePath(name); }
    Lumivex1& w() { return *m_window; }
    platform::ScriptedDialogs& dialogs() { return m_dialogs.service; }

private:
    testsupport::ProgramFolder m_program;
    platform::ScopedDialogs m_dialogs;
    QTemporaryDir m_pictures;
    std::unique_ptr<Lumivex1> m_window;
};

// Lets the queued work of the window run until the thumbnail run is over.
bool waitForThumbnailRun(Lumivex1& w);

} // namespace thumbtest
