// What the store must survive: a process killed in the middle of a save, two processes saving at once, a
// database that cannot grow, a journal that cannot be written.

#include "storefixture.h"

#include "db/DbError.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <random>
#include <set>

#ifndef _WIN32
#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

// Each note written here carries its own check: the name gives a token and a version, and the text is a
// function of both, of varying length (up to a few pages, so that some notes span overflow pages).
std::string notename(long token, int version) {
    return "n" + std::to_string(token) + "v" + std::to_string(version);
}

std::string notetext(long token, int version) {
    const std::size_t length = static_cast<std::size_t>((token * 7919 + version * 104729) % 9000);
    std::string text = "jegyzet " + std::to_string(token) + "/" + std::to_string(version) + " őű\r\n";
    while (text.size() < length)
        text += static_cast<char>('a' + (text.size() * 31 + static_cast<std::size_t>(version)) % 26);
    return text;
}

bool parsename(const std::string& name, long& token, int& version) {
    return std::sscanf(name.c_str(), "n%ldv%d", &token, &version) == 2 && name == notename(token, version);
}

struct Note {
    std::string nev;
    std::string jegyzet;
};

// Every note of the file, read with the engine's own API through a read-write connection, which rolls
// back a journal that a killed writer left behind, as the store's next connection would.
std::map<int, Note> readall(const std::string& path, std::string& integrity) {
    std::map<int, Note> notes;
    sqlite3* handle = nullptr;
    if (sqlite3_open_v2(path.c_str(), &handle, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        integrity = "cannot open";
        sqlite3_close(handle);
        return notes;
    }
    sqlite3_busy_timeout(handle, 5000);
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(handle, "PRAGMA integrity_check", -1, &statement, nullptr);
    integrity = sqlite3_step(statement) == SQLITE_ROW
                    ? reinterpret_cast<const char*>(sqlite3_column_text(statement, 0))
                    : sqlite3_errmsg(handle);
    sqlite3_finalize(statement);
    sqlite3_prepare_v2(handle, "SELECT id, nev, jegyzet FROM jegyzetek", -1, &statement, nullptr);
    while (sqlite3_step(statement) == SQLITE_ROW) {
        Note note;
        const auto* nev = reinterpret_cast<const char*>(sqlite3_column_text(statement, 1));
        const auto* jegyzet = reinterpret_cast<const char*>(sqlite3_column_text(statement, 2));
        note.nev = nev ? nev : "";
        note.jegyzet = jegyzet ? jegyzet : "";
        notes[sqlite3_column_int(statement, 0)] = note;
    }
    sqlite3_finalize(statement);
    sqlite3_close(handle);
    return notes;
}

std::string failuremessage(const std::function<void()>& action) {
    try {
        action();
    } catch (const std::exception& error) {
        return error.what();
    }
    return "<no failure>";
}

#ifndef _WIN32

// Writes a whole line to the pipe; an acknowledgement is sent only after the save has returned.
void sendline(int fd, const std::string& line) {
    std::size_t written = 0;
    while (written < line.size()) {
        const ssize_t n = ::write(fd, line.data() + written, line.size() - written);
        if (n <= 0)
            _exit(3);
        written += static_cast<std::size_t>(n);
    }
}

// The child of the crash test: saves new notes and updates old ones until it is killed.
[[noreturn]] void savingchild(const TestFolder& folder, int out, unsigned seed) {
    try {
        Tzkpldm store(testenvironment(folder));
        store.DataModuleCreate();
        std::mt19937 random(seed);
        int lastid = 0;
        for (long n = 0;; ++n) {
            const long token = static_cast<long>(seed % 100000) * 100000 + n;
            if (lastid == 0 || random() % 3 == 0) {
                const std::int32_t id = store.savejegyzet(-1, {notename(token, 0), notetext(token, 0)});
                lastid = std::max(lastid, id);
                sendline(out, "C " + std::to_string(id) + " " + std::to_string(token) + " 0\n");
            } else {
                const std::int32_t id =
                    static_cast<std::int32_t>(1 + random() % static_cast<unsigned>(lastid));
                const Tjegyzet old = store.getjegyzet(id);
                long oldtoken = 0;
                int version = 0;
                if (!parsename(old.nev, oldtoken, version))
                    continue;
                store.savejegyzet(id, {notename(oldtoken, version + 1), notetext(oldtoken, version + 1)});
                sendline(out, "U " + std::to_string(id) + " " + std::to_string(oldtoken) + " " +
                                  std::to_string(version + 1) + "\n");
            }
        }
    } catch (const std::exception& error) {
        sendline(out, std::string("E ") + error.what() + "\n");
    }
    _exit(1);
}

#endif

} // namespace

