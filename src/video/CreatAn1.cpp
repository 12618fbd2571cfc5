#include "video/CreatAn1.h"

#include "platform/controls/Dialogs.h"
#include "platform/core/ErrorNumbers.h"
#include "platform/pictures/ImagingCodes.h"
#include "platform/imaging/Lead.h"
#include "platform/imaging/LeadDlg.h"
#include "platform/controls/StyleIcons.h"
#include "shared/DialogColors.h"
#include "shared/FileTypes.h"
#include "shared/ImageErrors.h"
#include "shared/MessageBox.h"
#include "shared/SharedState.h"
#include "shell/HelpWindow.h"
#include "video/AviWriter.h"
#include "video/VideoText.h"

#include <QCloseEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>
#include <limits>
#include <optional>

namespace {

const QString kReplacePrompt = QStringLiteral("Do you want to Replace the Picture - ");
const QString kCreated = QStringLiteral("File Created - ");

// The local files of a drop, in the order of the drop data.
QStringList droppedFiles(const QMimeData* data)
{
    QStringList paths;
    if (data)
        for (const QUrl& url : data->urls())
            if (url.isLocalFile())
                paths << url.toLocalFile();
    return paths;
}

} // namespace

CreatAn1::CreatAn1(CreatAnLinks links, QWidget* parent)
    : QWidget(parent, Qt::Window), m_links(std::move(links)), LEADDlg1(new platform::LeadDlg)
{
    setObjectName(QStringLiteral("CreatAn1"));
    setWindowTitle(QStringLiteral("Create Animation or Video File"));
    setAttribute(Qt::WA_DeleteOnClose);
    setProperty("lumivexToolWindow", true);
    buildWindow();
    Form_Load();
}

CreatAn1::~CreatAn1()
{
    m_cancel = true;
    if (m_worker.joinable())
        m_worker.join();
    Form_Unload();
    delete LEADDlg1;
}

QPushButton* CreatAn1::makePictureButton(const char* name, int icon, const QString& tip)
{
    auto* b = new QPushButton(Frame1);
    b->setObjectName(QString::fromLatin1(name));
    b->setIcon(platform::styleIcon(QStyle::StandardPixmap(icon)));
    b->setToolTip(tip);
    b->setAccessibleName(tip);
    b->setAutoDefault(false);
    return b;
}

