#include "platform/text/RtfReader.h"

#include "platform/text/TextFile.h"

#include <QColor>
#include <QHash>
#include <QList>
#include <QSet>
#include <QStringDecoder>
#include <QTextBlock>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>

namespace platform {
namespace {

QString decodeCodepage(const QByteArray& bytes, int codepage)
{
    if (codepage == 1252 || codepage <= 0)
        return decodeWindows1252(bytes);
    if (codepage == 65001)
        return QString::fromUtf8(bytes);
    QStringDecoder dec(QStringLiteral("windows-%1").arg(codepage).toLatin1().constData());
    if (codepage == 10000)
        dec = QStringDecoder("macintosh");
    if (!dec.isValid())
        return decodeWindows1252(bytes);
    return dec.decode(bytes);
}

int codepageOfCharset(int charset)
{
    switch (charset) {
    case 77: return 10000;
    case 128: return 932;
    case 129: return 949;
    case 134: return 936;
    case 136: return 950;
    case 161: return 1253;
    case 162: return 1254;
    case 163: return 1258;
    case 177: return 1255;
    case 178: return 1256;
    case 186: return 1257;
    case 204: return 1251;
    case 222: return 874;
    case 238: return 1250;
    default: return 0; // the document's own code page
    }
}

enum class Dest { Text, FontTable, ColorTable, Skip };

struct CharState {
    int font = -1;
    int halfPoints = 24;
    bool bold = false, italic = false, underline = false, strike = false, hidden = false;
    int fore = 0, back = 0;
    int ucSkip = 1;
    int rise = 0; // super- or subscript
};

struct ParaState {
    Qt::Alignment align = Qt::AlignLeft;
    int leftTwips = 0, rightTwips = 0, firstTwips = 0, beforeTwips = 0, afterTwips = 0;
};

struct Group {
    CharState chr;
    ParaState para;
    Dest dest = Dest::Text;
};

struct Font {
    QString name;
    int charset = 0;
};

// Control words that open a destination the reader does not show.
const QSet<QByteArray>& skippedDestinations()
{
    static const QSet<QByteArray> s = {
        "author",    "buptim",     "colorschememapping", "comment",   "creatim",    "datastore",
        "doccomm",   "footer",     "footerf",            "footerl",   "footerr",    "footnote",
        "ftncn",     "ftnsep",     "ftnsepc",            "header",    "headerf",    "headerl",
        "headerr",   "info",       "keywords",           "latentstyles", "listoverridetable", "listtable",
        "nonshppict", "object",    "operator",           "pict",      "printim",    "revtim",
        "revtbl",    "rsidtbl",    "stylesheet",         "subject",   "themedata",  "title",
        "xmlnstbl",  "filetbl",    "fldinst",            "generator", "pgdsctbl",   "mmathPr",
        "bkmkstart", "bkmkend",    "company",            "operator",  "userprops",  "wgrffmtfilter"};
    return s;
}

class Reader {
public:
    Reader(const QByteArray& in, QTextDocument* doc) : m_in(in), m_doc(doc), m_cursor(doc) {}

    void run()
    {
        // One edit: the document is laid out once, not after every run.
        m_cursor.beginEditBlock();
        m_stack.push_back(Group{});
        const qsizetype n = m_in.size();
        qsizetype i = 0;
        while (i < n) {
            const char c = m_in.at(i);
            if (c == '{') {
                flush();
                if (m_stack.size() < 4000) // deeper nesting is read as one level
                    m_stack.push_back(m_stack.back());
                else
                    ++m_overflow;
                m_skipChars = 0;
                ++i;
            } else if (c == '}') {
                flush();
                endGroup();
                m_skipChars = 0;
                ++i;
            } else if (c == '\\') {
                i = control(i + 1);
            } else if (c == '\r' || c == '\n') {
                ++i;
            } else {
                textByte(c);
                ++i;
            }
        }
        flush();
        m_cursor.setBlockFormat(blockFormat());
        breakLongParagraphs();
        m_cursor.endEditBlock();
    }

private:
    Group& g() { return m_stack.back(); }

