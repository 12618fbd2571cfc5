#include "OptionsFixture.h"
#include "RecordingBrowser.h"
#include "shell/About1.h"
#include "shell/QuikTip1.h"

#include <QCheckBox>
#include <QDeadlineTimer>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

namespace {

const QString kMissingText =
    "That the TIPHELP.TXT file was not found? \r\n\r\nCreate a text file named TIPHELP.TXT using NotePad with 1 tip "
    "per line. Then place it in the same directory as the application. ";

// Tip window tests need no main window: the program folder is the temp folder.
class TipsTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        gs.cProgramFolder = folder.path();
        gs.fTipsAtStartup = true;
        gs.fQuikTipOpen = false;
        gs.nTipBackColor = 0xC0E0FF;
        gs.nTipForeColor = 0x4080;
    }
    void writeTips(const QByteArray& text) { testsupport::writeFile(folder.file("TIPHELP.TXT"), text); }
};
} // namespace

TEST_F(TipsTest, EveryLineIsATipAndOneLineIsAlwaysShown)
{
    writeTips("Press F2 to find the next folder.\r\n");
    QuikTip1::open();
    QuikTip1* w = QuikTip1::current();
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(gs.fQuikTipOpen);
    EXPECT_EQ(w->lblTipText->text(), "Press F2 to find the next folder.");
    for (int i = 0; i < 5; ++i) {
        w->NextTipBtn->click();
        EXPECT_EQ(w->lblTipText->text(), "Press F2 to find the next folder.");
    }
    EXPECT_TRUE(dialogs->messages.isEmpty());
    w->close();

    writeTips("first\n\nthird\xe9\n"); // LF ends, a blank line, a Latin-1 byte
    QuikTip1::open();
    w = QuikTip1::current();
    ASSERT_EQ(w->tipList(), QStringList({"first", "", QString::fromUtf8("third\xc3\xa9")}));
    QSet<QString> seen;
    for (int i = 0; i < 200 && seen.size() < 3; ++i) {
        w->NextTipBtn->click();
        seen.insert(w->lblTipText->text());
    }
    EXPECT_EQ(seen.size(), 3) << "every tip, the empty one too, can be drawn";
}

TEST_F(TipsTest, AMissingOrUnreadableFileGivesTheMessageAndTheMissingFileText)
{
    for (bool folderInstead : {false, true}) {
        if (folderInstead) { // a folder under the file's name
            ASSERT_TRUE(QDir(folder.path()).mkdir("TIPHELP.TXT"));
        }
        dialogs->messages.clear();
        QuikTip1::open();
        QuikTip1* w = QuikTip1::current();
        ASSERT_EQ(dialogs->texts(), QStringList{"       Error Loading Quick Tips File"});
        EXPECT_EQ(dialogs->messages[0].title, "Brevanto Lumivex 3.0");
        EXPECT_EQ(w->lblTipText->text(), kMissingText);
        w->close();
    }
}

TEST_F(TipsTest, TheCheckBoxSetsTheStartUpTipOnOkOnly)
{
    writeTips("a tip\r\n");
    // The box shows the option: unchecked while tips are on.
    QuikTip1::open();
    QuikTip1* w = QuikTip1::current();
    EXPECT_FALSE(w->chkLoadTipsAtStartup->isChecked());

    // The close box takes nothing.
    w->chkLoadTipsAtStartup->setChecked(true);
    w->close();
    EXPECT_TRUE(gs.fTipsAtStartup);
    EXPECT_EQ(QuikTip1::current(), nullptr);

    // (OK with the box checked turns the tips off: the restart test below.)
    // Opened with the tips off the box is checked; Enter on a control is OK.
    gs.fTipsAtStartup = false;
    QuikTip1::open();
    w = QuikTip1::current();
    EXPECT_TRUE(w->chkLoadTipsAtStartup->isChecked());
    w->chkLoadTipsAtStartup->setChecked(false);
    QTest::keyClick(w->chkLoadTipsAtStartup, Qt::Key_Return);
    EXPECT_TRUE(gs.fTipsAtStartup);
    EXPECT_EQ(QuikTip1::current(), nullptr);
}

TEST_F(MainWindowTest, TheStartUpTipFollowsTheOptionAcrossARestart)
{
    testsupport::writeFile(folder.file("TIPHELP.TXT"), "the tip of the day\r\n");
    startMain();
    main->finishStartUp();
    QuikTip1* w = QuikTip1::current();
    ASSERT_NE(w, nullptr) << "the tip of the day shows at the first start";
    EXPECT_TRUE(w->isVisible());
    w->chkLoadTipsAtStartup->setChecked(true);
    w->OKBtn->click();
    main->Form_Activate();
    EXPECT_EQ(QuikTip1::current(), nullptr);
    closeMain(); // writes Options.INI

    startMain();
    EXPECT_FALSE(gs.fTipsAtStartup);
    main->finishStartUp();
    EXPECT_EQ(QuikTip1::current(), nullptr) << "no tip at the next start";
}

