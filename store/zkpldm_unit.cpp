#include "store/zkpldm_unit.h"

#include "db/Compaction.h"
#include "db/Query.h"
#include "loadbuiltintemplate.h"
#include "store/DeletionMarks.h"
#include "store/NewFile.h"
#include "store/banners.h"

#include <algorithm>
#include <filesystem>
#include <limits>
#include <sstream>
#include <stdexcept>

Tzkpldm* zkpldm = nullptr;

namespace {

#ifdef _WIN32
constexpr char separator = '\\';
#else
constexpr char separator = '/';
#endif

bool fileexists(const std::string& path) {
    std::error_code error;
    return std::filesystem::exists(std::filesystem::path(std::u8string(path.begin(), path.end())), error);
}

} // namespace

std::string databasepath(const std::string& folder) {
    return folder + separator + "pinlet.db";
}

std::string configurationpath(const std::string& exefolder) {
    return exefolder + separator + "zkpinlet.ini";
}

Tzkpldm::Tzkpldm(TStoreEnvironment environment)
    : jegyzetek(db, "jegyzetek"), sql(db), setup(db, "setup"), banners(bannerlines()),
      environment_(std::move(environment)) {
    loadbuiltintemplate(storage1);
    db.setvirtualtables(environment_.fulltext);
}

Tzkpldm::~Tzkpldm() {
    DataModuleDestroy();
}

void Tzkpldm::DataModuleCreate() {
    readconfiguration();
    preparedatabase();
}

void Tzkpldm::readconfiguration() {
    exedir = environment_.exedir;
    const std::string inipath = configurationpath(exedir);
    // The Documents folder is the key's default, so it is looked up whether or not the file names one.
    const std::string documents =
        environment_.documentsfolder ? environment_.documentsfolder() : std::string();
    if (fileexists(inipath)) {
        ini = IniFile::load(inipath);
        dbdir = ini.readstring("database", "dir", documents);
    } else {
        ini = IniFile();
        dbdir = documents;
    }
    banners = bannerlines();
    openforms.clear();
}

void Tzkpldm::preparedatabase() {
    const std::string path = databasepath(dbdir);
    if (!fileexists(path))
        writetemplate(path);
    db.setdatabasename(path);
    changed = 1;
    updatedb();
    // Search is a help, not the notes: a failure here leaves it to the first search to try again.
    try {
        opendb();
        prepareindex();
        closedb();
    } catch (const std::exception&) {
        db.disconnect();
    }
    seen_ = sqldb::filestamp(path);
}

void Tzkpldm::prepareindex() {
    if (noteindex::prepare(db)) {
        search_ = Search::ready;
        return;
    }
    search_ = Search::unavailable;
    searchunavailable_ = "A keresés nem érhető el: a program SQLite-jából hiányzik a teljes szöveges "
                         "keresés (FTS5).";
}

std::vector<Tfoundnote> Tzkpldm::keresjegyzetek(const std::string& text, bool deleted) {
    return keresoldal(text, deleted, SIZE_MAX).notes;
}

Tfoundpage Tzkpldm::keresoldal(const std::string& text, bool deleted, std::size_t limit, bool keepopen) {
    struct Disconnect {
        sqldb::Connection& db;
        bool keepopen;
        ~Disconnect() {
            if (!keepopen)
                db.disconnect();
        }
    } disconnect{db, keepopen};
    return searcher().page(text, deleted, limit);
}

void Tzkpldm::keresesrekeszul() {
    try {
        searcher().ready();
    } catch (...) {
        keresesvege();
        throw;
    }
}

// Connected, the index prepared where it was not yet: the searcher of the open file.
noteindex::Searcher& Tzkpldm::searcher() {
    if (search_ == Search::unavailable)
        throw sqldb::Error(searchunavailable_);
    db.connect();
    if (search_ != Search::ready) {
        prepareindex();
        if (search_ != Search::ready)
            throw sqldb::Error(searchunavailable_);
    }
    if (!searcher_)
        searcher_ = std::make_unique<noteindex::Searcher>(db);
    return *searcher_;
}