    void endGroup()
    {
        if (m_overflow > 0) {
            --m_overflow;
            return;
        }
        if (g().dest == Dest::FontTable && m_fontNumber >= 0 && !m_fontName.isEmpty())
            finishFont();
        if (m_stack.size() > 1)
            m_stack.pop_back();
    }

    void finishFont()
    {
        QString name = m_fontName.trimmed();
        if (name.endsWith(QLatin1Char(';')))
            name.chop(1);
        m_fonts[m_fontNumber].name = name.trimmed();
        m_fontName.clear();
    }

    // Reads a control word or symbol starting after the backslash.
    qsizetype control(qsizetype i)
    {
        const qsizetype n = m_in.size();
        if (i >= n)
            return i;
        const char c = m_in.at(i);
        if (!isalpha(uchar(c))) {
            switch (c) {
            case '\'': {
                if (i + 2 < n) {
                    bool ok = false;
                    const int v = m_in.mid(i + 1, 2).toInt(&ok, 16);
                    if (ok)
                        textByte(char(v));
                }
                return std::min(n, i + 3);
            }
            case '\\':
            case '{':
            case '}': textByte(c); return i + 1;
            case '~': textChar(QChar(0x00A0)); return i + 1;
            case '_': textChar(QChar(0x2011)); return i + 1;
            case '-': return i + 1; // optional hyphen
            case '*':
                m_starred = true;
                return i + 1;
            case '\r':
            case '\n': paragraph(); return i + 1;
            case '\t': textChar(QChar('\t')); return i + 1;
            default: return i + 1;
            }
        }
        qsizetype j = i;
        while (j < n && isalpha(uchar(m_in.at(j))) && j - i < 32)
            ++j;
        const QByteArray word = m_in.mid(i, j - i);
        bool hasParam = false;
        int param = 0;
        qsizetype k = j;
        if (k < n && (m_in.at(k) == '-' || isdigit(uchar(m_in.at(k))))) {
            qsizetype s = k;
            if (m_in.at(k) == '-')
                ++k;
            while (k < n && isdigit(uchar(m_in.at(k))))
                ++k;
            // Overlong numbers are cut to the range of a parameter.
            const QByteArray digits = m_in.mid(s, std::min<qsizetype>(k - s, 11));
            param = int(std::clamp(digits.toLongLong(), qint64(INT_MIN), qint64(INT_MAX)));
            hasParam = k > s + (m_in.at(s) == '-' ? 1 : 0);
        }
        if (k < n && m_in.at(k) == ' ')
            ++k;
        if (word == "bin") {
            flush();
            return std::min(n, k + std::max(0, param)); // binary data is skipped whole
        }
        const bool starred = m_starred;
        m_starred = false;
        controlWord(word, hasParam, param, starred);
        return k;
    }

