// The main window's browser panel: the folder combo, the folder tree, the
// filter combo and the file list; the current file and the file tools; the
// viewed-pictures list of a folder; filters, view styles, up one folder and
// collapsing the tree.
#include "browser/FileSearch.h"
#include "platform/shell/ShellCombo.h"
#include "platform/shell/ShellList.h"
#include "platform/shell/ShellTree.h"
#include "browser/SearchSession.h"
#include "browser/ThumbnailRun.h"
#include "platform/controls/KeyAscii.h"
#include "platform/controls/NameCombo.h"
#include "platform/controls/ToolBarComp.h"
#include "shared/FileTypes.h"
#include "shared/SharedState.h"
#include "shared/Tables.h"
#include "window/Lumivex1.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QSplitter>
#include <QTimer>
#include <QVBoxLayout>
#include <utility>

namespace {

// The nine file tools, always switched together and in this order.
constexpr const char* kFileTools[] = {"ID_mnuCloseFile",    "ID_mnuSaveFileAs", "ID_mnuRenameFile",
                                      "ID_mnuDeleteFile",   "ID_mnuConvertFiles", "ID_mnuProperties",
                                      "ID_mnuPrintFiles",   "ID_Print",         "ID_mnuOpenOLE"};

using browser::trimBlanks;

// Hands the filter combo's keys to the main window. They come to the combo,
// which has the focus while the user types into its text, and which hands
// them on to its line edit directly, past any filter there.
class FilterKeys : public QObject {
public:
    explicit FilterKeys(Lumivex1* w) : QObject(w), m_w(w) {}
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress) {
            int code = platform::keyAscii(static_cast<QKeyEvent*>(event));
            m_w->CMBFILTER_KeyPress(code);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    Lumivex1* m_w;
};

} // namespace

// ---------------------------------------------------------------- building

void Lumivex1::buildBrowserPanel(QWidget* panel)
{
    auto* lay = new QVBoxLayout(panel);
    lay->setContentsMargins(2, 2, 2, 2);
    lay->setSpacing(2);

    PTxShCombo1 = new platform::ShellCombo(panel);
    PTxShCombo1->setObjectName(QStringLiteral("PTxShCombo1"));
    PTxShCombo1->setToolTip(QStringLiteral("Select Device or Folder"));
    lay->addWidget(PTxShCombo1);

    auto* split = new QSplitter(Qt::Vertical, panel);
    split->setObjectName(QStringLiteral("BrowserSplitter"));
    PTxShTree1 = new platform::ShellTree(split);
    PTxShTree1->setObjectName(QStringLiteral("PTxShTree1"));
    PTxShTree1->setToolTip(QStringLiteral("Select Device or Folder"));
    PTxShTree1->setStandardRoots();

    auto* lower = new QWidget(split);
    auto* lowerLay = new QVBoxLayout(lower);
    lowerLay->setContentsMargins(0, 0, 0, 0);
    lowerLay->setSpacing(2);
    CMBFILTER = new platform::NameCombo(lower);
    CMBFILTER->setObjectName(QStringLiteral("CMBFILTER"));
    CMBFILTER->setToolTip(QStringLiteral("Filter Files by File Types and Groups"));
    CMBFILTER->setEditable(true);
    CMBFILTER->setInsertPolicy(QComboBox::NoInsert);
    CMBFILTER->setCompleter(nullptr);
    CMBFILTER->installEventFilter(new FilterKeys(this));
    lowerLay->addWidget(CMBFILTER);
    PTxShList1 = new platform::ShellList(lower);
    PTxShList1->setObjectName(QStringLiteral("PTxShList1"));
    PTxShList1->setToolTip(QStringLiteral("Double Click to Open File"));
    lowerLay->addWidget(PTxShList1, 1);
    split->setStretchFactor(0, 2);
    split->setStretchFactor(1, 3);
    lay->addWidget(split, 1);

    // The CD track player reads the list's selection (path and place).
    selectedFileListItem = [this]() {
        const platform::ShellListItem* item = PTxShList1->SelectedItem();
        return item ? FileListItem{item->Path(), item->Index()} : FileListItem{};
    };

    connect(CMBFILTER, &QComboBox::currentIndexChanged, this, [this](int) { CMBFILTER_Click(); });
    // Picking the filter the combo shows changes no index: the pick applies
    // it where the list shows something else (a typed mask, a search's
    // pattern). A pick that changed the index has applied it already.
    connect(CMBFILTER, &QComboBox::activated, this, [this](int row) {
        if (row != nFilterRow || PTxShList1->Filter() != tables::filterPattern(row))
            CMBFILTER_Click();
    });
    connect(PTxShList1, &platform::ShellList::SelChange, this, &Lumivex1::PTxShList1_SelChange);
    connect(PTxShList1, &platform::ShellList::FolderChange, this, &Lumivex1::PTxShList1_FolderChange);
    connect(PTxShList1, &platform::ShellList::Open, this, [this](int) { PTxShList1_Open(); });
    connect(PTxShList1, &platform::ShellList::Refreshed, this, &Lumivex1::PTxShList1_Refreshed);
    connect(PTxShList1, &platform::ShellList::KeyPress, this, &Lumivex1::PTxShList1_KeyPress);
    connect(PTxShList1, &platform::ShellList::FlagEvent, this, &Lumivex1::PTxShList1_FlagEvent);
    connect(PTxShTree1, &platform::ShellTree::SelChange, this, &Lumivex1::PTxShTree1_SelChange);
    connect(PTxShTree1, &platform::ShellTree::KeyPress, this, &Lumivex1::PTxShTree1_KeyPress);
}