// The frame: the picture list, its tool buttons, the preview and the entries.
void CreatAn1::buildFrame()
{
    Frame1 = new QFrame(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    List1 = new QListWidget(Frame1);
    List1->setObjectName(QStringLiteral("List1"));
    List1->setMinimumWidth(260);
    List1->viewport()->setAcceptDrops(true);
    List1->viewport()->installEventFilter(this);
    Image1 = new platform::Lead(Frame1);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setMinimumSize(320, 240);
    Image1->setPaintSizeMode(1); // the whole picture, stretched to the preview
    QSizePolicy keep = Image1->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    Image1->setSizePolicy(keep);
    Image1->hide();
    Image2 = new platform::Lead(this);
    Image2->setObjectName(QStringLiteral("Image2"));
    Image2->hide();

    OpenBtn = makePictureButton("OpenBtn", QStyle::SP_DialogOpenButton, QStringLiteral("Open Picture File to Add to List"));
    UpBtn = makePictureButton("UpBtn", QStyle::SP_ArrowUp,
                              QStringLiteral("Move Highlighted Picture or Multimedia File Location up one position"));
    DownBtn = makePictureButton("DownBtn", QStyle::SP_ArrowDown,
                                QStringLiteral("Move Highlighted Picture or Multimedia File Location down one position"));
    DeleteBtn = makePictureButton(
        "DeleteBtn", QStyle::SP_TrashIcon,
        QStringLiteral("Delete Highlighted URL or Internet Location for Picture or Multimedia File"));
    SaveAVIBtn = makePictureButton("SaveAVIBtn", QStyle::SP_DialogSaveButton, QStringLiteral("Save"));
    SaveAVIBtn->setToolTip(QString());

    Label1 = new QLabel(QStringLiteral("File Name: "), Frame1);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label2 = new QLabel(QStringLiteral("Frames/Image:"), Frame1);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label3 = new QLabel(QStringLiteral("Enter Delay in Seconds:"), Frame1);
    Label3->setObjectName(QStringLiteral("Label3"));
    Text1 = new QLineEdit(Frame1);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setToolTip(QStringLiteral("Enter Number of Frames per Picture"));
    Text2 = new QLineEdit(QStringLiteral("10"), Frame1);
    Text2->setObjectName(QStringLiteral("Text2"));
    Text2->setToolTip(QStringLiteral("Enter Number of seconds delay between showing Pictures"));

    auto* tools = new QVBoxLayout;
    for (QPushButton* b : {OpenBtn, UpBtn, DownBtn, DeleteBtn, SaveAVIBtn})
        tools->addWidget(b);
    tools->addStretch(1);
    auto* grid = new QGridLayout(Frame1);
    grid->addWidget(List1, 0, 0);
    grid->addLayout(tools, 0, 1);
    grid->addWidget(Image1, 0, 2);
    grid->setColumnStretch(2, 1);
    auto* entries = new QHBoxLayout;
    entries->addWidget(Label2);
    entries->addWidget(Text1);
    entries->addSpacing(12);
    entries->addWidget(Label3);
    entries->addWidget(Text2);
    entries->addStretch(1);
    grid->addLayout(entries, 1, 0, 1, 3);
    grid->addWidget(Label1, 2, 0, 1, 3);
}

void CreatAn1::buildWindow()
{
    buildFrame();
    const auto button = [this](const char* name, const char* caption, const char* tip) {
        auto* b = new QPushButton(QString::fromLatin1(caption), this);
        b->setObjectName(QString::fromLatin1(name));
        b->setToolTip(QString::fromLatin1(tip));
        b->setAutoDefault(false);
        return b;
    };
    OKBtn = button("OKBtn", "OK", "Run the Animation");
    CancelBtn = button("CancelBtn", "Cancel", "Close Create Animation Window");
    HelpBtn = button("HelpBtn", "Help", "Help with Create Animation Window");
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(OKBtn);
    row->addWidget(CancelBtn);
    row->addWidget(HelpBtn);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Frame1, 1);
    layout->addLayout(row);

    connect(OKBtn, &QPushButton::clicked, this, &CreatAn1::OKBtn_Click);
    connect(CancelBtn, &QPushButton::clicked, this, &CreatAn1::CancelBtn_Click);
    connect(HelpBtn, &QPushButton::clicked, this, &CreatAn1::HelpBtn_Click);
    connect(OpenBtn, &QPushButton::clicked, this, &CreatAn1::OpenBtn_Click);
    connect(UpBtn, &QPushButton::clicked, this, &CreatAn1::UpBtn_Click);
    connect(DownBtn, &QPushButton::clicked, this, &CreatAn1::DownBtn_Click);
    connect(DeleteBtn, &QPushButton::clicked, this, &CreatAn1::DeleteBtn_Click);
    connect(SaveAVIBtn, &QPushButton::clicked, this, &CreatAn1::SaveAVIBtn_Click);
    connect(List1, &QListWidget::itemDoubleClicked, this, [this] { List1_DblClick(); });
    connect(Image1, &platform::Lead::DblClick, this, &CreatAn1::Image1_DblClick);
}

// ---------------------------------------------------------------- load, colours, unload

void CreatAn1::Form_Load()
{
    List1->clear();
    Image1->ClearBitmap();
    Text1->setText(QStringLiteral("8"));
    const std::optional<int> count = videotext::toInt16(videotext::numericValue(Text1->text()));
    bool copied = false;
    for (const QString& path : m_links.viewedPictures) {
        List1->addItem(path);
        // A picture that cannot be read leaves out only its own frames.
        if (count && Image2->Load(path, 0, gs.nPicturePage, 1) == 0) {
            appendPreviewFrames(*count, 0); // no delay here: OK sets one
            copied = copied || *count > 0;
        }
    }
    if (copied)
        startPreview();
    SetUpFilterTables();
    gs.fCreatAnOpen = true;
}

