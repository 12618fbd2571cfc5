#pragma once
// Our reader of Rich Text Format into a QTextDocument (paragraphs and their
// alignment and indents, fonts and sizes, bold, italic, underline and
// strike-out, the colour table for text and highlight colours, tabs, line
// breaks, escaped and Unicode characters; destinations it does not show are
// skipped), and the decoding of plain text files.
#include <QByteArray>
#include <QString>

class QTextDocument;

namespace platform {

// True when the bytes begin as an RTF file does.
bool looksLikeRtf(const QByteArray& bytes);

// Replaces the document's content with the RTF. False (and an empty
// document) when the bytes are no RTF; damaged RTF shows what could be read.
bool readRtf(const QByteArray& rtf, QTextDocument* document);

// A plain RTF rendering of the document's text (no formatting).
QByteArray plainTextToRtf(const QString& text, const QString& fontName, int pointSize);

// Lines longer than this are shown as several paragraphs: the text box lays
// out and shapes a paragraph whole, which takes seconds for a line of a
// megabyte, with or without blanks.
constexpr qsizetype kMaxShownLine = 4096;

// Where the piece of a long line that starts at from ends, for at most room
// characters: after the last blank in the second half of the piece, else
// after room characters.
qsizetype pieceEnd(const QString& text, qsizetype from, qsizetype room);

// The text with every line longer than kMaxShownLine broken into pieces.
QString breakLongLines(const QString& text);

// Text files: UTF-16 with its byte-order mark, else as every text file of
// the program is read (TextFile.h: each line UTF-8 where valid, else Windows-1252).
QString decodePlainText(const QByteArray& bytes);

} // namespace platform
