#pragma once
// Files of the tests' own GStreamer plug-in (HeldMedia.c): the media engine
// loads them for as long as the test likes, and a player's teardown of one
// waits at a gate the test keeps, as for a file the engine never lets go of.
#include <QHash>
#include <QSocketNotifier>
#include <QString>

#include <memory>

class HeldMedia {
public:
    // Loads the plug-in into this process; the reason when it cannot.
    static QString load();

    // The pipes in a folder of its own under `folder`; the gate shut.
    explicit HeldMedia(const QString& folder);
    ~HeldMedia();
    HeldMedia(const HeldMedia&) = delete;
    HeldMedia& operator=(const HeldMedia&) = delete;

    // Writes a held file at `path`.
    void makeFile(const QString& path) const;
    // How often the plug-in has said `news` ("open", "held", "let go", "gone").
    int count(const QString& news) const { return m_news.value(news); }
    // Serves this thread's events until it has said `news` n times in all.
    void waitFor(const QString& news, int n);
    // Held teardowns go on while the gate is open.
    void openGate();
    void shutGate();

private:
    void readNews();

    QString m_folder;
    int m_newsFd = -1, m_gateFd = -1;
    std::unique_ptr<QSocketNotifier> m_notifier;
    QByteArray m_partial;
    QHash<QString, int> m_news;
};
