#include "shell/Settings.h"

#include "platform/core/ErrorNumbers.h"
#include "platform/text/TextFile.h"

#include <QFileInfo>
#include <cmath>
#include <optional>

namespace settings {

namespace {

// Reads values the way the files are laid out: numbers end at a run of
// blanks, a comma or a line end; a text value runs to the end of its line.
class ValueReader {
public:
    explicit ValueReader(const QString& text) : m_text(text) {}

    std::optional<double> number()
    {
        skipSpace(true);
        if (atEnd())
            return std::nullopt;
        const int start = m_pos;
        while (!atEnd() && !isDelimiter(m_text.at(m_pos)))
            ++m_pos;
        const QString token = m_text.mid(start, m_pos - start);
        finishValue();
        bool ok = false;
        const double v = token.toDouble(&ok); // C locale: QString::toDouble ignores the user locale
        if (!ok || !std::isfinite(v))
            return std::nullopt;
        return v;
    }

    // The rest of the current line, from its first non-blank character.
    std::optional<QString> line()
    {
        if (atEnd())
            return std::nullopt;
        skipSpace(false);
        const int start = m_pos;
        while (!atEnd() && m_text.at(m_pos) != QLatin1Char('\r') && m_text.at(m_pos) != QLatin1Char('\n'))
            ++m_pos;
        const QString value = m_text.mid(start, m_pos - start);
        skipLineEnd();
        return value.trimmed();
    }

private:
    bool atEnd() const { return m_pos >= m_text.size(); }
    static bool isBlank(QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); }
    static bool isLineEnd(QChar c) { return c == QLatin1Char('\r') || c == QLatin1Char('\n'); }
    static bool isDelimiter(QChar c) { return isBlank(c) || isLineEnd(c) || c == QLatin1Char(','); }
    void skipSpace(bool lineEnds)
    {
        while (!atEnd() && (isBlank(m_text.at(m_pos)) || (lineEnds && isLineEnd(m_text.at(m_pos)))))
            ++m_pos;
    }
    void skipLineEnd()
    {
        if (!atEnd() && m_text.at(m_pos) == QLatin1Char('\r'))
            ++m_pos;
        if (!atEnd() && m_text.at(m_pos) == QLatin1Char('\n'))
            ++m_pos;
    }
    // After a number: the blanks, then one comma or one line end.
    void finishValue()
    {
        skipSpace(false);
        if (!atEnd() && m_text.at(m_pos) == QLatin1Char(','))
            ++m_pos;
        else
            skipLineEnd();
    }

    const QString& m_text;
    int m_pos = 0;
};

// The file's text; a result only when it could not be read.
std::optional<LoadResult> readSettingsText(const QString& path, QString* text)
{
    switch (platform::readText(path, text)) {
    case platform::ReadStatus::Ok: return std::nullopt;
    case platform::ReadStatus::Missing: return LoadResult::Missing;
    default: return LoadResult::Failed;
    }
}

bool fitsInt(double v) { return v >= -2147483648.0 && v <= 2147483647.0; }

QString num(double v)
{
    if (v == std::floor(v) && std::fabs(v) < 1e15)
        return QString::number(qint64(v));
    return QString::number(v, 'g', 9);
}

bool writeFile(const QString& path, const QString& text, int* errorNumber, QString* errorText)
{
    return platform::writeBytes(path, text.toUtf8(), errorNumber, errorText);
}

} // namespace

void setDefaultColors(ColorScheme& c)
{
    static const platform::OleColor defaults[ColorScheme::kStoredCount] = {
        0x808080, 0x8000000F, 0, 0x80000004, 0xC00000, 0x80000004, 0x800000, 0x80000017, 0x800000,
        0xE0E0E0, 0x404040, 0x8000, 0x8000000F, 0xFFFFFF, 0xFF8080, 0x800000, 0xC0E0FF, 0x4080,
        0x8000, 0x8080FF, 0xFF8080, 0x8000000F, 0, 0xC0FFC0, 0, 0xC0C0FF, 0, 0x404040, 0xFFFFFF,
        0xC000C0, 0xFFFFC0, 0xC0C0C0, 0x8000000F, 0};
    auto refs = c.stored();
    for (int i = 0; i < ColorScheme::kStoredCount; ++i)
        *refs[i] = defaults[i];
    c.nRenameBackColor = 0xC0C0C0;
    c.nRenameForeColor = 0;
}