#ifndef _WIN32

TEST(StoreReliability, KilledWhileSavingLosesNothingAcknowledged) {
    TestFolder folder;
    const std::string path = folder.file("docs/pinlet.db");
    {
        Tzkpldm store(testenvironment(folder));
        store.DataModuleCreate();
    }
    std::mt19937 random(20261209);
    std::map<int, std::pair<long, int>> acknowledged; // id -> token, version
    const int kills = 200;
    const auto started = std::chrono::steady_clock::now();
    for (int round = 0; round < kills; ++round) {
        int pipefd[2];
        ASSERT_EQ(::pipe(pipefd), 0);
        const unsigned seed = static_cast<unsigned>(random());
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(pipefd[0]);
            savingchild(folder, pipefd[1], seed);
        }
        ::close(pipefd[1]);
        FILE* acks = ::fdopen(pipefd[0], "r");
        ASSERT_NE(acks, nullptr);

        // Let the child acknowledge a random number of saves, then kill it at a random point of the next.
        const int wanted = static_cast<int>(random() % 4);
        char line[512];
        for (int got = 0; got < wanted && std::fgets(line, sizeof line, acks); ++got) {
            char kind = 0;
            int id = 0;
            long token = 0;
            int version = 0;
            ASSERT_EQ(std::sscanf(line, "%c %d %ld %d", &kind, &id, &token, &version), 4) << line;
            std::pair<long, int>& known = acknowledged[id];
            if (kind == 'C' || version > known.second)
                known = {token, version};
        }
        const auto jitter = std::chrono::microseconds(random() % 4000);
        for (const auto from = std::chrono::steady_clock::now();
             std::chrono::steady_clock::now() - from < jitter;) {
        }
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        std::fclose(acks);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "the child ended on its own";

        std::string integrity;
        const std::map<int, Note> notes = readall(path, integrity);
        ASSERT_EQ(integrity, "ok") << "after kill " << round;
        for (const auto& [id, note] : notes) {
            long token = 0;
            int version = 0;
            ASSERT_TRUE(parsename(note.nev, token, version)) << "note " << id << " name " << note.nev;
            ASSERT_EQ(note.jegyzet, notetext(token, version)) << "note " << id << " is torn";
        }
        for (const auto& [id, known] : acknowledged) {
            const auto found = notes.find(id);
            ASSERT_NE(found, notes.end()) << "acknowledged note " << id << " is gone";
            long token = 0;
            int version = 0;
            parsename(found->second.nev, token, version);
            EXPECT_EQ(token, known.first) << "note " << id;
            // The save in flight at the kill may have landed too, but never anything older.
            EXPECT_GE(version, known.second) << "note " << id << " lost an acknowledged update";
        }
    }
    EXPECT_GT(acknowledged.size(), 20u);
    // Two hundred starts and kills take seconds; minutes mean saves that hang, not a busy machine.
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(240));
}

