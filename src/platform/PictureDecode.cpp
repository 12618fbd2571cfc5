#include "platform/PictureDecode.h"

#include <Magick++.h>

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QImageReader>
#include <QSet>
#include <QVector>
#include <mutex>

namespace platform {

namespace {

QString upperExtOf(const QString& path)
{
    const QString name = QFileInfo(path).fileName();
    const int dot = int(name.lastIndexOf(QLatin1Char('.')));
    return dot < 0 ? QString() : name.mid(dot + 1).toUpper();
}

// Qt's reader name for an extension, when Qt has a reader for that kind.
QByteArray qtFormatForExtension(const QString& upperExt)
{
    static const QHash<QString, QByteArray> names = {
        {QStringLiteral("JPG"), "jpeg"},  {QStringLiteral("JPE"), "jpeg"},  {QStringLiteral("JPEG"), "jpeg"},
        {QStringLiteral("BMP"), "bmp"},   {QStringLiteral("ICO"), "ico"},   {QStringLiteral("CUR"), "cur"},
        {QStringLiteral("PNG"), "png"},   {QStringLiteral("GIF"), "gif"},   {QStringLiteral("PBM"), "pbm"},
        {QStringLiteral("XPM"), "xpm"},   {QStringLiteral("TIFF"), "tiff"}, {QStringLiteral("TIF"), "tiff"},
        {QStringLiteral("MPT"), "tiff"},  {QStringLiteral("TGA"), "tga"},
    };
    const QByteArray name = names.value(upperExt);
    if (name.isEmpty())
        return {};
    static const QList<QByteArray> supported = QImageReader::supportedImageFormats();
    return supported.contains(name) ? name : QByteArray();
}

QImage fromMagick(Magick::Image& image)
{
    image.type(Magick::TrueColorMatteType);
    QImage out(int(image.columns()), int(image.rows()), QImage::Format_RGBA8888);
    if (out.isNull())
        return {};
    image.write(0, 0, image.columns(), image.rows(), "RGBA", Magick::CharPixel, out.bits());
    return out;
}

bool readMagick(const QString& path, const QString& coder, int page, Magick::Image* image, QString* error)
{
    ensureMagick();
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        if (error)
            *error = f.errorString();
        return false;
    }
    const QByteArray data = f.readAll();
    try {
        Magick::Blob blob(data.constData(), size_t(data.size()));
        image->quiet(true);
        image->magick(coder.toStdString());
        image->subImage(size_t(std::max(0, page - 1)));
        image->subRange(1);
        image->read(blob);
        return image->columns() > 0 && image->rows() > 0;
    } catch (const Magick::Exception& e) {
        if (error)
            *error = QString::fromLocal8Bit(e.what());
        return false;
    }
}

int bitsOfQImage(const QImage& img)
{
    switch (img.format()) {
    case QImage::Format_Mono:
    case QImage::Format_MonoLSB: return 1;
    case QImage::Format_Indexed8: return img.colorCount() <= 2 ? 1 : img.colorCount() <= 16 ? 4 : 8;
    case QImage::Format_Grayscale8:
    case QImage::Format_Alpha8: return 8;
    case QImage::Format_Grayscale16:
    case QImage::Format_RGB16:
    case QImage::Format_RGB555:
    case QImage::Format_RGB444: return 16;
    default: return img.hasAlphaChannel() ? 32 : 24;
    }
}

int bitsOfMagick(Magick::Image& image)
{
    switch (image.type()) {
    case Magick::BilevelType: return 1;
    case Magick::GrayscaleType: return image.depth() > 8 ? 16 : 8;
    case Magick::PaletteType:
    case Magick::PaletteMatteType: {
        const size_t n = image.colorMapSize();
        return n <= 2 ? 1 : n <= 16 ? 4 : 8;
    }
    case Magick::GrayscaleMatteType:
    case Magick::TrueColorMatteType:
    case Magick::ColorSeparationType:
    case Magick::ColorSeparationMatteType: return 32;
    default: return 24;
    }
}

int dpiFromDotsPerMeter(int dpm) { return dpm > 0 ? int(dpm * 0.0254 + 0.5) : 72; }

// The file-format code for what the reader found, refined by the header.
int formatCodeOf(QString name, const QByteArray& head, int magickCompression)
{
    name = name.toUpper();
    if (name == QLatin1String("JPEG") || name == QLatin1String("JPG")) {
        // A JFIF marker (APP0) makes it JFIF; an Exif APP1 without one makes it Exif.
        const bool jfif = head.size() > 10 && head.mid(6, 4) == "JFIF";
        const bool exif = head.indexOf("Exif") >= 0 && head.indexOf("Exif") < 16;
        return !jfif && exif ? 98 : 10;
    }
    if (name == QLatin1String("PBM") || name == QLatin1String("PGM") || name == QLatin1String("PPM") ||
        name == QLatin1String("PNM")) {
        if (head.size() >= 2 && head[0] == 'P') {
            switch (head[1]) {
            case '1': return 102;
            case '4': return 103;
            case '2': return 104;
            case '5': return 105;
            case '3': return 106;
            case '6': return 107;
            default: break;
            }
        }
        return 0;
    }
    if (name == QLatin1String("BMP") || name == QLatin1String("BMP2") || name == QLatin1String("BMP3")) {
        const int compression = head.size() >= 34 ? int(quint8(head[30])) : 0;
        return compression == 1 || compression == 2 ? 84 : 6;
    }
    if (name == QLatin1String("TIFF") || name == QLatin1String("TIF") || name == QLatin1String("TIFF64")) {
        if (magickCompression == int(MagickCore::LZWCompression))
            return 17;
        if (magickCompression == int(MagickCore::FaxCompression) ||
            magickCompression == int(MagickCore::Group4Compression))
            return 25;
        return 3;
    }
    static const QHash<QString, int> codes = {
        {QStringLiteral("PNG"), 75},  {QStringLiteral("GIF"), 2},    {QStringLiteral("GIF87"), 2},
        {QStringLiteral("ICO"), 91},  {QStringLiteral("CUR"), 92},   {QStringLiteral("XBM"), 110},
        {QStringLiteral("PCX"), 1},   {QStringLiteral("DCX"), 58},   {QStringLiteral("TGA"), 4},
        {QStringLiteral("PSD"), 76},  {QStringLiteral("SUN"), 55},   {QStringLiteral("RAS"), 55},
        {QStringLiteral("SGI"), 142}, {QStringLiteral("XWD"), 113},  {QStringLiteral("PICT"), 56},
        {QStringLiteral("PCD"), 57},  {QStringLiteral("WPG"), 54},   {QStringLiteral("CUT"), 108},
        {QStringLiteral("CALS"), 50}, {QStringLiteral("MAC"), 51},   {QStringLiteral("EPS"), 16},
        {QStringLiteral("EPT"), 63},  {QStringLiteral("PS"), 16},    {QStringLiteral("WMF"), 15},
        {QStringLiteral("EMF"), 116}, {QStringLiteral("FAX"), 66},   {QStringLiteral("FPX"), 80},
    };
    return codes.value(name, 0);
}

} // namespace

