#pragma once
// A picture's facts as read two ways, compared fact by fact.
#include "platform/pictures/PictureCodec.h"

#include <gtest/gtest.h>

#include <string>

namespace platform {

inline void expectSameInfo(const PictureInfo& a, const PictureInfo& b, const QString& name)
{
    const std::string n = name.toStdString();
    EXPECT_EQ(a.width, b.width) << n;
    EXPECT_EQ(a.height, b.height) << n;
    EXPECT_EQ(a.bits, b.bits) << n;
    EXPECT_EQ(a.format, b.format) << n;
    EXPECT_EQ(a.pageCount, b.pageCount) << n;
    EXPECT_EQ(a.page, b.page) << n;
    EXPECT_EQ(a.sizeDisk, b.sizeDisk) << n;
    EXPECT_EQ(a.sizeMem, b.sizeMem) << n;
    EXPECT_EQ(a.colors, b.colors) << n;
    EXPECT_EQ(a.xRes, b.xRes) << n;
    EXPECT_EQ(a.yRes, b.yRes) << n;
}

} // namespace platform
