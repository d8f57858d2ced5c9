// The note list window over a store in a folder of its own, with a recording notification area.

#include "store/storefixture.h"

#include "controls/MiniHtmlLabel.h"
#include "controls/MiniHtmlPopup.h"
#include "controls/MiniHtmlStaticText.h"
#include "platform/Autostart.h"
#include "shell/dialogs.h"
#include "windows/ExitSave.h"
#include "windows/ProgramActivation.h"
#include "windows/listwindow_support.h"
#include "windows/mainform_unit.h"
#include "windows/rootform_unit.h"

#include <QAction>
#include <QApplication>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>
#include <stdexcept>

namespace {

// The notification area: whether it takes the icon, switchable while the window lives.
class RecordingShell : public pinlet::TrayShell {
public:
    explicit RecordingShell(std::shared_ptr<bool> available) : available_(std::move(available)) {}
    bool add(const QIcon&, const QString&) override { return *available_; }
    void modify(const QIcon&, const QString&) override {}
    void remove() override {}

private:
    std::shared_ptr<bool> available_;
};

std::string link(int id, const std::string& name) {
    return "<a href=\"" + std::to_string(id) + "\">" + name + "</a><br>";
}

} // namespace

class ListWindowTest : public StoreTest {
protected:
    void SetUp() override {
        StoreTest::SetUp();
        zkpldm = store.get();
        form = std::make_unique<TForm2>(std::make_unique<RecordingShell>(tray));
        form->FormCreate();
    }

    void TearDown() override { closelistwindow(*store, form); }

    std::string list() { return form->findChild<TMiniHtmlLabel*>("MiniHtmlLabel1")->HTMLText(); }
    void click(const std::string& anchor) { form->MiniHtmlLabel1AnchorClick(nullptr, anchor); }
    TForm1* window(std::int32_t id) {
        for (TForm1* open : store->openforms)
            if (open->id() == id)
                return open;
        return nullptr;
    }
    std::string deletedmark(std::int32_t id) {
        return query("SELECT torolve FROM jegyzetek WHERE id=" + std::to_string(id));
    }
    void runsql(const std::string& statement) {
        sqlite3* handle = nullptr;
        ASSERT_EQ(sqlite3_open(dbpath.c_str(), &handle), SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(handle, statement.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << statement;
        sqlite3_close(handle);
    }

    std::shared_ptr<bool> tray = std::make_shared<bool>(true);
    std::unique_ptr<TForm2> form;
};

TEST_F(ListWindowTest, ListsTheLiveNotesAsLinksInCreationOrder) {
    EXPECT_EQ(list(), "");
    const std::int32_t a = store->savejegyzet(-1, {"Bevásárlás", "tej"});
    const std::int32_t b = store->savejegyzet(-1, {"", "névtelen"});
    const std::int32_t c = store->savejegyzet(-1, {"<b>fontos</b>", "x"});
    const std::int32_t d = store->savejegyzet(-1, {"törölt", "x"});
    const std::int32_t e = store->savejegyzet(-1, {"jelöletlen", "x"});
    store->deletejegyzet(d);
    runsql("UPDATE jegyzetek SET torolve=NULL WHERE id=" + std::to_string(e));
    // A row that another tool wrote with an id past 32 bits: its link would open note 1.
    runsql("INSERT INTO jegyzetek (id, nev, torolve) VALUES (4294967297, 'túl nagy', 0)");

    form->showitems();
    EXPECT_EQ(store->changed, 0);
    const std::string live = link(a, "Bevásárlás") + link(b, std::to_string(b) + ". jegyzet") +
                             link(c, "<b>fontos</b>") + link(e, "jelöletlen");
    EXPECT_EQ(list(), live);

    form->btn_removeClick();
    EXPECT_EQ(form->mode, "remove");
    EXPECT_EQ(list(), TForm2::kRemoveHeader.toStdString() + live);
    // The delete mode outlives hiding the window; "mégsem" ends it.
    form->Image2Click();
    click("cancel");
    EXPECT_EQ(form->mode, "");
    EXPECT_EQ(list(), live);
}

TEST_F(ListWindowTest, ANameOpensOneWindowPerNoteAtItsSavedPlace) {
    const std::int32_t id = store->savejegyzet(-1, {"Első", "szöveg"});
    store->setsetup("j_" + std::to_string(id) + "_top", "120");
    store->setsetup("j_" + std::to_string(id) + "_left", "90");
    store->setsetup("j_" + std::to_string(id) + "_width", "300");
    store->setsetup("j_" + std::to_string(id) + "_height", "200");
    store->closedb();

    click(std::to_string(id));
    ASSERT_EQ(store->openforms.size(), 1u);
    TForm1* opened = window(id);
    ASSERT_NE(opened, nullptr);
    EXPECT_TRUE(opened->isVisible());
    EXPECT_EQ(opened->frameGeometry(), QRect(90, 120, 300, 200));
    EXPECT_FALSE(store->db.connected());
    EXPECT_TRUE(QTest::qWaitFor([&] { return opened->loaded(); }, 5000));

    opened->hide();
    click(std::to_string(id));
    EXPECT_EQ(store->openforms.size(), 1u) << "a second window for the same note";
    EXPECT_TRUE(opened->isVisible());

    // Not a number (a name can hold a link of its own): note 0, which holds nothing.
    click("nem szám");
    ASSERT_NE(window(0), nullptr);
    EXPECT_EQ(store->openforms.size(), 2u);
}

TEST_F(ListWindowTest, DeletingAsksAndOnlyYesMarksTheNote) {
    const std::int32_t id = store->savejegyzet(-1, {"Első", "szöveg"});
    form->btn_removeClick();
    {
        pinlet::DialogScript script;
        script.setNextAnswer(7);
        click(std::to_string(id));
        ASSERT_EQ(script.shown().size(), 1u);
        EXPECT_EQ(script.shown()[0].text, "Valóban törölni szeretné?");
    }
    EXPECT_EQ(form->mode, "remove");
    EXPECT_EQ(deletedmark(id), "0");

    pinlet::DialogScript script;
    script.setNextAnswer(6);
    store->changed = 0;
    click(std::to_string(id));
    EXPECT_EQ(form->mode, "");
    EXPECT_EQ(deletedmark(id), "1");
    // The timer rebuilds the list, without the header, within about a second.
    EXPECT_EQ(store->changed, 1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return list().empty(); }, 3000)) << list();
}

