#pragma once
// Helpers the tests share: temporary program folders and files.
#include <QDir>
#include <QString>
#include <QTemporaryDir>

namespace testsupport {

// Writes bytes to a file (creating folders).
void writeFile(const QString& path, const QByteArray& bytes);
QByteArray readFile(const QString& path);

// A temporary folder made the current folder for the life of the object.
class ProgramFolder {
public:
    ProgramFolder();
    ~ProgramFolder();
    QString path() const { return m_dir.path(); }
    QString file(const QString& name) const { return QDir(m_dir.path()).filePath(name); }

private:
    QTemporaryDir m_dir;
    QString m_oldCurrent;
};

} // namespace testsupport
