// The picture properties window on files the tests make.
#include "ThumbTestSupport.h"

#include "browser/ProPert1.h"
#include "shared/SharedState.h"
#include "shared/Tables.h"

#include <QCoreApplication>
#include <QImage>
#include <QLabel>
#include <QLocale>
#include <QPointer>
#include <QPushButton>
#include <QSet>
#include <gtest/gtest.h>

using thumbtest::writePicture;

namespace {

QString number(qint64 v) { return QLocale().toString(double(v), 'f', 2); }

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
    EXPECT_EQ(p->windowTitle(), "Image Properties");
    EXPECT_EQ(p->Label1[0]->text(), path("photo.jpg"));
    EXPECT_EQ(p->Label1[3]->text(), "Image Format:");
    EXPECT_EQ(values(p), (QStringList{"24", number(16777216), "JPEG File Interchange Format", "200", "320",
                                      number(QFileInfo(path("photo.jpg")).size()), number(960 * 200), "96",
                                      "300"}));
    p->OKBtn->click();
    EXPECT_FALSE(gs.fProPertOpen);
    EXPECT_EQ(ProPert1::instance(), nullptr);
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

TEST_F(Properties, OtherKnownFilesShowOnlyTheirLength)
{
    testsupport::writeFile(path("notes.txt"), QByteArray(1234, 'x'));
    ProPert1* p = openFor(path("notes.txt"));
    EXPECT_TRUE(dialogs->messages.isEmpty());
    for (int k = 0; k < 9; ++k)
        EXPECT_EQ(p->Label2[k]->isHidden(), k != 5) << k;
    EXPECT_EQ(p->Label2[5]->text(), number(1234));
}

TEST_F(Properties, UndescribedFilesGiveTheMessage)
{
    for (const char* name : {"book.pdf", "README"}) {
        dialogs->messages.clear();
        testsupport::writeFile(path(QString::fromLatin1(name)), "%PDF-1.4");
        ProPert1* p = openFor(path(QString::fromLatin1(name)));
        EXPECT_EQ(dialogs->texts(), QStringList{"Cannot determine File Properties for this type of File"}) << name;
        EXPECT_EQ(dialogs->messages.first().title, "Brevanto Lumivex 3.0");
        for (QLabel* l : p->Label2)
            EXPECT_TRUE(l->text().isEmpty()) << name;
        delete p;
    }
}

TEST_F(Properties, UnreadablePicturesLeaveTheValuesEmpty)
{
    testsupport::writeFile(path("broken.jpg"), "\xFF\xD8\xFF not really");
    ProPert1* p = openFor(path("broken.jpg"));
    EXPECT_TRUE(dialogs->messages.isEmpty());
    for (QLabel* l : p->Label2)
        EXPECT_TRUE(l->text().isEmpty());
}

TEST(PropertiesFormatNames, TableAsWritten)
{
    EXPECT_EQ(ProPert1::FormatNameTable(86), "Tagged Image File LZW Compressed Forma");
    EXPECT_EQ(ProPert1::FormatNameTable(17), "Tagged Image File LZW Compressed Format");
    int codes = 0;
    QSet<QString> names;
    for (int c = -10; c < 1000; ++c) {
        const QString n = ProPert1::FormatNameTable(c);
        if (n != "Unknown format") {
            ++codes;
            names.insert(n);
        }
    }
    EXPECT_EQ(codes, 105);
    EXPECT_EQ(names.size(), 74);
}
