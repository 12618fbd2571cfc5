// Opening a file from the file list and saving it under a new name, as a
// user does it: a double-click on the list, the real save dialog.
#include "PictureSamples.h"
#include "RealFileDialog.h"
#include "TestSupport.h"

#include "platform/shell/ShellList.h"
#include "shared/SharedState.h"
#include "window/Lumivex1.h"

#include <QAbstractItemView>
#include <QImageReader>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// The main window, noting the pointer each loader starts under.
class PointerNotingWindow : public Lumivex1 {
public:
    PointerNotingWindow() : Lumivex1(QStringList{}) {}
    void LoadImage(const QString& path) override
    {
        pointers << cursor().shape();
        Lumivex1::LoadImage(path);
        pointers << cursor().shape();
    }
    QList<Qt::CursorShape> pointers;
};

class OpenAndSave : public ::testing::Test {
protected:
    void SetUp() override
    {
        w.resize(1000, 750);
        w.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
        w.finishStartUp();
        QDir().mkpath(program.file("pics"));
        samples::writeQt(program.file("pics/cat.jpg"), samples::pattern(64, 48), "jpeg");
        w.setFileListFolder(program.file("pics")); // shows the folder's first picture
        dialogs.messages.clear();
        w.pointers.clear();
    }
    void TearDown() override { w.fPictureChanged = false; }

    void doubleClick(const QString& name)
    {
        platform::ShellList* list = w.PTxShList1;
        QAbstractItemView* view = list->currentView();
        for (int i = 0; i < list->Count(); ++i)
            if (list->Item(i)->Name() == name) {
                const QPoint at = view->visualRect(view->model()->index(i, 0)).center();
                QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
                QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
                QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, at);
                return;
            }
        ADD_FAILURE() << "no item " << name.toStdString();
    }

    testsupport::ProgramFolder program;
    testsupport::RealFileDialogs dialogs;
    PointerNotingWindow w;
};

} // namespace

TEST_F(OpenAndSave, APictureOpenedByADoubleClickLoadsUnderTheHourglass)
{
    doubleClick("cat.jpg");
    EXPECT_EQ(w.cShownPicture, program.file("pics/cat.jpg"));
    ASSERT_EQ(w.pointers.size(), 2);
    EXPECT_EQ(w.pointers[0], Qt::WaitCursor) << "the hourglass is up when the load starts";
    EXPECT_EQ(w.pointers[1], Qt::WaitCursor) << "and still up when the picture is in";
    EXPECT_EQ(w.cursor().shape(), Qt::ArrowCursor) << "and gone once the file is shown";
}

TEST_F(OpenAndSave, ANameTypedWithoutAnExtensionGetsTheFilesOwn)
{
    doubleClick("cat.jpg");
    ASSERT_EQ(gs.cCurrentFile, program.file("pics/cat.jpg"));
    testsupport::FileDialogDriver driver(program.file("pics/copy"));
    w.ToolBarComp1->Item("ID_mnuSaveFileAs")->action()->trigger();
    ASSERT_TRUE(driver.typed) << "the save dialog came up";
    ASSERT_EQ(dialogs.fileRequests.size(), 1);
    EXPECT_EQ(dialogs.fileRequests[0].defaultSuffix, "JPG");
    EXPECT_FALSE(QFile::exists(program.file("pics/copy"))) << "no file without an extension";
    EXPECT_EQ(QImageReader(program.file("pics/copy.JPG")).format(), "jpeg")
        << QDir(program.file("pics")).entryList().join(' ').toStdString();
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.texts().join('|').toStdString();
}
