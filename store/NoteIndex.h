#pragma once
// The full-text index of the notes: every note's name and text, deleted notes too, in the FTS5 table
// jegyzetek_kereses beside jegyzetek, words folded for case and accents.
//
// The index is kept by the store's own writes, in the same transaction as the row. Writers that do not
// know it (an earlier Pinlet, another program, a compaction's copy) cannot leave it stale unnoticed:
// triggers in the file count every change of a note's id, name or text in kereses_allapot.valtozas, and
// the store counts the changes it indexed in kereses_allapot.indexelt. Where the two differ, the index is
// rebuilt before it is used. The triggers write that plain table only, so every SQLite can write the
// notes, with or without FTS5, and whatever it trusts in a file's schema.

#include "db/Connection.h"
#include "db/FullText.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// A note the search found; `snippet` is a piece of its text around the match, the matched words between
// kMatchStart and kMatchEnd, or empty when the text holds no match (or the note was found too far down
// the list to be worth one).
struct Tfoundnote {
    std::int32_t id;
    std::string nev;
    std::string snippet;
};

struct Tfoundpage {
    std::vector<Tfoundnote> notes;
    // How many notes the search found; with `counted` false, at least so many (the counting stopped).
    std::size_t total = 0;
    bool counted = true;
};

namespace noteindex {

inline constexpr char kMatchStart = '\x01';
inline constexpr char kMatchEnd = '\x02';
// Only the first notes found get a snippet: a short query can find every note, and cutting pieces out of
// thousands of texts would cost more than the search itself.
inline constexpr int kSnippetNotes = 20;
// Up to this many notes found are put in order of how well they match; more, newest first.
inline constexpr int kRankedMatches = 300;
// A search that finds more notes than a page holds counts them up to this many: each one counted costs as
// much as a note shown, and beyond a few hundred the number only says "type more".
inline constexpr std::size_t kCountedMatches = 500;

// Readies the index on the connected connection: makes it when the file lacks it, and rebuilds it when it
// is stale. Returns false, writing nothing, when the connection's SQLite has no FTS5. Another process
// doing the same at the same time waits for the first one's transaction and then finds the work done.
bool prepare(sqldb::Connection& connection);

// Rebuilds the index if a writer that does not keep it changed the notes since it was last exact.
void refresh(sqldb::Connection& connection);

// Takes a note's name and text into the index in the caller's transaction, right after its row was
// inserted (`before` null) or updated with a new name and text (`before` the row's name and text until
// then, as stored).
struct Indexed {
    std::string nev;
    std::string jegyzet;
};
void replace(sqldb::Connection& connection, std::int64_t id, const Indexed* before, const Indexed& after);

// The search of the notes, kept ready from one keystroke to the next on a connection left open: its
// statements prepared, and what it read of the file (the index found exact, the deletion marks) kept until
// the file changes or is opened anew.
//
// A query's words are cut and folded as the index folds them; characters that are no part of a word
// (quotes, "*", "-", ":", parentheses ...) only separate words, never reach FTS5 as query syntax.
class Searcher {
public:
    explicit Searcher(sqldb::Connection& connection);
    ~Searcher();
    Searcher(const Searcher&) = delete;
    Searcher& operator=(const Searcher&) = delete;

    // On the connected connection: the notes that hold, for every word of the text, a word starting with it
    // in the name or the text, the live notes or those marked deleted. Notes holding every word in the name
    // come first, then the best matches (beyond kRankedMatches found: the newest). A text without words
    // finds every such note, in id order. Refreshes a stale index first. The first `limit` notes, and how
    // many it found: all of them, or as many as the larger of `limit` and kCountedMatches when it found more.
    Tfoundpage page(const std::string& text, bool deleted, std::size_t limit);
    // Does ahead of the first keystroke what page() does before it searches: the index refreshed, what it
    // reads of the file read, its statements compiled.
    void ready();

private:
    struct Statements;
    struct Seen {
        std::uint64_t opening = 0;
        std::int64_t version = 0;
        std::int64_t changes = 0;
    };
    void follow();
    std::string matchquery(const std::vector<std::string>& words);
    std::vector<std::int64_t> named(const std::vector<std::string>& words, const std::string& query,
                                    bool keep, bool deleted, std::size_t limit, bool& all);
    void keepnames(const std::string& word, const std::vector<std::int64_t>& ids);
    static bool holdsall(const std::vector<std::string>& nev, const std::vector<std::string>& words);
    bool listed(std::int64_t id, bool deleted) const;

    sqldb::Connection& connection_;
    std::unique_ptr<Statements> statements_;
    std::unique_ptr<sqldb::FullTextTokenizer> tokenizer_;
    std::vector<std::int64_t> marked_;
    // The notes holding a word in the name, newest first, and their names' words: until the file changes.
    struct NamesOf {
        std::string word;
        std::vector<std::int64_t> ids;
        std::vector<std::vector<std::string>> words;
    };
    std::optional<NamesOf> namesof_;
    Seen seen_;
};

} // namespace noteindex