void CreatAn1::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    Form_Activate();
}

void CreatAn1::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        Form_Activate();
}

void CreatAn1::Form_Activate()
{
    using dialogcolors::Paint;
    const bool bold = gs.fBoldFonts;
    QHash<const QWidget*, Paint> paints;
    paints.insert(this, Paint{gs.nSelectBackColor, std::nullopt, gs.nSelectForeColor, false, 0});
    paints.insert(Label1, Paint{gs.nSelectBackColor, gs.nSelectWashEnd, gs.nSelectForeColor, false, 0});
    for (QWidget* l : {Label2, Label3})
        paints.insert(l, Paint{std::nullopt, std::nullopt, gs.nSelectForeColor, false, 0});
    for (QWidget* t : {Text1, Text2})
        paints.insert(t, Paint{gs.nEntryBackColor, std::nullopt, gs.nEntryForeColor, false, 0});
    for (QWidget* b : {OpenBtn, UpBtn, DownBtn, DeleteBtn, SaveAVIBtn})
        paints.insert(b, Paint{gs.nButtonBackColor, gs.nButtonWashEnd, gs.nButtonForeColor, false, 0});
    for (QWidget* b : {OKBtn, CancelBtn, HelpBtn})
        paints.insert(b, Paint{gs.nButtonBackColor, gs.nButtonWashEnd, gs.nButtonForeColor, bold, gs.nLabelStyle});
    dialogcolors::applyDialogColors(this, paints);
}

void CreatAn1::Form_Unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    gs.fCreatAnOpen = false;
    BusyGuard busy;
    if (m_links.releaseTool)
        m_links.releaseTool();
}

void CreatAn1::closeEvent(QCloseEvent* event)
{
    if (m_writing) {
        // The video is stopped first; the window closes once the worker has unwound.
        m_closeAfterWriting = true;
        m_cancel = true;
        event->ignore();
        return;
    }
    Form_Unload();
    QWidget::closeEvent(event);
}

void CreatAn1::CancelBtn_Click() { close(); }
void CreatAn1::HelpBtn_Click() { help::SendF1(this); }

// ---------------------------------------------------------------- preview

void CreatAn1::appendPreviewFrames(int count, int delayMs)
{
    const QImage picture = Image2->Bitmap();
    for (int i = 0; i < count; ++i)
        Image1->InsertBitmapListItem(-1, picture, delayMs); // shares the pixels
}

void CreatAn1::startPreview()
{
    Image1->show();
    Image1->setAnimationEnable(true);
    Image1->setAnimationMode(false);
}

void CreatAn1::OKBtn_Click()
{
    Image1->setAnimationLoop(false);
    Image1->setAnimationEnable(false);
    Image1->ClearBitmap(); // every preview is built from empty
    const std::optional<int> count = videotext::toInt16(videotext::numericValue(Text1->text()));
    setCursor(Qt::WaitCursor);
    const double delay = videotext::numericValue(Text2->text()) * 1000;
    const int delayMs = int(std::clamp(delay, 0.0, double(std::numeric_limits<int>::max())));
    for (int i = 0; i < List1->count(); ++i) {
        const QString path = List1->item(i)->text();
        if (!tables::extensionInRange(GetFileExt(path), tables::kFirstPicture, tables::kLastPicture))
            continue;
        if (Image2->Load(path, 0, 1, 1) != 0)
            continue;
        if (count)
            appendPreviewFrames(*count, delayMs);
    }
    if (List1->count() >= 1)
        startPreview();
    unsetCursor();
}

void CreatAn1::Image1_DblClick() { Image1->setPaintSizeMode(Image1->PaintSizeMode() == 0 ? 1 : 0); }

void CreatAn1::List1_DblClick()
{
    const int i = List1->currentRow();
    if (List1->count() == 0 || i < 0 || !List1->item(i)->isSelected())
        return;
    Image1->show();
    Image1->Load(List1->item(i)->text(), 0, gs.nPicturePage, 1);
}

// ---------------------------------------------------------------- the list

