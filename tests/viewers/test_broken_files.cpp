// Broken files of every type the program opens, made here from a sound file
// of each type: empty, cut in half, with bits flipped and with a header that
// claims the largest sizes it can. Each goes through DisplayFile as a user's
// double-click would send it; each gives its message or shows what it can
// within a memory bound, and the program is still usable after. Media files
// are tried by the media engine while the window goes on: its event loop
// turns after each, and it paints and answers while the engine waits for a
// file's bytes.
#include "ViewerFixture.h"

#include "platform/text/RichTextBox.h"
#include "shared/FileTypes.h"
#include "shared/Tables.h"

#include <QPdfWriter>
#include <QTabBar>
#include <QTest>
#include <QTextDocument>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using viewertest::turnTheEventLoop;
using viewertest::Viewer;

namespace {

constexpr qint64 kMaxGrowthKb = 512 * 1024;

QByteArray le32(quint32 v)
{
    QByteArray b;
    samples::put32(b, v);
    return b;
}

QByteArray be32(quint32 v)
{
    const char b[4] = {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
    return QByteArray(b, 4);
}

QByteArray chunk(const char* id, const QByteArray& data)
{
    QByteArray c = QByteArray(id, 4) + le32(quint32(data.size())) + data;
    return data.size() % 2 ? c + '\0' : c;
}

// A tenth of a second of 8-bit mono sound at 8 kHz.
QByteArray samplesOfSound()
{
    QByteArray s;
    for (int i = 0; i < 800; ++i)
        s += char(128 + ((i / 9) % 2 ? 60 : -60));
    return s;
}

QByteArray wave()
{
    QByteArray fmt;
    samples::put16(fmt, {1, 1});
    fmt += le32(8000) + le32(8000);
    samples::put16(fmt, {1, 8});
    return "RIFF" + le32(quint32(4 + 8 + fmt.size() + 8 + 800)) + "WAVE" + chunk("fmt ", fmt) +
           chunk("data", samplesOfSound());
}

QByteArray sunAudio() { return ".snd" + be32(24) + be32(800) + be32(2) + be32(8000) + be32(1) + samplesOfSound(); }

QByteArray aiff()
{
    QByteArray comm = QByteArray("\x00\x01\x00\x00\x03\x20\x00\x08\x40\x0B\xFA\x00\x00\x00\x00\x00\x00\x00", 18);
    QByteArray ssnd = be32(0) + be32(0) + samplesOfSound();
    QByteArray body = "AIFF" + QByteArray("COMM") + be32(18) + comm + "SSND" + be32(quint32(ssnd.size())) + ssnd;
    return "FORM" + be32(quint32(body.size())) + body;
}

QByteArray midi()
{
    QByteArray track("\x00\x90\x3C\x40\x60\x80\x3C\x40\x00\xFF\x2F\x00", 12);
    return QByteArray("MThd\x00\x00\x00\x06\x00\x00\x00\x01\x00\x60", 14) + "MTrk" + be32(quint32(track.size())) + track;
}

// MPEG-1 layer 3 frames of silence after an ID3 tag.
QByteArray mp3()
{
    QByteArray b("ID3\x03\x00\x00\x00\x00\x00\x00", 10);
    for (int i = 0; i < 20; ++i)
        b += QByteArray("\xFF\xFB\x90\x64", 4) + QByteArray(413, '\0');
    return b;
}

QByteArray avi()
{
    QByteArray avih = le32(66666) + le32(0) + le32(0) + le32(0x10) + le32(2) + le32(0) + le32(1) + le32(0) +
                      le32(16) + le32(16) + QByteArray(16, '\0');
    QByteArray strh = QByteArray("vidsDIB ", 8) + QByteArray(12, '\0') + le32(1) + le32(15) + le32(0) + le32(2) +
                      QByteArray(24, '\0');
    QByteArray strf = le32(40) + le32(16) + le32(16);
    samples::put16(strf, {1, 24});
    strf += le32(0) + le32(16 * 16 * 3) + QByteArray(16, '\0');
    QByteArray strl = "strl" + chunk("strh", strh) + chunk("strf", strf);
    QByteArray hdrl = "hdrl" + chunk("avih", avih) + chunk("LIST", strl);
    QByteArray movi = "movi" + chunk("00db", QByteArray(16 * 16 * 3, '\x40')) + chunk("00db", QByteArray(16 * 16 * 3, '\x80'));
    QByteArray body = "AVI " + chunk("LIST", hdrl) + chunk("LIST", movi);
    return "RIFF" + le32(quint32(body.size())) + body;
}

// An MPEG program stream: pack headers around a little video data.
QByteArray mpeg()
{
    QByteArray b;
    for (int i = 0; i < 8; ++i)
        b += QByteArray("\x00\x00\x01\xBA\x44\x00\x04\x00\x04\x01\x01\x89\xC3\xF8", 14) +
             QByteArray("\x00\x00\x01\xE0\x00\x20", 6) + QByteArray("\x00\x00\x01\xB3\x01\x00\x10\x13\xFF\xFF\xE0\x18", 12) +
             QByteArray(20, '\0');
    return b + QByteArray("\x00\x00\x01\xB9", 4);
}

QByteArray quickTime()
{
    QByteArray ftyp = be32(20) + "ftypqt  " + be32(0) + "qt  ";
    QByteArray mvhd = be32(108) + "mvhd" + QByteArray(100, '\0');
    QByteArray moov = be32(quint32(8 + mvhd.size())) + "moov" + mvhd;
    return ftyp + moov + be32(16) + "mdat" + QByteArray(8, '\0');
}

QByteArray asf()
{
    // The header object's GUID, then a header that holds nothing.
    return QByteArray("\x30\x26\xB2\x75\x8E\x66\xCF\x11\xA6\xD9\x00\xAA\x00\x62\xCE\x6C", 16) + le32(30) + le32(0) +
           le32(0) + QByteArray("\x01\x02", 2) + QByteArray(200, '\0');
}

QByteArray pdf()
{
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buf);
        QTextDocument doc;
        doc.setPlainText(QStringLiteral("A page of a document."));
        doc.print(&writer);
    }
    return bytes;
}

