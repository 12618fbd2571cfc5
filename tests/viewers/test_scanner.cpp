// Acquisition from a scanner whose driver holds its calls as long as the test
// likes: SANE's work runs in a child of the program, and the window answers
// whatever the driver does.
#include "SaneConfig.h"
#include "ViewerFixture.h"

#include "platform/devices/SaneSource.h"

#include <QDialog>
#include <QPushButton>
#include <QTabBar>
#include <QTest>

#include <unistd.h>

using viewertest::turnTheEventLoop;
using viewertest::Viewer;
using testsupport::SaneConfig;

namespace {

// A descriptor the fake driver waits on (its gate words): it goes on once
// the test opens the gate, and never if the test does not.
class Gate {
public:
    Gate() { m_ok = ::pipe(m_fds) == 0; }
    ~Gate()
    {
        if (m_ok) {
            ::close(m_fds[0]);
            ::close(m_fds[1]);
        }
    }
    Gate(const Gate&) = delete;
    Gate& operator=(const Gate&) = delete;
    bool ok() const { return m_ok; }
    QByteArray word(const char* name) const { return QByteArray(name) + '=' + QByteArray::number(m_fds[0]); }
    void open() { ASSERT_EQ(::write(m_fds[1], "x", 1), 1); }

private:
    int m_fds[2] = {-1, -1};
    bool m_ok = false;
};

// Serves the window's events until the condition holds (the driver's
// report is a file: it is looked at between the turns).
void runEventsUntil(const std::function<bool()>& done)
{
    while (!done())
        QTest::qWait(10);
}

class Scanner : public Viewer {
protected:
    void SetUp() override
    {
        Viewer::SetUp();
        report = file(QStringLiteral("driver-calls.txt"));
    }

    // The calls the driver was in, in order ("devices", "open scanner", "read", ...).
    QStringList calls() const
    {
        QStringList lines = QString::fromUtf8(testsupport::readFile(report)).split(QLatin1Char('\n'));
        lines.removeAll(QString());
        return lines;
    }
    // The calls of the last scan, from its opening of the device.
    QStringList scanCalls() const
    {
        const QStringList all = calls();
        const qsizetype opened = all.lastIndexOf(QStringLiteral("open scanner"));
        return opened < 0 ? QStringList{} : all.mid(opened);
    }
    void waitForCall(const QString& call)
    {
        runEventsUntil([&] { return calls().contains(call); });
    }
    void useDriver(const QByteArray& words) { testsupport::useFakeScanner(words + " report=" + report.toLocal8Bit()); }

    void clickTab(int index)
    {
        QTabBar* tabs = w->TabStrip1->tabBar();
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(index).center());
    }
    void acquire() { w->ToolBarComp1->Item(QStringLiteral("ID_mnuTwainAcquirePicture"))->action()->trigger(); }
    // With a picture on show, a scan whose acquisition window the user
    // cancels once the driver is inside its read: the window answers while
    // the read waits, the program says the scan was cancelled, and the
    // picture stays.
    void cancelDuringTheRead(const QByteArray& driverWords)
    {
        useDriver(driverWords);
        w->DisplayFile(picture(QStringLiteral("shown.jpg"), 40, 30));
        ASSERT_EQ(w->Image1->BitmapWidth(), 40);
        dialogs->service.messages.clear();
        QString shownWhileScanning;
        testsupport::whenModal<QDialog>([&](QDialog* acquiring) {
            shownWhileScanning = acquiring->objectName();
            waitForCall(QStringLiteral("read"));
            turnTheEventLoop(w.get());
            QTest::mouseClick(acquiring->findChild<QPushButton*>(QStringLiteral("CancelBtn")), Qt::LeftButton);
        });
        acquire();
        EXPECT_EQ(shownWhileScanning, "AcquireDlg");
        ASSERT_EQ(dialogs->service.messages.size(), 1);
        EXPECT_EQ(dialogs->service.messages.first().title, "File Information Error");
        EXPECT_EQ(dialogs->service.messages.first().text, "Error '20090, Twain operation was cancelled' was generated.");
        EXPECT_FALSE(w->fTwainPicture);
        EXPECT_EQ(w->Image1->BitmapWidth(), 40) << "the picture before stays";
    }
    // A scan from the driver that works at once.
    void expectTheNextScanToGoAhead()
    {
        useDriver("");
        dialogs->service.messages.clear();
        acquire();
        EXPECT_EQ(texts(), QStringList{});
        EXPECT_TRUE(w->fTwainPicture);
        EXPECT_EQ(w->Image1->BitmapWidth(), 4);
        EXPECT_EQ(w->windowTitle(), "Lumivex Test Scanner");
    }

