// The Replace Audio and Join Video Files windows through their controls:
// pickers, typed names, drops, the list buttons, OK with the inputs held
// while the job runs, the status texts, the messages, and Cancel or the
// close box during a run.
#include "ScriptedDialogs.h"
#include "TestSupport.h"
#include "VideoMedia.h"

#include "platform/controls/Dialogs.h"
#include "platform/media/MediaConverter.h"
#include "platform/media/MediaJoin.h"
#include "shared/SharedState.h"
#include "video/AudRepl1.h"
#include "video/VidJoin1.h"

#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

using platform::FileAnswer;
using namespace videotest;

namespace {

FileAnswer chosen(const QString& path)
{
    FileAnswer a;
    a.accepted = true;
    a.fileName = path;
    return a;
}

void click(QAbstractButton* b) { QTest::mouseClick(b, Qt::LeftButton); }

// Files dropped onto a list, as a file manager drops them.
void dropFiles(QListWidget* list, const QStringList& paths)
{
    ASSERT_TRUE(testsupport::dropFiles(list->viewport(), list->viewport()->rect().center(), paths));
}

QStringList entries(QListWidget* list)
{
    QStringList r;
    for (int i = 0; i < list->count(); ++i)
        r << list->item(i)->text();
    return r;
}

class Windows : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString file(const QString& name) const { return dir.filePath(name); }
    QString make(const QString& name, const VideoSpec& spec = {})
    {
        EXPECT_TRUE(makeVideo(file(name), spec));
        return file(name);
    }
    QTemporaryDir dir;
    platform::ScopedDialogs dialogs;
};

} // namespace

TEST_F(Windows, ReplaceAudioRunsFromItsFieldsToDone)
{
    const QString v = make("V.avi");
    const QString t = file("T.wav");
    ASSERT_TRUE(makeTone(t, 3.0, 880, 22050, 1));
    auto* w = new AudRepl1;
    w->show();
    EXPECT_TRUE(gs.fAudReplOpen);

    // The pickers: a choice fills the field; a dialog closed without one changes nothing.
    dialogs->fileAnswers << chosen(v);
    click(w->OpenSVBtn);
    EXPECT_EQ(w->Text1->text(), v);
    ASSERT_EQ(dialogs->fileRequests.size(), 1);
    EXPECT_EQ(dialogs->fileRequests[0].title, "Enter or Select Video File Name for Audio Replacement ");
    w->Text2->setText("kept");
    click(w->OpenSABtn);
    EXPECT_EQ(w->Text2->text(), "kept");
    EXPECT_EQ(dialogs->fileRequests[1].title, "Enter or Select Audio File Name for Audio Replacement of Video File");
    w->Text2->clear();
    QTest::keyClicks(w->Text2, t);
    QTest::keyClicks(w->Text3, file("D.avi"));

    QStringList captions;
    QObject::connect(w, &QWidget::windowTitleChanged, [&](const QString& c) { captions << c; });
    click(w->OKBtn);
    // While it runs the inputs are held; a second OK does nothing; Cancel stays.
    EXPECT_TRUE(w->running());
    EXPECT_FALSE(w->OKBtn->isEnabled());
    EXPECT_FALSE(w->Text1->isEnabled());
    EXPECT_FALSE(w->OpenDVBtn->isEnabled());
    EXPECT_TRUE(w->CancelBtn->isEnabled());
    click(w->OKBtn);
    ASSERT_TRUE(w->DestCtrl->waitForFinished(20000));
    EXPECT_EQ(captions, QStringList({"Prepare the video control...", "Prepare the audio control...",
                                     "Prepare the destination control...", "Copy the video samples...",
                                     "Copy the audio samples...", "Done."}));
    EXPECT_TRUE(w->OKBtn->isEnabled());
    EXPECT_TRUE(dialogs->messages.isEmpty());
    EXPECT_TRUE(QFile::exists(file("D.avi")));

    // A sound file given as the video: the message, then the caption, and no file.
    QFile::remove(file("D.avi"));
    QString captionAtMessage;
    dialogs->onMessage = [&](const platform::ScriptedDialogs::Message&) { captionAtMessage = w->windowTitle(); };
    w->Text1->setText(t);
    click(w->OKBtn);
    ASSERT_TRUE(w->DestCtrl->waitForFinished(20000));
    ASSERT_EQ(dialogs->messages.size(), 1);
    EXPECT_EQ(dialogs->messages[0].text, "Error: " + t + " does not contain a video stream");
    EXPECT_NE(dialogs->messages[0].title, kProgramTitle);
    EXPECT_EQ(dialogs->messages[0].buttons, platform::Buttons::Ok);
    EXPECT_EQ(captionAtMessage, "Prepare the video control...");
    EXPECT_EQ(w->windowTitle(), "Conversion Aborted.");
    EXPECT_FALSE(QFile::exists(file("D.avi")));

    QPointer<AudRepl1> alive = w;
    click(w->CancelBtn);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(alive);
    EXPECT_FALSE(gs.fAudReplOpen);
}