TEST_F(ListWindowTest, ANewNoteOpensInItsWindowAndTheListFollows) {
    form->show();
    form->btn_newClick();
    EXPECT_FALSE(form->isVisible());
    ASSERT_EQ(store->openforms.size(), 1u);
    TForm1* opened = store->openforms.front();
    EXPECT_EQ(query("SELECT nev || '|' || jegyzet FROM jegyzetek WHERE id=" + std::to_string(opened->id())),
              "Új jegyzet|Ez egy új jegyzet");
    EXPECT_TRUE(QTest::qWaitFor([&] { return list() == link(opened->id(), "Új jegyzet"); }, 3000)) << list();
    EXPECT_TRUE(QTest::qWaitFor([&] { return opened->loaded(); }, 5000));
    EXPECT_EQ(opened->findChild<QLineEdit*>("nev")->text(), "Új jegyzet");

    form->trayiconClick(nullptr, pinlet::mbLeft, {}, 0, 0);
    EXPECT_TRUE(form->isVisible());
}

TEST_F(ListWindowTest, TheTrayMenuListsTheOpenNotesThenTheCommands) {
    const std::int32_t a = store->savejegyzet(-1, {"Tej & kenyér", "x"});
    const std::int32_t b = store->savejegyzet(-1, {"", "x"});
    click(std::to_string(a));
    click(std::to_string(b));
    ASSERT_TRUE(QTest::qWaitFor([&] { return window(a)->loaded() && window(b)->loaded(); }, 5000));

    form->PopupMenu1Popup();
    QStringList captions;
    for (const QAction* item : form->PopupMenu1().actions())
        captions << (item->isSeparator() ? QStringLiteral("-") : item->text());
    EXPECT_EQ(captions,
              QStringList({"Tej && kenyér", QString::number(b) + ". jegyzet", "Törölt jegyzetek", "Tömörítés",
                           "Biztonsági mentések", "Exportálás…", "-", "Pinlet bezárása"}));

    window(a)->hide();
    form->PopupMenu1Popup(); // rebuilt, not appended
    ASSERT_EQ(form->PopupMenu1().actions().size(), 8);
    form->PopupMenu1().actions()[0]->trigger();
    EXPECT_TRUE(window(a)->isVisible());
}

