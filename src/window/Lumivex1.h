#pragma once
// The main window. It composes the areas (the file browser's search and
// thumbnail run, the player panels, the list trees, the favourites tree) and
// forwards its handlers to them. Declarations stand under the file of
// src/window that defines them. The commands the dispatcher calls are
// virtual so that the dispatcher's tests can record which one runs.
#include "lists/PlayLists.h"
#include "platform/controls/KeyedTree.h"
#include "platform/imaging/Lead.h"
#include "platform/imaging/LeadDlg.h"
#include "platform/controls/ToolBarComp.h"
#include "platform/net/WebBrowser.h"

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

    // ================================================================ Lumivex1.cpp
    // Construction, start-up and shutdown, settings, placement, filters.
public:
    // pictureDecodes: where the decodes of the large pictures its picture
    // controls show run.
    explicit Lumivex1(const QStringList& arguments, QWidget* parent = nullptr,
                      platform::PartScheduler& pictureDecodes = platform::decodingThreads());
    ~Lumivex1() override;

    // Shows the window and queues the first activation and the first paint.
    void startUp();
    // Runs the first activation and first paint now (tests, after startUp).
    void finishStartUp();

    void Form_Load();
    void Form_Activate();
    void Form_Paint();
    void Form_Unload();
    void Timer1_Timer();
    QString GetFileExt(const QString& path) const;
    void SaveOptions();
    // The stored window geometry is the one applied at start-up until the
    // user moves or resizes the window (the frame's place and the size).
    bool geometryChangedByUser() const;
    // Records the window's place in the options: a normal window's frame
    // position and size, a maximised window's work area.
    void RecordWindowPlace();

    double nTwipsPerCmX = 0, nTwipsPerCmY = 0;
    bool fStartingUp = false;
    QString cCommandArg1;
    bool fMciOpen = false;
    bool fTwainPicture = false, fRedEyeArmed = false;
    bool fPictureChanged = false;
    int nFilterRow = 0;
    int nVideoPlayCount = 1; // 0 repeats endlessly

    platform::ToolBarComp* ToolBarComp1 = nullptr;
    QTabWidget* TabStrip1 = nullptr;
    QWidget* TabPanel[7] = {}; // 1..6
    QComboBox* CMBFILTER = nullptr;
    QCheckBox* CHKMUSICLOOP = nullptr;
    QSplitter* Splitter1 = nullptr;

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
    // A two-state menu tool made at run time (filters, viewed files), shown
    // checked with the check picture; nullptr when the id is taken.
    platform::Tool* addCheckedMenuTool(const QString& id, const QString& category);
    // "BMPS/Check.BMP", read once.
    const QPixmap& checkPicture();
    void SetDefaultColors();
    void LoadColors();
    void SetDefaultOptions();
    void LoadOptions();
    void ReadComputerName();
    void PlaceWindow();
    void unloadToolWindows();

    int nScreenWidth = 0; // twips; wide screens fit
    QString cCommandArg2, cCommandArg3, cCommandArg4, cCommandArg5, cCommandArg6;
    QTimer* Timer1 = nullptr;
    QPixmap m_checkPicture;
    bool m_checkPictureRead = false;
    QStringList m_arguments;
    platform::PartScheduler& m_pictureDecodes;
    QRect m_placedGeometry;         // the frame's position and the window's size
    bool m_storedMaximised = false; // the options hold a maximised window's place
    bool m_unloaded = false;
    bool m_firstPhaseDone = false;

    // ================================================================ Lumivex1Commands.cpp, Lumivex1Shell.cpp
    // The command dispatcher, tool windows, options, help, printer.
public:
    void ToolBarComp1_ToolClick(platform::Tool* tool);
    // True when the id names a command of the dispatcher (doing nothing included).
    static bool IsDispatchedCommand(const QString& id);
    // The recognised ids that do nothing.
    static const QStringList& IdleCommandIds();
    // The options dialog, loaded with this window's scale and wired to
    // OptionsApplied.
    SetOptn1* OptionsWindow();
    // The options dialog's OK: the loop boxes and the colours follow.
    void OptionsApplied();
    void ShowHelpContents();
    void ShowHelpSearch();
    // The printer the printer set-up command sets up.
    QPrinter* Printer();

