#include "window/Lumivex1.h"

#include "browser/SearchSession.h"
#include "browser/ThumbnailRun.h"
#include "lists/FavoritesTree.h"
#include "shared/MessageBox.h"
#include "platform/shell/ComputerName.h"
#include "platform/controls/Dialogs.h"
#include "platform/pictures/PictureCodec.h"
#include "platform/shell/FileIcons.h"
#include "platform/shell/ShellList.h"
#include "platform/controls/Units.h"
#include "platform/controls/WashControls.h"
#include "shared/FileTypes.h"
#include "shared/SharedState.h"
#include "shared/Tables.h"
#include "shell/HelpWindow.h"
#include "shell/QuikTip1.h"
#include "shell/Settings.h"
#include "shell/StartUp.h"
#include "window/AfterFirstPaints.h"
#include "window/ToolTable.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPixmap>
#include <QScreen>
#include <QSplitter>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace {
Lumivex1* gMainWindow = nullptr;

} // namespace

Lumivex1* mainWindow() { return gMainWindow; }

Lumivex1::Lumivex1(const QStringList& arguments, QWidget* parent, platform::PartScheduler& pictureDecodes)
    : QMainWindow(parent),
      m_videoLists(std::make_unique<lists::PlayListTree>(false, [this](const QString& p) { DisplayFile(p); })),
      m_musicLists(std::make_unique<lists::PlayListTree>(true, [this](const QString& p) { DisplayFile(p); })),
      m_documentList(std::make_unique<lists::DocumentList>([this](const QString& p) { DisplayFile(p); })),
      m_arguments(arguments),
      m_pictureDecodes(pictureDecodes),
      cCurrentVideoList(m_videoLists->cCurrentList),
      fVideoListsChanged(m_videoLists->fChanged),
      cCurrentMusicList(m_musicLists->cCurrentList),
      fMusicListsChanged(m_musicLists->fChanged),
      fDocumentListChanged(m_documentList->fDocumentListChanged)
{
    gMainWindow = this;
    setObjectName(QStringLiteral("Lumivex1"));
    buildWindow();
    Form_Load();
}

Lumivex1::~Lumivex1()
{
    if (gMainWindow == this)
        gMainWindow = nullptr;
}

void Lumivex1::buildWindow()
{
    platform::useDesktopIconTheme(); // the file list's icons of file types
    ToolBarComp1 = new platform::ToolBarComp(this, tooltable::kToolBarCount);
    ToolBarComp1->setObjectName(QStringLiteral("ToolBarComp1"));
    tooltable::build(*ToolBarComp1);
    connect(ToolBarComp1, &platform::ToolBarComp::ToolClick, this, &Lumivex1::ToolBarComp1_ToolClick);

    Splitter1 = new QSplitter(Qt::Horizontal, this);
    Splitter1->setObjectName(QStringLiteral("Splitter1"));

    // Left: the browser panel (folder combo, folder tree, filter combo, file list).
    auto* left = new QWidget(Splitter1);
    left->setObjectName(QStringLiteral("BrowserPanel"));
    buildBrowserPanel(left);

    // Right: the six tabs.
    TabStrip1 = new QTabWidget(Splitter1);
    TabStrip1->setObjectName(QStringLiteral("TabStrip1"));
    const char* captions[] = {"Videos", "Music", "Pictures", "ThumbNails", "Documents", "Internet"};
    for (int i = 1; i <= 6; ++i) {
        TabPanel[i] = new QWidget;
        TabPanel[i]->setObjectName(QStringLiteral("TabPanel%1").arg(i));
        new QHBoxLayout(TabPanel[i]);
        TabStrip1->addTab(TabPanel[i], QString::fromLatin1(captions[i - 1]));
    }
    TreeView1 = m_videoLists->tree();
    TreeView2 = m_musicLists->tree();
    TreeView3 = m_documentList->tree();
    buildFavorites();
    TreeView4->setObjectName(QStringLiteral("TreeView4"));
    TabPanel[1]->layout()->addWidget(TreeView1);
    TabPanel[2]->layout()->addWidget(TreeView2);
    CHKMUSICLOOP = new platform::WashCheckBox(QStringLiteral("Loop"), TabPanel[2]);
    CHKMUSICLOOP->setObjectName(QStringLiteral("CHKMUSICLOOP"));
    CHKMUSICLOOP->setToolTip(QStringLiteral("Play the Music Continuously"));
    TabPanel[2]->layout()->addWidget(CHKMUSICLOOP);
    TabPanel[5]->layout()->addWidget(TreeView3);
    buildPictureView();
    Splitter1->setStretchFactor(1, 3);
    setCentralWidget(Splitter1);

    connectListTrees();

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(900);
    connect(Timer1, &QTimer::timeout, this, &Lumivex1::Timer1_Timer);

    buildPlayers();
    connectShellEvents();
    buildDocuments(); // after the shell made the browsers
    buildThumbnailView();
    m_search = std::make_unique<browser::SearchSession>(
        browser::SearchSession::Controls{this, PTxShTree1, PTxShList1, ToolBarComp1, &m_thumbs->fThumbsStopped});
}

