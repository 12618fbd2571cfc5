#include "ViewerFixture.h"

#include "platform/pictures/ImagingCodes.h"
#include "platform/shell/ShellList.h"

#include <QDesktopServices>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>

using viewertest::Viewer;
using viewertest::waitFor;

namespace {

// Records the files the desktop was asked to open.
class OpenRecorder : public QObject {
    Q_OBJECT
public:
    OpenRecorder() { QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "open"); }
    ~OpenRecorder() override { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened << url; }
};

const QString kTitle = QStringLiteral("Brevanto Lumivex 3.0");
const QString kUnknown =
    QStringLiteral("File Type is not Supported by this Software. Do you want to Open the File with another Program?");

} // namespace

TEST_F(Viewer, PicturesAreRoutedByTheirExtensionInAnyLetterCase)
{
    const QString photo = picture(QStringLiteral("photo.JpG"), 80, 60);
    w->TabStrip1->setCurrentIndex(0);
    w->DisplayFile(photo);
    EXPECT_EQ(w->windowTitle(), kTitle + QStringLiteral(" - ") + photo);
    EXPECT_EQ(gs.cCurrentExt, "JPG");
    EXPECT_EQ(w->TabStrip1->currentIndex(), 2) << "the Pictures tab comes up";
    EXPECT_EQ(w->Image1->BitmapWidth(), 80);
    EXPECT_EQ(gs.cCurrentPicture, photo);
    EXPECT_TRUE(texts().isEmpty());

    // With the option off the tab stays where it is.
    gs.fAutoPictures = false;
    w->TabStrip1->setCurrentIndex(0);
    w->DisplayFile(picture(QStringLiteral("second.png")));
    EXPECT_EQ(w->TabStrip1->currentIndex(), 0);
}

TEST_F(Viewer, MediaDocumentsAndTextGoToTheirTabs)
{
    const QString song = file(QStringLiteral("song.mp3"));
    samples::writeBytes(song, "ID3");
    w->DisplayFile(song);
    EXPECT_EQ(w->windowTitle(), kTitle + QStringLiteral(" - ") + song);
    EXPECT_FALSE(w->Image1->HasBitmap()) << "never the picture loader";
    for (const char* name : {"notes.txt", "letter.rtf", "page.htm", "manual.pdf"}) {
        w->TabStrip1->setCurrentIndex(0);
        const QString path = file(QLatin1String(name));
        samples::writeBytes(path, "text");
        w->DisplayFile(path);
        EXPECT_EQ(w->TabStrip1->currentIndex(), 4) << name << ": the Documents tab";
    }
    EXPECT_TRUE(texts().isEmpty());
}

TEST_F(Viewer, UnknownTypesAskAndOddNamesAreIgnored)
{
    // Six characters after the dot: looked up as BACKUP, not found.
    const QString archive = file(QStringLiteral("archive.backup"));
    samples::writeBytes(archive, "data");
    gs.cCurrentFile = archive;
    w->DisplayFile(archive);
    ASSERT_EQ(dialogs->service.messages.size(), 1);
    EXPECT_EQ(dialogs->service.messages.first().title, kTitle);
    EXPECT_EQ(dialogs->service.messages.first().text, kUnknown);
    EXPECT_EQ(dialogs->service.messages.first().buttons, platform::Buttons::YesNo);
    EXPECT_EQ(gs.cCurrentFile, "");
    EXPECT_EQ(gs.cCurrentExt, "BACKUP");

    // No extension, or more than eight characters after the dot: nothing at all.
    dialogs->service.messages.clear();
    const QString title = w->windowTitle();
    for (const QString& path : {file(QStringLiteral("README")), file(QStringLiteral("a.verylongext")),
                                QStringLiteral("/some/My.Folder/readme")}) {
        gs.cCurrentFile = QStringLiteral("x");
        w->DisplayFile(path);
        EXPECT_EQ(gs.cCurrentFile, "") << path.toStdString();
    }
    EXPECT_TRUE(texts().isEmpty());
    EXPECT_EQ(w->windowTitle(), title);
}

