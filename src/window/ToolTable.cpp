#include "window/ToolTable.h"

#include <QApplication>
#include <QHash>
#include <QStyle>

namespace tooltable {

using platform::ToolType;
namespace {
constexpr ToolType B = ToolType::Button;
constexpr ToolType T = ToolType::TwoState;
constexpr ToolType M = ToolType::Menu;
constexpr ToolType C = ToolType::Combo;
constexpr ToolType L = ToolType::Label;
constexpr ToolType D = ToolType::DropDown;
constexpr ToolType S = ToolType::Separator;
} // namespace

const std::vector<ToolDef>& tools()
{
    static const std::vector<ToolDef> t = {
        // Menu titles and status tools
        {"ID_mnuFile", "&File", "Menu", M, "", ""},
        {"ID_mnuEdit", "&Edit", "Menu", M, "", ""},
        {"ID_mnuView", "&View", "Menu", M, "", ""},
        {"ID_mnuUtilities", "&Utilities", "Menu", M, "", ""},
        {"ID_mnuHelp", "&Help", "Menu", M, "", ""},
        {"ID_Date", "Date", "Menu", L, "", "Today's Date"},
        {"ID_Time", "Time", "Menu", L, "", "Current Time"},
        {"ID_FilterName", "JPEG and LEAD Compressed (JPG and CMP)", "Menu", L, "", "Name of current Filter Used"},
        {"ID_mnuCut", "Cut", "Menu", B, "", ""},
        // File menu
        {"ID_mnuOpenFile", "&Open File", "FileMenu", B, "", "Open a Picture, Multimedia or Document File"},
        {"ID_mnuOpenFilelnterent", "Open File located on the Internet", "FileMenu", B, "", ""},
        {"ID_mnuOpenOLE", "Open File with another Application", "FileMenu", B, "", "Open Picture or File with another Program as specified by Windows Explorer"},
        {"ID_mnuCloseFile", "Close File", "FileMenu", B, "", ""},
        {"ID_mnuSelectFavoriteList", "Select Favorite List", "FileMenu", B, "", "Select List of Favoriye Pictures or Multimedia Files"},
        {"ID_mnuCreateFavoriteList", "Create Favorite List", "FileMenu", B, "", ""},
        {"ID_mnuFileBackPrevious", "Go Back to Previous Tab", "FileMenu", B, "", ""},
        {"ID_mnuFileCapture", "Screen Capture", "FileMenu", B, "", ""},
        {"ID_mnuFindFiles", "Find Files", "FileMenu", B, "", ""},
        {"ID_mnuFindNextFolderwithFiles", "Find Next Folder with File Type", "FileMenu", B, "", ""},
        {"ID_mnuTwainAcquirePicture", "Twain Acquire Picture", "FileMenu", B, "", ""},
        {"ID_mnuTwainSelectSource", "Twain Select Source", "FileMenu", B, "", ""},
        {"ID_mnuFileCreateNewFolder", "Create New Folder", "FileMenu", B, "", ""},
        {"ID_mnuSaveFileAs", "Save File As", "FileMenu", B, "", "Save File with a different Name or Folder Location"},
        {"ID_mnuRenameFile", "Rename File", "FileMenu", B, "", ""},
        {"ID_mnuDeleteFile", "Delete File", "FileMenu", B, "", "Delete Highlighted File"},
        {"ID_mnuConvertFiles", "Convert Files", "FileMenu", B, "", ""},
        {"ID_mnuProperties", "Properties", "FileMenu", B, "", ""},
        {"ID_mnuPrintFiles", "Print Files", "FileMenu", B, "", ""},
        {"ID_mnuSetUpPrinter", "Set Up Printer", "FileMenu", B, "", ""},
        {"ID_mnuExit", "Exit", "FileMenu", B, "", "Exit the Orbanth"},
        // Edit menu
        {"ID_mnuCopy", "Copy", "EditMenu", B, "", ""},
        {"ID_mnuPaste", "Paste", "EditMenu", B, "", ""},
        {"ID_mnuImageReset", "Reset to Original", "EditMenu", B, "", ""},
        {"ID_mnuRemoveRed-Eye", "Remove Red-Eye", "EditMenu", B, "", ""},
        {"ID_mnuBrightness", "Picture Brightness", "EditMenu", B, "", ""},
        {"ID_mnuContrast", "Picture Contrast", "EditMenu", B, "", ""},
        // Utilities menu
        {"ID_mnuCreateandChangeFavoriteLists", "Create and Change Favorite Lists", "UtilitiesMenu", B, "", ""},
        {"ID_mnuSetColorsforOrbanth", "Set Colors for Lumivex", "UtilitiesMenu", B, "", ""},
        {"ID_mnuSetOrbanthOptions", "Set Lumivex Options", "UtilitiesMenu", B, "", ""},
        {"ID_mnuUtilitiesSetComputer", "Set Computer Name", "UtilitiesMenu", B, "", ""},
        // Help menu
        {"ID_mnuHelpTableofContents", "Help Table of Contents", "HelpMenu", B, "", ""},
        {"ID_mnuHelpSearch", "Search for Help Topics", "HelpMenu", B, "", ""},
        {"ID_mnuViewQuickTips", "View Quick Tips", "HelpMenu", B, "", ""},
        {"ID_mnuHelpAbout", "About the Brevanto Lumivex", "HelpMenu", B, "", "Read About the Brevanto Lumivex"},
        // Slide shows (on no bar or menu)
        {"ID_mnuRunSlideShow", "Run Slide Show", "SlideShowMenu", B, "", ""},
        {"ID_mnuCreateSlideShow", "Create Slide Show", "SlideShowMenu", B, "", ""},
        {"ID_mnuRunSlideShowonCurrentFolder", "Run Slide Show on Current Folder", "SlideShowMenu", B, "", ""},
        // File tool bar
        {"ID_Find", "Find", "ToolOpen", T, "", "Find Pictures and Multimedia Files - F2"},
        {"ID_FindNext", "Next", "ToolOpen", B, "", "Find Next Folder with Files of the Chosen Type"},
        {"ID_Print", "Print", "ToolOpen", B, "", "Print Picture File"},
        {"ID_Collapse", "Collapse", "ToolOpen", B, "", "Collapse Device/Folder Tree View - Shift+Del"},
        {"ID_UpFolder", "Up Folder", "ToolOpen", B, "", "Move up one Folder - Shift+Ins"},
        {"ID_ThumbNails", "ThumbNails", "ToolOpen", B, "", "View Picture ThumbNails - Ctrl+Ins"},
        {"ID_Stop", "ThumbNails", "ToolOpen", B, "", "Stop ThumbNail Loading - Shift+Ctrl+F1"},
        {"ID_ViewBtn", "View", "ToolOpen", D, "", "Select File List View Style"},
        {"ID_FilterBtn", "Filter", "ToolOpen", D, "", "Filter Files by File Types and Groups - Ctrl H"},
        {"ID_SetClrBtn", "Options", "ToolOpen", B, "", "Set Application Colors"},
        {"ID_HelpOpen", "Help", "ToolOpen", B, "", "Help Table of Contents"},
        {"ID_LargeIcons", "Large Icons", "ToolOpenView", T, "Icon Type", ""},
        {"ID_SmallIcons", "Small Icons", "ToolOpenView", T, "Icon Type", ""},
        {"ID_ListIcons", "List Icons", "ToolOpenView", T, "Icon Type", ""},
        {"ID_Details", "Details", "ToolOpenView", T, "Icon Type", ""},
        {"ID_mnuViewDropDownMenu", "View", "ToolOpenView", M, "", ""},
        {"ID_mnuFileFilterDropDown", "Filter", "ToolOpenFilter", M, "", ""},
        // Pictures tool bar
        {"ID_Back", "Back", "ToolPicture", B, "", "Go Back to Previous Picture - Shift F7"},
        {"ID_Forward", "Forward", "ToolPicture", B, "", "Go to next Picture - Shift F8"},
        {"ID_ViewImage", "View", "ToolPicture", D, "", "View Picture Options - Shift F9"},
        {"ID_EditImage", "Edit Image", "ToolPicture", T, "Edit", "Edit Image - Ctrl K"},
        {"ID_EditColors", "Edit Colors", "ToolPicture", T, "Edit", "Edit Picture Colors - Ctrl M"},
        {"ID_PrintImage", "Print Image", "ToolPicture", B, "", "Print Picture - Shift F10"},
        {"ID_SaveImage", "Save Image", "ToolPicture", B, "", "Save Picture"},
        {"ID_HelpImage", "Help", "ToolPicture", B, "", "Help on Viewing Pictures"},
        {"ID_Resize", "Resize", "ToolPicture", B, "", "Resize the Picture - Ctrl J"},
        {"ID_PicFavorites", "Favorites", "ToolPicture", B, "", "Add Current Picture to Favorite List - Ctrl N"},
        {"ID_ViewNormal", "Normal", "ToolPictureView", T, "ToolStretch", "View Picture as Normal Size"},
        {"ID_ViewStretch", "Stretch Image to Window", "ToolPictureView", T, "ToolStretch", "Stretch Picture into Window Frame"},
        {"ID_ViewZoom", "Zoom", "ToolPictureView", T, "ToolStretch", "Zoom in on Image"},
        {"ID_ViewSnap", "Snap Image to Window", "ToolPictureView", T, "ToolStretch", "Snap Picture into Frame Size"},
        {"ID_ViewFitImage", "Fit Image to Window", "ToolPictureView", T, "ToolStretch", "Fit Image to Window"},
        {"ID_ViewMagnify", "Magnify", "ToolPictureView", T, "", "Magnify Areas of Picture"},
        {"ID_ViewPan", "Pan Image", "ToolPictureView", T, "", "Pan View of image"},
        {"ID_mnuImageViewDropDown", "View", "ToolPictureView", M, "", ""},
        // Player tool bar
        {"ID_ToggleBtn", "ToggleBtn", "Player", B, "", "Toggle between Toolbars"},
        {"ID_ViewVideos", "View", "Player", T, "", "Show the Video in its own Window"},
        {"ID_PicBtn", "Snap Picture", "Player", B, "Player", "Snap a Picture of the Video"},
        {"ID_VidEdit", "Create Video", "Player", T, "", "Edit Video Clip - Ctrl F10"},
        {"ID_Join", "Join Files", "Player", T, "Player", "Join Video Files"},
        {"ID_VideoSave", "Save/Convert", "Player", B, "Player", "Save Video Clip"},
        {"ID_VidProp", "Properties", "Player", T, "", "Video File Propertiesl - Ctrl F11"},
        {"ID_VidPlyLstBtn", "New Play List", "Player", B, "", "Create or Edit Play List"},
        {"ID_PlayHelp", "Help", "Player", B, "", "Help on the Players"},
        {"ID_AudioReplace", "Audio Replace", "ToolVidView", B, "", "Replace the Audio of a Video File"},
        {"ID_VidMax", "Maximize", "ToolVidView", T, "VideoState", ""},
        {"ID_Reduce", "Reduce", "ToolVidView", T, "VideoState", ""},
        {"ID_mnuVidViewDropDown", "Video View", "ToolVidView", M, "", ""},
        // Documents tool bar
        {"ID_TxtBack", "Backward", "ToolText", B, "", "Go Back one Page - Shift F1"},
        {"ID_TxtForward", "Forward", "ToolText", B, "", "Move Forward one Page - Shift F2"},
        {"ID_TxtPrint", "Print Page", "ToolText", B, "", "Print current Document or Text - Shift F3"},
        {"ID_TxtSave", "Save", "ToolText", B, "", "Save Text Page - Shift F4"},
        {"ID_TxtProperties", "Properties", "ToolText", B, "", "View Text or Document Properties - Shift F5"},
        {"ID_TxtHelp", "Help", "ToolText", B, "", "Help on Documents and Text"},
        // Internet tool bar
        {"ID_IntBack", "Back", "ToolInternet", B, "", "Move Back to Previous Page - Ctrl F1"},
        {"ID_IntForward", "Forward", "ToolInternet", B, "", "Move Forward one Page - Ctrl F2"},
        {"ID_IntHome", "Home", "ToolInternet", B, "", "Display current Home Web Page - Ctrl F3"},
        {"ID_IntStop", "Stop", "ToolInternet", B, "", "Stop Loading Web Page - Ctrl F4"},
        {"ID_IntRefresh", "Refresh", "ToolInternet", B, "", "Refresh Current Web Page - Ctrl F5"},
        {"ID_IntPrint", "Print", "ToolInternet", B, "", "Print Web Page - Ctrl F6"},
        {"ID_IntSave", "Save", "ToolInternet", B, "", "Save current Web Page - Ctrl F7"},
        {"ID_IntProperties", "Properties", "ToolInternet", B, "", "Display Web page Properties - Ctrl F9"},
        {"ID_IntFavorites", "Favorites", "ToolInternet", B, "", "Display Favorite Internet Web Pages - Shift+Ctrl+F9"},
        {"ID_IntAddFavorite", "Add", "ToolInternet", B, "", "Add Current Web Page to Internet Favorites - Shift+Ctrl+F10"},
        {"ID_IntVisited", "Visited", "ToolInternet", T, "", "Enter Web Site Page Address or Select from Visited Web Pages - Shift+Ctrl+F11"},
        {"ID_IntHelp", "Help", "ToolInternet", B, "", "Help on the Internet Browser"},
        {"ID_IntURLEnter", "Enter Web Site Address or Select from Visited Sites", "ToolInternetURL", C, "",
         "Enter the Web Site Page Location (URL) or Select Web Page from Previously Visited Sites and Press Enter"},
        {"ID_IntGo", "Go to Web Site", "ToolInternetURL", B, "", "Go to the Web Site Address Entered"},
        // General
        {"ID_Separator", "", "General", S, "", ""},
        {"ID_Separator2", "", "General", S, "", ""},
        {"ID_mnuCollapseExplorerTreeList", "Collapse ExplorerTree List", "General", B, "", ""},
    };
    return t;
}

const std::vector<BarDef>& bars()
{
    static const std::vector<BarDef> b = {
        {1, "MenuBar1", {"ID_mnuFile", "ID_mnuEdit", "ID_mnuView", "ID_mnuUtilities", "ID_mnuHelp"}},
        {2, "ToolBarOpn1", {"ID_ToggleBtn", "ID_Find", "ID_FindNext", "ID_Collapse", "ID_UpFolder", "ID_ThumbNails",
                            "ID_Stop", "ID_ViewBtn", "ID_FilterBtn", "|", "ID_SetClrBtn", "ID_HelpOpen"}},
        {3, "ToolBarPict", {"ID_ToggleBtn", "ID_Back", "ID_Forward", "|", "ID_ViewImage", "ID_PrintImage", "|",
                            "ID_Resize", "ID_EditImage", "ID_EditColors", "ID_SaveImage", "ID_PicFavorites",
                            "ID_HelpImage"}},
        {4, "ToolBarPlay", {"ID_ToggleBtn", "ID_ViewVideos", "ID_PicBtn", "|", "ID_VidEdit", "ID_AudioReplace",
                            "ID_Join", "ID_VideoSave", "ID_VidProp", "ID_VidPlyLstBtn", "|", "ID_PlayHelp"}},
        {5, "ToolBarText", {"ID_ToggleBtn", "ID_TxtBack", "ID_TxtForward", "ID_Separator", "|", "ID_Separator",
                            "ID_TxtPrint", "ID_TxtSave", "ID_TxtProperties", "ID_Separator", "ID_Separator",
                            "ID_Separator", "ID_TxtHelp"}},
        {6, "ToolBarInternet", {"ID_ToggleBtn", "ID_IntBack", "ID_IntForward", "ID_IntHome", "|", "ID_IntStop",
                                "ID_IntRefresh", "ID_IntPrint", "ID_IntSave", "ID_IntProperties", "|",
                                "ID_IntFavorites", "ID_IntAddFavorite", "ID_IntVisited", "ID_IntHelp"}},
        {7, "ToolBarURLEnter", {"ID_IntURLEnter", "ID_IntGo"}},
    };
    return b;
}

const std::vector<MenuDef>& menus()
{
    static const std::vector<MenuDef> m = {
        {"ID_mnuFile",
         {"ID_mnuOpenFile", "ID_mnuOpenFilelnterent", "ID_mnuOpenOLE", "ID_mnuCloseFile",
          "ID_mnuSelectFavoriteList", "ID_mnuCreateFavoriteList", "ID_mnuFileBackPrevious", "ID_mnuFileCapture",
          "|", "ID_mnuFindFiles", "ID_mnuFindNextFolderwithFiles", "|", "ID_mnuTwainAcquirePicture",
          "ID_mnuTwainSelectSource", "ID_mnuFileCreateNewFolder", "ID_mnuSaveFileAs", "ID_mnuRenameFile",
          "ID_mnuDeleteFile", "ID_mnuConvertFiles", "ID_mnuProperties", "|", "ID_mnuPrintFiles",
          "ID_mnuSetUpPrinter", "|", "ID_mnuExit"}},
        {"ID_mnuEdit",
         {"ID_mnuCopy", "ID_mnuPaste", "ID_mnuImageReset", "ID_mnuRemoveRed-Eye", "ID_mnuBrightness",
          "ID_mnuContrast"}},
        {"ID_mnuView", {"ID_mnuCollapseExplorerTreeList"}},
        {"ID_mnuUtilities",
         {"ID_mnuCreateandChangeFavoriteLists", "ID_mnuSetColorsforOrbanth", "ID_mnuSetOrbanthOptions", "|",
          "ID_mnuUtilitiesSetComputer"}},
        {"ID_mnuHelp",
         {"ID_mnuHelpTableofContents", "ID_mnuHelpSearch", "ID_mnuViewQuickTips", "|", "ID_mnuHelpAbout"}},
        {"ID_mnuViewDropDownMenu", {"ID_LargeIcons", "ID_SmallIcons", "ID_ListIcons", "ID_Details"}},
        {"ID_mnuFileFilterDropDown", {}},
        {"ID_mnuImageViewDropDown",
         {"ID_ViewNormal", "ID_ViewStretch", "ID_ViewZoom", "ID_ViewSnap", "ID_ViewFitImage", "ID_ViewMagnify", "|",
          "ID_ViewPan"}},
        {"ID_mnuVidViewDropDown", {}},
    };
    return m;
}

namespace {
// Pictures for the buttons of the tool bars, from the style's own set.
QHash<QString, QStyle::StandardPixmap> toolPictures()
{
    return {
        {"ID_ToggleBtn", QStyle::SP_TitleBarShadeButton},
        {"ID_Find", QStyle::SP_FileDialogContentsView},
        {"ID_FindNext", QStyle::SP_ArrowRight},
        {"ID_Collapse", QStyle::SP_TitleBarUnshadeButton},
        {"ID_UpFolder", QStyle::SP_FileDialogToParent},
        {"ID_ViewBtn", QStyle::SP_FileDialogDetailedView},
        {"ID_FilterBtn", QStyle::SP_FileDialogListView},
        {"ID_SetClrBtn", QStyle::SP_DesktopIcon},
        {"ID_HelpOpen", QStyle::SP_DialogHelpButton},
        {"ID_Back", QStyle::SP_ArrowBack},
        {"ID_Forward", QStyle::SP_ArrowForward},
        {"ID_ViewImage", QStyle::SP_FileDialogInfoView},
        {"ID_PrintImage", QStyle::SP_DriveFDIcon},
        {"ID_Resize", QStyle::SP_TitleBarMaxButton},
        {"ID_EditImage", QStyle::SP_FileDialogStart},
        {"ID_EditColors", QStyle::SP_DriveDVDIcon},
        {"ID_SaveImage", QStyle::SP_DialogSaveButton},
        {"ID_PicFavorites", QStyle::SP_DialogYesButton},
        {"ID_HelpImage", QStyle::SP_DialogHelpButton},
        {"ID_ViewVideos", QStyle::SP_ComputerIcon},
        {"ID_PicBtn", QStyle::SP_DriveCDIcon},
        {"ID_VidEdit", QStyle::SP_MediaSeekForward},
        {"ID_AudioReplace", QStyle::SP_MediaVolume},
        {"ID_Join", QStyle::SP_MediaSkipForward},
        {"ID_VideoSave", QStyle::SP_DialogSaveButton},
        {"ID_VidProp", QStyle::SP_MessageBoxInformation},
        {"ID_VidPlyLstBtn", QStyle::SP_FileDialogNewFolder},
        {"ID_PlayHelp", QStyle::SP_DialogHelpButton},
        {"ID_TxtBack", QStyle::SP_ArrowBack},
        {"ID_TxtForward", QStyle::SP_ArrowForward},
        {"ID_TxtPrint", QStyle::SP_DriveFDIcon},
        {"ID_TxtSave", QStyle::SP_DialogSaveButton},
        {"ID_TxtProperties", QStyle::SP_MessageBoxInformation},
        {"ID_TxtHelp", QStyle::SP_DialogHelpButton},
        {"ID_IntBack", QStyle::SP_ArrowBack},
        {"ID_IntForward", QStyle::SP_ArrowForward},
        {"ID_IntHome", QStyle::SP_DirHomeIcon},
        {"ID_IntStop", QStyle::SP_BrowserStop},
        {"ID_IntRefresh", QStyle::SP_BrowserReload},
        {"ID_IntPrint", QStyle::SP_DriveFDIcon},
        {"ID_IntSave", QStyle::SP_DialogSaveButton},
        {"ID_IntProperties", QStyle::SP_MessageBoxInformation},
        {"ID_IntFavorites", QStyle::SP_DirLinkIcon},
        {"ID_IntAddFavorite", QStyle::SP_DialogYesButton},
        {"ID_IntVisited", QStyle::SP_FileDialogBack},
        {"ID_IntHelp", QStyle::SP_DialogHelpButton},
        {"ID_IntGo", QStyle::SP_CommandLink},
    };
}
} // namespace

void build(platform::ToolBarComp& comp)
{
    for (const ToolDef& d : tools()) {
        platform::Tool* t = comp.Add(QString::fromLatin1(d.id), d.type);
        if (!t)
            continue;
        t->setCategory(QString::fromLatin1(d.category));
        t->setGroup(QString::fromLatin1(d.group));
        t->setCaption(QString::fromLatin1(d.caption), true);
        const QString tip = QString::fromLatin1(*d.toolTip ? d.toolTip : d.caption);
        t->setToolTip(tip);
    }
    if (QStyle* style = QApplication::style()) {
        const auto pictures = toolPictures();
        for (auto it = pictures.cbegin(); it != pictures.cend(); ++it)
            if (platform::Tool* t = comp.Item(it.key()))
                t->setPicture(style->standardPixmap(it.value()));
    }
    for (const MenuDef& m : menus())
        for (const QString& item : m.items)
            comp.appendToMenu(QString::fromLatin1(m.menuId), item);
    for (const BarDef& b : bars()) {
        comp.setBarName(b.number, QString::fromLatin1(b.name));
        for (const QString& id : b.tools)
            comp.placeOnBar(b.number, id);
    }
    // The status tools stand at the menu bar's right, between two spacers.
    for (const char* id : {"ID_Separator", "ID_FilterName", "ID_Date", "ID_Time", "ID_Separator2"})
        comp.placeOnStatusArea(QString::fromLatin1(id));
}

} // namespace tooltable
