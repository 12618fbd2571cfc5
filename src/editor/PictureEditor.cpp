#include "editor/PictureEditor.h"

#include "browser/DialogParts.h"
#include "platform/pictures/ImagingCodes.h"
#include "platform/imaging/ImagingDialogs.h"
#include "platform/imaging/Lead.h"
#include "platform/pictures/PictureCodec.h"
#include "shared/FileTypes.h"
#include "shared/ImageErrors.h"
#include "shared/MessageBox.h"
#include "shared/SharedState.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QVBoxLayout>

namespace editor {

PictureEditor::PictureEditor(const QString& name, const QString& caption, EditorHost host, bool* openFlag)
    : QWidget(nullptr, Qt::Window), m_host(std::move(host)), m_name(name), m_openFlag(openFlag)
{
    setObjectName(name);
    setWindowTitle(caption);
    const char* labels[] = {"Original", "Current", "  Image: ", ""};
    for (int i = 0; i < 4; ++i) {
        Label1[i] = new QLabel(QString::fromLatin1(labels[i]), this);
        Label1[i]->setObjectName(QStringLiteral("Label1_%1").arg(i));
    }
    Label1[2]->setTextFormat(Qt::PlainText);
    Image1 = new platform::Lead(this);
    Image2 = new platform::Lead(this);
    Image3 = new platform::Lead(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image2->setObjectName(QStringLiteral("Image2"));
    Image3->setObjectName(QStringLiteral("Image3"));
    Image3->hide();
    for (platform::Lead* p : {Image1, Image2}) {
        p->setMinimumSize(280, 210);
        p->setPaintSizeMode(1);
    }
    connect(Image1, &platform::Lead::DblClick, this, &PictureEditor::Image1_DblClick);
    connect(Image2, &platform::Lead::DblClick, this, &PictureEditor::Image2_DblClick);
    for (int i = 0; i < 7; ++i) {
        AcceptBtn[i] = makeButton("", QString(), QStringLiteral("Accept Image Editing Feature"));
        AcceptBtn[i]->setObjectName(QStringLiteral("AcceptBtn_%1").arg(i));
        AcceptBtn[i]->setIcon(style()->standardIcon(QStyle::SP_DialogApplyButton));
    }
    UndoBtn = makeButton("UndoBtn", QStringLiteral("Undo"), QStringLiteral("Undo the Current Image Last Edit"));
    ApplyBtn = makeButton("ApplyBtn", QStringLiteral("Apply"),
                          QStringLiteral("Apply the Current Image to the Original without Saving to Disk"));
    SaveBtn = makeButton("SaveBtn", QStringLiteral("Save"),
                         QStringLiteral("Save the Current Image Replacing the Original on Disk"));
    RestoreBtn = makeButton("RestoreBtn", QStringLiteral("Restore"),
                            QStringLiteral("Restore the Current Image to the Original"));
    CancelBtn = makeButton("CancelBtn", QStringLiteral("Cancel"),
                           QStringLiteral("Cancel All Edits and Return to Original"));
    HelpBtn = makeButton("HelpBtn", QStringLiteral("Help"), QStringLiteral("Help with Image Editor"));
    connect(UndoBtn, &QPushButton::clicked, this, &PictureEditor::UndoBtn_Click);
    connect(ApplyBtn, &QPushButton::clicked, this, &PictureEditor::ApplyBtn_Click);
    connect(SaveBtn, &QPushButton::clicked, this, &PictureEditor::SaveBtn_Click);
    connect(RestoreBtn, &QPushButton::clicked, this, &PictureEditor::RestoreBtn_Click);
    connect(CancelBtn, &QPushButton::clicked, this, &PictureEditor::CancelBtn_Click);
    connect(HelpBtn, &QPushButton::clicked, this, &PictureEditor::HelpBtn_Click);
}

PictureEditor::~PictureEditor() { Form_Unload(); }

QScrollBar* PictureEditor::makeBar(const char* name, int min, int max, int smallChange, int largeChange, int value)
{
    auto* bar = new QScrollBar(Qt::Horizontal, this);
    bar->setObjectName(QString::fromLatin1(name));
    bar->setRange(min, max);
    bar->setSingleStep(smallChange);
    bar->setPageStep(largeChange);
    bar->setValue(value);
    // A drag reports its value once, when the handle is let go.
    bar->setTracking(false);
    bar->setFocusPolicy(Qt::StrongFocus); // for the arrow keys and "+" and "-"
    bar->setMinimumWidth(180);
    bar->installEventFilter(this);
    return bar;
}

QPushButton* PictureEditor::makeButton(const char* name, const QString& caption, const QString& tip)
{
    auto* button = new QPushButton(caption, this);
    button->setObjectName(QString::fromLatin1(name));
    button->setToolTip(tip);
    button->setAutoDefault(false);
    return button;
}

void PictureEditor::layOut(QWidget* panel)
{
    auto* pictures = new QGridLayout;
    pictures->addWidget(Label1[0], 0, 0);
    pictures->addWidget(Label1[1], 0, 1);
    pictures->addWidget(Image1, 1, 0);
    pictures->addWidget(Image2, 1, 1);
    pictures->addWidget(Label1[2], 2, 0, 1, 2);
    pictures->setRowStretch(1, 1);
    auto* commands = new QHBoxLayout;
    for (QPushButton* b : {UndoBtn, ApplyBtn, SaveBtn, RestoreBtn, CancelBtn, HelpBtn})
        commands->addWidget(b);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(pictures, 1);
    layout->addWidget(panel);
    layout->addLayout(commands);
}

// ---------------------------------------------------------------- load and unload

void PictureEditor::loadCommon()
{
    m_originalStretched = true;
    m_currentStretched = true;
    Label1[2]->setText(QStringLiteral("  Image: ") + gs.cEditFile);
    LoadEditPictures(gs.cEditFile);
    {
        BusyGuard busy;
        if (m_host.setToolState)
            m_host.setToolState(1);
    }
    m_session.setEdited(false);
    if (m_openFlag)
        *m_openFlag = true;
}

void PictureEditor::LoadEditPictures(const QString& file)
{
    setCursor(Qt::WaitCursor);
    const int r = m_session.load(file);
    for (platform::Lead* p : {Image1, Image2, Image3})
        p->setPaintSizeMode(1);
    showPictures();
    unsetCursor();
    // A missing file or one that is no picture opens an empty editor quietly.
    if (r != 0 && r != platform::err::FileNotFound && r != platform::err::InvalidFormat && r != 53)
        MsgBox(QStringLiteral("Error - ") + QString::number(r) + QStringLiteral(" - ") + GetImageErrorText(short(r)));
}

void PictureEditor::Form_Unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    {
        BusyGuard busy;
        if (m_host.setToolState)
            m_host.setToolState(0);
    }
    if (m_openFlag)
        *m_openFlag = false;
}

void PictureEditor::closeEvent(QCloseEvent* event)
{
    Form_Unload();
    QWidget::closeEvent(event);
}

void PictureEditor::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    Form_Activate();
}

