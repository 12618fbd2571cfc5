#include "browser/GetURL1.h"

#include "browser/DialogParts.h"
#include "platform/text/TextFile.h"
#include "platform/controls/WindowFront.h"
#include "shared/DialogColors.h"
#include "shared/MessageBox.h"
#include "shared/SharedState.h"

#include <QCloseEvent>
#include <QDir>
#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <exception>

namespace {

QPointer<GetURL1> gInstance;

QPushButton* makeButton(QWidget* parent, const char* name, const char* caption, const char* tip)
{
    auto* b = new QPushButton(QString::fromLatin1(caption), parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setToolTip(QString::fromLatin1(tip));
    // Enter is the window's own: it opens the address only where the focus holds it.
    b->setAutoDefault(false);
    b->setDefault(false);
    return b;
}

} // namespace

GetURL1::GetURL1(const QString& programFolder, DisplayFileFn displayFile, QWidget* parent)
    : QDialog(parent, Qt::Window), m_programFolder(programFolder), m_displayFile(std::move(displayFile))
{
    setObjectName(QStringLiteral("GetURL1"));
    setWindowTitle(QStringLiteral("Select Multimedia from the Internet"));
    setAttribute(Qt::WA_DeleteOnClose);
    setProperty("lumivexToolWindow", true);
    resize(520, 360);

    Frame1 = new QFrame(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setFrameShape(QFrame::StyledPanel);
    Text1 = new QLineEdit(Frame1);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setToolTip(QStringLiteral("Enter URL of Multimedia or Picture File to Display"));
    List1 = new QListWidget(Frame1);
    List1->setObjectName(QStringLiteral("List1"));
    List1->setToolTip(QStringLiteral("Select Picture or Multimedia File Location on the Internet"));
    OpenBtn = makeButton(Frame1, "OpenBtn", "Open",
                         "Open Highlighted Picture or Multimedia File on the Internet for Viewing or to Play");
    UpBtn = makeButton(Frame1, "UpBtn", "Up", "Move Highlighted Picture or Multimedia File Location up one position");
    DownBtn = makeButton(Frame1, "DownBtn", "Down",
                         "Move Highlighted Picture or Multimedia File Location down one position");
    DeleteBtn = makeButton(Frame1, "DeleteBtn", "Delete",
                           "Delete Highlighted URL or Internet Location for Picture or Multimedia File");
    ExitBtn = makeButton(Frame1, "ExitBtn", "Exit", "Close Open Picture or Multimedia File on the Internet Window");
    HelpBtn = makeButton(Frame1, "HelpBtn", "Help", "");

    // The list takes what the window grows by; the buttons stay one row under it.
    auto* inner = new QVBoxLayout(Frame1);
    inner->addWidget(Text1);
    inner->addWidget(List1, 1);
    auto* row = new QHBoxLayout;
    for (QPushButton* b : {OpenBtn, UpBtn, DownBtn, DeleteBtn, ExitBtn, HelpBtn})
        row->addWidget(b);
    inner->addLayout(row);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(3, 3, 3, 3);
    outer->addWidget(Frame1);

    connect(List1, &QListWidget::currentRowChanged, this, [this](int) { List1_Click(); });
    connect(List1, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem*) { List1_DblClick(); });
    connect(OpenBtn, &QPushButton::clicked, this, &GetURL1::OpenBtn_Click);
    connect(UpBtn, &QPushButton::clicked, this, &GetURL1::UpBtn_Click);
    connect(DownBtn, &QPushButton::clicked, this, &GetURL1::DownBtn_Click);
    connect(DeleteBtn, &QPushButton::clicked, this, &GetURL1::DeleteBtn_Click);
    connect(ExitBtn, &QPushButton::clicked, this, &GetURL1::ExitBtn_Click);
    connect(HelpBtn, &QPushButton::clicked, this, &GetURL1::HelpBtn_Click);
    gInstance = this;
    Form_Load();
}

GetURL1::~GetURL1()
{
    if (!m_unloaded)
        Form_Unload();
    if (gInstance == this)
        gInstance = nullptr;
}

GetURL1* GetURL1::instance() { return gInstance.data(); }

GetURL1* GetURL1::open(const QString& programFolder, DisplayFileFn displayFile)
{
    if (gs.fGetURLOpen && gInstance) {
        platform::bringToFront(gInstance);
        return gInstance;
    }
    auto* w = new GetURL1(programFolder, std::move(displayFile));
    w->show();
    return w;
}

QString GetURL1::listPath() const { return QDir(m_programFolder).filePath(kListFile); }

// ---------------------------------------------------------------- the list file

bool GetURL1::LoadURLList()
{
    List1->clear();
    QStringList lines;
    const platform::ReadStatus status = platform::readLines(listPath(), &lines);
    List1->addItems(lines);
    if (status != platform::ReadStatus::Ok && List1->count() > 0)
        List1->setCurrentRow(0);
    return status == platform::ReadStatus::Ok;
}

bool GetURL1::SaveURLList()
{
    QStringList lines;
    for (int i = 0; i < List1->count(); ++i)
        lines << List1->item(i)->text();
    return platform::writeLines(listPath(), lines);
}

// ---------------------------------------------------------------- load, colours, unload

void GetURL1::Form_Load()
{
    LoadURLList();
    if (List1->count() > 0)
        List1->setCurrentRow(0);
    gs.fGetURLOpen = true;
}

void GetURL1::Form_Activate()
{
    // The window is plain; the panel and the buttons are washed.
    dialogcolors::Paint plain = dialogcolors::conventionPaint(dialogcolors::Kind::Window);
    plain.washEnd.reset();
    dialogcolors::applyDialogColors(this, {{this, plain}});
}

void GetURL1::Form_Unload()
{
    m_unloaded = true;
    SaveURLList();
    gs.fGetURLOpen = false;
}

void GetURL1::closeEvent(QCloseEvent* event)
{
    if (!m_unloaded)
        Form_Unload();
    event->accept(); // a modeless window closes for good; Esc comes here too

}

void GetURL1::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        Form_Activate();
}

