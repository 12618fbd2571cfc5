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
#include <QPainter>
#include <QPlainTextEdit>
#include <QPointer>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTextEdit>
#include <QVariant>
#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>

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

// What a see-through caption stands on: the nearest control around it that
// paints a background, washed across its width or plain.
struct Ground {
    QPointer<QWidget> widget;
    QColor start;
    std::optional<QColor> end;

    // The colour painted at x of the ground widget: the start colour over the
    // first half, then the wash (backgroundCss draws the same).
    QColor at(int x) const
    {
        if (!end || !widget)
            return start;
        const double t = std::clamp(double(x) / std::max(1, widget->width() - 1), 0.0, 1.0);
        if (t <= 0.5)
            return start;
        const double f = (t - 0.5) * 2;
        const auto mix = [f](int a, int b) { return int(std::lround(a + (b - a) * f)); };
        return QColor(mix(start.red(), end->red()), mix(start.green(), end->green()), mix(start.blue(), end->blue()));
    }
};

// Where a caption's text stands inside it: a label's text as aligned, a
// check box's or option's box and caption from its left.
QRect textSpan(const QWidget* w)
{
    if (const auto* label = qobject_cast<const QLabel*>(w)) {
        const int m = label->margin();
        const QRect area = label->contentsRect().adjusted(m, m, -m, -m);
        const int flags = int(label->alignment()) | (label->wordWrap() ? int(Qt::TextWordWrap) : 0);
        return QFontMetrics(label->font()).boundingRect(area, flags, label->text()) & area;
    }
    if (const auto* button = qobject_cast<const QAbstractButton*>(w))
        return QRect(0, 0, std::min(w->width(), button->sizeHint().width()), w->height());
    return w->rect();
}

// Paints behind captions, before they paint themselves. A check box or an
// option that the scheme gives a background gets it whole (through a style
// sheet its box and mark would take the text colour). A see-through caption
// on a wash that runs out to a colour its text does not stand out from gets
// the wash's start colour behind its text: the colour the scheme chose its
// text colour against.
class CaptionBacking : public QObject {
public:
    struct Caption {
        QPointer<QWidget> widget;
        QColor text;
        std::optional<QColor> solid;
        Ground ground;
    };

    static CaptionBacking* of(QWidget* window)
    {
        for (QObject* o : window->children())
            if (auto* b = dynamic_cast<CaptionBacking*>(o))
                return b;
        return new CaptionBacking(window);
    }
    void clear()
    {
        for (const Caption& c : std::as_const(m_captions))
            if (c.widget)
                c.widget->removeEventFilter(this);
        m_captions.clear();
    }
    void add(QWidget* w, const Caption& c)
    {
        m_captions.insert(w, c);
        w->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            if (const auto it = m_captions.constFind(watched); it != m_captions.cend() && it->widget)
                paintBehind(*it);
        return false;
    }

private:
    explicit CaptionBacking(QWidget* window) : QObject(window) {}

    static void paintBehind(const Caption& c)
    {
        QWidget* w = c.widget;
        QPainter p(w);
        if (c.solid) {
            p.fillRect(w->rect(), *c.solid);
            return;
        }
        const Ground& g = c.ground;
        if (!g.widget || !g.end || !g.widget->isAncestorOf(w))
            return;
        const QRect span = textSpan(w).adjusted(-2, -2, 2, 2) & w->rect();
        const int left = w->mapTo(g.widget, span.topLeft()).x();
        double worst = platform::contrastRatio(c.text, g.start);
        const double onStart = worst;
        for (int i = 0; i <= 8; ++i)
            worst = std::min(worst, platform::contrastRatio(c.text, g.at(left + span.width() * i / 8)));
        if (worst < platform::kLegibleContrast && onStart > worst)
            p.fillRect(span, g.start);
    }

    QHash<QObject*, Caption> m_captions;
};

// A check box or option keeps the style's own box and check mark (a style
// sheet would hand the mark the text colour): its caption takes the colours
// through its palette, its background from the backing.
void paintCheck(QWidget* w, const Paint& p)
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
    CaptionBacking* backing;
    QString sheet;
    int next = 0;

    Paint paint(QWidget* w, Kind kind, const Ground& ground)
    {
        const Paint p = overrides.contains(w) ? overrides.value(w) : conventionPaint(kind);
        if (kind == Kind::Label || kind == Kind::Check) {
            CaptionBacking::Caption caption{w, platform::resolveColor(ColorRole::Text, p.fore), {}, ground};
            if (kind == Kind::Check && p.back)
                caption.solid = platform::resolveColor(ColorRole::Background, *p.back);
            if (caption.solid || !p.back)
                backing->add(w, caption);
        }
        if (kind == Kind::Check) {
            paintCheck(w, p);
            return p;
        }
        w->setProperty(kPaintIdProperty, next);
        sheet += rule(next, kind, p);
        ++next;
        if (kind == Kind::Label || kind == Kind::Button)
            setTextEffect(w, p.textEffect);
        return p;
    }

    // What the children of a control stand on: the control when it paints a
    // background, else what it stands on itself.
    static Ground groundOf(QWidget* w, const Paint& p, const Ground& around)
    {
        if (!p.back)
            return around;
        Ground g{w, platform::resolveColor(ColorRole::Background, *p.back), {}};
        if (p.washEnd)
            g.end = platform::resolveColor(ColorRole::Background, *p.washEnd);
        return g;
    }

    void walk(QWidget* parent, const Ground& ground)
    {
        for (QObject* o : parent->children()) {
            auto* w = qobject_cast<QWidget*>(o);
            if (!w || w->isWindow() || w->property(kOwnColorsProperty).toBool())
                continue;
            const Kind kind = kindOf(w);
            switch (kind) {
            case Kind::Container: walk(w, ground); break;
            case Kind::Other: break;
            case Kind::Window:
            case Kind::Panel: walk(w, groundOf(w, paint(w, kind, ground), ground)); break;
            case Kind::Label:
            case Kind::Check:
            case Kind::Entry:
            case Kind::List:
            case Kind::Button: paint(w, kind, ground); break;
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
    CaptionBacking* backing = CaptionBacking::of(window);
    backing->clear();
    Walker walker{overrides, backing, {}, 0};
    const Paint p = walker.paint(window, Kind::Window, {});
    walker.walk(window, Walker::groundOf(window, p, {}));
    if (window->styleSheet() != walker.sheet)
        window->setStyleSheet(walker.sheet);
}

} // namespace dialogcolors
