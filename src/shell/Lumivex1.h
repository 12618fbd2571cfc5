#pragma once
// The main window: start-up and shutdown, the tables, the settings, the
// toolbar-and-menu control and the tab panels that the viewers fill.
#include "lists/PlayLists.h"
#include "platform/KeyedTree.h"
#include "platform/ToolBarComp.h"

#include <QMainWindow>
#include <QStringList>
#include <functional>
#include <memory>

class QComboBox;
class QCheckBox;
class QSplitter;
class QTabWidget;
class QTimer;
class QListWidget;
class QSlider;
class QToolButton;

namespace platform {
class PlayCtrl;
class MMControl;
class MediaConverter;
class RichTextBox;
class WebBrowser;
} // namespace platform

class Lumivex1 : public QMainWindow {
    Q_OBJECT
    // Declared first: the list state below refers into them.
    std::unique_ptr<lists::PlayListTree> m_videoLists;
    std::unique_ptr<lists::PlayListTree> m_musicLists;
    std::unique_ptr<lists::DocumentList> m_documentList;

public:
    explicit Lumivex1(const QStringList& arguments, QWidget* parent = nullptr);
    ~Lumivex1() override;

    // Shows the window and queues the first activation and the first paint.
    void startUp();
    // Runs the first activation and first paint now (tests, after startUp).
    void finishStartUp();

    // ---- public members other windows use
    QString GetFileExt(const QString& path) const;
    void DisplayFile(const QString& path);
    void SetWindowColors();
    void SaveOptions();
    bool SaveFileAs(const QString& path);
    void ResetPicture();

    // ---- main-window state
    double nTwipsPerCmX = 0, nTwipsPerCmY = 0;
    int nScreenWidth = 0; // twips; wide screens fit
    bool fStartingUp = false;
    QString cCommandArg1, cCommandArg2, cCommandArg3, cCommandArg4, cCommandArg5, cCommandArg6;
    int nPreviousTab = 1;
    bool fInternetTabShown = false;
    bool fMciOpen = false;
    bool fSearchRunning = true;
    bool fSearchBusy = false, fSearchCancel = false, fThumbsStopped = false;
    bool fFileToolsOn = false, fTwainPicture = false, fRedEyeArmed = false;
    int nSearchResumeIndex = 0;
    int nFolderWalkLimit = 0;
    QString cFavoritesFolder;
    bool fPictureChanged = false;
    int nFilterRow = 0;
    QString cFindPattern;
    int nFindFilterRow = 0;
    bool fRichTextShown = false;
    int nVideoPlayCount = 1; // 0 repeats endlessly

    // The play lists (twin trees) and the document list.
    QString& cCurrentVideoList;
    int& nCurrentVideoListNode;
    bool& fVideoListsChanged;
    QString& cCurrentMusicList;
    int& nCurrentMusicListNode;
    bool& fMusicListsChanged;
    bool& fDocumentListChanged;

    // ---- list procedures
    bool LoadVideoLists(const QString& path);
    bool LoadVideoListDetails(const QString& path);
    bool SaveVideoLists(const QString& path);
    bool SaveVideoListDetails(const QString& path);
    bool LoadMusicLists(const QString& path);
    bool LoadMusicListDetails(const QString& path);
    bool SaveMusicLists(const QString& path);
    bool SaveMusicListDetails(const QString& path);
    bool LoadTextList(const QString& path);
    bool SaveTextList(const QString& path);
    // Writes the changed lists: video, music, documents.
    void SaveChangedLists();

    QString GetSpecialFolderPath(int folder) const;
    void LoadInternetFavorites();

    // ---- controls
    platform::ToolBarComp* ToolBarComp1 = nullptr;
    QTabWidget* TabStrip1 = nullptr;
    QWidget* TabPanel[7] = {}; // 1..6
    platform::KeyedTree* TreeView1 = nullptr;
    platform::KeyedTree* TreeView2 = nullptr;
    platform::KeyedTree* TreeView3 = nullptr;
    platform::KeyedTree* TreeView4 = nullptr;
    QComboBox* CMBFILTER = nullptr;
    QCheckBox* CHKMUSICLOOP = nullptr;
    QSplitter* Splitter1 = nullptr;
    QTimer* Timer1 = nullptr;

    lists::PlayListTree& videoLists() { return *m_videoLists; }
    lists::PlayListTree& musicLists() { return *m_musicLists; }
    lists::DocumentList& documentList() { return *m_documentList; }

    // The folder the file list shows.
    QString fileListFolder() const { return m_fileListFolder; }
    void setFileListFolder(const QString& folder);

    // ---- handlers
    void Form_Load();
    void Form_Activate();
    void Form_Paint();
    void Form_Unload();
    void Timer1_Timer();
    void CMBFILTER_Click();
    void ToolBarComp1_ToolClick(platform::Tool* tool);
    void ApplyFileFilter(const QString& filterName);
    void DisableFileTools();
    void EnableFileTools();
    void BuildPictureList();
    void StopMci();

    // The stored window geometry is the one applied at start-up until the
    // user moves or resizes the window.
    bool geometryChangedByUser() const;

