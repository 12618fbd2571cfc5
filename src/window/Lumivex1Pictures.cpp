// The picture view of the main window: loading pictures, the list of pictures
// viewed in this run, and the view modes (fit, normal, stretch, snap, zoom,
// pan window, magnifier).
#include "window/Lumivex1.h"

#include "platform/controls/Dialogs.h"
#include "platform/pictures/ImagingCodes.h"
#include "platform/controls/Units.h"
#include "platform/controls/WashControls.h"
#include "shared/SharedState.h"

#include <QLabel>
#include <QLayout>
#include <QListWidget>
#include <QPixmap>
#include <QTabWidget>

namespace {

void message(const QString& text)
{
    platform::dialogs().message(kProgramTitle, text, platform::Buttons::Ok, platform::Icon::None);
}

void cannotDisplay(const QString& path) { message(QStringLiteral("Cannot Display this File - ") + path); }

constexpr int kTabPictures = 2; // index of tab 3

} // namespace

void Lumivex1::buildPictureView()
{
    Frame3 = new platform::WashPanel(TabPanel[3]);
    Frame3->setObjectName(QStringLiteral("Frame3"));
    TabPanel[3]->layout()->addWidget(Frame3);

    Image1 = new platform::Lead(Frame3, m_pictureDecodes);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setToolTip(QStringLiteral("Double-click to Stretch or Restore the Picture"));
    Image1->move(0, 0);
    Image1->hide();

    auto* loading = new QLabel(QStringLiteral("Loading Picture ..."), Frame3);
    loading->setObjectName(QStringLiteral("Frame5"));
    loading->setAlignment(Qt::AlignCenter);
    loading->setFrameShape(QFrame::Panel);
    loading->setGeometry(10, 10, 240, 60);
    loading->hide();
    Frame5 = loading;

    Image2 = new platform::Lead(TabPanel[3], m_pictureDecodes);
    Image2->setObjectName(QStringLiteral("Image2"));
    Image2->hide();
    Image3 = new platform::Lead(TabPanel[3], m_pictureDecodes);
    Image3->setObjectName(QStringLiteral("Image3"));
    Image3->hide();

    List3 = new QListWidget(TabPanel[3]);
    List3->setObjectName(QStringLiteral("List3"));
    List3->setToolTip(QStringLiteral("Pictures Viewed"));
    List3->hide();

    connect(Image1, &platform::Lead::Click, this, &Lumivex1::Image1_Click);
    connect(Image1, &platform::Lead::DblClick, this, &Lumivex1::Image1_DblClick);
    connect(Image1, &platform::Lead::MouseDown, this, &Lumivex1::Image1_MouseDown);
    connect(Image1, &platform::Lead::KeyDown, this, &Lumivex1::Image1_KeyDown);
    connect(Image1, &platform::Lead::LoadStatus, this, &Lumivex1::Image1_LoadStatus);
    connect(Image1, &platform::Lead::LoadDone, this, &Lumivex1::Image1_LoadDone);
    // A large picture is decoded as it shows, and one ImageMagick reads on
    // a worker after it opened: damage found then ends as it does for a
    // picture decoded when it is opened.
    connect(Image1, &platform::Lead::PictureFailed, this,
            [this] { cannotDisplay(cShownPicture); });
    // A decode that found another size than the header told: the picture
    // is laid out again at its true size.
    connect(Image1, &platform::Lead::PictureResized, this, &Lumivex1::ResizeImage);
    // Written over in place and loaded again: the picture as loaded is the
    // new one too, not the old one's parts read from the new file.
    connect(Image1, &platform::Lead::PictureReloaded, this, [this] { Image2->CopyBitmap(*Image1); });
}

void Lumivex1::setToolStateQuietly(const QString& id, int state)
{
    BusyGuard busy;
    if (platform::Tool* t = ToolBarComp1->Item(id))
        t->setState(state);
}

