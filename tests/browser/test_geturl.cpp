// "Select Multimedia from the Internet": the list of web addresses in
// PictList.INI, driven through the window's own controls.
#include "ScriptedDialogs.h"
#include "TestSupport.h"
#include "browser/GetURL1.h"
#include "platform/controls/Dialogs.h"
#include "shared/SharedState.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>
#include <sys/stat.h>

using testsupport::readFile;
using testsupport::writeFile;

namespace {

ino_t inodeOf(const QString& path)
{
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_ino : 0;
}

struct GetURLTest : ::testing::Test {
    testsupport::InProcessFocus focus;
    QTemporaryDir dir;
    platform::ScopedDialogs dialogs;
    QStringList shown;
    QPointer<GetURL1> w;

    QString listFile() const { return dir.filePath("PictList.INI"); }
    void open()
    {
        w = GetURL1::open(dir.path(), [this](const QString& a) { shown << a; });
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
        // Enter acts where the focus is: the window must be the active one.
        ASSERT_TRUE(focus.activate(w));
        ASSERT_EQ(QApplication::focusWidget(), w->Text1) << "the address box is first in turn";
    }
    void TearDown() override
    {
        if (w)
            w->close();
        EXPECT_TRUE(closed());
    }
    QStringList entries() const
    {
        QStringList out;
        for (int i = 0; i < w->List1->count(); ++i)
            out << w->List1->item(i)->text();
        return out;
    }
    void type(const QString& address)
    {
        w->Text1->clear();
        QTest::keyClicks(w->Text1, address);
    }
    void press(QPushButton* b) { QTest::mouseClick(b, Qt::LeftButton); }
    bool closed() { return QTest::qWaitFor([this] { return w.isNull(); }, 2000); }
};

} // namespace

TEST_F(GetURLTest, OpensWithTheFirstAddressAndAddsANewOne)
{
    writeFile(listFile(), "http://a.example/one.jpg\r\nhttp://b.example/two, three.mp3\r\n");
    const ino_t before = inodeOf(listFile());
    open();
    EXPECT_TRUE(gs.fGetURLOpen);
    EXPECT_EQ(entries(), (QStringList{"http://a.example/one.jpg", "http://b.example/two, three.mp3"}));
    EXPECT_EQ(w->List1->currentRow(), 0);
    EXPECT_EQ(w->Text1->text(), "http://a.example/one.jpg");
    EXPECT_EQ(GetURL1::open(dir.path(), {}), w.data()) << "one window at a time";

    // Up on the first and Down on the last change nothing.
    press(w->UpBtn);
    EXPECT_EQ(entries()[0], "http://a.example/one.jpg");
    press(w->DownBtn);
    EXPECT_EQ(entries()[1], "http://a.example/one.jpg");
    EXPECT_EQ(w->List1->currentRow(), 1);
    press(w->DownBtn);
    EXPECT_EQ(entries()[1], "http://a.example/one.jpg");
    EXPECT_EQ(w->List1->currentRow(), 1);

    type("http://c.example/new.png");
    press(w->OpenBtn);
    EXPECT_EQ(shown, QStringList{"http://c.example/new.png"});
    EXPECT_EQ(gs.cCurrentFile, "http://c.example/new.png");
    EXPECT_TRUE(gs.fInternetLoading);
    gs.fInternetLoading = false;
    EXPECT_TRUE(closed());
    EXPECT_FALSE(gs.fGetURLOpen);
    EXPECT_EQ(readFile(listFile()),
              "http://b.example/two, three.mp3\r\nhttp://a.example/one.jpg\r\nhttp://c.example/new.png\r\n");
    EXPECT_NE(inodeOf(listFile()), before) << "written whole to a new file";
}

TEST_F(GetURLTest, KnownAddressesAndTheEnterKey)
{
    writeFile(listFile(), "X\r\n");
    open();
    type(" X ");
    QTest::keyClick(w->Text1, Qt::Key_Return); // Enter in the address box opens, once
    EXPECT_EQ(shown, QStringList{" X "}) << "the address as typed";
    EXPECT_TRUE(closed());
    EXPECT_EQ(readFile(listFile()), "X\r\n") << "listed already, blanks aside";

    open();
    type("x");
    w->List1->setFocus();
    QTest::keyClick(w->List1, Qt::Key_Return);
    w->OpenBtn->setFocus();
    QTest::keyClick(w->OpenBtn, Qt::Key_Return);
    EXPECT_EQ(shown.size(), 1) << "neither the list's other entry nor a button holds the address";
    press(w->OpenBtn);
    EXPECT_TRUE(closed());
    EXPECT_EQ(readFile(listFile()), "X\r\nx\r\n") << "letter case counts";

    // In the list, on the entry shown.
    open();
    w->List1->setFocus();
    w->List1->setCurrentRow(1);
    QTest::keyClick(w->List1, Qt::Key_Return);
    EXPECT_EQ(shown.last(), "x");
    EXPECT_TRUE(closed());
    gs.fInternetLoading = false;
}

TEST_F(GetURLTest, DeletingAndAMissingFile)
{
    open();
    EXPECT_EQ(w->List1->count(), 0) << "no file: an empty list, no message";
    EXPECT_TRUE(dialogs->messages.isEmpty());
    QTest::keyClick(w, Qt::Key_Escape);
    EXPECT_TRUE(closed());
    EXPECT_EQ(readFile(listFile()), "") << "made at the unload";

    writeFile(listFile(), "one\r\ntwo\r\nthree\r\n");
    open();
    w->List1->setCurrentRow(2);
    press(w->DeleteBtn);
    EXPECT_EQ(entries(), (QStringList{"one", "two"}));
    EXPECT_EQ(w->List1->currentRow(), 1);
    w->List1->setCurrentRow(0);
    press(w->DeleteBtn);
    EXPECT_EQ(entries(), QStringList{"two"});
    EXPECT_EQ(w->List1->currentRow(), -1) << "deleting the first leaves nothing selected";
    press(w->DeleteBtn);
    EXPECT_EQ(entries(), QStringList{"two"});
    w->close(); // the window's own close box
    EXPECT_TRUE(closed());
    EXPECT_EQ(readFile(listFile()), "two\r\n");
}
