#include "video/VideoToolParts.h"

#include "platform/controls/Dialogs.h"
#include "platform/controls/StyleIcons.h"

#include <QCoreApplication>
#include <QStyle>
#include <QToolButton>

namespace videotools {

const QString kVideoFilter = QStringLiteral(
    "AVI File|*.AVI|MPG File|*.MPG|WMV File|*.WMV|ASF File|*.ASF|MOV File|*.MOV|Video Files|*.AVI;*.MPG;*.WMV;*.ASF;"
    "*.MOV;*.MOV");

QToolButton* pictureButton(QWidget* parent, const char* name, int standardPixmap, const QString& tip)
{
    auto* b = new QToolButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setIcon(platform::styleIcon(QStyle::StandardPixmap(standardPixmap)));
    b->setToolTip(tip);
    b->setAutoRaise(false);
    return b;
}

QString pickFile(const QString& title, const QString& filter)
{
    platform::FileRequest request;
    request.title = title;
    request.filter = filter;
    const platform::FileAnswer answer = platform::dialogs().openFile(request);
    if (!answer.accepted || answer.fileName.trimmed().isEmpty())
        return {};
    return answer.fileName;
}

void message(const QString& text)
{
    const QString name = QCoreApplication::applicationName();
    platform::dialogs().message(name.isEmpty() ? QStringLiteral("Tessamor") : name, text, platform::Buttons::Ok,
                                platform::Icon::None);
}

} // namespace videotools