void Lumivex1::pressViewTool(const QString& id, int state, void (Lumivex1::*command)())
{
    // The tool shows the mode; the command runs here, once, whether or not
    // the tool's state changed.
    setToolStateQuietly(id, state);
    (this->*command)();
}

// ---------------------------------------------------------------- loading

void Lumivex1::LoadImage(const QString& WrkPicturePath)
{
    OfferToSavePicture();
    fPictureChanged = false;
    fTwainPicture = false;
    gs.fInternetPicture = false;

    if (gs.fInternetLoading) {
        setCursor(Qt::WaitCursor);
        Image1->setMousePointer(11);
        Frame5->show();
        Frame5->raise();
        m_picturesBeforeInternet[0] = gs.cCurrentPicture;
        m_picturesBeforeInternet[1] = cShownPicture;
        Image1->setFileNameHint(WrkPicturePath);
        gs.cCurrentPicture = WrkPicturePath;
        if (!gs.fLoadReported)
            gs.fLoadPending = true;
        gs.fLoadReported = false;
        Image1->hide();
        if (gs.fAutoPictures)
            TabStrip1->setCurrentIndex(kTabPictures);
        cShownPicture = WrkPicturePath;
        return;
    }

    const bool animation = gs.cCurrentExt == QLatin1String("ANI") || gs.cCurrentExt == QLatin1String("FLC");
    const int r = animation ? Image1->Load(WrkPicturePath, 0, 0, -1) : Image1->Load(WrkPicturePath, 0, gs.nPicturePage, 1);
    if (r != 0) {
        cannotDisplay(WrkPicturePath);
        return;
    }
    fAnimationShown = animation;
    // Load leaves the file's information in the control as GetFileInfo would.
    if (Image1->isHidden())
        Image1->show();
    Image2->CopyBitmap(*Image1);
    ResetPicture();
    Image1->setBackColor(gs.nPictureBackColor);
    Image1->setPaintScaling(gs.nPictureForeColor);
    gs.cCurrentPicture = WrkPicturePath;
    cShownPicture = WrkPicturePath;
    if (!IsInPictureList(WrkPicturePath)) {
        List3->addItem(WrkPicturePath);
        List3->setCurrentRow(List3->count() - 1);
    }
    gs.cCurrentFile = WrkPicturePath;
    const QString selected = List3->currentItem() ? List3->currentItem()->text() : QString();
    if (!selected.isEmpty())
        BuildViewListMenu(selected);
    {
        BusyGuard busy;
        if (platform::Tool* t = ToolBarComp1->Item(selected))
            t->setState(1);
        for (const char* id : {"ID_ViewFitImage", "ID_ViewStretch", "ID_ViewSnap", "ID_ViewZoom"})
            if (platform::Tool* t = ToolBarComp1->Item(QString::fromLatin1(id)))
                t->setState(0);
        if (platform::Tool* t = ToolBarComp1->Item(QStringLiteral("ID_ViewNormal")))
            t->setState(1);
    }
    if (!fStartingUp && gs.fAutoPictures)
        TabStrip1->setCurrentIndex(kTabPictures);
}

void Lumivex1::ResetPicture()
{
    if (fMagnifierOn) {
        MagnifyOff();
        setToolStateQuietly(QStringLiteral("ID_ViewMagnify"), 0);
    }
    Image1->setAppearance(0);
    Image1->setBorderStyle(1);
    Image1->setAppearance(1);
    Image1->setBackColor(platform::toOleColor(Qt::white));
    Image1->setPaintPalette(0);
    Image1->setAutoRepaint(true);
    Image1->setAutoSize(true);
    Image1->setPaintEffect(true);
    Image1->setAutoPan(true);
    if (fAnimationShown) {
        Image1->setAnimationEnable(true);
        Image1->setAnimationMode(true);
        Image1->setPaintEffect(false);
    }
    // A replaced picture shows afresh: normal size at 100 percent.
    Image1->setPaintZoomFactor(100);
    Image1->setPaintSizeMode(0);
    nZoomFactor = 100;
    ResizeImage();
}