    // ---- video and music players, the CD device and the clip saves (Videos and Music tabs)
    platform::PlayCtrl* MediaPlayer1 = nullptr; // video
    platform::PlayCtrl* MediaPlayer2 = nullptr; // music
    QSplitter* Splitter2 = nullptr;
    QWidget* Frame1 = nullptr; // video controls
    QWidget* Frame2 = nullptr; // music tab panel
    QSlider* MedPosition = nullptr;
    QSlider* MedVolume = nullptr;
    QSlider* MusPosition = nullptr;
    QSlider* MusVolPos = nullptr;
    QToolButton *VidPlayBtn = nullptr, *VidPauseBtn = nullptr, *VidStopBtn = nullptr, *VidFrstBtn = nullptr,
                *VidLastBtn = nullptr, *VidSCutBtn = nullptr, *VidECutBtn = nullptr, *VidMuteBtn = nullptr,
                *VidContBtn = nullptr;
    QToolButton *MusPlayBtn = nullptr, *MusPauseBtn = nullptr, *MusStopBtn = nullptr, *MusFrstBtn = nullptr,
                *MusLastBtn = nullptr, *MusBCutBtn = nullptr, *MusECutBtn = nullptr, *MusMuteBtn = nullptr,
                *MusDeleteBtn = nullptr;
    platform::MMControl* MMControl1 = nullptr;
    platform::MediaConverter* MediaConvert1 = nullptr;
    // The file list's selected item: its path and its place in the list (from
    // 0). The file browser provides it; without it nothing counts as selected.
    struct FileListItem {
        QString path;
        int index = -1;
    };
    std::function<FileListItem()> selectedFileListItem;

    void LoadMediaFile(QString WrkFilePath);
    void PlayMciFile(const QString& path);
    void SaveVideoClip();
    void SaveMusicClip();
    void VidPlayBtn_Click();
    void VidPauseBtn_Click();
    void VidStopBtn_Click();
    void VidFrstBtn_Click();
    void VidLastBtn_Click();
    void VidSCutBtn_Click();
    void VidECutBtn_Click();
    void VidMuteBtn_Click();
    void VidContBtn_Click();
    void MusPlayBtn_Click();
    void MusPauseBtn_Click();
    void MusStopBtn_Click();
    void MusFrstBtn_Click();
    void MusLastBtn_Click();
    void MusBCutBtn_Click();
    void MusECutBtn_Click();
    void MusMuteBtn_Click();
    void MusDeleteBtn_Click();
    void CHKMUSICLOOP_Click(int value);
    void MediaPlayer1_PositionChange(double position);
    void MediaPlayer2_PositionChange(double position);
    void MedPosition_Change();
    void MusPosition_Change();
    void MedVolume_Change();
    void MusVolPos_Change();
    void MMControl1_StatusUpdate();
    void MediaConvert1_Failed(const QString& reason);

    // ---- documents and text (Documents tab), and the browser commands
    QListWidget* List6 = nullptr; // documents viewed in this run
    platform::RichTextBox* Text1 = nullptr;
    QSplitter* Splitter4 = nullptr;      // the document list beside the views
    QSplitter* Splitter4Views = nullptr; // pane 1 the browser, pane 2 the text box
    platform::WebBrowser* WebBrowser1 = nullptr; // made on first use
    platform::WebBrowser* WebBrowser2 = nullptr; // made on first use
    platform::WebBrowser* webBrowser1();
    platform::WebBrowser* webBrowser2();
    // Height of a pane of Splitter4 (1 the browser, 2 the text box), in pixels.
    int documentPaneHeight(int pane) const;

    void AddToDocumentList(const QString& path);
    void LoadDocument(QString path);
    void LoadText(QString path);
    // The commands of the document and Internet tool bars; false for another id.
    bool BrowserCommand(const QString& toolId);
    void DocumentGoBack();
    void DocumentGoForward();
    void DocumentPrint();
    void DocumentSave();
    void DocumentProperties();
    void InternetGoBack();
    void InternetGoForward();
    void InternetGoHome();
    void InternetStop();
    void InternetRefresh();
    void InternetPrint();
    void InternetSave();
    void InternetProperties();

    // Shared with the picture viewer and the address bar.
    void BuildViewListMenu(const QString& path);
    void ShowFileProperties(const QString& path);

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void buildWindow();
    void GetCommandLine();
    void StripCommandQuotes();
    void InitSharedState();
    void SetUpFileFilters();
    void AddFilterMenuTool(const QString& filterName);
    void SetDefaultColors();
    void LoadColors();
    void SetDefaultOptions();
    void LoadOptions();
    void ReadComputerName();
    void PlaceWindow();
    void unloadToolWindows();
    void buildPlayers();
    void buildDocuments();
    void showMarkError(int number, const QString& description);
    void setPositionSlider(QSlider* slider, double position, double length);
    void runClipSave(platform::PlayCtrl* player, const QString& filter);
    bool m_positionUpdate = false;

    QStringList m_arguments;
    QString m_fileListFolder;
    QRect m_placedGeometry;
    bool m_unloaded = false;
    bool m_firstPhaseDone = false;
};

// The one main window (set while it exists).
Lumivex1* mainWindow();
