// The ThumbNails tab: the pictures of the folder the file list shows, made by
// the thumbnail generator and shown in the image list; one toolbar tool with
// three faces starts the view ("ID_ThumbNails"), stops a run ("ID_Stop",
// captioned "ThumbNails") and goes back to the file list ("Explore Files").
#include "browser/ThumbnailRange.h"
#include "platform/Dialogs.h"
#include "platform/ImageList.h"
#include "platform/ThumbnailGenerator.h"
#include "shared/SharedState.h"
#include "shared/Tables.h"
#include "window/Lumivex1.h"

#include <QCoreApplication>
#include <QDirIterator>
#include <QLayout>
#include <QPixmap>
#include <QTabWidget>
#include <QTimer>

namespace {

constexpr int kThumbNailsTab = 3; // 0-based: "ThumbNails"
constexpr int kPicturesTab = 2;   // "Pictures"

const QString kIdStop = QStringLiteral("ID_Stop");
const QString kIdThumbNails = QStringLiteral("ID_ThumbNails");
const QString kStopPicture = QStringLiteral("BMPS/Stop.bmp");
const QString kTogglePicture = QStringLiteral("BMPS/ThumbToggle.Bmp");

void setToolEnabled(platform::ToolBarComp* bar, const QString& id, bool on)
{
    if (platform::Tool* t = bar->Item(id))
        t->setEnabled(on);
}

void setToolShown(platform::ToolBarComp* bar, const QString& id, bool on)
{
    if (platform::Tool* t = bar->Item(id))
        t->ChangeAll(platform::kPropVisible, on);
}

// The "ID_Stop" face: its picture from the program folder and its caption.
void setStopFace(platform::ToolBarComp* bar, const QString& picture, const QString& caption)
{
    platform::Tool* t = bar->Item(kIdStop);
    if (!t)
        return;
    const QPixmap p(gs.programFile(picture));
    if (!p.isNull())
        t->setPicture(p);
    t->ChangeAll(platform::kPropCaption, caption);
}

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

void Lumivex1::buildThumbnailView()
{
    Thumb1 = new platform::ThumbnailGenerator(this);
    Thumb1->setObjectName(QStringLiteral("Thumb1"));
    ImagList1 = new platform::ImageList(TabPanel[4]);
    ImagList1->setObjectName(QStringLiteral("ImagList1"));
    ImagList1->setToolTip(QStringLiteral("Click a ThumbNail to View the Picture"));
    TabPanel[4]->layout()->addWidget(ImagList1);
    ImagList1->setVisible(false);
    connect(Thumb1, &platform::ThumbnailGenerator::ThumbReady, this, &Lumivex1::Thumb1_ThumbReady,
            Qt::DirectConnection);
    connect(ImagList1, &platform::ImageList::ItemClick, this, &Lumivex1::ImagList1_ItemClick);
}

bool Lumivex1::fileListShowsItems() const
{
    const QString folder = fileListFolder().trimmed();
    if (folder.isEmpty())
        return false;
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot);
    return it.hasNext();
}

Lumivex1::HeldThumbs Lumivex1::currentThumbKey() const
{
    return HeldThumbs{true, fileListFolder().trimmed(), nFilterRow, gs.nThumbWidth, gs.nThumbHeight,
                      gs.nThumbBitsIndex};
}

void Lumivex1::setThumbPointers(bool busy)
{
    if (busy) {
        ImagList1->setCursor(Qt::WaitCursor);
        setCursor(Qt::WaitCursor);
    } else {
        ImagList1->unsetCursor();
        unsetCursor();
    }
}

