// Bringing notes in from another database file: nothing here is changed, nothing there is lost, and
// bringing the same file in twice brings nothing the second time.

#include "storefixture.h"

#include "store/Backups.h"
#include "store/NoteMerge.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

std::string notes(const std::string& path) {
    return queryone(path,
                    "SELECT group_concat(id || ':' || nev || '=' || jegyzet || ':' || torolve, ' | ') FROM "
                    "(SELECT * FROM jegyzetek ORDER BY id)");
}

} // namespace

class NoteMergeTest : public StoreTest {};

TEST_F(NoteMergeTest, RestoreKeepsEveryNoteWrittenSinceAndBringsTheRestBack) {
    const std::int32_t edited = store->savejegyzet(-1, {"Bevásárlás", "tej"});
    const std::int32_t deleted = store->savejegyzet(-1, {"Ötletek", "a\r\nb"});
    const std::int32_t same = store->savejegyzet(-1, {"Marad", "ugyanaz"});
    const std::int32_t compacted = store->savejegyzet(-1, {"", "névtelen"});
    const std::int32_t olddeleted = store->savejegyzet(-1, {"Régen törölt", "x"});
    store->deletejegyzet(olddeleted);
    const std::string copy = takebackup(*store, {2026, 12, 9});

    // Since the copy: a note edited, one deleted, one deleted and compacted away, one new.
    store->savejegyzet(edited, {"Bevásárlás", "tej, kenyér"});
    store->deletejegyzet(deleted);
    store->deletejegyzet(compacted);
    store->compactdb();
    const std::int32_t added = store->savejegyzet(-1, {"Új", "azóta írt"});
    const std::string before = notes(dbpath);

    const Tnotemerge plan = planmergenotes(*store, copy, "2026-12-09");
    EXPECT_EQ(notes(dbpath), before) << "planning wrote";
    EXPECT_EQ(plan.notes, 4);
    EXPECT_EQ(plan.changedcount(), 1);
    EXPECT_EQ(plan.missingcount(), 2);
    store->changed = 0;
    const std::vector<std::int32_t> ids = bringnotesin(*store, plan);
    ASSERT_EQ(ids.size(), 3u);
    EXPECT_EQ(store->changed, 1);
    EXPECT_FALSE(store->db.connected());

    // Everything that was here is here unchanged; the copy's notes follow as new notes in its order.
    EXPECT_EQ(notes(dbpath).substr(0, before.size()), before);
    EXPECT_GT(ids[0], added);
    const auto note = [&](std::int32_t id) {
        const Tjegyzet j = store->getjegyzet(id);
        return j.nev + "=" + j.jegyzet;
    };
    EXPECT_EQ(note(ids[0]), "Bevásárlás (2026-12-09)=tej");
    EXPECT_EQ(note(ids[1]), "Ötletek=a\r\nb");
    EXPECT_EQ(note(ids[2]), "=névtelen");
    EXPECT_EQ(note(same), "Marad=ugyanaz");

    // Again: everything is here now.
    EXPECT_TRUE(planmergenotes(*store, copy, "2026-12-09").incoming.empty());
}

TEST_F(NoteMergeTest, NamesFitTheColumnAndAlikeNotesComeOnce) {
    const std::string longname(300, 'n');
    const std::string labelled = labellednotename(longname, "2026-12-09");
    EXPECT_EQ(labelled, std::string(242, 'n') + " (2026-12-09)");
    EXPECT_EQ(labellednotename("ő", "x"), "ő (x)");
    EXPECT_EQ(labellednotename(std::string(254, 'a') + "ő", "2026-12-09"),
              std::string(242, 'a') + " (2026-12-09)");

    const std::int32_t id = store->savejegyzet(-1, {longname, "régi"});
    store->savejegyzet(-1, {"iker", "ugyanaz"});
    store->savejegyzet(-1, {"iker", "ugyanaz"});
    const std::string copy = takebackup(*store, {2026, 12, 9});
    store->savejegyzet(id, {longname, "új"});
    for (const Tlistednote& note : store->listjegyzetek(false))
        if (note.nev == "iker")
            store->deletejegyzet(note.id);

    Tnotemerge plan = planmergenotes(*store, copy, "2026-12-09");
    ASSERT_EQ(plan.incoming.size(), 2u);
    EXPECT_EQ(plan.incoming[0].jegyzet.nev, labelled);
    EXPECT_EQ(plan.incoming[1].jegyzet.nev, "iker");
    bringnotesin(*store, plan);
    EXPECT_TRUE(planmergenotes(*store, copy, "2026-12-09").incoming.empty()) << "a long name came back twice";
}

TEST_F(NoteMergeTest, AFileThatCannotBeTrustedBringsNothing) {
    store->savejegyzet(-1, {"a", "1"});
    const std::string copy = takebackup(*store, {2026, 12, 9});
    const std::string before = notes(dbpath);
    std::ifstream file(copy, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(file), {}};
    // A damaged page, half a file, no database, an empty file (a database without notes).
    for (const std::string& content :
         {bytes.substr(0, 4096) + std::string(4096, '\x33') + bytes.substr(8192),
          bytes.substr(0, bytes.size() / 2), std::string("text"), std::string()}) {
        writefile(copy, content);
        EXPECT_THROW(planmergenotes(*store, copy, "x"), std::runtime_error) << content.size();
    }
    EXPECT_THROW(planmergenotes(*store, copy + ".missing", "x"), std::runtime_error);
    EXPECT_EQ(notes(dbpath), before);
}
