#pragma once
// The main window: start-up and shutdown, the tables, the settings, the
// toolbar-and-menu control and the tab panels that the viewers fill.
#include "lists/PlayLists.h"
#include "platform/KeyedTree.h"
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
namespace platform {
class ShellCombo;
class ShellList;
class ShellTree;
} // namespace platform
namespace browser {
class SearchTree;
class FolderLister;
} // namespace browser

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

    // The folder the file list shows; setting it shows the folder with the
    // browser's usual reactions (file tools, picture list, thumbnails).
    QString fileListFolder() const;
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

    // ---- file browser: folder tree, file list, folder combo, filters, search
    platform::ShellCombo* PTxShCombo1 = nullptr;
    platform::ShellTree* PTxShTree1 = nullptr;
    platform::ShellList* PTxShList1 = nullptr;

    // What other windows use of the file list.
    QString selectedFilePath() const;    // the list's selected item, "" when none
    int fileListCount() const;           // items the list shows
    void refreshFileList();              // re-reads the folder shown
    bool selectFileListItem(const QString& path); // selects the item with that path

    void PTxShList1_SelChange();
    void PTxShList1_FolderChange();
    void PTxShList1_Open();
    void PTxShList1_Refreshed();
    void PTxShList1_KeyPress(int& keyCode);
    void PTxShList1_FlagEvent(bool& flag);
    void PTxShTree1_SelChange();
    void PTxShTree1_KeyPress(int& keyCode);
    void CMBFILTER_KeyPress(int& keyCode);
    bool IsNotAFile(const QString& path) const;

    void SetLargeIconsView();
    void SetSmallIconsView();
    void SetListIconsView();
    void SetDetailsView();
    void MoveUpFolder();
    void CollapseFolderTree();

    void FindFileRoutine();
    void FindNext();
    void SearchFunction();
    int nSearchErrorNumber = 0;
    // Pause before a drive that is not ready is tried again.
    int nSearchRetryPauseMs = 500;

    // The walk's view of the folder tree and its folder lister; tests put
    // their own in (nullptr goes back to the real ones).
    void setSearchTree(std::unique_ptr<browser::SearchTree> tree);
    void setSearchLister(std::unique_ptr<browser::FolderLister> lister);


    // ---- members of the thumbnail and picture views that the browser calls
    QListWidget* List3 = nullptr;
    QString cThumbFolder;
    void GenerateThumbnails(bool& made);
    void LeaveThumbnailView();
    void LoadImage(const QString& path);

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
    void buildBrowserPanel(QWidget* panel);
    void bindBrowserControls();
    void TakeListItem();
    void ResumeIndexFromTree(int startIndex);
    void SetListViewStyle(int style);
    void StartFileSearch();
    std::unique_ptr<browser::SearchTree> m_searchTree;
    std::unique_ptr<browser::FolderLister> m_searchLister;

    QStringList m_arguments;
    QRect m_placedGeometry;
    bool m_unloaded = false;
    bool m_firstPhaseDone = false;
};

// The one main window (set while it exists).
Lumivex1* mainWindow();