    void controlWord(const QByteArray& w, bool hasParam, int p, bool starred)
    {
        Group& s = g();
        if (s.dest == Dest::Skip)
            return;
        const bool on = !hasParam || p != 0;
        // Destinations.
        if (w == "fonttbl") {
            flush();
            s.dest = Dest::FontTable;
            m_fontNumber = -1;
            return;
        }
        if (w == "colortbl") {
            flush();
            s.dest = Dest::ColorTable;
            m_colors.clear();
            m_red = m_green = m_blue = 0;
            m_colorSet = false;
            return;
        }
        if (skippedDestinations().contains(w) || (starred && !knownWord(w))) {
            flush();
            s.dest = Dest::Skip;
            return;
        }
        if (s.dest == Dest::FontTable) {
            if (w == "f") {
                if (m_fontNumber >= 0 && !m_fontName.isEmpty())
                    finishFont();
                m_fontNumber = p;
                m_fonts[p];
            } else if (w == "fcharset" && m_fontNumber >= 0) {
                m_fonts[m_fontNumber].charset = p;
            }
            return;
        }
        if (s.dest == Dest::ColorTable) {
            if (w == "red")
                m_red = p, m_colorSet = true;
            else if (w == "green")
                m_green = p, m_colorSet = true;
            else if (w == "blue")
                m_blue = p, m_colorSet = true;
            return;
        }
        // Document settings.
        if (w == "ansicpg") {
            flush();
            m_codepage = p;
            return;
        }
        if (w == "deff") {
            m_defaultFont = p;
            return;
        }
        if (w == "uc") {
            s.chr.ucSkip = std::clamp(p, 0, 10);
            return;
        }
        if (w == "u") {
            int code = p < 0 ? p + 65536 : p;
            textChar(QChar(char16_t(code)));
            m_skipChars = s.chr.ucSkip;
            return;
        }
        // Characters.
        static const QHash<QByteArray, char16_t> symbols = {
            {"tab", u'\t'},          {"emdash", 0x2014},   {"endash", 0x2013}, {"bullet", 0x2022},
            {"lquote", 0x2018},      {"rquote", 0x2019},   {"ldblquote", 0x201C}, {"rdblquote", 0x201D},
            {"line", 0x2028},        {"emspace", 0x2003},  {"enspace", 0x2002}, {"qmspace", 0x2005},
            {"zwj", 0x200D},         {"zwnj", 0x200C},     {"cell", u'\t'},    {"chatn", 0}};
        const auto sym = symbols.constFind(w);
        if (sym != symbols.constEnd()) {
            if (*sym)
                textChar(QChar(*sym));
            return;
        }
        if (w == "par" || w == "row" || w == "page" || w == "sect") {
            paragraph();
            return;
        }
        // Formatting: what follows takes it.
        flush();
        CharState& c = s.chr;
        ParaState& para = s.para;
        if (w == "plain") {
            const int uc = c.ucSkip;
            c = CharState{};
            c.ucSkip = uc;
        } else if (w == "pard") {
            para = ParaState{};
        } else if (w == "f") {
            c.font = p;
        } else if (w == "fs") {
            c.halfPoints = hasParam && p > 0 ? std::min(p, 3276) : 24;
        } else if (w == "b") {
            c.bold = on;
        } else if (w == "i") {
            c.italic = on;
        } else if (w == "ul" || w == "uld" || w == "uldb" || w == "ulw" || w == "ulth" || w == "uldash") {
            c.underline = on;
        } else if (w == "ulnone") {
            c.underline = false;
        } else if (w == "strike" || w == "striked") {
            c.strike = on;
        } else if (w == "v") {
            c.hidden = on;
        } else if (w == "cf") {
            c.fore = p;
        } else if (w == "cb" || w == "highlight" || w == "chcbpat") {
            c.back = p;
        } else if (w == "super") {
            c.rise = 1;
        } else if (w == "sub") {
            c.rise = -1;
        } else if (w == "nosupersub") {
            c.rise = 0;
        } else if (w == "ql") {
            para.align = Qt::AlignLeft;
        } else if (w == "qr") {
            para.align = Qt::AlignRight;
        } else if (w == "qc") {
            para.align = Qt::AlignHCenter;
        } else if (w == "qj") {
            para.align = Qt::AlignJustify;
        } else if (w == "li") {
            para.leftTwips = p;
        } else if (w == "ri") {
            para.rightTwips = p;
        } else if (w == "fi") {
            para.firstTwips = p;
        } else if (w == "sb") {
            para.beforeTwips = p;
        } else if (w == "sa") {
            para.afterTwips = p;
        }
    }

    static bool knownWord(const QByteArray& w)
    {
        // Starred words whose text is shown.
        return w == "fldrslt" || w == "shppict" || w == "ud" || w == "upr";
    }