TEST_F(Viewer, OpeningWithAnotherProgramOpensTheFileAskedAbout)
{
    OpenRecorder recorder;
    const QString odd = file(QStringLiteral("drawing.xyz"));
    samples::writeBytes(odd, "data");
    gs.cCurrentFile = picture(QStringLiteral("selected.jpg")); // what the file list has selected
    dialogs->service.answers << platform::Answer::Yes;
    w->DisplayFile(odd);
    ASSERT_EQ(recorder.opened.size(), 1);
    EXPECT_EQ(recorder.opened.first(), QUrl::fromLocalFile(odd));
    EXPECT_EQ(gs.cCurrentFile, "");

    // The command opens the file list's selection; nothing selected is reported.
    w->setFileListFolder(program->path());
    w->PTxShList1->setFilter(QStringLiteral("*.*"));
    ASSERT_TRUE(w->SelectFileListItem(odd));
    w->OpenFileWithApplication();
    ASSERT_EQ(recorder.opened.size(), 2);
    EXPECT_EQ(recorder.opened.last(), QUrl::fromLocalFile(odd));
    w->setFileListFolder(QDir::rootPath() + QStringLiteral("no such folder"));
    gs.cCurrentExt = QStringLiteral("XYZ");
    w->OpenFileWithApplication();
    EXPECT_EQ(recorder.opened.size(), 2);
    EXPECT_EQ(texts().last(),
              "Error Loading File Type - Check Explorer Options to set up Program for this File Type - XYZ");
}

TEST_F(Viewer, PictureDialogFilterPairs)
{
    EXPECT_EQ(w->PictureDialogFilter.count(QLatin1Char('|')), 27 * 2 - 1);
    const std::pair<const char*, int> want[] = {{"*.JPEG", 1}, {"*.MPT", 2},  {"*.AWD", 7},  {"*.RAS", 19},
                                                {"*.CAL", 27}, {"*.GIF", 1}, {"", 1}, {"*.tif", 2}};
    for (const auto& [pattern, n] : want)
        EXPECT_EQ(w->GetFileFilterType(QString::fromLatin1(pattern)), n) << pattern;
}

TEST_F(Viewer, ViewedListKeepsEachPictureOnceWithItsMenuEntry)
{
    const QString a = picture(QStringLiteral("a.jpg")), b = picture(QStringLiteral("b.png"));
    w->DisplayFile(a);
    w->DisplayFile(b);
    w->DisplayFile(a);
    EXPECT_EQ(list3(), (QStringList{a, b}));
    EXPECT_EQ(w->List3->currentRow(), 1) << "an entry already there keeps the selection where it was";
    EXPECT_EQ(gs.cCurrentPicture, a);
    const QStringList menu = w->ToolBarComp1->Item(QStringLiteral("ID_mnuView"))->MenuTools();
    EXPECT_EQ(menu.count(a), 1);
    EXPECT_EQ(menu.count(b), 1);
    for (const QString& path : {a, b}) {
        platform::Tool* t = w->ToolBarComp1->Item(path);
        ASSERT_TRUE(t);
        EXPECT_EQ(t->Category(), "MenuViewList");
        EXPECT_EQ(t->Caption(), path);
        EXPECT_EQ(t->State(), 1);
    }
}

TEST_F(Viewer, BackAndForwardWrapAndDoNothingOnAnEmptyList)
{
    w->ShowPreviousPicture();
    w->ShowNextPicture();
    EXPECT_FALSE(w->Image1->HasBitmap());
    const QString a = picture(QStringLiteral("a.jpg"), 10, 10), b = picture(QStringLiteral("b.jpg"), 20, 20),
                  c = picture(QStringLiteral("c.jpg"), 30, 30);
    w->DisplayFile(a);
    w->ShowNextPicture();
    EXPECT_EQ(gs.cCurrentPicture, a) << "a one-item list shows the same picture again";
    w->DisplayFile(b);
    w->DisplayFile(c);
    w->ShowNextPicture();
    EXPECT_EQ(gs.cCurrentPicture, a) << "the last wraps to the first";
    EXPECT_EQ(w->Image1->BitmapWidth(), 10);
    w->ShowPreviousPicture();
    EXPECT_EQ(gs.cCurrentPicture, c) << "the first wraps to the last";
    w->List3->setCurrentRow(-1);
    w->ShowNextPicture();
    EXPECT_EQ(gs.cCurrentPicture, c) << "nothing selected: nothing happens";
}

