#include "browser/Rename1.h"

#include "browser/DialogParts.h"
#include "platform/controls/Dialogs.h"
#include "platform/core/ErrorNumbers.h"
#include "platform/shell/RenameFile.h"
#include "shared/DialogColors.h"
#include "shared/FileTypes.h"
#include "shared/SharedState.h"

#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <cerrno>

namespace {

void say(const QString& text)
{
    platform::dialogs().message(kProgramTitle, text, platform::Buttons::Ok, platform::Icon::None);
}

// Position of the last separator of a path, or -1.
qsizetype lastSeparator(const QString& path)
{
    qsizetype p = path.lastIndexOf(QLatin1Char('/'));
#ifdef Q_OS_WIN
    p = std::max(p, path.lastIndexOf(QLatin1Char('\\')));
#endif
    return p;
}

} // namespace

Rename1::Rename1(QWidget* parent, std::function<void()> fileListChanged)
    : QDialog(parent), m_fileListChanged(std::move(fileListChanged))
{
    setObjectName(QStringLiteral("Rename1"));
    setWindowTitle(QStringLiteral("Rename Image File"));
    setModal(true);
    setProperty("lumivexToolWindow", true);

    Frame1 = new QFrame(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setFrameShape(QFrame::StyledPanel);
    auto* grid = new QGridLayout(Frame1);
    const char* captions[] = {"File Selected to Rename:", "Name of New File:", "LabelTitle"};
    for (int i = 0; i < 3; ++i) {
        Label1[i] = new QLabel(QString::fromLatin1(captions[i]), Frame1);
        Label1[i]->setObjectName(QStringLiteral("Label1_%1").arg(i));
    }
    Label1[2]->setWordWrap(true);
    for (int i = 0; i < 2; ++i) {
        Text1[i] = new QLineEdit(Frame1);
        Text1[i]->setObjectName(QStringLiteral("Text1_%1").arg(i));
    }
    Text1[0]->setToolTip(QStringLiteral("Name of the File that will be Renamed"));
    Text1[1]->setToolTip(QStringLiteral("New Name of the File - No need to enter the File Extension"));
    grid->addWidget(Label1[2], 0, 0, 1, 2);
    grid->addWidget(Label1[0], 1, 0);
    grid->addWidget(Text1[0], 1, 1);
    grid->addWidget(Label1[1], 2, 0);
    grid->addWidget(Text1[1], 2, 1);

    const browser::DialogButtons buttons = browser::layOutDialog(
        this, Frame1, QStringLiteral("Rename the File"),
        QStringLiteral("Close the Rename File Window"), QStringLiteral("Help with Rename File Window"));
    OKBtn = buttons.ok;
    CancelBtn = buttons.cancel;
    HelpBtn = buttons.help;

    connect(OKBtn, &QPushButton::clicked, this, &Rename1::OKBtn_Click);
    connect(CancelBtn, &QPushButton::clicked, this, &Rename1::CancelBtn_Click);
    connect(HelpBtn, &QPushButton::clicked, this, &Rename1::HelpBtn_Click);
    Form_Load();
}

void Rename1::showModal(QWidget* parent, std::function<void()> fileListChanged)
{
    Rename1 dialog(parent, std::move(fileListChanged));
    dialog.exec();
}

bool Rename1::isRefusedName(const QString& typed)
{
    if (typed.trimmed().isEmpty() || typed == QLatin1String(".") || typed == QLatin1String(".."))
        return true;
    if (typed.contains(QLatin1Char('/')) || typed.contains(QChar(0)))
        return true;
#ifdef Q_OS_WIN
    if (typed.contains(QLatin1Char('\\')))
        return true;
#endif
    return false;
}

void Rename1::Form_Load()
{
    const QString file = gs.cCurrentFile;
    Label1[2]->setText(file);
    Text1[0]->setText(file.mid(lastSeparator(file) + 1));
    Text1[0]->setReadOnly(true);
    m_firstActivation = true;
}

void Rename1::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    Form_Activate();
}

void Rename1::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        Form_Activate();
}

void Rename1::Form_Activate()
{
    // The locked old name in the rename colours, the rest as every dialog.
    dialogcolors::Paint oldName;
    oldName.back = gs.nRenameBackColor;
    oldName.fore = gs.nRenameForeColor;
    oldName.bold = gs.fBoldFonts;
    dialogcolors::applyDialogColors(this, {{Text1[0], oldName}});
    if (m_firstActivation) {
        Text1[1]->setFocus();
        m_firstActivation = false;
    }
}

void Rename1::OKBtn_Click()
{
    const QString typed = Text1[1]->text();
    if (isRefusedName(typed)) {
        say(QStringLiteral("You must Enter a New Name for the File"));
        Text1[1]->setFocus();
        return;
    }
    const QString oldPath = Label1[2]->text();
    const qsizetype p = lastSeparator(oldPath);
    const QString folder = oldPath.left(p + 1);
    // The extension of the file name itself: a dot in a folder name is no extension.
    const QString ext = GetFileExt(oldPath.mid(p + 1));
    // The typed name is used as typed; the old extension always follows, in upper case.
    const QString newPath = folder + typed + QLatin1Char('.') + ext;

    const int err = platform::renameNoReplace(oldPath, newPath);
    if (err == 0) {
        refreshFileList();
        say(QStringLiteral("File Rename Successful"));
        accept();
        return;
    }
    if (err == EEXIST) {
        say(QStringLiteral("File already exists - Cannot use this new File Name"));
        refreshFileList();
        accept();
        return;
    }
    if (err == ENOENT) {
        say(QStringLiteral("File: ") + oldPath + QStringLiteral(" not Found - Use Save as to Recreate File"));
        return;
    }
    const int number = platform::errorNumberFromErrno(err);
    say(QStringLiteral("Error: ") + QStringLiteral("%1 - ").arg(number) + platform::errorDescription(number));
}

void Rename1::CancelBtn_Click() { reject(); }

void Rename1::refreshFileList()
{
    if (m_fileListChanged)
        m_fileListChanged();
}

void Rename1::HelpBtn_Click() { browser::sendHelpKey(this); }