QByteArray wordProcessor()
{
    QByteArray b("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    b += QByteArray(504, '\0');
    b += "The letter that was written in a word processor, with its words between the binary parts.";
    b += QByteArray(300, '\x01');
    return b;
}

const QByteArray kRtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red255\\green0\\blue0;}"
                        "\\f0\\fs24 A {\\b bold} and {\\cf1 red} word.\\par Second \\u233? line.\\par}";
const QByteArray kHtml = "<html><head><title>Page</title></head><body><p>A page.</p><img src=\"x.png\"></body></html>";

// A good file of the type, made here.
QByteArray goodFile(const QString& ext, const QString& folder)
{
    const QString e = ext.toUpper();
    const QString tmp = QDir(folder).filePath(QStringLiteral("good.") + ext);
    if (samples::makeSample(tmp, e, samples::pattern(64, 48)))
        return samples::readBytes(tmp);
    if (e == "GIF")
        return samples::tinyFrameGif(64, 48, 3);
    static const QHash<QString, QByteArray (*)()> media = {
        {"WAV", wave},  {"SND", sunAudio}, {"AU", sunAudio},  {"AIF", aiff},      {"AIFC", aiff},
        {"AIFF", aiff}, {"MID", midi},     {"RMI", midi},     {"MP3", mp3},       {"WMA", asf},
        {"AVI", avi},   {"MPG", mpeg},     {"MPEG", mpeg},    {"MOV", quickTime}, {"ASF", asf},
        {"QT", quickTime}, {"WMV", asf},   {"VOB", mpeg},     {"M1V", mpeg},      {"MP2", mp3},
        {"DAT", mpeg},  {"PDF", pdf},      {"DOC", wordProcessor}, {"WPS", wordProcessor},
        {"WDB", wordProcessor}, {"WRI", wordProcessor}};
    if (const auto f = media.value(e))
        return f();
    if (e == "RTF")
        return kRtf;
    if (QStringList{"HTM", "HTML", "SHTM", "SHTML", "ASP", "PHP"}.contains(e))
        return kHtml;
    if (e == "M3U")
        return "#EXTM3U\r\nsong.mp3\r\n";
    if (e == "ASX")
        return "<asx version=\"3.0\"><entry><ref href=\"song.wma\"/></entry></asx>";
    if (e == "URL")
        return "[InternetShortcut]\r\nURL=http://example.invalid/\r\n";
    if (e == "CDA")
        return "RIFF" + le32(36) + "CDDAfmt " + le32(24) + QByteArray(24, '\1');
    if (tables::extensionInRange(e, tables::kFirstDocument, tables::kLastDocument))
        return "[Section]\r\nA line of text.\r\nAnother line.\r\n";
    return QByteArray("A file of a format without a reader here. ").repeated(10);
}

