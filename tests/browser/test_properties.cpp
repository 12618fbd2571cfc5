// The picture properties window on files the tests make.
#include "PictureSamples.h"
#include "ScriptedDialogs.h"
#include "ThumbTestSupport.h"

#include "browser/ProPert1.h"
#include "platform/pictures/PictureCodec.h"
#include "platform/controls/ToolBarComp.h"
#include "shared/SharedState.h"
#include "shared/Tables.h"

#include <Magick++.h>
#include <QAction>
#include <QCoreApplication>
#include <QFrame>
#include <QScreen>
#include <QTest>
#include <QImage>
#include <QLabel>
#include <QLocale>
#include <QPointer>
#include <QPushButton>
#include <cmath>
#include <gtest/gtest.h>

using thumbtest::writePicture;

namespace {

// A TIFF compressed with LZW, the format with the widest name a picture can be read as.
void writeLzwTiff(const QString& path)
{
    platform::ensureMagick();
    Magick::Image img(Magick::Geometry(64, 48), Magick::Color("#3080c0"));
    img.magick("TIFF");
    img.compressType(Magick::LZWCompression);
    Magick::Blob blob;
    img.write(&blob);
    testsupport::writeFile(path, QByteArray(static_cast<const char*>(blob.data()), qsizetype(blob.length())));
}

// How much of a label's text the window shows: the part of its line that
// fits its label and the window, in pixels, against the whole line's width.
double luminance(const QColor& c)
{
    const auto lin = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    return 0.2126 * lin(c.redF()) + 0.7152 * lin(c.greenF()) + 0.0722 * lin(c.blueF());
}

// How far apart two colours lie in lightness: 1 for equal ones, 21 for black on white.
double contrast(const QColor& a, const QColor& b)
{
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The least contrast between a label's text colour and what the window paints
// behind the text, along the text's whole width (on the label's top row, above
// the letters).
double leastContrastBehind(QLabel* label, const QImage& window)
{
    const QColor text = label->palette().color(QPalette::WindowText);
    const QRect c = label->contentsRect();
    const int width = label->fontMetrics().horizontalAdvance(label->text());
    double least = 21;
    for (int x = c.left(); x < c.left() + width; x += 2) {
        const QPoint at = label->mapTo(label->window(), QPoint(x, 0));
        if (window.rect().contains(at))
            least = std::min(least, contrast(text, window.pixelColor(at)));
    }
    return least;
}

struct Shown {
    int text = 0;    // the width the text needs, in the label's painted font
    int visible = 0; // the width of the label that lies inside the window
};

Shown shownWidth(QLabel* label)
{
    Shown s;
    label->ensurePolished();
    s.text = label->fontMetrics().horizontalAdvance(label->text());
    // The label's contents, cut by the panel's frame it stands in and by the window.
    QWidget* panel = label->parentWidget();
    QRect r(label->mapTo(panel, label->contentsRect().topLeft()), label->contentsRect().size());
    r = r.intersected(panel->contentsRect());
    QWidget* window = label->window();
    r = QRect(panel->mapTo(window, r.topLeft()), r.size()).intersected(window->rect());
    s.visible = r.width();
    return s;
}

QString number(qint64 v) { return QLocale().toString(double(v), 'f', 2); }

bool sameColour(QRgb a, QRgb b)
{
    return std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) + std::abs(qBlue(a) - qBlue(b)) <= 24;
}

// The air a label's text has in the window as shown: how many columns of the
// label's own colour lie before its first text column (toLeft) or after its
// last one, across the label's height, up to the first other pixel (the
// panel's frame, or a lighter part of the panel's wash).
int airBeside(QLabel* label, const QImage& window, bool toLeft)
{
    // The text's columns: where the label alone paints other than its colour.
    const QImage own = label->grab().toImage();
    const QRgb colour = own.pixel(0, 0);
    int first = own.width(), last = -1;
    for (int y = 0; y < own.height(); ++y)
        for (int x = 0; x < own.width(); ++x)
            if (!sameColour(own.pixel(x, y), colour)) {
                first = std::min(first, x);
                last = std::max(last, x);
            }
    if (last < 0)
        return -1;
    const QPoint at = label->mapTo(label->window(), QPoint(toLeft ? first : last, 0));
    const int step = toLeft ? -1 : 1;
    int air = 0;
    for (int x = at.x() + step; x >= 0 && x < window.width(); x += step, ++air)
        for (int y = at.y(); y < at.y() + label->height(); ++y)
            if (!sameColour(window.pixel(x, y), colour))
                return air;
    return air;
}

class Properties : public ::testing::Test {
protected:
    platform::ScopedDialogs dialogs;
    QTemporaryDir dir;
    QString path(const QString& name) const { return QDir(dir.path()).filePath(name); }

