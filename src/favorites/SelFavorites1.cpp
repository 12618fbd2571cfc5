#include "favorites/SelFavorites1.h"

#include "lists/FavoriteLists.h"
#include "platform/imaging/Lead.h"
#include "platform/controls/StyleIcons.h"
#include "shared/DialogColors.h"
#include "shared/FileTypes.h"
#include "shared/ImageErrors.h"
#include "shared/MessageBox.h"
#include "shared/SharedState.h"
#include "shared/Tables.h"
#include "shell/HelpWindow.h"

#include <QApplication>
#include <QDir>
#include <QDrag>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyle>
#include <QTime>
#include <QVBoxLayout>

// ---------------------------------------------------------------- list box

void DragArmList::mousePressEvent(QMouseEvent* event)
{
    QListWidget::mousePressEvent(event);
    emit mouseDown(event->button());
}

void DragArmList::mouseMoveEvent(QMouseEvent* event)
{
    QListWidget::mouseMoveEvent(event);
    emit mouseMoved();
}

void DragArmList::mouseReleaseEvent(QMouseEvent* event)
{
    QListWidget::mouseReleaseEvent(event);
    emit mouseUp();
}

void DragArmList::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        // Esc ends a drag; it does not close the window from a list.
        emit keyPressed(27);
        event->accept();
        return;
    }
    QListWidget::keyPressEvent(event);
}

// ---------------------------------------------------------------- window

namespace {

constexpr double kDragHoldSeconds = 0.35;

double secondsSinceMidnight() { return QTime::currentTime().msecsSinceStartOfDay() / 1000.0; }

QPushButton* makeButton(QWidget* parent, const char* name, const char* caption, QStyle::StandardPixmap icon)
{
    auto* b = new QPushButton(platform::styleIcon(icon), QString::fromLatin1(caption), parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
}

} // namespace

SelFavorites1::SelFavorites1(Hooks hooks, QWidget* parent) : QDialog(parent), m_hooks(std::move(hooks))
{
    setObjectName(QStringLiteral("SelFavorites1"));
    setWindowTitle(QStringLiteral("Select Favorite List"));
    setModal(false);
    clock = secondsSinceMidnight;
    beginDrag = [this](QListWidget* list) {
        // The drag shows the list's icon and carries nothing anyone takes.
        m_dragging = list;
        auto* drag = new QDrag(list);
        auto* data = new QMimeData;
        data->setData(QStringLiteral("application/x-lumivex-favorite-entry"), QByteArray());
        drag->setMimeData(data);
        drag->setPixmap(platform::styleIcon(QStyle::SP_FileLinkIcon).pixmap(32, 32));
        drag->exec(Qt::MoveAction);
        m_dragging = nullptr;
    };

    Frame1 = new QFrame(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->installEventFilter(this);
    auto* grid = new QGridLayout(Frame1);
    List2 = new DragArmList(Frame1);
    List2->setObjectName(QStringLiteral("List2"));
    List1 = new DragArmList(Frame1);
    List1->setObjectName(QStringLiteral("List1"));
    Image1 = new platform::Lead(Frame1);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setMinimumSize(200, 150);
    Image1->hide();
    Label1 = new QLabel(QStringLiteral("Label1"), Frame1);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setWordWrap(true);
    grid->addWidget(List2, 0, 0);
    grid->addWidget(List1, 0, 1);
    grid->addWidget(Image1, 0, 2);
    grid->addWidget(Label1, 1, 0, 1, 3);
    grid->setColumnStretch(1, 2);
    grid->setColumnStretch(2, 2);

    OKBtn = makeButton(this, "OKBtn", "OK", QStyle::SP_DialogOkButton);
    OKBtn->setDefault(true);
    CancelBtn = makeButton(this, "CancelBtn", "Cancel", QStyle::SP_DialogCancelButton);
    HelpBtn = makeButton(this, "HelpBtn", "Help", QStyle::SP_DialogHelpButton);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(OKBtn);
    row->addWidget(CancelBtn);
    row->addWidget(HelpBtn);
    auto* outer = new QVBoxLayout(this);
    outer->addWidget(Frame1, 1);
    outer->addLayout(row);
    resize(760, 420);

    connectList(List1);
    connectList(List2);
    connect(List2, &QListWidget::currentRowChanged, this, [this](int) { List2_Click(); });
    connect(List1, &QListWidget::currentRowChanged, this, [this](int) { List1_Click(); });
    connect(List1, &QListWidget::itemDoubleClicked, this, [this] { List1_DblClick(); });
    connect(List2, &QListWidget::itemDoubleClicked, this, [this] { List2_DblClick(); });
    connect(Image1, &platform::Lead::DblClick, this, &SelFavorites1::Image1_DblClick);
    // A picture ImageMagick reads is decoded after it opened: one that fails then fails as at its opening.
    connect(Image1, &platform::Lead::PictureFailed, this, &SelFavorites1::previewFailed);
    connect(OKBtn, &QPushButton::clicked, this, &SelFavorites1::OKBtn_Click);
    connect(CancelBtn, &QPushButton::clicked, this, &SelFavorites1::CancelBtn_Click);
    connect(HelpBtn, &QPushButton::clicked, this, &SelFavorites1::HelpBtn_Click);
    Form_Load();
}

SelFavorites1::~SelFavorites1()
{
    if (!m_unloaded)
        Form_Unload();
}

void SelFavorites1::connectList(DragArmList* list)
{
    connect(list, &DragArmList::mouseDown, this, [this, list](Qt::MouseButton b) { List_MouseDown(list, b); });
    connect(list, &DragArmList::mouseMoved, this, [this, list] { List_MouseMove(list); });
    connect(list, &DragArmList::mouseUp, this, [this, list] { List_MouseUp(list); });
    connect(list, &DragArmList::keyPressed, this, [this, list](int key) { List_KeyPress(list, key); });
}

// ---------------------------------------------------------------- load, activation, unload

void SelFavorites1::Form_Load()
{
    fFormLoading = true;
    fFileDragArmed = false;
    fListDragArmed = false;
    {
        const QSignalBlocker block(List2);
        List2->addItems(lists::LoadFavoriteListNames(lists::favoriteListsFolder(gs.cProgramFolder)));
        if (List2->count() > 0)
            List2->setCurrentRow(0);
    }
    if (List2->count() > 0)
        List2_Click();
    nFileDownTime = clock();
    nListDownTime = nFileDownTime;
    gs.fSelFavoritesOpen = true;
}

void SelFavorites1::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    Form_Activate();
}

void SelFavorites1::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        Form_Activate();
}

