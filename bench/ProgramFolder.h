#pragma once
// A program folder for the real program: a link to the built Tessamor and
// its assets, and settings files written from the defaults, so that it
// starts as an installed copy does, without the notes about missing files.
#include "shell/Settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <functional>

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
        for (const QString& name : bin.entryList({"Tessamor", "BMPS", "Help", "TIPHELP.TXT", "*.so"}))
            QFile::link(bin.filePath(name), m_dir.filePath(name));
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
