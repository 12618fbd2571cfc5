#include "browser/ThumbnailRun.h"

#include "browser/ThumbnailRange.h"
#include "platform/controls/Dialogs.h"
#include "platform/controls/ImageList.h"
#include "platform/pictures/ThumbnailGenerator.h"
#include "platform/controls/ToolBarComp.h"
#include "shared/SharedState.h"
#include "shared/Tables.h"

#include <QCoreApplication>
#include <QDirIterator>
#include <QLayout>
#include <QPixmap>
#include <QTimer>
#include <QWidget>
#include <algorithm>

namespace browser {

namespace {

constexpr int kThumbNailsTab = 3; // 0-based: "ThumbNails"
constexpr int kPicturesTab = 2;   // "Pictures"

const QString kIdStop = QStringLiteral("ID_Stop");
const QString kIdThumbNails = QStringLiteral("ID_ThumbNails");
const QString kStopPicture = QStringLiteral("BMPS/Stop.bmp");
const QString kTogglePicture = QStringLiteral("BMPS/ThumbToggle.Bmp");

// The file name: the text after the path's last separator.
QString fileNameOf(const QString& path)
{
    qsizetype p = path.lastIndexOf(QLatin1Char('/'));
#ifdef Q_OS_WIN
    p = std::max(p, path.lastIndexOf(QLatin1Char('\\')));
#endif
    return p < 0 ? path : path.mid(p + 1);
}

// Runs a function when the scope ends, whichever way it ends.
template <typename F> struct AtExit {
    F f;
    ~AtExit() { f(); }
};
template <typename F> AtExit(F) -> AtExit<F>;

} // namespace

bool ThumbnailRun::HeldThumbs::sameAs(const HeldThumbs& o) const
{
    return valid && o.valid && folder == o.folder && filterRow == o.filterRow && width == o.width &&
           height == o.height && bitsIndex == o.bitsIndex && back == o.back;
}

ThumbnailRun::ThumbnailRun(Window window) : QObject(window.window), m_w(std::move(window))
{
    Thumb1 = new platform::ThumbnailGenerator(this);
    Thumb1->setObjectName(QStringLiteral("Thumb1"));
    ImagList1 = new platform::ImageList(m_w.panel);
    ImagList1->setObjectName(QStringLiteral("ImagList1"));
    ImagList1->setToolTip(QStringLiteral("Click a ThumbNail to View the Picture"));
    m_w.panel->layout()->addWidget(ImagList1);
    ImagList1->setVisible(false);
    connect(Thumb1, &platform::ThumbnailGenerator::ThumbReady, this, &ThumbnailRun::Thumb1_ThumbReady,
            Qt::DirectConnection);
    connect(ImagList1, &platform::ImageList::ItemClick, this, &ThumbnailRun::ImagList1_ItemClick);
}

void ThumbnailRun::setToolEnabled(const QString& id, bool on)
{
    if (platform::Tool* t = m_w.toolbar->Item(id))
        t->setEnabled(on);
}

void ThumbnailRun::setToolShown(const QString& id, bool on)
{
    if (platform::Tool* t = m_w.toolbar->Item(id))
        t->ChangeAll(platform::kPropVisible, on);
}

// The "ID_Stop" face: its picture from the program folder and its caption.
void ThumbnailRun::setStopFace(const QString& picture, const QString& caption)
{
    platform::Tool* t = m_w.toolbar->Item(kIdStop);
    if (!t)
        return;
    const QPixmap p(gs.programFile(picture));
    if (!p.isNull())
        t->setPicture(p);
    t->ChangeAll(platform::kPropCaption, caption);
}

bool ThumbnailRun::folderShowsItems() const
{
    const QString folder = m_w.folder().trimmed();
    if (folder.isEmpty())
        return false;
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot);
    return it.hasNext();
}

ThumbnailRun::HeldThumbs ThumbnailRun::currentKey() const
{
    return HeldThumbs{true,
                      m_w.folder().trimmed(),
                      m_w.filterRow(),
                      gs.nThumbWidth,
                      gs.nThumbHeight,
                      gs.nThumbBitsIndex,
                      ImagList1->BackColor().rgb()};
}

void ThumbnailRun::setPointers(bool busy)
{
    if (busy) {
        ImagList1->setCursor(Qt::WaitCursor);
        m_w.window->setCursor(Qt::WaitCursor);
    } else {
        ImagList1->unsetCursor();
        m_w.window->unsetCursor();
    }
}

