#include "ScriptedDialogs.h"
#include "TestSupport.h"
// The real program is started from a program folder made as the benchmarks make it.
#include "../../bench/ProgramFolder.h"
#include "platform/controls/Dialogs.h"
#include "shared/SharedState.h"
#include "shared/Tables.h"
#include "window/Lumivex1.h"
#include "shell/StartUp.h"
#include "platform/controls/Units.h"

#include <QCheckBox>
#include <QImage>
#include <QProcess>
#include <QTabWidget>
#include <QComboBox>
#include <QScreen>
#include <QSysInfo>
#include <QTest>
#include <gtest/gtest.h>

using testsupport::ProgramFolder;
using testsupport::readFile;
using testsupport::writeFile;

TEST(StartUpRules, ProgramFolder)
{
    QTemporaryDir cur, inst, exe;
    const QString missing = inst.path() + "/none";
    QString newCurrent;
    auto find = [&](const QString& install) {
        return startup::findProgramFolder(cur.path(), install, "Tessamor", exe.path(), &newCurrent);
    };
    // Current folder holds the executable.
    writeFile(cur.path() + "/Tessamor", "x");
    EXPECT_EQ(find(inst.path()), cur.path());
    EXPECT_EQ(newCurrent, cur.path());
    QFile::remove(cur.path() + "/Tessamor");
    // Install folder present and holding the executable: it is the program folder and the current one.
    writeFile(inst.path() + "/Tessamor", "x");
    EXPECT_EQ(find(inst.path()), inst.path());
    EXPECT_EQ(newCurrent, inst.path());
    // Install folder without the executable: the executable's own folder, while the
    // install folder becomes the current folder.
    QFile::remove(inst.path() + "/Tessamor");
    EXPECT_EQ(find(inst.path()), exe.path());
    EXPECT_EQ(newCurrent, inst.path());
    // No install folder: the executable's own folder, never the unrelated current one.
    EXPECT_EQ(find(missing), exe.path());
    EXPECT_EQ(newCurrent, cur.path());
}

TEST(StartUpRules, CommandLine)
{
    // One argument is taken whole, blanks and all.
    QStringList a = startup::getCommandLine({"/My Pictures/a  b.jpg"});
    ASSERT_EQ(a.size(), 2);
    EXPECT_EQ(startup::stripCommandQuotes({a[1], "", "", "", "", ""}), "/My Pictures/a  b.jpg");
    // A quoted path split by a shell into pieces is joined again with single blanks.
    a = startup::getCommandLine({"\"/My", "Pictures/a", "b.jpg\""});
    ASSERT_EQ(a.size(), 4);
    EXPECT_EQ(startup::stripCommandQuotes(a.mid(1) + QStringList{"", "", ""}), "/My Pictures/a b.jpg");
    // Two quote characters stay as they are; a quote at one end only is kept.
    EXPECT_EQ(startup::stripCommandQuotes({"\"\"", "", "", "", "", ""}), "\"\"");
    EXPECT_EQ(startup::stripCommandQuotes({"\"/a/b.jpg", "", "", "", "", ""}), "\"/a/b.jpg");
    EXPECT_EQ(startup::stripCommandQuotes({"\"/a/b.jpg\"", "", "", "", "", ""}), "/a/b.jpg");
    // At most MaxArgs arguments.
    EXPECT_EQ(startup::getCommandLine({"a", "b c d e f g h i j k l"}, 10).size(), 11);
}