void Lumivex1::layOutPicturePanel()
{
    // A tab page that is not on show keeps its old size until it comes up:
    // the picture panel is laid out here at the size every page has.
    QWidget* page = TabStrip1->currentWidget();
    if (page && page != TabPanel[3] && TabPanel[3]->size() != page->size())
        TabPanel[3]->resize(page->size());
    if (QLayout* l = TabPanel[3]->layout()) {
        l->invalidate();
        l->activate();
    }
}

void Lumivex1::ResizeImage()
{
    if (fStartingUp || !Image1 || !Frame3)
        return;
    layOutPicturePanel();
    Image1->setScaleMode(1);
    // Picture and panel are compared in pixels; the margins are twips.
    const int frameW = Frame3->width(), frameH = Frame3->height();
    if (Image1->BitmapHeight() > frameH - platform::twipsToPixelsY(600) ||
        Image1->BitmapWidth() > frameW - platform::twipsToPixelsX(200))
        Image1->resize(std::max(1, frameW - platform::twipsToPixelsX(25)),
                       std::max(1, frameH - platform::twipsToPixelsY(35)));
    else if (Image1->AutoSize() && Image1->PaintSizeMode() == 0)
        // The size AutoSize gives it, whatever size a smaller panel gave it before.
        Image1->resize(Image1->sizeForPicture());
    else if (Image1->AutoSize() && Image1->PaintSizeMode() == 3)
        Image1->resize(fittedPictureSize());
    Image1->setScaleMode(3);
}

QSize Lumivex1::fittedPictureSize() const
{
    return QSize(std::max(1, Frame3->width() - platform::twipsToPixelsX(475)),
                 std::max(1, Frame3->height() - platform::twipsToPixelsY(450)));
}

void Lumivex1::MagnifyOff()
{
    setToolStateQuietly(QStringLiteral("ID_ViewMagnify"), 0);
    Image1->StopMagGlass();
    Image1->setAutoPan(true);
    fMagnifierOn = false;
}

bool Lumivex1::IsInPictureList(const QString& path) const
{
    for (int i = 0; i < List3->count(); ++i)
        if (List3->item(i)->text() == path)
            return true;
    return false;
}

void Lumivex1::RestoreOriginalPicture()
{
    Image1->CopyBitmap(*Image2);
    ResizeImage();
}

void Lumivex1::CapturePicture(int left, int top, int width, int height)
{
    Image1->Capture(0, left, top, width, height);
}

int Lumivex1::PictureBitmapBits() { return Image1->BitmapBits(); }

void Lumivex1::CopyPictureToClipboard()
{
    if (!PictureTooLarge() && PictureDecodesWhole(cShownPicture))
        Image1->Copy(14);
}

bool Lumivex1::PictureDecodesWhole(const QString& path)
{
    if (path.isEmpty() || path != cShownPicture || !Image1->HasBitmap() || Image1->WholePictureInMemory())
        return true;
    // Too large to hold whole: the window it goes to says so itself.
    const int r = Image1->DecodeWhole();
    if (r == 0 || r == platform::err::NoMemory)
        return true;
    cannotDisplay(path);
    return false;
}

bool Lumivex1::PictureTooLarge()
{
    if (!Image1->TooLargeToHold())
        return false;
    message(QStringLiteral("The Picture is too Large for this Command - ") + cShownPicture);
    return true;
}

// ---------------------------------------------------------------- view modes

void Lumivex1::FitImageToWindow()
{
    if (fMagnifierOn) {
        BusyGuard busy;
        MagnifyOff();
        setToolStateQuietly(QStringLiteral("ID_ViewMagnify"), 0);
    }
    Image1->setAutoSize(false);
    layOutPicturePanel();
    Image1->resize(fittedPictureSize());
    Image1->setPaintSizeMode(3);
    Image1->setAutoSize(true);
}

void Lumivex1::ViewNormalSize()
{
    if (isMinimized())
        return;
    Image1->setPaintSizeMode(0);
    fStretched = false;
    ResizeImage();
}