// ---------------------------------------------------------------- start-up

void Lumivex1::Form_Load()
{
    // The constant tables come first: nothing below can leave them unfilled.
    tables::fillExtensionTable();
    tables::fillFileFilterTable();
    try {
        const double screenW = platform::screenWidthTwips();
        const double screenH = platform::screenHeightTwips();
        nScreenWidth = int(screenW);
        nTwipsPerCmX = 761.964 * double(float(screenW / 9600.0));
        nTwipsPerCmY = 710.374 * double(float(screenH / 7200.0));
        fStartingUp = true;
        setCursor(Qt::WaitCursor);
        Timer1_Timer();
        gs.cProgramFolder.clear();
        GetCommandLine();
        if (cCommandArg1.isEmpty()) {
            QString newCurrent;
            gs.cProgramFolder = startup::findProgramFolder(QDir::currentPath(), startup::defaultInstallFolder(),
                                                           startup::kExecutableName, startup::executableFolder(),
                                                           &newCurrent);
            if (newCurrent != QDir::currentPath())
                QDir::setCurrent(newCurrent);
        } else {
            gs.cProgramFolder = startup::executableFolder();
        }
        SetDefaultColors();
        gs.nPicturePage = 1;
        gs.cCurrentExt.clear();
        LoadColors();
        SetDefaultOptions();
        LoadOptions();
        PlaceWindow();
        {
            BusyGuard busy;
            SetUpFileFilters();
        }
        // Help lives in Help/ of the program folder; tool bars 3 to 7 start hidden.
        help::setHelpFolder(gs.programFile(QStringLiteral("Help")));
        ToolBarComp1->setBarVisible(2, true);
        for (int n = 3; n <= 7; ++n)
            ToolBarComp1->setBarVisible(n, false);
        ToolBarComp1->Item(QStringLiteral("ID_mnuPaste"))->setEnabled(false);
        ToolBarComp1->Item(QStringLiteral("ID_Stop"))->ChangeAll(platform::kPropVisible, false);
        ToolBarComp1->Item(QStringLiteral("ID_ThumbNails"))->ChangeAll(platform::kPropVisible, true);
        InitSharedState();
        DisableFileTools();
        SetListViewStyle(gs.nListViewStyle);
        ReadComputerName();
    } catch (...) {
        // Start-up goes on with the colours, the lists and the favourites.
    }
    SetWindowColors();
    m_videoLists->LoadAtStartUp(gs.programFile(QStringLiteral("VideoLists.PLS")),
                                gs.programFile(QStringLiteral("VideoListDtl.PLS")), gs.cNewPlayListName);
    m_musicLists->LoadAtStartUp(gs.programFile(QStringLiteral("MusicLists.PLS")),
                                gs.programFile(QStringLiteral("MusicListDtl.PLS")), gs.cNewPlayListName);
    LoadTextList(gs.programFile(QStringLiteral("TextList.PLS")));
    favorites().nFolderWalkLimit = 7500;
    favorites().cFavoritesFolder = GetSpecialFolderPath(6);
    TreeView4->Clear();
    LoadInternetFavorites();
    unsetCursor();
}

void Lumivex1::GetCommandLine()
{
    const QStringList args = startup::getCommandLine(m_arguments);
    QString* argSlots[] = {&cCommandArg1, &cCommandArg2, &cCommandArg3, &cCommandArg4, &cCommandArg5, &cCommandArg6};
    for (int i = 0; i < 6 && i + 1 < args.size(); ++i)
        *argSlots[i] = args.at(i + 1);
}

