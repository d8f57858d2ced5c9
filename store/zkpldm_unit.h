#pragma once
// The store object: the one way the program reaches its data, and the program's shared state.
//
// Failures are exceptions, and the store catches none: sqldb::Error from the engine (its message, with
// the database file's name), TEmbeddedStorageError from the template, std::runtime_error for files. After
// a failure the steps that follow it are not done; the connection may stay connected and a table open,
// and the next operation starts from there (connecting and opening do nothing for what already is).

#include "db/Connection.h"
#include "db/DateTime.h"
#include "db/FileStamp.h"
#include "db/Statement.h"
#include "db/Table.h"
#include "store/EmbeddedStorage.h"
#include "store/IniFile.h"
#include "store/NoteId.h"
#include "store/NoteIndex.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class TForm1; // a note window; the store lists them but never owns them

// A note as the windows see it. Text lines are joined with CR LF.
struct Tjegyzet {
    std::string nev;     // the name
    std::string jegyzet; // the text

    friend bool operator==(const Tjegyzet&, const Tjegyzet&) = default;
};

// A note as it stands in the database: what a window read, to tell at its next save whether anyone else
// (another process, another machine through a synchronised folder) changed it since.
struct Tnotestate {
    bool exists = false;  // false: no row with the id
    bool deleted = false; // marked deleted
    Tjegyzet jegyzet;

    friend bool operator==(const Tnotestate&, const Tnotestate&) = default;
};

// What a checked save found, and the note as it stands after it.
struct Tcheckedsave {
    bool saved = false; // false: the note differed from what was expected, and nothing was written
    Tnotestate current; // after a save: the saved note
};

// A note as the list shows it.
struct Tlistednote {
    std::int32_t id;
    std::string nev;
};

// What the store takes from its surroundings, so that it needs neither the GUI toolkit nor the real clock.
struct TStoreEnvironment {
    std::string exedir;                                       // the executable's folder, UTF-8
    std::function<std::string()> documentsfolder;             // the user's Documents folder, UTF-8
    std::function<sqldb::DateTime()> clock = sqldb::localnow; // local date and time for the notes' stamps
    bool fulltext = true; // false: the store's SQLite acts as one built without full-text search (FTS5)
};

class Tzkpldm {
public:
    // Fills storage1 with the built-in template; creates the shared lists (empty registry, the two banner
    // lines) so they exist whatever the bootstrap later does. Connects to nothing.
    explicit Tzkpldm(TStoreEnvironment environment);
    ~Tzkpldm(); // runs DataModuleDestroy; the windows in openforms are not touched
    Tzkpldm(const Tzkpldm&) = delete;
    Tzkpldm& operator=(const Tzkpldm&) = delete;

    // The bootstrap, run once at start-up: configuration, database folder, template, schema upgrade. Kept
    // apart from the constructor so the object exists, with its shared state, when the bootstrap fails.
    // A missing database file is made from the template (written aside and renamed into place only when
    // complete); an existing one is never replaced, whatever it holds.
    void DataModuleCreate();
    // The bootstrap in its two halves, for a start that must know the database before it touches it:
    // first the configuration, the database folder and the shared lists (no file is written or opened),
    // then the template, the connection's file and the schema upgrade.
    void readconfiguration();
    void preparedatabase();
    // Frees openforms (never the windows in it), banners and ini. Run by the destructor.
    void DataModuleDestroy();

    // Adds jegyzetek.jelzes when the table lacks it, also while another process does the same. Leaves the
    // connection closed.
    void updatedb();
    // Connects unless connected; the caller ends the sequence with closedb().
    void opendb();
    // If connected: flush, then disconnect (which closes every table and statement object).
    void closedb();
    // Connects unless connected, runs the one statement, disconnects without a flush.
    void runsql(const std::string& statement);

    // Saves a note: updates the note with the id, or creates one when there is none (callers pass -1).
    // Returns -1 after an update, else the new note's id. Sets changed. Leaves the connection closed.
    // A new note whose id would not be a note id (see isnoteid) is not written: std::runtime_error, and
    // the file stays as it was.
    std::int32_t savejegyzet(std::int32_t id, Tjegyzet jegyzet);
    // The note's name and text; both empty when there is no such note. Notes marked deleted read too.
    Tjegyzet getjegyzet(std::int32_t id);
    // The note as it stands, deleted or not, or not there at all. Connects, reads and disconnects.
    Tnotestate readjegyzet(std::int32_t id);
    // Saves name and text into the note only if it still stands as expected (as the caller last read or
    // saved it); otherwise writes nothing and hands back how it stands now. Read and write are one
    // transaction, so no other writer slips in between. The deletion mark is kept as it is. Sets changed
    // after a save. Leaves the connection closed.
    Tcheckedsave savejegyzetif(std::int32_t id, const Tnotestate& expected, const Tjegyzet& jegyzet);
    // Whether the database file changed since the last call: a commit by anyone (this program included) or
    // the file replaced. Sets changed when it did. Cheap enough for every tick of the list's timer.
    bool pollchanges();

