// The favourite list selector: choosing lists and entries, the picture
// preview, opening and locating an entry, and the press-and-hold drag.
#include "FavoritesFixture.h"

#include "favorites/SelFavorites1.h"
#include "platform/imaging/Lead.h"

#include <QImage>
#include <QLabel>

using favtest::Favorites;
using testsupport::writeFile;

namespace {

struct Selector : Favorites {
    QStringList shown, folders;
    std::unique_ptr<SelFavorites1> open()
    {
        auto s = std::make_unique<SelFavorites1>(
            SelFavorites1::Hooks{[this](const QString& p) { shown << p; }, [this](const QString& f) { folders << f; }});
        s->show();
        QCoreApplication::processEvents();
        return s;
    }
};

} // namespace

TEST_F(Selector, ChoosesListsAndEntriesAndLocatesTheFolder)
{
    // Without lists nothing happens.
    auto none = open();
    EXPECT_EQ(none->List2->count() + none->List1->count(), 0);
    QTest::mouseClick(none->OKBtn, Qt::LeftButton);
    EXPECT_TRUE(none->isVisible());
    EXPECT_TRUE(folders.isEmpty());
    EXPECT_FALSE(none->Image1->isVisible());
    none.reset();

    const QString pic = folder.file("pics/photo.png");
    QDir().mkpath(folder.file("pics"));
    QImage img(64, 48, QImage::Format_RGB32);
    img.fill(Qt::darkGreen);
    ASSERT_TRUE(img.save(pic));
    const QString song = file("music/song.mp3");
    const QString broken = file("pics/broken.jpg", "not a picture");
    writeFile(listFile("Alpha"), (pic + "\r\n" + song + "\r\n" + broken + "\r\n" + folder.file("gone.png")).toUtf8());
    writeFile(listFile("Beta"), "nofolder.txt\r\n");

    auto s = open();
    EXPECT_TRUE(gs.fSelFavoritesOpen);
    EXPECT_EQ(texts(s->List2), (QStringList{"Alpha", "Beta"}));
    EXPECT_EQ(s->List2->currentRow(), 0);
    EXPECT_EQ(s->List1->currentRow(), 0);
    EXPECT_TRUE(s->Image1->isVisible()) << "a picture entry is previewed";
    EXPECT_EQ(s->Image1->PaintSizeMode(), 1) << "stretched to the control";
    EXPECT_EQ(s->Image1->BitmapWidth(), 64);
    EXPECT_EQ(s->Label1->text(), pic);

    clickRow(s->List1, 1);
    EXPECT_FALSE(s->Image1->isVisible());
    EXPECT_EQ(s->Label1->text(), song);
    EXPECT_EQ(s->List1->toolTip(), song);
    // A picture that cannot be read, or is gone, shows nothing and says nothing.
    clickRow(s->List1, 2);
    EXPECT_FALSE(s->Image1->isVisible());
    clickRow(s->List1, 3);
    EXPECT_FALSE(s->Image1->isVisible());
    EXPECT_TRUE(dialogs->messages.isEmpty());

    // A double click opens any entry in the main window; the selector stays.
    const QPoint songAt = s->List1->visualItemRect(s->List1->item(1)).center();
    QTest::mouseClick(s->List1->viewport(), Qt::LeftButton, {}, songAt);
    QTest::mouseDClick(s->List1->viewport(), Qt::LeftButton, {}, songAt);
    EXPECT_EQ(shown, QStringList{song});
    EXPECT_TRUE(s->isVisible());

    // An entry without a folder is not located.
    clickRow(s->List2, 1);
    EXPECT_EQ(texts(s->List1), QStringList{"nofolder.txt"});
    QTest::mouseClick(s->OKBtn, Qt::LeftButton);
    EXPECT_TRUE(folders.isEmpty());
    EXPECT_TRUE(s->isVisible());
    // A list whose file went leaves the entries on show.
    QFile::remove(listFile("Alpha"));
    clickRow(s->List2, 0);
    EXPECT_EQ(texts(s->List1), QStringList{"nofolder.txt"});

    writeFile(listFile("Alpha"), song.toUtf8());
    clickRow(s->List2, 1);
    clickRow(s->List2, 0);
    QTest::mouseClick(s->OKBtn, Qt::LeftButton);
    EXPECT_EQ(folders, QStringList{folder.file("music")}) << "the main file list shows the entry's folder";
    EXPECT_FALSE(s->isVisible());
    EXPECT_FALSE(gs.fSelFavoritesOpen);
}

TEST_F(Selector, AnEntryIsDraggedOnlyAfterTheButtonWasHeld)
{
    writeFile(listFile("Alpha"), "/a/one.mp3\r\n/a/two.mp3\r\n");
    auto s = open();
    double now = 1000.0;
    s->clock = [&now] { return now; };
    QList<QListWidget*> drags;
    s->beginDrag = [&drags](QListWidget* list) { drags << list; };
    QWidget* port = s->List1->viewport();
    const QPoint at = s->List1->visualItemRect(s->List1->item(1)).center();

    QTest::mousePress(port, Qt::LeftButton, {}, at);
    EXPECT_TRUE(s->fFileDragArmed);
    EXPECT_EQ(s->List1->currentRow(), 1) << "the press chose the entry";
    now += 0.2;
    QTest::mouseMove(port, at + QPoint(3, 0));
    EXPECT_TRUE(drags.isEmpty()) << "held too briefly";
    now += 0.2;
    QTest::mouseMove(port, at + QPoint(6, 0));
    ASSERT_EQ(drags, QList<QListWidget*>{s->List1});
    EXPECT_FALSE(s->fFileDragArmed);
    QTest::mouseMove(port, at + QPoint(9, 0));
    EXPECT_EQ(drags.size(), 1) << "one drag per press";
    QTest::mouseRelease(port, Qt::LeftButton, {}, at);

    // Release, the right button, Esc and a right click on the panel disarm.
    QTest::mousePress(port, Qt::LeftButton, {}, at);
    QTest::mouseRelease(port, Qt::LeftButton, {}, at);
    EXPECT_FALSE(s->fFileDragArmed);
    now += 1;
    QTest::mouseMove(port, at);
    QTest::mousePress(s->List2->viewport(), Qt::LeftButton, {}, s->List2->visualItemRect(s->List2->item(0)).center());
    EXPECT_TRUE(s->fListDragArmed);
    QTest::keyClick(s->List2, Qt::Key_Escape);
    EXPECT_FALSE(s->fListDragArmed);
    EXPECT_TRUE(s->isVisible());
    QTest::mousePress(port, Qt::LeftButton, {}, at);
    QTest::mouseClick(s->Frame1, Qt::RightButton, {}, {2, 2});
    EXPECT_FALSE(s->fFileDragArmed);
    now += 1;
    QTest::mouseMove(port, at);
    EXPECT_EQ(drags.size(), 1);
}