// The broken copies of a good file.
QList<QPair<QString, QByteArray>> brokenCopies(const QByteArray& good)
{
    QByteArray flipped = good;
    for (int i = 1; i <= 24; ++i) {
        const qsizetype at = qsizetype(qint64(flipped.size()) * i / 25);
        if (at < flipped.size())
            flipped[at] = char(flipped[at] ^ (1 << (i % 8)));
    }
    // The magic stays; every field after it claims its largest value.
    QByteArray lying = good;
    for (qsizetype i = 4; i < std::min<qsizetype>(lying.size(), 64); ++i)
        lying[i] = '\xFF';
    return {{QStringLiteral("empty"), QByteArray()},
            {QStringLiteral("half"), good.left(good.size() / 2)},
            {QStringLiteral("flipped"), flipped},
            {QStringLiteral("lying"), lying}};
}

// A media file whose bytes are held back until the test lets them go: a
// named pipe, which the engine opens and reads as it would a file on a
// share that does not answer yet. Let go, it hands its bytes to the readers
// waiting for them and becomes a plain file with those bytes.
class HeldFile {
public:
    HeldFile(QString path, QByteArray bytes) : m_path(std::move(path)), m_bytes(std::move(bytes))
    {
        EXPECT_EQ(::mkfifo(QFile::encodeName(m_path).constData(), 0600), 0) << m_path.toStdString();
    }
    ~HeldFile()
    {
        letGo();
        // Nobody opened it: a reader of our own ends the writer's wait.
        const int reader = ::open(QFile::encodeName(m_path).constData(), O_RDONLY | O_NONBLOCK);
        m_writer.join();
        if (reader >= 0)
            ::close(reader);
    }
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;

    const QString& path() const { return m_path; }
    bool held() const { return !m_letGo; }
    // From any thread, once.
    void letGo()
    {
        std::call_once(m_once, [this] {
            m_letGo = true;
            m_writer = std::thread([this] { handOver(); });
        });
    }

private:
    void handOver()
    {
        const QByteArray name = QFile::encodeName(m_path);
        // The bytes go to the readers waiting; the engine may open the file
        // more than once and have closed it again already.
        const int fd = ::open(name.constData(), O_WRONLY); // waits for a reader
        if (fd >= 0 && ::write(fd, m_bytes.constData(), size_t(m_bytes.size())) < 0) {
            EXPECT_EQ(errno, EPIPE) << m_path.toStdString();
        }
        // Who opens it from now on reads a plain file.
        const QString plain = m_path + QStringLiteral(".plain");
        testsupport::writeFile(plain, m_bytes);
        if (::rename(QFile::encodeName(plain).constData(), name.constData()) != 0)
            ADD_FAILURE() << "cannot write " << m_path.toStdString();
        if (fd >= 0)
            ::close(fd);
    }

    QString m_path;
    QByteArray m_bytes;
    std::once_flag m_once;
    std::atomic<bool> m_letGo = false;
    std::thread m_writer;
};

