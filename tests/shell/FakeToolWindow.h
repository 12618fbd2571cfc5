#pragma once
// A tool window that keeps its open flag as the real ones do, for the
// dispatcher's open, focus and modal steps.
#include <QCloseEvent>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>
#include <functional>

namespace shelltest {

class FakeToolWindow : public QWidget {
public:
    static inline int made = 0;
    static inline int shown = 0;

    FakeToolWindow(bool* openFlag, bool closeWhenShown = false) : m_flag(openFlag), m_closeWhenShown(closeWhenShown)
    {
        ++made;
        if (m_flag)
            *m_flag = true; // its load handler
        auto* layout = new QVBoxLayout(this);
        TabStrip1 = new QTabWidget(this);
        TabStrip1->setObjectName(QStringLiteral("TabStrip1"));
        for (const char* caption : {"Colors", "Options", "Search"})
            TabStrip1->addTab(new QWidget, QString::fromLatin1(caption));
        layout->addWidget(TabStrip1);
    }
    ~FakeToolWindow() override
    {
        if (m_flag)
            *m_flag = false;
    }

    QTabWidget* TabStrip1;
    int pageWhenShown = -1;
    bool modalWhenShown = false;

protected:
    void showEvent(QShowEvent* e) override
    {
        QWidget::showEvent(e);
        ++shown;
        pageWhenShown = TabStrip1->currentIndex() + 1;
        modalWhenShown = isModal();
        if (m_closeWhenShown)
            QTimer::singleShot(0, this, &QWidget::close);
    }
    void closeEvent(QCloseEvent* e) override
    {
        if (m_flag)
            *m_flag = false; // its unload handler
        e->accept();
    }

private:
    bool* m_flag;
    bool m_closeWhenShown;
};

} // namespace shelltest
