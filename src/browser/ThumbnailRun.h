#pragma once
// The ThumbNails tab: the pictures of the folder the file list shows, made by
// the thumbnail generator and shown in the image list. One toolbar tool with
// three faces starts the view ("ID_ThumbNails"), stops a run ("ID_Stop",
// captioned "ThumbNails") and goes back to the file list ("Explore Files").
// The run owns the generator, the image list and the run's state; the main
// window's handlers forward to it.
#include <QObject>
#include <QString>
#include <array>
#include <functional>

class QImage;
class QWidget;
namespace platform {
class ImageList;
class ThumbnailGenerator;
class ToolBarComp;
} // namespace platform

namespace browser {

class ThumbnailRun : public QObject {
    Q_OBJECT
public:
    // What the run uses of the window around it.
    struct Window {
        QWidget* window = nullptr; // the hourglass; closed after a run when asked
        QWidget* panel = nullptr;  // the tab panel that shows the image list
        platform::ToolBarComp* toolbar = nullptr;
        std::function<QString()> folder; // the folder the file list shows
        std::function<int()> filterRow;  // the file filter in use
        std::function<void(int)> selectTab; // from 0
        std::function<void()> focusFolderTree;
        std::function<void(const QString&)> displayFile;
    };
    explicit ThumbnailRun(Window window);

    platform::ThumbnailGenerator* Thumb1 = nullptr;
    platform::ImageList* ImagList1 = nullptr;

    // The thumbnail command and the stop button.
    void ToggleThumbnails();
    // The ThumbNails tab was selected: the view starts, or shows the run that
    // goes on (coming back to the tab does not stop it).
    void TabSelected();
    // Makes the folder's thumbnails; result is false when none are shown.
    void GenerateThumbnails(bool& result);
    void LeaveThumbnailView();
    // A run is going on, or queued to start.
    bool runActive() const { return m_runActive || m_runQueued; }
    // While a run goes on, asks it to stop and closes the window when it has
    // unwound; false when no run goes on.
    bool deferClose();
    // The folder changed: the held thumbnails are not this folder's any more.
    void forgetFolder() { cThumbFolder.clear(); }

    // A stop asked of the run going on (or queued); it ends with that run.
    bool fThumbStopRequest = false;
    // A run was stopped; a file search seeing it ends too.
    bool fThumbsStopped = false;
    QString cThumbFolder; // folder whose thumbnails the image list holds
    int nThumbCount = 0;  // thumbnails inserted in this run

private:
    struct HeldThumbs {
        bool valid = false;
        QString folder;
        int filterRow = -1, width = 0, height = 0, bitsIndex = -1;
        unsigned back = 0; // the list's background the thumbnails stand on
        bool sameAs(const HeldThumbs& o) const;
    };
    void StartThumbnailBrowse(int low, int high);
    void AddThumbnail(const QString& path, const QImage& bitmap);
    void EnterThumbnailView();
    void Thumb1_ThumbReady(const QImage& bitmap, const QString& path, int status, int reserved);
    void ImagList1_ItemClick(int position);
    bool folderShowsItems() const;
    HeldThumbs currentKey() const;
    void setPointers(bool busy);
    void queueRun();
    void endRun();
    void showOutcome(const HeldThumbs& key, bool& result);
    void setToolEnabled(const QString& id, bool on);
    void setToolShown(const QString& id, bool on);
    void setStopFace(const QString& picture, const QString& caption);

    Window m_w;
    std::array<int, 11> ThumbBitsTable{};
    HeldThumbs m_held;
    bool m_runActive = false;
    bool m_runQueued = false;
    bool m_rerun = false;
    bool m_starting = false;
    bool m_closeAfterRun = false;
};

} // namespace browser
