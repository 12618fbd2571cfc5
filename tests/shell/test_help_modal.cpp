// The help window beside modal dialogs: opened from a dialog's Help button,
// or open before the dialog came up, it takes clicks and keys while the
// dialog waits; and Esc closes the tip window.
#include "ScriptedDialogs.h"
#include "TestSupport.h"
#include "browser/Rename1.h"
#include "platform/controls/Dialogs.h"
#include "shared/SharedState.h"
#include "shell/HelpWindow.h"
#include "shell/QuikTip1.h"
#include "shell/SetOptn1.h"
#include "window/Lumivex1.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileInfo>
#include <QListWidget>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <gtest/gtest.h>

using testsupport::ProgramFolder;

namespace {

QString shownPage()
{
    HelpWindow* hw = help::existingWindow();
    return hw ? QFileInfo(hw->currentPage()).completeBaseName() : QString();
}

// The row of the contents that opens a page.
QListWidgetItem* contentsItem(HelpWindow* hw, const QString& page)
{
    for (int i = 0; i < hw->HelpContents->count(); ++i) {
        QListWidgetItem* item = hw->HelpContents->item(i);
        if (QFileInfo(item->data(Qt::UserRole).toString()).completeBaseName() == page)
            return item;
    }
    return nullptr;
}

// A click and a key sent to the help window as the window system sends
// them, so that a window blocked by a modal dialog would not get them.
void clickContents(HelpWindow* hw, const QString& page)
{
    QListWidgetItem* item = contentsItem(hw, page);
    ASSERT_NE(item, nullptr) << page.toStdString();
    hw->HelpContents->scrollToItem(item);
    const QPoint p = hw->HelpContents->viewport()->mapTo(hw, hw->HelpContents->visualItemRect(item).center());
    QTest::mouseClick(hw->windowHandle(), Qt::LeftButton, {}, p);
}

void keyToContents(HelpWindow* hw, Qt::Key key) { QTest::keyClick(hw->windowHandle(), key); }

struct HelpTest : ::testing::Test {
    ProgramFolder folder;
    platform::ScopedDialogs dialogs;
    std::unique_ptr<Lumivex1> w;

    void SetUp() override
    {
        testsupport::writeFile(folder.file("Options.INI"), "0 100 8000 10500 0 2 0 115 115 2 40 0 5000 500 9 0\r\n"
                                                           "PC\r\n" + folder.path().toUtf8() +
                                                               "\r\n0 1 0 0 0 0 1 1 1 0 0 1\r\n");
        w = std::make_unique<Lumivex1>(QStringList{});
        w->startUp();
        w->finishStartUp();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    }
    void TearDown() override
    {
        w->close();
        w.reset();
    }
};

} // namespace

TEST_F(HelpTest, HelpOpenedFromAModalDialogTakesClicksAndKeys)
{
    QString first, clicked, keyed;
    bool dialogWasUp = false;
    QTimer::singleShot(0, [&] {
        SetOptn1* d = SetOptn1::current();
        ASSERT_NE(d, nullptr);
        dialogWasUp = d->isVisible() && QApplication::activeModalWidget() == d;
        QTest::mouseClick(d->HelpBtn, Qt::LeftButton);
        HelpWindow* hw = help::existingWindow();
        ASSERT_NE(hw, nullptr);
        EXPECT_TRUE(hw->isWindow() && hw->parentWidget() == nullptr) << "a top-level window of its own";
        ASSERT_TRUE(QTest::qWaitForWindowExposed(hw));
        first = shownPage();
        clickContents(hw, QStringLiteral("About1"));
        clicked = shownPage();
        // The list has the focus now: Down and Enter open the next page.
        keyToContents(hw, Qt::Key_Down);
        keyToContents(hw, Qt::Key_Return);
        keyed = shownPage();
        d->CancelBtn->click();
    });
    EXPECT_TRUE(SetOptn1::openForCommand(QStringLiteral("ID_SetClrBtn")));
    EXPECT_TRUE(dialogWasUp);
    EXPECT_EQ(first, "SetOptn1");
    EXPECT_EQ(clicked, "About1");
    EXPECT_NE(keyed, "About1");
    EXPECT_FALSE(keyed.isEmpty());
}

TEST_F(HelpTest, HelpOpenBeforeADialogStaysUsable)
{
    w->ShowHelpContents();
    HelpWindow* hw = help::existingWindow();
    ASSERT_NE(hw, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(hw));
    gs.cCurrentFile = folder.file("TIPHELP.TXT");
    QString clicked, again;
    QTimer::singleShot(0, [&] {
        auto* d = qobject_cast<Rename1*>(QApplication::activeModalWidget());
        ASSERT_NE(d, nullptr);
        QTest::qWait(20);
        clickContents(hw, QStringLiteral("FindFle1"));
        clicked = shownPage();
        // The dialog's own Help button brings its page into the same window.
        QTest::mouseClick(d->HelpBtn, Qt::LeftButton);
        EXPECT_EQ(help::existingWindow(), hw);
        again = shownPage();
        clickContents(hw, QStringLiteral("Music"));
        d->CancelBtn->click();
    });
    Rename1::showModal(w.get(), {});
    EXPECT_EQ(clicked, "FindFle1");
    EXPECT_EQ(again, "Rename1");
    EXPECT_EQ(shownPage(), "Music");
    // With the dialog gone, the help window still answers.
    clickContents(hw, QStringLiteral("Videos"));
    EXPECT_EQ(shownPage(), "Videos");
}

TEST_F(HelpTest, EscClosesTheTipWindow)
{
    QuikTip1::open(w.get());
    QuikTip1* tip = QuikTip1::current();
    ASSERT_NE(tip, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(tip));
    const bool tipsAtStart = gs.fTipsAtStartup;
    tip->chkLoadTipsAtStartup->setChecked(!tip->chkLoadTipsAtStartup->isChecked());
    QTest::keyClick(tip, Qt::Key_Escape);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(QuikTip1::current(), nullptr);
    EXPECT_FALSE(gs.fQuikTipOpen);
    EXPECT_EQ(gs.fTipsAtStartup, tipsAtStart) << "Esc leaves the start-up choice as it was, like the close box";
}