    void SetUp() override
    {
        tables::fillExtensionTable();
        gs.nPicturePage = 1;
        gs.fProPertOpen = false;
    }
    void TearDown() override
    {
        if (ProPert1* p = ProPert1::instance())
            delete p;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    ProPert1* openFor(const QString& file)
    {
        gs.cCurrentFile = file;
        return ProPert1::open(nullptr);
    }
    static QStringList values(ProPert1* p)
    {
        QStringList out;
        for (QLabel* l : p->Label2)
            out << l->text();
        return out;
    }
};

} // namespace

TEST_F(Properties, JpegShowsFormatSizesAndResolutions)
{
    QImage img(320, 200, QImage::Format_RGB32);
    img.fill(Qt::darkCyan);
    img.setDotsPerMeterX(3780); // 96 dpi
    img.setDotsPerMeterY(11811); // 300 dpi
    ASSERT_TRUE(img.save(path("photo.jpg"), "JPEG"));
    ProPert1* p = openFor(path("photo.jpg"));
    EXPECT_TRUE(dialogs->messages.isEmpty());
    EXPECT_TRUE(gs.fProPertOpen);
    EXPECT_EQ(p->Label1[0]->text(), path("photo.jpg"));
    EXPECT_EQ(values(p), (QStringList{"24", number(16777216), "JPEG File Interchange Format", "200", "320",
                                      number(QFileInfo(path("photo.jpg")).size()), number(960 * 200), "96",
                                      "300"}));
    p->OKBtn->click();
    EXPECT_FALSE(gs.fProPertOpen);
    EXPECT_EQ(ProPert1::instance(), nullptr);
}

TEST_F(Properties, APictureTooLargeToDecodeShowsWhatItsHeaderTells)
{
    // 16000 x 6711 gray pixels: more than ImageMagick's pixel cache holds,
    // so that no decode of it could tell them.
    const QString tga = path("large.tga");
    ASSERT_TRUE(samples::writeBytes(tga, samples::grayTarga(16000, 6711, 200)));
    ProPert1* p = openFor(tga);
    EXPECT_TRUE(dialogs->messages.isEmpty());
    EXPECT_EQ(values(p), (QStringList{"8", number(256), "Truevision TGA Format", "6711", "16000",
                                      number(QFileInfo(tga).size()), number(qint64(16000) * 6711), "96", "96"}));
}

TEST_F(Properties, PaletteAndMagickFormatsAreRead)
{
    // A 16-colour PNG is stored in 4 bits.
    QImage png(10, 7, QImage::Format_Indexed8);
    QVector<QRgb> table;
    for (int i = 0; i < 16; ++i)
        table << qRgb(i * 16, 0, 255 - i * 16);
    png.setColorTable(table);
    png.fill(3);
    ASSERT_TRUE(png.save(path("small.png")));
    ProPert1* p = openFor(path("small.png"));
    EXPECT_EQ(p->Label2[0]->text(), "4");
    EXPECT_EQ(p->Label2[1]->text(), number(16));
    EXPECT_EQ(p->Label2[2]->text(), "Portable Network Graphics");
    EXPECT_EQ(p->Label2[6]->text(), number(8 * 7)); // 10 pixels of 4 bits: one 4-byte row
    delete p;

    writePicture(path("scan.tif"), QSize(40, 30));
    p = openFor(path("scan.tif"));
    EXPECT_TRUE(p->Label2[2]->text().startsWith("Tagged Image File")) << p->Label2[2]->text().toStdString();
    EXPECT_EQ(p->Label2[4]->text(), "40");
    EXPECT_TRUE(dialogs->messages.isEmpty());
}

TEST(PropertiesWindow, FormatNamesShowWholeInPlainAndBoldType)
{
    // The window opened by the "Properties" command of the main window, on
    // a JPEG and on an LZW-compressed TIFF, whose name is the widest a
    // picture can be read as.
    thumbtest::MainWindowFixture f;
    tables::fillExtensionTable();
    gs.nPicturePage = 1;
    const QString folder = f.file("Pictures from the summer holidays/by the sea in the evening light");
    ASSERT_TRUE(QDir().mkpath(folder));
    writePicture(folder + "/photo.jpg", QSize(320, 200));
    writeLzwTiff(folder + "/lzw.tif");
    f.w().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f.w()));
    for (bool bold : {false, true}) {
        for (auto [name, format] : {std::pair{"photo.jpg", "JPEG File Interchange Format"},
                                    {"lzw.tif", "Tagged Image File LZW Compressed Format"}}) {
            gs.fBoldFonts = bold;
            gs.cCurrentFile = folder + "/" + name;
            platform::Tool* tool = f.w().ToolBarComp1->Item(QStringLiteral("ID_mnuProperties"));
            ASSERT_NE(tool, nullptr);
            f.w().ToolBarComp1_ToolClick(tool);
            ProPert1* p = ProPert1::instance();
            ASSERT_NE(p, nullptr);
            // From its first show, before any later resize has come through.
            const Shown first = shownWidth(p->Label2[2]);
            EXPECT_GE(first.visible, first.text) << format << (bold ? " in bold, " : ", ") << "as first shown";
            ASSERT_TRUE(QTest::qWaitForWindowExposed(p));
            QCoreApplication::processEvents();
            ASSERT_EQ(p->Label2[2]->text(), format);
            EXPECT_EQ(p->Label2[2]->font().bold(), bold);
            const QImage shot = p->grab().toImage();
            for (QLabel* value : p->Label2) {
                const Shown s = shownWidth(value);
                EXPECT_GE(s.visible, s.text) << value->text().toStdString() << (bold ? " in bold" : "");
                // Not lost in the light end of the panel's wash either: the
                // scheme's white text stands on the selection colour.
                EXPECT_GE(leastContrastBehind(value, shot), 3.0) << value->text().toStdString();
            }
            // The values keep as much air after them, up to the frame, as
            // the captions have before them: on the screen, not only by widths.
            const int captionAir = airBeside(p->Label1[3], shot, true);
            EXPECT_GE(captionAir, 4);
            for (QLabel* value : {p->Label2[2], p->Label1[0]}) {
                EXPECT_GE(airBeside(value, shot, false), captionAir)
                    << value->text().toStdString() << (bold ? " in bold" : "");
            }
            for (QLabel* caption : {p->Label1[1], p->Label1[9]})
                EXPECT_EQ(airBeside(caption, shot, true), captionAir);
            // The window stays on the screen.
            EXPECT_LE(p->frameGeometry().width(), p->screen()->availableGeometry().width());
            p->OKBtn->click();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
    }
    gs.fBoldFonts = false;
}