TEST(StartUpRules, WindowPlacement)
{
    auto p = startup::placeWindow({-32000, 100, 8000, 10500}, 19200, 14400);
    EXPECT_EQ(p.left, 0);
    p = startup::placeWindow({0, 100, 8000, 30000}, 19200, 14400);
    EXPECT_EQ(p.width, 18000);
    p = startup::placeWindow({0, 20000, 8000, 10500}, 19200, 14400);
    EXPECT_EQ(p.top, 100);
    p = startup::placeWindow({0, 100, 20000, 10500}, 19200, 14400);
    EXPECT_EQ(p.height, 13600);
    p = startup::placeWindow({25000, 100, 8000, 10500}, 19200, 14400);
    EXPECT_EQ(p.left, 19200 - 10500);
    // The place of a window closed maximised covers the work area (to a pixel).
    const QRect area(0, 30, 1280, 994);
    EXPECT_TRUE(startup::coversWorkArea(area, area));
    EXPECT_TRUE(startup::coversWorkArea(QRect(-4, 27, 1289, 1001), area));
    EXPECT_TRUE(startup::coversWorkArea(QRect(1, 31, 1279, 993), area));
    EXPECT_FALSE(startup::coversWorkArea(QRect(0, 7, 700, 533), area));
    EXPECT_FALSE(startup::coversWorkArea(QRect(0, 30, 1280, 900), area));
}

namespace {
struct MainWindowTest : ::testing::Test {
    ProgramFolder folder;
    platform::ScopedDialogs dialogs;
};
} // namespace

TEST_F(MainWindowTest, FreshProgramFolder)
{
    {
        Lumivex1 w({});
        w.finishStartUp();
        const QStringList texts = dialogs->texts();
        ASSERT_GE(texts.size(), 2);
        EXPECT_EQ(texts[0], "Use the Utility Menu Option - Set Window Colors");
        EXPECT_EQ(texts[1], "Use the Utility Menu Option - Set Program Options");
        EXPECT_EQ(dialogs->messages[0].title, "Brevanto Lumivex 3.0");
        EXPECT_EQ(w.windowTitle(), "Brevanto Lumivex 3.0");
        EXPECT_EQ(gs.cProgramFolder, folder.path());
        ASSERT_EQ(w.TreeView1->Count(), 1);
        EXPECT_EQ(w.TreeView1->Item(1)->Text, "My Video PlayList");
        ASSERT_EQ(w.TreeView2->Count(), 1);
        EXPECT_EQ(w.TreeView2->Item(1)->Text, "My Music PlayList");
        EXPECT_EQ(gs.cNewPlayListName, "My Music PlayList");
        EXPECT_TRUE(w.fVideoListsChanged);
        EXPECT_TRUE(w.fMusicListsChanged);
        EXPECT_FALSE(w.fStartingUp);
        EXPECT_EQ(w.fileListFolder(), folder.path());
        w.Form_Unload();
        EXPECT_FALSE(w.fVideoListsChanged);
    }
    // The computer name is the host name up to its first ".".
    const QString name = QSysInfo::machineHostName().section(QLatin1Char('.'), 0, 0).toUpper();
    const QString flags = name.isEmpty() ? "0 1 1 1 0 0 1 1 1 0 0 1" : "0 1 1 0 0 0 1 1 1 0 0 1";
    EXPECT_EQ(QString::fromUtf8(readFile(folder.file("Options.INI"))),
              "0 100 8000 10500 0 2 0 115 115 2 40 0 5000 500 9 0\r\n" + name + "\r\n" + folder.path() + "\r\n" +
                  flags + "\r\n");
    EXPECT_EQ(readFile(folder.file("VideoLists.PLS")), "My Video PlayList\r\n");
    EXPECT_EQ(readFile(folder.file("VideoListDtl.PLS")), "");
    EXPECT_EQ(readFile(folder.file("MusicLists.PLS")), "My Music PlayList\r\n");
    EXPECT_FALSE(QFile::exists(folder.file("Colors.INI"))) << "colours are never written at shutdown";
    EXPECT_FALSE(QFile::exists(folder.file("TextList.PLS")));
}

