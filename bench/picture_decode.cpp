// The anchor of bench_picture, a program of its own: Qt's image reader
// decoding a picture whole (--full FILE) or scaled in the decoder to fit a
// screen (--scaled W H FILE), as a picture viewer does at best. Prints the
// decode time and the memory it took at its peak.
#include <QCoreApplication>
#include <QFile>
#include <QImageReader>
#include <cstdio>
#include <ctime>

namespace {

qint64 statusKb(const char* name)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith(name))
            return line.mid(int(qstrlen(name))).trimmed().split(' ').first().toLongLong();
    return -1;
}

double nowMs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList a = app.arguments();
    const bool scaled = a.size() == 5 && a.at(1) == QLatin1String("--scaled");
    if (!scaled && !(a.size() == 3 && a.at(1) == QLatin1String("--full"))) {
        std::fprintf(stderr, "usage: bench_picture_decode --full FILE | --scaled W H FILE\n");
        return 2;
    }
    QImageReader::setAllocationLimit(1024); // as a viewer of large photos sets it
    { QImageReader warm(QStringLiteral(":/none")); warm.canRead(); } // the format plug-ins, loaded
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
    clear.close();
    const qint64 before = statusKb("VmRSS:");
    const double t0 = nowMs();
    QImageReader reader(a.last());
    if (scaled) {
        const QSize size = reader.size().scaled(QSize(a.at(2).toInt(), a.at(3).toInt()), Qt::KeepAspectRatio);
        reader.setScaledSize(size);
    }
    const QImage img = reader.read();
    const double t1 = nowMs();
    if (img.isNull()) {
        std::printf("failed %s\n", qPrintable(reader.errorString()));
        return 1;
    }
    std::printf("ms %.3f\npeak_kb %lld\nsize %dx%d\n", t1 - t0, statusKb("VmHWM:") - before, img.width(),
                img.height());
    return 0;
}