void PictureEditor::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        Form_Activate();
}

void PictureEditor::Form_Activate()
{
    dialogcolors::applyDialogColors(this, paintOverrides());
    if (!m_formLoading)
        return;
    firstActivation();
    m_formLoading = false;
}

// ---------------------------------------------------------------- the edit step

void PictureEditor::BeginEditStep()
{
    setCursor(Qt::WaitCursor);
    m_session.takeSnapshot();
    Image2->setAutoRepaint(false);
}

void PictureEditor::EndEditStep()
{
    unsetCursor();
    showPictures();
    Image2->setAutoRepaint(true);
}

bool PictureEditor::runEffect(const EditSession::Effect& effect, bool hourglass)
{
    if (!m_session.loaded())
        return false;
    if (hourglass)
        setCursor(Qt::WaitCursor);
    const int r = m_session.change(effect);
    if (hourglass)
        unsetCursor();
    if (r != 0) {
        reportFailure(QStringLiteral("Image2"), r);
        return false;
    }
    showPictures();
    return true;
}

void PictureEditor::reportFailure(const QString& source, int code) { MsgBox(ImageFailureText(source, code)); }

void PictureEditor::showPictures()
{
    const auto sync = [](platform::Lead* control, const QImage& picture) {
        const QImage shown = control->Bitmap();
        if (shown.isNull() != picture.isNull() || shown.cacheKey() != picture.cacheKey())
            control->setBitmap(picture);
    };
    sync(Image1, m_session.original());
    sync(Image2, m_session.working());
    sync(Image3, m_session.snapshot());
}

// ---------------------------------------------------------------- commands

void PictureEditor::UndoBtn_Click()
{
    m_session.undo();
    showPictures();
}

