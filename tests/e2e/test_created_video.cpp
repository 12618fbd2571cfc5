// A video Create Video made of five large photos plays in the program to its
// end: started with the video, the program shows each photo's colour in turn
// in its video area, the last one included, and no message.
#include "E2eSupport.h"

#include "video/AviWriter.h"

#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>

using namespace e2e;

namespace {

// Colours no part of the window is painted in, one a photo.
constexpr QRgb kPhotoColours[5] = {qRgb(230, 30, 40), qRgb(30, 200, 60), qRgb(40, 60, 220), qRgb(240, 200, 20),
                                   qRgb(200, 40, 200)};

} // namespace

TEST(CreatedVideo, FivePhotosOf3000x2000PlayToTheEnd)
{
    const QString display = sharedDisplay();
    XDisplay x(display);
    ASSERT_TRUE(x.ok()) << "no X server";
    QTemporaryDir files;
    QStringList photos;
    for (int i = 0; i < 5; ++i) {
        QImage photo(3000, 2000, QImage::Format_RGB32);
        photo.fill(kPhotoColours[i]);
        photos << files.filePath(QStringLiteral("photo%1.jpg").arg(i + 1));
        ASSERT_TRUE(photo.save(photos.last(), nullptr, 90));
    }
    // What Create Video's Save runs for an AVI name, a second a picture.
    const QString movie = files.filePath(QStringLiteral("photos.avi"));
    const video::VideoResult made = video::writeVideoFile({photos, 15, movie});
    ASSERT_EQ(made.outcome, video::VideoResult::Written) << qPrintable(made.error);
    ASSERT_EQ(QSize(made.width, made.height), QSize(3000, 2000));

    ProgramFolder folder([](Options& o) { o.fTipsAtStartup = false; });
    ASSERT_TRUE(folder.ok());
    Program program(folder, display, {movie});
    ASSERT_TRUE(program.started());
    const std::optional<XWindow> main = program.waitForWindow(x, kMainTitle, 60000);
    ASSERT_TRUE(main) << qPrintable(program.describeEnd());

    // Each photo shows for a second: the window is looked at far more often.
    QList<int> order; // the photos in the order they were first seen
    int most[5] = {};  // the most pixels of each colour seen at once
    QImage shot;
    bool message = false;
    waitUntil(
        [&] {
            shot = x.grab(main->id);
            for (int i = 0; i < 5; ++i) {
                int count = 0;
                areaOf(shot, kPhotoColours[i], &count, 24);
                most[i] = std::max(most[i], count);
                if (count > 20000 && !order.contains(i))
                    order << i;
            }
            message = !x.messageBoxes(program.pid()).isEmpty();
            return order.size() == 5 || message || !program.running();
        },
        60000, 50);
    EXPECT_FALSE(message) << "a message box instead of the video; " << qPrintable(keepShot(shot, "created-video"));
    EXPECT_EQ(order, QList<int>({0, 1, 2, 3, 4})) << "every photo shown, in turn, the last one too; pixels of each: "
                                                  << most[0] << " " << most[1] << " " << most[2] << " " << most[3]
                                                  << " " << most[4] << "; "
                                                  << qPrintable(program.describeEnd()) << "; "
                                                  << qPrintable(keepShot(shot, "created-video"));
    x.closeWindow(main->id);
    EXPECT_TRUE(program.waitForExit(60000));
    EXPECT_FALSE(program.crashed()) << qPrintable(program.describeEnd());
}
