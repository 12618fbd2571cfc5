#include "TestSupport.h"
#include "shell/Settings.h"

#include <gtest/gtest.h>

using namespace settings;
using testsupport::readFile;
using testsupport::writeFile;

namespace {
struct Files : ::testing::Test {
    QTemporaryDir dir;
    QString path(const QString& n) const { return QDir(dir.path()).filePath(n); }
};
} // namespace

TEST_F(Files, EveryValueRoundTrips)
{
    Options o;
    setDefaultOptions(o, "/prog");
    // Every field set, texts with commas and blanks.
    o.nWindowLeft = 15; o.nWindowTop = 30; o.nWindowHeight = 7200; o.nWindowWidth = 9600;
    o.nMenuFontType = 3; o.nMenuStyle = 1; o.nLabelStyle = 4; o.nSpareOption = 41; o.nListViewStyle = 3;
    o.nThumbHeight = 90; o.nThumbWidth = 120; o.nThumbBitsIndex = 5;
    o.nSearchFirstCount = 2500; o.nSearchNextCount = 2500; o.nJpegQuality = 99; o.nFilterIndex = 35;
    o.cComputerName = "HOST, WITH COMMA";
    o.cLastFolder = "/home/u/My Pictures, 2024";
    for (bool* f : o.flags())
        *f = !*f;
    ColorScheme c;
    int i = 0;
    for (auto* v : c.stored())
        *v = (i++ % 2) ? 0x80000000u + quint32(i % 25) : quint32(i * 0x010203);
    ASSERT_TRUE(writeOptions(path("Options.INI"), o));
    ASSERT_TRUE(writeColors(path("Colors.INI"), c));
    Options back;
    ColorScheme cback;
    ASSERT_EQ(loadOptions(path("Options.INI"), back), LoadResult::Ok);
    ASSERT_EQ(loadColors(path("Colors.INI"), cback), LoadResult::Ok);
    EXPECT_EQ(optionsText(back), optionsText(o));
    EXPECT_EQ(colorsText(cback), colorsText(c));
    EXPECT_EQ(back.cLastFolder, "/home/u/My Pictures, 2024") << "lines 2 and 3 are read whole";
}

TEST_F(Files, ReadersAcceptLooseLayout)
{
    // Values spread over lines, commas and runs of blanks; LF line ends.
    writeFile(path("Options.INI"), "1,2   3\n4 0 2 0 115 115 2 40 0 5000 500 9 7\nPC\n/x\n1 -1 1 0 0 0 1 1 1 1 0 1\n");
    Options o;
    setDefaultOptions(o, "/prog");
    ASSERT_EQ(loadOptions(path("Options.INI"), o), LoadResult::Ok);
    EXPECT_EQ(o.nWindowTop, 2);
    EXPECT_EQ(o.nWindowWidth, 4);
    EXPECT_EQ(o.nFilterIndex, 7);
    EXPECT_EQ(o.cComputerName, "PC");
    EXPECT_TRUE(o.fBoldFonts);
    EXPECT_FALSE(o.fSaveLastFolder) << "a flag of -1 reads false";
    EXPECT_TRUE(o.fVideoLoop);
}

TEST_F(Files, FailuresKeepWhatWasRead)
{
    Options o;
    setDefaultOptions(o, "/prog");
    EXPECT_EQ(loadOptions(path("none.INI"), o), LoadResult::Missing);

    // Three lines: lines 1-3 kept, the flags stay at their defaults.
    writeFile(path("Options.INI"), "5 6 7 8 1 1 1 60 70 1 40 2 3000 600 20 4\r\nNAME\r\n/last\r\n");
    ASSERT_EQ(loadOptions(path("Options.INI"), o), LoadResult::Failed);
    EXPECT_EQ(o.nFilterIndex, 4);
    EXPECT_EQ(o.cLastFolder, "/last");
    EXPECT_TRUE(o.fSaveLastFolder);

    // Text in a number field is a read failure, not a later crash.
    Options t;
    setDefaultOptions(t, "/prog");
    writeFile(path("Options.INI"), "9 9 abc 9 0 2 0 115 115 2 40 0 5000 500 9 0\r\n\r\n/p\r\n1 1 1 1 1 1 1 1 1 1 1 1\r\n");
    ASSERT_EQ(loadOptions(path("Options.INI"), t), LoadResult::Failed);
    EXPECT_EQ(t.nWindowTop, 9);
    EXPECT_EQ(t.nWindowHeight, 8000);
    EXPECT_FALSE(t.fBoldFonts);

    // A short colours file keeps what it read; the rest keep their defaults.
    ColorScheme c;
    setDefaultColors(c);
    writeFile(path("Colors.INI"), "255 -2147483643 16711680\r\n");
    ASSERT_EQ(loadColors(path("Colors.INI"), c), LoadResult::Failed);
    EXPECT_EQ(c.nMainWashEnd, 0x80000005u);
    EXPECT_EQ(c.nMainForeColor, 0xFF0000u);
    EXPECT_EQ(c.nButtonBackColor, 0xC0C0C0u);
}

TEST_F(Files, OutOfRangeIndexesAreTakenAsZero)
{
    Options o;
    setDefaultOptions(o, "/p");
    o.nFilterIndex = 36; o.nListViewStyle = -1;
    sanitizeOptions(o);
    EXPECT_EQ(o.nFilterIndex, 0);
    EXPECT_EQ(o.nListViewStyle, 0);
    o.nFilterIndex = 35; o.nListViewStyle = 3;
    sanitizeOptions(o);
    EXPECT_EQ(o.nFilterIndex, 35);
    EXPECT_EQ(o.nListViewStyle, 3);
}

TEST_F(Files, FailedWriteIsReported)
{
    Options o;
    setDefaultOptions(o, "/p");
    writeFile(path("plain"), "a file, not a folder");
    int number = 0;
    QString text;
    EXPECT_FALSE(writeOptions(path("plain/Options.INI"), o, &number, &text));
    EXPECT_NE(number, 0);
    EXPECT_FALSE(text.isEmpty());
    EXPECT_EQ(readFile(path("plain")), "a file, not a folder");
}
