// The program's message boxes as the Qt dialogs show them: a short message's
// box leaves room for its whole title in a window manager's title bar.
#include "TestSupport.h"
#include "platform/controls/Dialogs.h"
#include "shared/MessageBox.h"

#include <QApplication>
#include <QFontMetrics>
#include <QMessageBox>
#include <QStyle>
#include <gtest/gtest.h>

TEST(MessageBoxes, AShortMessagesBoxIsAsWideAsItsTitleBarNeeds)
{
    // What a title bar holds at the least: the title in bold type and four
    // buttons as wide as the bar is high.
    QFont bold = QApplication::font();
    bold.setBold(true);
    const int bar = QApplication::style()->pixelMetric(QStyle::PM_TitleBarHeight);
    const int needed = QFontMetrics(bold).horizontalAdvance(kProgramTitle) + 4 * bar;

    const struct {
        const char* text;
        platform::Buttons buttons;
        platform::Icon icon;
    } boxes[] = {{"Done", platform::Buttons::Ok, platform::Icon::None},
                 {"Stop?", platform::Buttons::YesNo, platform::Icon::Question},
                 {"No", platform::Buttons::Ok, platform::Icon::Critical}};
    for (const auto& b : boxes) {
        QSize shown;
        QString title;
        testsupport::whenModal<QMessageBox>([&](QMessageBox* box) {
            shown = box->size();
            title = box->windowTitle();
            box->reject();
        });
        platform::qtDialogs().message(kProgramTitle, QString::fromLatin1(b.text), b.buttons, b.icon);
        EXPECT_EQ(title, kProgramTitle);
        EXPECT_GE(shown.width(), needed) << b.text;
    }
}
