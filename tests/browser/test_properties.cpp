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
    EXPECT_EQ(p->Label1[0]->text(), path("photo.jpg"));
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
