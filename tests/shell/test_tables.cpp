#include "shared/FileTypes.h"
#include "shared/Tables.h"

#include <gtest/gtest.h>

TEST(Tables, ExtensionClassesAndLookup)
{
    tables::fillExtensionTable();
    EXPECT_EQ(tables::extensionIndex("JPG"), 0);
    EXPECT_EQ(tables::extensionIndex("GIF"), 26);
    EXPECT_EQ(tables::extensionIndex("MSP"), 39);
    EXPECT_EQ(tables::extensionIndex("WAV"), 40);
    EXPECT_EQ(tables::extensionIndex("WMA"), 50);
    EXPECT_EQ(tables::extensionIndex("AVI"), 51);
    EXPECT_EQ(tables::extensionIndex("MP2"), 61);
    EXPECT_EQ(tables::extensionIndex("TXT"), 62);
    EXPECT_EQ(tables::extensionIndex("PDF"), 83);
    EXPECT_EQ(tables::extensionIndex("DAT"), 84);
    EXPECT_EQ(tables::extensionIndex("CDA"), 85);
    EXPECT_EQ(tables::extensionIndex("jpg"), -1) << "the lookup is exact; callers upper-case first";
    EXPECT_TRUE(IsMediaFile("/a/b.cda"));
    EXPECT_TRUE(IsMediaFile("/a/b.mp3"));
    EXPECT_FALSE(IsMediaFile("/a/b.jpg"));
    EXPECT_TRUE(IsVideoFile("/a/b.Mpeg"));
    EXPECT_FALSE(IsVideoFile("/a/b.wav"));
    QStringList seen;
    for (const QString& e : ExtensionTable) {
        EXPECT_FALSE(seen.contains(e)) << e.toStdString();
        seen << e;
    }
}

TEST(Tables, FilterRowsAndMasks)
{
    tables::fillFileFilterTable();
    EXPECT_EQ(FileFilterTable.names[0], "JPEG and LEAD Compressed (JPG and CMP)");
    EXPECT_EQ(FileFilterTable.names[30], "Miscellaneous 1 bit (MAC,IMG,MSP,ICA,CAL) ");
    EXPECT_EQ(FileFilterTable.names[31], "All Picture Files");
    EXPECT_EQ(FileFilterTable.names[35], "All Files (*.*)");
    EXPECT_EQ(FileFilterTable.patterns[2].size(), 384);
    EXPECT_EQ(tables::filterPattern(2), "*.BMP");
    EXPECT_TRUE(FileFilterTable.names[36].isEmpty());

    // A GIF matches no named filter but "All Files (*.*)".
    for (int r = 0; r < tables::kFilterCount; ++r)
        EXPECT_EQ(tables::matchesMasks("x.gif", tables::masksOf(tables::filterPattern(r))), r == 35) << r;
    const auto multimedia = tables::masksOf(tables::filterPattern(33));
    EXPECT_TRUE(tables::matchesMasks("a.asx", multimedia));
    EXPECT_FALSE(tables::matchesMasks("a.wmv", multimedia));
    EXPECT_TRUE(tables::matchesMasks("a.WmV", tables::masksOf(tables::filterPattern(28))));
    EXPECT_TRUE(tables::matchesMasks("README", {"*.*"}));
    EXPECT_FALSE(tables::matchesMasks("a.jpgx", {"*.JPG"}));
}

TEST(Tables, GetFileExt)
{
    EXPECT_EQ(GetFileExt("/x/a.b/c.jpeg"), "JPEG");
    EXPECT_EQ(GetFileExt("/x/a.b/c"), "B/C");
    EXPECT_EQ(GetFileExt("noext"), "");
    EXPECT_EQ(GetFileExt("a.123456789"), "");
    EXPECT_EQ(GetFileExt("a.12345678"), "12345678");
}
