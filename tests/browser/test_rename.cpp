// Renaming the current file, and making a new folder in the shown one.
#include "ScriptedDialogs.h"
#include "ThumbTestSupport.h"

#include "browser/Rename1.h"
#include "shared/SharedState.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

using testsupport::readFile;
using testsupport::writeFile;

namespace {

class Rename : public ::testing::Test {
protected:
    platform::ScopedDialogs dialogs;
    QTemporaryDir dir;
    QString path(const QString& name) const { return QDir(dir.path()).filePath(name); }
    QStringList entries() const { return QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden); }

    // Runs OK with the typed name on a dialog for the file; returns the dialog's result.
    int renameTo(const QString& file, const QString& typed)
    {
        gs.cCurrentFile = file;
        Rename1 d;
        EXPECT_EQ(d.Label1[2]->text(), file);
        d.Text1[1]->setText(typed);
        d.OKBtn_Click();
        return d.result();
    }
};

} // namespace

TEST_F(Rename, NewNameKeepsTheExtensionInUpperCaseAndTheBytes)
{
    const QByteArray bytes("\xFF\xD8 picture bytes \x00\x01", 19);
    writeFile(path("a.jpg"), bytes);
    EXPECT_EQ(renameTo(path("a.jpg"), "b"), QDialog::Accepted);
    EXPECT_EQ(entries(), QStringList{"b.JPG"});
    EXPECT_EQ(readFile(path("b.JPG")), bytes);
    ASSERT_EQ(dialogs->texts(), QStringList{"File Rename Successful"});
    EXPECT_EQ(dialogs->messages.first().title, "Brevanto Lumivex 3.0");
    EXPECT_EQ(gs.cCurrentFile, path("a.jpg")) << "the current file is not changed";

    // A typed extension stays part of the name; a name without a dot ends in ".".
    renameTo(path("b.JPG"), "photo.jpg");
    EXPECT_TRUE(QFile::exists(path("photo.jpg.JPG")));
    writeFile(path("plain"), "x");
    renameTo(path("plain"), "other");
    EXPECT_TRUE(QFile::exists(path("other.")));
}

TEST_F(Rename, BlankOrPathLikeNamesAreRefusedWithTheWindowOpen)
{
    writeFile(path("sub/a.jpg"), "a");
    for (const QString& typed : {QStringLiteral("   "), QStringLiteral(".."), QStringLiteral("../a"),
                                 QStringLiteral("a") + QChar(0)}) {
        dialogs->messages.clear();
        gs.cCurrentFile = path("sub/a.jpg");
        Rename1 d;
        d.show();
        d.Text1[1]->setText(typed);
        d.OKBtn_Click();
        EXPECT_EQ(dialogs->texts(), QStringList{"You must Enter a New Name for the File"}) << typed.toStdString();
        EXPECT_TRUE(d.isVisible()) << "the window stays open";
        EXPECT_EQ(QDir(path("sub")).entryList(QDir::Files), QStringList{"a.jpg"});
        EXPECT_EQ(entries(), QStringList{"sub"});
    }
}

TEST_F(Rename, OtherFailuresSayWhatWentWrongAndChangeNoFile)
{
    // An existing target is never replaced; the window closes.
    writeFile(path("a.jpg"), "old a");
    writeFile(path("b.JPG"), "old b");
    EXPECT_EQ(renameTo(path("a.jpg"), "b"), QDialog::Accepted);
    EXPECT_EQ(dialogs->texts(), QStringList{"File already exists - Cannot use this new File Name"});
    EXPECT_EQ(readFile(path("a.jpg")), "old a");
    EXPECT_EQ(readFile(path("b.JPG")), "old b");
    EXPECT_EQ(entries().size(), 2);
    ASSERT_TRUE(QFile::remove(path("b.JPG")));

    // A name too long for the file system: the window stays open.
    dialogs->messages.clear();
    EXPECT_EQ(renameTo(path("a.jpg"), QString(300, QLatin1Char('n'))), 0);
    ASSERT_EQ(dialogs->texts().size(), 1);
    EXPECT_TRUE(dialogs->texts().first().startsWith("Error: 75 - ")) << dialogs->texts().first().toStdString();

    // The file has gone since it was selected.
    dialogs->messages.clear();
    EXPECT_EQ(renameTo(path("gone.jpg"), "b"), 0);
    EXPECT_EQ(dialogs->texts(),
              QStringList{"File: " + path("gone.jpg") + " not Found - Use Save as to Recreate File"});
    EXPECT_EQ(entries(), QStringList{"a.jpg"});
}

// ---------------------------------------------------------------- new folder

namespace {

class NewFolder : public ::testing::Test, public thumbtest::MainWindowFixture {};

// Makes a folder refuse new entries even for root; false when it cannot.
bool setImmutable(const QString& folder, bool on)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        return false;
    int flags = 0;
    bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (ok) {
        flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
        ok = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(fd);
    return ok;
}

} // namespace

TEST_F(NewFolder, MadeInTheShownFolderOnceThenReportedAsExisting)
{
    w().TabStrip1->setCurrentIndex(2);
    w().CreateNewFolder();
    EXPECT_TRUE(dialogs().messages.isEmpty()) << dialogs().texts().join("|").toStdString();
    EXPECT_TRUE(QFileInfo(file("New Folder")).isDir());
    EXPECT_EQ(w().TabStrip1->currentIndex(), 0) << "the first tab comes up with the list";

    writeFile(file("New Folder/keep.txt"), "keep");
    w().CreateNewFolder();
    EXPECT_EQ(dialogs().texts(), QStringList{"Folder Already Exists in this Folder"});
    EXPECT_EQ(dialogs().messages.first().title, "Brevanto Lumivex 3.0");
    EXPECT_EQ(readFile(file("New Folder/keep.txt")), "keep");
    EXPECT_EQ(QDir(folder()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{"New Folder"});
}

TEST_F(NewFolder, MissingFolderAndPermissionFailuresAreToldApart)
{
    // The folder the list shows goes away behind its back.
    QDir().mkpath(file("gone"));
    w().setFileListFolder(file("gone"));
    ASSERT_TRUE(QDir(file("gone")).removeRecursively());
    w().CreateNewFolder();
    EXPECT_EQ(dialogs().texts(), QStringList{"Please Select a Folder or Disk to Create the New Folder"});
    EXPECT_FALSE(QFileInfo::exists(file("gone")));

    dialogs().messages.clear();
    const QString locked = file("locked");
    QDir().mkpath(locked);
    bool immutable = false;
    if (::geteuid() == 0) {
        immutable = setImmutable(locked, true);
        if (!immutable)
            GTEST_SKIP() << "running as root on a file system without the immutable flag";
    } else {
        QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner);
    }
    w().setFileListFolder(locked);
    w().CreateNewFolder();
    if (immutable)
        setImmutable(locked, false);
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(dialogs().texts(), QStringList{"Error -  70 - Permission denied"});
    EXPECT_FALSE(QFileInfo::exists(locked + "/New Folder"));
}
