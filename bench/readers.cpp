// How long the list and text readers take on large inputs: a play list of
// 100,000 entries (read into the video tree, then written back), an RTF file
// of 20,000 bold and plain runs in one paragraph and a text file holding one
// 1 MB line (each shown in a rich-text box on screen up to its first paint).
// Every figure is the median of several rounds.
// Run: bench_readers [rounds] [list|rtf|line ...] (all three when none is named)
#include "lists/PlayLists.h"
#include "platform/controls/KeyedTree.h"
#include "platform/text/RichTextBox.h"
#include "shared/Tables.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double timeMs(const std::function<void()>& run)
{
    QElapsedTimer t;
    t.start();
    run();
    return t.nsecsElapsed() / 1e6;
}

void write(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
}

QString kb(const QString& path) { return QString::number(QFileInfo(path).size() / 1024.0, 'f', 0) + " KB"; }

void playList(const QDir& dir, int entries, int rounds)
{
    const QString names = dir.filePath("VideoLists.PLS"), details = dir.filePath("VideoListDtl.PLS");
    write(names, "My Video PlayList\r\nHolidays\r\n");
    QByteArray body;
    for (int i = 0; i < entries; ++i)
        body += QByteArray(i % 2 ? "Holidays" : "My Video PlayList") + "|#|/home/user/Videos/clip" +
                QByteArray::number(i).rightJustified(6, '0') + ".avi\r\n";
    write(details, body);
    std::vector<double> load, save;
    int loaded = 0;
    for (int r = 0; r < rounds; ++r) {
        lists::PlayListTree lists(false);
        const platform::KeyedTree& tree = *lists.tree();
        load.push_back(timeMs([&] {
            lists.LoadLists(names);
            lists.LoadListDetails(details);
        }));
        loaded = tree.Count() - 2;
        save.push_back(timeMs([&] {
            lists.SaveLists(dir.filePath("out.PLS"));
            lists.SaveListDetails(dir.filePath("outDtl.PLS"));
        }));
    }
    std::printf("play list, %d entries (%s): read %.0f ms (%d entries loaded), write %.0f ms\n", entries,
                qPrintable(kb(details)), median(load), loaded, median(save));
    std::fflush(stdout);
}

void shown(const QString& title, const QString& path, platform::RichTextBox::FileType type, int rounds)
{
    std::vector<double> times;
    for (int r = 0; r < rounds; ++r) {
        platform::RichTextBox box;
        box.resize(800, 600);
        box.show();
        QCoreApplication::processEvents();
        times.push_back(timeMs([&] {
            box.LoadFile(path, type);
            box.grab(); // lays out and paints what is visible
            QCoreApplication::processEvents();
        }));
    }
    std::printf("%s (%s): shown in %.0f ms\n", qPrintable(title), qPrintable(kb(path)), median(times));
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    tables::fillExtensionTable();
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 3;
    QStringList which;
    for (int i = 2; i < argc; ++i)
        which << QString::fromLocal8Bit(argv[i]);
    auto wanted = [&](const char* name) { return which.isEmpty() || which.contains(QLatin1String(name)); };
    QTemporaryDir tmp;
    const QDir dir(tmp.path());

    if (wanted("list"))
        playList(dir, 100000, rounds);

    QByteArray rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 ";
    for (int i = 0; i < 10000; ++i)
        rtf += "\\b bold\\b0  plain ";
    rtf += "\\par}";
    const QString rtfPath = dir.filePath("runs.rtf");
    write(rtfPath, rtf);
    if (wanted("rtf"))
        shown("RTF, 20,000 runs in one paragraph", rtfPath, platform::RichTextBox::RichText, rounds);

    const QString longLine = dir.filePath("line.txt");
    write(longLine, QByteArray(1 << 20, 'x') + "\r\n");
    if (wanted("line"))
        shown("text, one 1 MB line without blanks", longLine, platform::RichTextBox::PlainText, rounds);
    return 0;
}