void Lumivex1::ToggleThumbnails()
{
    // Selecting the ThumbNails tab below comes back here through the tab strip.
    if (m_thumbStarting)
        return;
    if (gs.fThumbView) {
        if (thumbnailRunActive()) {
            // The stop button: the run sees the request at its next thumbnail.
            fThumbStopRequest = true;
            fThumbsStopped = false;
            setThumbPointers(false);
            return;
        }
        if (gs.fThumbsLoading) {
            // "Explore Files": back to the file list.
            fThumbStopRequest = true;
            fThumbsStopped = false;
            setThumbPointers(false);
            LeaveThumbnailView();
            TabStrip1->setCurrentIndex(kPicturesTab);
        } else {
            // Back on the tab (which clears fThumbsLoading) while the
            // thumbnails are shown: they stay, and "Explore Files" still leaves.
            gs.fThumbsLoading = true;
        }
        return;
    }
    if (!fileListShowsItems())
        return;
    gs.fThumbView = true;
    ThumbBitsTable = {32, 24, 16, 8, 7, 6, 5, 4, 3, 2, 1};
    {
        m_thumbStarting = true;
        AtExit done{[this]() { m_thumbStarting = false; }};
        TabStrip1->setCurrentIndex(kThumbNailsTab);
    }
    const HeldThumbs key = currentThumbKey();
    if (!cThumbFolder.isEmpty() && key.folder == cThumbFolder && m_heldThumbs.valid &&
        m_heldThumbs.folder == key.folder && m_heldThumbs.filterRow == key.filterRow &&
        m_heldThumbs.width == key.width && m_heldThumbs.height == key.height &&
        m_heldThumbs.bitsIndex == key.bitsIndex && ImagList1->Count() > 0) {
        // The image list still holds this folder's thumbnails, made the same way.
        EnterThumbnailView();
        setStopFace(ToolBarComp1, kTogglePicture, QStringLiteral("Explore Files"));
        gs.fThumbsLoading = true;
        cThumbFolder = key.folder;
    } else {
        bool made = false;
        GenerateThumbnails(made);
        if (!made)
            return;
    }
    setThumbPointers(false);
    if (ImagList1->Count() == 0 && !m_thumbRunQueued)
        ImagList1->setVisible(false);
}

void Lumivex1::queueThumbnailRun()
{
    if (m_thumbRunQueued)
        return;
    m_thumbRunQueued = true;
    QTimer::singleShot(0, this, [this]() {
        m_thumbRunQueued = false;
        if (!gs.fThumbView)
            return;
        bool made = false;
        GenerateThumbnails(made);
        if (!made)
            return;
        setThumbPointers(false);
        if (ImagList1->Count() == 0 && !thumbnailRunActive())
            ImagList1->setVisible(false);
    });
}

void Lumivex1::GenerateThumbnails(bool& result)
{
    result = false;
    if (m_thumbRunActive) {
        // A filter change, a refresh or a search step while a run goes on:
        // that run stops, and a fresh one follows once it has unwound.
        fThumbStopRequest = true;
        m_thumbRerun = true;
        return;
    }
    if (gs.fBusy || !ToolBarComp1->isEnabled()) {
        // Called from a handler that holds the toolbar (the tab change): the
        // run starts when that handler has returned, so that "ID_Stop" works.
        queueThumbnailRun();
        result = true;
        return;
    }
    if (fThumbStopRequest && fThumbsStopped)
        return;
    fThumbsStopped = false;
    fThumbStopRequest = false;
    result = true;
    m_thumbRunActive = true;
    AtExit ended{[this]() { endThumbnailRun(); }};

    m_heldThumbs = HeldThumbs{};
    const HeldThumbs key = currentThumbKey();
    setToolEnabled(ToolBarComp1, QStringLiteral("ID_Find"), false);
    setToolEnabled(ToolBarComp1, QStringLiteral("ID_FindNext"), false);
    ImagList1->Clear();
    setThumbPointers(true);
    nThumbCount = 0;

    const auto range = browser::thumbnailRange(nFilterRow);
    if (!range) {
        LeaveThumbnailView(); // the filter names no picture type
    } else {
        StartThumbnailBrowse(range->first, range->second);
        if (m_thumbRerun && gs.fThumbView) {
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
            setStopFace(ToolBarComp1, kTogglePicture, QStringLiteral("Explore Files"));
            gs.fThumbsLoading = true;
            cThumbFolder = key.folder;
            // A stopped run holds only part of the folder: it is made again next time.
            if (!fThumbsStopped && !fThumbStopRequest)
                m_heldThumbs = key;
        }
    }
    setToolEnabled(ToolBarComp1, QStringLiteral("ID_Find"), true);
    setToolEnabled(ToolBarComp1, QStringLiteral("ID_FindNext"), true);
    ImagList1->EnsureVisible(true);
    setThumbPointers(false);
}