private:
    using CommandFn = void (*)(Lumivex1&, platform::Tool&);
    static const QHash<QString, CommandFn>& commandTable();
    void connectShellEvents();
    void RunCategoryCommand(platform::Tool& tool);
    void OpenToolWindow(const QString& name);
    void ShowToolWindowModeless(const QString& name);
    void ShowToolWindowModal(const QString& name);
    void ShowOptionsPage(int page);
    void OfferToSavePicture();
    void ContextHelp(QWidget* focus, bool bothHelpTools);
    void BrowserCommand(platform::WebBrowser* browser, int command);
    void OpenTypedAddress();
    void SaveImageCommand();
    void CopyCommand();
    void SnapPicture();
    // The control of that name among the window's children, or nullptr.
    template <class T = QWidget> T* control(const char* name) const
    {
        return findChild<T*>(QString::fromLatin1(name));
    }
    std::shared_ptr<QPrinter> m_printer; // its deleter is made where QPrinter is known

    // ================================================================ Lumivex1Toolbar.cpp
    // The address combo, keys, Esc and drop-downs of the toolbar; properties.
public:
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
    // Shows the address on the Internet tab (the About box's link).
    void ShowWebAddress(const QString& address);

private:
    void NavigateToComboAddress();

    // ================================================================ Lumivex1Tabs.cpp
public:
    void TabStrip1_BeforeTabChange(int index);
    void TabStrip1_TabChange(int index);
    void ShowPreviousTab();
    // True while the tab numbered n (1..6) is the selected one.
    bool TabSelected(int n) const;

    bool fInternetTabShown = false;
    bool fRichTextShown = false;
    // Path of the picture in the picture view (kept by the picture view).
    QString cShownPicture;

private:
    int nPreviousTab = 1;

    // ================================================================ Lumivex1Layout.cpp, Lumivex1Colors.cpp
public:
    void Form_Resize();
    void SetWindowColors();

protected:
    void resizeEvent(QResizeEvent* event) override;

    // ================================================================ Lumivex1Browser.cpp
    // Folder tree, file list, folder combo, filters, search.
public:
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

    void CMBFILTER_Click();
    void CMBFILTER_KeyPress(int& keyCode);
    void ApplyFileFilter(const QString& filterName);
    void DisableFileTools();
    void EnableFileTools();
    void BuildPictureList();
    void PTxShList1_SelChange();
    void PTxShList1_FolderChange();
    void PTxShList1_Open();
    void PTxShList1_Refreshed();
    void PTxShList1_KeyPress(int& keyCode);
    void PTxShList1_FlagEvent(bool& flag);
    void PTxShTree1_SelChange();
    void PTxShTree1_KeyPress(int& keyCode);
    bool IsNotAFile(const QString& path) const;
    // The folder the file list shows; setting it shows the folder with the
    // browser's usual reactions (file tools, picture list, thumbnails).
    QString fileListFolder() const;
    void setFileListFolder(const QString& folder);
    // Hooks into the file list and folder tree.
    void RefreshFileList();
    bool SelectFileListItem(const QString& path);
    void FocusFolderTree();
    // The file search (find dialog, Find Next, the walk and its state).
    browser::SearchSession& search() { return *m_search; }

    platform::ShellCombo* PTxShCombo1 = nullptr;
    platform::ShellTree* PTxShTree1 = nullptr;
    platform::ShellList* PTxShList1 = nullptr;

private:
    void buildBrowserPanel(QWidget* panel);
    void bindBrowserControls();
    void TakeListItem();
    void SetListViewStyle(int style);
    bool fFileToolsOn = false;
    std::unique_ptr<browser::SearchSession> m_search;
    // The picture list and the thumbnails of the folder the list shows now.
    void readFolderPictures();
    bool m_folderPicturesQueued = false;
    bool m_folderRunAsked = false; // the run for the folder shown was asked for already

    // ================================================================ Lumivex1Thumbnails.cpp, Lumivex1NewFolder.cpp
public:
    // The thumbnail run (it owns the generator and the image list).
    browser::ThumbnailRun& thumbnails() { return *m_thumbs; }
    void ToggleThumbnails();
    void GenerateThumbnails(bool& result);
    void LeaveThumbnailView();
    // A thumbnail run is going on, or queued to start.
    bool thumbnailRunActive() const;
    // That, or a folder just shown still waits for its pictures and thumbnails.
    bool thumbnailWorkPending() const;
    void CreateNewFolder();

    platform::ThumbnailGenerator* Thumb1 = nullptr;
    platform::ImageList* ImagList1 = nullptr;

