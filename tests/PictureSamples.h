#pragma once
// Sample pictures the tests write into their temporary folders, in every
// format the program reads: through Qt and ImageMagick where they can write
// the format, by hand (a few bytes laid out as the format wants) where not.
#include <Magick++.h>
#ifdef Intensity
#undef Intensity // an old ImageMagick macro; the picture control has a member of that name
#endif

#include <QBuffer>
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QString>
#include <QtEndian>

#include <algorithm>
#include <cstdlib>
#include <initializer_list>
#include <vector>

namespace samples {

// A picture with four coloured quarters, so size and orientation show.
inline QImage pattern(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.fillRect(0, 0, w / 2, h / 2, QColor(200, 30, 30));
    p.fillRect(w / 2, 0, w - w / 2, h / 2, QColor(30, 160, 30));
    p.fillRect(0, h / 2, w / 2, h - h / 2, QColor(30, 30, 200));
    p.fillRect(w / 2, h / 2, w - w / 2, h - h / 2, QColor(220, 220, 40));
    return img;
}

// The largest difference of a colour channel, pixel by pixel, over the part
// both pictures cover.
inline int maxDifference(const QImage& a, const QImage& b)
{
    int worst = 0;
    for (int y = 0; y < std::min(a.height(), b.height()); ++y)
        for (int x = 0; x < std::min(a.width(), b.width()); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            worst = std::max({worst, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                              std::abs(qBlue(p) - qBlue(q))});
        }
    return worst;
}

// The mean difference of the colour channels, over the same part.
inline double meanDifference(const QImage& a, const QImage& b)
{
    double sum = 0;
    qint64 n = 0;
    for (int y = 0; y < std::min(a.height(), b.height()); ++y)
        for (int x = 0; x < std::min(a.width(), b.width()); ++x, n += 3) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q));
        }
    return n > 0 ? sum / double(n) : 255.0;
}

inline bool writeBytes(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

inline QByteArray readBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Through Qt's writers ("jpeg", "png", "bmp", "ico", "xpm", "pbm").
inline bool writeQt(const QString& path, const QImage& img, const char* format, int quality = -1)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QImageWriter w(path, format);
    if (quality >= 0)
        w.setQuality(quality);
    return w.write(img);
}

inline Magick::Image toMagick(const QImage& src)
{
    const QImage img = src.convertToFormat(QImage::Format_RGB32);
    Magick::Image m(size_t(img.width()), size_t(img.height()), "BGRP", Magick::CharPixel, img.constBits());
    return m;
}

// Through ImageMagick with the coder named ("TIFF", "PCX", "SUN", ...).
inline bool writeMagick(const QString& path, const std::vector<QImage>& pages, const char* coder,
                        Magick::ImageType type = Magick::UndefinedType, int delay = 0)
{
    Magick::InitializeMagick(nullptr);
    std::vector<Magick::Image> list;
    for (const QImage& page : pages) {
        Magick::Image m = toMagick(page);
        m.magick(coder);
        if (type != Magick::UndefinedType)
            m.type(type);
        if (delay > 0)
            m.animationDelay(size_t(delay));
        list.push_back(m);
    }
    Magick::Blob blob;
    try {
        if (list.size() > 1)
            Magick::writeImages(list.begin(), list.end(), &blob, true);
        else
            list.front().write(&blob);
    } catch (const Magick::Exception&) {
        return false;
    }
    return writeBytes(path, QByteArray(static_cast<const char*>(blob.data()), qsizetype(blob.length())));
}

inline void put16(QByteArray& b, int v)
{
    b.append(char(v & 0xff));
    b.append(char((v >> 8) & 0xff));
}
inline void put16(QByteArray& b, std::initializer_list<int> values)
{
    for (int v : values)
        put16(b, v);
}
inline void put32(QByteArray& b, quint32 v)
{
    put16(b, {int(v & 0xffff), int(v >> 16)});
}

// MacPaint: a 512-byte header and 720 packed rows of 72 bytes; stripes.
inline QByteArray macPaint()
{
    QByteArray b(512, '\0');
    for (int y = 0; y < 720; ++y) {
        b.append(char(0xB9)); // 72 repeats
        b.append(char((y / 40) % 2 ? 0xFF : 0x00));
    }
    return b;
}

