#include "TestSupport.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

namespace testsupport {

void writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
}

bool dropFiles(QWidget* target, const QPoint& at, const QStringList& paths)
{
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& p : paths)
        urls << QUrl::fromLocalFile(p);
    data.setUrls(urls);
    const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
    QDragEnterEvent enter(at, actions, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    if (!enter.isAccepted())
        return false;
    QDragMoveEvent move(at, actions, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &move);
    if (!move.isAccepted())
        return false;
    QDropEvent drop(QPointF(at), actions, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &drop);
    return drop.isAccepted();
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

void copyTree(const QString& from, const QString& to)
{
    QDir().mkpath(to);
    const QDir src(from);
    for (const QFileInfo& fi : src.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot)) {
        const QString target = QDir(to).filePath(fi.fileName());
        if (fi.isDir())
            copyTree(fi.filePath(), target);
        else
            QFile::copy(fi.filePath(), target);
    }
}

QString assetsFolder()
{
    const QString env = qEnvironmentVariable("LUMIVEX_ASSETS");
    return env.isEmpty() ? QStringLiteral(LUMIVEX_SOURCE_DIR "/assets") : env;
}

ProgramFolder::ProgramFolder(bool withAssets) : m_oldCurrent(QDir::currentPath())
{
    if (withAssets)
        copyTree(assetsFolder(), m_dir.path());
    // The folder holds the program's executable, so a window started here
    // takes it for the program folder.
    writeFile(file(QStringLiteral("Tessamor")), QByteArray());
    QDir::setCurrent(m_dir.path());
}

ProgramFolder::~ProgramFolder() { QDir::setCurrent(m_oldCurrent); }

} // namespace testsupport