private:
    void buildThumbnailView();
    browser::ThumbnailRun* m_thumbs = nullptr;

    // ================================================================ Lumivex1Display.cpp
    // Routing a file to its tab.
public:
    virtual void DisplayFile(const QString& path);
    virtual void OpenFileWithApplication();
    int GetFileFilterType(const QString& pattern) const;
    // Opens the file with the program the desktop associates with its type.
    void OpenFileWithProgram(const QString& path);

    // ================================================================ Lumivex1Pictures.cpp, Lumivex1ViewListMenu.cpp
    // The picture view: loading, viewed pictures, view modes.
public:
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
    // A command that needs every pixel of the picture on show (path), or a
    // window that reads them all, goes on only once the picture decodes
    // whole: a large one shown in parts is decoded now, and damage found
    // only so is told here, as when the picture is opened. False (and told)
    // when it cannot be decoded.
    bool PictureDecodesWhole(const QString& path);
    void ResetPicture();
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
    // The menu of viewed files, shared with the picture view.
    void BuildViewListMenu(const QString& path);

    static const QString PictureDialogFilter;
    platform::Lead* Image1 = nullptr; // the picture on show
    platform::Lead* Image2 = nullptr; // hidden: the picture as loaded
    platform::Lead* Image3 = nullptr; // hidden: pictures worked on unseen
    QWidget* Frame3 = nullptr;        // the picture panel that holds Image1
    QWidget* Frame5 = nullptr;        // shown while an internet picture loads
    QListWidget* List3 = nullptr;     // the pictures viewed in this run
    bool fAnimationShown = false;
    bool fMagnifierOn = false;
    bool fPanWindowOn = false;
    int nZoomFactor = 100;

private:
    void buildPictureView();
    void layOutPicturePanel();
    // The control's size Fit gives it in the picture panel.
    QSize fittedPictureSize() const;
    // Sets a tool's state with the dispatcher held off, then runs the command.
    void pressViewTool(const QString& id, int state, void (Lumivex1::*command)());
    void setToolStateQuietly(const QString& id, int state);
    bool fStretched = false;
    QString m_picturesBeforeInternet[2]; // current and shown picture before an internet load

    // ================================================================ Lumivex1PictureCommands.cpp
    // Adjustments, open, close, convert, acquire.
public:
    virtual void OpenFileRoutine();
    virtual void CloseCurrentFile();
    virtual void ConvertFile(const QString& path);
    virtual void TwainAcquirePicture();
    virtual void TwainSelectSource();
    virtual void ResizePicture();
    virtual void StartRedEyeRemoval();
    virtual void ChangeBrightness();
    virtual void ChangeContrast();
    void ArmRegionMarking();
    void Image1_Click();
    void mnuColorFill_Click();

    platform::LeadDlg LEADDlg1; // the imaging dialogs

private:
    // Shows the brightness or contrast dialog and applies its value to Image1.
    void runChangeDialog(int flags, int (platform::Lead::*change)(int));
    QString cConvertFolder;      // folder of the last conversion's target
    QColor nFillColor = Qt::red; // the red-eye fill colour chosen last

    // ================================================================ Lumivex1FileCommands.cpp
    // Save As and delete.
public:
    virtual bool SaveFileAs(const QString& path);
    virtual void DeleteCurrentFile();
    // The picture control's format code for an upper-case extension (0 when none).
    static int SaveFormatCodes(const QString& ext);
    // Moves the file to the trash; false when it could not be moved.
    bool SendFileToRecycleBin(const QString& path);

private:
    QString cLastSaveFolder; // folder of the last save of the shown picture

    // ================================================================ Lumivex1Players.cpp
    // The video and music players, the CD device and the clip saves.