// Dr. Halo: width, height, 0; then per row its encoded length and runs.
inline QByteArray drHalo(int w, int h)
{
    QByteArray b;
    put16(b, {w, h, 0});
    for (int y = 0; y < h; ++y) {
        QByteArray row;
        int left = w;
        while (left > 0) {
            const int n = std::min(left, 100);
            row.append(char(0x80 | n));
            row.append(char((y * 10) & 0xff));
            left -= n;
        }
        row.append('\0');
        put16(b, int(row.size()));
        b.append(row);
    }
    return b;
}

// WordPerfect graphic, level 1, one 8-bit bitmap record stored as literals.
inline QByteArray wordPerfect(int w, int h)
{
    QByteArray b;
    b.append("\xFFWPC", 4);
    put32(b, 16);
    b.append("\x01\x16\x01\x00", 4);
    put16(b, {0, 0});
    QByteArray data;
    put16(data, {w, h, 8, 0, 0});
    for (int y = 0; y < h; ++y) {
        int x = 0;
        while (x < w) {
            const int n = std::min(w - x, 127);
            data.append(char(n));
            for (int i = 0; i < n; ++i)
                data.append(char((x + i + y) & 0x0f));
            x += n;
        }
    }
    b.append(char(0x0B));
    b.append(char(0xFF));
    put16(b, int(data.size()));
    b.append(data);
    b.append(char(0x10)); // end of picture
    b.append(char(0));
    return b;
}

// A WordPerfect picture of a few hundred bytes whose one black-and-white
// bitmap (a "type 2" record: it carries a turn) is w x h white pixels, run
// length coded, turned by the degrees given. ImageMagick's reader turns it
// while it reads: 16000 x 1 turned by 10 degrees is a 15760 x 2780 picture.
inline QByteArray turnedWordPerfect(int w, int h, int degrees)
{
    QByteArray b;
    b.append("\xFFWPC", 4);
    put32(b, 16);
    b.append("\x01\x16\x01\x00", 4);
    put16(b, {0, 0});
    QByteArray data;
    put16(data, {degrees, 0, 0, 0, 0, w, h, 1, 0, 0});
    for (int left = (w + 7) / 8; left > 0; left -= 255) // the first row: 0xFF bytes
        data.append(char(0x80)).append(char(std::min(left, 255)));
    for (int left = h - 1; left > 0; left -= 255) // the other rows: the first again
        data.append(char(0x00)).append(char(std::min(left, 255)));
    b.append(char(0x0F)).append(char(0)); // start of picture
    b.append(char(0x14));
    b.append(char(0xFF));
    put16(b, int(data.size()));
    b.append(data);
    b.append(char(0x10)).append(char(0)); // end of picture
    return b;
}

// An all-white black-and-white TIFF of w x h pixels, PackBits coded, one
// row a strip (every strip the same bytes): a few bytes a row, a file of
// a few hundred kilobytes declaring billions of pixels.
inline QByteArray whiteTiff(int w, int h)
{
    QByteArray row;
    for (int left = (w + 7) / 8; left > 0; left -= 128)
        row.append(char(257 - std::min(left, 128))).append(char(0xFF)); // a run of 0xFF bytes
    const int entries = 9;
    const quint32 offsetsAt = 8 + 2 + 12 * entries + 4, countsAt = offsetsAt + 4 * quint32(h),
                  rowAt = countsAt + 4 * quint32(h);
    QByteArray b("II");
    put16(b, {42});
    put32(b, 8);
    put16(b, {entries});
    const auto entry = [&b](int tag, int type, quint32 count, quint32 value) {
        put16(b, {tag, type});
        put32(b, count);
        put32(b, value); // a SHORT stands in the first two bytes
    };
    entry(256, 4, 1, quint32(w));
    entry(257, 4, 1, quint32(h));
    entry(258, 3, 1, 1);     // bits per sample
    entry(259, 3, 1, 32773); // PackBits
    entry(262, 3, 1, 1);     // 0 is black
    entry(273, 4, quint32(h), offsetsAt);
    entry(277, 3, 1, 1); // samples per pixel
    entry(278, 4, 1, 1); // rows per strip
    entry(279, 4, quint32(h), countsAt);
    put32(b, 0);
    for (int y = 0; y < h; ++y)
        put32(b, rowAt);
    for (int y = 0; y < h; ++y)
        put32(b, quint32(row.size()));
    b.append(row);
    return b;
}

