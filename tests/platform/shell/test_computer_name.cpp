// The computer's name is the host name's first label.
#include "platform/shell/ComputerName.h"

#include <gtest/gtest.h>

TEST(ComputerName, IsTheHostNameUpToItsFirstDot)
{
    EXPECT_EQ(platform::computerNameOf("pc7.lan.example.org"), "pc7");
    EXPECT_EQ(platform::computerNameOf("studio"), "studio");
    EXPECT_EQ(platform::computerNameOf(" desk.local\n"), "desk");
    EXPECT_EQ(platform::computerNameOf(""), "");
    EXPECT_EQ(platform::computerNameOf(QString(300, QLatin1Char('a')) + ".x").size(), 255);
    EXPECT_FALSE(platform::computerName().contains(QLatin1Char('.')));
}
