#include "browser/DialogColors.h"

#include "platform/OleColor.h"
#include "shared/SharedState.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLinearGradient>
#include <QPushButton>

namespace browser {

namespace {

QBrush wash(const QWidget* w, platform::OleColor from, platform::OleColor to)
{
    QLinearGradient g(0, 0, 0, std::max(1, w->height()));
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
        fp.setBrush(QPalette::Window, wash(frame, gs.nSelectBackColor, gs.nSelectWashEnd));
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
        bp.setBrush(QPalette::Button, wash(b, gs.nButtonBackColor, gs.nButtonWashEnd));
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
