// The main window in the colour scheme, and the washed controls that paint it.
#include "ShellTestWindow.h"
#include "platform/controls/WashControls.h"

#include <QApplication>
#include <QComboBox>
#include <QMenuBar>
#include <QToolBar>
#include <QCoreApplication>
#include "platform/controls/ImageList.h"
#include <QTreeView>
#include <gtest/gtest.h>

using namespace shelltest;
using platform::resolveOleColor;

namespace {

QColor role(const QWidget* w, QPalette::ColorRole r) { return w->palette().color(r); }

// Counts the paints and font changes a widget receives.
class ChangeCounter : public QObject {
public:
    int changes = 0;

protected:
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Paint || e->type() == QEvent::FontChange)
            ++changes;
        return false;
    }
};

template <class T> T* addControl(QWidget* parent, const char* name)
{
    auto* c = new T;
    c->setParent(parent);
    c->setObjectName(QString::fromLatin1(name));
    return c;
}

} // namespace

TEST(Colors, SchemeReachesTheControls)
{
    Shell s;
    TestWindow& w = s.w();
    auto* frame1 = addControl<platform::WashPanel>(w.TabPanel[1], "Frame1");
    auto* frame3 = qobject_cast<platform::WashPanel*>(w.Frame3); // the picture panel
    ASSERT_NE(frame3, nullptr);
    auto* list = addControl<QTreeView>(&w, "PTxShList1");
    auto* play = w.findChild<platform::WashButton*>("VidPlayBtn"); // the video player's own button
    ASSERT_NE(play, nullptr);

    gs.nMainBackColor = 255;
    gs.nMainWashEnd = 0x00FF00;
    gs.nListBackColor = 0x8000000F;
    gs.nListForeColor = 0x800000;
    gs.nPictureBackColor = 0x123456;
    gs.nMenuStyle = 1;
    gs.nMenuFontType = 3;
    gs.fBoldFonts = true;
    gs.fShellListFlag = true;
    w.SetWindowColors();

    // 0x00BBGGRR: a first value of 255 is red; a system colour is its palette role.
    EXPECT_EQ(role(&w, QPalette::Window), QColor(255, 0, 0));
    EXPECT_EQ(role(w.CMBFILTER, QPalette::Base), QApplication::palette().color(QPalette::Button));
    EXPECT_EQ(role(w.CMBFILTER, QPalette::Text), QColor(0, 0, 0x80));

    EXPECT_EQ(frame1->WashStart(), 255u);
    EXPECT_EQ(frame1->WashEnd(), 0x00FF00u);
    EXPECT_EQ(frame3->WashStart(), 0x123456u);
    EXPECT_EQ(play->WashEnd(), gs.nButtonWashEnd);

    // Bold type on the browser controls, the filter combo and the panels, not on the trees or buttons.
    for (QWidget* bold : {static_cast<QWidget*>(list), static_cast<QWidget*>(w.CMBFILTER)})
        EXPECT_TRUE(bold->font().bold()) << bold->objectName().toStdString();
    EXPECT_TRUE(frame1->CaptionBold());
    EXPECT_FALSE(w.TreeView1->font().bold());
    EXPECT_TRUE(list->property("ShowHidden").toBool());

    EXPECT_EQ(w.ToolBarComp1->Style(), 1);
    EXPECT_EQ(w.ToolBarComp1->TextEffect(7), 3);
}

TEST(Colors, WashedControlsPaint)
{
    // A panel washes from its start colour at the top to its end colour at the bottom.
    platform::WashPanel panel;
    panel.resize(40, 100);
    panel.setWash(0x0000FF, 0xFF0000);
    const QImage img = panel.grab().toImage();
    EXPECT_GT(img.pixelColor(20, 0).red(), 245);
    EXPECT_LT(img.pixelColor(20, 0).blue(), 10);
    EXPECT_GT(img.pixelColor(20, 99).blue(), 245);
    EXPECT_LT(img.pixelColor(20, 99).red(), 10);
}