void setDefaultOptions(Options& o, const QString& programFolder)
{
    o.nWindowLeft = 0;
    o.nWindowTop = 100;
    o.nWindowHeight = 8000;
    o.nWindowWidth = 10500;
    o.nMenuFontType = 0;
    o.nMenuStyle = 2;
    o.nLabelStyle = 0;
    o.nThumbHeight = 115;
    o.nThumbWidth = 115;
    o.nThumbBitsIndex = 2;
    o.nSpareOption = 40;
    o.nListViewStyle = 0;
    o.nSearchFirstCount = 5000;
    o.nSearchNextCount = 500;
    o.nJpegQuality = 9;
    o.nFilterIndex = 0;
    o.cComputerName.clear();
    o.cLastFolder = programFolder;
    o.fBoldFonts = false;
    o.fSaveLastFolder = true;
    o.fTipsAtStartup = true;
    o.fUseComputerName = true;
    o.fShellListFlag = false;
    o.fDocumentsAsText = false;
    o.fAutoPictures = true;
    o.fAutoVideo = true;
    o.fAutoMusic = true;
    o.fVideoLoop = false;
    o.fMusicLoop = false;
    o.fShowVideoList = true;
}

LoadResult loadColors(const QString& path, ColorScheme& c)
{
    QString text;
    if (const auto failed = readSettingsText(path, &text))
        return *failed;
    ValueReader r(text);
    auto refs = c.stored();
    for (int i = 0; i < ColorScheme::kStoredCount; ++i) {
        const auto v = r.number();
        if (!v || (!fitsInt(*v) && !(*v >= 0 && *v <= 4294967295.0)))
            return LoadResult::Failed;
        *refs[i] = platform::OleColor(quint32(qint64(*v)));
    }
    return LoadResult::Ok;
}

LoadResult loadOptions(const QString& path, Options& o)
{
    QString text;
    if (const auto failed = readSettingsText(path, &text))
        return *failed;
    ValueReader r(text);
    double* doubles[] = {&o.nWindowLeft, &o.nWindowTop, &o.nWindowHeight, &o.nWindowWidth};
    for (double* d : doubles) {
        const auto v = r.number();
        if (!v)
            return LoadResult::Failed;
        *d = *v;
    }
    int* ints[] = {&o.nMenuFontType, &o.nMenuStyle, &o.nLabelStyle, &o.nThumbHeight, &o.nThumbWidth,
                   &o.nThumbBitsIndex, &o.nSpareOption, &o.nListViewStyle, &o.nSearchFirstCount,
                   &o.nSearchNextCount, &o.nJpegQuality, &o.nFilterIndex};
    for (int* n : ints) {
        const auto v = r.number();
        if (!v || !fitsInt(*v))
            return LoadResult::Failed;
        *n = int(std::lround(*v));
    }
    const auto name = r.line();
    if (!name)
        return LoadResult::Failed;
    o.cComputerName = *name;
    const auto folder = r.line();
    if (!folder)
        return LoadResult::Failed;
    o.cLastFolder = *folder;
    double flags[Options::kFlagCount];
    for (double& f : flags) {
        const auto v = r.number();
        if (!v)
            return LoadResult::Failed;
        f = *v;
    }
    auto refs = o.flags();
    for (int i = 0; i < Options::kFlagCount; ++i)
        *refs[i] = flags[i] == 1.0;
    return LoadResult::Ok;
}

QString colorsText(const ColorScheme& c)
{
    QStringList values;
    for (const auto* v : c.stored())
        values << QString::number(platform::oleColorAsStored(*v));
    return values.join(QLatin1Char(' ')) + QStringLiteral("\r\n");
}

QString optionsText(const Options& o)
{
    QStringList line1 = {num(o.nWindowLeft), num(o.nWindowTop), num(o.nWindowHeight), num(o.nWindowWidth)};
    for (int n : {o.nMenuFontType, o.nMenuStyle, o.nLabelStyle, o.nThumbHeight, o.nThumbWidth, o.nThumbBitsIndex,
                  o.nSpareOption, o.nListViewStyle, o.nSearchFirstCount, o.nSearchNextCount, o.nJpegQuality,
                  o.nFilterIndex})
        line1 << QString::number(n);
    QStringList line4;
    for (const bool* f : o.flags())
        line4 << (*f ? QStringLiteral("1") : QStringLiteral("0"));
    const QString crlf = QStringLiteral("\r\n");
    return line1.join(QLatin1Char(' ')) + crlf + o.cComputerName + crlf + o.cLastFolder + crlf +
           line4.join(QLatin1Char(' ')) + crlf;
}

bool writeColors(const QString& path, const ColorScheme& c, int* errorNumber, QString* errorText)
{
    return writeFile(path, colorsText(c), errorNumber, errorText);
}

bool writeOptions(const QString& path, const Options& o, int* errorNumber, QString* errorText)
{
    return writeFile(path, optionsText(o), errorNumber, errorText);
}

void sanitizeOptions(Options& o)
{
    if (o.nFilterIndex < 0 || o.nFilterIndex > 35)
        o.nFilterIndex = 0;
    if (o.nListViewStyle < 0 || o.nListViewStyle > 3)
        o.nListViewStyle = 0;
}

} // namespace settings
