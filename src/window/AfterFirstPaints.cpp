#include "window/AfterFirstPaints.h"

#include <QEvent>
#include <QWindow>
#include <utility>

AfterFirstPaints::AfterFirstPaints(QObject* context, std::function<void()> then)
    : QObject(context), m_then(std::move(then))
{
}

void AfterFirstPaints::run(const QList<QWidget*>& windows, QObject* context, std::function<void()> then)
{
    auto* watch = new AfterFirstPaints(context, std::move(then));
    for (QWidget* w : windows) {
        // A window not on show (or minimised) paints nothing now; one already
        // exposed has painted.
        QWindow* handle = w ? w->windowHandle() : nullptr;
        if (!handle || !w->isVisible() || w->isMinimized() || handle->isExposed() || watch->m_waiting.contains(handle))
            continue;
        watch->m_waiting.insert(handle);
        handle->installEventFilter(watch);
        connect(handle, &QObject::destroyed, watch, [watch, handle] {
            watch->m_waiting.remove(handle);
            watch->done(nullptr);
        });
    }
    watch->done(nullptr);
}

bool AfterFirstPaints::eventFilter(QObject* watched, QEvent* event)
{
    // A window paints its widgets while it handles its first exposure; the
    // call is queued, so it runs once that is done.
    if ((event->type() == QEvent::Expose && static_cast<QWindow*>(watched)->isExposed()) ||
        event->type() == QEvent::Hide)
        done(watched);
    return false;
}

void AfterFirstPaints::done(QObject* window)
{
    if (window) {
        window->removeEventFilter(this);
        m_waiting.remove(window);
    }
    if (!m_waiting.isEmpty() || !m_then)
        return;
    QMetaObject::invokeMethod(parent(), std::exchange(m_then, {}), Qt::QueuedConnection);
    deleteLater();
}
