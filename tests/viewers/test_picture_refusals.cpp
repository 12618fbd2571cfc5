// Pictures refused for their size, as a user meets them: the folder's
// pictures shown in turn, then the editors opened on them from the toolbar.
// Each refusal says what it is, in the viewer's control and in the editors'
// messages alike: a side past the reader's limit (TIFF's here) is an
// invalid width or height, more pixels than it takes is too large, never a
// bad file.
#include "ViewerFixture.h"

#include "platform/pictures/ImagingCodes.h"
#include "platform/shell/ShellList.h"
#include "platform/imaging/Lead.h"
#include "platform/controls/ToolBarComp.h"
#include "window/ToolWindows.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace viewertest;

TEST_F(Viewer, APictureTooLargeForItsReaderIsToldAsSuchInTheViewerAndTheEditors)
{
    // Named so that the folder shows the too many pixels first, then the too wide.
    const QString folder = file(QStringLiteral("pics"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString many = folder + QStringLiteral("/a-many.tif");   // 50000 x 50000: past 2^31 pixels
    const QString wide = folder + QStringLiteral("/b-wide.tif");   // 1000001 x 100
    ASSERT_TRUE(samples::writeBytes(many, samples::whiteTiff(50000, 50000)));
    ASSERT_TRUE(samples::writeBytes(wide, samples::whiteTiff(1000001, 100)));
    const struct {
        QString path;
        int code;
        QString editorMessage;
    } pictures[] = {
        {many, platform::err::NoMemory, QStringLiteral("Error - 20001 - Not enough memory available")},
        {wide, platform::err::InvalidSize, QStringLiteral("Error - 20011 - Invalid width/height")},
    };
    const auto trigger = [&](const char* id) {
        w->ToolBarComp1->Item(QString::fromLatin1(id))->action()->trigger();
        QCoreApplication::processEvents();
    };

    // The folder's first picture comes up as the folder is shown.
    w->PTxShList1->setFilter(QStringLiteral("*.TIF"));
    w->setFileListFolder(folder);
    ASSERT_TRUE(waitFor([&] { return w->List3->count() == 2; })) << list3().join(QLatin1Char('|')).toStdString();
    for (const auto& picture : pictures) {
        if (picture.path != many) {
            dialogs->service.messages.clear();
            trigger("ID_Forward");
        }
        ASSERT_EQ(w->List3->currentItem()->text(), picture.path);
        EXPECT_EQ(texts(), QStringList{QStringLiteral("Cannot Display this File - ") + picture.path});
        EXPECT_EQ(w->Image1->Load(picture.path, 0, 1, 1), picture.code) << "the viewer's control";
        // Each editor opens on it and says why it is empty.
        for (const char* editor : {"EdtImage1", "EdtColors1"}) {
            dialogs->service.messages.clear();
            trigger(editor == QLatin1String("EdtImage1") ? "ID_EditImage" : "ID_EditColors");
            QWidget* window = toolwindows::existing(QString::fromLatin1(editor));
            ASSERT_TRUE(window && window->isVisible()) << editor;
            EXPECT_EQ(texts(), QStringList{picture.editorMessage}) << editor;
            window->close();
            delete window;
        }
    }
}