TEST_F(MainWindowTest, AboutLinkSelectsTheInternetTabAndOpensTheMakersAddress)
{
    // The Internet tab's browser records instead of going on line; the rest
    // is the program's own wiring, from the Help menu to that browser.
    platform::setWebBrowserFactory([](const QString& name) -> std::unique_ptr<platform::WebBrowser> {
        return std::make_unique<RecordingBrowser>(nullptr, name);
    });
    startMain();
    platform::setWebBrowserFactory({});
    auto* browser = static_cast<RecordingBrowser*>(main->WebBrowser2.get());
    main->TabStrip1->setCurrentIndex(0);
    main->ToolBarComp1->Item("ID_mnuHelpAbout")->action()->trigger();
    About1* a = About1::current();
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->Label1[2]->text(), About1::kMakerAddress);
    browser->calls.clear();

    // Another label does nothing.
    QTest::mouseClick(a->Label1[0], Qt::LeftButton);
    EXPECT_TRUE(browser->calls.isEmpty());

    QTest::mouseClick(a->Label1[2], Qt::LeftButton);
    EXPECT_EQ(main->TabStrip1->tabText(main->TabStrip1->currentIndex()), "Internet");
    EXPECT_EQ(browser->url, About1::kMakerAddress);
    EXPECT_TRUE(browser->calls.contains("WebBrowser2 Navigate2 " + About1::kMakerAddress)) << browser->calls.join(" | ").toStdString();
    EXPECT_EQ(About1::current(), a) << "the box stays open";
}

TEST_F(MainWindowTest, AboutClosesOnEnterAndToolWindowsCloseAtShutdown)
{
    startMain();
    About1::open();
    // Enter on a focused button reaches the window and closes the box.
    About1::current()->SysBtn->setFocus();
    QTest::keyClick(About1::current()->SysBtn, Qt::Key_Return);
    EXPECT_EQ(About1::current(), nullptr);
    EXPECT_FALSE(gs.fAboutOpen);
    EXPECT_TRUE(dialogs->messages.isEmpty()) << "Enter did not start the system information";

    // The main window closes the tool windows at shutdown.
    gs.fQuikTipOpen = false;
    About1::open();
    QuikTip1::open();
    ASSERT_TRUE(gs.fAboutOpen && gs.fQuikTipOpen);
    closeMain();
    EXPECT_FALSE(gs.fAboutOpen || gs.fQuikTipOpen);
    EXPECT_EQ(About1::current(), nullptr);
    EXPECT_EQ(QuikTip1::current(), nullptr);
}

TEST_F(MainWindowTest, AboutStartsTheFirstSystemInformationProgramFound)
{
    const QStringList saved = About1::sysInfoPrograms();
    const QByteArray savedPath = qgetenv("PATH");
    startMain();
    About1::open();
    About1* a = About1::current();

    // None of the programs there: the message, and the box stays open.
    About1::sysInfoPrograms() = {"lumivex-no-such-tool", "", "/nonexistent/tool"};
    a->SysBtn->click();
    EXPECT_EQ(dialogs->texts(), QStringList{"System Information Is Unavailable At This Time"});

    // The first program found on the PATH is started.
    const QString bin = folder.file("bin");
    const QString marker = folder.file("started.txt");
    testsupport::writeFile(bin + "/lumivex-fake-info",
                           "#!/bin/sh\necho started > '" + marker.toUtf8() + "'\n");
    testsupport::writeFile(bin + "/lumivex-second-info", "#!/bin/sh\nexit 0\n");
    for (const char* f : {"/lumivex-fake-info", "/lumivex-second-info"})
        QFile::setPermissions(bin + f, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("PATH", bin.toUtf8() + ":" + savedPath);
    About1::sysInfoPrograms() = {"lumivex-no-such-tool", "lumivex-fake-info", "lumivex-second-info"};
    dialogs->messages.clear();
    a->SysBtn->click();
    EXPECT_TRUE(dialogs->messages.isEmpty());
    const QDeadlineTimer deadline(20000);
    while (!QFile::exists(marker) && !deadline.hasExpired())
        QTest::qWait(20);
    EXPECT_TRUE(QFile::exists(marker)) << "the program was started";

    qputenv("PATH", savedPath);
    About1::sysInfoPrograms() = saved;
}