TEST_F(ListWindowTest, ADeletedNoteComesBackFromTheRestoreListWithItsWindowOpen) {
    const std::int32_t kept = store->savejegyzet(-1, {"marad", "x"});
    const std::int32_t id = store->savejegyzet(-1, {"Vissza", "szöveg\r\nmásodik sor"});
    click(std::to_string(id));
    TForm1* open = window(id);
    ASSERT_NE(open, nullptr);
    const std::string row = query(
        "SELECT nev || '|' || jegyzet || '|' || modositva FROM jegyzetek WHERE id=" + std::to_string(id));

    form->btn_removeClick();
    {
        pinlet::DialogScript script;
        script.setNextAnswer(6);
        click(std::to_string(id));
    }
    EXPECT_TRUE(QTest::qWaitFor([&] { return list() == link(kept, "marad"); }, 3000)) << list();

    const std::string header = TForm2::kRestoreHeader.toStdString() + "<br>";
    form->Trltjegyzetek1Click();
    EXPECT_EQ(form->mode, "restore");
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(list(), header + link(id, "Vissza")) << "only the deleted notes";

    store->changed = 0;
    click(std::to_string(id));
    EXPECT_EQ(form->mode, "");
    EXPECT_EQ(store->changed, 0) << "the list was rebuilt at once";
    EXPECT_EQ(list(), link(kept, "marad") + link(id, "Vissza"));
    EXPECT_EQ(deletedmark(id), "0");
    EXPECT_EQ(query("SELECT nev || '|' || jegyzet || '|' || modositva FROM jegyzetek WHERE id=" +
                    std::to_string(id)),
              row);
    EXPECT_EQ(window(id), open) << "the window stayed open through delete and restore";
    EXPECT_TRUE(open->isVisible());

    // Nothing deleted: the header and a line that says so; "mégsem" goes back.
    form->Trltjegyzetek1Click();
    EXPECT_EQ(list(), header + "Nincs törölt jegyzet.");
    click("cancel");
    EXPECT_EQ(form->mode, "");
    EXPECT_EQ(list(), link(kept, "marad") + link(id, "Vissza"));

    // A compaction after the restore keeps the note.
    form->MiniHtmlPopup1().setWorkAreaSource([] { return QRect(0, 0, 800, 600); });
    pinlet::DialogScript script;
    script.setNextAnswer(6);
    form->mrts1Click();
    EXPECT_EQ(store->getjegyzet(id).jegyzet, "szöveg\r\nmásodik sor");
}

TEST_F(ListWindowTest, CompactionAsksWithTheCountAndRemovesTheDeletedNotes) {
    const std::int32_t kept = store->savejegyzet(-1, {"marad", "x"});
    const std::int32_t gone = store->savejegyzet(-1, {"megy", "x"});
    store->deletejegyzet(gone);
    {
        pinlet::DialogScript script;
        script.setNextAnswer(2);
        form->mrts1Click();
        ASSERT_EQ(script.shown().size(), 1u);
        EXPECT_NE(script.shown()[0].text.find("(1 db)"), std::string::npos) << script.shown()[0].text;
    }
    EXPECT_EQ(query("SELECT count(*) FROM jegyzetek"), "2");

    form->MiniHtmlPopup1().setWorkAreaSource([] { return QRect(0, 0, 800, 600); });
    pinlet::DialogScript script;
    script.setNextAnswer(6);
    form->mrts1Click();
    EXPECT_EQ(query("SELECT group_concat(id) FROM jegyzetek"), std::to_string(kept));
    EXPECT_EQ(form->MiniHtmlPopup1().Text(), QStringList{"Tömörítés kész."});
    EXPECT_TRUE(form->findChild<QTimer*>("Timer1")->isActive());
}

