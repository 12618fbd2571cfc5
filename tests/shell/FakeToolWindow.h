#pragma once
// A tool window that keeps its open flag as the real ones do, for the
// dispatcher's open, focus and modal steps.
#include <QCloseEvent>
#include <QTimer>
#include <QWidget>

namespace shelltest {

class FakeToolWindow : public QWidget {
public:
    static inline int made = 0;

    FakeToolWindow(bool* openFlag, bool closeWhenShown = false) : m_flag(openFlag), m_closeWhenShown(closeWhenShown)
    {
        ++made;
        if (m_flag)
            *m_flag = true; // its load handler
    }
    ~FakeToolWindow() override
    {
        if (m_flag)
            *m_flag = false;
    }

    bool modalWhenShown = false;

protected:
    void showEvent(QShowEvent* e) override
    {
        QWidget::showEvent(e);
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
