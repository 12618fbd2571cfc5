// ImageMagick's width and height limits as the program reads them from its
// policy files, without loading it: the same as ImageMagick's own answer.
#include "PictureSamples.h"
#include "TestSupport.h"

#include "platform/MagickCodec.h"
#include "platform/MagickPolicy.h"
#include "platform/PictureCodec.h"
#include "platform/PictureLimits.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace platform;

TEST(MagickPolicy, TheSizeLimitsAreImageMagicksOwn)
{
    const QSize read = magickSideLimits();
    ASSERT_NE(magickFunctions(), nullptr);
    EXPECT_EQ(read, QSize(int(Magick::ResourceLimits::width()), int(Magick::ResourceLimits::height())));
    // What the README says of Debian's policy.
    EXPECT_EQ(read, QSize(16000, 16000));
    EXPECT_TRUE(withinImagingLimits(16000, 100));
    EXPECT_FALSE(withinImagingLimits(16001, 100));
    EXPECT_FALSE(withinImagingLimits(100, 16001));
}

TEST(MagickPolicy, PoliciesAndTheEnvironmentLowerTheLimits)
{
    QTemporaryDir first, second, none;
    testsupport::writeFile(QDir(first.path()).filePath("policy.xml"), R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE policymap [
  <!ELEMENT policymap (policy)*>
]>
<policymap>
  <!-- <policy domain="resource" name="width" value="10"/> -->
  <policy domain="resource" name="memory" value="256MiB"/>
  <policy domain="resource" name="width" value="8KP"/>
  <policy domain="coder" rights="none" pattern="width" />
</policymap>
)");
    testsupport::writeFile(QDir(second.path()).filePath("policy.xml"), R"(<policymap>
  <policy domain="resource" name="height" value="4KiP"/>
  <policy domain="resource" name="width" value="12000"/>
</policymap>
)");
    EXPECT_EQ(magickSideLimits({first.path(), second.path(), none.path()}, "LUMIVEX_NO_SUCH", "LUMIVEX_NO_SUCH"),
              QSize(8000, 4096));
    EXPECT_EQ(magickSideLimits({none.path()}, "LUMIVEX_NO_SUCH", "LUMIVEX_NO_SUCH"),
              QSize(kMagickMaxSide, kMagickMaxSide))
        << "without a policy, the program's own";
    qputenv("LUMIVEX_TEST_HEIGHT", "3000");
    EXPECT_EQ(magickSideLimits({first.path()}, "LUMIVEX_NO_SUCH", "LUMIVEX_TEST_HEIGHT"), QSize(8000, 3000));
    qunsetenv("LUMIVEX_TEST_HEIGHT");

    EXPECT_EQ(magickPolicyValue("16KP"), 16000);
    EXPECT_EQ(magickPolicyValue("1GiB"), 1024.0 * 1024 * 1024);
    EXPECT_EQ(magickPolicyValue(" 8192 "), 8192);
    EXPECT_EQ(magickPolicyValue("2MP"), 2000000);
    EXPECT_EQ(magickPolicyValue("none"), -1);
}