void Lumivex1::bindBrowserControls()
{
    PTxShTree1->setFolder(PTxShList1);
    PTxShCombo1->setFolder(PTxShTree1);
    PTxShList1->setShowHidden(gs.fShellListFlag);
}

// ---------------------------------------------------------------- what other windows use

QString Lumivex1::fileListFolder() const { return PTxShList1->FolderPath(); }

void Lumivex1::setFileListFolder(const QString& folder) { PTxShList1->setFolderPath(folder); }

std::optional<QString> Lumivex1::FileListSelectedPath()
{
    const platform::ShellListItem* it = PTxShList1->SelectedItem();
    if (!it)
        return std::nullopt;
    return it->Path();
}

void Lumivex1::RefreshFileList() { PTxShList1->Refresh(); }

bool Lumivex1::SelectFileListItem(const QString& path)
{
    for (int i = 0; i < PTxShList1->Count(); ++i)
        if (PTxShList1->Item(i)->Path() == path) {
            PTxShList1->selectIndex(i);
            PTxShList1->setFocus();
            return true;
        }
    return false;
}

void Lumivex1::FocusFolderTree() { PTxShTree1->setFocus(); }

// ---------------------------------------------------------------- file tools

namespace {
// The nine file tools go on and off together.
void setFileTools(platform::ToolBarComp* comp, bool on)
{
    for (const char* id : kFileTools)
        if (platform::Tool* t = comp->Item(QString::fromLatin1(id)))
            t->setEnabled(on);
}
} // namespace

void Lumivex1::EnableFileTools()
{
    setFileTools(ToolBarComp1, true);
    fFileToolsOn = true;
}

void Lumivex1::DisableFileTools()
{
    setFileTools(ToolBarComp1, false);
    fFileToolsOn = false;
}

bool Lumivex1::IsNotAFile(const QString& path) const
{
    // A plain, read-only or archive file: not a folder, not hidden.
    if (path.isEmpty())
        return true;
    const QFileInfo fi(path);
    if (!fi.isFile() || fi.isHidden() || fi.fileName().startsWith(QLatin1Char('.')))
        return true;
    return trimBlanks(fi.fileName()).isEmpty();
}

// ---------------------------------------------------------------- list and tree handlers

