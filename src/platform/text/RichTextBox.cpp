#include "platform/text/RichTextBox.h"

#include "platform/core/ErrorNumbers.h"
#include "platform/text/RtfReader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPrinter>
#include <QTextDocument>
#include <QTextDocumentFragment>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace platform {

bool isFileLockedByOther(const QString& path)
{
    const QFileInfo info(path);
    // The lock file an office suite keeps while it has the document open.
    if (QFileInfo::exists(info.dir().filePath(QStringLiteral(".~lock.") + info.fileName() + QLatin1Char('#'))))
        return true;
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return false;
    bool locked = false;
    if (::flock(fd, LOCK_SH | LOCK_NB) != 0)
        locked = errno == EWOULDBLOCK;
    else
        ::flock(fd, LOCK_UN);
    struct flock probe {};
    probe.l_type = F_RDLCK;
    probe.l_whence = SEEK_SET;
    if (!locked && ::fcntl(fd, F_GETLK, &probe) == 0 && probe.l_type == F_WRLCK)
        locked = true;
    ::close(fd);
    return locked;
}

RichTextBox::RichTextBox(QWidget* parent) : QTextEdit(parent)
{
    setAcceptRichText(true);
    setTextInteractionFlags(Qt::TextEditorInteraction);
}

int RichTextBox::LoadFile(const QString& path, FileType type, QString* description)
{
    auto failed = [&](int number) {
        if (description)
            *description = errorDescription(number);
        return number;
    };
    const QFileInfo info(path);
    if (!info.exists())
        return failed(info.dir().exists() ? ErrFileNotFound : ErrPathNotFound);
    if (info.isDir())
        return failed(ErrPathFileAccess);
    if (isFileLockedByOther(path))
        return failed(ErrPathFileAccess);
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return failed(errorNumberFromFileError(f.error()));
    const QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError)
        return failed(ErrPathFileAccess);
    if (type == RichText && looksLikeRtf(bytes)) {
        document()->setDefaultFont(font());
        readRtf(bytes, document());
    } else {
        // Plain text, and a "rich text" file that holds no RTF.
        showPlainText(decodePlainText(bytes));
    }
    m_fileName = path;
    return 0;
}

void RichTextBox::showPlainText(const QString& text) { setPlainText(breakLongLines(text)); }

void RichTextBox::setLocked(bool locked)
{
    setReadOnly(locked);
    // A locked box still lets the user select and copy.
    setTextInteractionFlags(locked ? Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard
                                   : Qt::TextEditorInteraction);
}

QByteArray RichTextBox::TextRTF() const
{
    return plainTextToRtf(toPlainText(), font().family(), int(font().pointSizeF() + 0.5));
}

void RichTextBox::setTextRTF(const QByteArray& rtf)
{
    if (rtf.trimmed().isEmpty()) {
        clear();
        return;
    }
    readRtf(rtf, document());
}

void RichTextBox::SelPrint(QPrinter* printer)
{
    if (textCursor().hasSelection()) {
        QTextDocument part;
        part.setDefaultFont(font());
        QTextCursor(&part).insertFragment(textCursor().selection());
        part.print(printer);
    } else {
        document()->print(printer);
    }
}

} // namespace platform
