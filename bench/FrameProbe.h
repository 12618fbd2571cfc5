#pragma once
// Notes the first frame, painted and flushed, in which a widget (or one of
// its children) painted while a condition held: a paint handled while its
// window is updated counts when that update has been flushed; a paint made
// at once (repaint) counts at once.
#include <QEvent>
#include <QWidget>
#include <QWindow>
#include <functional>

namespace bench {

class FrameProbe : public QObject {
public:
    FrameProbe(QWidget* widget, std::function<bool()> condition)
        : m_widget(widget), m_condition(std::move(condition))
    {
    }
    bool painted = false;

    bool eventFilter(QObject* o, QEvent* e) override
    {
        if (e->type() == QEvent::Paint) {
            auto* w = qobject_cast<QWidget*>(o);
            if (w && (w == m_widget || m_widget->isAncestorOf(w)) && m_condition()) {
                m_seen = true;
                painted = painted || !m_inside;
            }
            return false;
        }
        if ((e->type() != QEvent::Expose && e->type() != QEvent::UpdateRequest) || !qobject_cast<QWindow*>(o) ||
            m_inside)
            return false;
        m_inside = true;
        m_seen = false;
        o->event(e);
        m_inside = false;
        painted = painted || m_seen;
        return true;
    }

private:
    QWidget* m_widget;
    std::function<bool()> m_condition;
    bool m_inside = false, m_seen = false;
};

} // namespace bench