void Tzkpldm::keresesvege() {
    if (!db.intransaction())
        db.disconnect();
}

void Tzkpldm::indexnote(std::int64_t id, const noteindex::Indexed* before) {
    if (search_ != Search::ready)
        return;
    const noteindex::Indexed after{jegyzetek.astext("nev"), jegyzetek.astext("jegyzet")};
    runconnected("SAVEPOINT indexnote");
    try {
        noteindex::replace(db, id, before, after);
        runconnected("RELEASE indexnote");
    } catch (const std::exception&) {
        // The note matters more than its index. The change is counted but not indexed, so the index is
        // rebuilt before the next search.
        try {
            if (db.intransaction()) {
                runconnected("ROLLBACK TO indexnote");
                runconnected("RELEASE indexnote");
            }
        } catch (const std::exception&) {
        }
    }
}

void Tzkpldm::writetemplate(const std::string& path) {
    TStoredItem* item = storage1.ItemByName("db");
    if (!item)
        throw std::runtime_error("The built-in template database is missing");
    // Unpacked and checked in memory first: a damaged template must not leave a file behind.
    std::ostringstream bytes(std::ios::binary);
    item->SaveToStream(bytes);
    const std::string file = bytes.str();
    static const std::string header("SQLite format 3\0", 16);
    if (file.size() != static_cast<std::size_t>(item->FileSize()) ||
        file.compare(0, header.size(), header) != 0)
        throw TEmbeddedStorageError("error");
    // A file that appeared meanwhile (another instance) is kept, not replaced.
    createnewfile(path, file);
}

void Tzkpldm::DataModuleDestroy() {
    openforms.clear();
    openforms.shrink_to_fit();
    banners.clear();
    ini = IniFile();
}

void Tzkpldm::updatedb() {
    opendb();
    jegyzetek.open();
    if (!jegyzetek.hascolumn("jelzes")) {
        jegyzetek.close();
        // Another process may be upgrading the same file at this moment (two first starts, two users of one
        // folder). The second look and the change are one write transaction, so whoever comes second finds
        // the column there and leaves it.
        runconnected("BEGIN IMMEDIATE");
        try {
            // A read that runs makes the engine notice a schema another connection changed; the table's
            // columns come from what it knows.
            runconnected("SELECT count(*) FROM sqlite_master");
            jegyzetek.open();
            const bool missing = !jegyzetek.hascolumn("jelzes");
            jegyzetek.close();
            // Adds a nullable DATETIME column at the end; existing rows keep their values.
            if (missing)
                runconnected("ALTER TABLE jegyzetek ADD COLUMN jelzes DATETIME");
            runconnected("COMMIT");
        } catch (...) {
            jegyzetek.close();
            if (db.intransaction()) {
                try {
                    runconnected("ROLLBACK");
                } catch (const std::exception&) {
                    db.disconnect(); // closing the file ends the transaction, and takes it back
                }
            }
            throw;
        }
    }
    closedb();
}

void Tzkpldm::opendb() {
    db.connect();
}

void Tzkpldm::closedb() {
    if (!db.connected())
        return;
    db.flush();
    db.disconnect();
}

void Tzkpldm::runsql(const std::string& statement) {
    db.connect();
    sql.settext(statement);
    sql.execute();
    db.disconnect();
}

std::int32_t Tzkpldm::savejegyzet(std::int32_t id, Tjegyzet jegyzet) {
    db.connect();
    jegyzetek.open();
    std::int32_t result = -1;
    if (jegyzetek.locate("id", static_cast<std::int64_t>(id))) {
        const noteindex::Indexed before{jegyzetek.astext("nev"), jegyzetek.astext("jegyzet")};
        // The row and its index entry change together: one transaction, one write to the disk.
        insavepoint("savejegyzet", [&] { updatecurrent(id, before, jegyzet); });
    } else {
        result = appendjegyzet(jegyzet);
    }
    jegyzetek.close();
    db.flush();
    db.disconnect();
    changed = 1;
    return result;
}

