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

Tdate day(const char* text) {
    return *Tdate::fromtext(text);
}

std::vector<Tdate> days(std::initializer_list<const char*> texts) {
    std::vector<Tdate> result;
    for (const char* text : texts)
        result.push_back(day(text));
    return result;
}

std::vector<Tdate> range(const char* first, int count, int step = 1) {
    std::vector<Tdate> result;
    const Tdate start = day(first);
    for (int i = 0; i < count; ++i) {
        const auto date = std::chrono::sys_days(std::chrono::year_month_day(
                              std::chrono::year(start.year), std::chrono::month(unsigned(start.month)),
                              std::chrono::day(unsigned(start.day)))) +
                          std::chrono::days(i * step);
        const std::chrono::year_month_day ymd(date);
        result.push_back({int(ymd.year()), int(unsigned(ymd.month())), int(unsigned(ymd.day()))});
    }
    return result;
}

std::string texts(std::vector<Tdate> dates) {
    std::sort(dates.begin(), dates.end());
    std::string result;
    for (const Tdate& date : dates)
        result += (result.empty() ? "" : " ") + date.totext();
    return result;
}

std::string bytesof(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

std::vector<std::string> names(const fs::path& folder) {
    std::vector<std::string> result;
    std::error_code error;
    for (fs::directory_iterator entry(folder, error), end; !error && entry != end; entry.increment(error))
        result.push_back(entry->path().filename().string());
    std::sort(result.begin(), result.end());
    return result;
}

} // namespace

