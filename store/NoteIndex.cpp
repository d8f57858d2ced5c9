#include "store/NoteIndex.h"

#include "db/FullText.h"
#include "db/Query.h"
#include "store/DeletionMarks.h"
#include "store/NoteId.h"
#include "store/SearchSnippet.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdint>
#include <set>
#include <unordered_map>
#include <unordered_set>

namespace noteindex {

namespace {

using sqldb::execute;
using sqldb::Query;

const std::vector<std::string> kTokenizer = {"unicode61", "remove_diacritics", "2"};

// The index keeps which column a word is in, not where: a note is found by its words, and the piece of text
// shown is cut from the few notes shown. That makes the index a third of the size with positions, so
// prefix indexes of one, two and three characters fit into the time of a first start's build of 10,000
// notes, and the first keystrokes, which find most notes, read one list each instead of merging the lists
// of every word that starts so. A file whose index was made otherwise gets it made anew.
const char kIndexOptions[] = "prefix='1 2 3', detail=column";
const std::string kCreateIndex =
    std::string("CREATE VIRTUAL TABLE IF NOT EXISTS jegyzetek_kereses USING fts5(nev, jegyzet, "
                "content='jegyzetek', content_rowid='id', tokenize='unicode61 remove_diacritics 2', ") +
    kIndexOptions + ")";
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
// The index's words of more than kIndexedPrefix characters. A query word that long starts no list the
// index keeps, and for a prefix FTS5 merges the whole lists of every word starting so before it gives a
// single row: for a common word that merge is most of a keystroke. Looked up here, the few words it stands
// for are searched as they are. The table may hold words no note holds any more (it only ever gains them),
// never lack one the index holds.
const char kCreateWords[] = "CREATE TABLE IF NOT EXISTS kereses_szavak (szo TEXT PRIMARY KEY) WITHOUT ROWID";
constexpr std::size_t kIndexedPrefix = 3;
// More words than this, each a short list, are merged faster than searched one by one.
constexpr int kExpandedWords = 8;
// A word found in the names of at most this many notes has them kept for the words typed after it.
constexpr std::size_t kKeptNames = 300;
const char kParts[] = "FROM sqlite_master WHERE name IN ('jegyzetek_kereses', 'kereses_allapot', "
                      "'kereses_allapot_beszuras', 'kereses_allapot_modositas', 'kereses_allapot_torles', "
                      "'kereses_szavak')";
constexpr int kObjectCount = 6;

std::size_t characters(const std::string& word) {
    return static_cast<std::size_t>(std::count_if(
        word.begin(), word.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

std::int64_t single(sqldb::Connection& connection, const std::string& text) {
    Query query(connection, text);
    return query.next() ? query.integer(0) : 0;
}

bool currentindex(sqldb::Connection& connection) {
    Query index(connection, "SELECT instr(sql, ?1) > 0 FROM sqlite_master WHERE name = 'jegyzetek_kereses'");
    index.bind(1, std::string(kIndexOptions));
    return index.next() && index.integer(0) == 1;
}

// Whether every part is there, made as this program makes it, and the index holds every change counted.
// It runs before every search, so the parts are looked at in one statement.
bool exact(sqldb::Connection& connection) {
    Query objects(connection,
                  std::string("SELECT count(*), max(name = 'jegyzetek_kereses' AND instr(sql, ?1) > 0) ") +
                      kParts);
    objects.bind(1, std::string(kIndexOptions));
    if (!objects.next() || objects.integer(0) != kObjectCount || objects.integer(1) != 1)
        return false;
    Query state(connection, "SELECT count(*), min(valtozas = indexelt) FROM kereses_allapot");
    return state.next() && state.integer(0) == 1 && state.integer(1) == 1;
}

// In the caller's write transaction: the missing parts made, then the index built from the rows.
void rebuild(sqldb::Connection& connection) {
    if (!currentindex(connection))
        execute(connection, "DROP TABLE IF EXISTS jegyzetek_kereses");
    execute(connection, kCreateIndex);
    execute(connection, kCreateState);
    execute(connection, kCreateWords);
    for (const char* trigger : kCreateTriggers)
        execute(connection, trigger);
    if (single(connection, "SELECT count(*) FROM kereses_allapot") != 1) {
        execute(connection, "DELETE FROM kereses_allapot");
        execute(connection, "INSERT INTO kereses_allapot (valtozas, indexelt) VALUES (0, 0)");
    }
    // The build gathers this much of the index in memory before it writes a piece of it: written in few
    // pieces, the index is built in two thirds of the time and searched as one.
    execute(connection,
            "INSERT INTO jegyzetek_kereses (jegyzetek_kereses, rank) VALUES ('hashsize', 8388608)");
    execute(connection, "INSERT INTO jegyzetek_kereses (jegyzetek_kereses) VALUES ('rebuild')");
    execute(connection, "DELETE FROM kereses_szavak");
    execute(connection, "CREATE VIRTUAL TABLE IF NOT EXISTS temp.kereses_szotar USING "
                        "fts5vocab(main, jegyzetek_kereses, row)");
    execute(connection, "INSERT INTO kereses_szavak (szo) SELECT term FROM temp.kereses_szotar WHERE "
                        "length(term) > " +
                            std::to_string(kIndexedPrefix));
    execute(connection, "DROP TABLE temp.kereses_szotar");
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
    std::set<std::string> words;
    const sqldb::FullTextTokenizer tokenizer(connection, kTokenizer);
    for (const std::string* text : {&after.nev, &after.jegyzet})
        tokenizer.eachword(*text, [&](const sqldb::FullTextTokenizer::Word& word) {
            if (characters(word.folded) > kIndexedPrefix)
                words.insert(word.folded);
            return true;
        });
    Query remember(connection, "INSERT OR IGNORE INTO kereses_szavak (szo) VALUES (?1)");
    for (const std::string& word : words) {
        remember.bind(1, word);
        remember.run();
    }
    execute(connection, "UPDATE kereses_allapot SET indexelt = indexelt + 1");
}

namespace {

// The ids as a JSON array, for the names statement: one statement for a page of notes, as one per note
// costs more than finding the rows.
std::string jsonarray(const std::vector<std::int64_t>& ids) {
    std::string list = "[";
    for (const std::int64_t id : ids)
        list += (list.size() > 1 ? "," : "") + std::to_string(id);
    return list + "]";
}

std::vector<std::int64_t> ids(Query& rows) {
    std::vector<std::int64_t> result;
    while (rows.next())
        result.push_back(rows.integer(0));
    return result;
}

const char kNewestFirst[] =
    "SELECT rowid FROM jegyzetek_kereses WHERE jegyzetek_kereses MATCH ?1 ORDER BY rowid DESC";
const char kEvery[] = "SELECT rowid FROM jegyzetek_kereses WHERE jegyzetek_kereses MATCH ?1";

} // namespace

struct Searcher::Statements {
    explicit Statements(sqldb::Connection& connection)
        : version(connection, "PRAGMA data_version"), named(connection, kNewestFirst),
          matches(connection, kNewestFirst), innames(connection, kEvery),
          ranked(connection, "SELECT rowid FROM jegyzetek_kereses WHERE jegyzetek_kereses MATCH ?1 ORDER BY "
                             "bm25(jegyzetek_kereses, 10.0, 1.0), rowid"),
          names(connection, "SELECT id, nev FROM jegyzetek WHERE id IN (SELECT value FROM json_each(?1))"),
          texts(connection, "SELECT jegyzet FROM jegyzetek WHERE id = ?1"),
          words(connection, "SELECT szo FROM kereses_szavak WHERE szo >= ?1 ORDER BY szo LIMIT " +
                                std::to_string(kExpandedWords + 1)) {}
    // A search left off early (a page full, a failure) leaves none of its runs holding the file.
    void finish() noexcept {
        for (Query* query : {&version, &named, &matches, &innames, &ranked, &names, &texts, &words})
            query->finish();
    }
    Query version, named, matches, innames, ranked, names, texts, words;
};

Searcher::Searcher(sqldb::Connection& connection)
    : connection_(connection), statements_(std::make_unique<Statements>(connection)) {}

Searcher::~Searcher() = default;

// What was read of the file holds while the same opening of it shows neither another connection's commit
// (data_version) nor a change of this one's own.
void Searcher::follow() {
    Query& version = statements_->version;
    const std::int64_t now = version.next() ? version.integer(0) : 0;
    version.finish();
    const Seen seen{connection_.openings(), now, sqlite3_total_changes64(connection_.handle())};
    if (tokenizer_ && seen.opening == seen_.opening && seen.version == seen_.version &&
        seen.changes == seen_.changes)
        return;
    tokenizer_.reset();
    namesof_.reset();
    refreshconnected(connection_);
    marked_ = markeddeletedrows(connection_);
    tokenizer_ = std::make_unique<sqldb::FullTextTokenizer>(connection_, kTokenizer);
    // The refresh may have written: what it wrote is this connection's own change, seen from now on.
    seen_ = {seen.opening, seen.version, sqlite3_total_changes64(connection_.handle())};
}

// Every word as a prefix, or, where the index keeps no list for a prefix that long, as the few words of
// the index it starts.
std::string Searcher::matchquery(const std::vector<std::string>& words) {
    std::string query;
    for (const std::string& word : words) {
        if (!query.empty())
            query += " AND ";
        std::vector<std::string> starting;
        if (characters(word) > kIndexedPrefix) {
            Query& lookup = statements_->words;
            lookup.bind(1, word);
            while (lookup.next()) {
                const std::string_view found = lookup.textview(0);
                if (!found.starts_with(word))
                    break;
                starting.emplace_back(found);
            }
            lookup.finish();
        }
        // None found: a word the index lacks is searched as it would be without the list, to no loss.
        if (starting.empty() || starting.size() > static_cast<std::size_t>(kExpandedWords)) {
            query += sqldb::fts5quoted(word) + "*";
            continue;
        }
        query += "(";
        for (std::size_t i = 0; i < starting.size(); ++i)
            query += (i ? " OR " : "") + sqldb::fts5quoted(starting[i]);
        query += ")";
    }
    return query;
}

// The notes holding every word in the name, newest first, at most `limit` of them; `all` false when more do.
//
// FTS5 looks at the columns of a row only once the row holds every word somewhere, which for a second word
// of a letter or two is most notes, in every keystroke after the first word. So once a single word is
// followed by a space (another word is coming), its name matches, where they are few, are kept with their
// names' words, and the next words typed narrow them here. Reading them all before that would cost every
// keystroke of the first word for the sake of a second word that may never come.
std::vector<std::int64_t> Searcher::named(const std::vector<std::string>& words, const std::string& query,
                                          bool keep, bool deleted, std::size_t limit, bool& all) {
    std::vector<std::int64_t> result;
    const auto take = [&](std::int64_t id) {
        if (!listed(id, deleted))
            return true;
        if (result.size() == limit) {
            all = false;
            return false;
        }
        result.push_back(id);
        return true;
    };
    if (namesof_ && std::any_of(words.begin(), words.end(),
                                [&](const std::string& word) { return word.starts_with(namesof_->word); })) {
        for (std::size_t i = 0; i < namesof_->ids.size(); ++i)
            if (holdsall(namesof_->words[i], words) && !take(namesof_->ids[i]))
                break;
        return result;
    }
    Query& rows = statements_->named;
    rows.bind(1, "nev : (" + query + ")");
    bool keeping = keep && words.size() == 1; // while they may be few enough to keep
    std::vector<std::int64_t> every;
    bool more = true;
    while ((more = rows.next())) {
        const std::int64_t id = rows.integer(0);
        if (keeping && every.size() == kKeptNames)
            keeping = false;
        else if (keeping)
            every.push_back(id);
        if (all)
            take(id);
        if (!all && !keeping)
            break;
    }
    if (!more && keeping)
        keepnames(words.front(), every);
    return result;
}

// The name matches of `word`, every one, with their names' words as the index folds them.
void Searcher::keepnames(const std::string& word, const std::vector<std::int64_t>& ids) {
    Query& names = statements_->names;
    names.bind(1, jsonarray(ids));
    std::unordered_map<std::int64_t, std::vector<std::string>> byid;
    while (names.next()) {
        std::vector<std::string>& folded = byid[names.integer(0)];
        tokenizer_->eachword(names.text(1), [&](const sqldb::FullTextTokenizer::Word& each) {
            folded.push_back(each.folded);
            return true;
        });
    }
    NamesOf kept{word, {}, {}};
    for (const std::int64_t id : ids) {
        kept.ids.push_back(id);
        kept.words.push_back(std::move(byid[id]));
    }
    namesof_ = std::move(kept);
}

// Whether, for every word, one of the name's words starts with it.
bool Searcher::holdsall(const std::vector<std::string>& nev, const std::vector<std::string>& words) {
    return std::all_of(words.begin(), words.end(), [&](const std::string& word) {
        return std::any_of(nev.begin(), nev.end(),
                           [&](const std::string& each) { return each.starts_with(word); });
    });
}

bool Searcher::listed(std::int64_t id, bool deleted) const {
    return isnoteid(id) && std::binary_search(marked_.begin(), marked_.end(), id) == deleted;
}

void Searcher::ready() {
    follow();
    Statements& q = *statements_;
    for (Query* query : {&q.named, &q.matches, &q.innames, &q.ranked, &q.names, &q.texts, &q.words})
        query->prepare();
    // A first letter finds most notes, and shows the newest: their rows are read into the connection's
    // cache now, texts too, for the pieces of text under the first of them.
    Query newest(connection_, "SELECT length(nev), length(jegyzet) FROM jegyzetek ORDER BY id DESC LIMIT ?1");
    newest.bind(1, static_cast<std::int64_t>(kSnippetNotes));
    newest.run();
    // An empty phrase finds nothing, but FTS5 reads the index's structure for it as for any search.
    q.matches.bind(1, std::string("\"\""));
    q.matches.run();
}

Tfoundpage Searcher::page(const std::string& text, bool deleted, std::size_t limit) {
    struct Finish {
        Statements& statements;
        ~Finish() { statements.finish(); }
    } finish{*statements_};
    follow();
    const std::vector<std::string> found = tokenizer_->query(text);
    Tfoundpage page;
    if (found.empty()) {
        Query all(connection_, "SELECT id, nev FROM jegyzetek ORDER BY id");
        while (all.next())
            if (listed(all.integer(0), deleted))
                page.notes.push_back({static_cast<std::int32_t>(all.integer(0)), all.text(1), {}});
        page.total = page.notes.size();
        if (page.notes.size() > limit)
            page.notes.resize(limit);
        return page;
    }
    Statements& q = *statements_;
    const std::string query = matchquery(found);
    // The name matches, newest first, as many as the page holds: they come first.
    bool allnamed = true;
    const bool anotherword = text.back() == ' ' || text.back() == '\t';
    std::vector<std::int64_t> order = named(found, query, anotherword, deleted, limit, allnamed);
    const std::unordered_set<std::int64_t> byname(order.begin(), order.end());
    // Then every match, newest first, counted as far as a count still tells the user something: a short
    // prefix finds most notes, and counting them all would cost more than the rest of the keystroke. The
    // page takes the text matches among them while it has room.
    const std::size_t countable = std::max(limit, kCountedMatches);
    q.matches.bind(1, query);
    while (q.matches.next()) {
        const std::int64_t id = q.matches.integer(0);
        if (!listed(id, deleted))
            continue;
        if (page.total == countable) {
            page.counted = false;
            break;
        }
        ++page.total;
        if (allnamed && order.size() < limit && byname.count(id) == 0)
            order.push_back(id);
    }
    // Among few matches bm25 puts the best first (a word in the name weighs ten in the text), the name
    // matches still first; weighing thousands costs more than the search, and a few more keystrokes make
    // them few, so until then the newest come first.
    if (page.total <= static_cast<std::size_t>(kRankedMatches) && page.total > 1) {
        q.innames.bind(1, "nev : (" + query + ")");
        const std::vector<std::int64_t> named = ids(q.innames);
        const std::unordered_set<std::int64_t> everynamed(named.begin(), named.end());
        q.ranked.bind(1, query);
        order.clear();
        while (q.ranked.next())
            if (listed(q.ranked.integer(0), deleted))
                order.push_back(q.ranked.integer(0));
        std::stable_partition(order.begin(), order.end(),
                              [&](std::int64_t id) { return everynamed.count(id) != 0; });
        if (order.size() > limit)
            order.resize(limit);
    }
    // The page's names.
    q.names.bind(1, jsonarray(order));
    std::unordered_map<std::int64_t, std::string> byid;
    while (q.names.next())
        byid.emplace(q.names.integer(0), q.names.text(1));
    for (const std::int64_t id : order) {
        const auto at = byid.find(id);
        if (at != byid.end())
            page.notes.push_back({static_cast<std::int32_t>(id), std::move(at->second), {}});
    }
    // Around any word found in the text: the others may be in the name.
    const std::size_t pieces = std::min<std::size_t>(page.notes.size(), kSnippetNotes);
    for (std::size_t i = 0; i < pieces; ++i) {
        q.texts.bind(1, page.notes[i].id);
        if (q.texts.next())
            page.notes[i].snippet = snippet(*tokenizer_, q.texts.text(0), found);
    }
    return page;
}

} // namespace noteindex
