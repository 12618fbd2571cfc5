#include "OptionsFixture.h"
#include "shell/About1.h"
#include "shell/QuikTip1.h"

#include <QCheckBox>
#include <QDeadlineTimer>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <unistd.h>

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

// Stands in for the Internet tab's browser.
class FakeBrowser : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    QStringList navigated;
    Q_INVOKABLE void Navigate(const QString& address) { navigated << address; }
};

} // namespace

TEST_F(TipsTest, AOneLineFileAlwaysShowsThatLine)
{
    writeTips("Press F2 to find the next folder.\r\n");
    QuikTip1::open();
    QuikTip1* w = QuikTip1::current();
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(gs.fQuikTipOpen);
    EXPECT_EQ(w->windowTitle(), "Quick Tip of the Day");
    EXPECT_EQ(w->lblTipText->text(), "Press F2 to find the next folder.");
    for (int i = 0; i < 20; ++i) {
        w->NextTipBtn->click();
        EXPECT_EQ(w->lblTipText->text(), "Press F2 to find the next folder.");
    }
    EXPECT_TRUE(dialogs->messages.isEmpty());

    // Opening again brings up the same window.
    QuikTip1::open();
    EXPECT_EQ(QuikTip1::current(), w);
}

TEST_F(TipsTest, EveryLineIsATipBlankLinesIncluded)
{
    writeTips("first\n\nthird\xe9\n"); // LF ends, a blank line, a Latin-1 byte
    QuikTip1::open();
    QuikTip1* w = QuikTip1::current();
    ASSERT_EQ(w->tipList(), QStringList({"first", "", QString::fromUtf8("third\xc3\xa9")}));
    QSet<QString> seen;
    for (int i = 0; i < 200 && seen.size() < 3; ++i) {
        w->NextTipBtn->click();
        EXPECT_GE(w->currentTip(), 1);
        EXPECT_LE(w->currentTip(), 3);
        EXPECT_EQ(w->lblTipText->text(), w->tipList().at(w->currentTip() - 1));
        seen.insert(w->lblTipText->text());
    }
    EXPECT_EQ(seen.size(), 3) << "every tip, the empty one too, can be drawn";
}

TEST_F(TipsTest, AnEmptyFileShowsNoTipAndNoMessage)
{
    writeTips("");
    QuikTip1::open();
    QuikTip1* w = QuikTip1::current();
    EXPECT_TRUE(dialogs->messages.isEmpty());
    EXPECT_TRUE(w->lblTipText->text().isEmpty());
    w->NextTipBtn->click();
    EXPECT_TRUE(w->lblTipText->text().isEmpty());
}

TEST_F(TipsTest, AMissingFileGivesTheMessageAndTheMissingFileText)
{
    QuikTip1::open();
    QuikTip1* w = QuikTip1::current();
    ASSERT_EQ(dialogs->messages.size(), 1);
    EXPECT_EQ(dialogs->messages[0].text, "       Error Loading Quick Tips File");
    EXPECT_EQ(dialogs->messages[0].title, "Brevanto Lumivex 3.0");
    EXPECT_EQ(dialogs->messages[0].buttons, platform::Buttons::Ok);
    EXPECT_EQ(w->lblTipText->text(), kMissingText);
    w->NextTipBtn->click();
    EXPECT_EQ(w->lblTipText->text(), kMissingText);
}

TEST_F(TipsTest, ATipsFileThatCannotBeReadCountsAsMissing)
{
    // A folder under the file's name.
    ASSERT_TRUE(QDir(folder.path()).mkdir("TIPHELP.TXT"));
    QuikTip1::open();
    EXPECT_EQ(dialogs->texts(), QStringList{"       Error Loading Quick Tips File"});
    EXPECT_EQ(QuikTip1::current()->lblTipText->text(), kMissingText);
}

TEST_F(TipsTest, ATipsFileWithoutReadPermissionCountsAsMissing)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "running as root, file permissions do not stop reading";
    writeTips("a tip\r\n");
    QFile::setPermissions(folder.file("TIPHELP.TXT"), QFileDevice::WriteOwner);
    QuikTip1::open();
    EXPECT_EQ(dialogs->texts(), QStringList{"       Error Loading Quick Tips File"});
    EXPECT_EQ(QuikTip1::current()->lblTipText->text(), kMissingText);
}

