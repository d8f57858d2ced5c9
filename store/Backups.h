#pragma once
// The daily copies of the database file: where they live, which ones are kept, and what each one holds.
//
// The copies are the files pinlet-YYYY-MM-DD.db in the folder pinlet-mentesek beside pinlet.db, one per
// day at most. Each is written aside and takes its name only when complete and sound, so a file under a
// copy's name is always a whole copy, though the disk may have damaged it since; listing checks it again.

#include <compare>
#include <optional>
#include <string>
#include <vector>

class Tzkpldm;

// A calendar day.
struct Tdate {
    int year = 1970;
    int month = 1;
    int day = 1;

    // "YYYY-MM-DD"
    std::string totext() const;
    // Only a day that the calendar has: "2026-02-30" gives none.
    static std::optional<Tdate> fromtext(const std::string& text);
    auto operator<=>(const Tdate&) const = default;
};

// The copies' folder for a database folder.
std::string backupfolder(const std::string& databasefolder);
// "pinlet-YYYY-MM-DD.db"
std::string backupfilename(const Tdate& date);
// The day's copy in the copies' folder of a database folder.
std::string backuppath(const std::string& databasefolder, const Tdate& date);
// The day of a copy's file name; none for any other name.
std::optional<Tdate> backupdate(const std::string& filename);

// The copies to remove on `today`, out of those there are: kept are the seven newest copies, and the newest
// copy of each of the eight calendar weeks (Monday to Sunday) ending with today's week. A copy leaves the
// seven newest only after its week is over, so the copy a week keeps is never one removed before.
// Counting the newest copies rather than days means a long pause never empties the folder. Today's copy
// always stays, even when the clock went back behind newer ones.
std::vector<Tdate> backupstoremove(std::vector<Tdate> copies, const Tdate& today);

// A copy as the menu shows it.
struct Tbackupcopy {
    Tdate date;
    std::string path;
    int notes = 0;       // live notes in it
    std::string problem; // why it cannot be used; empty when it is sound
    bool good() const { return problem.empty(); }
};

// The copies in the folder, newest first, each checked with integrity_check and counted. A copy that fails
// the check, cannot be read, or is no database of this program is listed with its problem and never as
// good. A missing folder gives none. Never throws.
std::vector<Tbackupcopy> listbackups(const std::string& folder);

// Takes today's copy of the store's database file, replacing a copy of the same day, then removes the
// copies that the rotation no longer keeps (a file that will not go is tried again with the next copy).
// Makes the folder when it is missing. Returns the copy's path.
//
// Throws std::runtime_error naming the file and the reason: no database, a folder that cannot be made or
// is a file, a copy that cannot be written or fails its check. The database file is only read, and no
// file is left under the copy's name unless it is a whole, checked copy.
std::string takebackup(const Tzkpldm& store, const Tdate& today);
