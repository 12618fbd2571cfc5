#pragma once
// A program folder for the real program: the built Tessamor (a hard link, or
// a copy across file systems: a program started by a symbolic link finds
// its folder where the link points, and the settings would be missing
// there), links to its assets and plug-ins, and settings files written from
// the defaults, so that it starts as an installed copy does, without the
// notes about missing files, also when it is given a file to show.
#include "shell/Settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <functional>
#include <unistd.h>

namespace bench {

class ProgramFolder {
public:
    // binFolder: where Tessamor was built. adjust: changes to the default
    // options before they are written.
    explicit ProgramFolder(const QString& binFolder, const std::function<void(Options&)>& adjust = {},
                           const QString& at = {})
        : m_dir(at.isEmpty() ? QTemporaryDir() : QTemporaryDir(at + QStringLiteral("/lumivex-XXXXXX")))
    {
        if (!at.isEmpty())
            m_dir.setAutoRemove(false);
        const QDir bin(binFolder);
        for (const QString& name : bin.entryList({"BMPS", "Help", "TIPHELP.TXT", "*.so"}))
            QFile::link(bin.filePath(name), m_dir.filePath(name));
        const QString built = bin.filePath(QStringLiteral("Tessamor"));
        if (::link(QFile::encodeName(built).constData(), QFile::encodeName(program()).constData()) != 0)
            QFile::copy(built, program());
        Options o;
        settings::setDefaultOptions(o, path());
        if (adjust)
            adjust(o);
        settings::writeOptions(m_dir.filePath(settings::kOptionsFile), o);
        ColorScheme c;
        settings::setDefaultColors(c);
        settings::writeColors(m_dir.filePath(settings::kColorsFile), c);
    }
    QString path() const { return m_dir.path(); }
    QString program() const { return m_dir.filePath(QStringLiteral("Tessamor")); }
    bool ok() const { return QFileInfo(program()).isExecutable(); }

private:
    QTemporaryDir m_dir;
};

} // namespace bench