TEST(StartedElsewhere, SettingsStayBesideTheProgramWhenStartedFromAnotherFolder)
{
    // A launcher starts the program in the user's home folder: the executable's
    // folder, with its tips, help and settings, stays the program folder.
    QTemporaryDir home, exe;
    testsupport::copyTree(testsupport::assetsFolder(), exe.path());
    writeFile(exe.path() + "/Options.INI", "0 100 8000 10500 0 2 0 115 115 2 40 0 5000 500 9 35\r\nPC\r\n" +
                                               exe.path().toUtf8() + "\r\n0 0 0 0 0 0 1 1 1 0 0 1\r\n");
    const QString before = QDir::currentPath();
    QDir::setCurrent(home.path());
    startup::setExecutableFolder(exe.path());
    platform::ScopedDialogs dialogs;
    {
        Lumivex1 w({});
        w.finishStartUp();
        EXPECT_EQ(gs.cProgramFolder, exe.path());
        EXPECT_FALSE(dialogs->texts().contains("Use the Utility Menu Option - Set Program Options"))
            << "the options beside the program are read";
        w.Form_Unload();
    }
    startup::setExecutableFolder({});
    QDir::setCurrent(before);
    gs = SharedState();
    EXPECT_TRUE(QDir(home.path()).isEmpty()) << "nothing is written into the folder the program was started from";
    EXPECT_TRUE(QFile::exists(exe.path() + "/VideoLists.PLS"));
}

TEST_F(MainWindowTest, StoredSettingsAreUsedAndKept)
{
    writeFile(folder.file("Colors.INI"), "255 -2147483633 0 -2147483644 12582912 -2147483644 8388608 -2147483625 "
                                         "8388608 14737632 4210752 32768 -2147483633 16777215 16744576 8388608 "
                                         "12640511 16512 32768 8421631 16744576 -2147483633 0 12648384 0 12632319 "
                                         "0 4210752 16777215 12583104 16777152 12632256 -2147483633 0\r\n");
    writeFile(folder.file("Options.INI"), "0 100 8000 10500 0 2 0 115 115 2 40 2 5000 500 9 99\r\nMYPC\r\n" +
                                              folder.path().toUtf8() + "\r\n0 0 0 0 0 0 1 1 1 1 1 1\r\n");
    Lumivex1 w({});
    w.finishStartUp();
    EXPECT_TRUE(dialogs->messages.isEmpty()) << dialogs->texts().join("|").toStdString();
    EXPECT_EQ(gs.nMainBackColor, 255u);
    EXPECT_EQ(gs.cComputerName, "MYPC") << "the name is read once, then kept";
    EXPECT_EQ(gs.nFilterIndex, 0) << "an index outside the table is taken as 0";
    EXPECT_EQ(w.CMBFILTER->currentIndex(), 0);
    EXPECT_EQ(w.nVideoPlayCount, 0) << "video loop set before any video is loaded";
    EXPECT_TRUE(w.CHKMUSICLOOP->isChecked());
    EXPECT_FALSE(gs.fQuikTipOpen);
}

TEST_F(MainWindowTest, DamagedSettingsFilesAreReported)
{
    writeFile(folder.file("Colors.INI"), "255 -2147483643 16711680\r\n");
    writeFile(folder.file("Options.INI"), "5 6 7 8 1 1 1 60 70 1 40 2 3000 600 20 4\r\nNAME\r\n/last\r\n");
    Lumivex1 w({});
    EXPECT_EQ(dialogs->texts(),
              (QStringList{"Error Loading Application Window Colors", "Error Loading Application Options"}));
    EXPECT_EQ(gs.nMainBackColor, 255u) << "what was read is kept";
    EXPECT_EQ(gs.cLastFolder, "/last");
}

