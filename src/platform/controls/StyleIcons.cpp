#include "platform/controls/StyleIcons.h"

#include <QApplication>
#include <QHash>
#include <QIconEngine>
#include <QPainter>
#include <functional>
#include <memory>

namespace platform {
namespace {

// Stands for an icon until it is drawn or measured, then hands on to it.
class DeferredIconEngine : public QIconEngine {
public:
    using Make = std::function<QIcon()>;
    explicit DeferredIconEngine(std::shared_ptr<Make> make) : m_make(std::move(make)) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        icon().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return icon().actualSize(size, mode, state);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return icon().pixmap(size, mode, state);
    }
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal scale) override
    {
        return icon().pixmap(size, scale, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override
    {
        return icon().availableSizes(mode, state);
    }
    QString iconName() override { return icon().name(); }
    // Asked by every button and list that lays out: not null, without drawing.
    bool isNull() override { return false; }
    QString key() const override { return QStringLiteral("lumivex-deferred"); }
    QIconEngine* clone() const override
    {
        auto* e = new DeferredIconEngine(m_make);
        e->m_icon = m_icon;
        return e;
    }

private:
    const QIcon& icon()
    {
        if (m_icon.isNull() && *m_make)
            m_icon = (*m_make)();
        return m_icon;
    }

    std::shared_ptr<Make> m_make;
    QIcon m_icon;
};

QIcon deferred(DeferredIconEngine::Make make)
{
    return QIcon(new DeferredIconEngine(std::make_shared<DeferredIconEngine::Make>(std::move(make))));
}

} // namespace

QIcon styleIcon(QStyle::StandardPixmap which)
{
    // Made and drawn on the GUI thread only, as every icon.
    static QHash<int, QIcon> made;
    auto it = made.find(int(which));
    if (it == made.end()) {
        // The icon itself is shared by every copy: made once, when first drawn.
        auto shared = std::make_shared<QIcon>();
        it = made.insert(int(which), deferred([which, shared] {
                             if (shared->isNull())
                                 *shared = QApplication::style()->standardIcon(which);
                             return *shared;
                         }));
    }
    return *it;
}

QIcon themeIcon(const QString& name, QStyle::StandardPixmap fallback)
{
    static QHash<QString, QIcon> made;
    auto it = made.find(name);
    if (it == made.end()) {
        auto shared = std::make_shared<QIcon>();
        it = made.insert(name, deferred([name, fallback, shared] {
                             if (shared->isNull())
                                 *shared = QIcon::fromTheme(name, QApplication::style()->standardIcon(fallback));
                             return *shared;
                         }));
    }
    return *it;
}

} // namespace platform