void Lumivex1::StripCommandQuotes()
{
    cCommandArg1 = startup::stripCommandQuotes(
        {cCommandArg1, cCommandArg2, cCommandArg3, cCommandArg4, cCommandArg5, cCommandArg6});
}

void Lumivex1::SetDefaultColors() { settings::setDefaultColors(gs); }

void Lumivex1::LoadColors()
{
    switch (settings::loadColors(gs.programFile(settings::kColorsFile), gs)) {
    case settings::LoadResult::Ok: break;
    case settings::LoadResult::Missing: MsgBox(settings::kMsgColorsMissing); break;
    case settings::LoadResult::Failed: MsgBox(settings::kMsgColorsError); break;
    }
}

void Lumivex1::SetDefaultOptions()
{
    settings::setDefaultOptions(gs, gs.cProgramFolder);
    setWindowTitle(kProgramTitle);
    gs.fQuikTipOpen = true;
    gs.fInternetLoading = false;
    gs.fAddCurrentPicture = false;
    gs.fLoadReported = false;
    gs.fLoadPending = false;
}

void Lumivex1::LoadOptions()
{
    switch (settings::loadOptions(gs.programFile(settings::kOptionsFile), gs)) {
    case settings::LoadResult::Ok:
        gs.fQuikTipOpen = gs.fTipsAtStartup;
        nVideoPlayCount = gs.fVideoLoop ? 0 : 1;
        CHKMUSICLOOP->setChecked(false);
        if (gs.fMusicLoop)
            CHKMUSICLOOP->setChecked(true);
        break;
    case settings::LoadResult::Missing: MsgBox(settings::kMsgOptionsMissing); break;
    case settings::LoadResult::Failed: MsgBox(settings::kMsgOptionsError); break;
    }
    settings::sanitizeOptions(gs);
}

void Lumivex1::PlaceWindow()
{
    const QScreen* primary = QGuiApplication::primaryScreen();
    const QRect stored(platform::twipsToPixelsX(gs.nWindowLeft), platform::twipsToPixelsY(gs.nWindowTop),
                       platform::twipsToPixelsX(gs.nWindowWidth), platform::twipsToPixelsY(gs.nWindowHeight));
    // A window closed maximised comes back maximised; restored, it takes the
    // first-start place. The stored values stay as they were read.
    m_storedMaximised = primary && startup::coversWorkArea(stored, primary->availableGeometry());
    startup::Placement p{gs.nWindowLeft, gs.nWindowTop, gs.nWindowHeight, gs.nWindowWidth};
    if (m_storedMaximised)
        p = {0, 100, 8000, 10500};
    p = startup::placeWindow(p, platform::screenWidthTwips(), platform::screenHeightTwips());
    if (!m_storedMaximised) {
        gs.nWindowLeft = p.left;
        gs.nWindowTop = p.top;
        gs.nWindowHeight = p.height;
        gs.nWindowWidth = p.width;
    }
    m_placedGeometry = QRect(platform::twipsToPixelsX(p.left), platform::twipsToPixelsY(p.top),
                             std::max(200, platform::twipsToPixelsX(p.width)),
                             std::max(150, platform::twipsToPixelsY(p.height)));
    // The stored place is the frame's, so that the title bar stands where
    // the settings say, on the screen.
    move(m_placedGeometry.topLeft());
    resize(m_placedGeometry.size());
    if (m_storedMaximised)
        setWindowState(windowState() | Qt::WindowMaximized);
}

bool Lumivex1::geometryChangedByUser() const { return QRect(pos(), size()) != m_placedGeometry; }

void Lumivex1::RecordWindowPlace()
{
    QRect place;
    if (windowState() & Qt::WindowMaximized) {
        if (m_storedMaximised)
            return; // the place read at start-up still says so
        const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
        if (!s)
            return;
        place = s->availableGeometry();
    } else {
        if (!m_storedMaximised && !geometryChangedByUser())
            return; // the stored twips stay as they were read
        place = QRect(pos(), size()); // a window's pos() is its frame's
    }
    gs.nWindowLeft = float(platform::pixelsToTwipsX(place.x()));
    gs.nWindowTop = float(platform::pixelsToTwipsY(place.y()));
    gs.nWindowHeight = float(platform::pixelsToTwipsY(place.height()));
    gs.nWindowWidth = float(platform::pixelsToTwipsX(place.width()));
}

