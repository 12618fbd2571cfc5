#pragma once
// controls/: the program's own controls and window services: the toolbar and
// menu control, washed panels and labels, image lists, keyed trees, icons,
// combos of long names, the dialog service, units and colours, all on Qt
// Widgets.
//
// The toolbar-and-menu control: the menu bar (bar 1), numbered tool bars and
// one tool per id, found by id wherever it stands. A tool is one QAction, so a
// tool placed on several bars and menus stays one tool.
#include <QHash>
#include <QObject>
#include <QPixmap>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <vector>

class QAction;
class QComboBox;
class QLabel;
class QMainWindow;
class QMenu;
class QMenuBar;
class QToolBar;

namespace platform {

class ToolBarComp;

enum class ToolType {
    Button = 0,      // a plain command
    TwoState = 1,    // on/off (checked/down)
    Menu = 2,        // a menu title or drop-down menu holding other tools
    Combo = 3,       // a text field with a drop-down list
    Label = 4,       // a status text
    DropDown = 5,    // a button with a drop-down arrow
    Separator = 6,   // a spacer
};

// Property codes of Tool::ChangeAll.
enum ToolProperty { kPropCaption = 4, kPropVisible = 5 };

class Tool {
public:
    const QString& Id() const { return m_id; }
    ToolType Type() const { return m_type; }

    QString Caption() const { return m_caption; }
    // A caption is shown as it is; with accessKey, its "&" marks the access
    // key (the design-time captions of the menus, "&Open File").
    void setCaption(const QString& caption, bool accessKey = false);
    QString Category() const { return m_category; }
    void setCategory(const QString& c) { m_category = c; }
    QString Group() const { return m_group; }
    void setGroup(const QString& g) { m_group = g; }
    QString ToolTip() const { return m_toolTip; }
    void setToolTip(const QString& tip);
    int Style() const { return m_style; }
    void setStyle(int s) { m_style = s; }

    // 1 checked or down, 0 not. A change made here raises the tool-click
    // event when the state actually changes.
    int State() const { return m_state; }
    void setState(int state);

    bool Enabled() const;
    void setEnabled(bool on);
    bool Visible() const;
    void setVisible(bool on);

    void setPicture(const QPixmap& p);
    QPixmap Picture() const { return m_picture; }
    void setStatePicture(const QPixmap& p);
    QPixmap StatePicture() const { return m_statePicture; }

    // A property for every place the tool stands.
    void ChangeAll(int propertyCode, const QVariant& value);

    // Menu tools: the ids of their items in order ("" = separator).
    QStringList MenuTools() const { return m_menuTools; }
    QMenu* menu() const { return m_menu; }

    // Combo tools.
    QComboBox* ComboBox() const { return m_combo; }
    QString ComboText() const;
    void setComboText(const QString& text);

    QAction* action() const { return m_action; }

private:
    friend class ToolBarComp;
    Tool(ToolBarComp* owner, const QString& id, ToolType type);
    void refreshIcon();

    ToolBarComp* m_owner;
    QString m_id;
    ToolType m_type;
    QString m_caption, m_category, m_group, m_toolTip;
    int m_style = 0;
    int m_state = 0;
    QPixmap m_picture, m_statePicture;
    QStringList m_menuTools;
    QAction* m_action = nullptr;
    QMenu* m_menu = nullptr;
    QComboBox* m_combo = nullptr;
};

class ToolBarComp : public QObject {
    Q_OBJECT
public:
    explicit ToolBarComp(QMainWindow* window, int toolBarCount);
    ~ToolBarComp() override;

    // Tools.
    Tool* Add(const QString& id, ToolType type = ToolType::Button); // nullptr when the id is taken
    Tool* Item(const QString& id) const;
    int Count() const { return int(m_order.size()); }
    QStringList ids() const;

    // Bars: 1 is the menu bar, 2.. are tool bars.
    int ToolBarsCount() const { return int(m_bars.size()) + 1; }
    QToolBar* toolBar(int n) const;
    QMenuBar* menuBar() const { return m_menuBar; }
    bool barVisible(int n) const;
    void setBarVisible(int n, bool visible);
    QString barName(int n) const;
    void setBarName(int n, const QString& name);
    // Places a tool (or a separator when id is "|") at the end of a bar.
    bool placeOnBar(int n, const QString& id);
    // The tools standing on a bar, in order ("|" for separators).
    QStringList barTools(int n) const;
    // The status tools on the menu bar's right.
    bool placeOnStatusArea(const QString& id);

    // Appends a tool (or "|" for a separator) to a menu tool's menu.
    bool appendToMenu(const QString& menuId, const QString& toolId);
    // Opens a menu tool as a pop-up menu at the mouse.
    void ShowPopup(const QString& menuId, int x, int y);

    // Enabling the whole control (the tab change disables it meanwhile).
    void setEnabled(bool on);
    bool isEnabled() const { return m_enabled; }

    int Style() const { return m_style; }
    void setStyle(int s) { m_style = s; }
    int TextEffect(int bar) const { return m_textEffects.value(bar); }
    void setTextEffect(int bar, int effect) { m_textEffects[bar] = effect; }

signals:
    void ToolClick(platform::Tool* tool);
    void ComboSelChange(platform::Tool* tool);
    void ToolKeyDown(platform::Tool* tool, int keyCode, int shift);
    void ToolKeyPress(platform::Tool* tool, int keyCode);
    void ToolDropDown(platform::Tool* tool);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class Tool;
    void userTriggered(Tool* tool);
    QMainWindow* m_window;
    QMenuBar* m_menuBar;
    QToolBar* m_statusArea;
    std::vector<QToolBar*> m_bars; // index 0 is bar 2
    QHash<int, QString> m_barNames;
    QHash<int, QStringList> m_barTools;
    QHash<QString, Tool*> m_tools;
    std::vector<Tool*> m_order;
    QHash<int, int> m_textEffects;
    bool m_enabled = true;
    int m_style = 0;
};

} // namespace platform
