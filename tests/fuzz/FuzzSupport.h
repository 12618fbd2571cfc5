#pragma once
// What the fuzz targets share: one application object for the readers that
// need one (text documents, tree widgets), quiet Qt messages, and a scratch
// file for the readers that read files.
#include <QApplication>
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <iterator>

extern "C" {
#include <libavutil/log.h>
}

namespace fuzz {

inline void startApplication()
{
    if (QCoreApplication::instance())
        return;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    static int argc = 1;
    static char name[] = "fuzz";
    static char* argv[] = {name, nullptr};
    // Kept for the life of the process, as a program's application is.
    static QApplication* app = new QApplication(argc, argv);
    Q_UNUSED(app);
}

// The same for the targets whose inputs go through FFmpeg, without its
// complaints (one for nearly every input).
inline void startMediaApplication()
{
    startApplication();
    av_log_set_level(AV_LOG_QUIET);
}

// A file in a folder of this run, in memory where the system has /dev/shm:
// the program's writer syncs every file it writes.
inline QString scratchPath(const char* name)
{
    static QTemporaryDir dir(QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm/lumivex-fuzz-XXXXXX")
                                                                      : QDir::tempPath() + QStringLiteral("/lumivex-fuzz-XXXXXX"));
    return dir.filePath(QString::fromLatin1(name));
}

inline QString writeScratch(const char* name, const uint8_t* data, size_t size)
{
    const QString path = scratchPath(name);
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(reinterpret_cast<const char*>(data), qint64(size));
    return path;
}

// The targets that read several formats take the first byte of an input to
// pick the format (its index in these lists) and the rest as the file.
// The picture reader's formats but FLIC and ANI, which have targets of their own:
inline const char* const kPictureFormats[] = {"JPG", "PNG", "BMP", "GIF", "ICO", "CUR", "XPM", "PBM", "TIF",
                                              "PCX", "DCX", "PCD", "FAX", "CUT", "PSD", "TGA", "RAS", "WPG",
                                              "PCT", "XWD", "SGI", "CAL", "MAC", "WMF", "EPS", "JBG"};
// The picture files Create Video takes as frames:
inline const char* const kStillPictureNames[] = {"still.jpg", "still.bmp", "still.gif", "still.tif",
                                                 "still.ico", "still.cur", "still.wmf", "still.jpeg"};

inline QByteArray bytesOf(const uint8_t* data, size_t size)
{
    return QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
}

} // namespace fuzz
