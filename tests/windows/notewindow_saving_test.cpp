// No typed word lost: the autosave, the save when the window or the program loses the focus, the exit
// save, a killed process, and a note saved on a screen that is gone.
#include "notewindow_fixture.h"

#include "shell/dialogs.h"
#include "windows/ExitSave.h"
#include "windows/OnScreen.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>

namespace {

using pinlet::ExitSave;

TEST_F(NoteWindowTest, AnEditSavesItselfAfterItsDelayKeepingTheId) {
    TForm1* w = open(first);
    const std::string before = modified(first);
    QElapsedTimer clock;
    clock.start();
    QTest::keyClicks(memo(w), "ab");
    EXPECT_TRUE(w->edited());
    EXPECT_EQ(store->getjegyzet(first).jegyzet, "tej\r\nkenyér") << "not at every keystroke";
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w->edited(); }, 10000));
    // The timer may run up to 5 % early.
    EXPECT_GE(clock.elapsed(), TForm1::kAutosaveDelayMs * 95 / 100);
    EXPECT_EQ(store->getjegyzet(first).jegyzet, "abtej\r\nkenyér");
    EXPECT_GT(modified(first), before);
    EXPECT_EQ(query("SELECT count(*) FROM jegyzetek"), "2") << "the same note, not a new one";
    EXPECT_EQ(w->id(), first);

    // An untouched note writes nothing when it loses the focus, apart from its geometry.
    const std::string stamp = modified(first);
    TForm1* other = open(second);
    EXPECT_EQ(modified(first), stamp);
    // An edited one is saved at once.
    QTest::keyClicks(memo(other), "x");
    QTest::keyClicks(name(other), "!");
    ASSERT_TRUE(activate(w));
    EXPECT_EQ(store->getjegyzet(second).jegyzet, "xszöveg");
    EXPECT_EQ(store->getjegyzet(second).nev, "Második!");
    // And so when the program goes to the background.
    QTest::keyClicks(memo(w), "c");
    emit qApp->applicationStateChanged(Qt::ApplicationInactive);
    EXPECT_EQ(store->getjegyzet(first).jegyzet, "abctej\r\nkenyér");
    emit qApp->applicationStateChanged(Qt::ApplicationActive);
}

// A window stays open through the delete of its note, and the compaction then removes the row: the next
// save writes the note anew, and later saves go to that one note instead of a new copy each time.
TEST_F(NoteWindowTest, AWindowWhoseNoteWasCompactedAwaySavesItOnceMore) {
    TForm1* w = open(first);
    w->setGeometry(40, 50, 300, 200);
    store->deletejegyzet(first);
    store->compactdb();
    QTest::keyClicks(memo(w), "a");
    ASSERT_TRUE(w->saveedits());
    QTest::keyClicks(memo(w), "b");
    ASSERT_TRUE(w->saveedits());
    ASSERT_EQ(query("SELECT count(*) FROM jegyzetek WHERE nev='Bevásárlás'"), "1");
    EXPECT_NE(w->id(), first);
    EXPECT_EQ(store->getjegyzet(w->id()).jegyzet, "abtej\r\nkenyér");
    EXPECT_EQ(setting("j_" + std::to_string(w->id()) + "_left"), "40") << "the place goes with the note";
}

TEST_F(NoteWindowTest, AFailingAutosaveIsShownOnceAndTheTextStays) {
    TForm1* w = open(first);
    breakstore();
    {
        pinlet::DialogScript script;
        for (const char* keys : {"1", "2", "3"}) {
            QTest::keyClicks(memo(w), keys);
            EXPECT_FALSE(w->saveedits());
        }
        ASSERT_EQ(script.shown().size(), 1u);
        EXPECT_EQ(script.shown()[0].kind, pinlet::DialogKind::Failure);
    }
    EXPECT_TRUE(w->edited());
    EXPECT_EQ(memo(w)->toPlainText(), "123tej\nkenyér");
    restorestore();
    EXPECT_TRUE(w->saveedits());
    EXPECT_EQ(store->getjegyzet(first).jegyzet, "123tej\r\nkenyér");
}

// Runs the application's event loop until `end` (run from inside it) ends it.
void runapplication(const std::function<void()>& end) {
    QTimer::singleShot(0, qApp, end);
    qApp->exec();
}

