#include "favorites/SetFavList1.h"

#include "favorites/SetFavNew1.h"
#include "lists/ListEntry.h"
#include "platform/shell/FolderScan.h"
#include "platform/shell/ShellList.h"
#include "platform/controls/StyleIcons.h"
#include "platform/controls/WashControls.h"
#include "shared/DialogColors.h"
#include "shared/FileTypes.h"
#include "shared/MessageBox.h"
#include "shared/SharedState.h"
#include "shell/HelpWindow.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyle>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

// ---------------------------------------------------------------- drop list

FileDropList::FileDropList(QWidget* parent) : QListWidget(parent)
{
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DropOnly);
}

void FileDropList::dragEnterEvent(QDragEnterEvent* event)
{
    if (!event->mimeData()->hasUrls()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    emit dragEntered();
}

void FileDropList::dragMoveEvent(QDragMoveEvent* event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
    else
        event->ignore();
}

void FileDropList::dropEvent(QDropEvent* event)
{
    QStringList paths;
    for (const QUrl& u : event->mimeData()->urls())
        if (u.isLocalFile())
            paths << QDir::toNativeSeparators(u.toLocalFile());
    if (paths.isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    emit filesDropped(paths);
}

// ---------------------------------------------------------------- window

namespace {

QPushButton* makeButton(QWidget* parent, const char* name, const char* caption, QStyle::StandardPixmap icon,
                        const char* tip)
{
    auto* b = new QPushButton(QString::fromLatin1(caption), parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setIcon(platform::styleIcon(icon));
    b->setToolTip(QString::fromLatin1(tip));
    b->setAutoDefault(false);
    return b;
}

QString folderOf(const QString& path)
{
    const int p = int(std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\'))));
    return p < 0 ? QString() : p == 0 ? QStringLiteral("/") : path.left(p);
}

} // namespace

SetFavList1::SetFavList1(const QString& mainListFolder, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("SetFavList1"));
    setWindowTitle(QStringLiteral("Create List of Preset Favorites for Quick Location"));
    setModal(false);
    buildWindow();
    if (!gs.fAddCurrentPicture)
        PTxShList1->setFolderPath(mainListFolder);
    Form_Load();
}

SetFavList1::~SetFavList1()
{
    if (!m_unloaded)
        Form_Unload();
}

void SetFavList1::buildWindow()
{
    Frame1 = new QFrame(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    auto* sides = new QHBoxLayout(Frame1);
    sides->addWidget(buildPickSide(), 1);

    auto* middle = new QVBoxLayout;
    RightBtn = makeButton(Frame1, "RightBtn", "", QStyle::SP_ArrowRight, "Select Folder to List for Quick Location");
    LefttBtn = makeButton(Frame1, "LefttBtn", "", QStyle::SP_ArrowLeft, "Remove Folder from Quick Folder Location List");
    UpBtn = makeButton(Frame1, "UpBtn", "", QStyle::SP_ArrowUp, "Move Highlighted Folder Up one Position");
    DownBtn = makeButton(Frame1, "DownBtn", "", QStyle::SP_ArrowDown, "Move Highlighted Folder Down one Position");
    AllBtn = makeButton(Frame1, "AllBtn", "", QStyle::SP_MediaSeekForward,
                        "Move all Multimedia Files to Favorite List");
    ClearBtn = makeButton(Frame1, "ClearBtn", "", QStyle::SP_DialogResetButton,
                          "Clear all Selected Files From Favorite List");
    GoUpBtn = makeButton(Frame1, "GoUpBtn", "", QStyle::SP_FileDialogToParent, "Move up one Folder Level");
    middle->addStretch(1);
    for (QPushButton* b : {RightBtn, LefttBtn, UpBtn, DownBtn, AllBtn, ClearBtn, GoUpBtn})
        middle->addWidget(b);
    middle->addStretch(1);
    sides->addLayout(middle);
    sides->addWidget(buildListSide(), 1);

    OKBtn = makeButton(this, "OKBtn", "OK", QStyle::SP_DialogOkButton, "Click OK to Save all the Selected Favorite List");
    OKBtn->setDefault(true);
    CancelBtn = makeButton(this, "CancelBtn", "Cancel", QStyle::SP_DialogCancelButton,
                           "Click Cancel to Close the Create Favorites Window");
    HelpBtn = makeButton(this, "HelpBtn", "Help", QStyle::SP_DialogHelpButton,
                         "Help with the Favorite List Viewing Window Setup");
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(OKBtn);
    row->addWidget(CancelBtn);
    row->addWidget(HelpBtn);
    auto* outer = new QVBoxLayout(this);
    outer->addWidget(Frame1, 1);
    outer->addLayout(row);
    resize(820, 520);

    // The buttons beside the lists keep their own look.
    for (QPushButton* b : {RightBtn, LefttBtn, UpBtn, DownBtn, AllBtn, ClearBtn, GoUpBtn, NewBtn, DeleteBtn})
        b->setProperty(dialogcolors::kOwnColorsProperty, true);

    connect(CMBFILTER, &QComboBox::activated, this, [this](int) { CMBFILTER_Click(); });
    connect(List2, &QListWidget::currentRowChanged, this, [this](int) { List2_Click(); });
    connect(List1, &QListWidget::currentRowChanged, this, [this](int) { List1_Click(); });
    connect(List1, &FileDropList::filesDropped, this, &SetFavList1::List1_OLEDragDrop);
    connect(List1, &FileDropList::dragEntered, this, [this] { activateWindow(); });
    const std::pair<QPushButton*, void (SetFavList1::*)()> clicks[] = {
        {RightBtn, &SetFavList1::RightBtn_Click}, {LefttBtn, &SetFavList1::LefttBtn_Click},
        {UpBtn, &SetFavList1::UpBtn_Click},       {DownBtn, &SetFavList1::DownBtn_Click},
        {AllBtn, &SetFavList1::AllBtn_Click},     {ClearBtn, &SetFavList1::ClearBtn_Click},
        {GoUpBtn, &SetFavList1::GoUpBtn_Click},   {NewBtn, &SetFavList1::NewBtn_Click},
        {DeleteBtn, &SetFavList1::DeleteBtn_Click}, {OKBtn, &SetFavList1::OKBtn_Click},
        {CancelBtn, &SetFavList1::CancelBtn_Click}, {HelpBtn, &SetFavList1::HelpBtn_Click}};
    for (const auto& [button, handler] : clicks)
        connect(button, &QPushButton::clicked, this, handler);
}

QWidget* SetFavList1::buildPickSide()
{
    auto* side = new QWidget(Frame1);
    auto* lay = new QVBoxLayout(side);
    lay->setContentsMargins(0, 0, 0, 0);
    Label1[2] = new QLabel(QStringLiteral("Select Files for Current List"), side);
    PTxShList1 = new platform::ShellList(side);
    PTxShList1->setObjectName(QStringLiteral("PTxShList1"));
    PTxShList1->setViewStyle(2);
    CMBFILTER = new QComboBox(side);
    CMBFILTER->setObjectName(QStringLiteral("CMBFILTER"));
    CMBFILTER->setToolTip(QStringLiteral("Filter Files on Folder/File List"));
    lay->addWidget(Label1[2]);
    lay->addWidget(PTxShList1, 1);
    lay->addWidget(CMBFILTER);
    return side;
}

QWidget* SetFavList1::buildListSide()
{
    auto* side = new QWidget(Frame1);
    auto* lay = new QGridLayout(side);
    lay->setContentsMargins(0, 0, 0, 0);
    Label1[1] = new QLabel(QStringLiteral("Select Favorite List Names"), side);
    List2 = new QListWidget(side);
    List2->setObjectName(QStringLiteral("List2"));
    NewBtn = makeButton(side, "NewBtn", "", QStyle::SP_FileDialogNewFolder, "Create a New Favorite List");
    DeleteBtn = makeButton(side, "DeleteBtn", "", QStyle::SP_TrashIcon, "Delete Highlighted List");
    Label1[0] = new QLabel(QStringLiteral("List of Selected Files"), side);
    List1 = new FileDropList(side);
    List1->setObjectName(QStringLiteral("List1"));
    List1->setToolTip(QStringLiteral("Folders and Filter Selected"));
    lay->addWidget(Label1[1], 0, 0, 1, 2);
    lay->addWidget(List2, 1, 0, 2, 1);
    lay->addWidget(NewBtn, 1, 1);
    lay->addWidget(DeleteBtn, 2, 1, Qt::AlignTop);
    lay->addWidget(Label1[0], 3, 0, 1, 2);
    lay->addWidget(List1, 4, 0, 1, 2);
    lay->setRowStretch(4, 2);
    lay->setRowStretch(2, 1);
    for (int i = 0; i < 3; ++i)
        Label1[size_t(i)]->setObjectName(QStringLiteral("Label1_%1").arg(i));
    return side;
}

// ---------------------------------------------------------------- load, activation, unload

void SetFavList1::Form_Load()
{
    cAllMediaPattern = lists::allMediaPattern().trimmed();
    const QString folder = lists::favoriteListsFolder(gs.cProgramFolder);
    if (!QFileInfo(folder).isDir())
        QDir().mkpath(folder);
    fFavListChanged = false;
    {
        const QSignalBlocker block(List2);
        List2->addItems(lists::LoadFavoriteListNames(folder));
    }
    fFirstActivate = true;
    if (List2->count() > 0)
        selectListName(0);
    SetUpFavoriteFilters();
    gs.fSetFavListOpen = true;
}

void SetFavList1::SetUpFavoriteFilters()
{
    const auto& rows = lists::favoriteFilters();
    for (int i = 0; i < lists::kFavoriteFilterCount; ++i) {
        FavoriteFilterTable.names[size_t(i)] = QString::fromLatin1(rows[size_t(i)].name);
        FavoriteFilterTable.patterns[size_t(i)] = QString::fromLatin1(rows[size_t(i)].pattern).leftJustified(384);
    }
    {
        const QSignalBlocker block(CMBFILTER);
        CMBFILTER->clear();
        for (int i = 0; i < lists::kFavoriteFilterCount; ++i)
            CMBFILTER->addItem(FavoriteFilterTable.names[size_t(i)]);
        CMBFILTER->setCurrentIndex(lists::kAllMultiMediaRow);
    }
    CMBFILTER_Click();
}

void SetFavList1::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // The first activation runs once the window is up, also where the
    // platform reports no activation.
    QTimer::singleShot(0, this, [this] {
        if (fFirstActivate)
            Form_Activate();
    });
}

void SetFavList1::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        Form_Activate();
}

void SetFavList1::Form_Activate()
{
    if (m_activating)
        return;
    m_activating = true;
    using dialogcolors::Kind;
    dialogcolors::Paint window = dialogcolors::conventionPaint(Kind::Window);
    window.washEnd.reset();
    dialogcolors::Paint label = dialogcolors::conventionPaint(Kind::Label);
    label.back = gs.nSelectBackColor;
    QHash<const QWidget*, dialogcolors::Paint> paints = {{this, window}};
    for (QLabel* l : Label1)
        paints.insert(l, label);
    dialogcolors::applyDialogColors(this, paints);
    platform::setBackColor(PTxShList1, gs.nListBackColor);
    platform::setForeColor(PTxShList1, gs.nListForeColor);
    platform::setBold(PTxShList1, gs.fBoldFonts);
    if (fFirstActivate) {
        fFirstActivate = false;
        if (PTxShList1->Count() > 0)
            PTxShList1->selectIndex(0);
        if (List2->count() == 0)
            NewBtn_Click();
    }
    if (gs.fAddCurrentPicture)
        locateCurrentPicture();
    m_activating = false;
}

void SetFavList1::locateCurrentPicture()
{
    const QString picture = gs.cCurrentPicture;
    const QString folder = folderOf(picture);
    if (!folder.isEmpty() && PTxShList1->setFolderPath(folder)) {
        for (int i = 0; i <= 1000 && i < PTxShList1->Count(); ++i) {
            if (PTxShList1->ItemAt(i)->Path().compare(picture, Qt::CaseInsensitive) == 0) {
                PTxShList1->selectIndex(i);
                break;
            }
        }
    }
    gs.fAddCurrentPicture = false;
}

void SetFavList1::done(int result)
{
    if (!m_unloaded)
        Form_Unload();
    QDialog::done(result);
}

void SetFavList1::closeEvent(QCloseEvent* event)
{
    if (!m_unloaded)
        Form_Unload();
    QDialog::closeEvent(event);
}

void SetFavList1::Form_Unload()
{
    m_unloaded = true;
    gs.fAddCurrentPicture = false;
    gs.fSetFavListOpen = false;
}

// ---------------------------------------------------------------- lists

QStringList SetFavList1::entries() const
{
    QStringList out;
    for (int i = 0; i < List1->count(); ++i)
        out << List1->item(i)->text();
    return out;
}

void SetFavList1::CMBFILTER_Click()
{
    const int row = CMBFILTER->currentIndex();
    if (row >= 0 && row < lists::kFavoriteFilterCount)
        PTxShList1->setFilter(FavoriteFilterTable.patterns[size_t(row)].trimmed());
}

void SetFavList1::saveChangedList()
{
    if (fFavListChanged && !cFavListPath.isEmpty() && lists::SaveFavoriteList(cFavListPath, entries()))
        fFavListChanged = false;
}

void SetFavList1::selectListName(int row)
{
    {
        const QSignalBlocker block(List2);
        List2->setCurrentRow(row);
    }
    List2_Click();
}

void SetFavList1::List2_Click()
{
    const QListWidgetItem* item = List2->currentItem();
    if (List2->count() == 0 || !item)
        return;
    saveChangedList();
    const QString name = item->text();
    if (lists::isRefusedFavoriteListName(name)) {
        cFavListPath.clear();
        return;
    }
    cFavListPath = QDir(lists::favoriteListsFolder(gs.cProgramFolder)).filePath(name);
    if (const auto read = lists::LoadFavoriteList(cFavListPath)) {
        const QSignalBlocker block(List1);
        List1->clear();
        List1->addItems(*read);
        fFavListChanged = false;
        m_emptiedByUser = false;
    }
}

int SetFavList1::rowOfListName(const QString& name) const
{
    for (int i = 0; i < List2->count(); ++i)
        if (List2->item(i)->text().compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

bool SetFavList1::currentListHasFile() const
{
    return !cFavListPath.isEmpty() && QFileInfo(lists::favoriteListFile(cFavListPath)).isFile();
}

void SetFavList1::NewBtn_Click()
{
    {
        SetFavNew1 dialog(this);
        dialog.exec();
    }
    if (fFavListCancel || cNewFavListName.trimmed().isEmpty())
        return;
    saveChangedList();
    // A name the editor already lists, in any letter case, opens that list
    // with its entries.
    if (const int row = rowOfListName(cNewFavListName); row >= 0) {
        selectListName(row);
        if (currentListHasFile())
            return;
    } else {
        {
            const QSignalBlocker block(List2);
            List2->addItem(cNewFavListName);
        }
        selectListName(List2->count() - 1);
        // A list file of that name made meanwhile is opened the same way.
        if (currentListHasFile())
            return;
    }
    List1->clear();
    fFavListChanged = true;
    m_emptiedByUser = false;
}

void SetFavList1::DeleteBtn_Click()
{
    const int row = List2->currentRow();
    if (List2->count() == 0 || row < 0)
        return;
    const QString name = List2->item(row)->text();
    if (MsgBox(QStringLiteral("Are you sure you want to Delete - ") + name, platform::Buttons::YesNo) !=
        platform::Answer::Yes)
        return;
    if (!lists::isRefusedFavoriteListName(name)) {
        const QString path = QDir(lists::favoriteListsFolder(gs.cProgramFolder)).filePath(name);
        const QString file = lists::favoriteListFile(path);
        if (!cFavListPath.isEmpty() && lists::favoriteListFile(cFavListPath) == file) {
            // The deleted list is never written again.
            cFavListPath.clear();
            fFavListChanged = false;
            List1->clear();
        }
        lists::DeleteFavoriteList(path);
    }
    {
        const QSignalBlocker block(List2);
        delete List2->takeItem(row);
        List2->setCurrentRow(-1);
    }
    if (List2->count() == 1)
        selectListName(0);
}

// ---------------------------------------------------------------- entries

void SetFavList1::selectEntry(int row)
{
    List1->setCurrentRow(row);
    List1_Click();
}

void SetFavList1::List1_Click()
{
    if (const QListWidgetItem* item = List1->currentItem())
        List1->setToolTip(item->text());
}

void SetFavList1::RightBtn_Click()
{
    const platform::ShellListItem* item = PTxShList1->SelectedItem();
    if (!item || item->Path().trimmed().isEmpty())
        return;
    const QString path = item->Path();
    const int index = item->Index();
    if (!lists::IsSupportedFile(path)) {
        MsgBox(QStringLiteral("You must select a supported Picture or Multimedia File"));
        return;
    }
    if (!lists::acceptListEntry(path))
        return;
    List1->addItem(path);
    if (index + 1 < PTxShList1->Count())
        PTxShList1->selectIndex(index + 1);
    selectEntry(List1->count() - 1);
    setChanged();
}

void SetFavList1::AllBtn_Click()
{
    const QString folder = PTxShList1->FolderPath();
    if (folder.isEmpty())
        return;
    const QString separator = folder.endsWith(QLatin1Char('/')) ? QString() : QStringLiteral("/");
    const QString filter = PTxShList1->Filter().trimmed();
    const QString pattern = !filter.isEmpty() && filter.size() < 256 ? filter : cAllMediaPattern;
    for (const QString& name : platform::listFiles(folder, pattern)) {
        const QString path = folder + separator + name;
        if (lists::IsSupportedFile(path) && lists::acceptListEntry(path))
            List1->addItem(path);
    }
    setChanged();
}

void SetFavList1::List1_OLEDragDrop(const QStringList& paths)
{
    for (const QString& path : lists::acceptListEntries(paths)) {
        if (GetFileExt(path).trimmed().isEmpty()) {
            // A folder: its files under the filter in force.
            if (!PTxShList1->setFolderPath(path))
                return;
            AllBtn_Click();
        } else {
            List1->addItem(path);
        }
        setChanged();
    }
    if (List1->count() > 0)
        selectEntry(0);
}

void SetFavList1::LefttBtn_Click()
{
    setChanged();
    const int i = List1->currentRow();
    if (i < 0)
        return;
    delete List1->takeItem(i);
    m_emptiedByUser = List1->count() == 0;
    if (List1->count() == 0)
        return;
    selectEntry(i == 0 ? 0 : i - 1);
}

void SetFavList1::UpBtn_Click()
{
    const int i = List1->currentRow();
    if (i < 1)
        return;
    List1->insertItem(i - 1, List1->takeItem(i));
    selectEntry(i - 1);
    setChanged();
}

void SetFavList1::DownBtn_Click()
{
    const int i = List1->currentRow();
    if (i < 0 || i >= List1->count() - 1)
        return;
    List1->insertItem(i + 1, List1->takeItem(i));
    selectEntry(i + 1);
    setChanged();
}

void SetFavList1::ClearBtn_Click()
{
    List1->clear();
    m_emptiedByUser = true;
    setChanged();
}

void SetFavList1::GoUpBtn_Click() { PTxShList1->GoUp(1); }

// ---------------------------------------------------------------- OK, Cancel, Help

void SetFavList1::OKBtn_Click()
{
    // A list with entries is written. An empty one only when the user
    // emptied it, or when the list has no file yet: an empty box never
    // overwrites the entries of a list it did not read.
    if (List1->count() > 0 || m_emptiedByUser || !currentListHasFile()) {
        if (List1->count() > 0)
            setChanged();
        saveChangedList();
    }
    close();
}

void SetFavList1::CancelBtn_Click() { close(); }

void SetFavList1::HelpBtn_Click() { help::SendF1(this); }
