// The Documents tab of the main window: the viewed-documents list, the
// document browser and the text box, and the commands of the document and
// Internet tool bars.
#include "window/Lumivex1.h"

#include "platform/controls/Dialogs.h"
#include "platform/core/ErrorNumbers.h"
#include "platform/text/RichTextBox.h"
#include "platform/text/RtfReader.h"
#include "platform/controls/Units.h"
#include "platform/net/WebBrowser.h"
#include "shared/FileTypes.h"
#include "shared/SharedState.h"
#include "viewers/DocumentText.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLayout>
#include <QListWidget>
#include <QPrinter>
#include <QSplitter>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

void errorBox(int number, const QString& description)
{
    platform::dialogs().message(kProgramTitle,
                                QStringLiteral("Error - ") + QString::number(number) + QStringLiteral(" - ") +
                                    description,
                                platform::Buttons::Ok, platform::Icon::None);
}

// Pages larger than this go to the browser as files rather than as text.
constexpr qsizetype kLargestPage = 1500000;

} // namespace

void Lumivex1::buildDocuments()
{
    TabPanel[5]->layout()->removeWidget(TreeView3);
    Splitter4 = new QSplitter(Qt::Horizontal, TabPanel[5]);
    Splitter4->setObjectName(QStringLiteral("Splitter4"));
    Splitter4->addWidget(TreeView3);
    Splitter4Views = new QSplitter(Qt::Vertical, Splitter4);
    Splitter4Views->setObjectName(QStringLiteral("Splitter4Views"));
    auto* browserPane = new QWidget(Splitter4Views);
    browserPane->setObjectName(QStringLiteral("WebBrowser1Pane"));
    new QVBoxLayout(browserPane);
    browserPane->layout()->setContentsMargins(0, 0, 0, 0);
    // The document browser's view moves from the tab into its pane.
    if (QWidget* view = WebBrowser1 ? WebBrowser1->view() : nullptr) {
        if (view->parentWidget() && view->parentWidget()->layout())
            view->parentWidget()->layout()->removeWidget(view);
        browserPane->layout()->addWidget(view);
        view->hide();
    }
    Text1 = new platform::RichTextBox(Splitter4Views);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->hide();
    Splitter4Views->setChildrenCollapsible(true);
    Splitter4->setStretchFactor(1, 3);
    TabPanel[5]->layout()->addWidget(Splitter4);

    List6 = new QListWidget(this);
    List6->setObjectName(QStringLiteral("List6"));
    List6->hide();
}

int Lumivex1::documentPaneHeight(int pane) const
{
    const QList<int> sizes = Splitter4Views->sizes();
    return pane >= 1 && pane <= sizes.size() ? sizes.at(pane - 1) : 0;
}

// ---------------------------------------------------------------- the list

void Lumivex1::AddToDocumentList(const QString& path)
{
    bool found = false;
    for (int i = 0; i < List6->count() && !found; ++i)
        found = List6->item(i)->text() == path;
    if (!found) {
        List6->addItem(path);
        List6->setCurrentRow(List6->count() - 1);
    }
    const QString selected = List6->currentItem() ? List6->currentItem()->text() : QString();
    BuildViewListMenu(selected);
    BusyGuard busy;
    if (platform::Tool* tool = ToolBarComp1->Item(selected))
        tool->setState(1);
}

// ---------------------------------------------------------------- loaders

namespace {
int paneHeight(QWidget* tabs) { return std::max(0, tabs->height() - platform::twipsToPixelsY(500)); }
} // namespace

void Lumivex1::LoadDocument(QString path)
{
    setCursor(Qt::WaitCursor);
    const QFileInfo info(path);
    if (!info.isFile()) {
        unsetCursor();
        errorBox(info.dir().exists() ? platform::ErrFileNotFound : platform::ErrPathNotFound,
                 platform::errorDescription(info.dir().exists() ? platform::ErrFileNotFound
                                                                : platform::ErrPathNotFound));
        return;
    }
    platform::WebBrowser* browser = WebBrowser1.get();
    browser->setVisible(true);
    browser->setOffline(true);
    const QString ext = ::GetFileExt(path);
    const QString address = QStringLiteral("File://") + path;
    const bool ownPage = viewers::isWordProcessorExtension(ext) ||
                         (viewers::isServerPageExtension(ext) && info.size() <= kLargestPage);
    if (ownPage) {
        // Files the engine would leave blank or only offer to download.
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly)) {
            unsetCursor();
            const int n = platform::errorNumberFromFileError(f.error());
            errorBox(n, platform::errorDescription(n));
            return;
        }
        const QByteArray bytes = f.readAll();
        browser->showHtml(viewers::isWordProcessorExtension(ext) ? viewers::wordProcessorPage(path, bytes)
                                                                 : platform::decodePlainText(bytes),
                          address);
    } else {
        browser->Navigate2(address);
    }
    Splitter4Views->setSizes({paneHeight(TabStrip1), 0});
    TabStrip1->setCurrentIndex(4);
    fRichTextShown = false;
    unsetCursor();
}

void Lumivex1::LoadText(QString path)
{
    Splitter4Views->setSizes({0, paneHeight(TabStrip1)});
    Text1->show();
    const QString ext = ::GetFileExt(path);
    int number = 0;
    QString description;
    Text1->setLocked(false);
    if (ext == QLatin1String("RTF")) {
        number = Text1->LoadFile(path, platform::RichTextBox::RichText, &description);
    } else {
        Text1->setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
        Text1->setTextRTF({});
        number = Text1->LoadFile(path, platform::RichTextBox::PlainText, &description);
        if (number == 0 && viewers::isWordProcessorExtension(ext)) {
            // A binary word-processor file shows its readable text, not its bytes.
            QFile f(path);
            if (f.open(QIODevice::ReadOnly)) {
                const QByteArray bytes = f.readAll();
                if (viewers::isBinary(bytes))
                    Text1->showPlainText(viewers::wordProcessorText(path, bytes));
            }
        }
    }
    if (number != 0) {
        if (number == platform::ErrPathFileAccess)
            platform::dialogs().message(kProgramTitle, QStringLiteral("Document currently in use"),
                                        platform::Buttons::Ok, platform::Icon::None);
        else
            errorBox(number, description);
        return;
    }
    Text1->setLocked(true);
    fRichTextShown = true;
    TabStrip1->setCurrentIndex(4);
}

QString Lumivex1::RichTextFileName() { return Text1->FileName(); }
