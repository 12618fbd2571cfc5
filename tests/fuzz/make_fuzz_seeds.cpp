// Writes the seed inputs of every fuzz target: <work>/seeds/<target>/, and
// makes the empty <work>/corpus/<target>/ each run adds what it finds to,
// and <work>/artifacts/ for the inputs that fail.
// A new reader's target gets its seeds here, made the way the tests make
// their files. Usage: make_fuzz_seeds <work folder>
#include "FuzzSupport.h"
#include "PictureSamples.h"
#include "TiffSamples.h"
#include "lists/InternetShortcut.h"
#include "platform/media/FrameEncoder.h"
#include "platform/pictures/PictureCodec.h"
#include "shell/Settings.h"

#include <QBuffer>
#include <QDir>
#include <cstdio>
#include <functional>
#include <map>

namespace {

QByteArray rtfSample()
{
    return "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss Arial;}{\\f1\\fcharset204 Times;}}"
           "{\\colortbl;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}{\\*\\generator x;}{\\info{\\title t}}"
           "\\pard\\qc\\li720\\ri360\\fi-360\\sb120\\sa60\\f0\\fs24 A {\\b bold}, {\\i italic}, {\\ul under} and "
           "{\\strike struck} word.\\par\\pard\\ql {\\cf1 red} {\\highlight2 blue}\\tab\\line x\\'e9\\u8364? "
           "\\uc2\\u1046xx {\\f1 \\'c0\\'c1}\\super 2\\nosupersub\\~\\_\\-{\\*\\unknown hidden}{\\v hidden}"
           "{\\pict\\bin4 \x01\x02\x03\x04}\\emdash\\bullet\\par}";
}

// The picture in a format Qt writes, or the picture reader's encoder writes.
QByteArray encoded(const QImage& image, const char* ext)
{
    QByteArray out;
    const QString e = QString::fromLatin1(ext);
    if (platform::encodePicture({image}, platform::formatForExtension(e), 0, 9, false, &out) == 0)
        return out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, ext);
    return out;
}

// An input of a target that picks the format by the first byte.
QByteArray picked(int index, const QByteArray& file) { return QByteArray(1, char(index)) + file; }

int pictureIndex(const char* ext)
{
    for (size_t i = 0; i < std::size(fuzz::kPictureFormats); ++i)
        if (qstrcmp(fuzz::kPictureFormats[i], ext) == 0)
            return int(i);
    return 0;
}

// TIFFs of every kind the tests write, small; one of white rows that share
// their bytes, and one cut short.
std::vector<QByteArray> tiffSeeds()
{
    using tiffsamples::Colour;
    const QImage img = samples::pattern(40, 30);
    const tiffsamples::Kind kinds[] = {
        {Colour::Rgb, 8, COMPRESSION_LZW, false, false, 8, 2},  {Colour::Rgb, 8, COMPRESSION_ADOBE_DEFLATE, true},
        {Colour::Rgba, 16, COMPRESSION_NONE},                  {Colour::Gray, 4, COMPRESSION_PACKBITS},
        {Colour::GrayAlpha, 8, COMPRESSION_LZW, true},         {Colour::MinIsWhite, 1, COMPRESSION_CCITTFAX4},
        {Colour::MinIsWhite, 1, COMPRESSION_CCITTFAX3, true},  {Colour::Palette, 8, COMPRESSION_LZW},
        {Colour::Cmyk, 8, COMPRESSION_NONE, false, true},      {Colour::YCbCr, 8, COMPRESSION_JPEG},
    };
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("seed.tif"));
    std::vector<QByteArray> out;
    for (const tiffsamples::Kind& kind : kinds)
        if (tiffsamples::write(path, {img, samples::pattern(20, 10)}, kind))
            out.push_back(samples::readBytes(path));
    out.push_back(samples::whiteTiff(240, 180));
    out.push_back(out.front().left(out.front().size() / 2));
    return out;
}

std::vector<QByteArray> pictureSeeds()
{
    const QImage img = samples::pattern(12, 9);
    std::vector<QByteArray> out;
    for (const char* ext : {"JPG", "PNG", "BMP", "ICO", "XPM", "PBM", "TIF", "PCX", "PSD", "TGA", "RAS", "SGI", "XWD",
                            "PCT"})
        out.push_back(picked(pictureIndex(ext), encoded(img, ext)));
    out.push_back(picked(pictureIndex("GIF"), samples::tinyFrameGif(4, 3, 2)));
    out.push_back(picked(pictureIndex("MAC"), samples::macPaint()));
    out.push_back(picked(pictureIndex("CUT"), samples::drHalo(8, 5)));
    out.push_back(picked(pictureIndex("WPG"), samples::wordPerfect(8, 5)));
    // Files that ImageMagick's readers make huge pictures of: a bitmap it
    // turns into 44 million pixels, a TIFF of 4 million.
    out.push_back(picked(pictureIndex("WPG"), samples::turnedWordPerfect(16000, 1, 10)));
    out.push_back(picked(pictureIndex("TIF"), samples::whiteTiff(2400, 1800)));
    out.push_back(picked(pictureIndex("WMF"), samples::metafile()));
    return out;
}