void ThumbnailRun::ToggleThumbnails()
{
    // Selecting the ThumbNails tab below comes back here through the tab strip.
    if (m_starting)
        return;
    if (gs.fThumbView) {
        if (runActive()) {
            // The stop button: the run ends without waiting for the picture
            // being made; a run queued to start does not start.
            fThumbStopRequest = true;
            fThumbsStopped = false;
            setPointers(false);
            Thumb1->stopBrowse();
            return;
        }
        if (gs.fThumbsLoading) {
            // "Explore Files": back to the file list.
            fThumbStopRequest = true;
            fThumbsStopped = false;
            setPointers(false);
            LeaveThumbnailView();
            m_w.selectTab(kPicturesTab);
        } else if (cThumbFolder != m_w.folder().trimmed()) {
            // Back on the tab while the thumbnails held are another folder's.
            bool made = false;
            GenerateThumbnails(made);
        } else {
            // Back on the tab (which clears fThumbsLoading) while the
            // thumbnails are shown: they stay, and "Explore Files" still leaves.
            gs.fThumbsLoading = true;
        }
        return;
    }
    if (!folderShowsItems())
        return;
    gs.fThumbView = true;
    ThumbBitsTable = {32, 24, 16, 8, 7, 6, 5, 4, 3, 2, 1};
    {
        m_starting = true;
        AtExit done{[this]() { m_starting = false; }};
        m_w.selectTab(kThumbNailsTab);
    }
    const HeldThumbs key = currentKey();
    if (!cThumbFolder.isEmpty() && key.folder == cThumbFolder && m_held.sameAs(key) && ImagList1->Count() > 0) {
        // The image list still holds this folder's thumbnails, made the same way.
        EnterThumbnailView();
        setStopFace(kTogglePicture, QStringLiteral("Explore Files"));
        gs.fThumbsLoading = true;
        cThumbFolder = key.folder;
    } else {
        bool made = false;
        GenerateThumbnails(made);
        if (!made)
            return;
    }
    setPointers(false);
    if (ImagList1->Count() == 0 && !m_runQueued)
        ImagList1->setVisible(false);
}

void ThumbnailRun::TabSelected()
{
    // A run for the folder shown goes on, or is about to start: the tab shows it.
    if (gs.fThumbView && runActive())
        return;
    ToggleThumbnails();
}

void ThumbnailRun::queueRun()
{
    if (m_runQueued)
        return;
    m_runQueued = true;
    QTimer::singleShot(0, this, [this]() {
        m_runQueued = false;
        if (!gs.fThumbView)
            return;
        if (fThumbStopRequest) {
            // Stopped before it started: it ends as a run stopped before its
            // first thumbnail does.
            fThumbStopRequest = false;
            m_held = HeldThumbs{};
            ImagList1->Clear();
            LeaveThumbnailView();
            return;
        }
        bool made = false;
        GenerateThumbnails(made);
        if (!made)
            return;
        setPointers(false);
        if (ImagList1->Count() == 0 && !runActive())
            ImagList1->setVisible(false);
    });
}

void ThumbnailRun::GenerateThumbnails(bool& result)
{
    result = false;
    if (m_runActive) {
        // A filter change, a refresh or a search step while a run goes on:
        // that run stops, and a fresh one follows once it has unwound.
        fThumbStopRequest = true;
        m_rerun = true;
        return;
    }
    if (m_runQueued || gs.fBusy || !m_w.toolbar->isEnabled()) {
        // Called from a handler that holds the toolbar (the tab change): the
        // run starts when that handler has returned, so that "ID_Stop" works.
        // A run queued already reads the folder and the filter when it
        // starts; asked for again after a stop, it starts after all.
        if (m_runQueued)
            fThumbStopRequest = false;
        queueRun();
        result = true;
        return;
    }
    // A stop ends the run it was asked of and no more (it was cleared when
    // that run ended): the next folder, filter or refresh gets its run.
    fThumbsStopped = false;
    fThumbStopRequest = false;
    result = true;
    m_runActive = true;
    AtExit ended{[this]() { endRun(); }};

    m_held = HeldThumbs{};
    const HeldThumbs key = currentKey();
    setToolEnabled(QStringLiteral("ID_Find"), false);
    setToolEnabled(QStringLiteral("ID_FindNext"), false);
    ImagList1->Clear();
    setPointers(true);
    nThumbCount = 0;

    const auto range = thumbnailRange(m_w.filterRow());
    if (!range) {
        LeaveThumbnailView(); // the filter names no picture type
    } else {
        StartThumbnailBrowse(range->first, range->second);
        showOutcome(key, result);
    }
    setToolEnabled(QStringLiteral("ID_Find"), true);
    setToolEnabled(QStringLiteral("ID_FindNext"), true);
    ImagList1->EnsureVisible(true);
    setPointers(false);
}

void ThumbnailRun::showOutcome(const HeldThumbs& key, bool& result)
{
    if (m_rerun && gs.fThumbView) {
        // Superseded by a newer request: its run shows the outcome.
    } else if (!gs.fThumbView) {
        // The view was left while the run went on (a view style, up one folder).
        result = false;
    } else if (ImagList1->Count() == 0) {
        result = false;
        if (!fThumbsStopped)
            platform::dialogs().message(kProgramTitle, QStringLiteral("      No Thumbnails to Display"),
                                        platform::Buttons::Ok, platform::Icon::None);
        // A run stopped before its first thumbnail goes back quietly.
        LeaveThumbnailView();
    } else {
        setStopFace(kTogglePicture, QStringLiteral("Explore Files"));
        gs.fThumbsLoading = true;
        cThumbFolder = key.folder;
        // A stopped run holds only part of the folder: it is made again next time.
        if (!fThumbsStopped && !fThumbStopRequest)
            m_held = key;
    }
}