TEST_F(TipsTest, TheCheckBoxSetsTheStartUpTipOnOkOnly)
{
    writeTips("a tip\r\n");
    // The box shows the option: unchecked while tips are on.
    QuikTip1::open();
    QuikTip1* w = QuikTip1::current();
    EXPECT_FALSE(w->chkLoadTipsAtStartup->isChecked());
    EXPECT_EQ(w->chkLoadTipsAtStartup->text(), "Do not Show Tips at Startup");

    // The close box takes nothing.
    w->chkLoadTipsAtStartup->setChecked(true);
    w->close();
    EXPECT_TRUE(gs.fTipsAtStartup);
    EXPECT_FALSE(gs.fQuikTipOpen);
    EXPECT_EQ(QuikTip1::current(), nullptr);

    // OK with the box checked turns the tips off.
    QuikTip1::open();
    w = QuikTip1::current();
    w->chkLoadTipsAtStartup->setChecked(true);
    w->OKBtn->click();
    EXPECT_FALSE(gs.fTipsAtStartup);
    EXPECT_FALSE(gs.fQuikTipOpen);

    // Opened with the tips off the box is checked; Enter on a control is OK.
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
    EXPECT_EQ(w->lblTipText->text(), "the tip of the day");
    // Each activation of the main window brings the same window up again.
    main->Form_Activate();
    EXPECT_EQ(QuikTip1::current(), w);

    w->chkLoadTipsAtStartup->setChecked(true);
    w->OKBtn->click();
    main->Form_Activate();
    EXPECT_EQ(QuikTip1::current(), nullptr);
    closeMain(); // writes Options.INI

    startMain();
    EXPECT_FALSE(gs.fTipsAtStartup);
    main->finishStartUp();
    EXPECT_EQ(QuikTip1::current(), nullptr) << "no tip at the next start";

    // The menu command still shows the tips, with the box checked.
    QuikTip1::open();
    ASSERT_NE(QuikTip1::current(), nullptr);
    EXPECT_TRUE(QuikTip1::current()->chkLoadTipsAtStartup->isChecked());
}

TEST_F(MainWindowTest, TheMainWindowClosesTheToolWindowsAtShutdown)
{
    startMain();
    gs.fQuikTipOpen = false;
    About1::open();
    QuikTip1::open();
    ASSERT_TRUE(gs.fAboutOpen && gs.fQuikTipOpen);
    closeMain();
    EXPECT_FALSE(gs.fAboutOpen);
    EXPECT_FALSE(gs.fQuikTipOpen);
    EXPECT_EQ(About1::current(), nullptr);
    EXPECT_EQ(QuikTip1::current(), nullptr);
}

TEST_F(MainWindowTest, AboutLinkSelectsTheInternetTabAndOpensTheMakersAddress)
{
    startMain();
    auto* browser = new FakeBrowser(main.get());
    browser->setObjectName("WebBrowser2");
    main->TabStrip1->setCurrentIndex(0);
    About1::open();
    About1* a = About1::current();
    ASSERT_NE(a, nullptr);
    EXPECT_TRUE(gs.fAboutOpen);
    EXPECT_EQ(a->windowTitle(), "About the Brevanto Lumivex");
    EXPECT_EQ(a->Label1[0]->text(), "Brevanto Lumivex - Version 3.0");
    EXPECT_EQ(a->Label1[2]->text(), About1::kMakerAddress);

    // The other labels do nothing.
    for (int i : {0, 1, 3})
        QTest::mouseClick(a->Label1[i], Qt::LeftButton);
    EXPECT_EQ(main->TabStrip1->currentIndex(), 0);
    EXPECT_TRUE(browser->navigated.isEmpty());

    QTest::mouseClick(a->Label1[2], Qt::LeftButton);
    EXPECT_EQ(main->TabStrip1->currentIndex(), 5);
    EXPECT_EQ(main->TabStrip1->tabText(5), "Internet");
    EXPECT_EQ(gs.cCurrentURL, About1::kMakerAddress);
    EXPECT_EQ(browser->navigated, QStringList{About1::kMakerAddress});
    EXPECT_EQ(About1::current(), a) << "the box stays open";
}

TEST_F(MainWindowTest, AboutClosesOnEnterAndOk)
{
    startMain();
    About1::open();
    About1* a = About1::current();
    About1::open();
    EXPECT_EQ(About1::current(), a) << "one box";
    // Enter on a focused button reaches the window and closes the box.
    a->SysBtn->setFocus();
    QTest::keyClick(a->SysBtn, Qt::Key_Return);
    EXPECT_EQ(About1::current(), nullptr);
    EXPECT_FALSE(gs.fAboutOpen);
    EXPECT_TRUE(dialogs->messages.isEmpty()) << "Enter did not start the system information";

    About1::open();
    About1::current()->OKBtn->click();
    EXPECT_EQ(About1::current(), nullptr);
    EXPECT_FALSE(gs.fAboutOpen);
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
    EXPECT_EQ(dialogs->messages[0].title, "Brevanto Lumivex 3.0");
    EXPECT_EQ(About1::current(), a);

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
    EXPECT_EQ(About1::FindSysInfoProgram(About1::sysInfoPrograms()), bin + "/lumivex-fake-info");
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

TEST_F(MainWindowTest, AboutTakesTheSchemeAtEachActivation)
{
    startMain();
    About1::open();
    About1* a = About1::current();
    a->resize(a->sizeHint());
    const int bottom = a->height() - 2;
    EXPECT_EQ(pixelOf(a, 0, bottom), platform::resolveOleColor(gs.nSelectBackColor));
    gs.nSelectBackColor = 0x0000FF;
    gs.nButtonBackColor = 0x00FF00;
    gs.nButtonWashEnd = 0x00FF00;
    a->Form_Activate();
    EXPECT_EQ(pixelOf(a, 0, bottom), QColor(255, 0, 0));
    const QPoint inside = a->OKBtn->geometry().topLeft() + QPoint(3, a->OKBtn->height() / 2);
    EXPECT_EQ(pixelOf(a, inside.x(), inside.y()), QColor(0, 255, 0));
}

#include "test_tips_about.moc"
