// The imaging dialogs as the user sees them: the choices they add to the file
// dialog and what they hand back.
#include "PictureSamples.h"

#include "platform/pictures/ImagingCodes.h"
#include "platform/imaging/ImagingDialogs.h"
#include "platform/imaging/LeadDlg.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFileDialog>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>

using namespace platform;

namespace {

// Runs the step on the modal dialog once it is up.
void whenUp(const std::function<void(QDialog&)>& step)
{
    QTimer::singleShot(0, [step] {
        if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
            step(*d);
    });
}

} // namespace

TEST(ImagingDialogs, SaveDialogOffersFormatsBitsAndPages)
{
    QTemporaryDir dir;
    FileRequest r;
    r.title = QStringLiteral("Save File");
    r.folder = dir.path();
    r.fileName = QStringLiteral("boat");
    r.filter = QStringLiteral("TIFF Formats|*.TIFF;*.TIF;*.MPT|Bitmap Files|*.BMP");
    r.saveFormat = fmt::Tif;
    r.saveQFactor = 20;
    bool checked = false;
    whenUp([&](QDialog& d) {
        auto* format = d.findChild<QComboBox*>(QStringLiteral("SaveFormat"));
        auto* bits = d.findChild<QComboBox*>(QStringLiteral("SaveBitsPerPixel"));
        auto* quality = d.findChild<QSpinBox*>(QStringLiteral("SaveQFactor"));
        auto* multi = d.findChild<QCheckBox*>(QStringLiteral("SaveMultiPage"));
        ASSERT_TRUE(format && bits && quality && multi);
        EXPECT_EQ(format->currentData().toInt(), fmt::Tif);
        EXPECT_TRUE(multi->isEnabled());
        EXPECT_FALSE(quality->isEnabled());
        multi->setChecked(true);
        format->setCurrentIndex(format->findData(fmt::Jpeg));
        EXPECT_FALSE(multi->isEnabled()) << "a JPEG holds one page";
        EXPECT_TRUE(quality->isEnabled());
        EXPECT_EQ(quality->value(), 20);
        bits->setCurrentIndex(bits->findData(8));
        static_cast<QFileDialog&>(d).selectFile(dir.filePath("boat.jpg"));
        checked = true;
        d.accept();
    });
    const FileAnswer a = runImageSaveDialog(nullptr, r);
    ASSERT_TRUE(checked);
    ASSERT_TRUE(a.accepted);
    EXPECT_EQ(a.fileName, dir.filePath("boat.jpg"));
    EXPECT_EQ(a.saveFormat, fmt::Jpeg);
    EXPECT_EQ(a.saveBitsPerPixel, 8);
    EXPECT_FALSE(a.saveMultiPage);

    whenUp([](QDialog& d) { d.reject(); });
    EXPECT_FALSE(runImageSaveDialog(nullptr, r).accepted);
}

TEST(ImagingDialogs, TheNameGivenIsTheOneTheDialogAccepted)
{
    // What the dialog's name box shows once it has closed (a completion or
    // a folder's listing that came late) is not the answer.
    QTemporaryDir dir;
    FileRequest r;
    r.title = QStringLiteral("Save File");
    r.folder = dir.path();
    r.filter = QStringLiteral("JPEG Files|*.JPG");
    auto acceptBoat = [&](QDialog& d) {
        auto& files = static_cast<QFileDialog&>(d);
        QObject::connect(&files, &QDialog::finished, &files, [&] { files.selectFile(dir.filePath("late.jpg")); });
        files.selectFile(dir.filePath("boat.jpg"));
        d.accept();
    };
    whenUp(acceptBoat);
    EXPECT_EQ(runImageSaveDialog(nullptr, r).fileName, dir.filePath("boat.jpg"));
    whenUp(acceptBoat);
    EXPECT_EQ(qtDialogs().saveFile(r).fileName, dir.filePath("boat.jpg"));
}

TEST(ImagingDialogs, OpenDialogAsksThePage)
{
    QTemporaryDir dir;
    const QString tif = dir.filePath("pages.tif");
    ASSERT_TRUE(samples::writeMagick(tif, {samples::pattern(8, 8), samples::pattern(9, 9)}, "TIFF"));
    FileRequest r;
    r.title = QStringLiteral("Open");
    r.folder = dir.path();
    r.filter = QStringLiteral("TIFF Formats|*.TIFF;*.TIF;*.MPT");
    whenUp([&](QDialog& d) {
        auto* page = d.findChild<QSpinBox*>(QStringLiteral("PageNumber"));
        ASSERT_TRUE(page);
        page->setValue(2);
        static_cast<QFileDialog&>(d).selectFile(tif);
        d.accept();
    });
    const FileAnswer a = runImageOpenDialog(nullptr, r);
    ASSERT_TRUE(a.accepted);
    EXPECT_EQ(a.fileName, tif);
    EXPECT_EQ(a.pageNumber, 2);
}

TEST(ImagingDialogs, ChangeDialogGivesTheValue)
{
    ChangeRequest r;
    r.title = QStringLiteral("Picture Brightness");
    r.preview = samples::pattern(50, 40);
    r.boldFont = true;
    whenUp([](QDialog& d) {
        EXPECT_TRUE(d.font().bold());
        auto* spin = d.findChild<QSpinBox*>();
        ASSERT_TRUE(spin);
        spin->setValue(-250);
        d.accept();
    });
    EXPECT_EQ(runImageChangeDialog(nullptr, r), std::optional<int>(-250));
    whenUp([](QDialog& d) { d.reject(); });
    EXPECT_EQ(runImageChangeDialog(nullptr, r), std::nullopt);
}