void Lumivex1::StretchImageToWindow()
{
    {
        BusyGuard busy;
        if (fMagnifierOn) {
            MagnifyOff();
            setToolStateQuietly(QStringLiteral("ID_ViewMagnify"), 0);
        }
        Image1->setAutoRepaint(true);
        Image1->setAutoSize(false);
        Image1->setAutoPan(true);
        Image1->setPaintSizeMode(1);
        Image1->ShowPanWin(false);
        fPanWindowOn = false;
        setToolStateQuietly(QStringLiteral("ID_ViewPan"), 0);
        setToolStateQuietly(QStringLiteral("ID_ViewNormal"), 0);
        ResizeImage();
    }
    fStretched = true;
}

void Lumivex1::SnapImageToWindow()
{
    if (fMagnifierOn) {
        BusyGuard busy;
        MagnifyOff();
        setToolStateQuietly(QStringLiteral("ID_ViewMagnify"), 0);
    }
    SizeWindowToPicture();
}

void Lumivex1::SizeWindowToPicture()
{
    if (windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen))
        return;
    if (!Image1->HasBitmap())
        return;
    // The client area takes the picture's size; the frame stays as it is.
    // Whatever that leaves of the picture view, the view follows the
    // window's size from then on (ResizeImage).
    resize(Image1->BitmapWidth(), Image1->BitmapHeight());
}

void Lumivex1::SetNormalSizeMode()
{
    if (!isMinimized())
        Image1->setPaintSizeMode(0);
}

void Lumivex1::ZoomImage() { nZoomFactor = Image1->PaintZoomFactor(); }

void Lumivex1::Image1_KeyDown(int keyCode, int)
{
    if (keyCode != 107 && keyCode != 109)
        return;
    nZoomFactor += keyCode == 107 ? 5 : -5;
    if (nZoomFactor < 1)
        nZoomFactor = 1;
    Image1->setPaintZoomFactor(nZoomFactor);
    const double zoomedW = Image1->BitmapWidth() * nZoomFactor / 100.0;
    const double zoomedH = Image1->BitmapHeight() * nZoomFactor / 100.0;
    if (!(windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen)) &&
        (zoomedW > width() || zoomedH > height()))
        resize(int(zoomedW + 0.5), int(zoomedH + 0.5));
    ResizeImage();
}

void Lumivex1::TogglePanWindow()
{
    if (!fPanWindowOn) {
        {
            BusyGuard busy;
            if (fMagnifierOn)
                MagnifyOff();
            setToolStateQuietly(QStringLiteral("ID_ViewMagnify"), 0);
            setToolStateQuietly(QStringLiteral("ID_ViewPan"), 1);
        }
        const QRect g = frameGeometry();
        Image1->PanWinX = g.x() + platform::twipsToPixelsX(100);
        Image1->PanWinY = g.y() + platform::twipsToPixelsY(100);
        Image1->PanWinWidth = 150;
        Image1->PanWinHeight = 200;
        Image1->PanWinIcon = windowIcon();
        Image1->PanWinTitle = QStringLiteral("Pan Window");
        Image1->PanWinRectColor = 255;
        Image1->PanWinSysMenu = true;
        Image1->PanWinPaintPalette = Image1->PaintPalette();
        Image1->PanWinBitonalScaling = Image1->BitonalScaling();
        Image1->PanWinPaintDither = Image1->PaintDither();
        const int r = Image1->ShowPanWin(true);
        Image1->setAutoPan(true);
        if (r == 0)
            fPanWindowOn = true;
    } else {
        Image1->ShowPanWin(false);
        fPanWindowOn = false;
        setToolStateQuietly(QStringLiteral("ID_ViewPan"), 0);
    }
}

void Lumivex1::ToggleMagnifier()
{
    if (!fMagnifierOn)
        StartMagnifier();
    else
        MagnifyOff();
}

