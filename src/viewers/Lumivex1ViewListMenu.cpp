// The menu of viewed files and the file-properties box, which the picture
// viewer, the document views and the address bar share.
#include "shell/Lumivex1.h"

#include "platform/Dialogs.h"
#include "shared/SharedState.h"

#include <QFileInfo>
#include <QLocale>
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

void Lumivex1::ShowFileProperties(const QString& path)
{
    const QFileInfo info(path);
    if (path.isEmpty() || !info.isFile())
        return;
    const QLocale locale;
    auto when = [&](const QDateTime& t) { return locale.toString(t, QLocale::ShortFormat); };
    const QDateTime created = info.birthTime().isValid() ? info.birthTime() : info.metadataChangeTime();
    const QString text = QStringLiteral("File: ") + path + QStringLiteral("\n\nSize:  ") + QString::number(info.size()) +
                         QStringLiteral(" Bytes \nDate Created: ") + when(created) +
                         QStringLiteral("\nDate Last Accessed: ") + when(info.lastRead()) +
                         QStringLiteral("\nDate Last Modified: ") + when(info.lastModified()) + QLatin1Char('\n');
    platform::dialogs().message(kProgramTitle, text, platform::Buttons::Ok, platform::Icon::None);
}
