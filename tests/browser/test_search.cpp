// The file search over real folders and over a made-up tree.
#include "BrowserFixture.h"
#include "FakeSearch.h"
#include "browser/FindFle1.h"
#include "platform/controls/OleColor.h"
#include "platform/controls/ToolBarComp.h"
#include "shared/Tables.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

namespace {
const QString kEnd = QStringLiteral("            End of Search");
const QString kCancelled = QStringLiteral("              Search Cancelled");
const QString kNetwork = QStringLiteral("Do You want to Search the Network?");
} // namespace

class SearchFixture : public BrowserFixture {
protected:
    void SetUp() override
    {
        BrowserFixture::SetUp();
        gs.nSearchFirstCount = 5000;
        gs.nSearchNextCount = 500;
        gs.cComputerName = "THISHOST";
        w->search().nSearchRetryPauseMs = 0;
    }

    // Runs the find command, answering its dialog with the script.
    void find(const std::function<void(FindFle1&)>& script)
    {
        bool ran = false;
        QTimer::singleShot(0, [&] {
            auto* dlg = qobject_cast<FindFle1*>(QApplication::activeModalWidget());
            ASSERT_NE(dlg, nullptr);
            ran = true;
            script(*dlg);
        });
        w->FindFileRoutine();
        EXPECT_TRUE(ran);
    }

    // R/{A/{A1}, B/{x.JPG}, C/{y.jpg}, D} with R the tree's root.
    void makeTree()
    {
        mkdir("A/A1");
        picture("B/x.JPG");
        picture("C/y.jpg");
        mkdir("D");
        file("A/notes.txt");
        w->PTxShTree1->Refresh();
        w->setFileListFolder(data.path());
    }

    // 200 empty folders under Many/, then Zed/z.jpg: a walk long enough to be interrupted.
    void makeLongWalk()
    {
        for (int i = 0; i < 200; ++i)
            mkdir(QStringLiteral("Many/F%1").arg(i, 3, 10, QLatin1Char('0')));
        picture("Zed/z.jpg");
        w->PTxShTree1->Refresh();
        w->setFileListFolder(data.path());
        w->search().cFindPattern = "*.JPG";
    }

    // Puts a made-up tree and a lister behind the walk, which looks for JPEGs from the top.
    FakeTree* useFake(std::unique_ptr<FakeTree> tree)
    {
        FakeTree* t = tree.get();
        w->search().setSearchTree(std::move(tree));
        auto l = std::make_unique<FakeLister>();
        lister = l.get();
        w->search().setSearchLister(std::move(l));
        w->search().cFindPattern = "*.JPG";
        w->search().nSearchResumeIndex = 0;
        return t;
    }
    // A flat made-up tree: a root with `count` leaf folders, none holding files.
    FakeTree* useFlat(int count)
    {
        auto tree = std::make_unique<FakeTree>();
        const int root = tree->add("Root", "/root");
        for (int i = 0; i < count; ++i)
            tree->add(QStringLiteral("F%1").arg(i), QStringLiteral("/root/F%1").arg(i), root);
        return useFake(std::move(tree));
    }
    FakeLister* lister = nullptr;
};

TEST_F(SearchFixture, FindsTheNextFolderWithFilesAndEndsAtTheLast)
{
    makeTree();
    ASSERT_EQ(w->search().nSearchResumeIndex, 0) << "R is selected";
    find([](FindFle1& d) { d.OKBtn->click(); });
    EXPECT_EQ(w->search().cFindPattern, "*.JPG;*.JPE;*.CMP");
    EXPECT_EQ(w->search().nFindFilterRow, 0);
    EXPECT_EQ(w->fileListFolder(), path("B"));
    EXPECT_EQ(listNames(), QStringList{"x.JPG"}) << "the list is filtered by the pattern";
    EXPECT_EQ(w->windowTitle(), kProgramTitle + " - " + path("B"));
    EXPECT_EQ(w->search().nSearchResumeIndex, 4);
    EXPECT_FALSE(w->search().fSearchBusy);
    EXPECT_TRUE(dialogs->messages.isEmpty());

    w->FindNext();
    EXPECT_EQ(w->fileListFolder(), path("C"));
    EXPECT_EQ(listNames(), QStringList{"y.jpg"});
    EXPECT_TRUE(dialogs->messages.isEmpty());

    w->FindNext();
    EXPECT_EQ(dialogs->texts(), QStringList{kEnd});
    EXPECT_EQ(w->search().nSearchResumeIndex, 0);
    EXPECT_EQ(w->fileListFolder(), path("C")) << "nothing found: the list stays";

    // As before any search, with no pattern: Find Next looks for JPEGs from the top.
    w->search().cFindPattern.clear();
    w->FindNext();
    EXPECT_EQ(w->search().cFindPattern, "*.JPG");
    EXPECT_EQ(w->fileListFolder(), path("B")) << "the next search starts again from the top";
}