TEST_F(Properties, OtherFilesShowTheirLengthTheMessageOrNothing)
{
    // A known file that is no picture shows only its length.
    testsupport::writeFile(path("notes.txt"), QByteArray(1234, 'x'));
    ProPert1* p = openFor(path("notes.txt"));
    EXPECT_TRUE(dialogs->messages.isEmpty());
    for (int k = 0; k < 9; ++k)
        EXPECT_EQ(p->Label2[k]->isHidden(), k != 5) << k;
    EXPECT_EQ(p->Label2[5]->text(), number(1234));
    delete p;

    // Files the table does not describe give the message; an unreadable picture leaves the values empty.
    const QString noProperties = "Cannot determine File Properties for this type of File";
    for (auto [name, bytes, message] : {std::tuple{"book.pdf", "%PDF-1.4", noProperties},
                                        {"README", "%PDF-1.4", noProperties},
                                        {"broken.jpg", "\xFF\xD8\xFF not really", QString()}}) {
        dialogs->messages.clear();
        testsupport::writeFile(path(QString::fromLatin1(name)), bytes);
        p = openFor(path(QString::fromLatin1(name)));
        EXPECT_EQ(dialogs->texts().join(""), message) << name;
        if (!message.isEmpty()) {
            EXPECT_EQ(dialogs->messages.first().title, "Brevanto Lumivex 3.0");
        }
        for (QLabel* l : p->Label2)
            EXPECT_TRUE(l->text().isEmpty()) << name;
        delete p;
    }
}
