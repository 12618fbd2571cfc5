#include "shared/DialogColors.h"

#include "shared/SharedState.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QComboBox>
#include <QGraphicsDropShadowEffect>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTextEdit>
#include <QVariant>

namespace dialogcolors {
namespace {

constexpr const char* kPaintIdProperty = "lumivexPaintId";
constexpr const char* kEffectName = "lumivexTextEffect";

using platform::ColorRole;

QString css(ColorRole role, platform::OleColor c) { return platform::resolveColor(role, c).name(); }

bool isTabPage(const QWidget* w)
{
    const QWidget* stack = w->parentWidget();
    return stack && qobject_cast<const QStackedWidget*>(stack) && stack->parentWidget() &&
           qobject_cast<const QTabWidget*>(stack->parentWidget());
}

// Shows the text effect as a hard-edged shadow: a dark one lifts the text,
// a light one sinks it; the heavy effects lie twice as far.
void setTextEffect(QWidget* w, int effect)
{
    auto* old = w->graphicsEffect();
    const bool ours = old && old->objectName() == QLatin1String(kEffectName);
    if (effect < 1 || effect > 4) {
        if (ours)
            w->setGraphicsEffect(nullptr);
        return;
    }
    if (old && !ours)
        return; // someone else's effect stays
    auto* shadow = ours ? static_cast<QGraphicsDropShadowEffect*>(old) : new QGraphicsDropShadowEffect;
    shadow->setObjectName(QLatin1String(kEffectName));
    shadow->setBlurRadius(0);
    const qreal d = (effect == 2 || effect == 4) ? 2 : 1;
    shadow->setOffset(d, d);
    shadow->setColor(effect <= 2 ? QColor(0, 0, 0, 160) : QColor(255, 255, 255, 200));
    if (!ours)
        w->setGraphicsEffect(shadow);
}

QString rule(int id, Kind kind, const Paint& p)
{
    const QString sel = QStringLiteral("*[%1=\"%2\"]").arg(QLatin1String(kPaintIdProperty)).arg(id);
    const QString back = backgroundCss(p, kind == Kind::Button);
    QString body = QStringLiteral("background: %1; color: %2;").arg(back, css(ColorRole::Text, p.fore));
    if (p.bold)
        body += QStringLiteral(" font-weight: bold;");
    QString out = sel + QStringLiteral(" { ") + body;
    if (kind == Kind::Button) {
        const QColor edge = (p.back ? platform::resolveColor(ColorRole::Background, *p.back)
                                    : platform::resolveColor(ColorRole::Text, p.fore))
                                .darker(160);
        out += QStringLiteral(" border: 1px solid %1; border-radius: 3px; padding: 3px 12px; }\n").arg(edge.name());
        Paint pressed = p;
        if (p.washEnd) {
            pressed.back = p.washEnd;
            pressed.washEnd = p.back;
        }
        out += sel + QStringLiteral(":pressed { background: %1; }\n").arg(backgroundCss(pressed, true));
        out += sel + QStringLiteral(":focus { border: 1px solid %1; }\n").arg(css(ColorRole::Text, p.fore));
        out += sel + QStringLiteral(":disabled { color: #808080; }\n");
        return out;
    }
    if (kind == Kind::Entry && p.back)
        out += QStringLiteral(" selection-background-color: %1;").arg(css(ColorRole::Text, p.fore));
    return out + QStringLiteral(" }\n");
}

// A see-through check box keeps the style's own box and check mark (a style
// sheet would hand the mark the text colour); only its caption is coloured.
void paintSeeThroughCheck(QWidget* w, const Paint& p)
{
    w->setProperty(kPaintIdProperty, QVariant());
    QPalette pal = w->palette();
    pal.setColor(QPalette::WindowText, platform::resolveColor(ColorRole::Text, p.fore));
    w->setPalette(pal);
    QFont f = w->font();
    f.setBold(p.bold);
    w->setFont(f);
    setTextEffect(w, p.textEffect);
}

struct Walker {
    const QHash<const QWidget*, Paint>& overrides;
    QString sheet;
    int next = 0;

    void paint(QWidget* w, Kind kind)
    {
        const Paint p = overrides.contains(w) ? overrides.value(w) : conventionPaint(kind);
        if (kind == Kind::Check && !p.back) {
            paintSeeThroughCheck(w, p);
            return;
        }
        w->setProperty(kPaintIdProperty, next);
        sheet += rule(next, kind, p);
        ++next;
        if (kind == Kind::Label || kind == Kind::Check || kind == Kind::Button)
            setTextEffect(w, p.textEffect);
    }