// Tells whether the window's thread (the one that makes the watch) ever
// sleeps opening a named pipe, as it does when it waits for a held file's
// bytes itself; it then lets the held files go, so that the test ends and
// says so instead of waiting for ever. Linux names where a thread sleeps.
class PipeWaitWatch {
public:
    explicit PipeWaitWatch(std::function<void()> letAllGo)
        : m_wchan("/proc/self/task/" + std::to_string(::gettid()) + "/wchan"), m_letAllGo(std::move(letAllGo))
    {
        m_thread = std::thread([this] { watch(); });
    }
    ~PipeWaitWatch()
    {
        m_stop = true;
        m_thread.join();
    }
    bool sawTheWindowWait() const { return m_saw; }

private:
    void watch()
    {
        while (!m_stop) {
            std::string where;
            std::getline(std::ifstream(m_wchan), where);
            if (where == "wait_for_partner" && !m_saw.exchange(true))
                m_letAllGo();
            std::this_thread::sleep_for(std::chrono::milliseconds(2)); // a look now and then, not a wait

        }
    }

    std::string m_wchan;
    std::function<void()> m_letAllGo;
    std::atomic<bool> m_stop = false, m_saw = false;
    std::thread m_thread;
};

// Counts the paints of a widget.
class PaintCount : public QObject {
public:
    explicit PaintCount(QWidget* widget) { widget->installEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        count += event->type() == QEvent::Paint ? 1 : 0;
        return false;
    }
};

void runEventsUntil(const std::function<bool()>& done)
{
    while (!done())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

class BrokenFiles : public Viewer {
protected:
    // Opens every broken copy of every type in [first, last] of the extension table.
    void openAll(int first, int last)
    {
        int opened = 0;
        for (int i = first; i <= last; ++i) {
            const QString ext = ExtensionTable[size_t(i)].toLower();
            const QByteArray good = goodFile(ext, program->path());
            for (const auto& [kind, bytes] : brokenCopies(good))
                open(kind + QLatin1Char('.') + ext, bytes);
            ++opened;
        }
        EXPECT_EQ(opened, last - first + 1);
    }

    void open(const QString& name, const QByteArray& bytes)
    {
        const QString path = file(QStringLiteral("broken/") + name);
        samples::writeBytes(path, bytes);
        const qsizetype messagesBefore = dialogs->service.messages.size();
        testsupport::PeakMemory peak;
        peak.start();
        w->DisplayFile(path);
        turnTheEventLoop(w.get());
        if (peak.grownKb() >= 0) {
            EXPECT_LT(peak.grownKb(), kMaxGrowthKb) << name.toStdString();
        }
        const QString ext = ::GetFileExt(path);
        const bool told = dialogs->service.messages.size() > messagesBefore;
        if (tables::extensionInRange(ext, tables::kFirstPicture, tables::kLastPicture)) {
            EXPECT_TRUE(told || gs.cCurrentPicture == path) << name.toStdString() << ": a message or the picture";
        }
        if (w->Text1->FileName() == path || told)
            ++answered;
        EXPECT_EQ(w->cursor().shape(), Qt::ArrowCursor) << name.toStdString() << ": the hourglass is gone";
    }

    // The program still shows a good picture and a good text after it all.
    void stillUsable()
    {
        dialogs->service.messages.clear();
        const QString photo = picture(QStringLiteral("after/photo.png"), 70, 50);
        w->DisplayFile(photo);
        EXPECT_EQ(w->Image1->BitmapWidth(), 70);
        EXPECT_EQ(gs.cCurrentPicture, photo);
        const QString notes = file(QStringLiteral("after/notes.txt"));
        samples::writeBytes(notes, "still here\r\n");
        w->DisplayFile(notes);
        EXPECT_EQ(w->Text1->toPlainText(), "still here\n");
        EXPECT_TRUE(texts().isEmpty()) << texts().join(" | ").toStdString();
    }

    int answered = 0;
};

} // namespace