void Lumivex1::endThumbnailRun()
{
    m_thumbRunActive = false;
    if (m_closeAfterThumbs) {
        m_thumbRerun = false;
        QTimer::singleShot(0, this, &QWidget::close);
        return;
    }
    if (m_thumbRerun) {
        m_thumbRerun = false;
        if (gs.fThumbView) {
            fThumbStopRequest = false;
            fThumbsStopped = false;
            queueThumbnailRun();
        }
    }
}

bool Lumivex1::deferCloseForThumbnails()
{
    if (!m_thumbRunActive)
        return false;
    // The run unwinds first; the window closes right after it.
    fThumbStopRequest = true;
    m_closeAfterThumbs = true;
    return true;
}

void Lumivex1::StartThumbnailBrowse(int low, int high)
{
    ImagList1->setDisplayStyle(3);
    ImagList1->setItemHeight(gs.nThumbHeight);
    ImagList1->setItemWidth(gs.nThumbWidth);
    Thumb1->setThumbHeight(gs.nThumbHeight - int(gs.nThumbHeight * 0.09));
    Thumb1->setThumbWidth(gs.nThumbWidth - int(gs.nThumbWidth * 0.09));
    const int bitsIndex = std::clamp(gs.nThumbBitsIndex, 0, int(ThumbBitsTable.size()) - 1);
    Thumb1->setBitsPerPixel(ThumbBitsTable[size_t(bitsIndex)] ? ThumbBitsTable[size_t(bitsIndex)] : 16);
    const QString folder = fileListFolder().trimmed();
    for (int i = low; i <= high; ++i) {
        Thumb1->setFileMask(QStringLiteral("*.") + ExtensionTable[size_t(i)]);
        int r = 0;
        if (fileListShowsItems())
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

void Lumivex1::Thumb1_ThumbReady(const QImage& bitmap, const QString& path, int status, int)
{
    if (gs.fThumbView && status == 0)
        AddThumbnail(path, bitmap);
    if (gs.fThumbView) {
        // Clicks (the stop button among them), tab changes and repaints.
        QCoreApplication::processEvents();
        if (status == 0)
            ++nThumbCount;
    }
    Thumb1->setContinueBrowse(!fThumbsStopped && gs.fThumbView && !fThumbStopRequest);
}

void Lumivex1::AddThumbnail(const QString& path, const QImage& bitmap)
{
    ImagList1->Insert(bitmap, fileNameOf(path), nThumbCount);
    ImagList1->Item(nThumbCount).FilePath = path;
    if (ImagList1->Count() == 1)
        EnterThumbnailView();
}

void Lumivex1::EnterThumbnailView()
{
    setToolShown(ToolBarComp1, kIdStop, true);
    setToolShown(ToolBarComp1, kIdThumbNails, false);
    setStopFace(ToolBarComp1, kStopPicture, QStringLiteral("ThumbNails"));
    gs.fThumbsLoading = false;
    setToolEnabled(ToolBarComp1, kIdStop, true);
    setToolEnabled(ToolBarComp1, kIdThumbNails, false);
    ImagList1->setVisible(true);
}

void Lumivex1::LeaveThumbnailView()
{
    setToolShown(ToolBarComp1, kIdStop, false);
    setToolShown(ToolBarComp1, kIdThumbNails, true);
    setToolEnabled(ToolBarComp1, kIdStop, false);
    setToolEnabled(ToolBarComp1, kIdThumbNails, true);
    gs.fThumbView = false;
    ImagList1->setVisible(false);
    FocusFolderTree();
    setToolEnabled(ToolBarComp1, QStringLiteral("ID_Find"), true);
    setToolEnabled(ToolBarComp1, QStringLiteral("ID_FindNext"), true);
    setStopFace(ToolBarComp1, kStopPicture, QStringLiteral("ThumbNails"));
    gs.fThumbsLoading = false;
    // A stopped run must not end the next file search at once.
    fThumbsStopped = false;
    setThumbPointers(false);
}

void Lumivex1::ImagList1_ItemClick(int position)
{
    const QString path = ImagList1->Item(position).FilePath;
    if (path.isEmpty())
        return;
    gs.nPicturePage = 1;
    gs.fInternetLoading = false;
    DisplayFile(path);
}
