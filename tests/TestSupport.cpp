#include "TestSupport.h"

#include <QFile>
#include <QFileInfo>

namespace testsupport {

void writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

ProgramFolder::ProgramFolder() : m_oldCurrent(QDir::currentPath())
{
    QDir::setCurrent(m_dir.path());
}

ProgramFolder::~ProgramFolder() { QDir::setCurrent(m_oldCurrent); }

} // namespace testsupport
