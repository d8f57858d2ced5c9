// The daily copies: the rotation rule, copies taken while another process writes, damaged copies, and
// failures that must leave nothing half-written.

#include "storefixture.h"

#include "store/Backups.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>

#ifndef _WIN32
#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

namespace fs = std::filesystem;
using std::chrono::sys_days;

Tdate day(const std::string& text) {
    return *Tdate::fromtext(text);
}

// `count` days from `first`, `step` days apart.
std::vector<Tdate> dates(const char* first, int count, int step = 1) {
    std::vector<Tdate> result;
    const Tdate d = day(first);
    for (int i = 0; i < count; ++i) {
        const std::chrono::year_month_day next(sys_days(std::chrono::year(d.year) / d.month / d.day) +
                                               std::chrono::days(i * step));
        result.push_back({int(next.year()), int(unsigned(next.month())), int(unsigned(next.day()))});
    }
    return result;
}

std::string texts(std::vector<Tdate> list) {
    std::sort(list.begin(), list.end());
    std::string result;
    for (const Tdate& date : list)
        result += (result.empty() ? "" : " ") + date.totext();
    return result;
}

std::string bytesof(const fs::path& path) {
    std::ostringstream bytes;
    bytes << std::ifstream(path, std::ios::binary).rdbuf();
    return bytes.str();
}

std::string names(const fs::path& folder) {
    std::vector<std::string> result;
    std::error_code error;
    for (fs::directory_iterator entry(folder, error), end; !error && entry != end; entry.increment(error))
        result.push_back(entry->path().filename().string());
    std::sort(result.begin(), result.end());
    std::string joined;
    for (const std::string& name : result)
        joined += name + " ";
    return joined;
}

} // namespace

