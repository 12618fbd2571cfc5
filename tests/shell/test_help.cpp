// Help: the pages, the contents, the search and context help, and the help
// window closing with the main window.
#include "ShellTestWindow.h"
#include "shell/HelpWindow.h"

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace shelltest;
using Help = ShellTest;

namespace {
QString assetsHelp() { return QDir(testsupport::assetsFolder()).filePath("Help"); }
QString shownPage() { return QFileInfo(help::existingWindow()->currentPage()).completeBaseName(); }
} // namespace

TEST_F(Help, EveryWindowAndTabHasAPage)
{
    help::setHelpFolder(assetsHelp());
    const QStringList topics = {"Lumivex1", "Videos", "Music", "Pictures", "ThumbNails", "Documents", "Internet",
                                "FindFle1", "PrntPict1", "EdtImage1", "EdtColors1", "NewSize1", "GetURL1",
                                "SetFavList1", "SetFavNew1", "SelFavorites1", "SetPlayNew1", "Rename1", "ProPert1",
                                "SetOptn1", "About1", "QuikTip1", "CreatAn1", "VidProp1", "AudRepl1", "VidJoin1"};
    EXPECT_EQ(help::pageFile("findfle1"), help::pageFile("FindFle1")) << "pages are found whatever the case";

    // Every link of every page leads to a page that is there; the contents names them all.
    const QRegularExpression link(QStringLiteral("href=[\"']([^\"']+)[\"']"));
    for (const QString& file : help::pageFiles()) {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(f.readAll());
        for (auto it = link.globalMatch(html); it.hasNext();) {
            const QString target = it.next().captured(1);
            EXPECT_TRUE(QFileInfo::exists(QDir(assetsHelp()).filePath(target))) << file.toStdString() << " -> "
                                                                                 << target.toStdString();
        }
    }
    QFile index(help::pageFile("index"));
    ASSERT_TRUE(index.open(QIODevice::ReadOnly));
    const QString contents = QString::fromUtf8(index.readAll());
    for (const QString& t : topics) {
        EXPECT_FALSE(help::pageFile(t).isEmpty()) << t.toStdString();
        EXPECT_TRUE(contents.contains("href=\"" + t + ".htm\"")) << t.toStdString();
    }
}

TEST_F(Help, ContentsAndSearch)
{
    help::setHelpFolder(assetsHelp());
    w.TabStrip1->setCurrentIndex(3);
    w.click("ID_HelpOpen");
    HelpWindow* hw = help::existingWindow();
    ASSERT_NE(hw, nullptr);
    EXPECT_TRUE(hw->isVisible());
    EXPECT_EQ(shownPage(), "index");
    EXPECT_EQ(hw->HelpContents->count(), 27);

    // The search opens with nothing typed in; it finds pages by their words.
    hw->HelpSearchText->setText("leftover");
    w.TabStrip1->setCurrentIndex(5);
    w.click("ID_mnuHelpSearch");
    EXPECT_EQ(help::existingWindow(), hw) << "one help window";
    EXPECT_EQ(hw->HelpTabs->currentIndex(), 1);
    EXPECT_TRUE(hw->HelpSearchText->text().isEmpty());
    EXPECT_TRUE(hw->search("audio  VIDEO").contains("Replace Audio in Video File"));
    EXPECT_TRUE(hw->search("zebra-crossing").isEmpty());

    // Table of contents from the menu, whichever tab is shown.
    w.click("ID_mnuHelpTableofContents");
    EXPECT_EQ(hw->HelpTabs->currentIndex(), 0);
    EXPECT_EQ(shownPage(), "index");
}

TEST_F(Help, ContextHelpFollowsTheFocus)
{
    help::setHelpFolder(assetsHelp());
    w.show();
    auto* image = new QWidget(w.TabPanel[3]);
    image->setObjectName("Image1");
    image->setFocusPolicy(Qt::StrongFocus);

    // The picture help gives the picture the focus only while it is shown.
    w.TabStrip1->setCurrentIndex(2);
    w.CMBFILTER->setFocus();
    w.click("ID_HelpImage");
    ASSERT_NE(help::existingWindow(), nullptr);
    EXPECT_EQ(shownPage(), "Lumivex1");
    image->show();
    w.click("ID_HelpImage");
    EXPECT_EQ(shownPage(), "Pictures");

    w.TabStrip1->setCurrentIndex(1);
    w.click("ID_PlayHelp");
    EXPECT_EQ(shownPage(), "Music");

    // A tool window's Help button sends F1 to its own window.
    QWidget find;
    find.setObjectName("FindFle1");
    auto* helpBtn = new QPushButton("Help", &find);
    find.show();
    helpBtn->setFocus();
    help::SendF1(&find);
    EXPECT_EQ(shownPage(), "FindFle1");
}

TEST_F(Help, MissingPagesAndShutdown)
{
    // A program folder without its help pages: the help window says so itself.
    ASSERT_TRUE(QDir(s.folder.file("Help")).removeRecursively());
    w.click("ID_HelpOpen");
    ASSERT_NE(help::existingWindow(), nullptr);
    EXPECT_TRUE(help::existingWindow()->shownText().contains("could not be found"));
    EXPECT_TRUE(s.dialogs->messages.isEmpty());

    // Closing the main window closes the help window.
    w.show();
    w.close();
    EXPECT_EQ(help::existingWindow(), nullptr);
}