TEST_F(MainWindowTest, FilterComboAndMenu)
{
    writeFile(folder.file("Options.INI"), "0 100 8000 10500 0 2 0 115 115 2 40 0 5000 500 9 31\r\n\r\n" +
                                              folder.path().toUtf8() + "\r\n0 1 0 0 0 0 1 1 1 0 0 1\r\n");
    Lumivex1 w({});
    QStringList combo;
    for (int r = 0; r < w.CMBFILTER->count(); ++r)
        combo << w.CMBFILTER->itemText(r);
    ASSERT_EQ(combo.size(), 36);
    EXPECT_EQ(combo[0], FileFilterTable.names[0]);
    EXPECT_EQ(combo[30], "Miscellaneous 1 bit (MAC,IMG,MSP,ICA,CAL) ");
    EXPECT_EQ(combo[35], "All Files (*.*)");
    EXPECT_EQ(w.CMBFILTER->currentIndex(), 31);
    EXPECT_EQ(w.ToolBarComp1->Item("ID_FilterName")->Caption(), "All Picture Files");
    const QStringList menu = w.ToolBarComp1->Item("ID_mnuFileFilterDropDown")->MenuTools();
    EXPECT_EQ(menu, combo);
    for (const QString& tool : menu)
        EXPECT_EQ(w.ToolBarComp1->Item(tool)->Category(), "FilterList");
    w.Form_Unload();
    EXPECT_TRUE(readFile(folder.file("Options.INI")).startsWith("0 100 8000 10500 0 2 0 115 115 2 40 0 5000 500 9 31\r\n"));
}

