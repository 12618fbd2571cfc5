#pragma once
// A browser that records what it is asked to do: in its own list, or in a
// list it shares with others, each entry led by its name.
#include "platform/net/WebBrowser.h"

#include <QPointer>
#include <QStringList>
#include <QWidget>

class RecordingBrowser : public platform::WebBrowser {
public:
    explicit RecordingBrowser(QStringList* log = nullptr, const QString& name = {})
        : m_log(log ? log : &calls), m_name(name)
    {
    }
    ~RecordingBrowser() override { delete m_view; }
    QWidget* view() override
    {
        if (!m_view) {
            m_view = new QWidget;
            m_view->setObjectName(m_name);
        }
        return m_view;
    }
    void GoBack() override { note(QStringLiteral("GoBack")); }
    void GoForward() override { note(QStringLiteral("GoForward")); }
    void GoHome() override { note(QStringLiteral("GoHome")); }
    void Stop() override { note(QStringLiteral("Stop")); }
    void Refresh() override { note(QStringLiteral("Refresh")); }
    void Navigate2(const QString& a) override
    {
        url = a;
        note("Navigate2 " + a + (offline ? QStringLiteral(" offline") : QString()));
    }
    void ExecWB(int c, int o) override { note(QStringLiteral("ExecWB %1 %2").arg(c).arg(o)); }
    QString LocationURL() const override { return url; }
    QString LocationName() const override { return title; }
    void setOffline(bool o) override { offline = o; }
    void setSilent(bool) override {}
    void showHtml(const QString& h, const QString& base) override
    {
        html = h;
        url = base;
        note("showHtml " + base);
    }

    QStringList calls;
    bool offline = false;
    QString html, url, title;

private:
    void note(const QString& c) { *m_log << (m_name.isEmpty() ? c : m_name + ' ' + c); }
    QStringList* m_log;
    QString m_name;
    QPointer<QWidget> m_view; // placed in a window, which may delete it first
};
