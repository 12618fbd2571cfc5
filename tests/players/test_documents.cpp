// The Documents tab: the viewed-documents list, the text box with plain text
// and RTF, the document browser, and the document and Internet commands.
#include "Fakes.h"

#include "platform/text/RichTextBox.h"
#include "platform/text/RtfReader.h"
#include "shared/SharedState.h"
#include "viewers/DocumentText.h"

#include <QFont>
#include <QListWidget>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

// The character format at the first occurrence of a word.
QTextCharFormat formatOf(QTextDocument* doc, const QString& word)
{
    QTextCursor c = doc->find(word);
    if (c.isNull())
        return {};
    c.setPosition(c.selectionStart() + 1);
    return c.charFormat();
}

const QByteArray kRtf = "{\\rtf1\\ansi\\ansicpg1252\\deff0"
                        "{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}{\\f1\\froman\\fcharset0 Times New Roman;}}"
                        "{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}"
                        "{\\*\\generator Some Writer 1.0;}{\\info{\\title Hidden Title}{\\author Nobody}}"
                        "\\viewkind4\\uc1\\pard\\f0\\fs20 Plain \\b bold\\b0  and \\i italic\\i0  and "
                        "\\ul under\\ulnone .\\par"
                        "\\qc\\cf1\\fs40 Red\\cf2  blue\\cf0\\fs20\\par"
                        "\\pard\\f1 caf\\'e9\\tab tab \\u8364? euro \\{braces\\} back\\\\slash"
                        "{\\*\\unknowndest skipped text}{\\pict\\wmetafile8 0102ABCD}\\par"
                        "}";

} // namespace

TEST(Rtf, FormattingFontsColoursAndCharacters)
{
    QTextDocument doc;
    ASSERT_TRUE(platform::readRtf(kRtf, &doc));
    const QString text = doc.toPlainText();
    EXPECT_EQ(doc.blockCount(), 4);
    EXPECT_TRUE(text.startsWith("Plain bold and italic and under.\nRed blue\ncafé\ttab € euro {braces} back\\slash"))
        << text.toStdString();
    for (const char* hidden : {"Some Writer", "Hidden Title", "Nobody", "skipped", "0102ABCD", "wmetafile"})
        EXPECT_FALSE(text.contains(hidden)) << hidden;

    EXPECT_EQ(formatOf(&doc, "Plain").fontWeight(), QFont::Normal);
    EXPECT_EQ(formatOf(&doc, "bold").fontWeight(), QFont::Bold);
    EXPECT_TRUE(formatOf(&doc, "italic").fontItalic());
    EXPECT_TRUE(formatOf(&doc, "under").fontUnderline());
    EXPECT_EQ(formatOf(&doc, "caf").fontFamilies().toStringList(), QStringList({"Times New Roman"}));
    EXPECT_DOUBLE_EQ(formatOf(&doc, "Red").fontPointSize(), 20.0);
    EXPECT_EQ(formatOf(&doc, "Red").foreground().color(), QColor(255, 0, 0));
    EXPECT_EQ(formatOf(&doc, "blue").foreground().color(), QColor(0, 0, 255));
    EXPECT_EQ(doc.findBlockByNumber(1).blockFormat().alignment(), Qt::AlignHCenter);
    EXPECT_EQ(doc.findBlockByNumber(2).blockFormat().alignment(), Qt::AlignLeft) << "\\pard resets";
}

TEST(Rtf, DamagedInputShowsWhatCanBeRead)
{
    QTextDocument doc;
    EXPECT_FALSE(platform::readRtf("plain words", &doc));
    EXPECT_TRUE(doc.isEmpty());
    // Unbalanced braces, a cut-off escape, a huge parameter, deep nesting.
    EXPECT_TRUE(platform::readRtf("{\\rtf1 one}} two}{\\b three", &doc));
    EXPECT_EQ(doc.toPlainText(), "one twothree");
    EXPECT_TRUE(platform::readRtf("{\\rtf1\\fs99999999999999 big\\u-4064? x\\bin5 12345y}", &doc));
    EXPECT_EQ(doc.toPlainText(), QString("big") + QChar(char16_t(61472)) + " xy");
    EXPECT_TRUE(platform::readRtf("{\\rtf1 " + QByteArray(100000, '{') + "deep" + QByteArray(100000, '}'), &doc));
    EXPECT_EQ(doc.toPlainText(), "deep");
    // A Unicode character skips its stand-in, also when that is escaped.
    EXPECT_TRUE(platform::readRtf("{\\rtf1\\uc1 a\\u233\\'e9 b\\uc2\\u233xx c}", &doc));
    EXPECT_EQ(doc.toPlainText(), QString("aé bé c"));
}