    // Marks the note deleted (its row stays). Sets changed even when there is no such note.
    void deletejegyzet(std::int32_t id);
    // Takes the deletion mark off the note; nothing else of it changes, and a note that is not marked
    // deleted is not written. Sets changed even when there is no such note, as deletejegyzet does.
    void restorejegyzet(std::int32_t id);
    // The notes of the list in id order: the live ones, or those marked deleted. Rows whose id is no note
    // id are left out. Connects, reads and disconnects without a flush.
    std::vector<Tlistednote> listjegyzetek(bool deleted);
    // The same notes handed to visit one by one, the name only for the call: a long list is read without
    // a copy of every name.
    void eachlistednote(bool deleted,
                        const std::function<void(std::int32_t id, std::string_view nev)>& visit);
    // Writes / reads a setting; keys compare exactly. Both leave the connection and setup open until
    // closedb(). A missing key reads as the empty string.
    void setsetup(const std::string& key, const std::string& value);
    std::string getsetup(const std::string& key);

    // Removes the notes marked deleted for good and compacts the database file, as one atomic change of
    // the file: a failure leaves it as it was. Leaves the connection closed; sets changed.
    void compactdb();
    // How many notes are marked deleted: what compactdb() would remove. Leaves the connection closed.
    int deletedcount();

    // The notes whose name or text holds, for every word of the text, a word starting with it (case and
    // accents aside): the live ones, or those marked deleted; name matches first, then the best matches.
    // Connects, reads and disconnects (a stale index is rebuilt first). Throws sqldb::Error when search
    // is unavailable (see searchunavailable), or on the engine's failures.
    std::vector<Tfoundnote> keresjegyzetek(const std::string& text, bool deleted);
    // The same, the first `limit` notes only, and how many were found. With `keepopen` the connection stays
    // open for the next keystroke's search, its pages and the index's state read already, until
    // keresesvege() or any other call of the store closes it.
    Tfoundpage keresoldal(const std::string& text, bool deleted, std::size_t limit, bool keepopen = false);
    // Opens the file and readies the search on it, as the first keystroke's keresoldal would, and keeps it
    // open for that keystroke: the list window calls it once it shows, so the first letter typed finds all
    // in place. Throws as keresoldal does.
    void keresesrekeszul();
    // Closes the connection a search kept open, so that other programs may replace the file.
    void keresesvege();
    // Why the notes cannot be searched (the SQLite in use has no FTS5), or empty when they can, or may
    // once the index can be made.
    const std::string& searchunavailable() const { return searchunavailable_; }

    // The members, in the order of the store's description. The windows use db and jegyzetek directly.
    sqldb::Connection db;
    sqldb::Table jegyzetek;
    TEmbeddedStorage storage1;
    sqldb::Statement sql;
    sqldb::Table setup;
    std::string dbdir;
    std::string exedir;
    std::vector<TForm1*> openforms; // open note windows in opening order; not owned
    unsigned char changed = 0;      // 1: the note list must be rebuilt
    std::vector<std::string> banners;
    IniFile ini;

private:
    void writetemplate(const std::string& path);
    std::int32_t appendjegyzet(const Tjegyzet& jegyzet);
    // The current row of jegyzetek takes the name and text, stamped now, and its index entry follows.
    void updatecurrent(std::int32_t id, const noteindex::Indexed& before, const Tjegyzet& jegyzet);
    void markdeleted(std::int32_t id, int mark);
    void runconnected(const std::string& statement); // on the open connection, which stays open
    Tnotestate currentrow(std::int32_t id);          // on the open connection and table
    // Runs the work as one change of the file: a failure takes back what it wrote, and goes on.
    void insavepoint(const std::string& name, const std::function<void()>& work);
    void prepareindex(); // on the open connection
    noteindex::Searcher& searcher();
    void indexnote(std::int64_t id, const noteindex::Indexed* before); // the current row of jegyzetek

    TStoreEnvironment environment_;
    sqldb::FileStamp seen_; // the database file as pollchanges() last saw it
    enum class Search { unknown, ready, unavailable };
    Search search_ = Search::unknown;
    std::string searchunavailable_;
    std::unique_ptr<noteindex::Searcher> searcher_; // made at the first search, on db
};

// The database file of a database folder: the folder text unchanged, one separator of the platform, then
// "pinlet.db". An empty folder gives the root of the current drive.
std::string databasepath(const std::string& folder);
// The configuration file beside the executable.
std::string configurationpath(const std::string& exefolder);

// The program's one store, set by start-up for its whole run.
extern Tzkpldm* zkpldm;