TEST_F(Windows, CancelDuringAReplacementStopsItAndLeavesTheOldFile)
{
    const QString v = make("V.avi", {.seconds = 20, .width = 320, .height = 240});
    testsupport::writeFile(file("D.avi"), "old");
    const QStringList before = folderEntries(dir.path());
    auto* w = new AudRepl1;
    w->show();
    w->Text1->setText(v);
    w->Text2->setText(v);
    w->Text3->setText(file("D.avi"));
    QPointer<AudRepl1> alive = w;
    click(w->OKBtn);
    ASSERT_TRUE(w->running());
    click(w->CancelBtn); // stops the job, waits for it, then closes
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(alive);
    EXPECT_FALSE(gs.fAudReplOpen);
    EXPECT_TRUE(dialogs->messages.isEmpty());
    EXPECT_EQ(testsupport::readFile(file("D.avi")), "old");
    EXPECT_EQ(folderEntries(dir.path()), before);
}

TEST_F(Windows, JoinListIsFilledOrderedAndJoined)
{
    const QString a = make("A.avi");
    const QString b = make("B.avi", {.seconds = 3});
    auto* w = new VidJoin1;
    w->show();
    EXPECT_TRUE(gs.fVidJoinOpen);
    EXPECT_TRUE(w->lblstatus->isHidden());

    dialogs->fileAnswers << chosen(b);
    click(w->OpenBtn);
    dropFiles(w->List1, {a, b});
    EXPECT_EQ(w->focusWidget(), w->List1); // a drag over the list gives it the focus
    EXPECT_EQ(entries(w->List1), QStringList({b, a, b}));
    // Up, Down and Delete work on the highlighted entry.
    w->List1->setCurrentRow(1);
    click(w->UpBtn);
    EXPECT_EQ(entries(w->List1), QStringList({a, b, b}));
    EXPECT_EQ(w->List1->currentRow(), 0);
    click(w->UpBtn); // the first goes no higher
    EXPECT_EQ(entries(w->List1), QStringList({a, b, b}));
    w->List1->setCurrentRow(2);
    click(w->DownBtn); // the last goes no lower
    click(w->DeleteBtn);
    EXPECT_EQ(entries(w->List1), QStringList({a, b}));
    EXPECT_EQ(w->List1->currentRow(), 1);
    dialogs->fileAnswers << chosen(file("J.avi"));
    click(w->OpenDBtn);
    EXPECT_EQ(w->Text1->text(), file("J.avi"));

    QStringList shown;
    QObject::connect(w->ltmmConvertCtrl2, &platform::MediaConverter::Status, [&](const QString& s) {
        shown << s + (w->lblstatus->isVisible() ? "" : " (hidden)");
    });
    click(w->OKBtn);
    EXPECT_FALSE(w->List1->isEnabled());
    EXPECT_FALSE(w->OKBtn->isEnabled());
    ASSERT_TRUE(w->ltmmConvertCtrl2->waitForFinished(20000));
    EXPECT_EQ(shown, QStringList({"Verifying files ... (hidden)", "Writing File 0 (" + a + ")",
                                  "Writing File 1 (" + b + ")"}));
    EXPECT_EQ(w->lblstatus->text(), "Process Finished");
    EXPECT_TRUE(w->lblstatus->isVisible());
    EXPECT_TRUE(w->OKBtn->isEnabled());
    EXPECT_TRUE(dialogs->messages.isEmpty());
    EXPECT_TRUE(QFile::exists(file("J.avi")));
    delete w;
    EXPECT_FALSE(gs.fVidJoinOpen);
}