void Tzkpldm::updatecurrent(std::int32_t id, const noteindex::Indexed& before, const Tjegyzet& jegyzet) {
    jegyzetek.edit();
    jegyzetek.settext("nev", jegyzet.nev);
    jegyzetek.settext("jegyzet", jegyzet.jegyzet);
    jegyzetek.setdatetime("modositva", environment_.clock());
    jegyzetek.post();
    indexnote(id, &before);
}

std::int32_t Tzkpldm::appendjegyzet(const Tjegyzet& jegyzet) {
    // The engine picks the id only as the row goes in, so the row goes in inside a savepoint and is taken
    // back, with the engine's id counter, when the id is not a note id.
    std::int64_t id = 0;
    insavepoint("appendjegyzet", [&] {
        jegyzetek.append();
        jegyzetek.settext("nev", jegyzet.nev);
        jegyzetek.settext("jegyzet", jegyzet.jegyzet);
        // Two readings of the clock, as creation and modification are separate events.
        jegyzetek.setdatetime("letrehozva", environment_.clock());
        jegyzetek.setdatetime("modositva", environment_.clock());
        jegyzetek.post();
        id = jegyzetek.aslargeint("id");
        if (!isnoteid(id))
            throw std::runtime_error("The note cannot be saved: its id would be " + std::to_string(id) +
                                     ", beyond the largest note id, " +
                                     std::to_string(std::numeric_limits<std::int32_t>::max()) + ".");
        indexnote(id, nullptr);
    });
    return static_cast<std::int32_t>(id);
}

void Tzkpldm::insavepoint(const std::string& name, const std::function<void()>& work) {
    runconnected("SAVEPOINT " + name);
    try {
        work();
        runconnected("RELEASE " + name);
    } catch (...) {
        // Left open, the savepoint would hold every later write of this connection uncommitted. A full
        // disk or an I/O error may have ended it already.
        if (db.intransaction()) {
            jegyzetek.close();
            try {
                runconnected("ROLLBACK TO " + name);
                runconnected("RELEASE " + name);
            } catch (const std::exception&) {
                db.disconnect(); // closing the file ends the transaction, and takes it back
            }
        }
        throw;
    }
}

void Tzkpldm::runconnected(const std::string& statement) {
    sql.settext(statement);
    sql.execute();
}

Tjegyzet Tzkpldm::getjegyzet(std::int32_t id) {
    db.connect();
    jegyzetek.open();
    Tjegyzet result;
    if (jegyzetek.locate("id", static_cast<std::int64_t>(id))) {
        result.nev = jegyzetek.astext("nev");
        result.jegyzet = jegyzetek.astext("jegyzet");
    }
    jegyzetek.close();
    db.disconnect();
    return result;
}

Tnotestate Tzkpldm::currentrow(std::int32_t id) {
    Tnotestate note;
    if (jegyzetek.locate("id", static_cast<std::int64_t>(id))) {
        note.exists = true;
        note.deleted = jegyzetek.asinteger("torolve") == 1;
        note.jegyzet.nev = jegyzetek.astext("nev");
        note.jegyzet.jegyzet = jegyzetek.astext("jegyzet");
    }
    return note;
}

Tnotestate Tzkpldm::readjegyzet(std::int32_t id) {
    db.connect();
    jegyzetek.open();
    const Tnotestate note = currentrow(id);
    jegyzetek.close();
    db.disconnect();
    return note;
}