TEST_F(MainWindowTest, CommandLineFileAndLastFolder)
{
    const QString other = folder.file("sub folder");
    QDir().mkpath(other);
    writeFile(folder.file("Options.INI"), "0 100 8000 10500 0 2 0 115 115 2 40 0 5000 500 9 0\r\nPC\r\n" +
                                              other.toUtf8() + "\r\n0 0 0 0 0 0 1 1 1 0 0 1\r\n");
    const QString file = folder.file("My Pictures/a b.jpg");
    QDir().mkpath(folder.file("My Pictures"));
    QImage picture(64, 48, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    ASSERT_TRUE(picture.save(file, "JPG"));
    startup::setExecutableFolder(folder.path());
    Lumivex1 w({file});
    startup::setExecutableFolder({});
    EXPECT_EQ(w.cCommandArg1, file);
    w.finishStartUp();
    EXPECT_EQ(w.windowTitle(), "Brevanto Lumivex 3.0 - " + file);
    EXPECT_EQ(w.fileListFolder(), other) << "the first paint moves the list to the last folder";
    EXPECT_EQ(w.cCommandArg1, "");
    EXPECT_EQ(gs.cCurrentPicture, file);
    EXPECT_EQ(w.TabStrip1->currentIndex(), 2) << "the picture named on the command line is on show";
    w.Form_Unload();
    EXPECT_TRUE(readFile(folder.file("Options.INI")).contains(("\r\n" + other + "\r\n").toUtf8()))
        << "fSaveLastFolder off keeps the folder read at start";
}

TEST_F(MainWindowTest, ToolSetBarsAndStartStates)
{
    Lumivex1 w({});
    auto* comp = w.ToolBarComp1;
    QStringList ids = comp->ids();
    // The design-time set: 118 tools (the 36 filter tools come at run time).
    int designTime = 0;
    for (const QString& id : ids)
        if (comp->Item(id)->Category() != "FilterList")
            ++designTime;
    EXPECT_EQ(designTime, 118);
    EXPECT_EQ(ids.removeDuplicates(), 0);
    EXPECT_EQ(comp->Item("ID_Find")->ToolTip(), "Find Pictures and Multimedia Files - F2");
    EXPECT_EQ(comp->Item("ID_Find")->action()->shortcut(), QKeySequence(Qt::Key_F2));
    EXPECT_EQ(comp->Item("ID_mnuExit")->ToolTip(), "Exit the Orbanth");
    EXPECT_EQ(comp->Item("ID_mnuRemoveRed-Eye")->Category(), "EditMenu");
    EXPECT_EQ(comp->barTools(3), (QStringList{"ID_ToggleBtn", "ID_Back", "ID_Forward", "|", "ID_ViewImage",
                                              "ID_PrintImage", "|", "ID_Resize", "ID_EditImage", "ID_EditColors",
                                              "ID_SaveImage", "ID_PicFavorites", "ID_HelpImage"}));
    EXPECT_EQ(comp->barTools(7), (QStringList{"ID_IntURLEnter", "ID_IntGo"}));
    EXPECT_TRUE(comp->barVisible(2));
    for (int n = 3; n <= 7; ++n)
        EXPECT_FALSE(comp->barVisible(n)) << n;
    EXPECT_FALSE(comp->Item("ID_Stop")->Visible());
    EXPECT_FALSE(comp->Item("ID_mnuPaste")->Enabled());
    EXPECT_EQ(comp->Item("ID_mnuImageViewDropDown")->MenuTools(),
              (QStringList{"ID_ViewNormal", "ID_ViewStretch", "ID_ViewZoom", "ID_ViewSnap", "ID_ViewFitImage",
                           "ID_ViewMagnify", "", "ID_ViewPan"}));
}

TEST_F(MainWindowTest, StoredPlaceIsTheFramesOrTheWorkArea)
{
    auto line1 = [&] {
        return QString::fromUtf8(readFile(folder.file("Options.INI"))).split("\r\n").first().split(' ').mid(0, 4);
    };
    auto twips = [](const QRect& r) {
        return QStringList{QString::number(platform::pixelsToTwipsX(r.x())),
                           QString::number(platform::pixelsToTwipsY(r.y())),
                           QString::number(platform::pixelsToTwipsY(r.height())),
                           QString::number(platform::pixelsToTwipsX(r.width()))};
    };
    {
        // A normal window: its frame's place and its size.
        Lumivex1 w({});
        w.show();
        w.move(30, 40);
        w.resize(700, 500);
        QTRY_COMPARE(w.frameGeometry().topLeft(), QPoint(30, 40));
        w.Form_Unload();
        EXPECT_EQ(line1(), twips(QRect(30, 40, 700, 500)));
    }
    // A maximised one: the work area it fills.
    Lumivex1 w({});
    w.showMaximized();
    QTRY_VERIFY(w.isMaximized());
    w.Form_Unload();
    EXPECT_EQ(line1(), twips(w.screen()->availableGeometry()));
}

namespace {

// The shared objects mapped into this process whose names hold one of the parts.
QStringList mappedLibraries(const QStringList& parts)
{
    QStringList found;
    QFile maps(QStringLiteral("/proc/self/maps"));
    if (!maps.open(QIODevice::ReadOnly))
        return found;
    for (const QByteArray& line : maps.readAll().split('\n')) {
        const QString file = QFileInfo(QString::fromLocal8Bit(line.mid(line.lastIndexOf(' ') + 1))).fileName();
        for (const QString& part : parts)
            if (file.startsWith(part) && !found.contains(file))
                found << file;
    }
    return found;
}

// Objects of a Qt class in the window's tree, told by the class's name: this
// test links none of the libraries that define them.
int objectsOfClass(const QObject* root, const char* className)
{
    int n = 0;
    for (const QObject* o : root->findChildren<QObject*>())
        n += o->inherits(className) ? 1 : 0;
    return n;
}

} // namespace

TEST_F(MainWindowTest, StartUpLoadsNoMediaOrWebEngineAndMakesNoPipeline)
{
    const QStringList heavy{"libQt6WebEngine", "libQt6Multimedia", "libavformat", "libavcodec", "libswscale",
                            "libsane",         "libcdio",          "liblumivex_web", "liblumivex_media",
                            "libMagick",       "liblumivex_magick"};
    const QStringList before = mappedLibraries(heavy);
    Lumivex1 w({});
    w.startUp();
    w.finishStartUp();
    for (const char* name : {"QMediaPlayer", "QAudioOutput", "QVideoSink", "QWebEngineView"})
        EXPECT_EQ(objectsOfClass(&w, name), 0) << name;
    const QStringList after = mappedLibraries(heavy);
    w.Form_Unload();
    if (!before.isEmpty())
        GTEST_SKIP() << "an earlier test in this process loaded " << before.join(' ').toStdString();
    EXPECT_EQ(after, QStringList()) << "loaded while the window started";
}

namespace {

// ImageMagick and the libraries it alone brings here (libgomp comes with Qt).
const QStringList kImagingLibraries{"liblumivex_magick", "libMagickCore", "libMagickWand", "libMagick++",
                                    "libfftw3",          "liblqr",        "liblcms2",      "libxml2"};

// A 24-bit top-down TGA, laid out by hand: a format only ImageMagick reads here.
QByteArray tgaPicture(int w, int h, QRgb colour)
{
    QByteArray b(18, '\0');
    b[2] = 2; // uncompressed true colour
    b[12] = char(w & 0xFF);
    b[13] = char(w >> 8);
    b[14] = char(h & 0xFF);
    b[15] = char(h >> 8);
    b[16] = 24;
    b[17] = 0x20; // the first row is the top one
    for (int i = 0; i < w * h; ++i)
        b.append(char(qBlue(colour))).append(char(qGreen(colour))).append(char(qRed(colour)));
    return b;
}

struct ProbeRun {
    bool painted = false;
    QStringList imaging; // the imaging libraries mapped when it painted
    QString output;
};

// The real program started as an installed copy is, until it has painted
// what the probe waits for ("window" or "picture").
ProbeRun runProgram(const bench::ProgramFolder& folder, const char* probe, const QStringList& args)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("LUMIVEX_PAINT_PROBE", probe);
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(folder.path());
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(folder.program(), args);
    if (!p.waitForFinished(60000))
        p.kill();
    p.waitForFinished();
    ProbeRun run;
    run.output = QString::fromLocal8Bit(p.readAll());
    for (const QString& line : run.output.split('\n')) {
        run.painted = run.painted || line.startsWith("painted ");
        for (const QString& lib : kImagingLibraries)
            if (line.startsWith("mapped " + lib))
                run.imaging << line.mid(7);
    }
    return run;
}

} // namespace