TEST_F(ListWindowTest, TheBannerMovesOnOnlyWhileTheWindowShows) {
    auto* banner = form->findChild<TMiniHtmlStaticText*>("banner");
    ASSERT_EQ(store->banners.size(), 2u);
    EXPECT_EQ(banner->HTMLText(), store->banners[0]);
    form->Timer2Timer();
    EXPECT_EQ(banner->HTMLText(), store->banners[0]) << "moved while hidden";
    form->show();
    form->Timer2Timer();
    EXPECT_EQ(banner->HTMLText(), store->banners[1]);
    form->Timer2Timer();
    EXPECT_EQ(banner->HTMLText(), store->banners[0]);
}

TEST_F(ListWindowTest, WithoutATrayTheWindowStaysReachableUntilOneAppears) {
    *tray = false;
    auto lonely = std::make_unique<TForm2>(std::make_unique<RecordingShell>(tray));
    lonely->FormCreate();
    lonely->show();
    EXPECT_FALSE(lonely->traymode());
    EXPECT_FALSE(lonely->windowFlags().testFlag(Qt::Tool)) << "no taskbar entry";
    lonely->Image2Click();
    EXPECT_TRUE(lonely->isMinimized());
    EXPECT_TRUE(lonely->isVisible()) << "hidden with no way back";
    lonely->bringup();
    EXPECT_FALSE(lonely->isMinimized());

    // The bar's right click offers the tray menu's commands.
    QWidget* bar = lonely->findChild<QWidget*>("WndActImage1");
    QTest::mousePress(bar, Qt::RightButton, {}, QPoint(5, 5));
    EXPECT_TRUE(QTest::qWaitFor([&] { return lonely->PopupMenu1().isVisible(); }, 3000));
    EXPECT_EQ(lonely->PopupMenu1().actions().last()->text(), "Pinlet bezárása");
    lonely->PopupMenu1().hide();

    const WId window = lonely->winId();
    *tray = true;
    EXPECT_TRUE(QTest::qWaitFor([&] { return lonely->traymode(); }, TForm2::kTrayRetryMs * 3));
    EXPECT_TRUE(lonely->windowFlags().testFlag(Qt::Tool));
    EXPECT_TRUE(lonely->isVisible());
    // Shown again in the window it had, the list could be taken down by the window manager's late
    // withdrawal of it.
    EXPECT_NE(lonely->winId(), window);
}

// Closing the failure box activates the list again: the same failure must not come back without end.
TEST_F(ListWindowTest, AFailingRebuildAtActivationIsShownOnceUntilOneSucceeds) {
    const auto activate = [&] {
        QEvent activation(pinlet::ProgramActivation::activateEvent());
        QApplication::sendEvent(form.get(), &activation);
    };
    pinlet::DialogScript script;
    std::filesystem::rename(dbpath, dbpath + ".away");
    activate();
    activate();
    ASSERT_EQ(script.shown().size(), 1u);
    EXPECT_EQ(script.shown()[0].kind, pinlet::DialogKind::Failure);
    std::filesystem::rename(dbpath + ".away", dbpath);
    store->savejegyzet(-1, {"újra", "x"});
    activate();
    EXPECT_EQ(list(), link(1, "újra"));
    std::filesystem::rename(dbpath, dbpath + ".away");
    activate();
    EXPECT_EQ(script.shown().size(), 2u) << "a failure after a success is shown again";
    std::filesystem::rename(dbpath + ".away", dbpath);
}