// A short video made by the program's own frame encoder, and a WAVE sound.
std::vector<QByteArray> mediaSeeds()
{
    std::vector<QByteArray> out;
    for (const char* name : {"seed.avi", "seed.mpg"}) {
        const QString path = fuzz::scratchPath(name);
        platform::FrameEncoder encoder;
        platform::FrameFormat format;
        format.width = 16;
        format.height = 16;
        if (encoder.open(path, format) && encoder.addPicture(samples::pattern(16, 16), 3) && encoder.finish()) {
            QFile f(path);
            if (f.open(QIODevice::ReadOnly))
                out.push_back(f.readAll());
        }
    }
    QByteArray wav = "RIFF";
    samples::put32(wav, 36 + 64);
    wav += "WAVEfmt ";
    samples::put32(wav, 16);
    samples::put16(wav, {1, 1});
    samples::put32(wav, 8000);
    samples::put32(wav, 16000);
    samples::put16(wav, {2, 16});
    wav += "data";
    samples::put32(wav, 64);
    wav += QByteArray(64, '\x10');
    out.push_back(wav);
    return out;
}

const std::map<std::string, std::function<std::vector<QByteArray>()>>& seedMakers()
{
    static const std::map<std::string, std::function<std::vector<QByteArray>()>> makers = {
        {"settings",
         [] {
             SharedState s;
             settings::setDefaultOptions(s, QStringLiteral("/home/J\u00f6rg/Lumivex"));
             settings::setDefaultColors(s);
             return std::vector<QByteArray>{settings::optionsText(s).toUtf8(), settings::colorsText(s).toUtf8(),
                                            settings::optionsText(s).toUtf8().replace("\r\n", "\n")};
         }},
        {"lists",
         [] {
             return std::vector<QByteArray>{
                 "My Video PlayList\r\nHolidays\r\n",
                 "My Video PlayList|#|/home/J\xC3\xB6rg/clip.avi\r\nHolidays|#|/media/Ren\xE9/sea.mpg\r\n"
                 "no separator\r\nNowhere|#|/x/song.mp3\r\n",
                 "/home/user/notes.txt\r/home/user/letter.rtf\n/home/user/page.htm\r\n"};
         }},
        {"rtf", [] { return std::vector<QByteArray>{rtfSample(), "{\\rtf1 plain}", "plain text\r\nline two"}; }},
        {"flic",
         [] {
             return std::vector<QByteArray>{samples::flic(8, 6, 3), samples::flic(16, 2, 2, 1000),
                                            samples::flic(3, 3, 1, 5)};
         }},
        {"ani",
         [] {
             const QImage a = samples::pattern(16, 16), b = a.mirrored();
             return std::vector<QByteArray>{samples::animatedCursor({a, b}), samples::animatedCursor({a}, 1)};
         }},
        {"shortcuts",
         [] {
             const QStringList lines = lists::internetShortcutLines(QStringLiteral("https://example.org/a?b=1#c"));
             return std::vector<QByteArray>{(lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8(),
                                            "[InternetShortcut]\nURL=file:///home/J\xF6rg/page.htm\n",
                                            "Radio: Live \xE2\x80\x94 News.html"};
         }},
        {"favlists",
         [] {
             return std::vector<QByteArray>{
                 "/home/J\xC3\xB6rg/sea, \"north\".jpg\r\n/media/Ren\xE9/song.mp3\r\n/x/clip.avi\r\n",
                 "", "/a/b.txt\r/a/c.pdf\n/a/d.htm"};
         }},
        {"playlists",
         [] {
             return std::vector<QByteArray>{
                 "#EXTM3U\r\n#EXTINF:12,Sea\r\nclips\\sea.mp3\r\n/home/J\xC3\xB6rg/song.ogg\r\n"
                 "http://example.org/radio.mp3\r\nfile:///tmp/a%20b.wav\r\n",
                 "<ASX version=\"3.0\"><Entry><Ref href=\"clip.wmv\"/></Entry><entry><ref HREF='http://h/x.asf'>"
                 "</entry></asx>"};
         }},
        {"mediaprobe", mediaSeeds},
        {"stillpicture",
         [] {
             const QImage img = samples::pattern(10, 7);
             return std::vector<QByteArray>{picked(0, encoded(img, "JPG")), picked(1, encoded(img, "BMP")),
                                            picked(2, samples::tinyFrameGif(3, 2, 1)), picked(3, encoded(img, "TIF")),
                                            picked(4, encoded(img, "ICO")), picked(6, samples::metafile())};
         }},
        {"pictures", pictureSeeds},
        {"tiff", tiffSeeds},
        {"urllist",
         [] {
             return std::vector<QByteArray>{
                 "http://example.org/picture.jpg\r\nhttps://example.org/clip.mpg\r\nftp://h/x.mp3\r\n",
                 "http://example.org/caf\xE9.png\rhttp://example.org/b.gif\n"};
         }},
    };
    return makers;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_fuzz_seeds <work folder>\n");
        return 2;
    }
    fuzz::startApplication();
    const QDir work(QString::fromLocal8Bit(argv[1]));
    if (!work.mkpath(QStringLiteral("artifacts")))
        return 1;
    for (const auto& [target, make] : seedMakers()) {
        const QString name = QString::fromStdString(target);
        if (!work.mkpath(QStringLiteral("seeds/") + name) || !work.mkpath(QStringLiteral("corpus/") + name))
            return 1;
        int n = 0;
        for (const QByteArray& seed : make()) {
            QFile f(work.filePath(QStringLiteral("seeds/%1/seed%2").arg(name).arg(++n)));
            if (!f.open(QIODevice::WriteOnly) || f.write(seed) != seed.size())
                return 1;
        }
    }
    return 0;
}
