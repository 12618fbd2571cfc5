#include "platform/controls/WashControls.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QComboBox>
#include <QLineEdit>
#include <QMenuBar>
#include <QToolBar>
#include <QLinearGradient>
#include <QPainter>
#include <QStyleOptionButton>
#include <QStylePainter>

namespace platform {

void paintWash(QPainter& p, const QRect& r, const QColor& start, const QColor& end)
{
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, start);
    g.setColorAt(1, end);
    p.fillRect(r, g);
}

void paintEffectText(QPainter& p, const QRect& r, int flags, const QString& text, const QColor& fore, int effect)
{
    const QColor light(255, 255, 255);
    const QColor dark(64, 64, 64);
    p.save();
    switch (effect) {
    case kEffectRaisedLight:
        p.setPen(light);
        p.drawText(r.translated(-1, -1), flags, text);
        break;
    case kEffectRaisedHeavy:
        p.setPen(light);
        p.drawText(r.translated(-1, -1), flags, text);
        p.setPen(dark);
        p.drawText(r.translated(1, 1), flags, text);
        break;
    case kEffectLoweredLight:
        p.setPen(light);
        p.drawText(r.translated(1, 1), flags, text);
        break;
    case kEffectLoweredHeavy:
        p.setPen(dark);
        p.drawText(r.translated(-1, -1), flags, text);
        p.setPen(light);
        p.drawText(r.translated(1, 1), flags, text);
        break;
    default: break;
    }
    p.setPen(fore);
    p.drawText(r, flags, text);
    p.restore();
}

// ---------------------------------------------------------------- shared part

void WashedControl::setWash(OleColor start, OleColor end)
{
    m_hasWash = true;
    m_washStart = start;
    m_washEnd = end;
    schemeChanged();
}

void WashedControl::setForeColor(OleColor c)
{
    m_hasFore = true;
    m_fore = c;
    schemeChanged();
}

void WashedControl::setTextEffect(int effect)
{
    m_effect = (effect >= kEffectNone && effect <= kEffectLoweredHeavy) ? effect : kEffectNone;
    schemeChanged();
}

bool WashedControl::paintWashOn(QPainter& p, const QRect& r) const
{
    if (!m_hasWash)
        return false;
    paintWash(p, r, resolveColor(ColorRole::Background, m_washStart), resolveColor(ColorRole::Background, m_washEnd));
    return true;
}

QColor WashedControl::textColor(const QColor& fallback) const
{
    return m_hasFore ? resolveColor(ColorRole::Text, m_fore) : fallback;
}

// ---------------------------------------------------------------- panel

WashPanel::WashPanel(QWidget* parent) : QFrame(parent) {}

void WashPanel::setCaption(const QString& c)
{
    m_caption = c;
    update();
}

void WashPanel::setCaptionBold(bool bold)
{
    m_bold = bold;
    update();
}

void WashPanel::paintEvent(QPaintEvent* event)
{
    {
        QPainter p(this);
        if (!paintWashOn(p, rect()))
            p.fillRect(rect(), palette().color(backgroundRole()));
        if (!m_caption.isEmpty()) {
            QFont f = font();
            f.setBold(m_bold);
            p.setFont(f);
            paintEffectText(p, rect().adjusted(6, 2, -6, -2), Qt::AlignLeft | Qt::AlignTop, m_caption,
                            textColor(palette().color(QPalette::WindowText)), TextEffect());
        }
    }
    QFrame::paintEvent(event); // the frame's border
}

// ---------------------------------------------------------------- label

EffectLabel::EffectLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {}

void EffectLabel::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    if (!paintWashOn(p, rect()) && autoFillBackground())
        p.fillRect(rect(), palette().color(backgroundRole()));
    const int flags = int(alignment()) | (wordWrap() ? int(Qt::TextWordWrap) : 0);
    paintEffectText(p, contentsRect().adjusted(margin(), margin(), -margin(), -margin()), flags, text(),
                    textColor(palette().color(QPalette::WindowText)), TextEffect());
}

// ---------------------------------------------------------------- button

WashButton::WashButton(const QString& text, QWidget* parent) : QPushButton(text, parent) {}

