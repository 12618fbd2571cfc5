#include "OptionsFixture.h"
#include "shell/OptionEntries.h"
#include "shell/SetOptn1.h"
#include "shell/Settings.h"
#include "platform/controls/OleColor.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QSysInfo>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

namespace {

const QByteArray kDefaultColorsLine =
    "8421504 -2147483633 0 -2147483644 12582912 -2147483644 8388608 -2147483625 8388608 14737632 4210752 32768 "
    "-2147483633 16777215 16744576 8388608 12640511 16512 32768 8421631 16744576 -2147483633 0 12648384 0 12632319 0 "
    "4210752 16777215 12583104 16777152 12632256 -2147483633 0\r\n";

class OptionsDialogTest : public MainWindowTest {
protected:
    SetOptn1* open()
    {
        SetOptn1* d = main->OptionsWindow();
        EXPECT_TRUE(gs.fSetOptnOpen);
        return d;
    }
    // Types the four Search page fields and presses OK.
    void okWith(SetOptn1* d, const QString& h, const QString& w, const QString& first, const QString& next)
    {
        d->Text4[0]->setText(h);
        d->Text4[1]->setText(w);
        d->Text4[2]->setText(first);
        d->Text4[3]->setText(next);
        dialogs->messages.clear();
        d->OKBtn->click();
    }
    QString cm(double v) const { return QLocale().toString(v, 'f', 2); }
};

} // namespace

TEST_F(OptionsDialogTest, OkWithoutChangesWritesTheDefaultsAndARestartReadsThemBack)
{
    startMain();
    ASSERT_EQ(startupMessages, QStringList({settings::kMsgColorsMissing, settings::kMsgOptionsMissing}));

    SetOptn1* d = open();
    d->OKBtn->click();
    EXPECT_TRUE(dialogs->messages.isEmpty()) << dialogs->texts().join(" | ").toStdString();
    EXPECT_EQ(d, SetOptn1::current()) << "OK leaves the dialog open";

    EXPECT_EQ(file("Colors.INI"), kDefaultColorsLine);
    const QList<QByteArray> lines = file("Options.INI").split('\n');
    ASSERT_EQ(lines.size(), 5) << "four lines, each ending in CR LF";
    EXPECT_EQ(lines[0], "0 100 8000 10500 0 2 0 115 115 2 40 0 5000 500 9 0\r");
    EXPECT_EQ(lines[1], QSysInfo::machineHostName().section(QLatin1Char('.'), 0, 0).toUpper().toUtf8() + "\r");
    EXPECT_EQ(lines[2], folder.path().toUtf8() + "\r");
    // The computer name was read at start-up, which turns its option off.
    const QByteArray useName = QSysInfo::machineHostName().isEmpty() ? "1" : "0";
    EXPECT_EQ(lines[3], "0 1 1 " + useName + " 0 0 1 1 1 0 0 1\r");
    EXPECT_TRUE(lines[4].isEmpty());

    // A restart finds both files and reads every value back.
    d->CancelBtn->click();
    closeMain();
    gs.nMainWashEnd = 0;
    gs.nButtonWashEnd = 0;
    startMain();
    EXPECT_TRUE(startupMessages.isEmpty()) << startupMessages.join(" | ").toStdString();
    EXPECT_EQ(settings::colorsText(gs).toUtf8(), kDefaultColorsLine);
    EXPECT_EQ(gs.nMainWashEnd, 0x8000000Fu);
    EXPECT_EQ(settings::optionsText(gs).toUtf8(), file("Options.INI"));
}

