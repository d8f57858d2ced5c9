// The daily copy, the copies' menu and the export, as the list window drives them.

#include "store/storefixture.h"

#include "controls/MiniHtmlPopup.h"
#include "shell/dialogs.h"
#include "store/Backups.h"
#include "windows/NoteBackups.h"
#include "windows/listwindow_support.h"
#include "windows/rootform_unit.h"

#include <QAction>
#include <QMenu>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

class NoteBackupsTest : public StoreTest {
protected:
    void SetUp() override {
        StoreTest::SetUp();
        zkpldm = store.get();
        backups = std::make_unique<TNoteBackups>(&owner, [this](const QString& text) { notices << text; });
        backups->today = [this] { return date; };
    }
    void TearDown() override {
        backups.reset();
        zkpldm = nullptr;
    }

    fs::path copy(const QDate& day) const {
        return fs::path(backuppath(store->dbdir, {day.year(), day.month(), day.day()}));
    }
    QStringList captions() {
        backups->fillmenu();
        QStringList result;
        for (const QAction* item : backups->copiesmenu().actions())
            result << item->text() + (item->isEnabled() ? "" : " [ki]");
        return result;
    }

    QWidget owner;
    std::unique_ptr<TNoteBackups> backups;
    QDate date{2026, 12, 9};
    QStringList notices;
};

TEST_F(NoteBackupsTest, OneCopyADayAndAFailureSaidOnce) {
    store->savejegyzet(-1, {"a", "1"});
    backups->dailybackup();
    ASSERT_TRUE(fs::is_regular_file(copy(date)));
    fs::remove(copy(date));
    backups->dailybackup();
    EXPECT_FALSE(fs::exists(copy(date))) << "a second copy the same day";

    // A store sequence under way (a save's failure box, a setting sequence): no copy until it ends.
    date = date.addDays(1);
    store->getsetup("x");
    backups->dailybackup();
    EXPECT_FALSE(fs::exists(copy(date)));
    store->closedb();
    backups->dailybackup();
    EXPECT_TRUE(fs::is_regular_file(copy(date)));

    // A copy of the day from an earlier run is the day's copy.
    date = date.addDays(1);
    writefile(copy(date).string(), "earlier");
    backups->dailybackup();
    std::ifstream earlier(copy(date));
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(earlier), {}), "earlier");

    // A failure: said once, tried again the next day.
    date = date.addDays(1);
    fs::rename(backupfolder(store->dbdir), backupfolder(store->dbdir) + ".away");
    writefile(backupfolder(store->dbdir), "a file");
    backups->dailybackup();
    backups->dailybackup();
    ASSERT_EQ(notices.size(), 1);
    EXPECT_TRUE(notices[0].startsWith("A biztonsági mentés nem sikerült: Cannot create file"))
        << notices[0].toStdString();
    fs::remove(backupfolder(store->dbdir));
    date = date.addDays(1);
    backups->dailybackup();
    EXPECT_TRUE(fs::is_regular_file(copy(date)));
    EXPECT_EQ(notices.size(), 1);
}

