// The favourite list windows as the main window's commands open them.
#include "ListWindow.h"

#include "favorites/SelFavorites1.h"
#include "favorites/SetFavList1.h"
#include "platform/shell/ShellList.h"
#include "shared/SharedState.h"

#include <QApplication>
#include <QPushButton>
#include <gtest/gtest.h>

using listtest::ListWindow;

namespace {
template <class T> T* openWindow()
{
    for (QWidget* top : QApplication::topLevelWidgets())
        if (auto* w = qobject_cast<T*>(top); w && w->isVisible())
            return w;
    return nullptr;
}
} // namespace

TEST(FavoriteCommands, TheSelectorMovesTheMainFileListToTheEntrysFolder)
{
    ListWindow f;
    const QString song = f.media("music/jazz/song.mp3");
    testsupport::writeFile(f.file("FavoriteLists/Evening.FLST"), (song + "\r\n").toUtf8());
    f.w->ToolBarComp1->Item("ID_mnuSelectFavoriteList")->action()->trigger();
    SelFavorites1* s = openWindow<SelFavorites1>();
    ASSERT_NE(s, nullptr);
    EXPECT_TRUE(gs.fSelFavoritesOpen);
    f.w->ToolBarComp1->Item("ID_mnuSelectFavoriteList")->action()->trigger();
    EXPECT_EQ(openWindow<SelFavorites1>(), s) << "one instance, brought to the front";

    QTest::mouseClick(s->OKBtn, Qt::LeftButton);
    EXPECT_EQ(f.w->fileListFolder(), f.file("music/jazz"));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(openWindow<SelFavorites1>(), nullptr);
    EXPECT_FALSE(gs.fSelFavoritesOpen);
}

TEST(FavoriteCommands, AddingThePictureOnShowOpensTheEditorOnIt)
{
    ListWindow f;
    const QString pic = f.media("pics/B.png");
    f.media("pics/a.png");
    testsupport::writeFile(f.file("FavoriteLists/Trip.FLST"), "");
    gs.cCurrentPicture = f.file("pics/b.png"); // found ignoring case
    f.w->ToolBarComp1->Item("ID_PicFavorites")->action()->trigger();
    SetFavList1* ed = openWindow<SetFavList1>();
    ASSERT_NE(ed, nullptr);
    for (int i = 0; i < 20 && ed->fFirstActivate; ++i)
        QTest::qWait(5);
    ASSERT_NE(ed->PTxShList1->SelectedItem(), nullptr);
    EXPECT_EQ(ed->PTxShList1->SelectedItem()->Path(), pic);
    EXPECT_FALSE(gs.fAddCurrentPicture);
    QTest::mouseClick(ed->RightBtn, Qt::LeftButton);
    QTest::mouseClick(ed->OKBtn, Qt::LeftButton);
    EXPECT_EQ(testsupport::readFile(f.file("FavoriteLists/Trip.FLST")), (pic + "\r\n").toUtf8());

    // Closing the main window closes an open editor.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    f.w->ToolBarComp1->Item("ID_mnuCreateandChangeFavoriteLists")->action()->trigger();
    ASSERT_NE(openWindow<SetFavList1>(), nullptr);
    EXPECT_TRUE(gs.fSetFavListOpen);
    f.w->close();
    EXPECT_FALSE(gs.fSetFavListOpen);
}