void CreatAn1::SetUpFilterTables()
{
    const auto& names = tables::filterNames();
    const auto& patterns = tables::filterPatterns();
    for (int row = 0; row < tables::kFilterSlots; ++row) {
        const bool used = row < tables::kFilterCount;
        QString pattern = used ? QString::fromLatin1(patterns[row]) : QString();
        if (row == 28)
            pattern.remove(QStringLiteral(";*.VOB")); // the builder takes no DVD files
        AnimationFilterTable.names[row] = used ? QString::fromLatin1(names[row]) : QString();
        AnimationFilterTable.patterns[row] = pattern.leftJustified(tables::kPatternWidth, QLatin1Char(' '), true);
    }
}

QString CreatAn1::openDialogFilter() const
{
    QStringList parts;
    for (int row = 0; row <= tables::kAllPictureFilesRow; ++row)
        parts << AnimationFilterTable.names[row] << AnimationFilterTable.patterns[row].trimmed();
    return parts.join(QLatin1Char('|'));
}

void CreatAn1::OpenBtn_Click() { AddPictureToList(); }

void CreatAn1::AddPictureToList()
{
    LEADDlg1->Filter = openDialogFilter();
    if (LEADDlg1->InitialDir.trimmed().isEmpty() && m_links.browserFolder)
        LEADDlg1->InitialDir = m_links.browserFolder();
    LEADDlg1->FileDialogFlags = 4096;
    LEADDlg1->DialogTitle = QStringLiteral("Open Image or Picture Files");
    gs.nPicturePage = 1;
    LEADDlg1->Flags = 228;
    LEADDlg1->ShowOpenDlg(this);
    if (LEADDlg1->FileName.trimmed().isEmpty())
        return;
    gs.nPicturePage = LEADDlg1->PageNumber;
    LEADDlg1->InitialDir = LEADDlg1->FileName;
    List1->addItem(LEADDlg1->FileName);
}

namespace {
// The selected entry, -1 when none is.
int selectedIndex(const QListWidget* list)
{
    const int i = list->currentRow();
    return i >= 0 && list->item(i) && list->item(i)->isSelected() ? i : -1;
}

void swapEntries(QListWidget* list, int a, int b)
{
    const QString text = list->item(a)->text();
    list->item(a)->setText(list->item(b)->text());
    list->item(b)->setText(text);
    list->setCurrentRow(b);
}
} // namespace

void CreatAn1::UpBtn_Click()
{
    const int i = selectedIndex(List1);
    if (i > 0)
        swapEntries(List1, i, i - 1);
}

void CreatAn1::DownBtn_Click()
{
    const int i = selectedIndex(List1);
    if (i >= 0 && i < List1->count() - 1)
        swapEntries(List1, i, i + 1);
}

void CreatAn1::DeleteBtn_Click()
{
    const int i = selectedIndex(List1);
    if (List1->count() == 0 || i < 0)
        return;
    delete List1->takeItem(i);
    if (i > 0) {
        List1->setCurrentRow(i - 1);
    } else {
        List1->setCurrentRow(-1);
        List1->clearSelection();
    }
}

void CreatAn1::List1_OLEDragDrop(const QStringList& paths) { List1->addItems(paths); }
void CreatAn1::List1_OLEDragOver() { List1->setFocus(); }

bool CreatAn1::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != List1->viewport())
        return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* e = static_cast<QDropEvent*>(event);
        if (droppedFiles(e->mimeData()).isEmpty())
            return false;
        e->acceptProposedAction();
        List1_OLEDragOver();
        return true;
    }
    case QEvent::Drop: {
        auto* e = static_cast<QDropEvent*>(event);
        const QStringList paths = droppedFiles(e->mimeData());
        if (paths.isEmpty())
            return false;
        e->acceptProposedAction();
        List1_OLEDragDrop(paths);
        return true;
    }
    default: return QWidget::eventFilter(watched, event);
    }
}

// ---------------------------------------------------------------- saving

