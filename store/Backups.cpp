#include "store/Backups.h"

#include "db/DatabaseCopy.h"
#include "store/FileMessages.h"
#include "store/zkpldm_unit.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <set>
#include <stdexcept>
#include <system_error>

namespace {

namespace fs = std::filesystem;

#ifdef _WIN32
constexpr char separator = '\\';
#else
constexpr char separator = '/';
#endif

fs::path fspath(const std::string& utf8) {
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string utf8(const fs::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::chrono::sys_days days(const Tdate& date) {
    return std::chrono::year_month_day(std::chrono::year(date.year),
                                       std::chrono::month(static_cast<unsigned>(date.month)),
                                       std::chrono::day(static_cast<unsigned>(date.day)));
}

// The Monday that starts the date's week.
std::chrono::sys_days weekstart(const Tdate& date) {
    const std::chrono::sys_days day = days(date);
    const unsigned sincemonday = (std::chrono::weekday(day).c_encoding() + 6) % 7;
    return day - std::chrono::days(sincemonday);
}

constexpr std::size_t keptnewest = 7;
constexpr long keptweeks = 8;

// Scratch copies left by a run that did not finish: "pinlet-YYYY-MM-DD.db.<anything>.tmp".
bool leftover(const std::string& name) {
    const std::string tail = ".tmp";
    return name.size() > 21 + tail.size() &&
           name.compare(name.size() - tail.size(), tail.size(), tail) == 0 &&
           backupdate(name.substr(0, 20)).has_value() && name[20] == '.';
}

} // namespace

std::string Tdate::totext() const {
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", year % 10000, month % 100, day % 100);
    return text;
}

std::optional<Tdate> Tdate::fromtext(const std::string& text) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-')
        return std::nullopt;
    for (const std::size_t i : {0, 1, 2, 3, 5, 6, 8, 9})
        if (text[i] < '0' || text[i] > '9')
            return std::nullopt;
    const Tdate date{std::stoi(text.substr(0, 4)), std::stoi(text.substr(5, 2)),
                     std::stoi(text.substr(8, 2))};
    const std::chrono::year_month_day check(std::chrono::year(date.year),
                                            std::chrono::month(static_cast<unsigned>(date.month)),
                                            std::chrono::day(static_cast<unsigned>(date.day)));
    if (!check.ok())
        return std::nullopt;
    return date;
}

std::string backupfolder(const std::string& databasefolder) {
    return databasefolder + separator + "pinlet-mentesek";
}

std::string backupfilename(const Tdate& date) {
    return "pinlet-" + date.totext() + ".db";
}

std::string backuppath(const std::string& databasefolder, const Tdate& date) {
    return backupfolder(databasefolder) + separator + backupfilename(date);
}

std::optional<Tdate> backupdate(const std::string& filename) {
    if (filename.size() != 20 || filename.rfind("pinlet-", 0) != 0 || filename.compare(17, 3, ".db") != 0)
        return std::nullopt;
    return Tdate::fromtext(filename.substr(7, 10));
}

std::vector<Tdate> backupstoremove(std::vector<Tdate> copies, const Tdate& today) {
    std::sort(copies.begin(), copies.end(), std::greater<>());
    copies.erase(std::unique(copies.begin(), copies.end()), copies.end());
    const std::chrono::sys_days thisweek = weekstart(today);
    std::set<long> weeks; // the weeks that already keep a copy, counted back from today's
    std::vector<Tdate> removed;
    for (std::size_t i = 0; i < copies.size(); ++i) {
        const long week = (thisweek - weekstart(copies[i])).count() / 7;
        const bool weekly = week >= 0 && week < keptweeks && weeks.insert(week).second;
        if (i >= keptnewest && !weekly && copies[i] != today)
            removed.push_back(copies[i]);
    }
    return removed;
}

std::vector<Tbackupcopy> listbackups(const std::string& folder) {
    std::vector<Tbackupcopy> copies;
    std::error_code error;
    for (fs::directory_iterator entry(fspath(folder), error), end; !error && entry != end;
         entry.increment(error)) {
        const std::optional<Tdate> date = backupdate(utf8(entry->path().filename()));
        if (!date)
            continue;
        Tbackupcopy copy{*date, utf8(entry->path()), 0, {}};
        try {
            sqldb::ReadOnlyDatabase file(copy.path);
            copy.problem = file.problems();
            if (copy.problem.empty())
                file.select(
                    "SELECT count(*) FROM jegyzetek WHERE torolve IS NOT 1",
                    [&copy](const std::vector<std::string>& row) { copy.notes = std::stoi(row.at(0)); });
        } catch (const std::exception& failure) {
            copy.problem = failure.what();
        }
        copies.push_back(std::move(copy));
    }
    std::sort(copies.begin(), copies.end(),
              [](const Tbackupcopy& a, const Tbackupcopy& b) { return a.date > b.date; });
    return copies;
}

std::string takebackup(const Tzkpldm& store, const Tdate& today) {
    const std::string database = store.db.databasename();
    if (database.empty())
        throw std::runtime_error("There is no database file to copy.");
    const std::string folder = backupfolder(store.dbdir);
    const std::string target = backuppath(store.dbdir, today);
    std::error_code error;
    fs::create_directory(fspath(folder), error);
    if (error || !fs::is_directory(fspath(folder)))
        throw std::runtime_error(cannotcreatefilemessage(
            target, error ? error.message() : "\"" + folder + "\" is a file, not a folder."));
    try {
        sqldb::backupdatabase(database, target);
    } catch (const sqldb::Error& failure) {
        throw std::runtime_error(cannotcreatefilemessage(target, failure.what()));
    }

    std::vector<Tdate> dates;
    std::vector<fs::path> scratch;
    for (fs::directory_iterator entry(fspath(folder), error), end; !error && entry != end;
         entry.increment(error)) {
        const std::string name = utf8(entry->path().filename());
        if (const std::optional<Tdate> date = backupdate(name))
            dates.push_back(*date);
        else if (leftover(name) && name.rfind(backupfilename(today), 0) != 0)
            scratch.push_back(entry->path());
    }
    for (const Tdate& date : backupstoremove(dates, today))
        fs::remove(fspath(folder + separator + backupfilename(date)), error);
    for (const fs::path& path : scratch)
        fs::remove(path, error);
    return target;
}