void Lumivex1::SetUpFileFilters()
{
    // The tables themselves were filled first thing at start-up.
    {
        const QSignalBlocker block(CMBFILTER);
        CMBFILTER->clear();
    }
    for (int r = 0; r < tables::kFilterCount; ++r) {
        AddFilterMenuTool(FileFilterTable.names[r]);
        const QSignalBlocker block(CMBFILTER);
        CMBFILTER->addItem(FileFilterTable.names[r]);
    }
    // Selecting the saved filter applies it, as if the user had chosen it.
    {
        const QSignalBlocker block(CMBFILTER);
        CMBFILTER->setCurrentIndex(-1);
    }
    CMBFILTER->setCurrentIndex(gs.nFilterIndex);
}

platform::Tool* Lumivex1::addCheckedMenuTool(const QString& id, const QString& category)
{
    platform::Tool* t = ToolBarComp1->Add(id, platform::ToolType::TwoState);
    if (!t)
        return nullptr;
    t->setCaption(id);
    t->setCategory(category);
    t->setStyle(0);
    {
        const QSignalBlocker block(ToolBarComp1);
        t->setState(1);
    }
    if (!checkPicture().isNull())
        t->setStatePicture(checkPicture());
    return t;
}

const QPixmap& Lumivex1::checkPicture()
{
    if (!m_checkPictureRead) {
        m_checkPicture = QPixmap(gs.programFile(QStringLiteral("BMPS/Check.BMP")));
        m_checkPictureRead = true;
    }
    return m_checkPicture;
}

void Lumivex1::AddFilterMenuTool(const QString& filterName)
{
    platform::Tool* t = addCheckedMenuTool(filterName, QStringLiteral("FilterList"));
    if (!t)
        return;
    t->setToolTip(filterName);
    if (checkPicture().isNull())
        return; // the tool exists, but stays out of the drop-down menu
    ToolBarComp1->appendToMenu(QStringLiteral("ID_mnuFileFilterDropDown"), filterName);
}

void Lumivex1::InitSharedState()
{
    gs.nFindTypeIndex = 0;
    gs.cPlayerMode = QStringLiteral("0");
    gs.cCurrentFile.clear();
    gs.cCurrentPicture.clear();
    gs.cEditFile.clear();
    gs.cNewPlayListName.clear();
    gs.cDragMarker.clear();
    gs.cCurrentURL.clear();
    gs.cPageURL.clear();
    gs.cPageTitle.clear();
    gs.fThumbView = false;
    gs.fThumbsLoading = false;
    gs.fInternetLoading = false;
    gs.fInternetPicture = false;
    gs.fPlayListCancel = false;
    gs.fSetFavListOpen = gs.fEdtImageOpen = gs.fEdtColorsOpen = gs.fCreatAnOpen = false;
    gs.fSetOptnOpen = gs.fVidPropOpen = gs.fAudReplOpen = gs.fVidJoinOpen = false;
    nPreviousTab = 1;
    m_search->fSearchRunning = true;
    nVideoPlayCount = gs.fVideoLoop ? 0 : 1;
}

void Lumivex1::ReadComputerName()
{
    if (!gs.fUseComputerName)
        return;
    const QString name = platform::computerName();
    if (name.isEmpty())
        return;
    gs.cComputerName = name.toUpper();
    gs.fUseComputerName = false;
}

void Lumivex1::startUp()
{
    show();
    Timer1->start();
    QTimer::singleShot(0, this, &Lumivex1::finishStartUp);
}

void Lumivex1::finishStartUp()
{
    if (m_firstPhaseDone)
        return;
    m_firstPhaseDone = true;
    Form_Activate();
    Form_Paint();
}

void Lumivex1::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && m_firstPhaseDone)
        Form_Activate();
    if (event->type() == QEvent::WindowStateChange)
        Form_Resize();
}

