#include "store/NoteIndex.h"

#include "db/FullText.h"
#include "db/Query.h"

#include <cstdint>

namespace noteindex {

namespace {

using sqldb::execute;
using sqldb::Query;

const std::vector<std::string> kTokenizer = {"unicode61", "remove_diacritics", "2"};

// Prefix indexes of two and three characters keep the first keystrokes of a word quick.
const char kCreateIndex[] =
    "CREATE VIRTUAL TABLE IF NOT EXISTS jegyzetek_kereses USING fts5(nev, jegyzet, content='jegyzetek', "
    "content_rowid='id', tokenize='unicode61 remove_diacritics 2', prefix='2 3')";
const char kCreateState[] =
    "CREATE TABLE IF NOT EXISTS kereses_allapot (valtozas INTEGER NOT NULL DEFAULT 0, "
    "indexelt INTEGER NOT NULL DEFAULT 0)";
const char* const kCreateTriggers[] = {
    "CREATE TRIGGER IF NOT EXISTS kereses_allapot_beszuras AFTER INSERT ON jegyzetek BEGIN "
    "UPDATE kereses_allapot SET valtozas = valtozas + 1; END",
    "CREATE TRIGGER IF NOT EXISTS kereses_allapot_modositas AFTER UPDATE OF id, nev, jegyzet ON jegyzetek "
    "BEGIN UPDATE kereses_allapot SET valtozas = valtozas + 1; END",
    "CREATE TRIGGER IF NOT EXISTS kereses_allapot_torles AFTER DELETE ON jegyzetek BEGIN "
    "UPDATE kereses_allapot SET valtozas = valtozas + 1; END",
};
const char kObjects[] = "SELECT count(*) FROM sqlite_master WHERE name IN ('jegyzetek_kereses', "
                        "'kereses_allapot', 'kereses_allapot_beszuras', 'kereses_allapot_modositas', "
                        "'kereses_allapot_torles')";
constexpr int kObjectCount = 5;

std::int64_t single(sqldb::Connection& connection, const std::string& text) {
    Query query(connection, text);
    return query.next() ? query.integer(0) : 0;
}

// Whether every part is there and the index holds every change counted.
bool exact(sqldb::Connection& connection) {
    if (single(connection, kObjects) != kObjectCount)
        return false;
    Query state(connection, "SELECT count(*), min(valtozas = indexelt) FROM kereses_allapot");
    return state.next() && state.integer(0) == 1 && state.integer(1) == 1;
}

// In the caller's write transaction: the missing parts made, then the index built from the rows.
void rebuild(sqldb::Connection& connection) {
    execute(connection, kCreateIndex);
    execute(connection, kCreateState);
    for (const char* trigger : kCreateTriggers)
        execute(connection, trigger);
    if (single(connection, "SELECT count(*) FROM kereses_allapot") != 1) {
        execute(connection, "DELETE FROM kereses_allapot");
        execute(connection, "INSERT INTO kereses_allapot (valtozas, indexelt) VALUES (0, 0)");
    }
    execute(connection, "INSERT INTO jegyzetek_kereses (jegyzetek_kereses) VALUES ('rebuild')");
    execute(connection, "UPDATE kereses_allapot SET indexelt = valtozas");
}

void refreshconnected(sqldb::Connection& connection) {
    if (exact(connection))
        return;
    sqldb::ImmediateTransaction transaction(connection);
    // Another process may have done it while this one waited for the lock.
    if (exact(connection))
        return;
    rebuild(connection);
    transaction.commit();
}

// A wider id would turn into another note's id in the windows: such a row is never listed.
void collect(Query& rows, std::vector<Tfoundnote>& notes) {
    while (rows.next()) {
        const std::int64_t id = rows.integer(0);
        if (id >= INT32_MIN && id <= INT32_MAX)
            notes.push_back({static_cast<std::int32_t>(id), rows.text(1), {}});
    }
}

} // namespace

bool prepare(sqldb::Connection& connection) {
    if (!sqldb::hasfts5(connection))
        return false;
    refreshconnected(connection);
    return true;
}

void refresh(sqldb::Connection& connection) {
    refreshconnected(connection);
}

void replace(sqldb::Connection& connection, std::int64_t id, const Indexed* before, const Indexed& after) {
    if (before) {
        Query remove(connection, "INSERT INTO jegyzetek_kereses (jegyzetek_kereses, rowid, nev, jegyzet) "
                                 "VALUES ('delete', ?1, ?2, ?3)");
        remove.bind(1, id);
        remove.bind(2, before->nev);
        remove.bind(3, before->jegyzet);
        remove.run();
    }
    Query add(connection, "INSERT INTO jegyzetek_kereses (rowid, nev, jegyzet) VALUES (?1, ?2, ?3)");
    add.bind(1, id);
    add.bind(2, after.nev);
    add.bind(3, after.jegyzet);
    add.run();
    execute(connection, "UPDATE kereses_allapot SET indexelt = indexelt + 1");
}

std::vector<std::string> words(sqldb::Connection& connection, const std::string& text) {
    return sqldb::fts5tokens(connection, kTokenizer, text);
}

std::vector<Tfoundnote> search(sqldb::Connection& connection, const std::string& text, bool deleted) {
    refreshconnected(connection);
    const std::vector<std::string> found = words(connection, text);
    std::vector<Tfoundnote> notes;
    // An empty mark, or any value but 1, is a live note, as in the list.
    const char* const mark =
        deleted ? "ifnull(CAST(j.torolve AS INTEGER), 0) = 1" : "ifnull(CAST(j.torolve AS INTEGER), 0) <> 1";
    if (found.empty()) {
        Query all(connection,
                  std::string("SELECT j.id, j.nev FROM jegyzetek j WHERE ") + mark + " ORDER BY j.id");
        collect(all, notes);
        return notes;
    }
    {
        const std::string query = sqldb::fts5prefixquery(found);
        // Name matches first. Among few matches bm25 puts the best first (a word in the name weighs ten
        // in the text); weighing thousands costs more than the search, and a few more keystrokes make them
        // few, so until then the newest come first.
        Query count(connection, "SELECT count(*) FROM jegyzetek_kereses WHERE jegyzetek_kereses MATCH ?1");
        count.bind(1, query);
        const bool ranked = count.next() && count.integer(0) <= kRankedMatches;
        Query matches(
            connection,
            std::string("SELECT j.id, j.nev FROM jegyzetek_kereses k JOIN jegyzetek j ON j.id = k.rowid "
                        "WHERE jegyzetek_kereses MATCH ?1 AND ") +
                mark +
                " ORDER BY j.id IN (SELECT rowid FROM jegyzetek_kereses WHERE jegyzetek_kereses "
                "MATCH ?2) DESC, " +
                (ranked ? "bm25(jegyzetek_kereses, 10.0, 1.0), j.id" : "j.id DESC"));
        matches.bind(1, query);
        matches.bind(2, "nev : (" + query + ")");
        collect(matches, notes);
        Query piece(connection, "SELECT snippet(jegyzetek_kereses, 1, char(1), char(2), '…', 10) FROM "
                                "jegyzetek_kereses WHERE jegyzetek_kereses MATCH ?1 AND rowid = ?2");
        // Around any word found in the text: the others may be in the name.
        const std::string intext = "jegyzet : (" + sqldb::fts5prefixquery(found, true) + ")";
        for (std::size_t i = 0; i < notes.size() && i < static_cast<std::size_t>(kSnippetNotes); ++i) {
            piece.bind(1, intext);
            piece.bind(2, static_cast<std::int64_t>(notes[i].id));
            if (piece.next())
                notes[i].snippet = piece.text(0);
        }
    }
    return notes;
}

} // namespace noteindex