void GetURL1::reject() { close(); }

// ---------------------------------------------------------------- keys and the list

void GetURL1::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        Form_KeyPress(13);
        return;
    }
    QDialog::keyPressEvent(event);
}

void GetURL1::Form_KeyPress(int keyAscii)
{
    if (keyAscii != 13)
        return;
    QWidget* focus = focusWidget();
    const bool onAddress = focus == Text1 || (focus == List1 && List1->currentItem() &&
                                              List1->currentItem()->text() == Text1->text());
    if (onAddress)
        OpenBtn_Click();
}

void GetURL1::List1_Click()
{
    if (List1->count() > 0 && List1->currentItem())
        Text1->setText(List1->currentItem()->text());
}

void GetURL1::List1_DblClick() { OpenBtn_Click(); }

void GetURL1::OpenBtn_Click()
{
    try {
        const QString address = Text1->text();
        gs.cCurrentFile = address;
        gs.fInternetLoading = true;
        if (m_displayFile)
            m_displayFile(address);
        bool listed = false;
        for (int i = 0; i < List1->count() && !listed; ++i)
            listed = List1->item(i)->text().trimmed() == address.trimmed();
        if (!listed)
            List1->addItem(address);
        close();
    } catch (const std::exception&) {
        MsgBox(QStringLiteral("Error Retrieving File"));
    }
}

void GetURL1::swapEntries(int a, int b)
{
    const QString first = List1->item(a)->text();
    List1->item(a)->setText(List1->item(b)->text());
    List1->item(b)->setText(first);
    List1->setCurrentRow(b);
}

void GetURL1::UpBtn_Click()
{
    const int i = List1->currentRow();
    if (i > 0)
        swapEntries(i, i - 1);
}

void GetURL1::DownBtn_Click()
{
    const int i = List1->currentRow();
    if (i >= 0 && i < List1->count() - 1)
        swapEntries(i, i + 1);
}

void GetURL1::DeleteBtn_Click()
{
    const int i = List1->currentRow();
    if (List1->count() == 0 || i < 0)
        return;
    {
        // The list's own choice of a next entry is not the user's click.
        const QSignalBlocker block(List1);
        delete List1->takeItem(i);
    }
    if (i > 0 && List1->count() > 0)
        List1->setCurrentRow(i - 1);
    else
        List1->setCurrentRow(-1);
}

void GetURL1::HelpBtn_Click() { browser::sendHelpKey(this); }

void GetURL1::ExitBtn_Click() { close(); }
