#pragma once
// The main window: start-up and shutdown, the tables, the settings, the
// toolbar-and-menu control and the tab panels that the viewers fill.
#include "lists/PlayLists.h"
#include "platform/KeyedTree.h"
#include "platform/Lead.h"
#include "platform/LeadDlg.h"
#include "platform/ToolBarComp.h"
#include "platform/WebBrowser.h"

#include <QColor>
#include <QHash>
#include <QMainWindow>
#include <QPixmap>
#include <QStringList>
#include <array>
#include <functional>
#include <memory>
#include <optional>

class QComboBox;
class QCheckBox;
class QSplitter;
class QTabWidget;
class QTimer;
class QListWidget;
class QPrinter;
class QSlider;
class SetOptn1;
namespace platform {
class WashButton;
class ImageList;
class ShellCombo;
class ShellList;
class ShellTree;
class ThumbnailGenerator;
class PlayCtrl;
class MMControl;
class MediaConverter;
class RichTextBox;
} // namespace platform
namespace viewers {
class PlayerPanel;
}
namespace browser {
class SearchSession;
class ThumbnailRun;
} // namespace browser
namespace lists {
class FavoritesTree;
} // namespace lists

class Lumivex1 : public QMainWindow {
    Q_OBJECT
    // Declared first: the list state below refers into them.
    std::unique_ptr<lists::PlayListTree> m_videoLists;
    std::unique_ptr<lists::PlayListTree> m_musicLists;
    std::unique_ptr<lists::DocumentList> m_documentList;
    std::unique_ptr<lists::FavoritesTree> m_favorites;

public:
    explicit Lumivex1(const QStringList& arguments, QWidget* parent = nullptr);
    ~Lumivex1() override;

    // Shows the window and queues the first activation and the first paint.
    void startUp();
    // Runs the first activation and first paint now (tests, after startUp).
    void finishStartUp();

    // ---- public members other windows use
    QString GetFileExt(const QString& path) const;
    virtual void DisplayFile(const QString& path);
    void SetWindowColors();
    // Shows the address on the Internet tab (the About box's link).
    void ShowWebAddress(const QString& address);
    // The options dialog, loaded with this window's scale and wired to
    // OptionsApplied.
    SetOptn1* OptionsWindow();
    // The options dialog's OK: the loop boxes and the colours follow.
    void OptionsApplied();
    void SaveOptions();
    virtual bool SaveFileAs(const QString& path);
    void ResetPicture();

    // ---- main-window state
    double nTwipsPerCmX = 0, nTwipsPerCmY = 0;
    int nScreenWidth = 0; // twips; wide screens fit
    bool fStartingUp = false;
    QString cCommandArg1, cCommandArg2, cCommandArg3, cCommandArg4, cCommandArg5, cCommandArg6;
    int nPreviousTab = 1;
    bool fInternetTabShown = false;
    bool fMciOpen = false;
    bool fFileToolsOn = false, fTwainPicture = false, fRedEyeArmed = false;
    bool fPictureChanged = false;
    int nFilterRow = 0;
    bool fRichTextShown = false;
    int nVideoPlayCount = 1; // 0 repeats endlessly

    // The play lists (twin trees) and the document list: their areas hold
    // the state, these name it.
    QString& cCurrentVideoList;
    bool& fVideoListsChanged;
    QString& cCurrentMusicList;
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

    // ---- list tree events (forwarded to the list areas)
    void TreeView1_DblClick();
    void TreeView1_NodeClick(platform::TreeNode* node);
    void TreeView1_Collapse(platform::TreeNode* node);
    void TreeView1_Expand(platform::TreeNode* node);
    void TreeView1_BeforeDelete(platform::TreeNode* node, bool* cancel);
    void TreeView1_AfterDelete();
    void TreeView1_OLEDragDrop(const QStringList& files, int x, int y);
    void TreeView2_DblClick();
    void TreeView2_NodeClick(platform::TreeNode* node);
    void TreeView2_Collapse(platform::TreeNode* node);
    void TreeView2_Expand(platform::TreeNode* node);
    void TreeView2_BeforeDelete(platform::TreeNode* node, bool* cancel);
    void TreeView2_AfterDelete();
    void TreeView2_OLEDragDrop(const QStringList& files, int x, int y);
    void TreeView3_DblClick();
    void TreeView3_BeforeDelete(platform::TreeNode* node, bool* cancel);
    void TreeView3_AfterDelete();
    void TreeView3_OLEDragDrop(const QStringList& files, int x, int y);

