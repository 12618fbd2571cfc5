#pragma once
// File masks such as "*.JPG;*.JPE" matched against file names: "*" stands for
// any run of characters, "?" for one; letter case is ignored; "*.*" and "*"
// match every name, with or without a dot. A mask set is parsed once and can
// then test many names quickly.
#include <QString>
#include <QStringList>

namespace platform {

class FileMask {
public:
    FileMask() = default;
    explicit FileMask(const QString& patternList) { setPattern(patternList); }

    // A ";"-separated list; blanks around each mask are ignored.
    void setPattern(const QString& patternList);
    QString pattern() const { return m_pattern; }

    // True when the name matches one of the masks (never for an empty list).
    bool matches(const QString& fileName) const;
    bool matchesAll() const { return m_all; }
    bool isEmpty() const { return !m_all && m_masks.isEmpty(); }

private:
    QString m_pattern;
    struct Mask {
        QString text;        // case-folded
        bool suffix = false; // "*.EXT": a test of the name's end
    };
    QList<Mask> m_masks;
    bool m_all = false;
};

// One glob against one name, case-insensitive ("*" and "?").
bool globMatch(const QString& mask, const QString& name);

} // namespace platform