TEST_F(NoteWindowTest, QuittingClosesAndSavesEveryNoteWindow) {
    TForm1* a = open(first);
    TForm1* b = open(second);
    const std::int32_t third = store->savejegyzet(-1, {"Harmadik", "marad"});
    TForm1* c = open(third);
    memo(a)->setPlainText("A új szövege");
    name(b)->setText("B új neve");
    a->move(30, 40);
    memo(c)->setPlainText(" \n "); // blank: saves nothing
    const std::vector<QPointer<TForm1>> all{a, b, c};

    ExitSave exitsave(*qApp, *store);
    runapplication([] { QCoreApplication::quit(); });
    EXPECT_EQ(store->getjegyzet(first).jegyzet, "A új szövege");
    EXPECT_EQ(store->getjegyzet(second).nev, "B új neve");
    EXPECT_EQ(store->getjegyzet(third).jegyzet, "marad");
    EXPECT_EQ(setting("j_1_left"), "30");
    EXPECT_EQ(setting("j_1_top"), "40");
    EXPECT_TRUE(store->openforms.empty());
    for (const QPointer<TForm1>& window : all)
        EXPECT_TRUE(window.isNull());
}

TEST_F(NoteWindowTest, AQuitWhoseSaveFailsIsRefusedAndTheWindowKeepsItsText) {
    TForm1* a = open(first);
    memo(a)->setPlainText("el ne vesszen");
    breakstore();
    ExitSave exitsave(*qApp, *store);
    pinlet::DialogScript script;
    bool stillOpen = false;
    runapplication([&] {
        QCoreApplication::quit();
        QTimer::singleShot(0, qApp, [&] {
            stillOpen = a->isVisible();
            restorestore();
            QCoreApplication::exit(0);
        });
    });
    EXPECT_TRUE(stillOpen);
    ASSERT_EQ(script.shown().size(), 1u);
    EXPECT_EQ(script.shown()[0].kind, pinlet::DialogKind::Failure);
    // The loop ended without closing the window: the exit save wrote it.
    EXPECT_EQ(store->getjegyzet(first).jegyzet, "el ne vesszen");
}

TEST_F(NoteWindowTest, TheExitSaveWritesEveryUnsavedNoteOnceAndReportsAFailureOnce) {
    TForm1* a = open(first);
    TForm1* b = open(second);
    TForm1* untouched = open(store->savejegyzet(-1, {"Harmadik", "érintetlen"}));
    memo(a)->setPlainText("A új szövege");
    name(b)->setText("B új neve");
    {
        // Logoff: the session manager asks for the data, the windows stay until the end.
        ExitSave exitsave(*qApp, *store);
        runapplication([] { QCoreApplication::exit(0); });
    }
    EXPECT_EQ(store->getjegyzet(first).jegyzet, "A új szövege");
    EXPECT_EQ(store->getjegyzet(second).nev, "B új neve");
    EXPECT_FALSE(a->unsaved());

    // The quit that follows has nothing left to write.
    const std::string stamp = modified(first);
    const std::string stamp3 = modified(untouched->id());
    EXPECT_EQ(ExitSave::saveopennotes(*store), 0);
    EXPECT_EQ(modified(first), stamp);
    EXPECT_EQ(modified(untouched->id()), stamp3);

    memo(a)->setPlainText("még egy");
    memo(b)->setPlainText("és még egy");
    breakstore();
    pinlet::DialogScript script;
    EXPECT_EQ(ExitSave::saveopennotes(*store), 2);
    EXPECT_EQ(script.shown().size(), 1u);
    EXPECT_TRUE(a->unsaved());
    EXPECT_EQ(memo(b)->toPlainText(), "és még egy");
    restorestore();
}

// The child half of the next test: opens note 1 of the store in the given folder, types, reports it and
// waits to be killed. It runs before any test when the variable is set, and never returns.
class KilledAfterTyping : public ::testing::Environment {
public:
    void SetUp() override {
        const QByteArray folder = qgetenv("PINLET_TEST_TYPING_CHILD");
        if (folder.isEmpty())
            return;
        TStoreEnvironment environment;
        environment.exedir = folder.toStdString();
        environment.documentsfolder = [docs = folder.toStdString() + "/docs"] { return docs; };
        Tzkpldm store(std::move(environment));
        store.DataModuleCreate();
        zkpldm = &store;
        auto* window = new TForm1;
        window->setId(1);
        store.openforms.push_back(window);
        window->show();
        if (!QTest::qWaitFor([window] { return window->loaded(); }, 10000))
            std::_Exit(3);
        QTest::keyClicks(window->findChild<QPlainTextEdit*>("Memo1"), "megmarad ");
        std::puts("typed");
        std::fflush(stdout);
        QTest::qWait(60000); // killed long before
        std::_Exit(4);
    }
};
[[maybe_unused]] const auto* const kChildMode = ::testing::AddGlobalTestEnvironment(new KilledAfterTyping);

