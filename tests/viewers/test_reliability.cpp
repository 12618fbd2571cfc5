// The main window when the disk is full, when a small file declares a huge
// picture, and when a document holds very many formatting runs or very long
// lines.
#include "ViewerFixture.h"

#include "platform/pictures/ImagingCodes.h"
#include "platform/text/RichTextBox.h"
#include "platform/text/RtfReader.h"
#include "platform/controls/ToolBarComp.h"

#include <QAction>
#include <QTextBlock>
#include <QTextDocument>

using viewertest::Viewer;
using namespace platform;

namespace {

FileAnswer answer(const QString& name, int format = 0)
{
    FileAnswer a;
    a.accepted = true;
    a.fileName = name;
    a.pageNumber = 1;
    a.saveFormat = format;
    a.saveQFactor = 5;
    return a;
}

void trigger(Lumivex1& w, const char* id)
{
    Tool* t = w.ToolBarComp1->Item(QString::fromLatin1(id));
    ASSERT_NE(t, nullptr) << id;
    ASSERT_TRUE(t->action()->isEnabled()) << id;
    t->action()->trigger();
}

// The text box's paragraphs: none longer than a shown line.
int longestBlock(const QTextDocument* doc)
{
    int longest = 0;
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next())
        longest = std::max(longest, b.length() - 1);
    return longest;
}

} // namespace

TEST_F(Viewer, OnAFullDiskSaveImageAndCopyKeepTheOldFileAndSayTheyFailed)
{
    const QString cat = picture(QStringLiteral("cat.png"), 40, 30);
    const QString song = file(QStringLiteral("song.mp3"));
    samples::writeBytes(song, QByteArray(5000, 's'));
    w->DisplayFile(cat);
    testsupport::FullDisk disk(file(QStringLiteral("disk")));
    const QString picTarget = file(QStringLiteral("disk/cat.png"));
    const QString songTarget = file(QStringLiteral("disk/song.mp3"));
    samples::writeBytes(picTarget, "the old picture");
    samples::writeBytes(songTarget, "the old song");
    disk.fill();

    // Save Image on the toolbar writes the selected viewed picture.
    w->fPictureChanged = true;
    dialogs->service.fileAnswers << answer(picTarget);
    trigger(*w, "ID_SaveImage");
    EXPECT_EQ(texts().value(0), "Error Saving File - " + picTarget);
    EXPECT_TRUE(w->fPictureChanged) << "not saved";
    // Any other file is copied.
    dialogs->service.fileAnswers << answer(songTarget);
    EXPECT_FALSE(w->SaveFileAs(song));
    EXPECT_EQ(texts().value(1), "Error Copying File - " + songTarget);

    disk.release();
    EXPECT_EQ(samples::readBytes(picTarget), "the old picture");
    EXPECT_EQ(samples::readBytes(songTarget), "the old song");
    EXPECT_EQ(QDir(file(QStringLiteral("disk"))).entryList(QDir::Files | QDir::Hidden).size(), 2)
        << "no temporary file is left behind";
    // With room again both are written.
    dialogs->service.fileAnswers << answer(picTarget) << answer(songTarget);
    trigger(*w, "ID_SaveImage");
    EXPECT_TRUE(w->SaveFileAs(song));
    EXPECT_EQ(texts().size(), 2);
    EXPECT_TRUE(samples::readBytes(picTarget).startsWith("\x89PNG"));
    EXPECT_EQ(samples::readBytes(songTarget), QByteArray(5000, 's'));
}

TEST_F(Viewer, ConvertingAGifWhoseFramesTakeGigabytesIsRefused)
{
    const QString bomb = file(QStringLiteral("bomb.gif"));
    samples::writeBytes(bomb, samples::tinyFrameGif(2000, 2000, 100));
    const QString target = file(QStringLiteral("bomb.jpg"));
    w->DisplayFile(picture(QStringLiteral("shown.png"), 30, 20));
    gs.cCurrentFile = bomb;
    testsupport::PeakMemory peak;
    peak.start();
    dialogs->service.fileAnswers << answer(bomb) << answer(target, fmt::Jpeg);
    trigger(*w, "ID_mnuConvertFiles");
    EXPECT_EQ(texts(), QStringList{"Error Occurred for File - " + bomb + " during Conversion"});
    EXPECT_FALSE(QFileInfo::exists(target));
    if (peak.grownKb() >= 0) {
        EXPECT_LT(peak.grownKb(), 200 * 1024);
    }
    // The view still shows the bomb's first frame, one screen of it.
    w->DisplayFile(bomb);
    EXPECT_EQ(w->Image1->BitmapWidth(), 2000);
}

TEST_F(Viewer, TwentyThousandFormattingRunsAreReadInOneEditAndKeepTheirFormats)
{
    QByteArray rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 ";
    for (int i = 0; i < 10000; ++i)
        rtf += "\\b bold\\b0  plain ";
    rtf += "\\par}";
    const QString path = file(QStringLiteral("runs.rtf"));
    samples::writeBytes(path, rtf);
    int changes = 0;
    QObject::connect(w->Text1->document(), &QTextDocument::contentsChange, [&] { ++changes; });
    w->DisplayFile(path);
    EXPECT_LE(changes, 4) << "the box takes the document in one edit, not after every run";
    EXPECT_TRUE(texts().isEmpty());

    const QTextDocument* doc = w->Text1->document();
    EXPECT_TRUE(doc->toPlainText().remove(QLatin1Char('\n')) == QString("bold plain ").repeated(10000));
    EXPECT_TRUE(doc->begin().text().endsWith(QLatin1Char(' '))) << "cut after a blank";
    EXPECT_LE(longestBlock(doc), int(kMaxShownLine)) << "the 110,000 characters are shown in pieces";
    int bold = 0;
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it)
            bold += it.fragment().charFormat().fontWeight() == QFont::Bold;
    EXPECT_GE(bold, 10000);
    EXPECT_FALSE(doc->isUndoAvailable()) << "reading the file is no edit to undo";
}

TEST_F(Viewer, AMegabyteLineIsShownInPiecesWithNothingLost)
{
    const QString line = QString(1 << 20, QLatin1Char('x'));
    const QString txt = file(QStringLiteral("line.txt"));
    samples::writeBytes(txt, line.toLatin1() + "\r\nthe next line\r\n");
    w->DisplayFile(txt);
    const QTextDocument* doc = w->Text1->document();
    EXPECT_LE(longestBlock(doc), int(kMaxShownLine));
    EXPECT_TRUE(doc->toPlainText().remove(QLatin1Char('\n')) == line + "the next line");

    // Prose is cut after a blank, so the pieces end where the line would wrap anyway.
    QString prose;
    while (prose.size() < 100000)
        prose += QStringLiteral("lorem ipsum dolor sit amet ");
    const QString rtf = file(QStringLiteral("prose.rtf"));
    samples::writeBytes(rtf, "{\\rtf1 " + prose.toLatin1() + "\\par " + line.toLatin1() + "}");
    w->DisplayFile(rtf);
    EXPECT_LE(longestBlock(doc), int(kMaxShownLine));
    const QStringList blocks = doc->toPlainText().split(QLatin1Char('\n'));
    ASSERT_GT(blocks.size(), 25);
    EXPECT_TRUE(blocks.at(0).endsWith(QLatin1Char(' ')));
    EXPECT_TRUE(blocks.at(10).endsWith(QLatin1Char(' ')));
    EXPECT_TRUE(doc->toPlainText().remove(QLatin1Char('\n')) == prose + line);
}
