#include "PictureSamples.h"
#include "TestSupport.h"

#include "editor/EditSession.h"
#include "platform/pictures/ImagingCodes.h"
#include "platform/pictures/PictureCodec.h"
#include "platform/pictures/PictureEffects.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using editor::EditSession;
namespace fx = platform::effects;

TEST(EditSession, LoadsAndSavesNamesThatImageMagickWouldReadAsInstructions)
{
    QTemporaryDir dir;
    // "[1]" asks ImageMagick for the second frame when it is handed a name.
    const QString pcx = dir.filePath("shot[1].pcx");
    ASSERT_TRUE(samples::writeMagick(pcx, {samples::pattern(16, 10)}, "PCX"));
    EditSession s;
    ASSERT_EQ(s.load(pcx), 0);
    EXPECT_EQ(s.original().size(), QSize(16, 10));
    ASSERT_EQ(s.change([](QImage& p) { return fx::flip(p); }), 0);
    const QString tif = dir.filePath("msl:out[0].tif");
    ASSERT_EQ(s.save(tif, platform::fmt::Tif, 24, 2, false), 0);
    platform::PictureData d;
    ASSERT_EQ(platform::readPicture(tif, 1, 1, &d), 0);
    EXPECT_EQ(d.frames.first().convertToFormat(QImage::Format_RGB32).pixel(3, 0),
              s.working().convertToFormat(QImage::Format_RGB32).pixel(3, 0));

    // A save that fails leaves the old file whole.
    const QByteArray old = samples::readBytes(tif);
    EXPECT_EQ(s.save(tif, platform::fmt::Gif, 0, 2, false), platform::err::LzwNotSupported);
    EXPECT_EQ(samples::readBytes(tif), old);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 2) << "no temporary file is left";
}
