#include "platform/shell/FileMask.h"

namespace platform {

namespace {

// Both texts already case-folded.
bool globFolded(const QChar* m, qsizetype mn, const QChar* s, qsizetype sn)
{
    qsizetype mi = 0, si = 0, starM = -1, starS = 0;
    while (si < sn) {
        if (mi < mn && (m[mi] == QLatin1Char('?') || m[mi] == s[si])) {
            ++mi;
            ++si;
        } else if (mi < mn && m[mi] == QLatin1Char('*')) {
            starM = mi++;
            starS = si;
        } else if (starM >= 0) {
            mi = starM + 1;
            si = ++starS;
        } else {
            return false;
        }
    }
    while (mi < mn && m[mi] == QLatin1Char('*'))
        ++mi;
    return mi == mn;
}

} // namespace

bool globMatch(const QString& mask, const QString& name)
{
    const QString m = mask.toCaseFolded();
    const QString s = name.toCaseFolded();
    return globFolded(m.constData(), m.size(), s.constData(), s.size());
}

void FileMask::setPattern(const QString& patternList)
{
    m_pattern = patternList;
    m_masks.clear();
    m_all = false;
    for (const QString& part : patternList.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString t = part.trimmed();
        if (t.isEmpty())
            continue;
        if (t == QLatin1String("*.*") || t == QLatin1String("*"))
            m_all = true;
        Mask m{t.toCaseFolded()};
        m.suffix = m.text.size() >= 2 && m.text.startsWith(QLatin1String("*."))
            && m.text.lastIndexOf(QLatin1Char('*')) == 0 && !m.text.contains(QLatin1Char('?'));
        m_masks << m;
    }
}

bool FileMask::matches(const QString& fileName) const
{
    if (m_all)
        return true;
    if (m_masks.isEmpty())
        return false;
    const QString s = fileName.toCaseFolded();
    for (const Mask& m : m_masks) {
        if (m.suffix) {
            if (s.endsWith(QStringView(m.text).mid(1)))
                return true;
        } else if (globFolded(m.text.constData(), m.text.size(), s.constData(), s.size())) {
            return true;
        }
    }
    return false;
}

} // namespace platform