void WashButton::paintEvent(QPaintEvent* event)
{
    if (!hasWash()) {
        QPushButton::paintEvent(event);
        return;
    }
    QPainter p(this);
    QRect face = rect().adjusted(1, 1, -1, -1);
    if (isDown() || isChecked())
        paintWash(p, face, resolveColor(ColorRole::Background, WashEnd()),
                  resolveColor(ColorRole::Background, WashStart()));
    else
        paintWashOn(p, face);
    // A raised edge, lowered while pressed.
    const QColor light(255, 255, 255), dark(96, 96, 96);
    const bool down = isDown() || isChecked();
    p.setPen(down ? dark : light);
    p.drawLine(rect().topLeft(), rect().topRight());
    p.drawLine(rect().topLeft(), rect().bottomLeft());
    p.setPen(down ? light : dark);
    p.drawLine(rect().bottomLeft(), rect().bottomRight());
    p.drawLine(rect().topRight(), rect().bottomRight());

    QRect content = rect().adjusted(4, 2, -4, -2);
    if (down)
        content.translate(1, 1);
    if (!icon().isNull()) {
        const QSize is = iconSize();
        const QPixmap pm = icon().pixmap(is, isEnabled() ? QIcon::Normal : QIcon::Disabled);
        if (text().isEmpty()) {
            p.drawPixmap(QStyle::alignedRect(layoutDirection(), Qt::AlignCenter, is, content), pm);
            return;
        }
        p.drawPixmap(content.left(), content.top() + (content.height() - is.height()) / 2, pm);
        content.setLeft(content.left() + is.width() + 4);
    }
    QColor fore = textColor(palette().color(QPalette::ButtonText));
    if (!isEnabled())
        fore = palette().color(QPalette::Disabled, QPalette::ButtonText);
    paintEffectText(p, content, Qt::AlignCenter | Qt::TextShowMnemonic, text(), fore, TextEffect());
    if (hasFocus()) {
        QStyleOptionFocusRect fr;
        fr.initFrom(this);
        fr.rect = rect().adjusted(3, 3, -3, -3);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &fr, &p, this);
    }
}

// ---------------------------------------------------------------- check box

WashCheckBox::WashCheckBox(const QString& text, QWidget* parent) : QCheckBox(text, parent) {}

void WashCheckBox::paintEvent(QPaintEvent* event)
{
    if (!hasWash() && TextEffect() == kEffectNone && !hasForeColor()) {
        QCheckBox::paintEvent(event);
        return;
    }
    QStylePainter p(this);
    if (!paintWashOn(p, rect()) && autoFillBackground())
        p.fillRect(rect(), palette().color(backgroundRole()));
    QStyleOptionButton opt;
    initStyleOption(&opt);
    const QString caption = opt.text;
    opt.text.clear();
    p.drawControl(QStyle::CE_CheckBox, opt);
    const QRect textRect = style()->subElementRect(QStyle::SE_CheckBoxContents, &opt, this);
    paintEffectText(p, textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextShowMnemonic, caption,
                    textColor(palette().color(QPalette::WindowText)), TextEffect());
}

// ---------------------------------------------------------------- any widget

namespace {

// Which palette roles carry a control's background and text: windows and
// panels paint with Window, entry fields and lists with Base, buttons with Button.
enum class Kind { Window, Entry, Button, Bar };

Kind kindOf(const QWidget* w)
{
    if (qobject_cast<const QComboBox*>(w))
        return Kind::Entry;
    if (qobject_cast<const QAbstractButton*>(w))
        return Kind::Button;
    if (qobject_cast<const QToolBar*>(w) || qobject_cast<const QMenuBar*>(w))
        return Kind::Bar;
    if (qobject_cast<const QAbstractScrollArea*>(w) || qobject_cast<const QLineEdit*>(w))
        return Kind::Entry;
    return Kind::Window;
}

} // namespace

bool setBackColor(QWidget* w, OleColor c)
{
    if (!w)
        return false;
    const QColor color = resolveColor(ColorRole::Background, c);
    QPalette pal = w->palette();
    pal.setColor(QPalette::Window, color);
    switch (kindOf(w)) {
    case Kind::Entry:
        pal.setColor(QPalette::Base, color);
        pal.setColor(QPalette::Button, color);
        break;
    case Kind::Button:
    case Kind::Bar: pal.setColor(QPalette::Button, color); break;
    case Kind::Window: break;
    }
    w->setPalette(pal);
    w->setAutoFillBackground(true);
    if (auto* area = qobject_cast<QAbstractScrollArea*>(w))
        area->viewport()->setAutoFillBackground(true);
    return true;
}

bool setForeColor(QWidget* w, OleColor c)
{
    if (!w)
        return false;
    if (auto* washed = dynamic_cast<WashedControl*>(w))
        washed->setForeColor(c);
    const QColor color = resolveColor(ColorRole::Text, c);
    QPalette pal = w->palette();
    pal.setColor(QPalette::WindowText, color);
    switch (kindOf(w)) {
    case Kind::Entry:
        pal.setColor(QPalette::Text, color);
        pal.setColor(QPalette::ButtonText, color);
        break;
    case Kind::Button:
    case Kind::Bar: pal.setColor(QPalette::ButtonText, color); break;
    case Kind::Window: break;
    }
    w->setPalette(pal);
    return true;
}

bool setBold(QWidget* w, bool bold)
{
    if (!w)
        return false;
    // A panel's type is its own caption's; the controls on it keep theirs.
    if (auto* panel = qobject_cast<WashPanel*>(w)) {
        panel->setCaptionBold(bold);
        return true;
    }
    QFont f = w->font();
    f.setBold(bold);
    w->setFont(f);
    return true;
}

bool setWashColors(QWidget* w, OleColor start, OleColor end)
{
    if (!w)
        return false;
    if (auto* washed = dynamic_cast<WashedControl*>(w)) {
        washed->setWash(start, end);
        return true;
    }
    return setBackColor(w, start);
}

bool setTextEffect(QWidget* w, int effect)
{
    auto* washed = dynamic_cast<WashedControl*>(w);
    if (!washed)
        return false;
    washed->setTextEffect(effect);
    return true;
}

} // namespace platform