    // ---- the Internet tab: page events, visited addresses, favourites
    // The user's folder of that kind; 6 is the Favorites folder ("" for others).
    QString GetSpecialFolderPath(int folder) const;
    void LoadInternetFavorites();
    // Saves the page on show to the favourites.
    void AddInternetFavorite();
    lists::FavoritesTree& favorites() { return *m_favorites; }
    void WebBrowser2_BeforeNavigate2(const QString& address);
    void WebBrowser2_NavigateComplete2(const QString& address);
    void WebBrowser2_TitleChange(const QString& title);

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


    // ================================================================ shell
    // Commands, tabs, help, colours, layout, address bar (the shell's own).

    // Command dispatcher.
    void ToolBarComp1_ToolClick(platform::Tool* tool);
    // True when the id names a command of the dispatcher (doing nothing included).
    static bool IsDispatchedCommand(const QString& id);
    // The recognised ids that do nothing.
    static const QStringList& IdleCommandIds();

    // The address combo, key, Esc and drop-down events of the toolbar.
    void ToolBarComp1_ComboSelChange(platform::Tool* tool);
    void ToolBarComp1_ToolKeyDown(platform::Tool* tool, int keyCode, int shift);
    void ToolBarComp1_ToolKeyPress(platform::Tool* tool, int keyCode);
    void ToolBarComp1_ToolDropDown(platform::Tool* tool);
    void ToggleTabToolBars();
    void ShowFileProperties(const QString& path);
    // The text ShowFileProperties shows; empty when the file cannot be read.
    static QString FilePropertiesText(const QString& path);
    // Visited addresses and the address bar.
    void AddVisitedURL(const QString& address);
    void ToggleURLBar();

    // Tabs.
    void TabStrip1_BeforeTabChange(int index);
    void TabStrip1_TabChange(int index);
    void ShowPreviousTab();
    // True while the tab numbered n (1..6) is the selected one.
    bool TabSelected(int n) const;

    // Help.
    void ShowHelpContents();
    void ShowHelpSearch();

    // Colours and layout.
    void Form_Resize();

    // The browsers of the Documents (1) and Internet (2) tabs.
    std::unique_ptr<platform::WebBrowser> WebBrowser1;
    std::unique_ptr<platform::WebBrowser> WebBrowser2;
    // The printer the printer set-up command sets up.
    QPrinter* Printer();

    // Path of the picture in the picture view (kept by the picture view).
    QString cShownPicture;

    // ================================================================ seams
    // Procedures of other areas that the shell calls. Their bodies stand in
    // Lumivex1Seams.cpp until each area's code replaces them there; they are
    // virtual so tests can stand in for them.

    // Files.
    virtual void OpenFileRoutine();
    virtual void OpenFileWithApplication();
    virtual void CloseCurrentFile();
    virtual void DeleteCurrentFile();
    virtual void ConvertFile(const QString& path);
    virtual void TwainAcquirePicture();
    virtual void TwainSelectSource();
    // File browser.
    virtual void FindFileRoutine();
    virtual void FindNext();
    virtual void CollapseFolderTree();
    virtual void MoveUpFolder();
    virtual void SetLargeIconsView();
    virtual void SetSmallIconsView();
    virtual void SetListIconsView();
    virtual void SetDetailsView();
    // Path of the file list's selected item; nullopt when there is no answer.
    virtual std::optional<QString> FileListSelectedPath();
    // Picture view.
    // Shows the picture in the picture view (the browser's first picture of a folder).
    virtual void LoadImage(const QString& path);
    virtual void ShowPreviousPicture();
    virtual void ShowNextPicture();
    virtual void FitImageToWindow();
    virtual void ViewNormalSize();
    virtual void TogglePanWindow();
    virtual void SnapImageToWindow();
    virtual void StretchImageToWindow();
    virtual void ZoomImage();
    virtual void ToggleMagnifier();
    virtual void ResizePicture();
    virtual void StartRedEyeRemoval();
    virtual void ChangeBrightness();
    virtual void ChangeContrast();
    virtual void ResizeImage();
    // Image1 takes the picture as loaded (Image2's).
    virtual void RestoreOriginalPicture();
    // Image1 captures the screen rectangle (left, top, width, height).
    virtual void CapturePicture(int left, int top, int width, int height);
    // Bits per pixel of the picture in Image1; 0 when none is loaded.
    virtual int PictureBitmapBits();
    // Puts the picture of Image1 on the clipboard.
    virtual void CopyPictureToClipboard();
    // A picture too large to hold whole is only shown: a command that needs
    // all its pixels says so here and does nothing. True when it is such a picture.
    bool PictureTooLarge();
    // Players.
    virtual void LoadMediaFile(const QString& path);
    virtual void SaveVideoClip();
    virtual void SaveMusicClip();
    // Writes the video player's current frame to the file; true when written.
    virtual bool SaveStillBitmap(const QString& path);
    // The video player's window mode (1 own window, 2 in the tab).
    virtual void SetVideoWindowMode(int mode);
    // The file of the video (0) or music (1) player; nullopt when there is no answer.
    virtual std::optional<QString> PlayerFileName(int player);
    // Documents: the file shown in the text view Text1.
    virtual QString RichTextFileName();
    // Lists and favourites.
    virtual void AddPictureToFavorites();
    virtual void CreateNewPlayList();