TEST(RealProgram, ImageMagickIsLoadedOnlyByAPictureThatNeedsIt)
{
    const QString bin = QCoreApplication::applicationDirPath();
    bench::ProgramFolder folder(bin);
    // Started with a file, the program keeps its settings beside its
    // executable: a copy of it, not a link into the build's folder.
    QFile::remove(folder.program());
    ASSERT_TRUE(QFile::copy(bin + "/Tessamor", folder.program())) << "Tessamor is built beside the tests";
    QTemporaryDir pictures;
    const QString jpeg = pictures.filePath("photo.jpg"), tga = pictures.filePath("drawing.tga");
    QImage photo(320, 240, QImage::Format_RGB32);
    photo.fill(qRgb(40, 120, 200));
    ASSERT_TRUE(photo.save(jpeg));
    writeFile(tga, tgaPicture(320, 240, qRgb(200, 60, 30)));

    const ProbeRun started = runProgram(folder, "window", {});
    ASSERT_TRUE(started.painted) << qPrintable(started.output);
    EXPECT_EQ(started.imaging, QStringList()) << "mapped by the first paint";

    const ProbeRun qtPicture = runProgram(folder, "picture", {jpeg});
    ASSERT_TRUE(qtPicture.painted) << qPrintable(qtPicture.output);
    EXPECT_EQ(qtPicture.imaging, QStringList()) << "a JPEG is Qt's to read";

    const ProbeRun magickPicture = runProgram(folder, "picture", {tga});
    ASSERT_TRUE(magickPicture.painted) << "the TGA is shown: " << qPrintable(magickPicture.output);
    EXPECT_TRUE(magickPicture.imaging.contains("liblumivex_magick.so")) << qPrintable(magickPicture.imaging.join(' '));
    EXPECT_TRUE(magickPicture.imaging.filter("libMagickCore").size() == 1) << qPrintable(magickPicture.imaging.join(' '));
}
