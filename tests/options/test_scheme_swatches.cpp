// The colours page of the options dialog shows each colour of the scheme as
// the windows paint it, read from the pixels of both.
#include "OptionsFixture.h"
#include "platform/controls/ToolBarComp.h"
#include "platform/controls/WashControls.h"
#include "shared/DialogColors.h"
#include "shell/SetOptn1.h"
#include "shell/Settings.h"

#include <QAbstractItemView>
#include <QAction>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>

namespace {

// The colour a box of the colours page shows, in its middle.
QColor swatch(const SetOptn1* d, int index)
{
    ColorBox* box = d->Text3[index];
    return pixelOf(box, box->width() / 2, box->height() / 2);
}

// Washes are sampled on their first and last rows inside the edge; the gradient
// has moved on by a fraction of a step there.
bool near(const QColor& a, const QColor& b)
{
    return std::abs(a.red() - b.red()) <= 3 && std::abs(a.green() - b.green()) <= 3 &&
           std::abs(a.blue() - b.blue()) <= 3;
}

std::string text(const QColor& c) { return c.name().toStdString(); }

// Compares the boxes of the open dialog with what the main window and the
// dialog itself paint in the default scheme.
void compareWithThePaintedWindows(SetOptn1* d, Lumivex1* main)
{
    d->TabStrip1->setCurrentIndex(2); // the Search page, for its entry fields
    QCoreApplication::processEvents();
    QLineEdit* entry = d->Text4[2];
    const QColor entryBack = pixelOf(entry, entry->width() - 4, entry->height() / 2);
    d->TabStrip1->setCurrentIndex(0);
    QCoreApplication::processEvents();

    // The file list of the browser panel, in the view it shows.
    QWidget* files = main->findChild<QWidget*>(QStringLiteral("PTxShList1"));
    ASSERT_NE(files, nullptr);
    QAbstractItemView* list = nullptr;
    for (QAbstractItemView* v : files->findChildren<QAbstractItemView*>())
        if (v->isVisible())
            list = v;
    ASSERT_NE(list, nullptr);
    QWidget* view = list->viewport();
    const QColor listBack = pixelOf(view, view->width() - 3, view->height() - 3);
    EXPECT_EQ(text(swatch(d, 4)), text(listBack)) << "List Boxes background";
    EXPECT_EQ(text(swatch(d, 14)), text(list->palette().color(QPalette::Text))) << "List Boxes text";

    // The selection window's colour is the panel the page stands on.
    EXPECT_EQ(text(swatch(d, 3)), text(pixelOf(d->TabPanel1, d->TabPanel1->width() / 4, 2))) << "Selection Window";
    EXPECT_EQ(text(swatch(d, 8)), text(entryBack)) << "Entry Fields";

    // Buttons wash from their background at the top to their gradient end at the bottom.
    for (QWidget* button : {static_cast<QWidget*>(d->OKBtn), main->findChild<QWidget*>(QStringLiteral("VidPlayBtn"))}) {
        ASSERT_NE(button, nullptr);
        const QColor top = pixelOf(button, button->width() / 2, 1);
        const QColor bottom = pixelOf(button, button->width() / 2, button->height() - 2);
        EXPECT_TRUE(near(swatch(d, 9), top)) << text(swatch(d, 9)) << " " << text(top);
        EXPECT_TRUE(near(swatch(d, 23), bottom)) << text(swatch(d, 23)) << " " << text(bottom);
    }
    // The main window's panels wash from the main windows' colour.
    QWidget* frame = main->findChild<QWidget*>(QStringLiteral("Frame1"));
    ASSERT_NE(frame, nullptr);
    const QColor frameTop = pixelOf(frame, frame->width() / 2, 2);
    EXPECT_TRUE(near(swatch(d, 0), frameTop)) << text(swatch(d, 0)) << " " << text(frameTop);
}

} // namespace

TEST_F(MainWindowTest, TheColoursPageShowsTheDefaultSchemeAsTheWindowsPaintIt)
{
    startMain(); // no settings files: the default scheme
    ASSERT_EQ(gs.nListBackColor, 0x80000017u) << "the default list background is system colour 23";
    main->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(main.get()));

    // "Set Colors for Lumivex" opens the colours page; the toolbar's "Options" opens
    // the options page, and the user turns to the colours.
    for (const char* id : {"ID_mnuSetColorsforOrbanth", "ID_SetClrBtn"}) {
        bool compared = false;
        QTimer::singleShot(0, [&]() {
            SetOptn1* d = SetOptn1::current();
            ASSERT_NE(d, nullptr);
            EXPECT_TRUE(QTest::qWaitForWindowExposed(d));
            compareWithThePaintedWindows(d, main.get());
            compared = true;
            d->CancelBtn->click();
        });
        platform::Tool* tool = main->ToolBarComp1->Item(QString::fromLatin1(id));
        ASSERT_NE(tool, nullptr);
        tool->action()->trigger();
        EXPECT_TRUE(compared) << id;
        EXPECT_FALSE(gs.fSetOptnOpen) << id;
    }
}

TEST(SchemeColours, TheInfoTextColourIsPaintedLightAsAnyBackgroundAndDarkAsText)
{
    // System colour 23 as the background of an entry field, a button and a
    // panel of a dialog, and of a control of the main window, is painted as
    // the lists paint it; as text it stays the info text colour.
    const platform::OleColor infoText = 0x80000017;
    const QColor light = QApplication::palette().color(QPalette::ToolTipBase);
    const QColor dark = QApplication::palette().color(QPalette::ToolTipText);
    settings::setDefaultColors(gs);
    gs.nEntryBackColor = infoText;
    gs.nButtonBackColor = gs.nButtonWashEnd = infoText;
    gs.nSelectBackColor = gs.nSelectWashEnd = infoText;
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* entry = new QLineEdit;
    auto* button = new QPushButton("OK");
    layout->addWidget(entry);
    layout->addWidget(button);
    window.resize(200, 120);
    dialogcolors::applyDialogColors(&window);
    window.ensurePolished();
    const QImage shot = window.grab().toImage();
    const auto at = [&](QWidget* w, int x, int y) { return shot.pixelColor(w->mapTo(&window, QPoint(x, y))); };
    EXPECT_EQ(text(at(entry, entry->width() - 4, entry->height() / 2)), text(light)) << "entry field";
    EXPECT_EQ(text(at(button, 4, button->height() / 2)), text(light)) << "button";
    EXPECT_EQ(text(shot.pixelColor(2, 2)), text(light)) << "window";

    platform::WashPanel panel;
    panel.resize(40, 40);
    platform::setWashColors(&panel, infoText, infoText);
    EXPECT_EQ(text(panel.grab().toImage().pixelColor(20, 20)), text(light)) << "washed panel";

    // The colour boxes show the same, and as text the dark colour.
    ColorBox back(platform::ColorRole::Background), fore(platform::ColorRole::Text);
    back.setColor(infoText);
    fore.setColor(infoText);
    EXPECT_EQ(text(pixelOf(&back, back.width() / 2, back.height() / 2)), text(light));
    EXPECT_EQ(text(pixelOf(&fore, fore.width() / 2, fore.height() / 2)), text(dark));
    settings::setDefaultColors(gs);
}
