// The clip save through the real save dialog: over an existing file only the
// program's own question is asked.
#include "Fakes.h"
#include "MediaFixtures.h"
#include "RealFileDialog.h"

#include "platform/media/MediaConverter.h"
#include "shared/SharedState.h"

#include <QTest>
#include <gtest/gtest.h>

TEST(ClipDialog, AClipSavedOverAnExistingFileIsAskedAboutOnce)
{
    fakes::Window f;
    testsupport::RealFileDialogs dialogs;
    f.w->resize(1000, 750);
    f.w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(f.w.get()));
    const QString wav = f.file("tone.wav");
    ASSERT_TRUE(fixtures::makeTone(wav, 2.0));
    f.w->DisplayFile(wav);
    ASSERT_EQ(gs.cPlayerMode, "1");
    const QString old = f.file("old.wav");
    testsupport::writeFile(old, "OLD");

    dialogs.answers = {platform::Answer::No};
    testsupport::FileDialogDriver driver(old);
    f.w->ToolBarComp1->Item("ID_VideoSave")->action()->trigger();
    ASSERT_TRUE(driver.typed) << "the save dialog came up";
    EXPECT_EQ(driver.ownQuestions, QStringList{}) << "the dialog asks nothing of its own";
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages[0].text, "Do you want to Replace - " + old + " ? ");
    EXPECT_EQ(f.w->MediaConvert1->State(), platform::MediaConverter::StateStopped);
    EXPECT_EQ(testsupport::readFile(old), "OLD");
}