TEST(Rtf, NamedCharactersBreaksAndHiddenText)
{
    QTextDocument doc;
    // Settings inside a destination that is not shown stay there.
    ASSERT_TRUE(platform::readRtf("{\\rtf1\\ansi{\\*\\generator\\ansicpg1251\\par Writer;}"
                                  "a\\emdash b\\endash c\\bullet d\\lquote e\\rquote f\\ldblquote g\\rdblquote h"
                                  "\\line i\\emspace j\\enspace k\\qmspace l\\zwj m\\zwnj n\\cell o\\chatn p"
                                  "\\row q\\page r\\sect s\\par "
                                  "\\'e9{\\v hidden\\v0 shown}{\\*\\fldrslt link}{\\header head}"
                                  "\\uc2\\b\\plain\\u233xx end}",
                                  &doc));
    EXPECT_EQ(doc.toRawText(), QStringView(u"a\u2014b\u2013c\u2022d\u2018e\u2019f\u201Cg\u201Dh\u2028i\u2003j"
                                           u"\u2002k\u2005l\u200Dm\u200Cn\top\u2029q\u2029r\u2029s\u2029"
                                           u"\u00E9shownlink\u00E9 end")
                                   .toString())
        << "\\plain keeps the count of stand-ins for a Unicode character";
}

TEST(Rtf, FormattingWordsReachTheirCharactersAndParagraphs)
{
    QTextDocument doc;
    ASSERT_TRUE(platform::readRtf(
        "{\\rtf1\\ansi\\deff1{\\fonttbl\\f0 Arial\\f1\\fcharset161 Greek Face;}{\\colortbl;\\red0\\green128\\blue0;}"
        "\\fs40\\fs dflt \\strike strk\\strike0  \\striked dstrk\\striked0  "
        "\\uld uone\\ulnone  \\uldb utwo\\ul0  \\ulw uthree\\ulnone  \\ulth ufour\\ulnone  \\uldash ufive\\ulnone  "
        "\\cb1 bgone\\cb0  \\highlight1 bgtwo\\highlight0  \\chcbpat1 bgthree\\chcbpat0  "
        "\\super sup\\nosupersub  \\sub sbs\\nosupersub  flat\\'e9 \\f0\\'e9 arial \\b\\i\\plain plainword\\par "
        "\\qr\\li300\\ri450\\fi-150\\sb600\\sa750 right\\par\\qj justified\\par\\qc\\ql left\\par}",
        &doc));
    EXPECT_TRUE(doc.toPlainText().contains(QStringView(u"flat\u03B9 \u00E9 arial").toString()))
        << "the Greek font's characters are read in its code page";
    EXPECT_EQ(formatOf(&doc, "dflt").fontFamilies().toStringList(), QStringList({"Greek Face"}));
    EXPECT_EQ(formatOf(&doc, "arial").fontFamilies().toStringList(), QStringList({"Arial"}));
    EXPECT_DOUBLE_EQ(formatOf(&doc, "dflt").fontPointSize(), 12.0);
    for (const char* word : {"strk", "dstrk"})
        EXPECT_TRUE(formatOf(&doc, word).fontStrikeOut()) << word;
    for (const char* word : {"uone", "utwo", "uthree", "ufour", "ufive"})
        EXPECT_TRUE(formatOf(&doc, word).fontUnderline()) << word;
    for (const char* word : {"bgone", "bgtwo", "bgthree"})
        EXPECT_EQ(formatOf(&doc, word).background().color(), QColor(0, 128, 0)) << word;
    EXPECT_EQ(formatOf(&doc, "sup").verticalAlignment(), QTextCharFormat::AlignSuperScript);
    EXPECT_EQ(formatOf(&doc, "sbs").verticalAlignment(), QTextCharFormat::AlignSubScript);
    const QTextCharFormat flat = formatOf(&doc, "flat");
    EXPECT_FALSE(flat.fontStrikeOut() || flat.fontUnderline() || flat.hasProperty(QTextFormat::BackgroundBrush));
    EXPECT_EQ(flat.verticalAlignment(), QTextCharFormat::AlignNormal);
    const QTextCharFormat plain = formatOf(&doc, "plainword");
    EXPECT_FALSE(plain.fontWeight() == QFont::Bold || plain.fontItalic());
    EXPECT_EQ(plain.fontFamilies().toStringList(), QStringList({"Greek Face"}));

    const QTextBlockFormat right = doc.findBlockByNumber(1).blockFormat();
    EXPECT_EQ(right.alignment(), Qt::AlignRight);
    EXPECT_DOUBLE_EQ(right.leftMargin(), 20.0);
    EXPECT_DOUBLE_EQ(right.rightMargin(), 30.0);
    EXPECT_DOUBLE_EQ(right.textIndent(), -10.0);
    EXPECT_DOUBLE_EQ(right.topMargin(), 40.0);
    EXPECT_DOUBLE_EQ(right.bottomMargin(), 50.0);
    EXPECT_EQ(doc.findBlockByNumber(2).blockFormat().alignment(), Qt::AlignJustify);
    EXPECT_EQ(doc.findBlockByNumber(3).blockFormat().alignment(), Qt::AlignLeft);
    EXPECT_EQ(doc.findBlockByNumber(3).text(), "left");
}

