// Pictures of the picture view and its dialogs, to look at by eye:
// LUMIVEX_SCREENSHOT=/tmp/pictures.png build/test/bin/test_viewers --gtest_filter=Screenshot.*
#include "ViewerFixture.h"

#include "editor/NewSize1.h"
#include "platform/imaging/ImagingDialogs.h"

#include <QApplication>
#include <QTimer>

using viewertest::Viewer;

TEST_F(Viewer, ScreenshotOfThePictureView)
{
    const QString target = qEnvironmentVariable("LUMIVEX_SCREENSHOT");
    if (target.isEmpty())
        GTEST_SKIP() << "set LUMIVEX_SCREENSHOT to the PNG file to write";
    const QString base = target.left(target.size() - QFileInfo(target).suffix().size() - 1);
    w->DisplayFile(picture(QStringLiteral("photo.png"), 500, 350));
    for (int i = 0; i < 10; ++i)
        QCoreApplication::processEvents();
    ASSERT_TRUE(w->grab().save(target, "PNG"));
    w->FitImageToWindow();
    w->ToggleMagnifier();
    QCoreApplication::processEvents();
    EXPECT_TRUE(w->grab().save(base + QStringLiteral("-fit.png"), "PNG"));

    NewSize1 size(nullptr, w->Image1);
    size.InitTheForm(0);
    size.show();
    QCoreApplication::processEvents();
    EXPECT_TRUE(size.grab().save(base + QStringLiteral("-newsize.png"), "PNG"));
    size.hide();

    QTimer::singleShot(0, [base] {
        QWidget* d = QApplication::activeModalWidget();
        if (!d)
            return;
        d->resize(800, 560);
        QCoreApplication::processEvents();
        d->grab().save(base + QStringLiteral("-save.png"), "PNG");
        static_cast<QDialog*>(d)->reject();
    });
    platform::FileRequest r;
    r.title = QStringLiteral("Save File");
    r.folder = program->path();
    r.filter = w->PictureDialogFilter;
    platform::runImageSaveDialog(nullptr, r);
}
