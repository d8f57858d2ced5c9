// Compaction removes the notes marked deleted for good and shrinks the file, all at once or not at all.

#include "storefixture.h"

#include "db/DbError.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <random>

#ifndef _WIN32
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

std::string filebytes(const std::string& path) {
    std::ifstream file(std::filesystem::path(std::u8string(path.begin(), path.end())), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

std::string bigtext(int seed) {
    std::string text;
    for (int i = 0; text.size() < 150000; ++i)
        text += "sor " + std::to_string(seed * 100000 + i) + " őű\r\n";
    return text;
}

// Three live notes, two deleted ones that take most of the file, and a setting.
struct Filled {
    std::vector<std::int32_t> live;
    std::vector<std::int32_t> deleted;
};

Filled fill(Tzkpldm& store) {
    Filled notes;
    for (int i = 0; i < 5; ++i) {
        const std::int32_t id = store.savejegyzet(-1, {"jegyzet " + std::to_string(i), bigtext(i)});
        (i % 2 ? notes.deleted : notes.live).push_back(id);
    }
    for (const std::int32_t id : notes.deleted)
        store.deletejegyzet(id);
    store.setsetup("j_1_top", "120");
    store.closedb();
    return notes;
}

} // namespace

class CompactionTest : public StoreTest {};

TEST_F(CompactionTest, RemovesExactlyTheDeletedNotesAndShrinksTheFile) {
    const Filled notes = fill(*store);
    // The newest note is deleted: its id must not come back for a new note, or that note would inherit
    // the old one's window geometry.
    const std::int32_t newest = store->savejegyzet(-1, {"utolsó", bigtext(9)});
    store->deletejegyzet(newest);
    EXPECT_EQ(store->deletedcount(), 3);
    EXPECT_FALSE(store->db.connected());
    const auto before = std::filesystem::file_size(dbpath);

    store->changed = 0;
    store->compactdb();
    EXPECT_FALSE(store->db.connected());
    EXPECT_EQ(store->changed, 1);
    EXPECT_LT(std::filesystem::file_size(dbpath) + 400000, before);
    EXPECT_FALSE(std::filesystem::exists(dbpath + ".tmp"));
    EXPECT_FALSE(std::filesystem::exists(dbpath + "-journal"));

    EXPECT_EQ(query("PRAGMA integrity_check"), "ok");
    EXPECT_EQ(store->deletedcount(), 0);
    EXPECT_EQ(query("SELECT count(*) FROM jegyzetek"), "3");
    for (const std::int32_t id : notes.live) {
        const Tjegyzet note = store->getjegyzet(id);
        EXPECT_EQ(note.nev, "jegyzet " + std::to_string(id - 1));
        EXPECT_EQ(note.jegyzet, bigtext(id - 1));
    }
    EXPECT_EQ(store->getjegyzet(notes.deleted[0]).nev, "");
    EXPECT_EQ(store->getsetup("j_1_top"), "120");
    store->closedb();
    EXPECT_EQ(store->savejegyzet(-1, {"új", "új"}), newest + 1);

    // Nothing to remove: still a clean compaction.
    store->compactdb();
    EXPECT_EQ(query("SELECT count(*) FROM jegyzetek"), "4");
}

TEST_F(CompactionTest, AFailureLeavesTheFileAsItWas) {
    fill(*store);
    const std::string original = filebytes(dbpath);

    // The last step, writing the compact pages back, cannot get the file: another connection is writing.
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(dbpath.c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    store->changed = 0;
    try {
        store->compactdb();
        ADD_FAILURE() << "compaction under a foreign write lock succeeded";
    } catch (const sqldb::Error& failure) {
        EXPECT_NE(std::string(failure.what()).find("locked"), std::string::npos) << failure.what();
        EXPECT_NE(std::string(failure.what()).find(dbpath), std::string::npos) << failure.what();
    }
    EXPECT_EQ(store->changed, 0);
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    store->closedb();
    EXPECT_EQ(filebytes(dbpath), original);
    EXPECT_FALSE(std::filesystem::exists(dbpath + ".tmp"));

    // The first step cannot write its copy where a folder stands in the way.
    std::filesystem::create_directories(dbpath + ".tmp/x");
    EXPECT_THROW(store->compactdb(), sqldb::Error);
    store->closedb();
    EXPECT_EQ(filebytes(dbpath), original);
    std::filesystem::remove_all(dbpath + ".tmp");

    // A copy and a journal left by a crashed compaction are scratch, not data.
    writefile(dbpath + ".tmp", "left over");
    writefile(dbpath + ".tmp-journal", "left over");
    store->compactdb();
    EXPECT_EQ(store->deletedcount(), 0);
    EXPECT_EQ(query("PRAGMA integrity_check"), "ok");
    EXPECT_FALSE(std::filesystem::exists(dbpath + ".tmp-journal"));
}

#ifndef _WIN32

TEST_F(CompactionTest, KilledAnywhereLeavesTheOldOrTheNewFileWhole) {
    store.reset();
    std::mt19937 random(20261209);
    std::chrono::microseconds duration{0};
    int sawold = 0;
    int sawnew = 0;
    int narrowed = 0;
    for (int round = 0; round < 20; ++round) {
        // Every round starts from a new file of the same size, so that one timing fits all of them.
        std::filesystem::remove(dbpath);
        Filled notes;
        int deletedbefore = 0;
        {
            Tzkpldm setup(testenvironment(folder));
            setup.DataModuleCreate();
            notes = fill(setup);
            deletedbefore = setup.deletedcount();
        }
        int signal[2];
        ASSERT_EQ(::pipe(signal), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(signal[0]);
            try {
                Tzkpldm compacting(testenvironment(folder));
                compacting.DataModuleCreate();
                (void)!::write(signal[1], "S", 1);
                compacting.compactdb();
                (void)!::write(signal[1], "D", 1);
            } catch (...) {
                ::_exit(1);
            }
            ::_exit(0);
        }
        ::close(signal[1]);
        char mark = 0;
        ASSERT_EQ(::read(signal[0], &mark, 1), 1);
        const auto started = std::chrono::steady_clock::now();
        if (round == 0) {
            // Times one compaction, so that the kills below fall inside one, and some after it.
            ASSERT_EQ(::read(signal[0], &mark, 1), 1);
            duration = std::chrono::duration_cast<std::chrono::microseconds>(
                std::chrono::steady_clock::now() - started);
        }
        // Within twice the timed compaction; narrowed while no kill has come before the change, since a
        // first compaction slowed by a busy machine would put nearly every kill after it.
        const auto jitter = std::chrono::microseconds((random() % (duration.count() * 2 + 1)) >> narrowed);
        while (std::chrono::steady_clock::now() - started < jitter) {
        }
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        ::close(signal[0]);
        ASSERT_TRUE(WIFSIGNALED(status) || (WIFEXITED(status) && WEXITSTATUS(status) == 0));

        // A read-write connection rolls back what a killed writer left, as the program's next one would.
        Tzkpldm after(testenvironment(folder));
        after.DataModuleCreate();
        ASSERT_EQ(query("PRAGMA integrity_check"), "ok") << "round " << round;
        for (const std::int32_t id : notes.live) {
            const Tjegyzet note = after.getjegyzet(id);
            ASSERT_EQ(note.jegyzet, bigtext(std::stoi(note.nev.substr(8)))) << "round " << round;
        }
        const int left = after.deletedcount();
        ASSERT_TRUE(left == 0 || left == deletedbefore) << "round " << round << ": " << left;
        (left ? sawold : sawnew)++;
        if (round > 0 && sawold == 0)
            narrowed = std::min(narrowed + 1, 30);
    }
    // The kills must have hit both sides of the change for the test to mean anything.
    EXPECT_GT(sawold, 0);
    EXPECT_GT(sawnew, 0);
}

#endif
