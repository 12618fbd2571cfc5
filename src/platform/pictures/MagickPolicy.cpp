#include "platform/pictures/MagickPolicy.h"

#include "platform/pictures/PictureLimits.h"

#include <QDir>
#include <QFile>
#include <QXmlStreamReader>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace platform {
namespace {

// The folders ImageMagick 6 looks in for policy.xml, as Debian builds it.
QStringList policyFolders()
{
    QStringList folders;
    const QString configured = qEnvironmentVariable("MAGICK_CONFIGURE_PATH");
    for (const QString& f : configured.split(QLatin1Char(':'), Qt::SkipEmptyParts))
        folders << f;
    folders << QStringLiteral("/etc/ImageMagick-6") << QStringLiteral("/usr/share/ImageMagick-6");
    const QString home = QDir::homePath();
    const QString config = qEnvironmentVariable("XDG_CONFIG_HOME", home + QStringLiteral("/.config"));
    folders << config + QStringLiteral("/ImageMagick") << home + QStringLiteral("/.magick");
    return folders;
}

// Lowers *limit to a value given for it, when it is a number.
void lowerTo(qint64* limit, const QString& value)
{
    const double v = magickPolicyValue(value);
    if (v >= 0)
        *limit = std::min(*limit, qint64(std::min(v, double(*limit))));
}

void readPolicyFile(const QString& path, qint64* width, qint64* height)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return;
    QXmlStreamReader xml(&f);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement || xml.name() != QLatin1String("policy"))
            continue;
        const QXmlStreamAttributes a = xml.attributes();
        if (a.value(QLatin1String("domain")).compare(QLatin1String("resource"), Qt::CaseInsensitive) != 0)
            continue;
        const auto name = a.value(QLatin1String("name"));
        if (name.compare(QLatin1String("width"), Qt::CaseInsensitive) == 0)
            lowerTo(width, a.value(QLatin1String("value")).toString());
        else if (name.compare(QLatin1String("height"), Qt::CaseInsensitive) == 0)
            lowerTo(height, a.value(QLatin1String("value")).toString());
    }
}

} // namespace

double magickPolicyValue(const QString& text)
{
    const QByteArray s = text.trimmed().toLatin1();
    char* end = nullptr;
    double value = std::strtod(s.constData(), &end);
    if (end == s.constData() || !(value >= 0))
        return -1;
    // SI prefixes, powers of ten; with an "i" after them, of two ("KiB").
    static const char kPrefixes[] = "kKMGTPE";
    static const int kPowers[] = {3, 3, 6, 9, 12, 15, 18};
    if (*end) {
        if (const char* p = std::strchr(kPrefixes, *end)) {
            const int power = kPowers[p - kPrefixes];
            if (end[1] == 'i') {
                value *= std::pow(2.0, power / 3 * 10);
                ++end;
            } else {
                value *= std::pow(10.0, power);
            }
            ++end;
        }
    }
    return value;
}

QSize magickSideLimits(const QStringList& folders, const QByteArray& widthVariable, const QByteArray& heightVariable)
{
    qint64 width = kMagickMaxSide, height = kMagickMaxSide;
    for (const QString& folder : folders)
        readPolicyFile(QDir(folder).filePath(QStringLiteral("policy.xml")), &width, &height);
    if (qEnvironmentVariableIsSet(widthVariable.constData()))
        lowerTo(&width, qEnvironmentVariable(widthVariable.constData()));
    if (qEnvironmentVariableIsSet(heightVariable.constData()))
        lowerTo(&height, qEnvironmentVariable(heightVariable.constData()));
    return QSize(int(width), int(height));
}

QSize magickSideLimits()
{
    static const QSize limits = magickSideLimits(policyFolders(), "MAGICK_WIDTH_LIMIT", "MAGICK_HEIGHT_LIMIT");
    return limits;
}

} // namespace platform