TEST_F(NoteWindowTest, AProcessKilledTwoSecondsAfterTypingKeepsTheText) {
    std::filesystem::copy_file(dbpath, folder.file("child.db"));
    TestFolder childFolder;
    std::filesystem::create_directories(childFolder.path() / "docs");
    std::filesystem::copy_file(folder.file("child.db"), childFolder.file("docs/pinlet.db"));

    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("PINLET_TEST_TYPING_CHILD", QString::fromStdString(childFolder.text()));
    child.setProcessEnvironment(environment);
    child.start(QCoreApplication::applicationFilePath(), {"--gtest_filter=BringOnScreen.*"});
    ASSERT_TRUE(child.waitForStarted(10000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return child.readAllStandardOutput().contains("typed"); }, 20000));
    QElapsedTimer sinceTyping;
    sinceTyping.start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return sinceTyping.elapsed() >= 2000; }, 3000));
    ASSERT_EQ(child.state(), QProcess::Running);
    child.kill(); // SIGKILL: no exit handling runs
    ASSERT_TRUE(child.waitForFinished(10000));

    const std::string childdb = childFolder.file("docs/pinlet.db");
    EXPECT_EQ(queryone(childdb, "PRAGMA integrity_check"), "ok");
    EXPECT_EQ(queryone(childdb, "SELECT jegyzet FROM jegyzetek WHERE id=1"), "megmarad tej\r\nkenyér");
}

struct Placement {
    QRect window;
    QList<QRect> screens;
    QRect expected;
    const char* why;
};

TEST(BringOnScreen, AWindowOffEveryScreenComesBackToTheNearest) {
    const QRect wide(0, 0, 1920, 1080);
    const QRect right(1920, 0, 1280, 1024);
    const Placement cases[] = {
        {{100, 100, 374, 319}, {wide}, {100, 100, 374, 319}, "on screen: left alone"},
        {{1800, 900, 374, 319}, {wide}, {1800, 900, 374, 319}, "partly off, the bar still grabbable"},
        {{2500, 100, 374, 319}, {wide}, {1546, 100, 374, 319}, "the right monitor was unplugged"},
        {{2500, 100, 374, 319}, {wide, right}, {2500, 100, 374, 319}, "on the second monitor"},
        {{3600, 1500, 374, 319}, {wide, right}, {2826, 705, 374, 319}, "nearest is the second monitor"},
        {{100, -200, 374, 319}, {wide}, {100, 0, 374, 319}, "the bar above the top edge"},
        {{-354, 100, 374, 319}, {wide}, {0, 100, 374, 319}, "20 pixels of bar are not enough to grab"},
        {{-342, 100, 374, 319}, {wide}, {-342, 100, 374, 319}, "32 pixels are"},
        {{4000, 4000, 3000, 2000}, {wide}, {0, 0, 1920, 1080}, "larger than the screen: shrunk to it"},
        {{-5000, 50, 374, 319}, {}, {-5000, 50, 374, 319}, "no screens: nothing to go by"},
    };
    for (const Placement& c : cases)
        EXPECT_EQ(pinlet::bringonscreen(c.window, 41, c.screens), c.expected) << c.why;
}

TEST_F(NoteWindowTest, ASavedRectangleOffEveryScreenIsBroughtBackAndStoredCorrected) {
    TForm1* a = open(first);
    // As the list window applies a saved rectangle: edge by edge.
    a->move(a->x(), 5000);
    a->move(6000, 5000);
    a->resize(300, 200);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    ASSERT_TRUE(QTest::qWaitFor([&] { return screen.contains(a->geometry()); }, 5000)) << a->geometry().x();
    EXPECT_EQ(a->size(), QSize(300, 200));
    open(second);
    EXPECT_EQ(setting("j_1_left"), std::to_string(screen.right() + 1 - 300));
    EXPECT_EQ(setting("j_1_top"), std::to_string(screen.bottom() + 1 - 200));
}

} // namespace