void CreatAn1::SaveAVIBtn_Click()
{
    if (List1->count() == 0 || m_writing)
        return;
    platform::FileRequest request;
    request.title = QStringLiteral("Save MultiMedia File");
    request.filter = QStringLiteral("Tiff File|*.Tiff|AVI File|*.Avi");
    const platform::FileAnswer answer = platform::dialogs().saveFile(request);
    QString name = answer.accepted ? answer.fileName : QString();
    if (name.trimmed().isEmpty())
        return;
    if (QFileInfo(name).suffix().isEmpty())
        name += QStringLiteral(".AVI"); // the dialog's default extension
    Label1->setText(name);
    const QString ext = GetFileExt(name);
    if (QFileInfo(name).isFile() &&
        MsgBox(kReplacePrompt + name + QStringLiteral(" ? "), platform::Buttons::YesNo) != platform::Answer::Yes)
        return;
    if (ext == QLatin1String("TIFF"))
        saveTiff(name);
    else if (ext == QLatin1String("AVI"))
        WriteVideoFile(name);
}

void CreatAn1::saveTiff(const QString& path)
{
    setCursor(Qt::WaitCursor);
    // Every frame, from the first, whatever frame the preview shows.
    Image1->setSaveMultiPage(true);
    const int quality = videotext::toInt16(gs.nJpegQuality).value_or(0);
    const int r = Image1->Save(path, platform::fmt::Tif, Image1->BitmapBits(), quality, 0);
    unsetCursor();
    if (r == 0) {
        MsgBox(kCreated + path);
        return;
    }
    QString reason = GetImageErrorText(short(r));
    if (const int n = Image1->SaveFileError())
        reason += QStringLiteral(" - Error: %1 - %2").arg(n).arg(platform::errorDescription(n));
    if (r == platform::err::InvalidBitmap)
        reason = QStringLiteral("The animation holds no pictures: press OK to build it first.");
    MsgBox(QStringLiteral("The file could not be created - %1\n%2").arg(path, reason));
}

void CreatAn1::setControlsEnabled(bool on)
{
    Frame1->setEnabled(on);
    for (QWidget* w : {OKBtn, CancelBtn, HelpBtn})
        w->setEnabled(on);
}

void CreatAn1::WriteVideoFile(const QString& path)
{
    if (m_writing)
        return;
    const std::optional<int> repeat = videotext::toInt32(videotext::numericValue(Text1->text()));
    if (!repeat || *repeat < 1) {
        videotext::writerMessage(QStringLiteral("Illegal frame count... Please enter an integer greater than 1"));
        return;
    }
    video::VideoJob job;
    for (int i = 0; i < List1->count(); ++i)
        job.entries << List1->item(i)->text();
    job.frameRepeat = *repeat;
    job.target = path;
    m_writing = true;
    m_cancel = false;
    setCursor(Qt::WaitCursor);
    setControlsEnabled(false);
    if (m_worker.joinable())
        m_worker.join();
    m_worker = std::thread([this, job] {
        const video::VideoResult result = video::writeVideoFile(job, &m_cancel);
        QMetaObject::invokeMethod(this, [this, result, path = job.target] { videoFinished(result, path); },
                                  Qt::QueuedConnection);
    });
}

void CreatAn1::videoFinished(const video::VideoResult& result, const QString& path)
{
    if (m_worker.joinable())
        m_worker.join();
    m_writing = false;
    unsetCursor();
    setControlsEnabled(true);
    if (m_closeAfterWriting) {
        emit videoWritten();
        close();
        return;
    }
    // The reports belong to this window: the writer ends while none of the
    // program's windows may be active, and between the two boxes none is.
    const platform::DialogOwner owner(this);
    if (result.outcome == video::VideoResult::Written) {
        // The writer's own report comes first; "File Created" once it is done.
        if (!result.unreadable.isEmpty())
            videotext::writerMessage(QStringLiteral("These pictures could not be read and are not in the video:\n") +
                                     result.unreadable.join(QLatin1Char('\n')));
        MsgBox(kCreated + path);
    }
    else if (result.outcome != video::VideoResult::Stopped)
        videotext::writerMessage(QStringLiteral("The video file could not be created - %1\n%2").arg(path, result.error));
    emit videoWritten();
}
