#pragma once
// Our panel, label, button and check box controls: a background washed from
// one colour to another, a text colour, bold type and a text effect, all kept
// as raw OLE colours and resolved only to paint. Plus helpers that give any
// widget the scheme's colours, so a caller need not know the control's kind.
#include "platform/controls/OleColor.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>

class QPainter;

namespace platform {

// Text effects ("None", "Raised Light", "Raised Heavy", "Lowered Light", "Lowered Heavy").
enum TextEffect { kEffectNone = 0, kEffectRaisedLight = 1, kEffectRaisedHeavy = 2, kEffectLoweredLight = 3,
                  kEffectLoweredHeavy = 4 };

// Fills the rectangle from start (top) to end (bottom).
void paintWash(QPainter& p, const QRect& r, const QColor& start, const QColor& end);
// Draws text in the colour fore with a light and a dark edge for the effect.
void paintEffectText(QPainter& p, const QRect& r, int flags, const QString& text, const QColor& fore, int effect);

// What the washed controls share.
class WashedControl {
public:
    virtual ~WashedControl() = default;
    void setWash(OleColor start, OleColor end);
    bool hasWash() const { return m_hasWash; }
    OleColor WashStart() const { return m_washStart; }
    OleColor WashEnd() const { return m_washEnd; }
    void setForeColor(OleColor c);
    bool hasForeColor() const { return m_hasFore; }
    OleColor ForeColor() const { return m_fore; }
    int TextEffect() const { return m_effect; }
    void setTextEffect(int effect);

protected:
    virtual void schemeChanged() = 0;
    // Paints the wash when one is set; false when the caller paints the plain background.
    bool paintWashOn(QPainter& p, const QRect& r) const;
    QColor textColor(const QColor& fallback) const;

private:
    bool m_hasWash = false, m_hasFore = false;
    OleColor m_washStart = 0, m_washEnd = 0, m_fore = 0;
    int m_effect = kEffectNone;
};

// A panel (frame) with a washed background and an optional caption at its top left.
class WashPanel : public QFrame, public WashedControl {
    Q_OBJECT
public:
    explicit WashPanel(QWidget* parent = nullptr);
    QString Caption() const { return m_caption; }
    void setCaption(const QString& c);
    // Bold type for the caption only; the controls on the panel keep their own.
    bool CaptionBold() const { return m_bold; }
    void setCaptionBold(bool bold);

protected:
    void paintEvent(QPaintEvent* event) override;
    void schemeChanged() override { update(); }

private:
    QString m_caption;
    bool m_bold = false;
};

// A label with a washed background and a text effect.
class EffectLabel : public QLabel, public WashedControl {
    Q_OBJECT
public:
    explicit EffectLabel(const QString& text = QString(), QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
    void schemeChanged() override { update(); }
};

// A command button with a washed face and a text effect.
class WashButton : public QPushButton, public WashedControl {
    Q_OBJECT
public:
    explicit WashButton(const QString& text = QString(), QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
    void schemeChanged() override { update(); }
};

// A check box on a washed background with a text effect.
class WashCheckBox : public QCheckBox, public WashedControl {
    Q_OBJECT
public:
    explicit WashCheckBox(const QString& text = QString(), QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
    void schemeChanged() override { update(); }
};

// Scheme colours for any widget. Each returns false when there is no widget.
bool setBackColor(QWidget* w, OleColor c);
bool setForeColor(QWidget* w, OleColor c);
bool setBold(QWidget* w, bool bold);
// A washed control takes the wash; any other widget the start colour as background.
bool setWashColors(QWidget* w, OleColor start, OleColor end);
// Washed controls only; others keep their look.
bool setTextEffect(QWidget* w, int effect);

} // namespace platform