TEST_F(BrokenFiles, PicturesGiveTheirMessageOrShowWhatTheyCan)
{
    openAll(tables::kFirstPicture, tables::kLastPicture);
    // Files made to take more memory than they hold.
    open(QStringLiteral("screens.gif"), samples::tinyFrameGif(4000, 4000, 200));
    QByteArray bmp = samples::readBytes(picture(QStringLiteral("wide.bmp"), 8, 8));
    bmp.resize(62);
    bmp.replace(18, 8, le32(16000) + le32(16000));
    open(QStringLiteral("nopixels.bmp"), bmp);
    open(QStringLiteral("frames.flc"), samples::flic(16, 16, 2, int(4060000000u)));
    stillUsable();
}

TEST_F(BrokenFiles, MediaFilesNeverHangTheProgram)
{
    openAll(tables::kFirstAudio, tables::kLastVideo);
    openAll(tables::kVideoCd, tables::kAudioCd);
    stillUsable();
}

TEST_F(BrokenFiles, DocumentsGiveTheirMessageOrShowWhatTheyCan)
{
    openAll(tables::kFirstDocument, tables::kLastDocument);
    EXPECT_GT(answered, 0);
    open(QStringLiteral("deep.rtf"), "{\\rtf1 " + QByteArray(200000, '{') + "deep\\bin999999999 x");
    open(QStringLiteral("wide.txt"), QByteArray(4 << 20, 'w'));
    stillUsable();
}

TEST_F(BrokenFiles, TheWindowAnswersWhileTheEngineTriesMediaFilesOneAfterAnother)
{
    std::signal(SIGPIPE, SIG_IGN); // a held file's reader may be gone when its bytes come
    ASSERT_TRUE(QDir().mkpath(file(QStringLiteral("held"))));
    const QByteArray noMedia = QByteArray("Words, and no sound or picture in them. ").repeated(50);
    std::vector<std::unique_ptr<HeldFile>> held;
    for (const char* name : {"first.wav", "second.mp3", "third.au", "fourth.avi"})
        held.push_back(std::make_unique<HeldFile>(file(QStringLiteral("held/") + name), noMedia));
    const PipeWaitWatch watch([&held] {
        for (const auto& h : held)
            h->letGo();
    });

    // Opened one after another, as the file list and the play lists do:
    // after each, the window's events run while the engine has not had a
    // byte of any of them.
    for (const auto& h : held) {
        w->DisplayFile(h->path());
        turnTheEventLoop(w.get(), [&] {
            EXPECT_TRUE(h->held()) << h->path().toStdString() << ": the window waited for the engine";
        });
    }
    // Still waiting for every one of them, the engine leaves the window to
    // paint and to answer a click on the Music tab.
    const PaintCount paints(w->TabStrip1);
    w->TabStrip1->update();
    runEventsUntil([&] { return paints.count > 0; });
    QTabBar* tabs = w->TabStrip1->tabBar();
    ASSERT_EQ(tabs->tabText(1), "Music");
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(1).center());
    EXPECT_EQ(w->TabStrip1->currentIndex(), 1);
    EXPECT_EQ(w->windowTitle(), kProgramTitle + QStringLiteral(" - ") + held[2]->path());
    for (const auto& h : held)
        EXPECT_TRUE(h->held()) << h->path().toStdString();
    EXPECT_FALSE(watch.sawTheWindowWait()) << "the window's thread waited for a media file's bytes";

    // Let go, the files on show in the two players are named once the
    // engine gives up on them; the ones opened before them no longer count.
    for (const auto& h : held)
        h->letGo();
    runEventsUntil([&] { return texts().size() >= 2; });
    QStringList named = texts();
    named.sort();
    EXPECT_TRUE(named.value(0).startsWith(QStringLiteral("Cannot Play this File - ") + held[3]->path()))
        << named.join(" | ").toStdString();
    EXPECT_TRUE(named.value(1).startsWith(QStringLiteral("Cannot Play this File - ") + held[2]->path()))
        << named.join(" | ").toStdString();
    stillUsable();
}