void ThumbnailRun::endRun()
{
    m_runActive = false;
    fThumbStopRequest = false;
    if (m_closeAfterRun) {
        m_rerun = false;
        QTimer::singleShot(0, m_w.window, &QWidget::close);
        return;
    }
    if (m_rerun) {
        m_rerun = false;
        if (gs.fThumbView) {
            fThumbStopRequest = false;
            fThumbsStopped = false;
            queueRun();
        }
    }
}

bool ThumbnailRun::deferClose()
{
    if (!m_runActive) {
        // A run queued to start does not start in a closed window.
        if (m_runQueued)
            fThumbStopRequest = true;
        return false;
    }
    // The run unwinds first (at once: the pictures being made are
    // abandoned); the window closes right after it.
    fThumbStopRequest = true;
    m_closeAfterRun = true;
    Thumb1->stopBrowse();
    return true;
}

void ThumbnailRun::StartThumbnailBrowse(int low, int high)
{
    ImagList1->setDisplayStyle(3);
    ImagList1->setItemHeight(gs.nThumbHeight);
    ImagList1->setItemWidth(gs.nThumbWidth);
    Thumb1->setThumbHeight(gs.nThumbHeight - int(gs.nThumbHeight * 0.09));
    Thumb1->setThumbWidth(gs.nThumbWidth - int(gs.nThumbWidth * 0.09));
    const int bitsIndex = std::clamp(gs.nThumbBitsIndex, 0, int(ThumbBitsTable.size()) - 1);
    Thumb1->setBitsPerPixel(ThumbBitsTable[size_t(bitsIndex)] ? ThumbBitsTable[size_t(bitsIndex)] : 16);
    Thumb1->setBackColor(ImagList1->BackColor());
    const QString folder = m_w.folder().trimmed();
    Thumb1->forgetFolder();
    for (int i = low; i <= high; ++i) {
        Thumb1->setFileMask(QStringLiteral("*.") + ExtensionTable[size_t(i)]);
        int r = 0;
        if (folderShowsItems())
            r = Thumb1->Browse(folder);
        if (!gs.fThumbView)
            break; // the view was left meanwhile
        if (r == 0) {
            if (fThumbStopRequest) {
                fThumbsStopped = true;
                break;
            }
            continue;
        }
        if (r == platform::ThumbnailGenerator::kNoFiles) {
            if (fThumbStopRequest)
                fThumbsStopped = true;
            if (fThumbStopRequest || fThumbsStopped)
                break;
            continue;
        }
        // The walk was stopped inside the generator.
        fThumbsStopped = true;
        break;
    }
}

void ThumbnailRun::Thumb1_ThumbReady(const QImage& bitmap, const QString& path, int status, int)
{
    // A picture that comes after a stop (another folder was clicked) is not shown.
    if (gs.fThumbView && status == 0 && !fThumbStopRequest)
        AddThumbnail(path, bitmap);
    if (gs.fThumbView) {
        // Clicks (the stop button among them), tab changes and repaints.
        QCoreApplication::processEvents();
        if (status == 0)
            ++nThumbCount;
    }
    Thumb1->setContinueBrowse(!fThumbsStopped && gs.fThumbView && !fThumbStopRequest);
}

void ThumbnailRun::AddThumbnail(const QString& path, const QImage& bitmap)
{
    ImagList1->Insert(bitmap, fileNameOf(path), nThumbCount);
    ImagList1->Item(nThumbCount).FilePath = path;
    if (ImagList1->Count() == 1)
        EnterThumbnailView();
}

void ThumbnailRun::EnterThumbnailView()
{
    setToolShown(kIdStop, true);
    setToolShown(kIdThumbNails, false);
    setStopFace(kStopPicture, QStringLiteral("ThumbNails"));
    gs.fThumbsLoading = false;
    setToolEnabled(kIdStop, true);
    setToolEnabled(kIdThumbNails, false);
    ImagList1->setVisible(true);
}

void ThumbnailRun::LeaveThumbnailView()
{
    setToolShown(kIdStop, false);
    setToolShown(kIdThumbNails, true);
    setToolEnabled(kIdStop, false);
    setToolEnabled(kIdThumbNails, true);
    gs.fThumbView = false;
    ImagList1->setVisible(false);
    m_w.focusFolderTree();
    setToolEnabled(QStringLiteral("ID_Find"), true);
    setToolEnabled(QStringLiteral("ID_FindNext"), true);
    setStopFace(kStopPicture, QStringLiteral("ThumbNails"));
    gs.fThumbsLoading = false;
    // A stopped run must not end the next file search at once.
    fThumbsStopped = false;
    setPointers(false);
}

void ThumbnailRun::ImagList1_ItemClick(int position)
{
    const QString path = ImagList1->Item(position).FilePath;
    if (path.isEmpty())
        return;
    gs.nPicturePage = 1;
    gs.fInternetLoading = false;
    m_w.displayFile(path);
}

} // namespace browser