void Lumivex1::TakeListItem()
{
    const platform::ShellListItem* sel = PTxShList1->SelectedItem();
    if (!sel)
        return;
    const platform::ShellListItem* it = PTxShList1->Item(sel->Index());
    if (!it)
        return;
    gs.cCurrentFile = trimBlanks(it->Path());
    gs.cCurrentExt = GetFileExt(gs.cCurrentFile);
    DisableFileTools();
    if (trimBlanks(gs.cCurrentExt).isEmpty()) {
        gs.cCurrentFile.clear();
        return;
    }
    if (tables::extensionIndex(gs.cCurrentExt) >= 0)
        EnableFileTools();
}

void Lumivex1::FindFileRoutine() { m_search->FindFileRoutine(); }

void Lumivex1::FindNext() { m_search->FindNext(); }

void Lumivex1::PTxShList1_SelChange() { TakeListItem(); }

void Lumivex1::PTxShList1_FolderChange()
{
    const platform::ShellTreeItem* sel = PTxShTree1->SelectedItem();
    if (!sel)
        return;
    m_search->ResumeIndexFromTree(sel->Index());
    TakeListItem();
}

void Lumivex1::PTxShList1_Open()
{
    gs.nPicturePage = 1;
    QString path;
    if (const platform::ShellListItem* sel = PTxShList1->SelectedItem())
        if (const platform::ShellListItem* it = PTxShList1->Item(sel->Index()))
            path = it->Path();
    gs.fInternetLoading = false;
    if (!IsNotAFile(path))
        DisplayFile(path);
    if (trimBlanks(path).isEmpty()) {
        setWindowTitle(kProgramTitle);
    } else if (const platform::ShellListItem* again = PTxShList1->SelectedItem()) {
        setWindowTitle(kProgramTitle + QStringLiteral(" - ") + again->Path());
    }
}

void Lumivex1::PTxShList1_Refreshed()
{
    if (fStartingUp)
        return;
    if (!gs.fThumbView) {
        BuildPictureList();
        return;
    }
    // In the thumbnail view a run for the folder shown before stops at once
    // (the run for this one follows it), and the folder clicked is painted
    // (the tree, the folder box, the caption) before its first picture is
    // loaded and its thumbnails made.
    if (thumbnailRunActive()) {
        bool made = false;
        GenerateThumbnails(made);
        m_folderRunAsked = true;
    }
    if (m_folderPicturesQueued)
        return;
    m_folderPicturesQueued = true;
    QTimer::singleShot(0, this, [this] { readFolderPictures(); });
}

void Lumivex1::readFolderPictures()
{
    m_folderPicturesQueued = false;
    const bool runAsked = std::exchange(m_folderRunAsked, false);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
    BuildPictureList();
    if (gs.fThumbView && !runAsked) {
        bool made = false;
        GenerateThumbnails(made);
    }
}

void Lumivex1::PTxShList1_KeyPress(int& keyCode)
{
    if (keyCode == 27)
        m_search->Cancel();
}

void Lumivex1::PTxShList1_FlagEvent(bool& flag) { flag = true; }

void Lumivex1::PTxShTree1_SelChange()
{
    const platform::ShellTreeItem* sel = PTxShTree1->SelectedItem();
    if (!sel)
        return;
    const int start = sel->Index();
    m_search->nSearchResumeIndex = start;
    const QString path = PTxShTree1->SelectedFolder();
    if (trimBlanks(path).isEmpty())
        setWindowTitle(kProgramTitle);
    else
        setWindowTitle(kProgramTitle + QStringLiteral(" - ") + sel->Name());
    m_search->ResumeIndexFromTree(start);
}

void Lumivex1::PTxShTree1_KeyPress(int& keyCode) { PTxShList1_KeyPress(keyCode); }

// ---------------------------------------------------------------- viewed pictures