TEST_F(OptionsDialogTest, ChangedColoursAndOptionsAreWrittenAndReadBack)
{
    startMain();
    SetOptn1* d = open();
    // Pick red for the main windows' background and the command buttons' wash end.
    dialogs->colorAnswers = {QColor(255, 0, 0), QColor(0, 0, 255)};
    QTest::mouseDClick(d->Text3[0], Qt::LeftButton);
    QTest::mouseDClick(d->Text3[23], Qt::LeftButton);
    EXPECT_EQ(gs.nMainBackColor, 0x808080u) << "the scheme changes only on OK";
    // A cancelled picker keeps the box's colour, a system colour included.
    QTest::mouseDClick(d->Text3[21], Qt::LeftButton);
    EXPECT_EQ(d->Text3[21]->color(), 0x8000000Fu);

    d->CMBMENU->setCurrentIndex(0);
    d->CMBFONTTYPE->setCurrentIndex(3);
    d->CHKBOLD->setChecked(true);
    d->CHKOPTMUSICLOOP->setChecked(true);
    d->CHKOPTVIDEOLOOP->setChecked(true);
    d->CHKAUTOVIDEO->setChecked(false);
    d->CMBTHUMBRESL->setCurrentIndex(7);
    okWith(d, d->Text4[0]->text(), d->Text4[1]->text(), "2500.7", "2500");
    EXPECT_TRUE(dialogs->messages.isEmpty()) << dialogs->texts().join(" | ").toStdString();

    EXPECT_EQ(gs.nMainBackColor, 0x0000FFu);
    EXPECT_EQ(gs.nLabelStyle, 3);
    EXPECT_FALSE(gs.fAutoVideo);
    EXPECT_EQ(gs.nSearchFirstCount, 2500) << "the whole part of 2500.7";
    EXPECT_TRUE(main->CHKMUSICLOOP->isChecked());
    EXPECT_EQ(main->nVideoPlayCount, 0) << "the video loop plays endlessly";
    const QByteArray colors = file("Colors.INI");

    // Cancel after changes drops them and unloads the dialog.
    d->CHKBOLD->setChecked(false);
    dialogs->colorAnswers = {QColor(0, 255, 0)};
    QTest::mouseDClick(d->Text3[5], Qt::LeftButton);
    d->CancelBtn->click();
    EXPECT_EQ(SetOptn1::current(), nullptr);
    EXPECT_TRUE(gs.fBoldFonts);
    EXPECT_EQ(file("Colors.INI"), colors);

    // The files are what the start-up readers read back, and a new opening shows.
    closeMain();
    startMain();
    EXPECT_TRUE(startupMessages.isEmpty()) << startupMessages.join(" | ").toStdString();
    EXPECT_EQ(settings::colorsText(gs).toUtf8(), colors);
    EXPECT_TRUE(gs.fBoldFonts && gs.fMusicLoop && gs.fVideoLoop);
    d = open();
    EXPECT_EQ(d->Text3[0]->color(), 0x0000FFu);
    EXPECT_EQ(d->CMBFONTTYPE->currentIndex(), 3);
    EXPECT_EQ(d->Text4[2]->text(), "2500");
}

TEST_F(OptionsDialogTest, RefusedEntriesKeepTheOptionsButNotTheColours)
{
    startMain();
    SetOptn1* d = open();
    d->OKBtn->click(); // both files now exist
    const QByteArray options = file("Options.INI");
    const QColor mainBackground = main->palette().color(QPalette::Window);
    d->TabStrip1->setCurrentIndex(2);

    dialogs->colorAnswers = {QColor(0xFF, 0x00, 0x00)};
    QTest::mouseDClick(d->Text3[0], Qt::LeftButton);
    d->CHKBOLD->setChecked(true);

    struct Case {
        QString h, w, first, next, message;
    };
    const QString ok = cm(1.0);
    const QString size = "Invalid Sizes for ThumbNail Images";
    const QString first = "Enter a Number between 2,500 and 10,000 of Files to Initially Search";
    const QString next = "Enter a Number between 500 and 2500 of Files to Search Next";
    const QList<Case> refused = {
        {cm(0.49), ok, "5000", "500", size},   {ok, "abc", "5000", "500", size},
        {ok, ok, "2,500", "500", first},       {ok, ok, "10000.5", "500", first},
        {ok, ok, "5000", "2501", next},        {ok, ok, "5000", "499", next},
        {cm(9), ok, "1", "1", size}, // the first failing check is the one reported
    };
    for (const Case& c : refused) {
        okWith(d, c.h, c.w, c.first, c.next);
        ASSERT_EQ(dialogs->messages.size(), 1) << c.first.toStdString();
        EXPECT_EQ(dialogs->messages[0].text, c.message);
        EXPECT_EQ(dialogs->messages[0].title, "Brevanto Lumivex 3.0");
        // Nothing of the options was taken or written; the colours were.
        EXPECT_EQ(file("Options.INI"), options);
        EXPECT_FALSE(gs.fBoldFonts);
        EXPECT_TRUE(file("Colors.INI").startsWith("255 "));
        EXPECT_EQ(main->palette().color(QPalette::Window), mainBackground) << "the main window is not recoloured";
        // The dialog stays open on its page.
        EXPECT_EQ(SetOptn1::current(), d);
        EXPECT_EQ(d->TabStrip1->currentIndex(), 2);
    }

    // The bounds themselves pass.
    okWith(d, cm(0.5), cm(5.5), "10000", "2500");
    EXPECT_TRUE(dialogs->messages.isEmpty()) << dialogs->texts().join(" | ").toStdString();
    EXPECT_EQ(gs.nSearchFirstCount, 10000);
    EXPECT_NE(file("Options.INI"), options);
}

