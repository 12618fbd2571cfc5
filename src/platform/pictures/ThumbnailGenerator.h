#pragma once
// The thumbnail generator: walks one folder for one file mask at a time and
// reports each file's thumbnail, in name order, through ThumbReady before
// Browse returns. The folder is read and the pictures are decoded and scaled
// on a pool of worker threads; the reports, and everything they touch, stay
// on the UI thread, and the message loop runs while Browse waits for them.
#include <QColor>
#include <QImage>
#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>
#include <stop_token>

class QEventLoop;
class QThreadPool;

namespace platform {

class ThumbnailGenerator : public QObject {
    Q_OBJECT
public:
    // Results of Browse.
    static constexpr int kNoFiles = 20010;  // no file matches the mask
    static constexpr int kAborted = 20100;  // the walk was stopped (ContinueBrowse false)
    static constexpr int kBusy = 20101;     // a walk is already going on

    explicit ThumbnailGenerator(QObject* parent = nullptr);
    ~ThumbnailGenerator() override;

    int ThumbWidth() const { return m_width; }
    void setThumbWidth(int w) { m_width = w; }
    int ThumbHeight() const { return m_height; }
    void setThumbHeight(int h) { m_height = h; }
    int BitsPerPixel() const { return m_bits; }
    void setBitsPerPixel(int b) { m_bits = b; }
    QString FileMask() const { return m_mask; }
    void setFileMask(const QString& mask) { m_mask = mask; }
    // What the thumbnails stand on: transparent pixels show it, partly
    // transparent ones are blended with it.
    QColor BackColor() const { return m_back; }
    void setBackColor(const QColor& c) { m_back = c; }

    // Set by the ThumbReady handler: false ends the walk after this file.
    bool ContinueBrowse() const { return m_continue; }
    void setContinueBrowse(bool on) { m_continue = on; }

    // Makes the thumbnails of the folder's files that match the mask (any
    // letter case); 0 when the walk went through, else one of the codes above.
    int Browse(const QString& folder);
    bool isBrowsing() const { return m_browsing; }
    // Ends the walk going on at once, without waiting for the picture it
    // waits for (Browse returns kAborted); the pictures being decoded are
    // abandoned. Nothing happens when no walk goes on.
    void stopBrowse();
    // Browse reads a folder's names once and keeps them for the walks of the
    // next masks over the same folder; a new run forgets them, so it sees the
    // folder as it is now.
    void forgetFolder() { m_listedFolder.clear(); }

    // The thumbnail of one file as the generator makes it into out, on
    // `back`: 0, or the imaging error code of its read (ImagingCodes.h);
    // stop: asked, the picture is not wanted any more.
    static int makeThumbnail(const QString& path, int width, int height, int bits, const QColor& back, QImage* out,
                             std::stop_token stop = {});

signals:
    // status 0: bitmap holds the thumbnail; otherwise the imaging error code
    // the file's read ended in (20009 a bad file, 20001 too large ...).
    void ThumbReady(const QImage& bitmap, const QString& path, int status, int reserved);

private:
    QStringList listFiles(const QString& folder, QEventLoop& waker);
    int m_width = 105, m_height = 105, m_bits = 24;
    QString m_mask = QStringLiteral("*.*");
    QColor m_back = Qt::white;
    QString m_listedFolder;    // the folder whose names are held
    QStringList m_listedNames; // its file names, in name order
    bool m_continue = true;
    bool m_browsing = false;
    bool m_stopAsked = false;
    QEventLoop* m_waker = nullptr; // the loop the walk going on waits in
    QThreadPool* m_pool;
};

} // namespace platform