void ensureMagick()
{
    static std::once_flag once;
    std::call_once(once, []() { Magick::InitializeMagick(nullptr); });
}

QString magickCoderForExtension(const QString& upperExt)
{
    static const QHash<QString, QString> coders = {
        {QStringLiteral("JPG"), QStringLiteral("JPEG")}, {QStringLiteral("JPE"), QStringLiteral("JPEG")},
        {QStringLiteral("JPEG"), QStringLiteral("JPEG")}, {QStringLiteral("TIFF"), QStringLiteral("TIFF")},
        {QStringLiteral("TIF"), QStringLiteral("TIFF")}, {QStringLiteral("MPT"), QStringLiteral("TIFF")},
        {QStringLiteral("BMP"), QStringLiteral("BMP")},   {QStringLiteral("ICO"), QStringLiteral("ICO")},
        {QStringLiteral("CUR"), QStringLiteral("CUR")},   {QStringLiteral("PCX"), QStringLiteral("PCX")},
        {QStringLiteral("DCX"), QStringLiteral("DCX")},   {QStringLiteral("PCD"), QStringLiteral("PCD")},
        {QStringLiteral("FPX"), QStringLiteral("FPX")},   {QStringLiteral("WMF"), QStringLiteral("WMF")},
        {QStringLiteral("EMF"), QStringLiteral("EMF")},   {QStringLiteral("FAX"), QStringLiteral("FAX")},
        {QStringLiteral("XPM"), QStringLiteral("XPM")},   {QStringLiteral("PBM"), QStringLiteral("PNM")},
        {QStringLiteral("CUT"), QStringLiteral("CUT")},   {QStringLiteral("PSD"), QStringLiteral("PSD")},
        {QStringLiteral("PNG"), QStringLiteral("PNG")},   {QStringLiteral("TGA"), QStringLiteral("TGA")},
        {QStringLiteral("EPS"), QStringLiteral("EPS")},   {QStringLiteral("GIF"), QStringLiteral("GIF")},
        {QStringLiteral("RAS"), QStringLiteral("SUN")},   {QStringLiteral("WPG"), QStringLiteral("WPG")},
        {QStringLiteral("PCT"), QStringLiteral("PICT")},  {QStringLiteral("XWD"), QStringLiteral("XWD")},
        {QStringLiteral("SGI"), QStringLiteral("SGI")},   {QStringLiteral("CAL"), QStringLiteral("CALS")},
        {QStringLiteral("MAC"), QStringLiteral("MAC")},
    };
    return coders.value(upperExt);
}

