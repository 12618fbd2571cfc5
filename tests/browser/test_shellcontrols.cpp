// The folder tree, the file list and the folder combo on their own.
#include "TestSupport.h"
#include "platform/shell/ShellCombo.h"
#include "platform/shell/ShellList.h"
#include "platform/shell/ShellTree.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace platform;

namespace {

QStringList names(const ShellTree& t)
{
    QStringList out;
    for (int i = 0; i < t.Items().Count(); ++i)
        out << t.Items().Item(i)->Name();
    return out;
}

QStringList names(const ShellList& l)
{
    QStringList out;
    for (int i = 0; i < l.Count(); ++i)
        out << l.ItemAt(i)->Name();
    return out;
}

struct Folders {
    QTemporaryDir dir;
    QString p(const QString& rel) const { return QDir(dir.path()).filePath(rel); }
    void mk(const QString& rel) const { QDir().mkpath(p(rel)); }
    void file(const QString& rel) const { testsupport::writeFile(p(rel), "x"); }
};

} // namespace

TEST(ShellTree, ExpandingInsertsCollapsingRemovesRefreshKeepsTheExpansion)
{
    Folders f;
    f.mk("R/A/A1");
    f.mk("R/A/A2");
    f.mk("R/b");
    f.mk("R/C");
    f.mk("R/.hidden");
    f.file("R/file.txt");
    ASSERT_EQ(::symlink(f.p("R/A").toLocal8Bit().constData(), f.p("R/Z link").toLocal8Bit().constData()), 0);
    ShellTree t;
    t.setRootFolders({f.p("R")});
    ASSERT_EQ(t.Items().Count(), 1);
    ShellTreeItem* r = t.Items().Item(0);
    EXPECT_EQ(r->Path(), f.p("R"));

    ASSERT_TRUE(r->setExpanded(true));
    EXPECT_EQ(names(t), (QStringList{"R", "A", "b", "C"})) << "no hidden folders, no links, letter case ignored";
    ShellTreeItem* a = t.Items().Item(1);
    EXPECT_EQ(a->Parent(), r);
    ASSERT_TRUE(a->setExpanded(true));
    EXPECT_EQ(names(t), (QStringList{"R", "A", "A1", "A2", "b", "C"}));
    EXPECT_EQ(t.Items().Item(4)->Index(), 4);

    ASSERT_TRUE(r->setExpanded(false));
    EXPECT_EQ(names(t), QStringList{"R"});
    EXPECT_EQ(a->Index(), -1) << "not shown";
    ASSERT_TRUE(r->setExpanded(true));
    EXPECT_EQ(names(t), (QStringList{"R", "A", "A1", "A2", "b", "C"})) << "A stayed expanded inside";

    // A refresh keeps the expansion and the selection, and drops vanished folders.
    t.selectPath(f.p("R/A/A1"));
    ASSERT_TRUE(QDir(f.p("R/b")).removeRecursively());
    f.mk("R/A/A0");
    t.Refresh();
    EXPECT_EQ(names(t), (QStringList{"R", "A", "A0", "A1", "A2", "C"}));
    ASSERT_NE(t.SelectedItem(), nullptr);
    EXPECT_EQ(t.SelectedItem()->Path(), f.p("R/A/A1"));
}

TEST(ShellList, FoldersFirstFilterHiddenAndErrors)
{
    Folders f;
    f.mk("D/Sub");
    f.file("D/b.JPG");
    f.file("D/a.txt");
    f.file("D/.secret.jpg");
    f.file("D/noext");
    ShellList l;
    QSignalSpy folderChange(&l, &ShellList::FolderChange);
    QSignalSpy refreshed(&l, &ShellList::Refreshed);
    ASSERT_TRUE(l.setFolderPath(f.p("D")));
    EXPECT_EQ(folderChange.count(), 1);
    EXPECT_EQ(refreshed.count(), 1);
    EXPECT_EQ(names(l), (QStringList{"Sub", "a.txt", "b.JPG", "noext"}));

    l.setFilter("*.jpg");
    EXPECT_EQ(names(l), (QStringList{"Sub", "b.JPG"})) << "folders stay; masks ignore case";
    EXPECT_EQ(refreshed.count(), 1) << "a filter change is not a refresh";
    l.setProperty("ShowHidden", true); // as the window's colouring hands it over
    EXPECT_EQ(names(l), (QStringList{"Sub", ".secret.jpg", "b.JPG"}));

    EXPECT_FALSE(l.setFolderPath(f.p("D/missing")));
    EXPECT_EQ(l.lastError(), 76);
    EXPECT_EQ(l.FolderPath(), f.p("D"));

    // A refresh keeps the selection on the same path.
    l.selectIndex(2);
    EXPECT_EQ(l.SelectedItem()->Name(), "b.JPG");
    f.file("D/a0.jpg");
    l.Refresh();
    ASSERT_NE(l.SelectedItem(), nullptr);
    EXPECT_EQ(l.SelectedItem()->Index(), 3);

    // A folder that vanished shows nothing after a refresh.
    ASSERT_TRUE(QDir(f.p("D")).removeRecursively());
    l.Refresh();
    EXPECT_EQ(l.Count(), 0);
}

TEST(ShellList, TenThousandFilesAreListedWhole)
{
    Folders f;
    f.mk("Big");
    for (int i = 0; i < 10000; ++i) {
        QFile out(f.p(QStringLiteral("Big/f%1.%2").arg(i, 5, 10, QLatin1Char('0')).arg(i % 2 ? "jpg" : "txt")));
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    }
    ShellList l;
    l.resize(400, 300);
    ASSERT_TRUE(l.setFolderPath(f.p("Big")));
    EXPECT_EQ(l.Count(), 10000);
    EXPECT_EQ(l.ItemAt(9999)->Name(), "f09999.jpg");
    l.setFilter("*.JPG");
    l.setViewStyle(3);
    EXPECT_EQ(l.currentView()->model()->rowCount(), 5000);
}

TEST(ShellCombo, ShowsTheChainAndSelectsInTheTree)
{
    Folders f;
    f.mk("R/A/A1");
    f.mk("R/B");
    ShellTree t;
    ShellList l;
    ShellCombo c;
    t.setRootFolders({f.p("R")});
    t.setFolder(&l);
    c.setFolder(&t);
    ASSERT_TRUE(l.setFolderPath(f.p("R/A/A1")));
    EXPECT_EQ(t.SelectedFolder(), f.p("R/A/A1")) << "the tree follows the list";
    ASSERT_EQ(c.count(), 3);
    EXPECT_EQ(c.itemText(2).trimmed(), "A1");
    emit c.activated(0);
    EXPECT_EQ(t.SelectedFolder(), f.p("R"));
    EXPECT_EQ(l.FolderPath(), f.p("R")) << "the list follows the tree";
    EXPECT_EQ(c.count(), 1);
}