TEST_F(Viewer, AChangedPictureIsOfferedForSavingBeforeTheNextLoads)
{
    const QString a = picture(QStringLiteral("a.jpg"), 40, 30), b = picture(QStringLiteral("b.jpg"), 50, 30);
    w->DisplayFile(a);
    w->fPictureChanged = true;
    w->DisplayFile(b);
    ASSERT_EQ(dialogs->service.messages.size(), 1);
    EXPECT_EQ(dialogs->service.messages.first().text, "Do you want to Save the Current Picture - " + a + " ? ");
    EXPECT_EQ(dialogs->service.messages.first().buttons, platform::Buttons::YesNo);
    EXPECT_FALSE(w->fPictureChanged);
    EXPECT_EQ(w->Image1->BitmapWidth(), 50);
}

TEST_F(Viewer, AFailedLoadLeavesTheShownPictureAsItWas)
{
    const QString good = picture(QStringLiteral("good.jpg"), 70, 40);
    w->DisplayFile(good);
    const QImage before = w->Image1->Bitmap();
    for (const char* name : {"broken.jpg", "empty.png", "broken.tif", "broken.flc", "fake.cmp"}) {
        const QString bad = file(QLatin1String(name));
        samples::writeBytes(bad, QByteArray(name).startsWith("empty") ? QByteArray() : QByteArray(900, '\x13'));
        dialogs->service.messages.clear();
        w->DisplayFile(bad);
        EXPECT_EQ(texts(), QStringList{"Cannot Display this File - " + bad}) << name;
        EXPECT_EQ(w->Image1->Bitmap(), before) << name;
        EXPECT_EQ(list3(), QStringList{good}) << name;
        EXPECT_EQ(w->windowTitle(), kTitle + " - " + bad) << name << ": the caption set before the load stays";
    }
}

TEST_F(Viewer, PagesAnimationsAndTheLeftOverPageNumber)
{
    const QString tif = file(QStringLiteral("pages.tif"));
    ASSERT_TRUE(samples::writeMagick(tif, {samples::pattern(30, 20), samples::pattern(40, 30), samples::pattern(50, 40)},
                                     "TIFF"));
    gs.nPicturePage = 2;
    w->DisplayFile(tif);
    EXPECT_EQ(w->Image1->BitmapWidth(), 40);
    // The page number of the last file does not exist in this one: page 1.
    gs.nPicturePage = 3;
    const QString single = file(QStringLiteral("single.tif"));
    ASSERT_TRUE(samples::writeMagick(single, {samples::pattern(25, 25)}, "TIFF"));
    w->DisplayFile(single);
    EXPECT_TRUE(texts().isEmpty());
    EXPECT_EQ(w->Image1->BitmapWidth(), 25);
    gs.nPicturePage = 1;

    const QString flc = file(QStringLiteral("movie.flc"));
    ASSERT_TRUE(samples::writeBytes(flc, samples::flic(32, 24, 5, 40)));
    w->DisplayFile(flc);
    EXPECT_TRUE(w->fAnimationShown);
    EXPECT_EQ(w->Image1->BitmapListCount(), 5);
    EXPECT_TRUE(w->Image1->IsAnimating());
    EXPECT_TRUE(waitFor([&] { return w->Image1->BitmapListIndex() > 0; })) << "the frames move on";
    w->DisplayFile(picture(QStringLiteral("still.jpg")));
    EXPECT_FALSE(w->Image1->IsAnimating());
}

TEST_F(Viewer, AnEightThousandPixelPhotoLoads)
{
    QImage big(8000, 6000, QImage::Format_RGB32);
    big.fill(QColor(90, 120, 150));
    const QString path = file(QStringLiteral("big.jpg"));
    ASSERT_TRUE(samples::writeQt(path, big, "jpeg", 80));
    big = QImage();
    w->DisplayFile(path);
    EXPECT_TRUE(texts().isEmpty());
    EXPECT_EQ(w->Image1->Bitmap().size(), QSize(8000, 6000));
}

#include "test_display_routing.moc"