TEST_F(OptionsDialogTest, TheCommandsOpenTheirPagesModal)
{
    startMain();
    struct Case {
        const char* id;
        int page;
    };
    for (const Case c : {Case{"ID_mnuSetColorsforOrbanth", 1}, Case{"ID_mnuSetOrbanthOptions", 2},
                         Case{"ID_SetClrBtn", 2}}) {
        int shownPage = 0;
        bool modal = false, filled = false;
        QTimer::singleShot(0, [&]() {
            SetOptn1* d = SetOptn1::current();
            ASSERT_NE(d, nullptr);
            shownPage = d->TabStrip1->currentIndex() + 1;
            modal = d->isModal() && d->isVisible();
            filled = d->Text4[2]->text() == "5000";
            d->CancelBtn->click();
        });
        EXPECT_TRUE(SetOptn1::openForCommand(QString::fromLatin1(c.id)));
        EXPECT_EQ(shownPage, c.page) << c.id;
        EXPECT_TRUE(modal);
        EXPECT_TRUE(filled) << "the controls are filled before the page is chosen";
        EXPECT_FALSE(gs.fSetOptnOpen);
    }
    // Esc unloads it like Cancel.
    QTest::keyClick(open(), Qt::Key_Escape);
    EXPECT_FALSE(gs.fSetOptnOpen);
}

TEST_F(OptionsDialogTest, ThumbnailSizesKeepTheirPixelsAndFollowTheLocale)
{
    startMain();
    const double tpcY = main->nTwipsPerCmY, tpcX = main->nTwipsPerCmX;
    gs.nThumbHeight = 115;
    gs.nThumbWidth = 101;
    SetOptn1* d = open();
    EXPECT_EQ(d->Text4[0]->text(), QLocale().toString(115 / (tpcY / 15), 'f', 2));
    EXPECT_EQ(d->Text4[1]->text(), QLocale().toString(101 / (tpcX / 15), 'f', 2));
    // OK without touching the sizes keeps the stored pixels, again and again.
    for (int i = 0; i < 3; ++i) {
        d->OKBtn->click();
        EXPECT_EQ(gs.nThumbHeight, 115);
        EXPECT_EQ(gs.nThumbWidth, 101);
    }
    EXPECT_TRUE(file("Options.INI").startsWith("0 100 8000 10500 0 2 0 115 101 "));
    d->CancelBtn->click();

    // In a locale with a decimal comma the fields show and read commas.
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    gs.nThumbHeight = 115;
    d = open();
    EXPECT_TRUE(d->Text4[0]->text().contains(',')) << d->Text4[0]->text().toStdString();
    d->OKBtn->click();
    EXPECT_EQ(gs.nThumbHeight, 115);
    // A typed size is taken: the whole pixels of the centimetres.
    d->Text4[0]->setText("2,25");
    d->OKBtn->click();
    EXPECT_EQ(gs.nThumbHeight, int(2.25 * tpcY / 15 + 1e-9));
    QLocale::setDefault(before);
}

TEST_F(OptionsDialogTest, JpegQualityBarStartsAtTheStoredQuality)
{
    startMain();
    gs.nJpegQuality = 37;
    SetOptn1* d = open();
    EXPECT_EQ(d->SCOPTJPEGQ->value(), 37);
    EXPECT_EQ(d->Label4[20]->text(), "37");
    d->OKBtn->click();
    EXPECT_EQ(gs.nJpegQuality, 37) << "an untouched bar keeps the quality";
    // One step on from the stored quality, not from anywhere else.
    d->SCOPTJPEGQ->triggerAction(QAbstractSlider::SliderPageStepSub);
    EXPECT_EQ(d->Label4[20]->text(), "32");
    d->OKBtn->click();
    EXPECT_TRUE(file("Options.INI").startsWith("0 100 8000 10500 0 2 0 115 115 2 40 0 5000 500 32 0\r\n"));
}

