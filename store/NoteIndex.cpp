#include "store/NoteIndex.h"

#include "db/FullText.h"
#include "db/Query.h"

#include <algorithm>
#include <cstdint>
#include <unordered_map>
#include <unordered_set>

namespace noteindex {

namespace {

using sqldb::execute;
using sqldb::Query;

const std::vector<std::string> kTokenizer = {"unicode61", "remove_diacritics", "2"};

// A prefix index of two characters keeps the first keystrokes of a word quick; one of three as well would
// make the first start's build of 10,000 notes last over a second for a millisecond or two per keystroke.
const char kCreateIndex[] =
    "CREATE VIRTUAL TABLE IF NOT EXISTS jegyzetek_kereses USING fts5(nev, jegyzet, content='jegyzetek', "
    "content_rowid='id', tokenize='unicode61 remove_diacritics 2', prefix='2')";
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

namespace {

std::vector<std::int64_t> ids(Query& rows) {
    std::vector<std::int64_t> result;
    while (rows.next())
        result.push_back(rows.integer(0));
    return result;
}

} // namespace

Tfoundpage searchpage(sqldb::Connection& connection, const std::string& text, bool deleted,
                      std::size_t limit) {
    refreshconnected(connection);
    const std::vector<std::string> found = words(connection, text);
    Tfoundpage page;
    if (found.empty()) {
        // An empty mark, or any value but 1, is a live note, as in the list.
        Query all(connection,
                  std::string("SELECT id, nev FROM jegyzetek WHERE ifnull(CAST(torolve AS INTEGER), 0) ") +
                      (deleted ? "= 1" : "<> 1") + " ORDER BY id");
        collect(all, page.notes);
        page.total = page.notes.size();
        if (page.notes.size() > limit)
            page.notes.resize(limit);
        return page;
    }
    // The notes marked deleted, few, from the marks' index: reading the marks from the rows would read
    // every note's text, as the mark is stored after it. Every value that casts to 1 is in the two ranges.
    Query marked(connection,
                 "SELECT id FROM jegyzetek WHERE ((torolve >= 1 AND torolve < 2) OR torolve >= '') "
                 "AND ifnull(CAST(torolve AS INTEGER), 0) = 1");
    const std::vector<std::int64_t> deletedids = ids(marked);
    const std::unordered_set<std::int64_t> isdeleted(deletedids.begin(), deletedids.end());
    const std::string query = sqldb::fts5prefixquery(found);
    // Every match once, and the name matches once: each pass over the index costs the same whatever is
    // done with its rows, and a short prefix's pass is the most a keystroke costs.
    Query matches(connection, "SELECT rowid FROM jegyzetek_kereses WHERE jegyzetek_kereses MATCH ?1");
    matches.bind(1, query);
    std::vector<std::int64_t> order;
    while (matches.next())
        if ((isdeleted.count(matches.integer(0)) != 0) == deleted)
            order.push_back(matches.integer(0));
    std::reverse(order.begin(), order.end()); // newest first
    page.total = order.size();
    if (order.empty())
        return page;
    Query innames(connection, "SELECT rowid FROM jegyzetek_kereses WHERE jegyzetek_kereses MATCH ?1");
    innames.bind(1, "nev : (" + query + ")");
    const std::vector<std::int64_t> named = ids(innames);
    const std::unordered_set<std::int64_t> byname(named.begin(), named.end());
    // Among few matches bm25 puts the best first (a word in the name weighs ten in the text); weighing
    // thousands costs more than the search, and a few more keystrokes make them few, so until then the
    // newest come first.
    if (order.size() <= static_cast<std::size_t>(kRankedMatches)) {
        Query ranked(connection,
                     "SELECT rowid FROM jegyzetek_kereses WHERE jegyzetek_kereses MATCH ?1 ORDER BY "
                     "bm25(jegyzetek_kereses, 10.0, 1.0), rowid");
        ranked.bind(1, query);
        order.clear();
        while (ranked.next())
            if ((isdeleted.count(ranked.integer(0)) != 0) == deleted)
                order.push_back(ranked.integer(0));
    }
    std::stable_partition(order.begin(), order.end(), [&](std::int64_t id) { return byname.count(id) != 0; });
    Query name(connection, "SELECT nev FROM jegyzetek WHERE id = ?1");
    for (const std::int64_t id : order) {
        if (page.notes.size() >= limit)
            break;
        // A wider id would turn into another note's id in the windows: such a row is never listed.
        if (id < INT32_MIN || id > INT32_MAX)
            continue;
        name.bind(1, id);
        if (name.next())
            page.notes.push_back({static_cast<std::int32_t>(id), name.text(0), {}});
    }
    // Around any word found in the text: the others may be in the name. One pass cuts every piece wanted:
    // a pass per note would go over the index as many times.
    std::unordered_map<std::int64_t, std::size_t> wanted;
    for (std::size_t i = 0; i < page.notes.size() && i < static_cast<std::size_t>(kSnippetNotes); ++i)
        wanted.emplace(page.notes[i].id, i);
    if (wanted.empty())
        return page;
    std::string list;
    for (const auto& [id, at] : wanted)
        list += (list.empty() ? "" : ",") + std::to_string(id);
    Query pieces(
        connection,
        "SELECT rowid, snippet(jegyzetek_kereses, 1, char(1), char(2), '…', 10) FROM "
        "jegyzetek_kereses WHERE jegyzetek_kereses MATCH ?1 AND rowid BETWEEN ?3 AND ?4 AND +rowid IN "
        "(SELECT value FROM json_each(?2))");
    pieces.bind(1, "jegyzet : (" + sqldb::fts5prefixquery(found, true) + ")");
    pieces.bind(2, "[" + list + "]");
    // The newest notes come first: the range leaves the older ones' rows unread.
    std::int64_t low = INT64_MAX, high = INT64_MIN;
    for (const auto& [id, at] : wanted) {
        low = std::min<std::int64_t>(low, id);
        high = std::max<std::int64_t>(high, id);
    }
    pieces.bind(3, low);
    pieces.bind(4, high);
    while (pieces.next()) {
        const auto at = wanted.find(pieces.integer(0));
        if (at != wanted.end())
            page.notes[at->second].snippet = pieces.text(1);
    }
    return page;
}

std::vector<Tfoundnote> search(sqldb::Connection& connection, const std::string& text, bool deleted) {
    return searchpage(connection, text, deleted, SIZE_MAX).notes;
}

} // namespace noteindex
