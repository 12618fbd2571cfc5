// The toolbar's other events: the address combo of the Internet tab, Esc in a
// tool, the drop-down buttons; the tool-bar toggle and a file's properties.
#include "window/Lumivex1.h"
#include "browser/SearchSession.h"

#include "platform/controls/Dialogs.h"
#include "shared/SharedState.h"

#include <QComboBox>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>

namespace {

const QString kAddressCombo = QStringLiteral("ID_IntURLEnter");

// A date and time in the system's own form, to the second.
QString systemDateTime(const QDateTime& dt)
{
    const QLocale loc = QLocale::system();
    QString time = loc.timeFormat(QLocale::LongFormat);
    time.remove(QRegularExpression(QStringLiteral("\\s*\\bt\\b")));
    return loc.toString(dt, loc.dateFormat(QLocale::ShortFormat) + QLatin1Char(' ') + time.trimmed());
}

} // namespace

// ---------------------------------------------------------------- address combo

void Lumivex1::NavigateToComboAddress()
{
    platform::Tool* combo = ToolBarComp1->Item(kAddressCombo);
    if (!combo || combo->ComboText().trimmed().isEmpty())
        return;
    gs.cCurrentURL = combo->ComboText().trimmed();
    WebBrowser2->Navigate2(gs.cCurrentURL);
}

void Lumivex1::ShowWebAddress(const QString& address)
{
    gs.cCurrentURL = address;
    TabStrip1->setCurrentIndex(5); // "Internet"
    WebBrowser2->Navigate2(address);
}

void Lumivex1::ToolBarComp1_ComboSelChange(platform::Tool* tool)
{
    if (!tool || tool->Id() != kAddressCombo)
        return;
    NavigateToComboAddress();
}

void Lumivex1::ToolBarComp1_ToolKeyDown(platform::Tool* tool, int keyCode, int)
{
    if (!tool || tool->Id() != kAddressCombo || keyCode != 13)
        return;
    NavigateToComboAddress();
}

void Lumivex1::ToolBarComp1_ToolKeyPress(platform::Tool*, int keyCode)
{
    if (keyCode == 27)
        m_search->Cancel();
}

void Lumivex1::ToolBarComp1_ToolDropDown(platform::Tool* tool)
{
    if (!tool)
        return;
    const QString id = tool->Id();
    if (id == QLatin1String("ID_ViewBtn"))
        ToolBarComp1->ShowPopup(QStringLiteral("ID_mnuViewDropDownMenu"), 100, 200);
    if (id == QLatin1String("ID_FilterBtn"))
        ToolBarComp1->ShowPopup(QStringLiteral("ID_mnuFileFilterDropDown"), 100, 200);
    if (id == QLatin1String("ID_ViewImage"))
        ToolBarComp1->ShowPopup(QStringLiteral("ID_mnuImageViewDropDown"), 100, 200);
}

// ---------------------------------------------------------------- visited addresses

void Lumivex1::AddVisitedURL(const QString& address)
{
    platform::Tool* tool = ToolBarComp1->Item(kAddressCombo);
    QComboBox* combo = tool ? tool->ComboBox() : nullptr;
    if (!combo)
        return;
    // An entry stored with blanks around it is the same address; letter case counts.
    for (int i = 0; i < combo->count(); ++i)
        if (combo->itemText(i).trimmed() == address)
            return;
    const QString typed = combo->currentText();
    combo->addItem(address);
    combo->setEditText(typed);
}

void Lumivex1::ToggleURLBar()
{
    BusyGuard busy;
    platform::Tool* visited = ToolBarComp1->Item(QStringLiteral("ID_IntVisited"));
    ToolBarComp1->setBarVisible(7, visited && visited->State() == 1);
}

// ---------------------------------------------------------------- tool bars

void Lumivex1::ToggleTabToolBars()
{
    auto toggle = [this](int n) {
        const bool shown = ToolBarComp1->barVisible(n);
        ToolBarComp1->setBarVisible(n, !shown);
        ToolBarComp1->setBarVisible(2, shown);
    };
    if (TabSelected(1) || TabSelected(2))
        toggle(4);
    if (TabSelected(3))
        toggle(3);
    if (TabSelected(5))
        toggle(5);
    if (TabSelected(6))
        toggle(6);
}

// ---------------------------------------------------------------- file properties

QString Lumivex1::FilePropertiesText(const QString& path)
{
    const QFileInfo fi(path);
    if (path.isEmpty() || !fi.isFile())
        return {};
    QDateTime created = fi.birthTime();
    if (!created.isValid())
        created = fi.metadataChangeTime();
    const QChar lf(10);
    // Numbers keep a blank where a minus sign would stand.
    return QStringLiteral("File: ") + path + lf + lf + QStringLiteral("Size: ") + QLatin1Char(' ') +
           QString::number(fi.size()) + QStringLiteral(" Bytes ") + lf + QStringLiteral("Date Created: ") +
           systemDateTime(created) + lf + QStringLiteral("Date Last Accessed: ") +
           systemDateTime(fi.lastRead()) + lf + QStringLiteral("Date Last Modified: ") +
           systemDateTime(fi.lastModified()) + lf;
}

void Lumivex1::ShowFileProperties(const QString& path)
{
    const QString text = FilePropertiesText(path);
    if (text.isEmpty())
        return;
    platform::dialogs().message(kProgramTitle, text, platform::Buttons::Ok, platform::Icon::None);
}