TEST(StoreReliability, TwoProcessesSavingAtOnceEachLand) {
    TestFolder folder;
    {
        Tzkpldm store(testenvironment(folder));
        store.DataModuleCreate();
    }
    const int perchild = 30;
    int start[2];
    ASSERT_EQ(::pipe(start), 0);
    pid_t children[2];
    FILE* results[2];
    for (int c = 0; c < 2; ++c) {
        int out[2];
        ASSERT_EQ(::pipe(out), 0);
        children[c] = ::fork();
        ASSERT_GE(children[c], 0);
        if (children[c] == 0) {
            ::close(out[0]);
            ::close(start[1]);
            char go = 0;
            (void)!::read(start[0], &go, 1); // returns when the parent closes its end
            try {
                Tzkpldm store(testenvironment(folder));
                store.DataModuleCreate();
                for (int i = 0; i < perchild; ++i) {
                    const long token = (c + 1) * 1000 + i;
                    const std::int32_t id = store.savejegyzet(-1, {notename(token, 0), notetext(token, 0)});
                    sendline(out[1], std::to_string(id) + " " + std::to_string(token) + "\n");
                }
            } catch (const std::exception& error) {
                sendline(out[1], std::string("E ") + error.what() + "\n");
                _exit(1);
            }
            _exit(0);
        }
        ::close(out[1]);
        results[c] = ::fdopen(out[0], "r");
    }
    ::close(start[0]);
    ::close(start[1]); // both go

    std::set<int> ids;
    std::map<int, long> tokens;
    for (int c = 0; c < 2; ++c) {
        char line[512];
        int previous = 0;
        int count = 0;
        while (std::fgets(line, sizeof line, results[c])) {
            int id = 0;
            long token = 0;
            ASSERT_EQ(std::sscanf(line, "%d %ld", &id, &token), 2) << line;
            EXPECT_GT(id, previous) << "ids of one process must increase";
            previous = id;
            EXPECT_TRUE(ids.insert(id).second) << "id " << id << " given twice";
            tokens[id] = token;
            ++count;
        }
        std::fclose(results[c]);
        int status = 0;
        ::waitpid(children[c], &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "child " << c << " failed";
        EXPECT_EQ(count, perchild);
    }
    std::string integrity;
    const std::map<int, Note> notes = readall(folder.file("docs/pinlet.db"), integrity);
    EXPECT_EQ(integrity, "ok");
    EXPECT_EQ(notes.size(), static_cast<std::size_t>(2 * perchild));
    for (const auto& [id, token] : tokens) {
        ASSERT_TRUE(notes.count(id));
        EXPECT_EQ(notes.at(id).nev, notename(token, 0));
        EXPECT_EQ(notes.at(id).jegyzet, notetext(token, 0));
    }
}

// Runs the save into a read-only folder and says what came of it: the failure's message (or
// "<no failure>") and whether the change flag was raised.
std::string saveintoreadonlyfolder(const TestFolder& folder, std::int32_t& id) {
    Tzkpldm store(testenvironment(folder));
    store.DataModuleCreate();
    id = store.savejegyzet(-1, {"korábbi", "megmarad"});
    ::chmod(folder.file("docs").c_str(), 0555);
    store.changed = 0;
    // No journal can be made beside the file: the write fails and says so.
    std::string failure = failuremessage([&] { store.savejegyzet(-1, {"új", "új"}); });
    store.closedb();
    return failure + (store.changed ? " [changed]" : "");
}

TEST(StoreReliability, AReadOnlyFolderReportsItsFailureAndSavesNothing) {
    TestFolder folder;
    std::int32_t id = 0;
    std::string outcome;
    if (::geteuid() != 0) {
        outcome = saveintoreadonlyfolder(folder, id);
    } else {
        // The superuser ignores permissions, so the save runs in a child that has given up its privileges
        // and owns the test folder, as a user's own documents folder would be.
        constexpr uid_t kNobody = 65534;
        ASSERT_EQ(::chown(folder.text().c_str(), kNobody, kNobody), 0);
        int channel[2];
        ASSERT_EQ(::pipe(channel), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(channel[0]);
            if (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)
                ::_exit(3);
            std::string text;
            try {
                text = saveintoreadonlyfolder(folder, id);
            } catch (const std::exception& failure) {
                text = std::string("<set-up failed> ") + failure.what();
            }
            text = std::to_string(id) + "\n" + text;
            const bool written = ::write(channel[1], text.data(), text.size()) == ssize_t(text.size());
            ::_exit(written ? 0 : 4);
        }
        ::close(channel[1]);
        std::string text;
        char buffer[512];
        for (ssize_t got; (got = ::read(channel[0], buffer, sizeof buffer)) > 0;)
            text.append(buffer, std::size_t(got));
        ::close(channel[0]);
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "child status " << status;
        const std::size_t newline = text.find('\n');
        ASSERT_NE(newline, std::string::npos) << text;
        id = std::int32_t(std::stol(text.substr(0, newline)));
        outcome = text.substr(newline + 1);
    }
    ::chmod(folder.file("docs").c_str(), 0755);

    EXPECT_NE(outcome.find("readonly"), std::string::npos) << outcome;
    EXPECT_NE(outcome.find(folder.file("docs/pinlet.db")), std::string::npos)
        << "names the file: " << outcome;
    EXPECT_EQ(outcome.find("[changed]"), std::string::npos) << "a failed save raised the change flag";
    std::string integrity;
    const auto notes = readall(folder.file("docs/pinlet.db"), integrity);
    EXPECT_EQ(integrity, "ok");
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes.at(id).jegyzet, "megmarad");
}

