// "Print Image" on a shown picture: the save question, the print window on
// that picture, one page printed, and the window closing with the main one.
#include "ViewerFixture.h"

#include "editor/PrntPict1.h"
#include "platform/imaging/PrintCanvas.h"
#include "platform/controls/ToolBarComp.h"
#include "window/ToolWindows.h"

#include <QAction>
#include <QFrame>
#include <QLineEdit>
#include <QPdfDocument>
#include <QPdfSelection>
#include <QPushButton>
#include <QTest>

using viewertest::Viewer;

namespace {

void clickTool(Lumivex1& w, const QString& id)
{
    platform::Tool* t = w.ToolBarComp1->Item(id);
    ASSERT_NE(t, nullptr);
    if (t->action()->isEnabled())
        t->action()->trigger();
    else
        w.ToolBarComp1_ToolClick(t);
}

PrntPict1* printWindow() { return qobject_cast<PrntPict1*>(toolwindows::existing(QStringLiteral("PrntPict1"))); }

} // namespace

TEST_F(Viewer, PrintImagePrintsTheShownPicture)
{
    const QString cat = picture(QStringLiteral("pics/cat.png"), 300, 200);
    w->DisplayFile(cat);
    ASSERT_EQ(gs.cCurrentFile, cat);

    // A changed picture is offered for saving first; No goes on to the window.
    w->fPictureChanged = true;
    dialogs->service.answers = {platform::Answer::No};
    clickTool(*w, QStringLiteral("ID_PrintImage"));
    EXPECT_EQ(texts(), QStringList{"Do you want to Save the Current Picture - " + cat + " ? "});
    PrntPict1* print = printWindow();
    ASSERT_NE(print, nullptr);
    EXPECT_TRUE(print->isVisible());
    EXPECT_TRUE(gs.fPrntPictOpen);
    EXPECT_EQ(print->TxtTitle->text(), cat);
    EXPECT_EQ(print->previewTwips().size(), QSizeF(2040, 1600));

    // Print Files brings the same window to the front.
    w->fPictureChanged = false;
    clickTool(*w, QStringLiteral("ID_mnuPrintFiles"));
    EXPECT_EQ(printWindow(), print);

    // OK prints one page on the printer (a PDF file here).
    const QString pdf = file(QStringLiteral("printed.pdf"));
    platform::ScopedPrinterCanvas printer([pdf] { return platform::QtPrintCanvas::pdfFile(pdf); });
    QTest::mouseClick(print->OKBtn, Qt::LeftButton);
    EXPECT_TRUE(print->Frame3->isVisible());
    QPdfDocument doc(nullptr);
    ASSERT_EQ(doc.load(pdf), QPdfDocument::Error::None);
    EXPECT_EQ(doc.pageCount(), 1);
    const QString text = doc.getAllText(0).text();
    EXPECT_TRUE(text.contains(cat)) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("cat.png")));

    // Closing the main window unloads it.
    w->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(printWindow(), nullptr);
    EXPECT_FALSE(gs.fPrntPictOpen);
}