    void textByte(char c)
    {
        Group& s = g();
        if (m_skipChars > 0) {
            --m_skipChars;
            return;
        }
        if (s.dest == Dest::Skip)
            return;
        if (s.dest == Dest::FontTable) {
            if (c == ';') {
                if (m_fontNumber >= 0)
                    finishFont();
            } else {
                m_fontName += decodeCodepage(QByteArray(1, c), m_codepage);
            }
            return;
        }
        if (s.dest == Dest::ColorTable) {
            if (c == ';') {
                m_colors << (m_colorSet ? QColor(std::clamp(m_red, 0, 255), std::clamp(m_green, 0, 255),
                                                 std::clamp(m_blue, 0, 255))
                                        : QColor());
                m_red = m_green = m_blue = 0;
                m_colorSet = false;
            }
            return;
        }
        if (s.chr.hidden)
            return;
        const int cp = currentCodepage();
        if (cp != m_pendingCodepage) {
            flush();
            m_pendingCodepage = cp;
        }
        m_pendingBytes += c;
    }

    void textChar(QChar ch)
    {
        Group& s = g();
        if (s.dest != Dest::Text || s.chr.hidden)
            return;
        decodePending();
        m_pending += ch;
    }

    int currentCodepage() const
    {
        const int f = m_stack.back().chr.font >= 0 ? m_stack.back().chr.font : m_defaultFont;
        const auto it = m_fonts.constFind(f);
        if (it != m_fonts.constEnd()) {
            const int cp = codepageOfCharset(it->charset);
            if (cp)
                return cp;
        }
        return m_codepage;
    }

    void decodePending()
    {
        if (m_pendingBytes.isEmpty())
            return;
        m_pending += decodeCodepage(m_pendingBytes, m_pendingCodepage);
        m_pendingBytes.clear();
    }

    void flush()
    {
        decodePending();
        if (m_pending.isEmpty())
            return;
        m_cursor.insertText(m_pending, charFormat());
        m_pending.clear();
    }

    void paragraph()
    {
        if (g().dest != Dest::Text)
            return;
        flush();
        m_cursor.setBlockFormat(blockFormat());
        m_cursor.insertBlock(blockFormat(), charFormat());
    }

    // Paragraphs longer than kMaxShownLine become several, cut from the end
    // so that the places found first stay where they are.
    void breakLongParagraphs()
    {
        std::vector<int> cuts;
        for (QTextBlock b = m_doc->begin(); b.isValid(); b = b.next()) {
            if (b.length() - 1 <= kMaxShownLine)
                continue;
            const QString text = b.text();
            for (qsizetype at = 0; text.size() - at > kMaxShownLine;) {
                at = pieceEnd(text, at, kMaxShownLine);
                cuts.push_back(b.position() + int(at));
            }
        }
        for (auto it = cuts.rbegin(); it != cuts.rend(); ++it) {
            m_cursor.setPosition(*it);
            m_cursor.insertBlock();
        }
    }

    QTextCharFormat charFormat() const
    {
        const CharState& c = m_stack.back().chr;
        QTextCharFormat f;
        const int fontNumber = c.font >= 0 ? c.font : m_defaultFont;
        const auto font = m_fonts.constFind(fontNumber);
        if (font != m_fonts.constEnd() && !font->name.isEmpty())
            f.setFontFamilies({font->name});
        f.setFontPointSize(c.halfPoints / 2.0);
        f.setFontWeight(c.bold ? QFont::Bold : QFont::Normal);
        f.setFontItalic(c.italic);
        f.setFontUnderline(c.underline);
        f.setFontStrikeOut(c.strike);
        if (c.rise)
            f.setVerticalAlignment(c.rise > 0 ? QTextCharFormat::AlignSuperScript : QTextCharFormat::AlignSubScript);
        if (c.fore > 0 && c.fore < m_colors.size() && m_colors.at(c.fore).isValid())
            f.setForeground(m_colors.at(c.fore));
        if (c.back > 0 && c.back < m_colors.size() && m_colors.at(c.back).isValid())
            f.setBackground(m_colors.at(c.back));
        return f;
    }