#endif

TEST(StoreReliability, ADatabaseThatCannotGrowFailsTheSaveAndKeepsEarlierNotes) {
    TestFolder folder;
    Tzkpldm store(testenvironment(folder));
    store.DataModuleCreate();
    for (int i = 0; i < 3; ++i)
        store.savejegyzet(-1, {notename(i, 0), notetext(i, 0)});

    // The limit holds for the connection it is set on; the save then runs on that connection.
    store.opendb();
    store.sql.settext("PRAGMA max_page_count = 1"); // never below the current size: stops all growth
    store.sql.execute();
    store.changed = 0;
    const std::string big(1 << 20, 'x');
    const std::string failure = failuremessage([&] { store.savejegyzet(-1, {"nagy", big}); });
    EXPECT_NE(failure.find("database or disk is full"), std::string::npos) << failure;
    EXPECT_NE(failure.find(store.db.databasename()), std::string::npos) << failure;
    EXPECT_EQ(store.changed, 0);
    EXPECT_TRUE(store.db.connected()); // nothing is caught or tidied: the next operation starts here
    EXPECT_NE(failuremessage([&] {
                  store.savejegyzet(2, {"nagy", big});
              }).find("database or disk is full"),
              std::string::npos);
    // Room again on the same connection: the next save writes its own note and nothing of the failed ones.
    store.sql.settext("PRAGMA max_page_count = 1000000");
    store.sql.execute();
    EXPECT_EQ(store.savejegyzet(-1, {"kicsi", "k"}), 4);
    EXPECT_EQ(store.getjegyzet(2).nev, notename(1, 0));

    std::string integrity;
    const auto notes = readall(store.db.databasename(), integrity);
    EXPECT_EQ(integrity, "ok");
    ASSERT_EQ(notes.size(), 4u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(notes.at(i + 1).nev, notename(i, 0));
        EXPECT_EQ(notes.at(i + 1).jegyzet, notetext(i, 0));
    }
    EXPECT_EQ(notes.at(4).nev, "kicsi");
}

TEST(StoreReliability, AJournalThatCannotBeWrittenFailsTheSave) {
    TestFolder folder;
    Tzkpldm store(testenvironment(folder));
    store.DataModuleCreate();
    const std::int32_t id = store.savejegyzet(-1, {"korábbi", "megmarad"});
    // A folder where the journal must go: no write can start, for any user.
    const std::filesystem::path journal = folder.path() / "docs" / "pinlet.db-journal";
    std::filesystem::create_directory(journal);
    store.changed = 0;
    EXPECT_NE(failuremessage([&] { store.savejegyzet(-1, {"új", "új"}); }), "<no failure>");
    EXPECT_NE(failuremessage([&] { store.savejegyzet(id, {"más", "más"}); }), "<no failure>");
    EXPECT_EQ(store.changed, 0);
    store.closedb();
    std::filesystem::remove(journal);
    std::string integrity;
    const auto notes = readall(store.db.databasename(), integrity);
    EXPECT_EQ(integrity, "ok");
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes.at(id).jegyzet, "megmarad");
}