void Lumivex1::BuildPictureList()
{
    if (!List3 || List3->count() > 0)
        return;
    // The folder read told each entry's type: the files are not looked at again.
    QStringList pictures;
    for (int p = 0; p < PTxShList1->Count(); ++p) {
        const platform::ShellListItem* it = PTxShList1->ItemAt(p);
        const QString& name = it->Name();
        if (!it->IsFile() || name.startsWith(QLatin1Char('.')) || name.count(QLatin1Char(' ')) == name.size())
            continue;
        if (tables::nameExtensionInRange(name, tables::kFirstPicture, tables::kLastPicture))
            pictures << it->Path();
    }
    List3->addItems(pictures);
    if (List3->count() >= 1) {
        List3->setCurrentRow(0);
        LoadImage(List3->item(0)->text());
    }
}

// ---------------------------------------------------------------- filters

void Lumivex1::CMBFILTER_Click()
{
    const int row = CMBFILTER->currentIndex();
    if (row < 0 || row >= tables::kFilterCount)
        return;
    PTxShList1->setFilter(tables::filterPattern(row));
    ApplyFileFilter(FileFilterTable.names[row]);
    if (platform::Tool* t = ToolBarComp1->Item(FileFilterTable.names[row]))
        t->setState(1);
    // (no thumbnail view exists yet while the window starts up)
    if (!m_search->fSearchBusy && gs.fThumbView && !fStartingUp) {
        bool made = false;
        GenerateThumbnails(made);
    }
    gs.nFilterIndex = row;
}

void Lumivex1::CMBFILTER_KeyPress(int& keyCode)
{
    if (keyCode == 13)
        PTxShList1->setFilter(CMBFILTER->currentText());
}

void Lumivex1::ApplyFileFilter(const QString& filterName)
{
    BusyGuard busy;
    for (int i = 0; i < tables::kFilterCount; ++i) {
        if (FileFilterTable.names[i] != filterName)
            continue;
        PTxShList1->setFilter(tables::filterPattern(i));
        nFilterRow = i;
        const QString shown = FileFilterTable.names[i].trimmed();
        if (platform::Tool* sep = ToolBarComp1->Item(QStringLiteral("ID_Separator2")))
            sep->ChangeAll(platform::kPropVisible, shown.size() <= 20);
        platform::Tool* name = ToolBarComp1->Item(QStringLiteral("ID_FilterName"));
        if (nScreenWidth == 9600) {
            if (name)
                name->ChangeAll(platform::kPropVisible, false);
            continue;
        }
        if (name)
            name->ChangeAll(platform::kPropCaption, shown);
        break;
    }
}

// ---------------------------------------------------------------- view styles, up, collapse

void Lumivex1::SetListViewStyle(int style)
{
    PTxShList1->setViewStyle(style);
    gs.nListViewStyle = style;
    // The style in use is the one checked tool of the view menu, also when
    // it was chosen again (a click flips a two-state tool first).
    {
        const QSignalBlocker quiet(ToolBarComp1);
        const char* ids[] = {"ID_LargeIcons", "ID_SmallIcons", "ID_ListIcons", "ID_Details"};
        for (int i = 0; i < 4; ++i)
            if (platform::Tool* t = ToolBarComp1->Item(QString::fromLatin1(ids[i])))
                t->setState(i == style ? 1 : 0);
    }
    if (gs.fThumbView)
        LeaveThumbnailView();
}

void Lumivex1::SetLargeIconsView() { SetListViewStyle(0); }
void Lumivex1::SetSmallIconsView() { SetListViewStyle(1); }
void Lumivex1::SetListIconsView() { SetListViewStyle(2); }
void Lumivex1::SetDetailsView() { SetListViewStyle(3); }

void Lumivex1::MoveUpFolder()
{
    m_thumbs->forgetFolder();
    if (gs.fThumbView)
        LeaveThumbnailView();
    PTxShList1->GoUp(1);
    PTxShTree1->Refresh();
}

void Lumivex1::CollapseFolderTree()
{
    const platform::ShellTreeItems& items = PTxShTree1->Items();
    const int count = items.Count();
    for (int i = 0; i < count; ++i) {
        platform::ShellTreeItem* it = items.Item(i);
        if (!it)
            return; // the collection shrank as items collapsed
        it->setExpanded(false);
    }
}