TEST_F(NoteBackupsTest, TheMenuListsTheCopiesAndAChoiceAsksThenBringsNotesBack) {
    EXPECT_EQ(captions(), QStringList{"Még nincs mentés. [ki]"});
    const std::int32_t changed = store->savejegyzet(-1, {"Bevásárlás", "tej"});
    const std::int32_t lost = store->savejegyzet(-1, {"Ötlet", "x"});
    store->savejegyzet(-1, {"Marad", "y"});
    backups->backupnow();
    date = date.addDays(1);
    writefile(copy(date).string(), "no database");
    store->savejegyzet(changed, {"Bevásárlás", "kenyér"});
    store->deletejegyzet(lost);
    EXPECT_EQ(captions(),
              QStringList({"2026-12-10 (sérült, nem használható) [ki]", "2026-12-09 (3 jegyzet)"}));

    QAction* choice = backups->copiesmenu().actions().at(1);
    {
        pinlet::DialogScript script;
        script.setNextAnswer(7);
        choice->trigger();
        ASSERT_EQ(script.shown().size(), 1u);
        EXPECT_EQ(
            script.shown()[0].text,
            "A 2026-12-09 napi mentésben 3 jegyzet van; ebből 1 ma hiányzik, 1 azóta megváltozott. Ezek új "
            "jegyzetként kerülnek vissza, a mostani jegyzetek nem változnak. Folytatja?");
    }
    EXPECT_EQ(store->listjegyzetek(false).size(), 2u) << "a No brought notes back";
    pinlet::DialogScript script;
    script.setNextAnswer(6);
    choice->trigger();
    std::vector<std::string> names;
    for (const Tlistednote& note : store->listjegyzetek(false))
        names.push_back(note.nev);
    EXPECT_EQ(names, (std::vector<std::string>{"Bevásárlás", "Marad", "Bevásárlás (2026-12-09)", "Ötlet"}));
    EXPECT_EQ(notices.back(), "2 jegyzet visszakerült a 2026-12-09 napi mentésből.");

    // Chosen again: nothing to bring, nothing asked.
    backups->fillmenu();
    backups->copiesmenu().actions().at(1)->trigger();
    EXPECT_EQ(script.shown().size(), 1u);
    EXPECT_EQ(notices.back(), "A 2026-12-09 napi mentés minden jegyzete megvan, nincs mit visszahozni.");
}

TEST_F(NoteBackupsTest, ExportGoesWhereTheDialogSays) {
    store->savejegyzet(-1, {"a:b", "szöveg"});
    backups->choosefolder = [](QWidget*) { return QString(); };
    backups->exportnotes();
    EXPECT_TRUE(notices.isEmpty()) << "a cancelled dialog exported";

    const std::string target = folder.file("ki");
    fs::create_directory(fs::path(target));
    backups->choosefolder = [&](QWidget* parent) {
        EXPECT_EQ(parent, &owner);
        return QString::fromStdString(target);
    };
    backups->exportnotes();
    const fs::path written = fs::path(target) / "Pinlet jegyzetek 2026-12-09";
    EXPECT_TRUE(fs::is_regular_file(written / "a_b.txt"));
    EXPECT_TRUE(fs::is_regular_file(written / "Összes jegyzet.md"));
    ASSERT_EQ(notices.size(), 1);
    EXPECT_TRUE(notices[0].startsWith("1 jegyzet exportálva ide: ")) << notices[0].toStdString();
}

TEST_F(NoteBackupsTest, CompactionKeepsWhatItRemovesInACopyAndStopsWithoutOne) {
    TForm2 form(std::make_unique<NoTray>());
    form.backups().today = [this] { return date; };
    form.MiniHtmlPopup1().setWorkAreaSource([] { return QRect(0, 0, 800, 600); });
    form.PopupMenu1Popup();
    EXPECT_TRUE(form.PopupMenu1().actions().contains(form.backups().copiesmenu().menuAction()));

    const std::int32_t gone = store->savejegyzet(-1, {"törölt", "x"});
    store->deletejegyzet(gone);
    writefile(backupfolder(store->dbdir), "a file");
    {
        pinlet::DialogScript script;
        script.setNextAnswer(6);
        try {
            form.mrts1Click();
            ADD_FAILURE() << "compacted without a copy";
        } catch (const std::runtime_error& failure) {
            EXPECT_EQ(std::string(failure.what()).rfind(TForm2::kCompactNoBackup.toStdString(), 0), 0u);
        }
    }
    EXPECT_EQ(query("SELECT count(*) FROM jegyzetek"), "1");
    EXPECT_TRUE(form.findChild<QTimer*>("Timer1")->isActive());

    fs::remove(backupfolder(store->dbdir));
    pinlet::DialogScript script;
    script.setNextAnswer(6);
    form.mrts1Click();
    EXPECT_EQ(query("SELECT count(*) FROM jegyzetek"), "0");
    EXPECT_EQ(queryone(copy(date).string(), "SELECT nev FROM jegyzetek"), "törölt");
}