TEST_F(OptionsDialogTest, AFailedWriteIsReportedAndTheOtherFileStillWritten)
{
    startMain();
    // A folder where Colors.INI should be: the file cannot be replaced.
    ASSERT_TRUE(QDir(folder.path()).mkdir("Colors.INI"));
    SetOptn1* d = open();
    d->CHKBOLD->setChecked(true);
    d->OKBtn->click();
    ASSERT_EQ(dialogs->messages.size(), 1);
    EXPECT_TRUE(dialogs->messages[0].text.startsWith("Error: ")) << dialogs->messages[0].text.toStdString();
    EXPECT_TRUE(file("Options.INI").split('\n').value(3).startsWith("1 1 1 ")) << "bold type on";
}

TEST(OptionEntries, LeadingNumbersAndCentimetres)
{
    using namespace optionentries;
    EXPECT_EQ(leadingNumber("2,500"), 2);
    EXPECT_EQ(leadingNumber("  2500.7xyz"), 2500.7);
    EXPECT_EQ(leadingNumber("abc"), 0);
    EXPECT_EQ(leadingNumber("1.5.3"), 1.5);
    const QLocale de(QLocale::German, QLocale::Germany);
    EXPECT_EQ(leadingNumber("1,25", de), 1.25);
    EXPECT_EQ(leadingNumber("1.25", de), 1);
    // 1.5 cm at 80 pixels a centimetre is 120 pixels, not 119.
    EXPECT_EQ(pixelsFromCentimetres(1.5, 1200), 120);
    // A text written in a locale reads back in it.
    EXPECT_NEAR(leadingNumber(centimetresText(4000, 1200, de), de), 50.0, 0.005);
}

TEST_F(OptionsDialogTest, OnAFullDiskTheOldFilesStayWholeAndTheFailureIsReported)
{
    testsupport::FullDisk disk(folder.path());
    // The program folder as the mount shows it: with its executable, entered anew.
    testsupport::writeFile(folder.file("Tessamor"), QByteArray());
    QDir::setCurrent(folder.path());
    startMain();
    SetOptn1* d = open();
    d->OKBtn->click();
    const QByteArray colors = file("Colors.INI"), options = file("Options.INI");
    ASSERT_FALSE(colors.isEmpty());
    ASSERT_FALSE(options.isEmpty());

    disk.fill();
    d->CHKBOLD->setChecked(true);
    dialogs->messages.clear();
    d->OKBtn->click();
    disk.release();
    EXPECT_EQ(dialogs->texts(), QStringList({"Error: 61 - Disk full", "Error: 61 - Disk full"}));
    EXPECT_EQ(file("Colors.INI"), colors);
    EXPECT_EQ(file("Options.INI"), options);

    // With room again OK writes the change.
    dialogs->messages.clear();
    d->OKBtn->click();
    EXPECT_TRUE(dialogs->messages.isEmpty());
    EXPECT_TRUE(file("Options.INI").split('\n').value(3).startsWith("1 1 1 ")) << "bold type on";
}

// Every caption of the three pages stands out from what it stands on, the
// ones right of the middle (the range notes, the longer check boxes) where
// the wash has run out to its light end too.
TEST_F(OptionsDialogTest, EveryCaptionStandsOutFromTheWashBeneathIt)
{
    startMain();
    gs.nLabelStyle = 0;
    SetOptn1* d = open();
    d->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(d));
    testsupport::InProcessFocus focus;
    ASSERT_TRUE(focus.activate(d)); // the dialog takes its colours as it becomes active
    const QColor text = platform::resolveColor(platform::ColorRole::Text, gs.nSelectForeColor);
    QTabBar* tabs = d->TabStrip1->tabBar();
    int measured = 0;
    for (int page = 0; page < tabs->count(); ++page) {
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(page).center());
        ASSERT_EQ(d->TabStrip1->currentIndex(), page);
        QWidget* shown = d->TabStrip1->currentWidget();
        QList<QWidget*> captions;
        for (QLabel* l : shown->findChildren<QLabel*>())
            captions << l;
        for (QCheckBox* c : shown->findChildren<QCheckBox*>())
            captions << c;
        for (QWidget* c : captions) {
            const QString what = qobject_cast<QLabel*>(c) ? qobject_cast<QLabel*>(c)->text()
                                                          : qobject_cast<QCheckBox*>(c)->text();
            if (!c->isVisible() || what.trimmed().isEmpty())
                continue;
            ++measured;
            EXPECT_GE(testsupport::captionContrast(c, text), platform::kLegibleContrast) << what.toStdString();
        }
    }
    EXPECT_GT(measured, 30);
}
