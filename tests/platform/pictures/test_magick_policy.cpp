// ImageMagick's width and height limits as the program reads them from its
// policy files, without loading it: the same as ImageMagick's own answer.
#include "PictureSamples.h"
#include "TestSupport.h"

#include "platform/pictures/MagickCodec.h"
#include "platform/pictures/MagickPolicy.h"
#include "platform/pictures/PictureCodec.h"
#include "platform/pictures/PictureLimits.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

using namespace platform;

namespace {

// An environment variable set for the life of the object.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const QByteArray& value)
        : m_name(name), m_had(qEnvironmentVariableIsSet(name)), m_old(qgetenv(name))
    {
        qputenv(name, value);
    }
    ~ScopedVariable()
    {
        if (m_had)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }

private:
    const char* m_name;
    bool m_had;
    QByteArray m_old;
};

QByteArray sideText(quint64 width, quint64 height) { return QByteArray::number(width) + " x " + QByteArray::number(height); }

// The largest picture the program's checks take, found by the checks: the
// widest at one pixel high and the highest at one pixel wide.
QByteArray checkedLimits()
{
    const auto largest = [](auto fits) {
        int side = 0;
        for (int step = 1 << 20; step > 0; step /= 2)
            if (fits(side + step))
                side += step;
        return side;
    };
    return sideText(largest([](int w) { return withinImagingLimits(w, 1); }),
                    largest([](int h) { return withinImagingLimits(1, h); }));
}

// Both the program's reading and ImageMagick's are made once a process,
// from the environment it starts with: they are compared in a process of
// their own, which tells what it found on its error output and ends.
[[noreturn]] void compareLimitsAndEnd()
{
    const QSize read = magickSideLimits();
    const QByteArray before = checkedLimits();
    // ImageMagick's own reading of its policy and environment, before the
    // plug-in sets the program's limits within them.
    Magick::InitializeMagick(nullptr);
    const QByteArray own = sideText(Magick::ResourceLimits::width(), Magick::ResourceLimits::height());
    const bool loaded = magickFunctions() != nullptr && magickLoaded();
    std::fprintf(stderr, "read %s, ImageMagick's %s, checked %s before loading it and %s after%s\n",
                 sideText(quint64(read.width()), quint64(read.height())).constData(), own.constData(),
                 before.constData(), checkedLimits().constData(), loaded ? "" : " (the plug-in did not load)");
    std::exit(0);
}

} // namespace

TEST(MagickPolicy, TheSizeLimitsAreImageMagicksOwn)
{
    // A policy of our own, named by the variable ImageMagick looks at first,
    // lowers the width; the environment lowers the height.
    QTemporaryDir config;
    testsupport::writeFile(QDir(config.path()).filePath("policy.xml"), R"(<policymap>
  <policy domain="resource" name="width" value="12KP"/>
</policymap>
)");
    ScopedVariable folder("MAGICK_CONFIGURE_PATH", config.path().toLocal8Bit());
    ScopedVariable height("MAGICK_HEIGHT_LIMIT", "9000");
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(compareLimitsAndEnd(), ::testing::ExitedWithCode(0),
                "read 12000 x 9000, ImageMagick's 12000 x 9000, checked 12000 x 9000 before loading it and 12000 x "
                "9000 after\n");
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