TEST(Rtf, PlainTextIsUtf8ElseWindows1252)
{
    EXPECT_EQ(platform::decodePlainText("caf\xc3\xa9"), QString("café"));
    EXPECT_EQ(platform::decodePlainText("caf\xe9 \x80 \x96"), QString("café € –"));
    EXPECT_EQ(platform::decodePlainText("\xef\xbb\xbfX"), "X");
    EXPECT_EQ(platform::decodePlainText("\xef\xbb\xbf\x93Hi\x94\r\nX"), QString("\u201CHi\u201D\r\nX"))
        << "the mark before a line in Windows-1252";
    EXPECT_EQ(platform::decodePlainText(QByteArray("\xff\xfeH\0i\0", 6)), "Hi");
}

TEST(Documents, TextFilesOpenReadOnlyInTheTextBoxOrGiveTheirMessages)
{
    fakes::Window f;
    Lumivex1& w = *f.w;
    w.resize(900, 700);
    w.show();
    const QString txt = f.file("notes.txt");
    testsupport::writeFile(txt, "first line\r\ncaf\xe9 in 1252\r\n");
    w.AddToDocumentList(txt);
    w.LoadText(txt);
    EXPECT_TRUE(f.dialogs->messages.isEmpty()) << f.dialogs->texts().join("|").toStdString();
    EXPECT_EQ(w.List6->count(), 1);
    EXPECT_EQ(w.Text1->toPlainText(), QString("first line\ncafé in 1252\n"));
    // A byte-order mark before a first line that is not UTF-8 is not shown.
    const QString marked = f.file("marked.txt");
    testsupport::writeFile(marked, "\xef\xbb\xbf\x93" "Caf\xe9\x94\r\nsecond\r\n");
    w.LoadText(marked);
    EXPECT_EQ(w.Text1->toPlainText(), QString("\u201CCaf\u00E9\u201D\nsecond\n"));
    w.LoadText(txt);
    EXPECT_TRUE(w.Text1->isReadOnly());
    EXPECT_TRUE(w.fRichTextShown);
    EXPECT_EQ(w.TabStrip1->currentIndex(), 4);
    EXPECT_GT(w.documentPaneHeight(2), 0);

    // RTF keeps its own formatting.
    const QString rtf = f.file("letter.rtf");
    testsupport::writeFile(rtf, kRtf);
    w.LoadText(rtf);
    EXPECT_TRUE(w.Text1->toPlainText().startsWith("Plain bold"));
    EXPECT_EQ(formatOf(w.Text1->document(), "bold").fontWeight(), QFont::Bold);
    EXPECT_EQ(formatOf(w.Text1->document(), "Red").foreground().color(), QColor(255, 0, 0));

    // Unreadable files give their messages: missing, or held by another program
    // (an office suite's lock file beside the document counts the same).
    w.LoadText(f.file("missing.txt"));
    ASSERT_EQ(f.dialogs->messages.size(), 1);
    EXPECT_EQ(f.dialogs->messages[0].title, kProgramTitle);
    const QString held = f.file("held.txt"), doc = f.file("report.txt");
    testsupport::writeFile(held, "in use");
    testsupport::writeFile(doc, "text");
    testsupport::writeFile(f.file(".~lock.report.txt#"), "someone");
    const int fd = ::open(QFile::encodeName(held).constData(), O_RDWR);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);
    w.LoadText(held);
    ::close(fd);
    w.LoadText(doc);
    EXPECT_EQ(f.dialogs->texts(), QStringList({"Error - 53 - File not found", "Document currently in use",
                                               "Document currently in use"}));
}

