// The address combo and a file's properties.
#include "ShellTestWindow.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

using namespace shelltest;
using AddressBar = ShellTest;

namespace {
platform::Tool* addressCombo(TestWindow& w) { return w.ToolBarComp1->Item("ID_IntURLEnter"); }
QStringList visited(TestWindow& w)
{
    QStringList out;
    QComboBox* c = addressCombo(w)->ComboBox();
    for (int i = 0; i < c->count(); ++i)
        out << c->itemText(i);
    return out;
}
} // namespace

TEST_F(AddressBar, OpenTheTypedAddress)
{
    w.fakeBrowser(2);

    // A media address is played and joins the visited list once; no navigation.
    addressCombo(w)->setComboText("  http://media.example/song.mp3 ");
    bool hourglassDuring = false;
    w.onCall = [&](const QString&) { hourglassDuring = w.hourglass(); };
    w.click("ID_IntGo");
    EXPECT_EQ(gs.cCurrentURL, "http://media.example/song.mp3");
    EXPECT_EQ(w.calls, QStringList{"LoadMediaFile http://media.example/song.mp3"});
    EXPECT_TRUE(hourglassDuring);
    EXPECT_TRUE(w.pointerIsDefault());
    EXPECT_TRUE(w.browserLog.isEmpty());
    w.click("ID_IntGo");
    EXPECT_EQ(visited(w), QStringList{"http://media.example/song.mp3"});

    // A page address is navigated to; the browser reports it to the visited list later.
    w.calls.clear();
    addressCombo(w)->setComboText("http://www.example.com/index.HTM");
    w.ToolBarComp1_ToolClick(addressCombo(w));
    EXPECT_EQ(w.browserLog, QStringList{"WebBrowser2 Navigate2 http://www.example.com/index.HTM"});
    EXPECT_TRUE(w.calls.isEmpty());
    EXPECT_EQ(visited(w).size(), 1);

    // Blanks do nothing.
    w.browserLog.clear();
    gs.cCurrentURL = "kept";
    addressCombo(w)->setComboText("   ");
    w.click("ID_IntGo");
    w.ToolBarComp1_ComboSelChange(addressCombo(w));
    w.ToolBarComp1_ToolKeyDown(addressCombo(w), 13, 0);
    EXPECT_TRUE(w.browserLog.isEmpty());
    EXPECT_TRUE(w.calls.isEmpty());
    EXPECT_EQ(gs.cCurrentURL, "kept");
}

TEST_F(AddressBar, EnterAndChoiceNavigateOnce)
{
    w.fakeBrowser(2);
    w.TabStrip1->setCurrentIndex(5);
    w.click("ID_IntVisited");
    w.show();
    w.browserLog.clear();
    QComboBox* combo = addressCombo(w)->ComboBox();

    // Enter goes to the address as it stands, a media address included, once.
    addressCombo(w)->setComboText(" http://media.example/movie.avi");
    QTest::keyClick(combo->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(w.browserLog, QStringList{"WebBrowser2 Navigate2 http://media.example/movie.avi"});
    EXPECT_EQ(gs.cCurrentURL, "http://media.example/movie.avi");
    EXPECT_FALSE(w.calls.join(' ').contains("LoadMediaFile")) << "Enter does not play";

    // Enter in another tool does nothing.
    w.browserLog.clear();
    w.ToolBarComp1_ToolKeyDown(w.ToolBarComp1->Item("ID_IntGo"), 13, 0);
    EXPECT_TRUE(w.browserLog.isEmpty());

    // Choosing a visited address goes there.
    w.AddVisitedURL("http://b.example/");
    w.AddVisitedURL("http://b.example/");
    EXPECT_EQ(combo->count(), 1);
    combo->setCurrentIndex(0);
    emit combo->activated(0);
    EXPECT_EQ(w.browserLog, QStringList{"WebBrowser2 Navigate2 http://b.example/"});
    w.hide();
}

TEST_F(AddressBar, FileProperties)
{
    const QString empty = s.folder.file("empty file.txt");
    testsupport::writeFile(empty, "");
    w.ShowFileProperties(empty);
    ASSERT_EQ(s.dialogs->messages.size(), 1);
    const auto& m = s.dialogs->messages[0];
    EXPECT_EQ(m.title, "Brevanto Lumivex 3.0");
    EXPECT_EQ(m.buttons, platform::Buttons::Ok);
    const QRegularExpression shape(QRegularExpression::anchoredPattern(
        QRegularExpression::escape("File: " + empty + "\n\nSize:  0 Bytes \nDate Created: ") +
        "[^\\n]+\\nDate Last Accessed: [^\\n]+\\nDate Last Modified: ([^\\n]+)\\n"));
    const auto match = shape.match(m.text);
    ASSERT_TRUE(match.hasMatch()) << m.text.toStdString();
    const QDateTime modified = QFileInfo(empty).lastModified();
    EXPECT_TRUE(match.captured(1).contains(QLocale::system().toString(modified.date(), QLocale::ShortFormat)));
    EXPECT_TRUE(match.captured(1).contains(modified.toString("mm")));

    // A missing file, or a folder, shows nothing.
    s.dialogs->messages.clear();
    w.ShowFileProperties(s.folder.file("gone.txt"));
    w.ShowFileProperties(s.folder.path());
    w.ShowFileProperties(QString());
    EXPECT_TRUE(s.dialogs->messages.isEmpty());
}
