#include "SaneConfig.h"

#include "platform/devices/SaneSource.h"

#include "platform/pictures/ImagingCodes.h"

#include <QCoreApplication>
#include <QImage>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>

using namespace platform;

namespace {

// Serves the events until the condition holds.
void runEventsUntil(const std::function<bool()>& done)
{
    while (!done())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

} // namespace

TEST(Acquisition, SamplesBecomePictures)
{
    // 1-bit: a set bit is black.
    const QImage bits = sane::imageFromSamples(QByteArray("\xF0\x0F", 2), 0, 1, 8, 1, 2);
    ASSERT_EQ(bits.size(), QSize(8, 2));
    EXPECT_EQ(qGray(bits.pixel(0, 0)), 0);
    EXPECT_EQ(qGray(bits.pixel(7, 0)), 255);
    EXPECT_EQ(qGray(bits.pixel(7, 1)), 0);
    // 16-bit colour in native byte order.
    QByteArray rgb16(12, '\0');
    const quint16 v[6] = {0xFFFF, 0, 0x8000, 0, 0, 0xFFFF};
    std::memcpy(rgb16.data(), v, 12);
    const QImage colour = sane::imageFromSamples(rgb16, 1, 16, 2, 12, 1);
    ASSERT_EQ(colour.size(), QSize(2, 1));
    EXPECT_EQ(QColor(colour.pixel(0, 0)), QColor(255, 0, 128));
    EXPECT_EQ(QColor(colour.pixel(1, 0)), QColor(0, 0, 255));
    // Too few bytes for the lines announced: nothing.
    EXPECT_TRUE(sane::imageFromSamples(QByteArray(5, '\0'), 0, 8, 4, 4, 2).isNull());
}

TEST(Acquisition, AScanEndsWhenItsDriverCancelsItsReaderAsSanesThreadedDriversDo)
{
    // The driver's reader is cancelled while it holds a lock its own end
    // takes again, as a reader of SANE's threaded drivers can be, inside
    // free(), and the read that finds the end of the picture never returns:
    // the scan ends all the same, with the picture, and its child is ended.
    testsupport::SaneConfig config("lumivexfake\n");
    testsupport::useFakeScanner("reader");
    sane::Scan scan({});
    runEventsUntil([&] { return scan.ended(); });
    ASSERT_EQ(scan.result(), 0);
    EXPECT_EQ(scan.image().size(), QSize(4, 3));
    EXPECT_EQ(qGray(scan.image().pixel(3, 2)), 0x40);
    EXPECT_EQ(scan.source(), "Lumivex Test Scanner");
    runEventsUntil([] { return !sane::busy(); });
}

TEST(Acquisition, ADriverThatCrashesEndsTheScanWithTheProgramsFailure)
{
    testsupport::SaneConfig config("lumivexfake\n");
    testsupport::useFakeScanner("crash");
    sane::Device fake;
    fake.name = QStringLiteral("lumivexfake:scanner");
    {
        sane::Scan scan(fake);
        runEventsUntil([&] { return scan.ended(); });
        EXPECT_EQ(scan.result(), err::TwainFailure);
        EXPECT_TRUE(scan.image().isNull());
        EXPECT_FALSE(sane::busy());
    }
    // The program goes on, and so does SANE.
    testsupport::useFakeScanner("");
    sane::Scan again(fake);
    runEventsUntil([&] { return again.ended(); });
    EXPECT_EQ(again.result(), 0);
    EXPECT_EQ(again.image().size(), QSize(4, 3));
}