// The list read at creation is not read again by the first activation unless the database changed since,
// by this program or by another: whatever changed in between is listed all the same.
TEST_F(ListWindowTest, TheFirstActivationListsWhatChangedSinceTheListWasMade) {
    Tzkpldm other(testenvironment(folder, clock));
    other.DataModuleCreate();
    struct Case {
        const char* meanwhile;
        std::function<void()> change;
        std::string listed;
    };
    const Case cases[] = {
        {"nothing", [] {}, ""},
        {"another writer saved",
         [&] {
             other.savejegyzet(-1, {"máshonnan", "x"});
         },
         link(1, "máshonnan")},
        {"this program saved",
         [&] {
             store->savejegyzet(-1, {"innen", "y"});
         },
         link(1, "máshonnan") + link(2, "innen")},
        {"another writer deleted", [&] { other.deletejegyzet(1); }, link(2, "innen")},
    };
    for (const Case& c : cases) {
        form = std::make_unique<TForm2>(std::make_unique<RecordingShell>(tray));
        form->FormCreate();
        c.change();
        for (int activation = 0; activation < 2; ++activation) {
            QEvent event(pinlet::ProgramActivation::activateEvent());
            QApplication::sendEvent(form.get(), &event);
            EXPECT_EQ(list(), c.listed) << c.meanwhile << ", activation " << activation;
        }
    }
}

TEST_F(ListWindowTest, NamesWithMarkupStayInTheirRowsInEveryListAndInTheTrayMenu) {
    struct Case {
        std::string name;
        std::string row; // the name's part of its list row
        QString caption; // its tray menu item
    };
    std::vector<Case> cases = {
        {"<zene> lista", "&lt;zene> lista", "<zene> lista"},
        {"a < b", "a &lt; b", "a < b"},
        {"Tom & Jerry", "Tom &amp; Jerry", "Tom && Jerry"},
        {"Lap\tfül", "Lap\tfül", "Lap fül"},
        {"<b></b>", "", ""},
    };
    std::string rows;
    for (Case& c : cases) {
        const std::int32_t id = store->savejegyzet(-1, {c.name, "x"});
        if (c.row.empty()) {
            c.row = std::to_string(id) + ". jegyzet";
            c.caption = QString::fromStdString(c.row);
        }
        rows += link(id, c.row);
        click(std::to_string(id));
    }
    form->showitems();
    EXPECT_EQ(list(), rows);
    form->btn_removeClick();
    EXPECT_EQ(list(), TForm2::kRemoveHeader.toStdString() + rows);
    click("cancel");

    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return std::all_of(store->openforms.begin(), store->openforms.end(),
                               [](TForm1* w) { return w->loaded(); });
        },
        5000));
    form->PopupMenu1Popup();
    for (std::size_t i = 0; i < cases.size(); ++i)
        EXPECT_EQ(form->PopupMenu1().actions()[int(i)]->text(), cases[i].caption) << cases[i].name;

    runsql("UPDATE jegyzetek SET torolve=1");
    form->Trltjegyzetek1Click();
    EXPECT_EQ(list(), TForm2::kRestoreHeader.toStdString() + "<br>" + rows);
}

// A compaction saves what every open window holds, then closes the windows of the notes it purges: a
// purged note never comes back when its window would have closed or the program ended.
TEST_F(ListWindowTest, ACompactionSavesTheOpenNotesAndClosesTheWindowsOfThePurgedOnes) {
    const std::int32_t kept = store->savejegyzet(-1, {"marad", "x"});
    const std::int32_t gone = store->savejegyzet(-1, {"megy", "y"});
    click(std::to_string(kept));
    click(std::to_string(gone));
    ASSERT_TRUE(QTest::qWaitFor([&] { return window(kept)->loaded() && window(gone)->loaded(); }, 5000));
    const QPointer<TForm1> purged = window(gone);
    QTest::keyClicks(window(kept)->findChild<QPlainTextEdit*>("Memo1"), "+");
    QTest::keyClicks(purged->findChild<QPlainTextEdit*>("Memo1"), "-");

    form->btn_removeClick();
    {
        pinlet::DialogScript script;
        script.setNextAnswer(6);
        click(std::to_string(gone));
    }
    // Saving the window of a deleted note keeps the note deleted.
    purged->Image1Click();
    EXPECT_EQ(deletedmark(gone), "1");
    EXPECT_EQ(store->getjegyzet(gone).jegyzet, "-y");

    form->MiniHtmlPopup1().setWorkAreaSource([] { return QRect(0, 0, 800, 600); });
    {
        pinlet::DialogScript script;
        script.setNextAnswer(6);
        form->mrts1Click();
    }
    EXPECT_EQ(store->getjegyzet(kept).jegyzet, "+x") << "saved before the compaction";
    EXPECT_EQ(window(gone), nullptr);
    EXPECT_TRUE(QTest::qWaitFor([&] { return purged.isNull(); }, 3000)) << "its window is closed";

    // Whatever ends the rest, the purged note stays gone.
    window(kept)->Image2Click();
    pinlet::ExitSave::saveopennotes(*store);
    EXPECT_EQ(query("SELECT group_concat(id || ':' || nev) FROM jegyzetek"), std::to_string(kept) + ":marad");
}