void SelFavorites1::Form_Activate()
{
    using dialogcolors::Kind;
    dialogcolors::Paint window = dialogcolors::conventionPaint(Kind::Window);
    window.washEnd.reset();
    dialogcolors::Paint label = dialogcolors::conventionPaint(Kind::Label);
    label.back = gs.nSelectBackColor;
    label.bold = false;
    label.textEffect = 0;
    dialogcolors::applyDialogColors(this, {{this, window}, {Label1, label}});
    fFormLoading = false;
}

void SelFavorites1::done(int result)
{
    if (!m_unloaded)
        Form_Unload();
    QDialog::done(result);
}

void SelFavorites1::closeEvent(QCloseEvent* event)
{
    if (!m_unloaded)
        Form_Unload();
    QDialog::closeEvent(event);
}

void SelFavorites1::Form_Unload()
{
    m_unloaded = true;
    gs.fSelFavoritesOpen = false;
}

// ---------------------------------------------------------------- choices

void SelFavorites1::List2_Click()
{
    const QListWidgetItem* item = List2->currentItem();
    if (List2->count() == 0 || !item)
        return;
    if (!lists::isRefusedFavoriteListName(item->text())) {
        cSelListPath = QDir(lists::favoriteListsFolder(gs.cProgramFolder)).filePath(item->text());
        // A list whose file went leaves the entries chosen before on show.
        if (const auto read = lists::LoadFavoriteList(cSelListPath)) {
            const QSignalBlocker block(List1);
            List1->clear();
            List1->addItems(*read);
        }
        {
            const QSignalBlocker block(List1);
            if (List1->count() > 0)
                List1->setCurrentRow(0);
        }
        List1_Click();
    }
    cancelDrag(List2);
    fListDragArmed = false;
}