void Lumivex1::StartMagnifier()
{
    if (fPanWindowOn)
        pressViewTool(QStringLiteral("ID_ViewPan"), 0, &Lumivex1::TogglePanWindow);
    Image1->setAutoPan(false);
    if (fStretched) {
        pressViewTool(QStringLiteral("ID_ViewNormal"), 1, &Lumivex1::ViewNormalSize);
        fStretched = false;
    }
    Image1->StartMagGlass(150.0, 100.0, 200, 0, Image1->BackColor(), true, 1.0, true, 1, true, true);
    fMagnifierOn = true;
    setToolStateQuietly(QStringLiteral("ID_ViewMagnify"), 1);
}

void Lumivex1::ShowPreviousPicture()
{
    if (List3->count() == 0 || List3->currentRow() < 0)
        return;
    List3->setCurrentRow(List3->currentRow() == 0 ? List3->count() - 1 : List3->currentRow() - 1);
    gs.fInternetLoading = false;
    DisplayFile(List3->currentItem()->text());
}

void Lumivex1::ShowNextPicture()
{
    if (List3->count() == 0 || List3->currentRow() < 0)
        return;
    List3->setCurrentRow(List3->currentRow() == List3->count() - 1 ? 0 : List3->currentRow() + 1);
    gs.fInternetLoading = false;
    DisplayFile(List3->currentItem()->text());
}

// ---------------------------------------------------------------- events of Image1

void Lumivex1::Image1_DblClick()
{
    gs.fBusy = false;
    if (fStretched) {
        pressViewTool(QStringLiteral("ID_ViewNormal"), 1, &Lumivex1::ViewNormalSize);
        setToolStateQuietly(QStringLiteral("ID_ViewStretch"), 0);
        fStretched = false;
        return;
    }
    Image1->setPaintSizeMode(1);
    pressViewTool(QStringLiteral("ID_ViewStretch"), 1, &Lumivex1::StretchImageToWindow);
    fStretched = true;
    if (gs.fInternetLoading) {
        Image1_LoadDone();
    } else if (Image1->MousePointer() == 11 || cursor().shape() == Qt::WaitCursor) {
        Image1->setMousePointer(0);
        unsetCursor();
    }
    if (fMagnifierOn) {
        Image1->setMousePointer(0);
        unsetCursor();
    } else {
        setToolStateQuietly(QStringLiteral("ID_ViewStretch"), 1);
        setToolStateQuietly(QStringLiteral("ID_ViewPan"), 0);
        fStretched = true;
    }
}

void Lumivex1::Image1_MouseDown(int button, int, int, int)
{
    if (fMagnifierOn && button == 2)
        ToggleMagnifier();
    if (Image1->MousePointer() == 2 && button == 2)
        Image1->setMousePointer(0);
}

void Lumivex1::Image1_LoadStatus(int status)
{
    gs.fLoadReported = true;
    switch (status) {
    case 4:
        Image1->setPaintEffect(true);
        Image1->setPaintSizeMode(3);
        Image1->ForceRepaint();
        Frame5->hide();
        Image1->setMousePointer(0);
        Image1->show();
        unsetCursor();
        fPictureChanged = true;
        gs.fLoadPending = false;
        break;
    case 0:
    case 3:
        message(QStringLiteral("Error Loading Picture"));
        if (gs.fInternetLoading) {
            // The picture on show stays, and stays what it was.
            Frame5->hide();
            Image1->setMousePointer(0);
            unsetCursor();
            if (Image1->HasBitmap())
                Image1->show();
            gs.cCurrentPicture = m_picturesBeforeInternet[0];
            cShownPicture = m_picturesBeforeInternet[1];
            gs.fInternetLoading = false;
            gs.fLoadPending = false;
        }
        break;
    case 1: gs.fLoadPending = true; break;
    default: break;
    }
}

void Lumivex1::Image1_LoadDone()
{
    if (!gs.fInternetLoading)
        return;
    unsetCursor();
    Image1->setMousePointer(0);
    Image1->show();
    ResetPicture();
    gs.cCurrentFile = gs.cCurrentPicture;
    gs.fInternetLoading = false;
    gs.fInternetPicture = true;
}