TEST(BackupRotation, KeepsTheSevenNewestAndOnePerWeekForEightWeeks) {
    // 2026-12-10 is a Thursday; its week began on Monday 2026-12-07.
    struct Case {
        const char* what;
        std::vector<Tdate> copies;
        const char* today;
        const char* removed;
    } cases[] = {
        {"fewer than seven", days({"2026-12-01", "2026-12-09", "2026-12-10"}), "2026-12-10", ""},
        {"ten days in a row: the week of 11-30 keeps 12-06", range("2026-12-01", 10), "2026-12-10",
         "2026-12-01 2026-12-02 2026-12-03"},
        {"a long pause keeps the last seven", range("2026-01-01", 10), "2026-12-10",
         "2026-01-01 2026-01-02 2026-01-03"},
        {"Sundays: the last eight weeks stay (10-25 is the seventh week back), older go",
         [] {
             std::vector<Tdate> copies = range("2026-09-06", 14, 7); // Sundays up to 12-06
             copies.push_back(day("2026-12-10"));
             return copies;
         }(),
         "2026-12-10", "2026-09-06 2026-09-13 2026-09-20 2026-09-27 2026-10-04 2026-10-11 2026-10-18"},
        {"two old copies in one week: the newer stays",
         days({"2026-11-02", "2026-11-04", "2026-12-04", "2026-12-05", "2026-12-06", "2026-12-07",
               "2026-12-08", "2026-12-09", "2026-12-10"}),
         "2026-12-10", "2026-11-02"},
        {"a copy dated after today (the clock went back) is among the newest",
         [] {
             std::vector<Tdate> copies = range("2026-11-20", 10);
             copies.push_back(day("2027-03-01"));
             return copies;
         }(),
         "2026-11-29", "2026-11-20 2026-11-21 2026-11-23"}, // 11-23 shares today's week with 11-29
        {"the clock went back behind a week of copies: today's stays", range("2026-12-01", 9), "2026-12-01",
         "2026-12-02"},
        {"the same day twice counts once", days({"2026-12-10", "2026-12-10"}), "2026-12-10", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(texts(backupstoremove(c.copies, day(c.today))), c.removed) << c.what;
}

TEST(BackupRotation, ACopyTheRuleKeepsLaterWasNeverRemovedBefore) {
    // A year of daily runs with gaps: whatever is kept on a day was there the day before.
    std::vector<Tdate> kept;
    const std::vector<Tdate> year = range("2026-01-01", 365);
    for (std::size_t i = 0; i < year.size(); ++i) {
        if (i % 11 == 3 || i % 17 == 5)
            continue; // the program did not run that day
        std::vector<Tdate> before = kept;
        kept.push_back(year[i]);
        for (const Tdate& gone : backupstoremove(kept, year[i]))
            std::erase(kept, gone);
        for (const Tdate& date : kept)
            ASSERT_TRUE(date == year[i] || std::find(before.begin(), before.end(), date) != before.end());
        ASSERT_LE(kept.size(), 15u) << year[i].totext();
    }
    // Each of the last eight weeks holds a copy.
    const auto monday = [](const Tdate& date) {
        const std::chrono::sys_days d = std::chrono::year_month_day(std::chrono::year(date.year),
                                                                    std::chrono::month(unsigned(date.month)),
                                                                    std::chrono::day(unsigned(date.day)));
        return d - std::chrono::days((std::chrono::weekday(d).c_encoding() + 6) % 7);
    };
    for (int week = 0; week < 8; ++week)
        EXPECT_TRUE(std::any_of(kept.begin(), kept.end(),
                                [&](const Tdate& date) {
                                    return monday(date) == monday(year.back()) - std::chrono::days(7 * week);
                                }))
            << "week " << week;
}

TEST(BackupNames, DatesAndFileNames) {
    EXPECT_EQ(backupfilename(day("2026-03-07")), "pinlet-2026-03-07.db");
    EXPECT_EQ(backupdate("pinlet-2026-03-07.db"), day("2026-03-07"));
    for (const char* other :
         {"pinlet-2026-02-30.db", "pinlet-2026-3-07.db", "pinlet-2026-03-07.db.1-0.tmp", "pinlet.db",
          "Pinlet-2026-03-07.db", "pinlet-2026-03-07.sqlite", "pinlet-20x6-03-07.db"})
        EXPECT_FALSE(backupdate(other).has_value()) << other;
}

class BackupTest : public StoreTest {
protected:
    fs::path copies() const { return fs::path(backupfolder(store->dbdir)); }
    fs::path copy(const char* date) const { return fs::path(backuppath(store->dbdir, day(date))); }
    std::string copied(const char* date, const std::string& text) const {
        return queryone(copy(date).string(), text);
    }
};

TEST_F(BackupTest, ACopyHoldsTheNotesAndOldCopiesGo) {
    store->savejegyzet(-1, {"első", "a"});
    const std::int32_t gone = store->savejegyzet(-1, {"törölt", "b"});
    store->deletejegyzet(gone);
    EXPECT_EQ(takebackup(*store, day("2026-12-10")), copy("2026-12-10").string());
    EXPECT_EQ(copied("2026-12-10", "SELECT group_concat(nev) FROM jegyzetek"), "első,törölt");
    EXPECT_EQ(copied("2026-12-10", "PRAGMA journal_mode"), "delete") << "a copy is an ordinary database";

    // Old copies and a scratch file of an unfinished run; the day's copy is taken again, not doubled. The
    // six newest old copies stay; 10-14 and older lie past the eighth week back.
    for (const Tdate& date : range("2026-10-01", 20))
        fs::copy_file(copy("2026-12-10"), backuppath(store->dbdir, date));
    writefile((copies() / "pinlet-2026-11-01.db.77-0.tmp").string(), "half");
    writefile((copies() / "jegyzetek.txt").string(), "mine");
    store->savejegyzet(-1, {"második", "c"});
    takebackup(*store, day("2026-12-10"));
    EXPECT_EQ(copied("2026-12-10", "SELECT count(*) FROM jegyzetek"), "3");
    EXPECT_EQ(names(copies()), (std::vector<std::string>{"jegyzetek.txt", "pinlet-2026-10-15.db",
                                                         "pinlet-2026-10-16.db", "pinlet-2026-10-17.db",
                                                         "pinlet-2026-10-18.db", "pinlet-2026-10-19.db",
                                                         "pinlet-2026-10-20.db", "pinlet-2026-12-10.db"}));
}

TEST_F(BackupTest, ADamagedCopyIsNeverListedAsGood) {
    store->savejegyzet(-1, {"a", "1"});
    const std::int32_t gone = store->savejegyzet(-1, {"b", "2"});
    store->savejegyzet(-1, {"c", "3"});
    store->deletejegyzet(gone);
    takebackup(*store, day("2026-12-10"));
    const std::string good = bytesof(copy("2026-12-10"));
    ASSERT_GT(good.size(), 4 * 4096u);

    struct Case {
        const char* date;
        std::function<void(const fs::path&)> damage;
    } cases[] = {
        {"2026-12-01", [&](const fs::path& p) { writefile(p.string(), good.substr(0, good.size() / 2)); }},
        {"2026-12-02",
         [&](const fs::path& p) {
             std::string bytes = good;
             std::fill(bytes.begin() + 4096, bytes.begin() + 8192, '\0'); // a whole b-tree page gone
             writefile(p.string(), bytes);
         }},
        {"2026-12-03",
         [&](const fs::path& p) {
             std::string bytes = good;
             bytes.replace(0, 16, "no database here");
             writefile(p.string(), bytes);
         }},
        {"2026-12-04", [&](const fs::path& p) { writefile(p.string(), ""); }},
        {"2026-12-05",
         [&](const fs::path& p) {
             sqlite3* handle = nullptr;
             sqlite3_open(p.string().c_str(), &handle);
             sqlite3_exec(handle, "CREATE TABLE other(x)", nullptr, nullptr, nullptr);
             sqlite3_close(handle);
         }},
        {"2026-12-06", [&](const fs::path& p) { fs::create_directory(p); }},
    };
    for (const Case& c : cases)
        c.damage(copy(c.date));
    const std::vector<Tbackupcopy> listed = listbackups(copies().string());
    ASSERT_EQ(listed.size(), 7u);
    EXPECT_EQ(listed[0].date, day("2026-12-10"));
    EXPECT_TRUE(listed[0].good()) << listed[0].problem;
    EXPECT_EQ(listed[0].notes, 2) << "live notes only";
    for (std::size_t i = 1; i < listed.size(); ++i)
        EXPECT_FALSE(listed[i].good()) << listed[i].date.totext() << " listed as good";
    EXPECT_TRUE(listbackups(copies().string() + "-none").empty());
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
            const std::string insert = "BEGIN; INSERT INTO jegyzetek (nev, jegyzet) VALUES ('" +
                                       std::to_string(i) +
                                       "', hex(randomblob(2000))); UPDATE jegyzetek SET jegyzet='" +
                                       std::to_string(i) + "' WHERE id=1; COMMIT;";
            failures += sqlite3_exec(handle, insert.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK;
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
    int taken = 0;
    int status = 0;
    while (waitpid(writer, &status, WNOHANG) == 0) {
        const Tdate date{2026, 12, 1 + taken % 9};
        ASSERT_NO_THROW(takebackup(*store, date));
        const fs::path copy = backuppath(store->dbdir, date);
        // Every save is one transaction: a consistent copy holds notes 1 .. n and note 1 names the last.
        EXPECT_EQ(queryone(copy.string(), "PRAGMA integrity_check"), "ok");
        const std::string count = queryone(copy.string(), "SELECT count(*) FROM jegyzetek");
        EXPECT_EQ(queryone(copy.string(), "SELECT max(id) FROM jegyzetek"), count);
        EXPECT_EQ(queryone(copy.string(), "SELECT jegyzet FROM jegyzetek WHERE id=1"),
                  std::to_string(std::stoi(count) - 1));
        ++taken;
    }
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the writer was turned away";
    EXPECT_EQ(query("SELECT count(*) FROM jegyzetek"), "61");
    EXPECT_GT(taken, 0);
}
#endif

TEST_F(BackupTest, AFailureLeavesNothingUnderTheCopysNameAndTheDatabaseUntouched) {
    store->savejegyzet(-1, {"a", "1"});
    const std::string database = bytesof(dbpath);
    struct Case {
        const char* what;
        std::function<void()> arrange;
        std::function<void()> undo;
        bool asroot = true; // whether the fault holds for a process that may write anywhere
    } cases[] = {
        {"the copies' folder is a file", [&] { writefile(copies().string(), "not a folder"); },
         [&] { fs::remove(copies()); }},
        {"a folder stands under the copy's name", [&] { fs::create_directories(copy("2026-12-10") / "x"); },
         [&] { fs::remove_all(copy("2026-12-10")); }},
        {"the database cannot be read", [&] { fs::rename(dbpath, dbpath + ".away"); },
         [&] { fs::rename(dbpath + ".away", dbpath); }},
#ifndef _WIN32
        {"a read-only folder",
         [&] {
             fs::create_directory(copies());
             fs::permissions(copies(), fs::perms::owner_read | fs::perms::owner_exec);
         },
         [&] {
             fs::permissions(copies(), fs::perms::owner_all);
             fs::remove_all(copies());
         },
         false},
        {"a full disk",
         [&] {
             fs::create_directory(copies());
             std::signal(SIGXFSZ, SIG_IGN);
             rlimit limit{};
             getrlimit(RLIMIT_FSIZE, &limit);
             limit.rlim_cur = 8192; // the copy needs more than two pages
             setrlimit(RLIMIT_FSIZE, &limit);
         },
         [&] {
             rlimit limit{};
             getrlimit(RLIMIT_FSIZE, &limit);
             limit.rlim_cur = limit.rlim_max;
             setrlimit(RLIMIT_FSIZE, &limit);
             fs::remove_all(copies());
         }},
#endif
    };
    for (const Case& c : cases) {
#ifndef _WIN32
        if (!c.asroot && geteuid() == 0)
            continue; // permissions do not stop a superuser
#endif
        c.arrange();
        try {
            takebackup(*store, day("2026-12-10"));
            ADD_FAILURE() << c.what << ": no failure";
        } catch (const std::runtime_error& failure) {
            EXPECT_NE(std::string(failure.what()).find("pinlet-2026-12-10.db"), std::string::npos)
                << c.what << ": " << failure.what();
        }
        EXPECT_FALSE(fs::is_regular_file(copy("2026-12-10"))) << c.what;
        if (fs::is_directory(copies())) {
            for (const std::string& name : names(copies()))
                EXPECT_EQ(name.find(".tmp"), std::string::npos) << c.what << ": " << name;
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
    EXPECT_EQ(names(copies()), std::vector<std::string>{"pinlet-2026-12-10.db"});

    // No database at all.
    Tzkpldm empty(testenvironment(folder));
    EXPECT_THROW(takebackup(empty, day("2026-12-10")), std::runtime_error);
}