bool qtReadsExtension(const QString& upperExt) { return !qtFormatForExtension(upperExt).isEmpty(); }

QImage decodeScaled(const QString& path, const QSize& box, QString* error)
{
    const QString ext = upperExtOf(path);
    const QByteArray qtFormat = qtFormatForExtension(ext);
    if (!qtFormat.isEmpty()) {
        QImageReader reader(path, qtFormat);
        reader.setAutoTransform(true);
        // Content decides when the name lies (a PNG called .jpg).
        reader.setDecideFormatFromContent(true);
        QSize stored = reader.size();
        if (stored.isValid()) {
            const bool turned = reader.transformation() & QImageIOHandler::TransformationRotate90;
            QSize shown = turned ? stored.transposed() : stored;
            if (shown.width() > box.width() || shown.height() > box.height()) {
                shown = shown.scaled(box, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
                reader.setScaledSize(turned ? shown.transposed() : shown);
            }
        }
        QImage img = reader.read();
        if (!img.isNull())
            return img;
        if (error)
            *error = reader.errorString();
    }
    const QString coder = magickCoderForExtension(ext);
    if (coder.isEmpty()) {
        if (error && qtFormat.isEmpty())
            *error = QStringLiteral("No reader for this kind of file");
        return {};
    }
    Magick::Image image;
    if (!readMagick(path, coder, 1, &image, error))
        return {};
    try {
        image.autoOrient();
        if (int(image.columns()) > box.width() || int(image.rows()) > box.height()) {
            const QSize fit = QSize(int(image.columns()), int(image.rows())).scaled(box, Qt::KeepAspectRatio);
            Magick::Geometry exact(size_t(std::max(1, fit.width())), size_t(std::max(1, fit.height())));
            exact.aspect(true); // the size worked out above, not Magick's own rounding
            image.thumbnail(exact);
        }
        return fromMagick(image);
    } catch (const Magick::Exception& e) {
        if (error)
            *error = QString::fromLocal8Bit(e.what());
        return {};
    }
}

QImage convertToBits(const QImage& image, int bits)
{
    if (image.isNull())
        return image;
    switch (bits) {
    case 32: return image.convertToFormat(QImage::Format_ARGB32);
    case 24: return image.convertToFormat(QImage::Format_RGB888);
    case 16: return image.convertToFormat(QImage::Format_RGB16);
    case 8: return image.convertToFormat(QImage::Format_Indexed8, Qt::DiffuseDither);
    case 1: return image.convertToFormat(QImage::Format_Mono, Qt::DiffuseDither);
    default: break;
    }
    if (bits < 2 || bits > 7)
        return image;
    // A fixed palette of 2^bits colours: the bits shared out among red, green
    // and blue (green first), four greys for 2 bits.
    QVector<QRgb> table;
    const auto level = [](int i, int n) { return n < 2 ? 128 : i * 255 / (n - 1); };
    if (bits == 2) {
        for (int i = 0; i < 4; ++i)
            table << qRgb(level(i, 4), level(i, 4), level(i, 4));
    } else {
        const int g = bits / 3 + (bits % 3 >= 1 ? 1 : 0);
        const int r = bits / 3 + (bits % 3 >= 2 ? 1 : 0);
        const int b = bits / 3;
        const int nr = 1 << r, ng = 1 << g, nb = 1 << b;
        for (int ir = 0; ir < nr; ++ir)
            for (int ig = 0; ig < ng; ++ig)
                for (int ib = 0; ib < nb; ++ib)
                    table << qRgb(level(ir, nr), level(ig, ng), level(ib, nb));
    }
    return image.convertToFormat(QImage::Format_RGB32).convertToFormat(QImage::Format_Indexed8, table,
                                                                       Qt::DiffuseDither);
}

bool readPictureFacts(const QString& path, int page, PictureFacts* facts)
{
    const QFileInfo info(path);
    if (!info.isFile())
        return false;
    QByteArray head;
    {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            return false;
        head = f.read(64);
    }
    PictureFacts out;
    out.sizeDisk = info.size();
    const QString ext = upperExtOf(path);
    bool read = false;
    if (qtReadsExtension(ext)) {
        QImageReader reader(path, qtFormatForExtension(ext));
        reader.setDecideFormatFromContent(true);
        if (page > 1 && !reader.jumpToImage(page - 1))
            reader.jumpToImage(0);
        const QImage img = reader.read();
        if (!img.isNull()) {
            out.bits = bitsOfQImage(img);
            out.colors = img.format() == QImage::Format_Indexed8 && img.colorCount() > 0
                             ? img.colorCount()
                             : qint64(1) << std::min(out.bits, 24);
            out.width = img.width();
            out.height = img.height();
            out.xRes = dpiFromDotsPerMeter(img.dotsPerMeterX());
            out.yRes = dpiFromDotsPerMeter(img.dotsPerMeterY());
            out.formatCode = formatCodeOf(QString::fromLatin1(reader.format()), head, 0);
            read = true;
        }
    }
    if (!read) {
        const QString coder = magickCoderForExtension(ext);
        if (coder.isEmpty())
            return false;
        Magick::Image image;
        if (!readMagick(path, coder, page, &image, nullptr))
            return false;
        try {
            out.bits = bitsOfMagick(image);
            const bool palette = image.type() == Magick::PaletteType || image.type() == Magick::PaletteMatteType;
            out.colors = palette && image.colorMapSize() > 0 ? qint64(image.colorMapSize())
                                                             : qint64(1) << std::min(out.bits, 24);
            out.width = int(image.columns());
            out.height = int(image.rows());
            const Magick::Geometry density = image.density();
            const double perInch = image.resolutionUnits() == Magick::PixelsPerCentimeterResolution ? 2.54 : 1.0;
            out.xRes = density.width() > 0 ? int(double(density.width()) * perInch + 0.5) : 72;
            out.yRes = density.height() > 0 ? int(double(density.height()) * perInch + 0.5) : 72;
            out.formatCode = formatCodeOf(QString::fromStdString(image.magick()), head, int(image.compressType()));
        } catch (const Magick::Exception&) {
            return false;
        }
    }
    out.sizeMem = qint64((qint64(out.width) * out.bits + 31) / 32) * 4 * out.height;
    *facts = out;
    return true;
}

} // namespace platform
