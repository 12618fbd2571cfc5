#include "viewers/DocumentText.h"

#include "platform/text/RtfReader.h"
#include "platform/text/TextFile.h"

#include <QTextDocument>

namespace viewers {
namespace {

constexpr qsizetype kMinRun = 8;
constexpr qsizetype kMaxText = 1000000;

bool readable8(uchar b) { return (b >= 0x20 && b < 0x7F) || b >= 0xA0 || b == '\t' || b == '\r' || b == '\n'; }

bool plausible(const QString& run)
{
    // Style and font names are short runs without blanks; prose has blanks.
    int letters = 0;
    for (const QChar c : run)
        letters += c.isLetter();
    return letters * 2 >= run.size() && (run.contains(QLatin1Char(' ')) || run.size() >= 24);
}

QString notePage(const QString& path, const QString& note, const QString& text)
{
    QString html = QStringLiteral("<html><head><meta charset=\"utf-8\"><title>%1</title></head><body>"
                                  "<p><i>%2</i></p>")
                       .arg(path.toHtmlEscaped(), note.toHtmlEscaped());
    if (!text.isEmpty())
        html += QStringLiteral("<pre style=\"white-space: pre-wrap\">") + text.toHtmlEscaped() +
                QStringLiteral("</pre>");
    return html + QStringLiteral("</body></html>");
}

const QString kNoText = QStringLiteral("This document is in a format that cannot be shown here, and it holds no "
                                       "readable text. Open it with the program that made it.");
const QString kTextOnly = QStringLiteral("This document is in a format that cannot be shown here; the text it "
                                         "holds follows, without its formatting.");

} // namespace

bool isWordProcessorExtension(const QString& ext)
{
    return ext.compare(QLatin1String("DOC"), Qt::CaseInsensitive) == 0 ||
           ext.compare(QLatin1String("WPS"), Qt::CaseInsensitive) == 0;
}

bool isServerPageExtension(const QString& ext)
{
    return ext.compare(QLatin1String("ASP"), Qt::CaseInsensitive) == 0 ||
           ext.compare(QLatin1String("PHP"), Qt::CaseInsensitive) == 0;
}

bool isBinary(const QByteArray& bytes)
{
    const QByteArray head = bytes.left(8192);
    if (head.startsWith("\xFF\xFE") || head.startsWith("\xFE\xFF"))
        return false; // UTF-16 text
    int control = 0;
    for (const char c : head) {
        const uchar b = uchar(c);
        if (b == 0)
            return true;
        if (b < 0x20 && b != '\t' && b != '\r' && b != '\n' && b != '\f')
            ++control;
    }
    return control * 10 > head.size();
}

QString readableText(const QByteArray& bytes)
{
    struct Run {
        qsizetype at;
        QString text;
    };
    QList<Run> runs;
    const qsizetype n = bytes.size();
    // 8-bit text (Windows-1252).
    for (qsizetype i = 0; i < n;) {
        qsizetype j = i;
        while (j < n && readable8(uchar(bytes.at(j))))
            ++j;
        if (j - i >= kMinRun)
            runs << Run{i, platform::decodeWindows1252(bytes.mid(i, j - i))};
        i = j + 1;
    }
    // UTF-16 text, at even and odd offsets.
    for (int phase = 0; phase < 2; ++phase) {
        for (qsizetype i = phase; i + 1 < n;) {
            qsizetype j = i;
            QString s;
            while (j + 1 < n) {
                const char16_t u = char16_t(uchar(bytes.at(j)) | (uchar(bytes.at(j + 1)) << 8));
                const QChar c(u);
                if (u == 0 || !(c.isPrint() || u == '\t' || u == '\r' || u == '\n') || (u >= 0xD800 && u < 0xE000))
                    break;
                if (u < 0x100 && !readable8(uchar(u)))
                    break;
                if (u >= 0x100 && u < 0x2000 && uchar(bytes.at(j)) >= 0x20 && uchar(bytes.at(j + 1)) >= 0x20)
                    break; // two 8-bit letters, not one UTF-16 letter
                s += c;
                j += 2;
            }
            if (s.size() >= kMinRun)
                runs << Run{i, s};
            i = j + 2;
        }
    }
    std::sort(runs.begin(), runs.end(), [](const Run& a, const Run& b) { return a.at < b.at; });
    QStringList lines;
    qsizetype total = 0;
    for (Run& r : runs) {
        QString t = r.text;
        t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
        t = t.trimmed();
        if (t.size() < kMinRun || !plausible(t))
            continue;
        lines << t;
        total += t.size();
        if (total > kMaxText)
            break;
    }
    return lines.join(QLatin1Char('\n'));
}

QString wordProcessorText(const QString& path, const QByteArray& bytes)
{
    Q_UNUSED(path);
    if (platform::looksLikeRtf(bytes)) {
        QTextDocument doc;
        platform::readRtf(bytes, &doc);
        return doc.toPlainText();
    }
    if (!isBinary(bytes))
        return platform::decodePlainText(bytes);
    const QString text = readableText(bytes);
    return text.isEmpty() ? kNoText : kTextOnly + QStringLiteral("\n\n") + text;
}

QString wordProcessorPage(const QString& path, const QByteArray& bytes)
{
    if (platform::looksLikeRtf(bytes)) {
        QTextDocument doc;
        platform::readRtf(bytes, &doc);
        return doc.toHtml();
    }
    if (!isBinary(bytes)) {
        const QString text = platform::decodePlainText(bytes);
        if (text.left(1024).contains(QLatin1String("<html"), Qt::CaseInsensitive))
            return text;
        return notePage(path, {}, text.left(kMaxText));
    }
    const QString text = readableText(bytes);
    return text.isEmpty() ? notePage(path, kNoText, {}) : notePage(path, kTextOnly, text);
}

} // namespace viewers
