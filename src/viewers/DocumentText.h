#pragma once
// What the document views show for files the web engine cannot show itself:
// word-processor files (DOC, WPS) and server pages (ASP, PHP).
#include <QByteArray>
#include <QString>

namespace viewers {

// DOC and WPS: word-processor files, often in a binary format.
bool isWordProcessorExtension(const QString& ext);
// ASP and PHP: pages the engine would only offer to download.
bool isServerPageExtension(const QString& ext);

// True when the bytes are no text (they hold NULs or many control bytes).
bool isBinary(const QByteArray& bytes);

// The readable runs of text in a binary word-processor file, one a line;
// empty when it holds none.
QString readableText(const QByteArray& bytes);

// The text box's text for a word-processor file: its readable text, or a
// clear message when it holds none.
QString wordProcessorText(const QString& path, const QByteArray& bytes);

// The page the document browser shows for a word-processor file: RTF with its
// formatting, HTML as it is, text as text, and the readable text of a binary
// file under a note, or a clear message when there is none.
QString wordProcessorPage(const QString& path, const QByteArray& bytes);

} // namespace viewers