    void walk(QWidget* parent)
    {
        for (QObject* o : parent->children()) {
            auto* w = qobject_cast<QWidget*>(o);
            if (!w || w->isWindow() || w->property(kOwnColorsProperty).toBool())
                continue;
            const Kind kind = kindOf(w);
            switch (kind) {
            case Kind::Container: walk(w); break;
            case Kind::Other: break;
            case Kind::Window:
            case Kind::Panel:
                paint(w, kind);
                walk(w);
                break;
            case Kind::Label:
            case Kind::Check:
            case Kind::Entry:
            case Kind::List:
            case Kind::Button: paint(w, kind); break;
            }
        }
    }
};

} // namespace

Kind kindOf(const QWidget* w)
{
    if (w->isWindow())
        return Kind::Window;
    if (qobject_cast<const QCheckBox*>(w) || qobject_cast<const QRadioButton*>(w))
        return Kind::Check;
    if (qobject_cast<const QAbstractButton*>(w))
        return Kind::Button;
    if (qobject_cast<const QLabel*>(w))
        return Kind::Label;
    if (qobject_cast<const QLineEdit*>(w) || qobject_cast<const QAbstractSpinBox*>(w) ||
        qobject_cast<const QComboBox*>(w) || qobject_cast<const QTextEdit*>(w) ||
        qobject_cast<const QPlainTextEdit*>(w))
        return Kind::Entry;
    if (qobject_cast<const QAbstractItemView*>(w))
        return Kind::List;
    if (qobject_cast<const QGroupBox*>(w) || isTabPage(w) || w->property("lumivexPanel").toBool())
        return Kind::Panel;
    const QMetaObject* mo = w->metaObject();
    if (mo == &QFrame::staticMetaObject)
        return Kind::Panel;
    if (mo == &QWidget::staticMetaObject || qobject_cast<const QTabWidget*>(w) ||
        qobject_cast<const QStackedWidget*>(w))
        return Kind::Container;
    // Anything else (tab bars, scroll bars, sliders) keeps the style's colours.
    return Kind::Other;
}

Paint conventionPaint(Kind kind)
{
    Paint p;
    p.bold = gs.fBoldFonts;
    switch (kind) {
    case Kind::Window:
    case Kind::Panel:
        p.back = gs.nSelectBackColor;
        p.washEnd = gs.nSelectWashEnd;
        p.fore = gs.nSelectForeColor;
        break;
    case Kind::Label:
    case Kind::Check:
        p.fore = gs.nSelectForeColor;
        p.textEffect = gs.nLabelStyle;
        break;
    case Kind::Entry:
        p.back = gs.nEntryBackColor;
        p.fore = gs.nEntryForeColor;
        break;
    case Kind::List:
        p.back = gs.nListBackColor;
        p.fore = gs.nListForeColor;
        break;
    case Kind::Button:
        p.back = gs.nButtonBackColor;
        p.washEnd = gs.nButtonWashEnd;
        p.fore = gs.nButtonForeColor;
        p.textEffect = gs.nLabelStyle;
        break;
    case Kind::Container:
    case Kind::Other: break;
    }
    return p;
}

QString backgroundCss(const Paint& paint, bool vertical)
{
    if (!paint.back)
        return QStringLiteral("transparent");
    const auto fill = [](platform::OleColor c) { return css(ColorRole::Background, c); };
    if (!paint.washEnd)
        return fill(*paint.back);
    if (vertical)
        return QStringLiteral("qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 %1, stop:1 %2)")
            .arg(fill(*paint.back), fill(*paint.washEnd));
    // Across a window the start colour holds for the first half, where the
    // texts stand, and the wash runs out over the rest.
    return QStringLiteral("qlineargradient(x1:0, y1:0, x2:1, y2:0, stop:0 %1, stop:0.5 %1, stop:1 %2)")
        .arg(fill(*paint.back), fill(*paint.washEnd));
}

void applyDialogColors(QWidget* window, const QHash<const QWidget*, Paint>& overrides)
{
    if (!window)
        return;
    Walker walker{overrides, {}, 0};
    walker.paint(window, Kind::Window);
    walker.walk(window);
    if (window->styleSheet() != walker.sheet)
        window->setStyleSheet(walker.sheet);
}

} // namespace dialogcolors
