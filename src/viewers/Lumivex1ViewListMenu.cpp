// The menu of viewed files, which the picture view and the document views share.
#include "shell/Lumivex1.h"

#include "shared/SharedState.h"

#include <QPixmap>
#include <QSignalBlocker>

void Lumivex1::BuildViewListMenu(const QString& path)
{
    platform::Tool* tool = ToolBarComp1->Add(path, platform::ToolType::TwoState);
    if (!tool)
        return; // the path has its entry already
    tool->setCaption(path);
    tool->setCategory(QStringLiteral("MenuViewList"));
    tool->setStyle(0);
    {
        const QSignalBlocker block(ToolBarComp1);
        tool->setState(1);
    }
    const QPixmap check(gs.programFile(QStringLiteral("BMPS/Check.BMP")));
    if (!check.isNull())
        tool->setStatePicture(check);
    ToolBarComp1->appendToMenu(QStringLiteral("ID_mnuView"), path);
}
