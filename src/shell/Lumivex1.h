#pragma once
// The main window: start-up and shutdown, the tables, the settings, the
// toolbar-and-menu control and the tab panels that the viewers fill.
#include "lists/PlayLists.h"
#include "platform/KeyedTree.h"
#include "platform/ToolBarComp.h"

#include <QMainWindow>
#include <QStringList>
#include <array>
#include <memory>

class QComboBox;
class QCheckBox;
class QSplitter;
class QTabWidget;
class QTimer;
class QListWidget;
namespace platform {
class ImageList;
class ThumbnailGenerator;
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


    // ---- thumbnails, new folder (browser panel)
    platform::ThumbnailGenerator* Thumb1 = nullptr;
    platform::ImageList* ImagList1 = nullptr;
    bool fThumbStopRequest = false;
    QString cThumbFolder;           // folder whose thumbnails the image list holds
    int nThumbCount = 0;            // thumbnails inserted in this run
    std::array<int, 11> ThumbBitsTable{};
    void ToggleThumbnails();
    void GenerateThumbnails(bool& result);
    void StartThumbnailBrowse(int low, int high);
    void AddThumbnail(const QString& path, const QImage& bitmap);
    void EnterThumbnailView();
    void LeaveThumbnailView();
    void Thumb1_ThumbReady(const QImage& bitmap, const QString& path, int status, int reserved);
    void ImagList1_ItemClick(int position);
    // A thumbnail run is going on, or queued to start.
    bool thumbnailRunActive() const { return m_thumbRunActive || m_thumbRunQueued; }
    void CreateNewFolder();
    // Hooks into the file list and folder tree.
    void RefreshFileList();
    bool SelectFileListItem(const QString& path);
    void FocusFolderTree();

private:
    struct HeldThumbs {
        bool valid = false;
        QString folder;
        int filterRow = -1, width = 0, height = 0, bitsIndex = -1;
    };
    void buildThumbnailView();
    bool fileListShowsItems() const;
    HeldThumbs currentThumbKey() const;
    void setThumbPointers(bool busy);
    void queueThumbnailRun();
    void endThumbnailRun();
    bool deferCloseForThumbnails();
    HeldThumbs m_heldThumbs;
    bool m_thumbRunActive = false;
    bool m_thumbRunQueued = false;
    bool m_thumbRerun = false;
    bool m_thumbStarting = false;
    bool m_closeAfterThumbs = false;

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

    QStringList m_arguments;
    QString m_fileListFolder;
    QRect m_placedGeometry;
    bool m_unloaded = false;
    bool m_firstPhaseDone = false;
};

// The one main window (set while it exists).
Lumivex1* mainWindow();
