#pragma once
// The main window: start-up and shutdown, the tables, the settings, the
// toolbar-and-menu control and the tab panels that the viewers fill.
#include "lists/PlayLists.h"
#include "platform/KeyedTree.h"
#include "platform/Lead.h"
#include "platform/ToolBarComp.h"

#include <QMainWindow>
#include <QStringList>
#include <memory>

class QComboBox;
class QCheckBox;
class QSplitter;
class QTabWidget;
class QTimer;
class QListWidget;

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

    // ---- pictures: display routing, picture loading, viewed lists, view modes
    platform::Lead* Image1 = nullptr; // the picture on show
    platform::Lead* Image2 = nullptr; // hidden: the picture as loaded
    platform::Lead* Image3 = nullptr; // hidden: pictures worked on unseen
    QWidget* Frame3 = nullptr;        // the picture panel that holds Image1
    QWidget* Frame5 = nullptr;        // shown while an internet picture loads
    QListWidget* List3 = nullptr;     // the pictures viewed in this run
    QString cShownPicture;
    bool fAnimationShown = false;
    bool fMagnifierOn = false;
    bool fStretched = false;
    bool fPanWindowOn = false;
    int nZoomFactor = 100;

    static const QString PictureDialogFilter;
    int GetFileFilterType(const QString& pattern) const;
    void LoadImage(const QString& path);
    void ResizeImage();
    void MagnifyOff();
    bool IsInPictureList(const QString& path) const;
    void BuildViewListMenu(const QString& path);
    void FitImageToWindow();
    void ViewNormalSize();
    void StretchImageToWindow();
    void SnapImageToWindow();
    void ZoomImage();
    void TogglePanWindow();
    void ToggleMagnifier();
    void StartMagnifier();
    void ShowPreviousPicture();
    void ShowNextPicture();
    void SizeWindowToPicture();
    void SetNormalSizeMode();
    void Image1_DblClick();
    void Image1_MouseDown(int button, int shift, int x, int y);
    void Image1_KeyDown(int keyCode, int shift);
    void Image1_LoadStatus(int status);
    void Image1_LoadDone();
    // Opens the file with the program the desktop associates with its type;
    // without a path, the current file.
    void OpenFileWithApplication();
    void OpenFileWithApplication(const QString& path);

    // ---- media and documents (the players and documents fill these)
    void LoadMediaFile(const QString& path);
    void LoadDocument(const QString& path);
    void LoadText(const QString& path);
    void AddToDocumentList(const QString& path);

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void buildWindow();
    void buildPictureView();
    void layOutPicturePanel();
    // Sets a tool's state with the dispatcher held off, then runs the command.
    void pressViewTool(const QString& id, int state, void (Lumivex1::*command)());
    void setToolStateQuietly(const QString& id, int state);
    QString m_picturesBeforeInternet[2]; // current and shown picture before an internet load
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

    QStringList m_arguments;
    QString m_fileListFolder;
    QRect m_placedGeometry;
    bool m_unloaded = false;
    bool m_firstPhaseDone = false;
};

// The one main window (set while it exists).
Lumivex1* mainWindow();