    QTextBlockFormat blockFormat() const
    {
        const ParaState& p = m_stack.back().para;
        QTextBlockFormat b;
        b.setAlignment(p.align);
        b.setLeftMargin(p.leftTwips / 15.0);
        b.setRightMargin(p.rightTwips / 15.0);
        b.setTextIndent(p.firstTwips / 15.0);
        b.setTopMargin(p.beforeTwips / 15.0);
        b.setBottomMargin(p.afterTwips / 15.0);
        return b;
    }

    const QByteArray& m_in;
    QTextDocument* m_doc;
    QTextCursor m_cursor;
    QList<Group> m_stack;
    int m_overflow = 0;
    bool m_starred = false;
    int m_skipChars = 0;
    int m_codepage = 1252;
    int m_defaultFont = 0;
    QHash<int, Font> m_fonts;
    int m_fontNumber = -1;
    QString m_fontName;
    QList<QColor> m_colors;
    int m_red = 0, m_green = 0, m_blue = 0;
    bool m_colorSet = false;
    QString m_pending;
    QByteArray m_pendingBytes;
    int m_pendingCodepage = 1252;
};

} // namespace

bool looksLikeRtf(const QByteArray& bytes)
{
    qsizetype i = 0;
    if (bytes.startsWith("\xEF\xBB\xBF"))
        i = 3;
    return bytes.mid(i, 5) == "{\\rtf";
}

bool readRtf(const QByteArray& rtf, QTextDocument* document)
{
    document->clear();
    if (!looksLikeRtf(rtf))
        return false;
    // A file read is no edit the user could undo.
    const bool undo = document->isUndoRedoEnabled();
    document->setUndoRedoEnabled(false);
    Reader(rtf, document).run();
    document->setUndoRedoEnabled(undo);
    return true;
}

qsizetype pieceEnd(const QString& text, qsizetype from, qsizetype room)
{
    const qsizetype end = std::min(text.size(), from + room);
    if (end == text.size())
        return end;
    for (qsizetype i = end - 1; i > from + room / 2; --i)
        if (text.at(i) == QLatin1Char(' ') || text.at(i) == QLatin1Char('\t'))
            return i + 1;
    return end;
}

QString breakLongLines(const QString& text)
{
    auto isLineEnd = [](QChar c) { return c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QChar(0x2029); };
    const qsizetype n = text.size();
    QString out;
    qsizetype copied = 0, lineStart = 0;
    for (qsizetype i = 0; i <= n; ++i) {
        if (i < n && !isLineEnd(text.at(i)))
            continue;
        for (qsizetype at = lineStart; i - at > kMaxShownLine;) {
            const qsizetype end = pieceEnd(text, at, kMaxShownLine);
            out += QStringView(text).mid(copied, end - copied);
            out += QLatin1Char('\n');
            copied = at = end;
        }
        lineStart = i + 1;
    }
    if (copied == 0)
        return text;
    out += QStringView(text).mid(copied);
    return out;
}

QByteArray plainTextToRtf(const QString& text, const QString& fontName, int pointSize)
{
    QByteArray out = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 " + fontName.toLatin1() + ";}}\\f0\\fs" +
                     QByteArray::number(pointSize * 2) + " ";
    for (const QChar ch : text) {
        const char16_t u = ch.unicode();
        if (u == '\\' || u == '{' || u == '}')
            out += '\\', out += char(u);
        else if (u == '\n' || u == 0x2029)
            out += "\\par\n";
        else if (u == '\t')
            out += "\\tab ";
        else if (u < 0x80)
            out += char(u);
        else
            out += "\\u" + QByteArray::number(qint16(u)) + "?";
    }
    return out + "}";
}

QString decodePlainText(const QByteArray& bytes)
{
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        QStringDecoder dec(bytes.startsWith("\xFF\xFE") ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE);
        return dec.decode(bytes.mid(2));
    }
    // The program's one text decoder: UTF-8 where valid, each other line Windows-1252.
    return decodeText(bytes);
}

} // namespace platform