// A gray Targa of w x h pixels of one value, run length coded: two bytes for
// every 128 pixels of a row, so that a hundred million pixels take a
// megabyte and a half of file.
inline QByteArray grayTarga(int w, int h, int value)
{
    QByteArray b(18, '\0');
    b[2] = 11; // run length coded gray
    b[12] = char(w & 0xff);
    b[13] = char(w >> 8);
    b[14] = char(h & 0xff);
    b[15] = char(h >> 8);
    b[16] = 8;    // bits a pixel
    b[17] = 0x20; // the top row first
    for (int y = 0; y < h; ++y)
        for (int left = w; left > 0; left -= 128)
            b.append(char(0x80 | (std::min(left, 128) - 1))).append(char(value));
    return b;
}

// A placeable metafile holding one red rectangle.
inline QByteArray metafile()
{
    QByteArray b;
    put32(b, 0x9AC6CDD7u);
    put16(b, {0, 0, 0, 200, 100, 1440});
    put32(b, 0);
    quint16 sum = 0;
    for (int i = 0; i < 20; i += 2)
        sum ^= quint16(uchar(b[i]) | uchar(b[i + 1]) << 8);
    put16(b, sum);
    const int words = 9 + 7 + 4 + 7 + 3;
    put16(b, {1, 9, 0x0300});
    put32(b, words);
    put16(b, 1);
    put32(b, 7);
    put16(b, 0);
    put32(b, 7); // CreateBrushIndirect: solid red
    put16(b, {0x02FC, 0});
    put32(b, 0x000000FF);
    put16(b, 0);
    put32(b, 4); // SelectObject 0
    put16(b, {0x012D, 0});
    put32(b, 7); // Rectangle: bottom, right, top, left
    put16(b, {0x041B, 90, 190, 10, 10});
    put32(b, 3); // EOF
    put16(b, 0);
    return b;
}

// An 8-bit FLC animation: a palette and one full frame per picture.
inline QByteArray flic(int w, int h, int frames, int speedMs = 50)
{
    QByteArray body;
    for (int f = 0; f < frames; ++f) {
        QByteArray chunks;
        int count = 0;
        if (f == 0) {
            QByteArray pal;
            put16(pal, {1, 0}); // one packet of 256 colours
            for (int i = 0; i < 256; ++i) {
                pal.append(char(i));
                pal.append(char(255 - i));
                pal.append(char((i * 7) & 0xff));
            }
            QByteArray c;
            put32(c, quint32(6 + pal.size()));
            put16(c, 4);
            c.append(pal);
            if (c.size() % 2)
                c.append('\0');
            chunks.append(c);
            ++count;
        }
        QByteArray pixels;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                pixels.append(char((x + y + f * 40) & 0xff));
        QByteArray c;
        put32(c, quint32(6 + pixels.size()));
        put16(c, 16); // copy
        c.append(pixels);
        chunks.append(c);
        ++count;
        QByteArray frame;
        put32(frame, quint32(16 + chunks.size()));
        put16(frame, {0xF1FA, count});
        frame.append(QByteArray(8, '\0'));
        frame.append(chunks);
        body.append(frame);
    }
    QByteArray head;
    put32(head, quint32(128 + body.size()));
    put16(head, {0xAF12, frames, w, h, 8, 3});
    put32(head, quint32(speedMs));
    head.append(QByteArray(128 - head.size(), '\0'));
    // The offsets of the first and second frames (FLC).
    const quint32 first = 128;
    QByteArray firstFrame = body.left(4);
    const quint32 second = 128 + qFromLittleEndian<quint32>(firstFrame.constData());
    for (int i = 0; i < 4; ++i) {
        head[80 + i] = char((first >> (8 * i)) & 0xff);
        head[84 + i] = char((second >> (8 * i)) & 0xff);
    }
    return head + body;
}

