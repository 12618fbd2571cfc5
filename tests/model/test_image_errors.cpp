#include "TestSupport.h"
#include "shared/ImageErrors.h"

#include <gtest/gtest.h>

TEST(ImageErrorTexts, TheWholeTable)
{
    auto text = [](int code) { return GetImageErrorText(short(code)); };
    EXPECT_EQ(text(20000), "General failure");
    EXPECT_EQ(text(20013), "Invalid parmameter passed");
    for (int c : {20030, 20045, 20062})
        EXPECT_EQ(text(c), "Internal Error - Call LEAD") << c;
    EXPECT_EQ(text(20064), "Fixed palette data not found");
    EXPECT_EQ(text(20084), "Twain DS or DSM reported error, app shouldn't");
    EXPECT_EQ(text(20090), "Twain operation was cancelled");
    for (int c : {20020, 20066, 20067, 20068, 20069, 19999, 20091, 0, -1})
        EXPECT_EQ(text(c), "") << c;
    int filled = 0;
    for (int c = 20000; c <= 20090; ++c)
        filled += text(c).isEmpty() ? 0 : 1;
    EXPECT_EQ(filled, 91 - 5);
    EXPECT_EQ(ImageErrorMessage(20082), "Error '20082, Twain no Data Source' was generated.");
    EXPECT_EQ(ImageErrorMessage(20020), "Error '20020, ' was generated.");
}