    // ---- handlers
    void Form_Load();
    void Form_Activate();
    void Form_Paint();
    void Form_Unload();
    void Timer1_Timer();
    void CMBFILTER_Click();
    void ApplyFileFilter(const QString& filterName);
    void DisableFileTools();
    void EnableFileTools();
    void BuildPictureList();
    void StopMci();

    // The stored window geometry is the one applied at start-up until the
    // user moves or resizes the window (the frame's place and the size).
    bool geometryChangedByUser() const;
    // Records the window's place in the options: a normal window's frame
    // position and size, a maximised window's work area.
    void RecordWindowPlace();

    // ---- pictures: display routing, picture loading, viewed lists, view modes
    // (the view commands the dispatcher calls stand with the seams above)
    platform::Lead* Image1 = nullptr; // the picture on show
    platform::Lead* Image2 = nullptr; // hidden: the picture as loaded
    platform::Lead* Image3 = nullptr; // hidden: pictures worked on unseen
    QWidget* Frame3 = nullptr;        // the picture panel that holds Image1
    QWidget* Frame5 = nullptr;        // shown while an internet picture loads
    QListWidget* List3 = nullptr;     // the pictures viewed in this run
    bool fAnimationShown = false;
    bool fMagnifierOn = false;
    bool fStretched = false;
    bool fPanWindowOn = false;
    int nZoomFactor = 100;

    static const QString PictureDialogFilter;
    int GetFileFilterType(const QString& pattern) const;
    void MagnifyOff();
    bool IsInPictureList(const QString& path) const;
    void StartMagnifier();
    void SizeWindowToPicture();
    void SetNormalSizeMode();
    void Image1_DblClick();
    void Image1_MouseDown(int button, int shift, int x, int y);
    void Image1_KeyDown(int keyCode, int shift);
    void Image1_LoadStatus(int status);
    void Image1_LoadDone();
    // Opens the file with the program the desktop associates with its type.
    void OpenFileWithProgram(const QString& path);

    // ---- picture commands: adjustments, open, close, convert, save, delete, acquire
    // (the commands the dispatcher calls stand with the seams above)
    platform::LeadDlg LEADDlg1;  // the imaging dialogs
    QString cConvertFolder;      // folder of the last conversion's target
    QString cLastSaveFolder;     // folder of the last save of the shown picture
    QColor nFillColor = Qt::red; // the red-eye fill colour chosen last
    void ArmRegionMarking();
    void Image1_Click();
    void mnuColorFill_Click();
    // The picture control's format code for an upper-case extension (0 when none).
    static int SaveFormatCodes(const QString& ext);
    // Moves the file to the trash; false when it could not be moved.
    bool SendFileToRecycleBin(const QString& path);

    // ---- file browser: folder tree, file list, folder combo, filters, search
    // (the commands the dispatcher calls stand with the seams above)
    platform::ShellCombo* PTxShCombo1 = nullptr;
    platform::ShellTree* PTxShTree1 = nullptr;
    platform::ShellList* PTxShList1 = nullptr;

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

    // The file search (find dialog, Find Next, the walk and its state).
    browser::SearchSession& search() { return *m_search; }

    // ---- video and music players, the CD device and the clip saves (Videos and Music tabs)
    platform::PlayCtrl* MediaPlayer1 = nullptr; // video
    platform::PlayCtrl* MediaPlayer2 = nullptr; // music
    QSplitter* Splitter2 = nullptr;
    QWidget* Frame1 = nullptr; // video controls
    QWidget* Frame2 = nullptr; // music tab panel
    // The two player panels: their transport buttons, sliders and clip marks.
    viewers::PlayerPanel& video() { return *m_video; }
    viewers::PlayerPanel& music() { return *m_music; }
    platform::MMControl* MMControl1 = nullptr;
    platform::MediaConverter* MediaConvert1 = nullptr;
    // The file list's selected item: its path and its place in the list (from
    // 0). The file browser provides it; without it nothing counts as selected.
    struct FileListItem {
        QString path;
        int index = -1;
    };
    std::function<FileListItem()> selectedFileListItem;

    void PlayMciFile(const QString& path);
    void MusDeleteBtn_Click();
    void CHKMUSICLOOP_Click(int value);
    void MMControl1_StatusUpdate();
    void MediaConvert1_Failed(const QString& reason);

