#include "PaintProbe.h"

#include "platform/shell/ShellList.h"
#include "window/Lumivex1.h"

#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QSet>
#include <QWindow>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

void printMappedObjects()
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    if (!maps.open(QIODevice::ReadOnly))
        return;
    QSet<QByteArray> seen;
    for (const QByteArray& line : maps.readAll().split('\n')) {
        const QByteArray name = line.mid(line.lastIndexOf('/') + 1);
        if (line.contains('/') && name.contains(".so") && !seen.contains(name)) {
            seen.insert(name);
            std::printf("mapped %s\n", name.constData());
        }
    }
}

} // namespace

bool PaintProbe::eventFilter(QObject* o, QEvent* e)
{
    if (e->type() == QEvent::Show)
        if (auto* w = qobject_cast<QWidget*>(o); w && w->isWindow() && w->isModal())
            modalShown(w);
    if (!m_window)
        return false;
    if (m_what == "picture-fitted" && !m_fitted && !m_window->fStartingUp && m_window->Image1->HasBitmap()) {
        m_fitted = true;
        m_window->FitImageToWindow();
    }
    if (e->type() == QEvent::Paint) {
        if (auto* w = qobject_cast<QWidget*>(o); w && wanted(w))
            m_seen = true;
        return false;
    }
    // A frame is painted and flushed while its window handles these (an
    // update asked for by a widget goes to its top-level widget).
    if ((e->type() != QEvent::Expose && e->type() != QEvent::UpdateRequest) || m_inside)
        return false;
    if (auto* w = qobject_cast<QWidget*>(o); !qobject_cast<QWindow*>(o) && !(w && w->isWindow()))
        return false;
    m_inside = true;
    m_seen = false;
    o->event(e);
    m_inside = false;
    if (m_seen && painted())
        report();
    return true;
}

bool PaintProbe::wanted(QWidget* w) const
{
    if (w->window() != m_window)
        return false;
    if (m_what == "list")
        return !m_window->fStartingUp && m_window->PTxShList1->isAncestorOf(w) &&
               m_window->PTxShList1->Count() > 0;
    if (picture())
        return !m_window->fStartingUp && w == m_window->Image1 && m_window->Image1->HasBitmap();
    return true;
}

bool PaintProbe::painted() const
{
    if (!picture())
        return true;
    return m_window->Image1->PicturePainted() && (m_what != "picture-fitted" || m_window->Image1->PaintSizeMode() == 3);
}

void PaintProbe::report()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    std::printf("painted %lld\nitems %d\n", (long long)ts.tv_sec * 1000000000LL + ts.tv_nsec,
                m_window->PTxShList1->Count());
    if (picture()) {
        const QRect area = m_window->Image1->ShownArea();
        const QSize visible = m_window->Image1->visibleRegion().boundingRect().size();
        std::printf("shown %d %d\narea %d %d\n", area.width(), area.height(), visible.width(), visible.height());
        const QString save = qEnvironmentVariable("LUMIVEX_PAINT_PROBE_SAVE");
        if (!save.isEmpty())
            m_window->Image1->grab(area).toImage().save(save, "PNG");
    }
    printMappedObjects();
    std::fflush(stdout);
    std::_Exit(0);
}

void PaintProbe::modalShown(QWidget* w)
{
    QString text = w->windowTitle();
    if (auto* box = qobject_cast<QMessageBox*>(w))
        text += QStringLiteral(": ") + box->text();
    else
        for (const QLabel* l : w->findChildren<QLabel*>())
            if (!l->text().isEmpty())
                text += QStringLiteral(": ") + l->text();
    std::printf("message %s\n", qPrintable(text.simplified()));
    std::fflush(stdout);
    std::_Exit(3);
}