void SelFavorites1::List1_Click()
{
    Image1->hide();
    const QListWidgetItem* item = List1->currentItem();
    if (List1->count() == 0 || !item)
        return;
    cancelDrag(List1);
    fFileDragArmed = false;
    const QString entry = item->text();
    if (tables::extensionInRange(GetFileExt(entry), tables::kFirstPicture, tables::kLastPicture))
        PreviewPicture(entry);
    List1->setToolTip(entry);
    Label1->setText(entry);
}

void SelFavorites1::PreviewPicture(const QString& path)
{
    setCursor(Qt::WaitCursor);
    const int r = Image1->Load(path, 0, 1, 1);
    if (r == 0) {
        Image1->setPaintSizeMode(1);
        Image1->show();
    } else {
        previewFailed(r);
    }
    unsetCursor();
}

// The picture cannot be shown, when it is opened or when its decode fails
// afterwards: why is told, but for a missing file or one that is no picture.
void SelFavorites1::previewFailed(int error)
{
    if (error != 53 && error != 20009 && error != 20010)
        MsgBox(QStringLiteral("Error - ") + QString::number(error) + QStringLiteral(" - ") +
               GetImageErrorText(short(error)));
}

void SelFavorites1::List1_DblClick()
{
    cancelDrag(List1);
    fFileDragArmed = false;
    Image1_DblClick();
}

void SelFavorites1::Image1_DblClick()
{
    const QListWidgetItem* item = List1->currentItem();
    if (List1->count() > 0 && item && m_hooks.displayFile)
        m_hooks.displayFile(item->text());
}

void SelFavorites1::List2_DblClick()
{
    cancelDrag(List2);
    fListDragArmed = false;
}

void SelFavorites1::OKBtn_Click()
{
    const QListWidgetItem* item = List1->currentItem();
    if (List1->count() == 0 || !item)
        return;
    const QString entry = item->text();
    const int p = int(std::max(entry.lastIndexOf(QLatin1Char('/')), entry.lastIndexOf(QLatin1Char('\\'))));
    if (p < 0)
        return;
    if (m_hooks.showFolder)
        m_hooks.showFolder(p == 0 ? QStringLiteral("/") : entry.left(p));
    close();
}

void SelFavorites1::CancelBtn_Click() { close(); }

void SelFavorites1::HelpBtn_Click() { help::SendF1(this); }

// ---------------------------------------------------------------- dragging an entry

void SelFavorites1::cancelDrag(QListWidget* list)
{
    if (m_dragging && m_dragging == list)
        QDrag::cancel();
}

void SelFavorites1::List_MouseDown(QListWidget* list, Qt::MouseButton button)
{
    if (fFormLoading)
        return;
    if (button == Qt::RightButton) {
        armedFlag(list) = false;
        cancelDrag(list);
        return;
    }
    armedFlag(list) = true;
    downTime(list) = clock();
}

void SelFavorites1::List_MouseMove(QListWidget* list)
{
    if (fFormLoading || !armedFlag(list))
        return;
    if (clock() - downTime(list) > kDragHoldSeconds) {
        armedFlag(list) = false;
        if (beginDrag)
            beginDrag(list);
    }
}

void SelFavorites1::List_MouseUp(QListWidget* list)
{
    if (fFormLoading)
        return;
    downTime(list) = clock();
    cancelDrag(list);
    armedFlag(list) = false;
}

void SelFavorites1::List_KeyPress(QListWidget* list, int keyAscii)
{
    if (keyAscii == 27 && armedFlag(list)) {
        armedFlag(list) = false;
        cancelDrag(list);
    }
}

void SelFavorites1::Frame1_MouseDown(Qt::MouseButton button)
{
    if (button != Qt::RightButton)
        return;
    fFileDragArmed = false;
    fListDragArmed = false;
    cancelDrag(List1);
    cancelDrag(List2);
}

bool SelFavorites1::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Frame1 && event->type() == QEvent::MouseButtonPress)
        Frame1_MouseDown(static_cast<QMouseEvent*>(event)->button());
    return QDialog::eventFilter(watched, event);
}
