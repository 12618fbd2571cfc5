#pragma once
// The program-wide state: one set of variables that every window reads and
// writes. The main window's load handler gives each its start value.
#include "platform/controls/OleColor.h"

#include <QString>
#include <array>

inline const QString kProgramTitle = QStringLiteral("Brevanto Lumivex 3.0");
// The application's title: what a message given no title of its own shows.
inline const QString kApplicationTitle = QStringLiteral("Lumivex");

struct ColorScheme {
    using C = platform::OleColor;
    // In the order of Colors.INI.
    C nMainBackColor = 0, nMainWashEnd = 0, nMainForeColor = 0;
    C nMenuBackColor = 0, nMenuForeColor = 0;
    C nTabBackColor = 0, nTabForeColor = 0;
    C nListBackColor = 0, nListForeColor = 0;
    C nEntryBackColor = 0, nEntryForeColor = 0;
    C nSelectBackColor = 0, nSelectWashEnd = 0, nSelectForeColor = 0;
    C nThumbBackColor = 0, nThumbForeColor = 0;
    C nTipBackColor = 0, nTipForeColor = 0;
    C nThumbWindowBackColor = 0, nThumbWindowForeColor = 0;
    C nPictureBackColor = 0, nPictureWashEnd = 0, nPictureForeColor = 0;
    C nSpareColor1 = 0, nSpareColor2 = 0, nSpareColor3 = 0, nSpareColor4 = 0;
    C nSpareColor5 = 0, nSpareColor6 = 0, nSpareColor7 = 0, nSpareColor8 = 0;
    C nButtonBackColor = 0, nButtonWashEnd = 0, nButtonForeColor = 0;
    // Never stored.
    C nRenameBackColor = 0, nRenameForeColor = 0;

    static constexpr int kStoredCount = 34;
    // The stored colours in file order.
    std::array<C*, kStoredCount> stored();
    std::array<const C*, kStoredCount> stored() const;
};

struct Options {
    // Line 1 of Options.INI, in file order.
    double nWindowLeft = 0, nWindowTop = 0, nWindowHeight = 0, nWindowWidth = 0;
    int nMenuFontType = 0, nMenuStyle = 0, nLabelStyle = 0;
    int nThumbHeight = 0, nThumbWidth = 0, nThumbBitsIndex = 0, nSpareOption = 0;
    int nListViewStyle = 0, nSearchFirstCount = 0, nSearchNextCount = 0;
    int nJpegQuality = 0, nFilterIndex = 0;
    // Lines 2 and 3.
    QString cComputerName;
    QString cLastFolder;
    // Line 4, in file order.
    bool fBoldFonts = false, fSaveLastFolder = false, fTipsAtStartup = false;
    bool fUseComputerName = false, fShellListFlag = false, fDocumentsAsText = false;
    bool fAutoPictures = false, fAutoVideo = false, fAutoMusic = false;
    bool fVideoLoop = false, fMusicLoop = false, fShowVideoList = false;

    static constexpr int kNumberCount = 16;
    static constexpr int kFlagCount = 12;
    std::array<bool*, kFlagCount> flags();
    std::array<const bool*, kFlagCount> flags() const;
};

struct SharedState : ColorScheme, Options {
    QString cProgramFolder;
    int nPicturePage = 1;
    QString cCurrentExt;
    QString cCurrentFile;
    QString cCurrentPicture;
    QString cEditFile;
    QString cPlayerMode = QStringLiteral("0");
    QString cNewPlayListName;
    QString cDragMarker;
    QString cCurrentURL;
    QString cPageURL;
    QString cPageTitle;

    bool fBusy = false;
    int nFindTypeIndex = 0;
    bool fThumbView = false;
    bool fThumbsLoading = false;
    bool fInternetLoading = false;
    bool fInternetPicture = false;
    bool fPlayListCancel = false;
    bool fAddCurrentPicture = false;
    bool fLoadReported = false;
    bool fLoadPending = false;

    // Open flags of the tool windows.
    bool fFindFleOpen = false, fGetURLOpen = false, fProPertOpen = false;
    bool fPrntPictOpen = false, fSetFavListOpen = false, fSelFavoritesOpen = false;
    bool fEdtImageOpen = false, fEdtColorsOpen = false, fCreatAnOpen = false;
    bool fVidPropOpen = false, fSetOptnOpen = false, fAudReplOpen = false;
    bool fVidJoinOpen = false, fAboutOpen = false, fQuikTipOpen = false;

    // Program folder + name ("Options.INI", "BMPS/Check.BMP").
    QString programFile(const QString& name) const;
};

// The one instance.
extern SharedState gs;

// Sets fBusy for its lifetime and restores the earlier value.
class BusyGuard {
public:
    BusyGuard() : m_was(gs.fBusy) { gs.fBusy = true; }
    ~BusyGuard() { gs.fBusy = m_was; }
    BusyGuard(const BusyGuard&) = delete;
    BusyGuard& operator=(const BusyGuard&) = delete;

private:
    bool m_was;
};