// An animated cursor: icon frames in a RIFF ACON list, with rates.
inline QByteArray animatedCursor(const std::vector<QImage>& frames, int jiffies = 10)
{
    auto chunk = [](const char* id, const QByteArray& data) {
        QByteArray c(id, 4);
        put32(c, quint32(data.size()));
        c.append(data);
        if (data.size() % 2)
            c.append('\0');
        return c;
    };
    QByteArray anih;
    for (quint32 v : {36u, quint32(frames.size()), quint32(frames.size()), 0u, 0u, 0u, 0u, quint32(jiffies), 1u})
        put32(anih, v);
    QByteArray rate;
    for (size_t i = 0; i < frames.size(); ++i)
        put32(rate, quint32(jiffies));
    QByteArray list("fram", 4);
    for (const QImage& f : frames) {
        QByteArray ico;
        QBuffer buf(&ico);
        buf.open(QIODevice::WriteOnly);
        QImageWriter w(&buf, "ico");
        w.write(f);
        list.append(chunk("icon", ico));
    }
    QByteArray body("ACON", 4);
    body.append(chunk("anih", anih));
    body.append(chunk("rate", rate));
    body.append(chunk("LIST", list));
    QByteArray riff("RIFF", 4);
    put32(riff, quint32(body.size()));
    return riff + body;
}

// A GIF of a large screen whose frames are one pixel each: a few bytes a
// frame, a whole screen of memory a frame once read.
inline QByteArray tinyFrameGif(int screenWidth, int screenHeight, int frames)
{
    QByteArray b("GIF89a");
    put16(b, {screenWidth, screenHeight});
    b.append("\x80\x00\x00", 3);                 // a global table of two colours
    b.append("\x00\x00\x00\xff\xff\xff", 6);
    for (int i = 0; i < frames; ++i) {
        b.append("\x21\xf9\x04\x04\x05\x00\x00\x00", 8); // 50 ms, the frame stays
        b.append("\x2c", 1);
        put16(b, {i % screenWidth, 0, 1, 1});
        b.append("\x00\x02\x02\x44\x01\x00", 6); // one pixel of colour 0
    }
    b.append("\x3b", 1);
    return b;
}

// Writes a sample of the format; false when the format has no writer here.
inline bool makeSample(const QString& path, const QString& ext, const QImage& img)
{
    const QByteArray e = ext.toLatin1();
    if (e == "JPG" || e == "JPE" || e == "JPEG")
        return writeQt(path, img, "jpeg", 95);
    if (e == "PNG")
        return writeQt(path, img, "png");
    if (e == "BMP")
        return writeQt(path, img, "bmp");
    if (e == "ICO")
        return writeQt(path, img, "ico");
    if (e == "XPM")
        return writeQt(path, img, "xpm");
    if (e == "PBM")
        return writeQt(path, img, "pbm");
    if (e == "CUR")
        return writeMagick(path, {img}, "CUR");
    if (e == "GIF")
        return writeMagick(path, {img}, "GIF");
    if (e == "TIF" || e == "TIFF" || e == "MPT")
        return writeMagick(path, {img}, "TIFF");
    if (e == "RAS")
        return writeMagick(path, {img}, "SUN");
    if (e == "PCT")
        return writeMagick(path, {img}, "PICT");
    if (e == "CAL")
        return writeMagick(path, {img}, "CALS");
    if (e == "FAX")
        return writeMagick(path, {img}, "FAX");
    if (e == "PCX" || e == "DCX" || e == "PCD" || e == "PSD" || e == "TGA" || e == "XWD" || e == "SGI")
        return writeMagick(path, {img}, e.constData());
    if (e == "MAC")
        return writeBytes(path, macPaint());
    if (e == "CUT")
        return writeBytes(path, drHalo(img.width(), img.height()));
    if (e == "WPG")
        return writeBytes(path, wordPerfect(img.width(), img.height()));
    if (e == "WMF")
        return writeBytes(path, metafile());
    if (e == "FLC")
        return writeBytes(path, flic(img.width(), img.height(), 3));
    if (e == "ANI")
        return writeBytes(path, animatedCursor({img.scaled(32, 32), img.scaled(32, 32).mirrored()}));
    return false;
}

} // namespace samples
