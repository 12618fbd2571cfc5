#pragma once
// Photo-like test pictures: smooth gradients, soft shapes and fine grain,
// so that their files decode like camera pictures, made on every core.
#include <QColor>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <QLinearGradient>
#include <QPainter>
#include <QRandomGenerator>

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

namespace bench {

inline QImage photo(QSize size, int seed, bool grain = true, QImage::Format format = QImage::Format_RGB32)
{
    QImage img(size, format);
    if (img.isNull())
        return img;
    QRandomGenerator rng(quint32(1234 + seed));
    QPainter p(&img);
    QLinearGradient g(0, 0, size.width(), size.height());
    g.setColorAt(0, QColor::fromHsv((seed * 37) % 360, 160, 220));
    g.setColorAt(1, QColor::fromHsv((seed * 37 + 120) % 360, 200, 90));
    p.fillRect(img.rect(), g);
    p.setPen(Qt::NoPen);
    p.setRenderHint(QPainter::Antialiasing);
    for (int k = 0; k < 40; ++k) {
        QColor c = QColor::fromRgb(rng.generate());
        c.setAlpha(160);
        p.setBrush(c);
        p.drawEllipse(QPoint(int(rng.bounded(size.width())), int(rng.bounded(size.height()))),
                      int(rng.bounded(size.width() / 6 + 1)), int(rng.bounded(size.height() / 6 + 1)));
    }
    p.end();
    if (grain && img.depth() == 32)
        for (int y = 0; y < size.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
            for (int x = 0; x < size.width(); ++x)
                line[x] ^= rng.generate() & 0x070707;
        }
    return img;
}

// Writes the picture unless the file is there already; false on failure.
inline bool writePhoto(const QString& path, QSize size, int seed, const char* format, int quality = 90,
                       bool grain = true)
{
    if (QFileInfo(path).size() > 0)
        return true;
    QImageWriter w(path + QStringLiteral(".part"), format);
    w.setQuality(quality);
    const QImage img = photo(size, seed, grain, grain ? QImage::Format_RGB32 : QImage::Format_RGB888);
    if (img.isNull() || !w.write(img))
        return false;
    return QFile::rename(path + QStringLiteral(".part"), path);
}

// count files named prefix00000.ext ... in folder, on all cores.
inline QStringList writePhotos(const QString& folder, const QString& prefix, int count, QSize size,
                               const char* format, int quality = 90)
{
    QDir().mkpath(folder);
    const QString ext = QString::fromLatin1(format).toLower() == QLatin1String("jpeg") ? QStringLiteral("jpg")
                                                                                       : QString::fromLatin1(format).toLower();
    QStringList files;
    for (int i = 0; i < count; ++i)
        files << QDir(folder).filePath(QStringLiteral("%1%2.%3").arg(prefix).arg(i, 5, 10, QLatin1Char('0')).arg(ext));
    std::atomic<int> next{0};
    std::vector<std::thread> workers;
    for (unsigned t = 0; t < std::max(1u, std::thread::hardware_concurrency()); ++t)
        workers.emplace_back([&] {
            for (int i = next++; i < count; i = next++)
                writePhoto(files.at(i), size, i, format, quality);
        });
    for (auto& w : workers)
        w.join();
    return files;
}

} // namespace bench
