#include "platform/controls/Dialogs.h"

#include "platform/imaging/ImagingDialogs.h"

#include <QApplication>
#include <algorithm>
#include <QColorDialog>
#include <QFileDialog>
#include <QFontDialog>
#include <QGridLayout>
#include <QInputDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QSpacerItem>
#include <QStyle>

namespace platform {
namespace {

QPointer<QWidget>& dialogOwner()
{
    static QPointer<QWidget> owner;
    return owner;
}

QWidget* activeParent()
{
    if (QWidget* owner = dialogOwner(); owner && owner->isVisible())
        return owner->window();
    return QApplication::activeWindow();
}

// A window manager writes a box's title in its title bar, in bold type beside
// up to four buttons (the window menu, minimise, maximise and close), each
// about as wide as the bar is high. Qt sizes a message box by its text and a
// guess at the title that leaves out the buttons and the bold type, and a
// short message's box had its title cut ("Brev... x 3.0"): the box is kept
// at least as wide as the whole title bar needs.
void keepTitleWhole(QMessageBox& box)
{
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (!grid)
        return;
    QFont font = QApplication::font("QMdiSubWindowTitleBar");
    font.setBold(true);
    const int bar = box.style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &box);
    const QMargins margins = grid->contentsMargins();
    const int width = QFontMetrics(font).horizontalAdvance(box.windowTitle()) + 6 * bar - margins.left() -
                      margins.right();
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Fixed, QSizePolicy::Minimum), grid->rowCount(), 0, 1,
                  grid->columnCount());
}

class QtDialogs : public DialogService {
public:
    Answer message(const QString& title, const QString& text, Buttons buttons, Icon icon) override
    {
        QMessageBox box(activeParent());
        box.setWindowTitle(title);
        box.setText(text);
        switch (icon) {
        case Icon::None: box.setIcon(QMessageBox::NoIcon); break;
        case Icon::Information: box.setIcon(QMessageBox::Information); break;
        case Icon::Question: box.setIcon(QMessageBox::Question); break;
        case Icon::Warning: box.setIcon(QMessageBox::Warning); break;
        case Icon::Critical: box.setIcon(QMessageBox::Critical); break;
        }
        switch (buttons) {
        case Buttons::Ok: box.setStandardButtons(QMessageBox::Ok); break;
        case Buttons::OkCancel: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
        case Buttons::YesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
        case Buttons::YesNoCancel:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
            break;
        }
        keepTitleWhole(box); // last: setting the icon or the buttons lays the box out anew
        switch (box.exec()) {
        case QMessageBox::Yes: return Answer::Yes;
        case QMessageBox::No: return Answer::No;
        case QMessageBox::Cancel: return Answer::Cancel;
        default: return buttons == Buttons::YesNo ? Answer::No : Answer::Ok;
        }
    }

    FileAnswer runFileDialog(const FileRequest& r, bool save)
    {
        QFileDialog dlg(activeParent(), r.title, r.folder, qtFilterFromPipes(r.filter));
        dlg.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        dlg.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
        dlg.setOption(QFileDialog::DontUseNativeDialog, true);
        if (save) {
            dlg.setDefaultSuffix(r.defaultSuffix);
            dlg.setOption(QFileDialog::DontConfirmOverwrite, !r.confirmOverwrite);
        }
        const QStringList filters = dlg.nameFilters();
        if (r.filterIndex >= 1 && r.filterIndex <= filters.size())
            dlg.selectNameFilter(filters.at(r.filterIndex - 1));
        if (!r.fileName.isEmpty())
            dlg.selectFile(r.fileName);
        return execFileDialog(dlg);
    }
    FileAnswer openFile(const FileRequest& r) override { return runFileDialog(r, false); }
    FileAnswer saveFile(const FileRequest& r) override { return runFileDialog(r, true); }

    QString folder(const QString& title, const QString& start) override
    {
        return QFileDialog::getExistingDirectory(activeParent(), title, start);
    }
    std::optional<QColor> color(const QString& title, const QColor& initial) override
    {
        const QColor c = QColorDialog::getColor(initial, activeParent(), title);
        if (!c.isValid())
            return std::nullopt;
        return c;
    }
    bool printerSetup(QPrinter* printer) override
    {
        QPrintDialog dlg(printer, activeParent());
        return dlg.exec() == QDialog::Accepted;
    }
    FileAnswer imageOpen(const FileRequest& r) override { return runImageOpenDialog(activeParent(), r); }
    FileAnswer imageSave(const FileRequest& r) override { return runImageSaveDialog(activeParent(), r); }
    std::optional<int> imageChange(const ChangeRequest& r) override { return runImageChangeDialog(activeParent(), r); }
    std::optional<ColorResAnswer> imageColorRes(const ColorResRequest& r) override
    {
        return runImageColorResDialog(activeParent(), r);
    }
    std::optional<FontChoice> font(const FontRequest& r) override
    {
        QFont initial = QApplication::font();
        if (!r.family.isEmpty())
            initial.setFamily(r.family);
        if (r.pointSize > 0)
            initial.setPointSizeF(r.pointSize);
        initial.setBold(r.bold);
        initial.setItalic(r.italic);
        QFontDialog dlg(initial, activeParent());
        dlg.setWindowTitle(r.title);
        dlg.setOption(QFontDialog::DontUseNativeDialog, true);
        if (r.printerFonts)
            dlg.setOption(QFontDialog::ScalableFonts, true);
        if (dlg.exec() != QDialog::Accepted)
            return std::nullopt;
        const QFont f = dlg.selectedFont();
        return FontChoice{f.family(), f.pointSizeF(), f.bold(), f.italic()};
    }
    int chooseItem(const QString& title, const QString& label, const QStringList& items, int current) override
    {
        bool ok = false;
        const QString item = QInputDialog::getItem(activeParent(), title, label, items,
                                                   std::clamp(current, 0, int(items.size()) - 1), false, &ok);
        return ok ? int(items.indexOf(item)) : -1;
    }
};

QtDialogs& qtService()
{
    static QtDialogs service;
    return service;
}

DialogService* current = nullptr;

} // namespace

DialogService& qtDialogs() { return qtService(); }

std::optional<int> DialogService::imageChange(const ChangeRequest&) { return std::nullopt; }
std::optional<ColorResAnswer> DialogService::imageColorRes(const ColorResRequest&) { return std::nullopt; }
std::optional<FontChoice> DialogService::font(const FontRequest&) { return std::nullopt; }

int DialogService::chooseItem(const QString&, const QString&, const QStringList& items, int current)
{
    return items.isEmpty() ? -1 : std::clamp(current, 0, int(items.size()) - 1);
}

DialogService& dialogs() { return current ? *current : qtService(); }

DialogOwner::DialogOwner(QWidget* owner) : m_previous(dialogOwner()) { dialogOwner() = owner; }
DialogOwner::~DialogOwner() { dialogOwner() = m_previous; }

void setDialogs(DialogService* service) { current = service; }

QString qtFilterFromPipes(const QString& pipeFilter)
{
    const QStringList parts = pipeFilter.split(QLatin1Char('|'));
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString masks = parts.at(i + 1);
        masks.replace(QLatin1Char(';'), QLatin1Char(' '));
        out << parts.at(i) + QStringLiteral(" (") + masks + QLatin1Char(')');
    }
    return out.join(QStringLiteral(";;"));
}

} // namespace platform