void Lumivex1::Form_Activate()
{
    QString startVideo;
    if (fStartingUp) {
        bool shown = false;
        if (!cCommandArg1.trimmed().isEmpty()) {
            StripCommandQuotes();
            const int p = startup::lastSeparatorPosition(cCommandArg1);
            if (p > 2)
                setFileListFolder(cCommandArg1.left(p - 1));
            if (IsVideoFile(cCommandArg1))
                startVideo = cCommandArg1;
            else
                DisplayFile(cCommandArg1);
            // The picture loader leaves the tabs alone while starting up; the
            // file named on the command line is the one the user wants to see.
            if (gs.fAutoPictures && gs.cCurrentPicture == cCommandArg1 &&
                tables::extensionInRange(::GetFileExt(cCommandArg1), tables::kFirstPicture, tables::kLastPicture))
                TabStrip1->setCurrentIndex(2);
            setWindowTitle(kProgramTitle + QStringLiteral(" - ") + cCommandArg1);
            cCommandArg1.clear();
            shown = true;
        }
        unsetCursor();
        if (!shown)
            setWindowTitle(kProgramTitle);
        bindBrowserControls();
        if (!gs.cLastFolder.trimmed().isEmpty() && gs.fSaveLastFolder)
            BuildPictureList();
    }
    // The tip of the day, and the tip window brought up again while it is open.
    if (gs.fQuikTipOpen && gs.fTipsAtStartup)
        QuikTip1::showTip(this);
    // The video sink waits for this thread while the video starts: a video
    // named on the command line starts once the windows have been painted.
    if (!startVideo.isEmpty())
        AfterFirstPaints::run({this, findChild<QuikTip1*>(QString(), Qt::FindDirectChildrenOnly)}, this,
                              [this, startVideo] { DisplayFile(startVideo); });
}

void Lumivex1::Form_Paint()
{
    if (!fStartingUp)
        return;
    setFileListFolder(gs.cLastFolder);
    fStartingUp = false;
}

// ---------------------------------------------------------------- shutdown

void Lumivex1::closeEvent(QCloseEvent* event)
{
    if (m_thumbs->deferClose()) {
        event->ignore();
        return;
    }
    Form_Unload();
    event->accept();
}

void Lumivex1::Form_Unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    StopMci();
    OfferToSavePicture();
    // Pictures still being decoded anywhere (thumbnails, the picture view,
    // the tool windows) are abandoned: closing never waits for one.
    platform::abandonPictureReads();
    SaveChangedLists();
    RecordWindowPlace();
    if (gs.fSaveLastFolder) {
        gs.cLastFolder = fileListFolder();
        gs.nFilterIndex = std::max(0, CMBFILTER->currentIndex());
    }
    SaveOptions();
    unloadToolWindows();
    help::CloseHelp();
    Timer1->stop();
}

void Lumivex1::SaveOptions()
{
    int number = 0;
    QString text;
    if (!settings::writeOptions(gs.programFile(settings::kOptionsFile), gs, &number, &text))
        MsgBox(QStringLiteral("Error: ") + QString::number(number) + QStringLiteral(" - ") + text);
}

void Lumivex1::unloadToolWindows()
{
    // Each open tool window closes here, in the order FindFle1, GetURL1,
    // ProPert1, PrntPict1, SetFavList1, SelFavorites1, EdtImage1, EdtColors1,
    // CreatAn1, VidProp1, SetOptn1, AudRepl1, VidJoin1, About1, QuikTip1.
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w != this && w->property("lumivexToolWindow").toBool())
            w->close();
}


// ---------------------------------------------------------------- status and filters

void Lumivex1::Timer1_Timer()
{
    const QDateTime now = QDateTime::currentDateTime();
    const QLocale locale;
    if (platform::Tool* t = ToolBarComp1->Item(QStringLiteral("ID_Date")))
        t->ChangeAll(platform::kPropCaption, locale.toString(now.date(), QLocale::ShortFormat));
    if (platform::Tool* t = ToolBarComp1->Item(QStringLiteral("ID_Time")))
        t->ChangeAll(platform::kPropCaption, locale.toString(now.time(), QLocale::ShortFormat));
}

// ---------------------------------------------------------------- viewers

QString Lumivex1::GetFileExt(const QString& path) const { return ::GetFileExt(path); }