namespace {

// Starting at login as a shared record: the state the menu reads and what switching it did.
struct AutostartRecord {
    pinlet::Autostart::State state = pinlet::Autostart::State::Off;
    bool supported = true;
    bool failing = false;
    QStringList calls;
};

class RecordingAutostart : public pinlet::Autostart {
public:
    explicit RecordingAutostart(std::shared_ptr<AutostartRecord> record) : record_(std::move(record)) {}
    bool supported() const override { return record_->supported; }
    State state() const override { return record_->state; }
    bool broken() const override { return record_->state == State::Broken; }
    void enable() override { apply(QStringLiteral("enable"), State::On); }
    void disable() override { apply(QStringLiteral("disable"), State::Off); }

private:
    void apply(const QString& call, State state) {
        record_->calls << call;
        if (record_->failing)
            throw std::runtime_error("Az automatikus indítás bejegyzése nem írható");
        record_->state = state;
    }
    std::shared_ptr<AutostartRecord> record_;
};

} // namespace

TEST_F(ListWindowTest, TheLoginItemShowsTheRealStateAboveTheSeparatorAndSwitchesIt) {
    using State = pinlet::Autostart::State;
    const auto record = std::make_shared<AutostartRecord>();
    const auto captions = [&] {
        form->PopupMenu1Popup();
        QStringList result;
        for (const QAction* item : form->PopupMenu1().actions())
            result << (item->isSeparator() ? QStringLiteral("-") : item->text());
        return result;
    };
    const auto item = [&] { return form->PopupMenu1().findChild<QAction*>(QStringLiteral("Autostart1")); };

    EXPECT_EQ(captions().size(), 6) << "without an autostart the menu has no such item";
    form->setautostart(std::make_unique<RecordingAutostart>(record));
    EXPECT_EQ(captions(), QStringList({"Törölt jegyzetek", "Tömörítés", "Biztonsági mentések", "Exportálás…",
                                       "Indítás bejelentkezéskor", "-", "Pinlet bezárása"}));

    pinlet::DialogScript script;
    struct Case {
        State before;
        bool failing;
        QString call;      // what a click on the item asks for
        bool checkedafter; // as the menu shows it next time
    } const cases[] = {
        {State::Off, false, "enable", true},
        {State::On, false, "disable", false},
        {State::Broken, false, "enable", true}, // an entry pointing nowhere does not count as on
        {State::Off, true, "enable", false},    // a failure is shown and the mark stays as it really is
    };
    for (const Case& c : cases) {
        record->state = c.before;
        record->failing = c.failing;
        record->calls.clear();
        captions();
        ASSERT_NE(item(), nullptr);
        EXPECT_TRUE(item()->isCheckable());
        EXPECT_EQ(item()->isChecked(), c.before == State::On);
        item()->trigger();
        EXPECT_EQ(record->calls, QStringList{c.call});
        captions();
        EXPECT_EQ(item()->isChecked(), c.checkedafter);
    }
    ASSERT_EQ(script.shown().size(), 1u);
    EXPECT_EQ(script.shown()[0].kind, pinlet::DialogKind::Failure);

    record->supported = false;
    EXPECT_EQ(captions().size(), 6) << "where the platform has no autostart the item is not offered";
}

TEST(ListWindowPlace, BottomRightInsideTheWorkAreaWhereverTheTaskbarIs) {
    const QSize size(612, 285);
    struct {
        QRect workArea;
        QPoint expected;
    } const cases[] = {
        {{0, 0, 1024, 738}, {408, 449}},      // a 30-pixel taskbar at the bottom
        {{60, 0, 964, 768}, {408, 479}},      // at the left: the height is not the taskbar's
        {{0, 0, 964, 768}, {348, 479}},       // at the right
        {{0, 30, 1024, 738}, {408, 479}},     // at the top
        {{1024, 0, 1280, 1024}, {1688, 735}}, // a primary screen right of another
    };
    for (const auto& c : cases)
        EXPECT_EQ(listwindowposition(c.workArea, size), c.expected)
            << c.workArea.x() << "," << c.workArea.y();
}

