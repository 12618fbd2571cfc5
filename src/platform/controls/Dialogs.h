#pragma once
// Every message box, question and file, colour or printer dialog of the program
// goes through this service, so that tests can script the answers and read
// exactly what the user would have been shown.
#include <QColor>
#include <QFont>
#include <QImage>
#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class QPrinter;
class QWidget;

namespace platform {

enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel };
enum class Answer { Ok, Cancel, Yes, No };
enum class Icon { None, Information, Question, Warning, Critical };

struct FileRequest {
    QString title;
    QString folder;      // start folder
    QString fileName;    // proposed name
    QString filter;      // "Name|*.A;*.B|Name2|*.C" (the pipe form the program builds)
    int filterIndex = 1; // 1-based, as the dialogs report it
    // Save dialogs: added to a typed name that has no extension ("JPG").
    QString defaultSuffix;
    // Save dialogs: the dialog asks before an existing file is replaced.
    bool confirmOverwrite = true;
    // The imaging dialogs' choices, preset.
    int saveFormat = 0;      // picture format code (ImagingCodes.h)
    int saveBitsPerPixel = 0;
    int saveQFactor = 0;
};

struct FileAnswer {
    bool accepted = false;
    QString fileName;
    int filterIndex = 1;
    // The imaging dialogs' choices, read back.
    int pageNumber = 1;       // open: the page to load
    int saveFormat = 0;       // save: format code, bits, compression factor, all pages
    int saveBitsPerPixel = 0;
    int saveQFactor = 0;
    bool saveMultiPage = false;
};

// The brightness and contrast dialog.
struct ChangeRequest {
    QString title;
    QImage preview;     // the picture the dialog previews
    int kind = 0;       // 0 brightness, 1 contrast
    int value = 0;      // start value, -1000..1000
    bool boldFont = false;
};

// The colour-resolution dialog: bits per pixel (1, 4, 8, 24 or 32), palette
// (0 fitted to the picture, 1 fixed) and dither (0 none, 1 error diffusion).
struct ColorResRequest {
    QString title;
    QImage preview;
    int bits = 8;
    int palette = 0;
    int dither = 0;
    bool boldFont = false;
};

struct ColorResAnswer {
    int bits = 8;
    int palette = 0;
    int dither = 0;
};

// The font dialog: the face, size and style it starts from (an empty face or a
// size of 0 leave the dialog's own choice), and what the user chose.
struct FontRequest {
    QString title;
    QString family;
    double pointSize = 0;
    bool bold = false;
    bool italic = false;
    bool printerFonts = false; // offer the faces a printer can print (scalable ones)
};

struct FontChoice {
    QString family;
    double pointSize = 0;
    bool bold = false;
    bool italic = false;
};

class DialogService {
public:
    virtual ~DialogService() = default;
    virtual Answer message(const QString& title, const QString& text, Buttons buttons, Icon icon) = 0;
    virtual FileAnswer openFile(const FileRequest& request) = 0;
    virtual FileAnswer saveFile(const FileRequest& request) = 0;
    virtual QString folder(const QString& title, const QString& start) = 0;
    virtual std::optional<QColor> color(const QString& title, const QColor& initial) = 0;
    virtual bool printerSetup(QPrinter* printer) = 0;

    // The imaging open and save dialogs (file plus page, format, bits,
    // compression and multi-page choices). By default plain file dialogs.
    virtual FileAnswer imageOpen(const FileRequest& request) { return openFile(request); }
    virtual FileAnswer imageSave(const FileRequest& request) { return saveFile(request); }
    // The change dialog: the chosen value, or nothing when cancelled.
    virtual std::optional<int> imageChange(const ChangeRequest& request);
    // The colour-resolution dialog: the choices, or nothing when cancelled.
    virtual std::optional<ColorResAnswer> imageColorRes(const ColorResRequest& request);
    // Picks one of several items; -1 when cancelled. By default the current one.
    virtual int chooseItem(const QString& title, const QString& label, const QStringList& items, int current);
    // The font dialog: the chosen font, or nothing when cancelled.
    virtual std::optional<FontChoice> font(const FontRequest& request);
};

// The window the Qt dialogs shown during the object's life belong to, for a
// report of work that ends on its own (a background job's end). Otherwise a
// dialog belongs to the active window, and to none between two boxes, before
// the window manager has given the focus back: such a box may be placed
// anywhere, behind the windows as well.
class DialogOwner {
public:
    explicit DialogOwner(QWidget* owner);
    ~DialogOwner();
    DialogOwner(const DialogOwner&) = delete;
    DialogOwner& operator=(const DialogOwner&) = delete;

private:
    QPointer<QWidget> m_previous;
};

// The service in use: the Qt one unless another was installed.
DialogService& dialogs();
void setDialogs(DialogService* service); // nullptr restores the Qt service
// The Qt dialogs themselves, whichever service is in use.
DialogService& qtDialogs();

// Turns the program's "Name|pattern|Name|pattern" filter into Qt's ";;" form.
QString qtFilterFromPipes(const QString& pipeFilter);

} // namespace platform