Tcheckedsave Tzkpldm::savejegyzetif(std::int32_t id, const Tnotestate& expected, const Tjegyzet& jegyzet) {
    db.connect();
    // The write lock is taken before the read, so the row read is the row written.
    runconnected("BEGIN IMMEDIATE");
    Tcheckedsave result;
    try {
        jegyzetek.open();
        result.current = currentrow(id);
        if (result.current == expected && expected.exists) {
            const noteindex::Indexed before{result.current.jegyzet.nev, result.current.jegyzet.jegyzet};
            updatecurrent(id, before, jegyzet);
            // The column may cut the name: what the window holds from now on is what the row holds.
            result.current = currentrow(id);
            result.saved = true;
        }
        jegyzetek.close();
        runconnected(result.saved ? "COMMIT" : "ROLLBACK");
    } catch (...) {
        jegyzetek.close();
        db.disconnect(); // closing the file ends the transaction, and takes it back
        throw;
    }
    db.flush();
    db.disconnect();
    if (result.saved)
        changed = 1;
    return result;
}

bool Tzkpldm::pollchanges() {
    const sqldb::FileStamp now = sqldb::filestamp(db.databasename());
    if (now == seen_)
        return false;
    seen_ = now;
    changed = 1;
    return true;
}

void Tzkpldm::deletejegyzet(std::int32_t id) {
    markdeleted(id, 1);
}

void Tzkpldm::restorejegyzet(std::int32_t id) {
    markdeleted(id, 0);
}

void Tzkpldm::markdeleted(std::int32_t id, int mark) {
    db.connect();
    jegyzetek.open();
    if (jegyzetek.locate("id", static_cast<std::int64_t>(id)) &&
        (jegyzetek.asinteger("torolve") == 1) != (mark == 1)) {
        jegyzetek.edit();
        jegyzetek.setinteger("torolve", mark);
        jegyzetek.post();
    }
    jegyzetek.close();
    db.flush();
    db.disconnect();
    changed = 1;
}

std::vector<Tlistednote> Tzkpldm::listjegyzetek(bool deleted) {
    std::vector<Tlistednote> notes;
    eachlistednote(deleted, [&](std::int32_t id, std::string_view nev) {
        notes.push_back({id, std::string(nev)});
    });
    return notes;
}

void Tzkpldm::eachlistednote(bool deleted,
                             const std::function<void(std::int32_t id, std::string_view nev)>& visit) {
    db.connect();
    {
        const std::vector<std::int64_t> marked = markeddeletedrows(db);
        // Only the columns before the text: the rest of a row is never read.
        sqldb::Query rows(db, "SELECT rowid, id, nev FROM jegyzetek ORDER BY rowid");
        while (rows.next()) {
            const bool marks =
                !marked.empty() && std::binary_search(marked.begin(), marked.end(), rows.integer(0));
            if (marks != deleted)
                continue;
            const std::int64_t id = rows.largeint(1);
            if (isnoteid(id))
                visit(static_cast<std::int32_t>(id), rows.textview(2));
        }
    }
    db.disconnect();
}

void Tzkpldm::setsetup(const std::string& key, const std::string& value) {
    opendb();
    setup.open();
    if (setup.locate("nev", key)) {
        setup.edit();
        setup.settext("ertek", value);
    } else {
        setup.append();
        setup.settext("nev", key);
        setup.settext("ertek", value);
    }
    setup.post();
}

std::string Tzkpldm::getsetup(const std::string& key) {
    opendb();
    setup.open();
    if (setup.locate("nev", key))
        return setup.astext("ertek");
    return {};
}

void Tzkpldm::compactdb() {
    opendb();
    sqldb::compact(db, "DELETE FROM jegyzetek WHERE torolve=1");
    // The purge ran on a copy that does not keep the index; it was counted there, so the index follows
    // now, or before the next search if this fails.
    if (search_ == Search::ready) {
        try {
            noteindex::refresh(db);
        } catch (const std::exception&) {
        }
    }
    closedb();
    changed = 1;
}

int Tzkpldm::deletedcount() {
    db.connect();
    const int count = static_cast<int>(markeddeletedrows(db).size());
    db.disconnect();
    return count;
}
