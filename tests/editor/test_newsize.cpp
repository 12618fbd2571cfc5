#include "editor/NewSize1.h"
#include "platform/imaging/Lead.h"
#include "TestSupport.h"
#include "platform/controls/OleColor.h"
#include "shared/SharedState.h"
#include "shell/Settings.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>

namespace {

struct Results {
    bool ok = true, resample = true;
    short width = -1, height = -1;
};

Results results(const NewSize1& d)
{
    Results r;
    d.GetResults(r.ok, r.width, r.height, r.resample);
    return r;
}

class NewSize : public ::testing::Test {
protected:
    platform::Lead picture;
    // The dialog on a gray picture of the size (none for 0 x 0).
    std::unique_ptr<NewSize1> open(int w, int h, short mode = 0)
    {
        if (w && h) {
            QImage img(w, h, QImage::Format_RGB32);
            img.fill(Qt::gray);
            picture.setBitmap(img);
        }
        auto d = std::make_unique<NewSize1>(nullptr, &picture);
        d->InitTheForm(mode);
        return d;
    }
};

} // namespace

TEST_F(NewSize, StartValuesAndTheLimitsOfTheBars)
{
    auto d = open(1600, 1200);
    EXPECT_EQ(d->SCWeight1->maximum(), 16384);
    EXPECT_EQ(d->SCWeight1->value(), 1600);
    EXPECT_EQ(d->SCHeight1->maximum(), 12288);
    EXPECT_EQ(d->TxtHeight1->text(), "1200");
    EXPECT_FALSE(results(*d).ok);

    // A side past the 16-bit limit: the bar's maximum is cut to it, and a
    // proportion beyond it stops there.
    auto tall = open(100, 5000);
    EXPECT_EQ(tall->SCHeight1->maximum(), 32767);
    EXPECT_EQ(tall->SCHeight1->value(), 5000);
    tall->SCWeight1->setValue(16000);
    EXPECT_EQ(tall->SCHeight1->value(), 32767);
    // Wider than the bar allows: the start value is held at the limit.
    auto wide = open(20000, 100);
    EXPECT_EQ(wide->SCWeight1->value(), 16384);
    EXPECT_EQ(wide->SCHeight1->value(), 81) << "the height's maximum from the proportion";
}

TEST_F(NewSize, BarsAndBoxesKeepTheProportion)
{
    auto d = open(1600, 1200);
    d->SCWeight1->setValue(800);
    EXPECT_EQ(d->TxtWidth1->text(), "800");
    EXPECT_EQ(d->SCHeight1->value(), 600);
    EXPECT_EQ(d->TxtHeight1->text(), "600");
    d->TxtHeight1->setText(QStringLiteral("300"));
    EXPECT_EQ(d->SCHeight1->value(), 300);
    EXPECT_EQ(d->SCWeight1->value(), 400);
    EXPECT_EQ(d->TxtHeight1->text(), "300") << "the bar does not write back into the box being typed";

    // Without the aspect box each side moves alone.
    d->CHKASPECT->setChecked(false);
    d->SCWeight1->setValue(1000);
    EXPECT_EQ(d->SCHeight1->value(), 300);
    // Clicking the box sets the height from the width.
    QTest::mouseClick(d->CHKASPECT, Qt::LeftButton);
    EXPECT_EQ(d->SCHeight1->value(), 750);

    // Rounding never makes the two sides creep: 1000 x 333, width 500.
    auto odd = open(1000, 333);
    odd->SCWeight1->setValue(500);
    EXPECT_EQ(odd->SCWeight1->value(), 500);
    EXPECT_EQ(odd->SCHeight1->value(), 166);
    odd->TxtHeight1->setText(QStringLiteral("100"));
    EXPECT_EQ(odd->SCWeight1->value(), 300);
    EXPECT_EQ(odd->SCHeight1->value(), 100);

    // No picture: nothing to divide by, and nothing fails.
    platform::Lead empty;
    NewSize1 none(nullptr, &empty);
    none.InitTheForm(0);
    none.SCWeight1->setValue(50);
    none.TxtHeight1->setText(QStringLiteral("70"));
    QTest::mouseClick(none.CHKASPECT, Qt::LeftButton);
    EXPECT_EQ(none.SCWeight1->value(), 50);
    EXPECT_EQ(none.SCHeight1->value(), 70);
}

TEST_F(NewSize, OkNeedsValidValues)
{
    auto d = open(1600, 1200);
    d->show();
    for (const char* bad : {"20000", "", "12.5"}) { // above the bar's maximum, empty, not whole
        d->TxtWidth1->setText(QString::fromLatin1(bad));
        EXPECT_EQ(d->SCWeight1->value(), 1600) << bad;
        d->OKBtn_Click();
        EXPECT_FALSE(results(*d).ok) << bad;
        EXPECT_TRUE(d->isVisible());
    }
    d->TxtWidth1->setText(QStringLiteral("640"));
    QTest::mouseClick(d->CHKRESAMPLE, Qt::LeftButton);
    QTest::keyClick(d->TxtWidth1, Qt::Key_Return); // Enter anywhere is OK
    const Results r = results(*d);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(QSize(r.width, r.height), QSize(640, 480));
    EXPECT_TRUE(r.resample);
}

TEST_F(NewSize, IntensityRange)
{
    auto d = open(0, 0, 999);
    EXPECT_EQ(d->windowTitle(), "Intensity Detect");
    EXPECT_FALSE(d->CHKASPECT->isVisibleTo(d.get()));
    EXPECT_EQ(d->SCHeight1->maximum(), 255);
    EXPECT_EQ(d->SCHeight1->value(), 128);
    d->show();
    d->SCWeight1->setValue(20);
    d->TxtHeight1->setText(QStringLiteral("200"));
    d->OKBtn_Click();
    const Results r = results(*d);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(QSize(r.width, r.height), QSize(20, 200));
}

TEST_F(NewSize, TheCheckBoxesStandInTheWindowsColoursOverTheWash)
{
    settings::setDefaultColors(gs);
    gs.nLabelStyle = 0;
    auto d = open(1600, 1200);
    d->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(d.get()));
    const QColor text = platform::resolveColor(platform::ColorRole::Text, gs.nSelectForeColor);
    const QColor back = platform::resolveColor(platform::ColorRole::Background, gs.nSelectBackColor);
    for (QCheckBox* box : {d->CHKASPECT, d->CHKRESAMPLE}) {
        // "Resample" stands right of the middle, where the frame's wash runs out.
        EXPECT_GE(testsupport::captionContrast(box, text), platform::kLegibleContrast) << box->text().toStdString();
        EXPECT_EQ(box->grab().toImage().pixelColor(box->width() - 2, 1), back)
            << box->text().toStdString() << ": the window's background colour";
    }
    EXPECT_GT(d->CHKRESAMPLE->x(), d->width() / 2);
}
