#include "platform/text/RtfReader.h"

#include "platform/text/TextFile.h"

#include <QColor>
#include <QHash>
#include <QList>
#include <QStringDecoder>
#include <QTextBlock>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>

#include <optional>

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

// What a control word gives its handler: \b, \b1 and \b0 are one word
// with no, a true and a false parameter.
struct Parameter {
    bool given = false;
    int value = 0;
    bool on() const { return !given || value != 0; }
};

// Control words that open a destination: the two tables the text refers
// to, and those the reader does not show.
const QHash<QByteArray, Dest>& destinations()
{
    static const QHash<QByteArray, Dest> table = [] {
        QHash<QByteArray, Dest> t = {{"fonttbl", Dest::FontTable}, {"colortbl", Dest::ColorTable}};
        for (const char* w :
             {"author",    "buptim",     "colorschememapping", "comment",   "creatim",    "datastore",
              "doccomm",   "footer",     "footerf",            "footerl",   "footerr",    "footnote",
              "ftncn",     "ftnsep",     "ftnsepc",            "header",    "headerf",    "headerl",
              "headerr",   "info",       "keywords",           "latentstyles", "listoverridetable", "listtable",
              "nonshppict", "object",    "operator",           "pict",      "printim",    "revtim",
              "revtbl",    "rsidtbl",    "stylesheet",         "subject",   "themedata",  "title",
              "xmlnstbl",  "filetbl",    "fldinst",            "generator", "pgdsctbl",   "mmathPr",
              "bkmkstart", "bkmkend",    "company",            "userprops", "wgrffmtfilter"})
            t.insert(w, Dest::Skip);
        return t;
    }();
    return table;
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
        if (g().dest == Dest::FontTable)
            finishPendingFont();
        if (m_stack.size() > 1)
            m_stack.pop_back();
    }

    void finishPendingFont()
    {
        if (m_fontNumber >= 0 && !m_fontName.isEmpty())
            finishFont();
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
        Parameter param;
        qsizetype k = j;
        if (k < n && (m_in.at(k) == '-' || isdigit(uchar(m_in.at(k))))) {
            qsizetype s = k;
            if (m_in.at(k) == '-')
                ++k;
            while (k < n && isdigit(uchar(m_in.at(k))))
                ++k;
            // Overlong numbers are cut to the range of a parameter.
            const QByteArray digits = m_in.mid(s, std::min<qsizetype>(k - s, 11));
            param.value = int(std::clamp(digits.toLongLong(), qint64(INT_MIN), qint64(INT_MAX)));
            param.given = k > s + (m_in.at(s) == '-' ? 1 : 0);
        }
        if (k < n && m_in.at(k) == ' ')
            ++k;
        if (word == "bin") {
            flush();
            return std::min(n, k + std::max(0, param.value)); // binary data is skipped whole
        }
        const bool starred = m_starred;
        m_starred = false;
        controlWord(word, param, starred);
        return k;
    }

    using Handler = void (*)(Reader&, Parameter);

    // A control word does what its handler in the group's destination does.
    // One that opens a destination does that wherever it stands.
    void controlWord(const QByteArray& w, Parameter p, bool starred)
    {
        const Dest dest = g().dest;
        if (dest == Dest::Skip)
            return;
        if (const std::optional<Dest> opened = destinationOpenedBy(w, starred)) {
            openDestination(*opened);
            return;
        }
        const QHash<QByteArray, Handler>& words = dest == Dest::FontTable    ? fontTableWords()
                                                  : dest == Dest::ColorTable ? colorTableWords()
                                                                             : textWords();
        if (const auto handler = words.constFind(w); handler != words.constEnd())
            (*handler)(*this, p);
        else if (dest == Dest::Text)
            flush(); // a word not known here may be formatting: the text before it keeps its own
    }

    static std::optional<Dest> destinationOpenedBy(const QByteArray& w, bool starred)
    {
        if (const auto known = destinations().constFind(w); known != destinations().constEnd())
            return *known;
        // A starred word the reader does not know opens a destination it need not show.
        if (starred && !knownWord(w))
            return Dest::Skip;
        return std::nullopt;
    }

    static bool knownWord(const QByteArray& w)
    {
        // Starred words whose text is shown.
        return w == "fldrslt" || w == "shppict" || w == "ud" || w == "upr";
    }

    void openDestination(Dest dest)
    {
        flush();
        g().dest = dest;
        if (dest == Dest::FontTable) {
            m_fontNumber = -1;
        } else if (dest == Dest::ColorTable) {
            m_colors.clear();
            startColor();
        }
    }

    static const QHash<QByteArray, Handler>& fontTableWords()
    {
        static const QHash<QByteArray, Handler> table = {
            {"f", [](Reader& r, Parameter p) { r.startFont(p.value); }},
            {"fcharset", [](Reader& r, Parameter p) { r.setFontCharset(p.value); }},
        };
        return table;
    }

    static const QHash<QByteArray, Handler>& colorTableWords()
    {
        static const QHash<QByteArray, Handler> table = {
            {"red", [](Reader& r, Parameter p) { r.m_red = p.value, r.m_colorSet = true; }},
            {"green", [](Reader& r, Parameter p) { r.m_green = p.value, r.m_colorSet = true; }},
            {"blue", [](Reader& r, Parameter p) { r.m_blue = p.value, r.m_colorSet = true; }},
        };
        return table;
    }

    // The words of the text: document settings, characters by name, the ends
    // of paragraphs, and the formatting that what follows takes.
    static const QHash<QByteArray, Handler>& textWords()
    {
        const Handler paragraph = [](Reader& r, Parameter) { r.paragraph(); };
        const Handler underline = [](Reader& r, Parameter p) { r.restyle().underline = p.on(); };
        const Handler strike = [](Reader& r, Parameter p) { r.restyle().strike = p.on(); };
        const Handler background = [](Reader& r, Parameter p) { r.restyle().back = p.value; };
        static const QHash<QByteArray, Handler> table = {
            {"ansicpg", [](Reader& r, Parameter p) { r.flush(), r.m_codepage = p.value; }},
            {"deff", [](Reader& r, Parameter p) { r.m_defaultFont = p.value; }},
            {"uc", [](Reader& r, Parameter p) { r.g().chr.ucSkip = std::clamp(p.value, 0, 10); }},
            {"u", [](Reader& r, Parameter p) { r.unicodeChar(p.value); }},

            {"tab", symbol<u'\t'>},      {"emdash", symbol<0x2014>},  {"endash", symbol<0x2013>},
            {"bullet", symbol<0x2022>},  {"lquote", symbol<0x2018>},  {"rquote", symbol<0x2019>},
            {"ldblquote", symbol<0x201C>}, {"rdblquote", symbol<0x201D>}, {"line", symbol<0x2028>},
            {"emspace", symbol<0x2003>}, {"enspace", symbol<0x2002>}, {"qmspace", symbol<0x2005>},
            {"zwj", symbol<0x200D>},     {"zwnj", symbol<0x200C>},    {"cell", symbol<u'\t'>},
            {"chatn", [](Reader&, Parameter) {}}, // a footnote's own mark, not shown

            {"par", paragraph}, {"row", paragraph}, {"page", paragraph}, {"sect", paragraph},

            {"plain", [](Reader& r, Parameter) { r.plain(); }},
            {"pard", [](Reader& r, Parameter) { r.restyleParagraph() = ParaState{}; }},
            {"f", [](Reader& r, Parameter p) { r.restyle().font = p.value; }},
            {"fs", [](Reader& r, Parameter p) {
                 r.restyle().halfPoints = p.given && p.value > 0 ? std::min(p.value, 3276) : 24;
             }},
            {"b", [](Reader& r, Parameter p) { r.restyle().bold = p.on(); }},
            {"i", [](Reader& r, Parameter p) { r.restyle().italic = p.on(); }},
            {"ul", underline}, {"uld", underline}, {"uldb", underline}, {"ulw", underline}, {"ulth", underline},
            {"uldash", underline},
            {"ulnone", [](Reader& r, Parameter) { r.restyle().underline = false; }},
            {"strike", strike}, {"striked", strike},
            {"v", [](Reader& r, Parameter p) { r.restyle().hidden = p.on(); }},
            {"cf", [](Reader& r, Parameter p) { r.restyle().fore = p.value; }},
            {"cb", background}, {"highlight", background}, {"chcbpat", background},
            {"super", [](Reader& r, Parameter) { r.restyle().rise = 1; }},
            {"sub", [](Reader& r, Parameter) { r.restyle().rise = -1; }},
            {"nosupersub", [](Reader& r, Parameter) { r.restyle().rise = 0; }},
            {"ql", [](Reader& r, Parameter) { r.restyleParagraph().align = Qt::AlignLeft; }},
            {"qr", [](Reader& r, Parameter) { r.restyleParagraph().align = Qt::AlignRight; }},
            {"qc", [](Reader& r, Parameter) { r.restyleParagraph().align = Qt::AlignHCenter; }},
            {"qj", [](Reader& r, Parameter) { r.restyleParagraph().align = Qt::AlignJustify; }},
            {"li", [](Reader& r, Parameter p) { r.restyleParagraph().leftTwips = p.value; }},
            {"ri", [](Reader& r, Parameter p) { r.restyleParagraph().rightTwips = p.value; }},
            {"fi", [](Reader& r, Parameter p) { r.restyleParagraph().firstTwips = p.value; }},
            {"sb", [](Reader& r, Parameter p) { r.restyleParagraph().beforeTwips = p.value; }},
            {"sa", [](Reader& r, Parameter p) { r.restyleParagraph().afterTwips = p.value; }},
        };
        return table;
    }

    template <char16_t C>
    static void symbol(Reader& r, Parameter)
    {
        r.textChar(QChar(C));
    }

    // A Unicode character; the stand-ins that follow it for older readers
    // are skipped.
    void unicodeChar(int code)
    {
        textChar(QChar(char16_t(code < 0 ? code + 65536 : code)));
        m_skipChars = g().chr.ucSkip;
    }

    // The text read so far keeps the format it was read in; what follows
    // takes the one returned.
    CharState& restyle()
    {
        flush();
        return g().chr;
    }

    ParaState& restyleParagraph()
    {
        flush();
        return g().para;
    }

    // Plain characters, still counting the stand-ins of a Unicode character
    // as the group said.
    void plain()
    {
        CharState& c = restyle();
        c = CharState{.ucSkip = c.ucSkip};
    }

    void startFont(int number)
    {
        finishPendingFont();
        m_fontNumber = number;
        m_fonts[number];
    }

    void setFontCharset(int charset)
    {
        if (m_fontNumber >= 0)
            m_fonts[m_fontNumber].charset = charset;
    }

    void startColor()
    {
        m_red = m_green = m_blue = 0;
        m_colorSet = false;
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
                startColor();
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