    // ---- documents and text (Documents tab)
    QListWidget* List6 = nullptr; // documents viewed in this run
    platform::RichTextBox* Text1 = nullptr;
    QSplitter* Splitter4 = nullptr;      // the document list beside the views
    QSplitter* Splitter4Views = nullptr; // pane 1 the browser, pane 2 the text box
    // Height of a pane of Splitter4 (1 the browser, 2 the text box), in pixels.
    int documentPaneHeight(int pane) const;
    void AddToDocumentList(const QString& path);
    void LoadDocument(QString path);
    void LoadText(QString path);
    // The menu of viewed files, shared with the picture view.
    void BuildViewListMenu(const QString& path);

    // ---- thumbnails, new folder (browser panel)
    // The thumbnail run (it owns the generator and the image list).
    browser::ThumbnailRun& thumbnails() { return *m_thumbs; }
    platform::ThumbnailGenerator* Thumb1 = nullptr;
    platform::ImageList* ImagList1 = nullptr;
    void ToggleThumbnails();
    void GenerateThumbnails(bool& result);
    void LeaveThumbnailView();
    // A thumbnail run is going on, or queued to start.
    bool thumbnailRunActive() const;
    void CreateNewFolder();
    // Hooks into the file list and folder tree.
    void RefreshFileList();
    bool SelectFileListItem(const QString& path);
    void FocusFolderTree();

private:
    void buildThumbnailView();
    // The picture list and the thumbnails of the folder the list shows now.
    void readFolderPictures();
    browser::ThumbnailRun* m_thumbs = nullptr;
    bool m_folderPicturesQueued = false;
    bool m_folderRunAsked = false; // the run for the folder shown was asked for already

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildWindow();
    void buildPictureView();
    void layOutPicturePanel();
    // Shows the brightness or contrast dialog and applies its value to Image1.
    void runChangeDialog(int flags, int (platform::Lead::*change)(int));
    // Sets a tool's state with the dispatcher held off, then runs the command.
    void pressViewTool(const QString& id, int state, void (Lumivex1::*command)());
    void setToolStateQuietly(const QString& id, int state);
    QString m_picturesBeforeInternet[2]; // current and shown picture before an internet load
    void GetCommandLine();
    void StripCommandQuotes();
    void InitSharedState();
    void SetUpFileFilters();
    void AddFilterMenuTool(const QString& filterName);
    // A two-state menu tool made at run time (filters, viewed files), shown
    // checked with the check picture; nullptr when the id is taken.
    platform::Tool* addCheckedMenuTool(const QString& id, const QString& category);
    // "BMPS/Check.BMP", read once.
    const QPixmap& checkPicture();
    QPixmap m_checkPicture;
    bool m_checkPictureRead = false;
    void SetDefaultColors();
    void LoadColors();
    void SetDefaultOptions();
    void LoadOptions();
    void ReadComputerName();
    void PlaceWindow();
    void unloadToolWindows();
    void buildPlayers();
    void buildDocuments();
    void connectListTrees();
    void runClipSave(platform::PlayCtrl* player, const QString& filter);
    viewers::PlayerPanel* m_video = nullptr;
    viewers::PlayerPanel* m_music = nullptr;
    void buildBrowserPanel(QWidget* panel);
    void bindBrowserControls();
    void TakeListItem();
    void SetListViewStyle(int style);
    std::unique_ptr<browser::SearchSession> m_search;

    // ---- shell
    using CommandFn = void (*)(Lumivex1&, platform::Tool&);
    static const QHash<QString, CommandFn>& commandTable();
    void connectShellEvents();
    void buildFavorites();
    void connectInternetBrowser();
    bool m_pageHourglass = false; // the hourglass of a page being opened
    void RunCategoryCommand(platform::Tool& tool);
    void OpenToolWindow(const QString& name);
    void ShowToolWindowModeless(const QString& name);
    void ShowToolWindowModal(const QString& name);
    void ShowOptionsPage(int page);
    void OfferToSavePicture();
    void ContextHelp(QWidget* focus, bool bothHelpTools);
    void BrowserCommand(platform::WebBrowser* browser, int command);
    void OpenTypedAddress();
    void NavigateToComboAddress();
    void SaveImageCommand();
    void CopyCommand();
    void SnapPicture();
    // The control of that name among the window's children, or nullptr.
    template <class T = QWidget> T* control(const char* name) const
    {
        return findChild<T*>(QString::fromLatin1(name));
    }
    std::shared_ptr<QPrinter> m_printer; // its deleter is made where QPrinter is known

    QStringList m_arguments;
    QRect m_placedGeometry;       // the frame's position and the window's size
    bool m_storedMaximised = false; // the options hold a maximised window's place
    bool m_unloaded = false;
    bool m_firstPhaseDone = false;
};

// The one main window (set while it exists).
Lumivex1* mainWindow();
