#include "platform/controls/ToolBarComp.h"

#include <QAction>
#include <QComboBox>
#include <QCursor>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QWidgetAction>

namespace platform {

namespace {
// "Find Files - F2" -> F2; "Ctrl H" -> Ctrl+H.
QKeySequence shortcutFromTip(const QString& tip)
{
    const int dash = tip.lastIndexOf(QStringLiteral(" - "));
    if (dash < 0)
        return {};
    QString keys = tip.mid(dash + 3).trimmed();
    if (keys.isEmpty() || keys.contains(QLatin1Char(' ')) == false) {
        // a single key such as F2
    }
    keys.replace(QLatin1Char(' '), QLatin1Char('+'));
    const QKeySequence seq = QKeySequence::fromString(keys, QKeySequence::PortableText);
    if (seq.isEmpty() || seq[0].key() == Qt::Key_unknown)
        return {};
    return seq;
}
} // namespace

Tool::Tool(ToolBarComp* owner, const QString& id, ToolType type)
    : m_owner(owner), m_id(id), m_type(type)
{
}

void Tool::setCaption(const QString& caption, bool accessKey)
{
    m_caption = caption;
    if (m_type == ToolType::Separator)
        return;
    QString shown = caption;
    if (!accessKey && m_type != ToolType::Menu && m_category != QLatin1String("Menu"))
        shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
    m_action->setText(shown);
    m_action->setIconText(shown);
}

void Tool::setToolTip(const QString& tip)
{
    m_toolTip = tip;
    m_action->setToolTip(tip);
    if (m_combo)
        m_combo->setToolTip(tip);
    const QKeySequence seq = shortcutFromTip(tip);
    if (!seq.isEmpty() && m_type != ToolType::Menu) {
        m_action->setShortcut(seq);
        m_action->setShortcutContext(Qt::WindowShortcut);
    }
}

void Tool::setState(int state)
{
    state = state ? 1 : 0;
    if (state == m_state)
        return;
    m_state = state;
    if (m_action->isCheckable()) {
        const QSignalBlocker block(m_action);
        m_action->setChecked(state == 1);
    }
    refreshIcon();
    emit m_owner->ToolClick(this);
}

bool Tool::Enabled() const { return m_action->isEnabled(); }

void Tool::setEnabled(bool on)
{
    m_action->setEnabled(on);
    if (m_combo)
        m_combo->setEnabled(on);
}

bool Tool::Visible() const { return m_action->isVisible(); }
void Tool::setVisible(bool on) { m_action->setVisible(on); }

void Tool::setPicture(const QPixmap& p)
{
    m_picture = p;
    refreshIcon();
}

void Tool::setStatePicture(const QPixmap& p)
{
    m_statePicture = p;
    refreshIcon();
}

void Tool::refreshIcon()
{
    if (m_state == 1 && !m_statePicture.isNull())
        m_action->setIcon(QIcon(m_statePicture));
    else if (!m_picture.isNull())
        m_action->setIcon(QIcon(m_picture));
    else
        m_action->setIcon(QIcon());
}

void Tool::ChangeAll(int propertyCode, const QVariant& value)
{
    switch (propertyCode) {
    case kPropCaption: setCaption(value.toString()); break;
    case kPropVisible: setVisible(value.toBool()); break;
    default: break;
    }
}

QString Tool::ComboText() const { return m_combo ? m_combo->currentText() : QString(); }

void Tool::setComboText(const QString& text)
{
    if (m_combo)
        m_combo->setEditText(text);
}

ToolBarComp::ToolBarComp(QMainWindow* window, int toolBarCount)
    : QObject(window), m_window(window)
{
    m_menuBar = window->menuBar();
    m_menuBar->setObjectName(QStringLiteral("MenuBar1"));
    m_statusArea = new QToolBar(m_menuBar);
    m_statusArea->setObjectName(QStringLiteral("StatusTools"));
    m_statusArea->setToolButtonStyle(Qt::ToolButtonTextOnly);
    m_menuBar->setCornerWidget(m_statusArea, Qt::TopRightCorner);
    m_menuBar->installEventFilter(this); // the status tools' size changes
    for (int n = 2; n <= toolBarCount; ++n) {
        auto* bar = new QToolBar(window);
        bar->setObjectName(QStringLiteral("ToolBar%1").arg(n));
        bar->setMovable(false);
        bar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        window->addToolBar(Qt::TopToolBarArea, bar);
        if (n == toolBarCount)
            window->insertToolBarBreak(bar);
        m_bars.push_back(bar);
    }
}

ToolBarComp::~ToolBarComp()
{
    qDeleteAll(m_order);
}

Tool* ToolBarComp::Add(const QString& id, ToolType type)
{
    if (id.isEmpty() || m_tools.contains(id))
        return nullptr;
    auto* tool = new Tool(this, id, type);
    if (type == ToolType::Combo) {
        auto* wa = new QWidgetAction(m_window);
        auto* combo = new QComboBox;
        combo->setObjectName(id);
        combo->setEditable(true);
        combo->setInsertPolicy(QComboBox::NoInsert);
        combo->setMinimumContentsLength(40);
        combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        combo->installEventFilter(this);
        combo->lineEdit()->installEventFilter(this);
        combo->setProperty("lumivexTool", id);
        combo->lineEdit()->setProperty("lumivexTool", id);
        wa->setDefaultWidget(combo);
        tool->m_combo = combo;
        tool->m_action = wa;
        connect(combo, &QComboBox::activated, this, [this, tool](int) { emit ComboSelChange(tool); });
    } else {
        tool->m_action = new QAction(m_window);
    }
    tool->m_action->setObjectName(id);
    tool->m_action->setProperty("lumivexTool", id);
    if (type == ToolType::Separator) {
        tool->m_action->setEnabled(false);
    }
    if (type == ToolType::TwoState)
        tool->m_action->setCheckable(true);
    if (type == ToolType::Menu) {
        tool->m_menu = new QMenu(m_window);
        tool->m_menu->setObjectName(id + QStringLiteral("_Menu"));
        tool->m_action->setMenu(tool->m_menu);
    }
    if (type != ToolType::Menu && type != ToolType::Combo && type != ToolType::Label &&
        type != ToolType::Separator) {
        connect(tool->m_action, &QAction::triggered, this, [this, tool]() { userTriggered(tool); });
    }
    m_window->addAction(tool->m_action); // shortcuts work while the tool's bar is hidden
    m_tools.insert(id, tool);
    m_order.push_back(tool);
    return tool;
}

void ToolBarComp::userTriggered(Tool* tool)
{
    if (!m_enabled)
        return;
    if (tool->m_type == ToolType::TwoState) {
        tool->m_state = tool->m_action->isChecked() ? 1 : 0;
        tool->refreshIcon();
    }
    emit ToolClick(tool);
}

Tool* ToolBarComp::Item(const QString& id) const { return m_tools.value(id, nullptr); }

QStringList ToolBarComp::ids() const
{
    QStringList out;
    for (const Tool* t : m_order)
        out << t->Id();
    return out;
}

QToolBar* ToolBarComp::toolBar(int n) const
{
    if (n < 2 || n - 2 >= int(m_bars.size()))
        return nullptr;
    return m_bars[size_t(n - 2)];
}

bool ToolBarComp::barVisible(int n) const
{
    if (n == 1)
        return !m_menuBar->isHidden();
    const QToolBar* b = toolBar(n);
    return b && !b->isHidden();
}

void ToolBarComp::setBarVisible(int n, bool visible)
{
    if (n == 1) {
        m_menuBar->setVisible(visible);
        return;
    }
    if (QToolBar* b = toolBar(n))
        b->setVisible(visible);
}

QString ToolBarComp::barName(int n) const { return m_barNames.value(n); }

void ToolBarComp::setBarName(int n, const QString& name)
{
    m_barNames[n] = name;
    if (n == 1)
        m_menuBar->setObjectName(name);
    else if (QToolBar* b = toolBar(n)) {
        b->setObjectName(name);
        b->setWindowTitle(name);
    }
}

bool ToolBarComp::placeOnBar(int n, const QString& id)
{
    if (n == 1) {
        Tool* t = Item(id);
        if (!t)
            return false;
        m_menuBar->addAction(t->m_action);
        m_barTools[n] << id;
        return true;
    }
    QToolBar* b = toolBar(n);
    if (!b)
        return false;
    if (id == QLatin1String("|")) {
        b->addSeparator();
        m_barTools[n] << id;
        return true;
    }
    Tool* t = Item(id);
    if (!t)
        return false;
    if (t->m_type == ToolType::Separator) {
        auto* spacer = new QWidget(b);
        spacer->setFixedWidth(12);
        b->addWidget(spacer);
    } else if (t->m_type == ToolType::DropDown) {
        auto* button = new QToolButton(b);
        button->setDefaultAction(t->m_action);
        button->setObjectName(id + QStringLiteral("_Button"));
        button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        button->setPopupMode(QToolButton::MenuButtonPopup);
        auto* arrow = new QMenu(button);
        button->setMenu(arrow);
        // The arrow raises the drop-down event; the handler opens the real menu.
        connect(arrow, &QMenu::aboutToShow, this, [this, t, arrow]() {
            QTimer::singleShot(0, arrow, &QMenu::close);
            QTimer::singleShot(0, this, [this, t]() { emit ToolDropDown(t); });
        });
        b->addWidget(button);
    } else if (t->m_type == ToolType::Combo) {
        auto* label = new QLabel(QStringLiteral("Enter Web Site Page Location (URL): "), b);
        b->addWidget(label);
        b->addAction(t->m_action);
    } else {
        b->addAction(t->m_action);
    }
    m_barTools[n] << id;
    return true;
}

QStringList ToolBarComp::barTools(int n) const { return m_barTools.value(n); }

bool ToolBarComp::placeOnStatusArea(const QString& id)
{
    Tool* t = Item(id);
    if (!t)
        return false;
    if (t->m_type == ToolType::Separator) {
        auto* spacer = new QWidget(m_statusArea);
        spacer->setFixedWidth(16);
        m_statusArea->addWidget(spacer);
    } else {
        m_statusArea->addAction(t->m_action);
    }
    m_barTools[1] << id;
    return true;
}

bool ToolBarComp::appendToMenu(const QString& menuId, const QString& toolId)
{
    Tool* m = Item(menuId);
    if (!m || !m->m_menu)
        return false;
    if (toolId == QLatin1String("|")) {
        m->m_menu->addSeparator();
        m->m_menuTools << QString();
        return true;
    }
    Tool* t = Item(toolId);
    if (!t)
        return false;
    m->m_menu->addAction(t->m_action);
    m->m_menuTools << toolId;
    return true;
}

void ToolBarComp::ShowPopup(const QString& menuId, int, int)
{
    Tool* m = Item(menuId);
    if (!m || !m->m_menu)
        return;
    m->m_menu->popup(QCursor::pos());
}

void ToolBarComp::setEnabled(bool on)
{
    m_enabled = on;
}

bool ToolBarComp::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_menuBar) {
        // Qt's menu bar places its corner only when the bar is resized or its
        // own items change; a status tool whose caption grew asks for more
        // room, and setting the corner again gives it that room (otherwise
        // the tools past the old width go behind the extension button).
        if (event->type() == QEvent::LayoutRequest && m_statusArea->isVisibleTo(m_menuBar) &&
            m_statusArea->width() != m_statusArea->sizeHint().width())
            m_menuBar->setCornerWidget(m_statusArea, Qt::TopRightCorner);
        return QObject::eventFilter(watched, event);
    }
    if (event->type() == QEvent::KeyPress) {
        const QString id = watched->property("lumivexTool").toString();
        if (Tool* t = Item(id)) {
            auto* ke = static_cast<QKeyEvent*>(event);
            int code = 0;
            switch (ke->key()) {
            case Qt::Key_Return:
            case Qt::Key_Enter: code = 13; break;
            case Qt::Key_Escape: code = 27; break;
            default: code = ke->key() < 0x100 ? ke->key() : 0; break;
            }
            int shift = 0;
            if (ke->modifiers() & Qt::ShiftModifier) shift |= 1;
            if (ke->modifiers() & Qt::ControlModifier) shift |= 2;
            if (ke->modifiers() & Qt::AltModifier) shift |= 4;
            emit ToolKeyDown(t, code, shift);
            if (code != 0)
                emit ToolKeyPress(t, code);
            if (code == 13)
                return true; // handled: the combo does not insert or act again
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace platform
