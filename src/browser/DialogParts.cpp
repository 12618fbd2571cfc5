#include "browser/DialogParts.h"

#include "platform/OleColor.h"
#include "shared/SharedState.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLinearGradient>
#include <QPushButton>
#include <QVBoxLayout>

namespace browser {

namespace {

QBrush wash(platform::OleColor from, platform::OleColor to)
{
    QLinearGradient g(0, 0, 0, 1);
    g.setCoordinateMode(QGradient::ObjectBoundingMode);
    g.setColorAt(0, platform::resolveOleColor(from));
    g.setColorAt(1, platform::resolveOleColor(to));
    return QBrush(g);
}

void setBold(QWidget* w)
{
    QFont f = w->font();
    f.setBold(gs.fBoldFonts);
    w->setFont(f);
}

} // namespace

DialogButtons layOutDialog(QWidget* window, QWidget* frame, const QString& okTip, const QString& cancelTip,
                           const QString& helpTip)
{
    DialogButtons b;
    const auto make = [window](const char* name, const char* caption, const QString& tip) {
        auto* button = new QPushButton(QString::fromLatin1(caption), window);
        button->setObjectName(QString::fromLatin1(name));
        button->setToolTip(tip);
        button->setAutoDefault(false);
        return button;
    };
    b.ok = make("OKBtn", "OK", okTip);
    b.cancel = make("CancelBtn", "Cancel", cancelTip);
    b.help = make("HelpBtn", "Help", helpTip);
    b.ok->setDefault(true);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(b.ok);
    row->addWidget(b.cancel);
    row->addWidget(b.help);
    auto* layout = new QVBoxLayout(window);
    layout->addWidget(frame);
    layout->addLayout(row);
    return b;
}

void applyDialogColors(QWidget* window, QWidget* frame, const QList<QLabel*>& labels,
                       const QList<QLineEdit*>& entries, const QList<QPushButton*>& buttons)
{
    const QColor selectFore = platform::resolveOleColor(gs.nSelectForeColor);
    QPalette pal = window->palette();
    pal.setColor(QPalette::Window, platform::resolveOleColor(gs.nSelectBackColor));
    pal.setColor(QPalette::WindowText, selectFore);
    window->setPalette(pal);
    window->setAutoFillBackground(true);
    if (frame) {
        QPalette fp = frame->palette();
        fp.setBrush(QPalette::Window, wash(gs.nSelectBackColor, gs.nSelectWashEnd));
        fp.setColor(QPalette::WindowText, selectFore);
        frame->setPalette(fp);
        frame->setAutoFillBackground(true);
    }
    for (QLabel* l : labels) {
        QPalette lp = l->palette();
        lp.setColor(QPalette::WindowText, selectFore);
        l->setPalette(lp);
        setBold(l);
    }
    for (QLineEdit* e : entries) {
        QPalette ep = e->palette();
        ep.setColor(QPalette::Base, platform::resolveOleColor(gs.nEntryBackColor));
        ep.setColor(QPalette::Text, platform::resolveOleColor(gs.nEntryForeColor));
        e->setPalette(ep);
        setBold(e);
    }
    for (QPushButton* b : buttons) {
        QPalette bp = b->palette();
        // Styles paint buttons from one colour: the wash starts there.
        bp.setColor(QPalette::Button, platform::resolveOleColor(gs.nButtonBackColor));
        bp.setColor(QPalette::ButtonText, platform::resolveOleColor(gs.nButtonForeColor));
        b->setPalette(bp);
        setBold(b);
    }
}

void sendHelpKey(QWidget* window)
{
    QKeyEvent press(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
    QCoreApplication::sendEvent(window, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_F1, Qt::NoModifier);
    QCoreApplication::sendEvent(window, &release);
}

} // namespace browser
