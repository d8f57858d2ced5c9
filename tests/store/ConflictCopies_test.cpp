// Conflict copies beside the database: recognised by the names synchronising programs give them, and
// offered only when they hold notes.

#include "store/ConflictCopies.h"
#include "storefixture.h"

#include <gtest/gtest.h>

#include <filesystem>

TEST(ConflictCopies, NamesAsSynchronisingProgramsWriteThem) {
    const struct {
        const char* name;
        bool copy;
    } cases[] = {
        {"pinlet (Anna's conflicted copy 2026-12-10).db", true},
        {"pinlet (Conflicted Copy 2026-12-10 101010).db", true},
        {"pinlet.sync-conflict-20261210-101010-ABCDEFG.db", true},
        {"pinlet (Ütköző példány Anna gépéről).db", true},
        {"pinlet (ütköző példány).db", true},
        {"pinlet (Case Conflict).db", true},
        {"pinlet.db", false},
        {"pinlet.db-journal", false},
        {"pinlet (Anna's conflicted copy).db-journal", false}, // the copy's journal, never the copy
        {"pinlet (Anna's conflicted copy).txt", false},
        {"pinlet-2026-12-10.db", false}, // a backup is not a conflict
        {"conflicts.db", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(isconflictcopyname(c.name), c.copy) << c.name;
}

TEST_F(StoreTest, OnlyConflictCopiesHoldingNotesAreOffered) {
    const std::filesystem::path docs = folder.path() / "docs";
    std::filesystem::copy_file(dbpath, docs / "pinlet (conflicted copy).db");
    writefile(folder.file("docs/pinlet (conflicted copy 2).db"), "not a database");
    std::filesystem::create_directory(docs / "pinlet.sync-conflict-1.db"); // a folder, not a file
    std::filesystem::copy_file(dbpath, docs / "masolat.db");               // no conflict in its name
    const std::vector<std::string> copies = conflictcopies(folder.file("docs"));
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_EQ(copies[0], folder.file("docs/pinlet (conflicted copy).db"));
    EXPECT_TRUE(conflictcopies(folder.file("nincs ilyen")).empty());
}