TEST(Documents, PagesPdfAndWordProcessorFilesOpenInTheBrowser)
{
    fakes::Window f;
    Lumivex1& w = *f.w;
    w.resize(900, 700);
    w.show();
    const QString htm = f.file("page #1.htm");
    const QString pdf = f.file("paper.pdf");
    testsupport::writeFile(htm, "<html><title>T</title><body>hello</body></html>");
    testsupport::writeFile(pdf, "%PDF-1.4\n");
    w.LoadText(f.file("none.txt")); // the text view was on show before
    f.dialogs->messages.clear();
    w.LoadDocument(htm);
    ASSERT_TRUE(f.browser1());
    EXPECT_EQ(f.browser1()->calls, QStringList({"Navigate2 File://" + htm + " offline"}));
    EXPECT_FALSE(w.fRichTextShown);
    EXPECT_EQ(w.documentPaneHeight(2), 0);
    w.LoadDocument(pdf);
    EXPECT_EQ(f.browser1()->calls.last(), "Navigate2 File://" + pdf + " offline");
    EXPECT_TRUE(f.dialogs->messages.isEmpty());

    // Each document once in the list; the selection stays where it was.
    w.AddToDocumentList(htm);
    w.AddToDocumentList(pdf);
    w.AddToDocumentList(htm);
    ASSERT_EQ(w.List6->count(), 2);
    EXPECT_EQ(w.List6->item(0)->text(), htm);
    EXPECT_EQ(w.List6->currentRow(), 1);

    // A binary word-processor file shows its text, 8-bit and UTF-16.
    QByteArray doc("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    doc += QByteArray(300, '\0') + "Dear reader, this is the letter text." + QByteArray(40, '\x01');
    for (const char c : QByteArray("Second part in wide characters"))
        doc += c, doc += '\0';
    doc += QByteArray(100, '\0') + "Arial" + QByteArray(10, '\0');
    const QString file = f.file("letter.doc");
    testsupport::writeFile(file, doc);
    w.LoadDocument(file);
    EXPECT_EQ(f.browser1()->calls.last(), "showHtml File://" + file);
    EXPECT_TRUE(f.browser1()->html.contains("Dear reader, this is the letter text."));
    EXPECT_TRUE(f.browser1()->html.contains("Second part in wide characters"));
    EXPECT_FALSE(f.browser1()->html.contains("Arial")) << "short names are no text";

    // No text at all: a message, not a blank page.
    const QString empty = f.file("empty.wps");
    testsupport::writeFile(empty, QByteArray(2000, '\0'));
    w.LoadDocument(empty);
    EXPECT_TRUE(f.browser1()->html.contains("holds no readable text"));

    // RTF saved under a DOC name keeps its formatting.
    const QString rtfDoc = f.file("rich.doc");
    testsupport::writeFile(rtfDoc, kRtf);
    w.LoadDocument(rtfDoc);
    EXPECT_TRUE(f.browser1()->html.contains("font-weight"));
}