public:
    virtual void LoadMediaFile(const QString& path);
    virtual void SaveVideoClip();
    virtual void SaveMusicClip();
    // Writes the video player's current frame to the file; true when written.
    virtual bool SaveStillBitmap(const QString& path);
    // The video player's window mode (1 own window, 2 in the tab).
    virtual void SetVideoWindowMode(int mode);
    // The file of the video (0) or music (1) player; nullopt when there is no answer.
    virtual std::optional<QString> PlayerFileName(int player);
    void PlayMciFile(const QString& path);
    void StopMci();
    void MusDeleteBtn_Click();
    void CHKMUSICLOOP_Click(int value);
    void MMControl1_StatusUpdate();
    void MediaConvert1_Failed(const QString& reason);
    // The two player panels: their transport buttons, sliders and clip marks.
    viewers::PlayerPanel& video() { return *m_video; }
    viewers::PlayerPanel& music() { return *m_music; }

    platform::PlayCtrl* MediaPlayer1 = nullptr; // video
    platform::PlayCtrl* MediaPlayer2 = nullptr; // music
    QSplitter* Splitter2 = nullptr;
    QWidget* Frame1 = nullptr; // video controls
    QWidget* Frame2 = nullptr; // music tab panel
    platform::MMControl* MMControl1 = nullptr;
    platform::MediaConverter* MediaConvert1 = nullptr;
    // The file list's selected item: its path and its place in the list (from
    // 0). The file browser provides it; without it nothing counts as selected.
    struct FileListItem {
        QString path;
        int index = -1;
    };
    std::function<FileListItem()> selectedFileListItem;

private:
    void buildPlayers();
    void runClipSave(platform::PlayCtrl* player, const QString& filter);
    viewers::PlayerPanel* m_video = nullptr;
    viewers::PlayerPanel* m_music = nullptr;

    // ================================================================ Lumivex1Documents.cpp
    // Documents and text.
public:
    // Documents: the file shown in the text view Text1.
    virtual QString RichTextFileName();
    // Height of a pane of Splitter4 (1 the browser, 2 the text box), in pixels.
    int documentPaneHeight(int pane) const;
    void AddToDocumentList(const QString& path);
    void LoadDocument(QString path);
    void LoadText(QString path);

    // The browsers of the Documents (1) and Internet (2) tabs.
    std::unique_ptr<platform::WebBrowser> WebBrowser1;
    std::unique_ptr<platform::WebBrowser> WebBrowser2;
    QListWidget* List6 = nullptr; // documents viewed in this run
    platform::RichTextBox* Text1 = nullptr;
    QSplitter* Splitter4 = nullptr; // the document list beside the views

private:
    void buildDocuments();
    QSplitter* Splitter4Views = nullptr; // pane 1 the browser, pane 2 the text box

    // ================================================================ Lumivex1Lists.cpp
    // The play lists (twin trees), the document list and favourite lists.
public:
    virtual void AddPictureToFavorites();
    virtual void CreateNewPlayList();
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

    lists::PlayListTree& videoLists() { return *m_videoLists; }
    lists::PlayListTree& musicLists() { return *m_musicLists; }
    lists::DocumentList& documentList() { return *m_documentList; }

    // The list areas hold the state; these name it.
    QString& cCurrentVideoList;
    bool& fVideoListsChanged;
    QString& cCurrentMusicList;
    bool& fMusicListsChanged;
    bool& fDocumentListChanged;
    platform::KeyedTree* TreeView1 = nullptr;
    platform::KeyedTree* TreeView2 = nullptr;
    platform::KeyedTree* TreeView3 = nullptr;

private:
    void connectListTrees();

    // ================================================================ Lumivex1Internet.cpp
    // The Internet tab: page events, visited addresses, favourites.
public:
    // The user's folder of that kind; 6 is the Favorites folder ("" for others).
    QString GetSpecialFolderPath(int folder) const;
    void LoadInternetFavorites();
    // Saves the page on show to the favourites.
    void AddInternetFavorite();
    void WebBrowser2_BeforeNavigate2(const QString& address);
    void WebBrowser2_NavigateComplete2(const QString& address);
    void WebBrowser2_TitleChange(const QString& title);
    lists::FavoritesTree& favorites() { return *m_favorites; }

    platform::KeyedTree* TreeView4 = nullptr;

private:
    void buildFavorites();
    void connectInternetBrowser();
    bool m_pageHourglass = false; // the hourglass of a page being opened
};

// The one main window (set while it exists).
Lumivex1* mainWindow();
