// The menu of viewed files, which the picture view and the document views share.
#include "window/Lumivex1.h"

#include "shared/SharedState.h"

#include <QPixmap>
#include <QSignalBlocker>

void Lumivex1::BuildViewListMenu(const QString& path)
{
    if (!addCheckedMenuTool(path, QStringLiteral("MenuViewList")))
        return; // the path has its entry already
    ToolBarComp1->appendToMenu(QStringLiteral("ID_mnuView"), path);
}
