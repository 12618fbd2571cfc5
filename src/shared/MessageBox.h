#pragma once
// A message box or question titled with the program title, and a message
// given no title of its own, which shows the application's title.
#include "platform/controls/Dialogs.h"
#include "shared/SharedState.h"

inline platform::Answer MsgBox(const QString& text, platform::Buttons buttons = platform::Buttons::Ok)
{
    return platform::dialogs().message(kProgramTitle, text, buttons, platform::Icon::None);
}

inline void UntitledMsgBox(const QString& text)
{
    platform::dialogs().message(kApplicationTitle, text, platform::Buttons::Ok, platform::Icon::None);
}