TEST_F(SearchFixture, AsksToGoOnPastTheLimits)
{
    FakeTree* tree = useFlat(7000);
    dialogs->answers = {platform::Answer::Yes, platform::Answer::No};
    w->FindNext();
    const QString q = "Do you want to continue the Search for - *.JPG ?";
    ASSERT_EQ(dialogs->texts(), (QStringList{q, q}));
    EXPECT_EQ(dialogs->messages.at(0).buttons, platform::Buttons::YesNo);
    // Asked at item 5501, the first past 5000 + 500; Yes goes on from 5502 and
    // asks again past 6000; No stops with the resume index past that item.
    EXPECT_EQ(w->search().nSearchResumeIndex, 6002);
    EXPECT_EQ(tree->walks, 1);

    // No at once keeps the resume index just past the first question.
    dialogs->messages.clear();
    dialogs->answers = {platform::Answer::No};
    w->search().nSearchResumeIndex = 0;
    w->FindNext();
    EXPECT_EQ(dialogs->texts(), QStringList{q});
    EXPECT_EQ(w->search().nSearchResumeIndex, 5502);
}

TEST_F(SearchFixture, EscDuringTheWalkCancelsIt)
{
    makeLongWalk();
    const int resume = w->search().nSearchResumeIndex;
    // The Esc waits in the queue until the walk lets the message loop run.
    QCoreApplication::postEvent(w->PTxShList1->currentView(),
                                new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    w->FindNext();
    EXPECT_EQ(dialogs->texts(), QStringList{kCancelled});
    EXPECT_EQ(w->search().nSearchResumeIndex, resume);
    EXPECT_EQ(w->fileListFolder(), data.path());

    // Esc while idle, then a Find Next: that search can still be cancelled.
    int esc = 27;
    w->PTxShTree1_KeyPress(esc);
    EXPECT_FALSE(w->search().fSearchRunning);
    dialogs->messages.clear();
    QCoreApplication::postEvent(w->PTxShTree1, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    w->FindNext();
    EXPECT_EQ(dialogs->texts(), QStringList{kCancelled});

    // Without an Esc the walk gets through to the folder.
    dialogs->messages.clear();
    w->FindNext();
    EXPECT_EQ(w->fileListFolder(), path("Zed"));
}

TEST_F(SearchFixture, DialogChoicesPatternsAndCancel)
{
    makeTree();
    // Cancel starts nothing.
    w->search().cFindPattern = "unchanged";
    find([](FindFle1& d) {
        EXPECT_TRUE(d.RDSELECT[0]->isChecked()) << "the first opening chooses option 0";
        d.CancelBtn->click();
    });
    EXPECT_EQ(w->search().cFindPattern, "unchanged");
    EXPECT_EQ(w->fileListFolder(), data.path());
    EXPECT_FALSE(gs.fFindFleOpen);

    // A typed pattern wins over the chosen option and is remembered as 33.
    find([](FindFle1& d) {
        d.RDSELECT[5]->setChecked(true);
        d.Text1->setText("y.*");
        d.OKBtn->click();
    });
    EXPECT_EQ(w->search().cFindPattern, "y.*");
    EXPECT_EQ(w->search().nFindFilterRow, 35);
    EXPECT_EQ(gs.nFindTypeIndex, 33);
    EXPECT_EQ(w->fileListFolder(), path("C"));

    // One blank is no pattern: the option counts (the text files, row 34). Enter in the text box confirms.
    find([](FindFle1& d) {
        EXPECT_TRUE(d.RDSELECT[33]->isChecked()) << "the last choice comes back";
        d.RDSELECT[32]->setChecked(true);
        d.Text1->setText(" ");
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, "\r");
        QCoreApplication::sendEvent(d.Text1, &enter);
    });
    EXPECT_TRUE(w->search().cFindPattern.startsWith("*.TXT;*.RTF;")) << w->search().cFindPattern.toStdString();
    EXPECT_EQ(w->search().nFindFilterRow, 34);
    EXPECT_EQ(gs.nFindTypeIndex, 32);
}

TEST_F(SearchFixture, NetworkAndNetHoodAndComputerName)
{
    auto tree = std::make_unique<FakeTree>();
    const int desktop = tree->add("Desktop", "C:\\Desktop");
    const int computer = tree->add("My Computer", "", desktop, true);
    const int c = tree->add("Local Disk (C:)", "C:\\", computer);
    const int win = tree->add("WINDOWS", "C:\\WINDOWS", c);
    tree->add("NetHood", "C:\\WINDOWS\\NetHood", win);
    const int docs = tree->add("Documents and Settings", "/documents and settings", c);
    tree->add("nethood", "/documents and settings/NetHood", docs);
    tree->add("thishost", "C:\\thishost", c);
    const int data2 = tree->add("Data", "C:\\Data", c);
    tree->add("NetHood", "C:\\Data\\NetHood", data2);
    const int places = tree->add("My Network Places", "", desktop);
    const int entire = tree->add("Entire Network", "", places);
    const int group = tree->add("Workgroup", "", entire);
    tree->add("Share", "\\\\SERVER\\Share", group);
    tree->add("Entire Network", "", desktop); // met again later
    FakeTree* t = useFake(std::move(tree));
    FakeLister* l = lister;
    for (const char* p : {"C:\\WINDOWS\\NetHood", "/documents and settings/NetHood", "C:\\thishost",
                          "C:\\Data\\NetHood", "\\\\SERVER\\Share"})
        l->files[p] = 1;

    // The NetHood folders under \WINDOWS and \Documents..., and the folder
    // named as this computer, are passed over; the NetHood under Data is a hit.
    w->FindNext();
    EXPECT_EQ(l->calls.count("C:\\WINDOWS\\NetHood"), 0u);
    EXPECT_EQ(l->calls.count("/documents and settings/NetHood"), 0u);
    EXPECT_EQ(l->calls.count("C:\\thishost"), 0u);
    EXPECT_EQ(l->calls.count("C:\\Data\\NetHood"), 1u);
    EXPECT_TRUE(dialogs->messages.isEmpty());

    // "No" to the network passes it over: nothing below it is expanded.
    dialogs->answers = {platform::Answer::No};
    w->FindNext();
    ASSERT_GE(dialogs->texts().size(), 1);
    EXPECT_EQ(dialogs->texts().at(0), kNetwork);
    EXPECT_EQ(std::count(t->expanded.begin(), t->expanded.end(), "My Network Places"), 0);
    EXPECT_EQ(l->calls.count("\\\\SERVER\\Share"), 0u);

    // "Yes": the network's virtual items are expanded and remembered; the
    // share is found; an item named as a remembered one is passed over later.
    dialogs->messages.clear();
    dialogs->answers = {platform::Answer::Yes};
    w->search().nSearchResumeIndex = t->indexOf("My Network Places");
    w->FindNext();
    EXPECT_EQ(dialogs->texts(), QStringList{kNetwork});
    EXPECT_EQ(l->calls["\\\\SERVER\\Share"], 1);
    EXPECT_NE(std::find(t->expanded.begin(), t->expanded.end(), "Workgroup"), t->expanded.end());
    EXPECT_EQ(w->search().nSearchResumeIndex, t->indexOf("Share") + 1);
}

TEST_F(SearchFixture, RememberedNetworkNameIsPassedOverInTheSameSearch)
{
    auto tree = std::make_unique<FakeTree>();
    const int places = tree->add("My Network Places", "");
    const int entire = tree->add("Entire Network", "", places);
    tree->add("Nothing", "/nothing", entire);
    const int again = tree->add("Entire Network", "");
    tree->add("Hidden Share", "/hidden", again);
    tree->add("Last", "/last");
    FakeTree* t = useFake(std::move(tree));
    lister->files["/hidden"] = 1;
    dialogs->answers = {platform::Answer::Yes};
    w->FindNext();
    EXPECT_EQ(std::count(t->expanded.begin(), t->expanded.end(), "Entire Network"), 1);
    EXPECT_EQ(lister->calls.count("/hidden"), 0u) << "the second Entire Network was passed over";
    EXPECT_EQ(dialogs->texts(), (QStringList{kNetwork, kEnd}));
}

TEST_F(SearchFixture, WalkErrorsAreReportedAndPassedOver)
{
    auto tree = std::make_unique<FakeTree>();
    tree->add("One", "/one");
    const int two = tree->add("Two", "/two");
    tree->add("Three", "/three");
    tree->add("Four", "/four");
    tree->add("Five", "/five");
    tree->nodes[size_t(two)].throwNumber = browser::kErrUnexpected;
    tree->nodes[2].throwNumber = 70;
    FakeTree* t = useFake(std::move(tree));
    lister->files["/four"] = 3;
    t->selected = "/four";
    w->FindNext();
    ASSERT_EQ(dialogs->messages.size(), 2);
    EXPECT_EQ(dialogs->messages.at(0).text, "Err -214 -  1 -  5 - One -  0");
    EXPECT_NE(dialogs->messages.at(0).title, kProgramTitle) << "the default title";
    EXPECT_EQ(dialogs->messages.at(1).text, "Error - 70 - Made-up failure");
    EXPECT_EQ(w->windowTitle(), kProgramTitle + " - /four");

    // A path-not-found failure ends the walk as the end of the search.
    t->nodes[0].throwNumber = browser::kErrPathNotFound;
    dialogs->messages.clear();
    w->search().nSearchResumeIndex = 0;
    w->FindNext();
    EXPECT_EQ(dialogs->texts(), QStringList{kEnd});
    EXPECT_EQ(w->search().nSearchResumeIndex, 1);
}

// ---------------------------------------------------------------- mended faults

TEST_F(SearchFixture, StoppedThumbnailRunDoesNotDisableSearches)
{
    makeTree();
    w->thumbnails().fThumbsStopped = true; // a run stopped some time ago
    w->search().cFindPattern = "*.JPG";
    w->FindNext();
    EXPECT_EQ(w->fileListFolder(), path("B"));

    // A run stopped while the search goes on ends it quietly, the pointer back.
    FakeTree* tree = useFlat(400);
    w->thumbnails().fThumbsStopped = false;
    tree->onName = [&](int i) {
        if (i == 300)
            w->thumbnails().fThumbsStopped = true;
    };
    w->setCursor(Qt::WaitCursor);
    dialogs->messages.clear();
    w->FindNext();
    EXPECT_TRUE(dialogs->messages.isEmpty());
    EXPECT_EQ(w->search().nSearchResumeIndex, 0);
    EXPECT_EQ(w->cursor().shape(), Qt::ArrowCursor);
}

TEST_F(SearchFixture, UnreadableOrVanishedFoldersArePassedOver)
{
    makeTree();
    // B went away after the tree showed it.
    ASSERT_TRUE(QDir(path("B")).removeRecursively());
    w->search().cFindPattern = "*.JPG";
    w->FindNext();
    EXPECT_EQ(w->fileListFolder(), path("C"));
    EXPECT_TRUE(dialogs->messages.isEmpty());

    // The last item cannot be read: the walk ends instead of trying forever.
    useFlat(3);
    lister->foreverError["/root/F2"] = 70;
    lister->foreverError["/root/F1"] = 76;
    w->FindNext();
    EXPECT_EQ(lister->calls["/root/F2"], 1);
    EXPECT_EQ(lister->calls["/root/F1"], 1);
}

TEST_F(SearchFixture, DriveNotReadyIsRetriedUntilReadyOrEsc)
{
    useFlat(3);
    lister->errors["/root/F2"] = {68, 68, 68};
    lister->files["/root/F2"] = 1;
    w->FindNext();
    EXPECT_EQ(lister->calls["/root/F2"], 4) << "three failures, then the medium is there";
    EXPECT_EQ(w->search().nSearchResumeIndex, 0) << "a hit on the last item is the end";

    // A drive that never becomes ready: Esc during the retries ends it.
    lister->foreverError["/root/F2"] = 68;
    lister->onList = [&](const QString& p) {
        if (p == "/root/F2" && lister->calls[p] == 5) {
            int esc = 27;
            w->PTxShList1_KeyPress(esc);
        }
    };
    lister->calls.clear();
    dialogs->messages.clear();
    w->search().nSearchResumeIndex = 0;
    w->FindNext();
    EXPECT_EQ(lister->calls["/root/F2"], 5);
    EXPECT_EQ(dialogs->texts(), QStringList{kCancelled});
}

TEST_F(SearchFixture, OneSearchAtATimeAndTheTreeHoldsStill)
{
    mkdir("Zz");
    makeLongWalk();
    int countDuring = -1, countAfterTries = -1;
    bool dialogSeen = false;
    QTimer::singleShot(0, [&] {
        // Runs when the walk lets the message loop run.
        ASSERT_TRUE(w->search().fSearchBusy);
        countDuring = w->PTxShTree1->Items().Count();
        // Tied to the window: not left waiting for the next test's dialog.
        QTimer::singleShot(0, w.get(), [&] {
            if (QApplication::activeModalWidget()) {
                dialogSeen = true;
                QApplication::activeModalWidget()->close();
            }
        });
        w->FindFileRoutine();
        w->FindNext();
        w->CollapseFolderTree();
        w->PTxShTree1->Refresh();
        w->MoveUpFolder();
        w->PTxShTree1->Items().Item(0)->setExpanded(false);
        countAfterTries = w->PTxShTree1->Items().Count();
    });
    w->FindNext();
    EXPECT_FALSE(dialogSeen) << "no find dialog during a search";
    EXPECT_GT(countDuring, 150);
    EXPECT_EQ(countAfterTries, countDuring);
    EXPECT_EQ(w->fileListFolder(), path("Zed"));
    EXPECT_TRUE(dialogs->messages.isEmpty()) << dialogs->texts().join("|").toStdString();
    EXPECT_TRUE(w->PTxShTree1->Items().Item(0)->setExpanded(false)) << "free again after the walk";
}

// Each option of the find dialog stands in the window's background and text
// colours, the right-hand column too, where the frame's wash runs out.
TEST_F(SearchFixture, TheFindDialogsOptionsStandInTheWindowsColours)
{
    gs.nLabelStyle = 0;
    const QColor text = platform::resolveColor(platform::ColorRole::Text, gs.nSelectForeColor);
    const QColor back = platform::resolveColor(platform::ColorRole::Background, gs.nSelectBackColor);
    int rightOfMiddle = 0;
    bool ran = false;
    testsupport::whenModal<FindFle1>([&](FindFle1* d) {
        ran = true;
        testsupport::InProcessFocus focus;
        EXPECT_TRUE(focus.activate(d)); // the dialog takes its colours as it becomes active
        for (QRadioButton* option : d->RDSELECT) {
            EXPECT_GE(testsupport::captionContrast(option, text), platform::kLegibleContrast)
                << option->text().toStdString();
            EXPECT_EQ(option->grab().toImage().pixelColor(option->width() - 2, 1), back) << option->text().toStdString();
            rightOfMiddle += option->mapTo(d, QPoint(0, 0)).x() > d->width() / 2;
        }
        d->CancelBtn->click();
    });
    w->FindFileRoutine();
    EXPECT_TRUE(ran);
    EXPECT_GT(rightOfMiddle, 0);
}