TEST_F(Windows, JoinRefusalsAreMessagesAndCloseDuringAJoinWaitsForIt)
{
    const QString a = make("A.avi", {.seconds = 1});
    const QString wide = make("wide.avi", {.seconds = 1, .width = 80});
    auto* w = new VidJoin1;
    QSignalSpy unloaded(w, &VidJoin1::Unloaded);
    w->show();
    w->Text1->setText(file("J.avi"));
    click(w->OKBtn);
    ASSERT_TRUE(w->ltmmConvertCtrl2->waitForFinished(20000));
    dropFiles(w->List1, {a, wide});
    click(w->OKBtn);
    ASSERT_TRUE(w->ltmmConvertCtrl2->waitForFinished(20000));
    ASSERT_EQ(dialogs->texts(), QStringList({"The list is empty", platform::kFilesDiffer}));
    EXPECT_NE(dialogs->messages[0].title, kProgramTitle);
    EXPECT_TRUE(w->lblstatus->isHidden());
    EXPECT_FALSE(QFile::exists(file("J.avi")));

    // The close box while a long join runs: it stops, cleans up, then closes.
    const QString big = make("big.avi", {.seconds = 20, .width = 320, .height = 240});
    w->List1->clear();
    dropFiles(w->List1, {big, big, big});
    const QStringList before = folderEntries(dir.path());
    QPointer<VidJoin1> alive = w;
    click(w->OKBtn);
    ASSERT_TRUE(w->running());
    w->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(alive);
    EXPECT_EQ(unloaded.count(), 1);
    EXPECT_FALSE(gs.fVidJoinOpen);
    EXPECT_EQ(dialogs->texts().size(), 2);
    EXPECT_EQ(folderEntries(dir.path()), before);
}

TEST_F(Windows, TheJoinAndTheReplacementWriteAndReplaceTargetsOfTheLongestName)
{
    const QString a = make("A.avi", {.seconds = 1});
    // 254 bytes: one short of the longest name; the temporary name must fit too.
    const QString joined = file(QString(250, 'j') + ".avi");
    const QString replaced = file(QString(250, 'r') + ".avi");
    ASSERT_EQ(QFile::encodeName(QFileInfo(joined).fileName()).size(), 254);
    auto* join = new VidJoin1;
    join->show();
    dropFiles(join->List1, {a, a});
    join->Text1->setText(joined);
    auto* replace = new AudRepl1;
    replace->show();
    replace->Text1->setText(a);
    replace->Text2->setText(a);
    replace->Text3->setText(replaced);
    for (int round = 0; round < 2; ++round) { // made, then made again over the first
        click(join->OKBtn);
        ASSERT_TRUE(join->ltmmConvertCtrl2->waitForFinished(20000));
        EXPECT_EQ(join->lblstatus->text(), "Process Finished");
        click(replace->OKBtn);
        ASSERT_TRUE(replace->DestCtrl->waitForFinished(20000));
        EXPECT_EQ(replace->windowTitle(), "Done.");
        EXPECT_EQ(dialogs->texts(), QStringList()) << "round " << round;
        EXPECT_EQ(readContents(joined).streams.size(), 2u);
        EXPECT_EQ(readContents(replaced).streams.size(), 2u);
    }
    EXPECT_EQ(folderEntries(dir.path()), QStringList({"A.avi", QFileInfo(joined).fileName(), QFileInfo(replaced).fileName()}));
    delete join;
    delete replace;
}

TEST(VidJoinShifts, LeftShiftKeepsTheLow16Bits)
{
    const auto left = [](std::int32_t value, std::int32_t count) { return VidJoin1::SafeLeftShift(value, count); };
    EXPECT_EQ(left(0x0001, 15), std::int16_t(-32768));
    EXPECT_EQ(left(0x1234, 4), std::int16_t(0x2340));
    EXPECT_EQ(left(0x1234, 16), 0);
    double big = 65536.0 * 3 + 8;
    std::int32_t count = 3;
    EXPECT_EQ(VidJoin1::SafeRightShift(big, count), std::int16_t(24577));
}
