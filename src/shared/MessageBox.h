#pragma once
// A message box or question titled with the program title.
#include "platform/Dialogs.h"
#include "shared/SharedState.h"

inline platform::Answer MsgBox(const QString& text, platform::Buttons buttons = platform::Buttons::Ok)
{
    return platform::dialogs().message(kProgramTitle, text, buttons, platform::Icon::None);
}