TEST(BackupRotation, KeepsTheSevenNewestAndOnePerWeekForEightWeeks) {
    // 2026-12-10 is a Thursday; its week began on Monday 2026-12-07.
    std::vector<Tdate> sundays = dates("2026-09-06", 14, 7);
    sundays.push_back(day("2026-12-10"));
    std::vector<Tdate> ahead = dates("2026-11-20", 10);
    ahead.push_back(day("2027-03-01"));
    const struct {
        const char* what;
        std::vector<Tdate> copies;
        const char* today;
        const char* removed;
    } cases[] = {
        {"fewer than seven", {day("2026-12-01"), day("2026-12-10")}, "2026-12-10", ""},
        {"ten days: the week of 11-30 keeps 12-06", dates("2026-12-01", 10), "2026-12-10",
         "2026-12-01 2026-12-02 2026-12-03"},
        {"a long pause keeps the last seven", dates("2026-01-01", 10), "2026-12-10",
         "2026-01-01 2026-01-02 2026-01-03"},
        {"Sundays: eight weeks back (10-25 is the seventh) stay", sundays, "2026-12-10",
         "2026-09-06 2026-09-13 2026-09-20 2026-09-27 2026-10-04 2026-10-11 2026-10-18"},
        {"a copy dated ahead is among the newest; 11-23 shares today's week with 11-29", ahead, "2026-11-29",
         "2026-11-20 2026-11-21 2026-11-23"},
        {"the clock went back behind a week of copies: today's stays", dates("2026-12-01", 9), "2026-12-01",
         "2026-12-02"},
        {"the same day twice counts once", {day("2026-12-10"), day("2026-12-10")}, "2026-12-10", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(texts(backupstoremove(c.copies, day(c.today))), c.removed) << c.what;

    // A year of runs with gaps: nothing kept was removed before, and each of the last eight weeks has a copy.
    std::vector<Tdate> kept;
    const std::vector<Tdate> year = dates("2026-01-01", 365);
    for (std::size_t i = 0; i < year.size(); ++i) {
        if (i % 11 == 3 || i % 17 == 5)
            continue;
        const std::vector<Tdate> before = kept;
        kept.push_back(year[i]);
        for (const Tdate& gone : backupstoremove(kept, year[i]))
            std::erase(kept, gone);
        for (const Tdate& date : kept)
            ASSERT_TRUE(date == year[i] || std::find(before.begin(), before.end(), date) != before.end());
    }
    const auto week = [](const Tdate& d) {
        return (sys_days(std::chrono::year(d.year) / d.month / d.day).time_since_epoch().count() + 3) / 7;
    };
    for (int back = 0; back < 8; ++back)
        EXPECT_TRUE(std::any_of(kept.begin(), kept.end(), [&](const Tdate& d) {
            return week(d) == week(year.back()) - back;
        })) << back;

    EXPECT_EQ(backupdate("pinlet-2026-03-07.db"), day("2026-03-07"));
    for (const char* other :
         {"pinlet-2026-02-30.db", "pinlet-2026-3-07.db", "pinlet-2026-03-07.db.1-0.tmp", "pinlet.db"})
        EXPECT_FALSE(backupdate(other).has_value()) << other;
}

class BackupTest : public StoreTest {
protected:
    fs::path copies() const { return fs::path(backupfolder(store->dbdir)); }
    fs::path copy(const std::string& date) const { return fs::path(backuppath(store->dbdir, day(date))); }
};

TEST_F(BackupTest, ACopyHoldsTheNotesAndOldCopiesGo) {
    store->deletejegyzet(store->savejegyzet(-1, {"törölt", "b"}));
    EXPECT_EQ(takebackup(*store, day("2026-12-10")), copy("2026-12-10").string());
    EXPECT_EQ(queryone(copy("2026-12-10").string(), "SELECT nev || torolve FROM jegyzetek"), "törölt1");

    // Old copies, a scratch file of an unfinished run and a file of the user's; the day's copy is taken
    // again. The six newest old copies stay; 10-14 and older lie past the eighth week back.
    for (const Tdate& date : dates("2026-10-01", 20))
        fs::copy_file(copy("2026-12-10"), backuppath(store->dbdir, date));
    writefile((copies() / "pinlet-2026-11-01.db.77-0.tmp").string(), "half");
    writefile((copies() / "saját.txt").string(), "mine");
    store->savejegyzet(-1, {"második", "c"});
    takebackup(*store, day("2026-12-10"));
    EXPECT_EQ(queryone(copy("2026-12-10").string(), "SELECT count(*) FROM jegyzetek"), "2");
    EXPECT_EQ(names(copies()),
              "pinlet-2026-10-15.db pinlet-2026-10-16.db pinlet-2026-10-17.db pinlet-2026-10-18.db "
              "pinlet-2026-10-19.db pinlet-2026-10-20.db pinlet-2026-12-10.db saját.txt ");
}

TEST_F(BackupTest, ADamagedCopyIsNeverListedAsGood) {
    store->savejegyzet(-1, {"a", "1"});
    store->deletejegyzet(store->savejegyzet(-1, {"b", "2"}));
    takebackup(*store, day("2026-12-10"));
    const std::string good = bytesof(copy("2026-12-10"));
    ASSERT_GT(good.size(), 4 * 4096u);
    std::string zeroed = good;
    std::fill(zeroed.begin() + 4096, zeroed.begin() + 8192, '\0'); // a whole b-tree page gone
    writefile(copy("2026-12-01").string(), good.substr(0, good.size() / 2));
    writefile(copy("2026-12-02").string(), zeroed);
    writefile(copy("2026-12-03").string(), "no database here" + good.substr(16));
    writefile(copy("2026-12-04").string(), ""); // an empty database, with no notes table
    fs::create_directory(copy("2026-12-05"));
    const std::vector<Tbackupcopy> listed = listbackups(copies().string());
    ASSERT_EQ(listed.size(), 6u);
    EXPECT_TRUE(listed[0].good()) << listed[0].problem;
    EXPECT_EQ(listed[0].notes, 1) << "live notes only";
    for (std::size_t i = 1; i < listed.size(); ++i)
        EXPECT_FALSE(listed[i].good()) << listed[i].date.totext() << " listed as good";
    EXPECT_TRUE(listbackups(copies().string() + "-none").empty());

    // An earlier listing spares checking a copy again only while its file is unchanged.
    writefile(copy("2026-12-10").string(), good.substr(0, good.size() - 4096));
    EXPECT_FALSE(listbackups(copies().string(), listed)[0].good()) << "damaged since the last listing";
}

#ifndef _WIN32
TEST_F(BackupTest, ACopyTakenWhileAnotherProcessWritesIsOneMomentOfTheFile) {
    store->savejegyzet(-1, {"0", "kezdet"});
    int started[2];
    ASSERT_EQ(pipe(started), 0);
    const pid_t writer = fork();
    ASSERT_GE(writer, 0);
    if (writer == 0) {
        // A program that saves a note every few milliseconds, each save one transaction.
        sqlite3* handle = nullptr;
        int failures = sqlite3_open(dbpath.c_str(), &handle);
        sqlite3_busy_timeout(handle, 10000);
        for (int i = 1; i <= 60; ++i) {
            const std::string save = "BEGIN; INSERT INTO jegyzetek (nev, jegyzet) VALUES ('" +
                                     std::to_string(i) +
                                     "', hex(randomblob(2000))); UPDATE jegyzetek SET jegyzet='" +
                                     std::to_string(i) + "' WHERE id=1; COMMIT;";
            failures += sqlite3_exec(handle, save.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK;
            if (i == 1)
                failures += write(started[1], "!", 1) != 1;
            usleep(3000);
        }
        sqlite3_close(handle);
        _exit(failures == 0 ? 0 : 1);
    }
    close(started[1]);
    char signal = 0;
    ASSERT_EQ(read(started[0], &signal, 1), 1) << "the writer never wrote";
    close(started[0]);
    int status = 0;
    for (int taken = 0; waitpid(writer, &status, WNOHANG) == 0; ++taken) {
        const Tdate date{2026, 12, 1 + taken % 9};
        ASSERT_NO_THROW(takebackup(*store, date));
        // A consistent copy holds notes 1 .. n, and note 1 names the last one written.
        const std::string path = backuppath(store->dbdir, date);
        const std::string count = queryone(path, "SELECT count(*) FROM jegyzetek");
        EXPECT_EQ(queryone(path, "PRAGMA integrity_check"), "ok");
        EXPECT_EQ(
            queryone(path,
                     "SELECT max(id) || '|' || (SELECT jegyzet FROM jegyzetek WHERE id=1) FROM jegyzetek"),
            count + "|" + std::to_string(std::stoi(count) - 1));
    }
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the writer was turned away";
    EXPECT_EQ(query("SELECT count(*) FROM jegyzetek"), "61");
}
#endif

TEST_F(BackupTest, AFailureLeavesNothingUnderTheCopysNameAndTheDatabaseUntouched) {
    store->savejegyzet(-1, {"a", "1"});
    const std::string database = bytesof(dbpath);
    // A full disk: a limit on the size of files this process writes.
    const auto filesizelimit = [](bool limited) {
#ifdef _WIN32
        return false;
#else
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{};
        getrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = limited ? 8192 : limit.rlim_max; // the copy needs more than two pages
        setrlimit(RLIMIT_FSIZE, &limit);
        return limited;
#endif
    };
    const struct {
        const char* what;
        std::function<bool()> arrange; // false: the fault cannot be made here
        std::function<void()> undo;
    } cases[] = {
        {"the copies' folder is a file",
         [&] {
             writefile(copies().string(), "x");
             return true;
         },
         [&] { fs::remove(copies()); }},
        {"a folder under the copy's name", [&] { return fs::create_directories(copy("2026-12-10") / "x"); },
         [&] { fs::remove_all(copies()); }},
        {"no database",
         [&] {
             fs::rename(dbpath, dbpath + ".away");
             return true;
         },
         [&] { fs::rename(dbpath + ".away", dbpath); }},
        {"a full disk", [&] { return filesizelimit(true); },
         [&] {
             filesizelimit(false);
             fs::remove_all(copies());
         }},
#ifndef _WIN32
        {"a read-only folder",
         [&] {
             fs::create_directory(copies());
             fs::permissions(copies(), fs::perms::owner_read | fs::perms::owner_exec);
             return geteuid() != 0; // permissions do not stop a superuser
         },
         [&] {
             fs::permissions(copies(), fs::perms::owner_all);
             fs::remove_all(copies());
         }},
#endif
    };
    for (const auto& c : cases) {
        if (c.arrange()) {
            try {
                takebackup(*store, day("2026-12-10"));
                ADD_FAILURE() << c.what << ": no failure";
            } catch (const std::runtime_error& failure) {
                EXPECT_NE(std::string(failure.what()).find("pinlet-2026-12-10.db"), std::string::npos)
                    << failure.what();
            }
            EXPECT_FALSE(fs::is_regular_file(copy("2026-12-10"))) << c.what;
            EXPECT_EQ(names(copies()).find(".tmp"), std::string::npos) << c.what << ": " << names(copies());
        }
        c.undo();
        EXPECT_EQ(bytesof(dbpath), database) << c.what;
    }

    // A damaged database gives no copy, and the day's good copy stays as it was.
    takebackup(*store, day("2026-12-10"));
    const std::string good = bytesof(copy("2026-12-10"));
    std::string damaged = database;
    std::fill(damaged.begin() + 4096, damaged.begin() + 8192, '\x5A');
    writefile(dbpath, damaged);
    EXPECT_THROW(takebackup(*store, day("2026-12-10")), std::runtime_error);
    EXPECT_EQ(bytesof(copy("2026-12-10")), good);
    EXPECT_EQ(names(copies()), "pinlet-2026-12-10.db ");
}
