#pragma once
// text/: showing and reading text: the rich-text box, our RTF reader and the
// text file reader and writer, on Qt's text document.
//
// The rich-text box: shows an RTF file (through our RTF reader) or a plain
// text file, can be locked against editing, prints its text.
#include <QTextEdit>

class QPrinter;

namespace platform {

class RichTextBox : public QTextEdit {
    Q_OBJECT
public:
    enum FileType { RichText = 0, PlainText = 1 };

    explicit RichTextBox(QWidget* parent = nullptr);

    // Loads the file; 0 when it was shown, else the program's error number
    // (53 not found, 70 permission denied, 75 the file is in use by another
    // program or cannot be read) with its description.
    int LoadFile(const QString& path, FileType type, QString* description = nullptr);

    // Shows plain text, long lines broken into pieces (kMaxShownLine).
    void showPlainText(const QString& text);

    QString FileName() const { return m_fileName; }
    bool Locked() const { return isReadOnly(); }
    void setLocked(bool locked);

    // The box's text as RTF; setting "" empties the box.
    QByteArray TextRTF() const;
    void setTextRTF(const QByteArray& rtf);

    // Prints the selection, or all of the text when nothing is selected.
    void SelPrint(QPrinter* printer);

private:
    QString m_fileName;
};

// True when another program holds a lock on the file (a whole-file lock, or
// an office suite's lock file beside it).
bool isFileLockedByOther(const QString& path);

} // namespace platform
