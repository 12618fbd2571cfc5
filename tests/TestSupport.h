#pragma once
// Helpers the tests share: temporary program folders and files.
#include <QDir>
#include <QString>
#include <QTemporaryDir>

namespace testsupport {

// Writes bytes to a file (creating folders).
void writeFile(const QString& path, const QByteArray& bytes);
QByteArray readFile(const QString& path);

// Copies a folder tree.
void copyTree(const QString& from, const QString& to);
// The run-time assets of the source tree (BMPS/, Help/, TIPHELP.TXT).
QString assetsFolder();

// A temporary folder holding a stand-in executable "Tessamor" and the
// run-time assets, made the current folder for the life of the object: the
// program folder of the windows a test starts.
class ProgramFolder {
public:
    explicit ProgramFolder(bool withAssets = true);
    ~ProgramFolder();
    QString path() const { return m_dir.path(); }
    QString file(const QString& name) const { return QDir(m_dir.path()).filePath(name); }

private:
    QTemporaryDir m_dir;
    QString m_oldCurrent;
};

} // namespace testsupport

#include <ostream>
// Readable QStrings in test failure messages.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const QByteArray& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
