#pragma once
// The main window's fixed set of tools, tool bars and menus.
#include "platform/controls/ToolBarComp.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace tooltable {

struct ToolDef {
    const char* id;
    const char* caption;
    const char* category;
    platform::ToolType type;
    const char* group;   // "" when none
    const char* toolTip; // "" = the caption
};

struct BarDef {
    int number;
    const char* name;
    QStringList tools; // "|" separator
};

struct MenuDef {
    const char* menuId;
    QStringList items; // "|" separator
};

const std::vector<ToolDef>& tools();
const std::vector<BarDef>& bars();
const std::vector<MenuDef>& menus();

// Builds every tool, bar and menu on the control.
void build(platform::ToolBarComp& comp);

constexpr int kToolBarCount = 7;

} // namespace tooltable
