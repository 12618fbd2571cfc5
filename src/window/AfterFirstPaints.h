#pragma once
// Runs a function once each of some windows has painted itself for the first
// time (or has been hidden without). The video sink of the players
// waits for the window's thread, at most a second while it starts; the first
// paints of the windows shown at start take that long on a busy machine, so
// a video named on the command line starts after them.
#include <QObject>
#include <QSet>
#include <QWidget>
#include <functional>

class AfterFirstPaints : public QObject {
public:
    // The function runs on context's thread, queued after the last paint.
    static void run(const QList<QWidget*>& windows, QObject* context, std::function<void()> then);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    AfterFirstPaints(QObject* context, std::function<void()> then);
    void done(QObject* window);

    QSet<QObject*> m_waiting;
    std::function<void()> m_then;
};