void PictureEditor::RestoreBtn_Click()
{
    if (!m_session.loaded())
        return;
    resetSliders();
    m_session.rebuild();
    BeginEditStep();
    m_session.restore();
    EndEditStep();
}

void PictureEditor::ApplyBtn_Click()
{
    // Without a picture the main view keeps its own.
    if (!m_session.loaded())
        return;
    if (m_host.showInMainView)
        m_host.showInMainView(m_session.working());
    if (m_host.resetMainView)
        m_host.resetMainView();
    if (m_session.edited() && m_host.setPictureChanged)
        m_host.setPictureChanged(true);
}

namespace {
// Whether two names typed by the user name the same file.
bool sameFile(const QString& a, const QString& b)
{
    const QString x = a.trimmed(), y = b.trimmed();
    return x == y || (QFileInfo::exists(x) && QFileInfo(x) == QFileInfo(y));
}
} // namespace

void PictureEditor::SaveBtn_Click()
{
    if (!m_session.loaded())
        return;
    LEADDlg1.FileName = gs.cEditFile;
    LEADDlg1.Flags = 116;
    const int stored = platform::formatForExtension(::GetFileExt(gs.cEditFile));
    LEADDlg1.SaveFormat = platform::formatWritable(stored) ? stored : platform::fmt::Jpeg;
    const int shown = LEADDlg1.ShowSaveDlg(this);
    if (shown == platform::err::DialogCancelled)
        return;
    if (shown != 0) {
        MsgBox(QStringLiteral("Error - ") + QString::number(shown) + QStringLiteral(" - ") +
               GetImageErrorText(short(shown)));
        return;
    }
    QString name = LEADDlg1.FileName.trimmed();
    fSaveMultiPage = LEADDlg1.SaveMultiPage;
    const auto bits = short(LEADDlg1.SaveBitsPerPixel), quality = short(LEADDlg1.SaveQFactor);
    const auto format = short(LEADDlg1.SaveFormat);
    if (::GetFileExt(QFileInfo(name).fileName()).isEmpty()) {
        const platform::SaveFormatChoice* choice = platform::saveFormatChoice(format);
        const QString ext = choice ? choice->extension : platform::extensionForFormat(format);
        if (!ext.isEmpty())
            name += QLatin1Char('.') + ext;
    }
    setCursor(Qt::WaitCursor);
    const int result = m_session.save(name, format, bits, quality, fSaveMultiPage);
    unsetCursor();
    if (result != 0) {
        // The file and the main view stay as they were.
        MsgBox(ImageErrorMessage(result));
        return;
    }
    if (m_host.setPictureChanged)
        m_host.setPictureChanged(false);
    if (sameFile(name, gs.cEditFile) && m_host.showInMainView)
        m_host.showInMainView(m_session.working());
}

void PictureEditor::CancelBtn_Click() { close(); }

void PictureEditor::HelpBtn_Click() { browser::sendHelpKey(this); }

// ---------------------------------------------------------------- pictures and keys

void PictureEditor::toggleStretch(platform::Lead* picture, bool* stretched)
{
    picture->setPaintSizeMode(*stretched ? 0 : 1);
    *stretched = !*stretched;
}

void PictureEditor::Image1_DblClick() { toggleStretch(Image1, &m_originalStretched); }
void PictureEditor::Image2_DblClick() { toggleStretch(Image2, &m_currentStretched); }

void PictureEditor::ScrollBar_KeyPress(QScrollBar* bar, int keyAscii)
{
    // A step that would leave the range is refused, not cut short.
    if (keyAscii == 43 && bar->value() < bar->maximum() && bar->value() + bar->singleStep() <= bar->maximum())
        bar->setValue(bar->value() + bar->singleStep());
    else if (keyAscii == 45 && bar->value() > bar->minimum() && bar->value() - bar->singleStep() >= bar->minimum())
        bar->setValue(bar->value() - bar->singleStep());
}

bool PictureEditor::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress)
        if (auto* bar = qobject_cast<QScrollBar*>(watched)) {
            const QString text = static_cast<QKeyEvent*>(event)->text();
            if (text == QLatin1String("+") || text == QLatin1String("-")) {
                ScrollBar_KeyPress(bar, text.at(0).unicode());
                return true;
            }
        }
    return QWidget::eventFilter(watched, event);
}

} // namespace editor