    SaneConfig config{"lumivexfake\n"};
    QString report;
};

} // namespace

TEST_F(Scanner, SelectingASourceListsTheDevicesWhileTheWindowAnswers)
{
    Gate listing;
    ASSERT_TRUE(listing.ok());
    useDriver(listing.word("listgate"));

    // While the driver holds the listing, the window's events run with the
    // hourglass up, a click on the Music tab switches to it, and a scan
    // asked for meanwhile is told the device is busy.
    bool held = false;
    QTimer::singleShot(0, w.get(), [&] {
        waitForCall(QStringLiteral("devices"));
        EXPECT_EQ(w->cursor().shape(), Qt::WaitCursor);
        turnTheEventLoop(w.get());
        clickTab(1);
        EXPECT_EQ(w->TabStrip1->currentIndex(), 1);
        acquire();
        EXPECT_EQ(texts(), QStringList{"Error '20083, Twain DS is connected to max possible apps' was generated."});
        held = true;
        listing.open();
    });
    w->ToolBarComp1->Item(QStringLiteral("ID_mnuTwainSelectSource"))->action()->trigger();
    EXPECT_TRUE(held);
    EXPECT_EQ(texts().size(), 1) << "the selection itself says nothing";
    EXPECT_EQ(w->cursor().shape(), Qt::ArrowCursor);

    // The scan opens the device chosen by its name, without another look
    // for devices.
    QFile::remove(report);
    expectTheNextScanToGoAhead();
    EXPECT_EQ(calls().value(0), "open scanner");
    EXPECT_FALSE(calls().contains("devices"));
}

TEST_F(Scanner, CancelInTheAcquisitionWindowCancelsTheScanInItsDriver)
{
    Gate read; // never opened: only the cancel lets the read go
    ASSERT_TRUE(read.ok());
    cancelDuringTheRead(read.word("gate"));

    // The driver's read returned once it was cancelled, and the scan's
    // child ended by itself; the next scan goes ahead.
    runEventsUntil([] { return !platform::sane::busy(); });
    EXPECT_EQ(scanCalls(), QStringList({"open scanner", "read", "cancel", "read cancelled", "cancel"}));
    expectTheNextScanToGoAhead();
}

TEST_F(Scanner, ADriverThatReturnsNeitherFromItsReadNorFromItsCancelIsEndedWithItsChild)
{
    Gate read, cancel; // never opened
    ASSERT_TRUE(read.ok() && cancel.ok());
    cancelDuringTheRead(read.word("gate") + ' ' + cancel.word("cancelgate"));

    // The driver is inside sane_cancel for good: the window's events run,
    // and a click on the Music tab switches to it.
    waitForCall(QStringLiteral("cancel"));
    turnTheEventLoop(w.get());
    clickTab(1);
    EXPECT_EQ(w->TabStrip1->currentIndex(), 1);

    // The scan's child is ended, and the next scan goes ahead.
    runEventsUntil([] { return !platform::sane::busy(); });
    EXPECT_EQ(scanCalls(), QStringList({"open scanner", "read", "cancel"}));
    expectTheNextScanToGoAhead();
}
