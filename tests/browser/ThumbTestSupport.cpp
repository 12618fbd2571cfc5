#include "ThumbTestSupport.h"

#include "platform/pictures/PictureCodec.h"
#include "shared/SharedState.h"
#include "shared/Tables.h"

#include <Magick++.h>
#include <QDirIterator>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QTest>

namespace thumbtest {

void writePicture(const QString& path, QSize size, QColor color)
{
    const QString ext = QFileInfo(path).suffix().toUpper();
    if (ext == QLatin1String("GIF") || ext.startsWith(QLatin1String("TIF"))) {
        platform::ensureMagick();
        Magick::Image img(Magick::Geometry(size_t(size.width()), size_t(size.height())),
                          Magick::Color(color.name().toStdString()));
        img.magick(ext == QLatin1String("GIF") ? "GIF" : "TIFF");
        Magick::Blob blob;
        img.write(&blob);
        testsupport::writeFile(path, QByteArray(static_cast<const char*>(blob.data()), qsizetype(blob.length())));
        return;
    }
    QImage img(size, QImage::Format_RGB32);
    img.fill(color);
    QPainter p(&img);
    p.fillRect(QRect(QPoint(0, 0), size / 2), Qt::yellow);
    p.end();
    const QByteArray format = ext == QLatin1String("PNG") ? "PNG" : ext == QLatin1String("BMP") ? "BMP" : "JPEG";
    img.save(path, format.constData());
}

MainWindowFixture::MainWindowFixture()
{
    // The tool pictures live next to the executable; the tests take them from the sources.
    const QString assets = qEnvironmentVariable("LUMIVEX_ASSETS");
    if (!assets.isEmpty()) {
        QDirIterator it(QDir(assets).filePath(QStringLiteral("BMPS")), QDir::Files);
        while (it.hasNext()) {
            const QString f = it.next();
            testsupport::writeFile(m_program.file(QStringLiteral("BMPS/") + QFileInfo(f).fileName()),
                                   testsupport::readFile(f));
        }
    }
    m_window = std::make_unique<Lumivex1>(QStringList{});
    m_dialogs.service.messages.clear();
    m_window->setFileListFolder(m_pictures.path());
    m_window->nFilterRow = tables::kAllFilesRow;
    gs.nThumbWidth = gs.nThumbHeight = 115;
    gs.nThumbBitsIndex = 2;
}

MainWindowFixture::~MainWindowFixture()
{
    gs.fBusy = false;
    m_window.reset();
}

bool waitForThumbnailRun(Lumivex1& w)
{
    // What the window queued first: a refreshed folder's pictures and run.
    QTest::qWait(20);
    return QTest::qWaitFor([&w]() { return !w.thumbnailRunActive(); }, 60000);
}

} // namespace thumbtest
