// "Create New Folder": a folder named "New Folder" in the folder the file list shows.
#include "platform/controls/Dialogs.h"
#include "platform/core/ErrorNumbers.h"
#include "shared/SharedState.h"
#include "window/Lumivex1.h"

#include <QDir>
#include <QFileInfo>
#include <QTabWidget>
#include <cerrno>
#include <sys/stat.h>

void Lumivex1::CreateNewFolder()
{
    const auto say = [](const QString& text) {
        platform::dialogs().message(kProgramTitle, text, platform::Buttons::Ok, platform::Icon::None);
    };
    const QString folder = fileListFolder();
    const QString target = QDir(folder).filePath(QStringLiteral("New Folder"));
    int err = 0;
    if (folder.trimmed().isEmpty() || !QFileInfo(folder).isDir())
        err = ENOENT;
    else if (::mkdir(QFile::encodeName(target).constData(), 0777) != 0)
        err = errno;
    if (err == EEXIST) {
        say(QStringLiteral("Folder Already Exists in this Folder"));
        return;
    }
    if (err == ENOENT || err == ENOTDIR) {
        say(QStringLiteral("Please Select a Folder or Disk to Create the New Folder"));
        return;
    }
    if (err != 0) {
        // A permission or disk failure is told as what it is.
        const int number = platform::errorNumberFromErrno(err);
        say(QStringLiteral("Error -  %1 - ").arg(number) + platform::errorDescription(number));
        return;
    }
    RefreshFileList();
    if (TabStrip1->currentIndex() != 0)
        TabStrip1->setCurrentIndex(0);
    SelectFileListItem(target);
}