TEST_F(ListWindowTest, LongNamesAreCutShortInTheMenuWithTheWholeNameInTheTooltip) {
    const QString longName = QString(250, QLatin1Char('n')) + QStringLiteral("vége!");
    const QString longAmpersands = QStringLiteral("Tom & Jerry ") + QString(243, QLatin1Char('x'));
    const struct {
        QString name;
        bool cut;
    } names[] = {{QStringLiteral("Bevásárlás"), false},
                 {QStringLiteral("Tom & Jerry"), false},
                 {longName, true},
                 {longAmpersands, true}};
    for (const auto& n : names) {
        const std::int32_t id = store->savejegyzet(-1, {n.name.toStdString(), "x"});
        form->openjegyzet(id);
        ASSERT_TRUE(QTest::qWaitFor([&] { return window(id) && window(id)->loaded(); }, 5000));
    }
    form->PopupMenu1Popup();
    const QList<QAction*> items = form->PopupMenu1().actions();
    const QFontMetrics metrics(form->PopupMenu1().font());
    for (std::size_t i = 0; i < std::size(names); ++i) {
        const QAction* item = items.at(qsizetype(i));
        QString shown = item->text();
        shown.replace(QStringLiteral("&&"), QStringLiteral("&"));
        EXPECT_LE(metrics.horizontalAdvance(shown), metrics.averageCharWidth() * 40) << i;
        if (names[i].cut) {
            EXPECT_TRUE(shown.endsWith(QChar(0x2026))) << i;
            EXPECT_TRUE(item->toolTip().contains(names[i].name.toHtmlEscaped())) << i;
        } else {
            EXPECT_EQ(shown, names[i].name);
            EXPECT_FALSE(item->toolTip().contains(QStringLiteral("<p>"))) << i << ": no tooltip of its own";
        }
    }
}

TEST_F(ListWindowTest, ADoubleClickOnANameOpensTheNoteWithoutTheReopenHint) {
    const std::int32_t id = store->savejegyzet(-1, {"Első", "szöveg"});
    form->show();
    const auto activateList = [&] {
        form->activateWindow();
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return pinlet::ProgramActivation::current() == form.get(); }, 5000));
    };
    const auto hinted = [&] {
        const TMiniHtmlPopupWindow* notice = form->MiniHtmlPopup1().PopupWindow();
        return notice && notice->isVisible() && notice->html() == TForm1::kReopenHint.toStdString();
    };
    for (const bool twice : {true, false}) {
        SCOPED_TRACE(twice ? "a double-click" : "a click, then the list");
        click(std::to_string(id)); // the first press opens the note, which takes the activation
        ASSERT_TRUE(QTest::qWaitFor([&] { return window(id) && window(id)->loaded(); }, 5000));
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return pinlet::ProgramActivation::current() == window(id); }, 5000));
        activateList(); // the second press lands on the list
        if (twice)
            click(std::to_string(id));
        const bool shown = QTest::qWaitFor(hinted, QApplication::doubleClickInterval() + 1000);
        EXPECT_EQ(shown, !twice);
        if (TMiniHtmlPopupWindow* notice = form->MiniHtmlPopup1().PopupWindow())
            notice->hide();
        delete window(id);
        activateList();
    }
}

TEST_F(ListWindowTest, ShowingPlacesTheWindowInTheWorkAreasCornerAgain) {
    const QPoint corner =
        listwindowposition(QGuiApplication::primaryScreen()->availableGeometry(), form->size());
    EXPECT_EQ(form->pos(), corner);
    form->show();
    form->move(10, 10); // the work area changed while it was away, or it was left elsewhere
    form->Image2Click();
    form->bringup();
    EXPECT_EQ(form->pos(), corner);
}
