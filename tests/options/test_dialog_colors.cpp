#include "OptionsFixture.h"
#include "shared/DialogColors.h"
#include "shell/Settings.h"

#include <QCheckBox>
#include <QGraphicsDropShadowEffect>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

struct Window {
    QWidget window;
    QLabel* label;
    QLineEdit* entry;
    QListWidget* list;
    QPushButton* button;
    QCheckBox* check;
    QLineEdit* own;
    Window()
    {
        auto* l = new QVBoxLayout(&window);
        l->setContentsMargins(12, 12, 12, 12);
        l->addWidget(label = new QLabel("Label"));
        l->addWidget(entry = new QLineEdit);
        l->addWidget(list = new QListWidget);
        l->addWidget(button = new QPushButton("Button"));
        l->addWidget(check = new QCheckBox("Check"));
        l->addWidget(own = new QLineEdit);
        own->setProperty(dialogcolors::kOwnColorsProperty, true);
        own->setStyleSheet("QLineEdit { background: #123456; }");
        list->setFixedHeight(40);
        window.resize(240, 260);
    }
    QColor at(QWidget* w, QPoint p) { return pixelOf(&window, w->x() + p.x(), w->y() + p.y()); }
};

} // namespace

TEST(DialogColors, EachKindOfControlTakesItsSchemeColoursTypeAndEffect)
{
    settings::setDefaultColors(gs);
    gs.fBoldFonts = false;
    gs.nLabelStyle = 0;
    gs.nSelectBackColor = 0x0000FF; // red (0x00BBGGRR)
    gs.nSelectWashEnd = 0x0000FF;
    gs.nEntryBackColor = 0x00FF00;
    gs.nListBackColor = 0xFF0000;
    gs.nButtonBackColor = 0x00FFFF;
    gs.nButtonWashEnd = 0x00FFFF;
    Window t;
    dialogcolors::applyDialogColors(&t.window);
    EXPECT_EQ(pixelOf(&t.window, 2, 2), QColor(255, 0, 0)) << "window background";
    EXPECT_EQ(t.at(t.entry, {t.entry->width() - 6, t.entry->height() / 2}), QColor(0, 255, 0));
    EXPECT_EQ(t.at(t.list, {t.list->width() - 8, t.list->height() - 6}), QColor(0, 0, 255));
    EXPECT_EQ(t.at(t.button, {4, t.button->height() / 2}), QColor(255, 255, 0));
    EXPECT_EQ(t.at(t.label, {t.label->width() - 2, 2}), QColor(255, 0, 0)) << "labels show the wash behind them";
    EXPECT_EQ(t.at(t.own, {t.own->width() - 6, t.own->height() / 2}), QColor(0x12, 0x34, 0x56));

    // A system colour resolves through the palette; a new scheme shows at the next activation.
    gs.nSelectBackColor = 0x8000000F;
    gs.nSelectWashEnd = 0x8000000F;
    gs.nEntryBackColor = 0x80FF00; // a new explicit colour
    dialogcolors::applyDialogColors(&t.window);
    EXPECT_EQ(pixelOf(&t.window, 2, 2), QApplication::palette().color(QPalette::Button));
    EXPECT_EQ(t.at(t.entry, {t.entry->width() - 6, t.entry->height() / 2}), QColor(0, 0xFF, 0x80));

    // Bold type and the label's text effect follow the options.
    gs.fBoldFonts = true;
    gs.nLabelStyle = 2; // raised heavy
    dialogcolors::applyDialogColors(&t.window);
    for (QWidget* w : {static_cast<QWidget*>(t.label), static_cast<QWidget*>(t.entry)}) {
        w->ensurePolished();
        EXPECT_TRUE(w->font().bold()) << w->metaObject()->className();
    }
    auto* effect = qobject_cast<QGraphicsDropShadowEffect*>(t.label->graphicsEffect());
    ASSERT_NE(effect, nullptr);
    EXPECT_EQ(effect->offset(), QPointF(2, 2));
    EXPECT_EQ(t.entry->graphicsEffect(), nullptr) << "entry fields carry no text effect";

    gs.fBoldFonts = false;
    gs.nLabelStyle = 0;
    dialogcolors::applyDialogColors(&t.window);
    t.label->ensurePolished();
    EXPECT_FALSE(t.label->font().bold());
    EXPECT_EQ(t.label->graphicsEffect(), nullptr);
}
