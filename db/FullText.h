#pragma once
// What the full-text search of SQLite (FTS5) offers a connection, where its SQLite was built with it.

#include "db/Connection.h"

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace sqldb {

// Whether FTS5 tables can be made and read on the connected connection. Writes nothing to the file.
bool hasfts5(Connection& connection);

// An FTS5 tokenizer made once for many texts: cutting the words of a few dozen notes one after another
// should not make and free a tokenizer for each.
class FullTextTokenizer {
public:
    // `tokenizer` is its name and arguments as an FTS5 table's tokenize option gives them ("unicode61",
    // "remove_diacritics", "2"). Throws Error when the connection has no FTS5 or no such tokenizer.
    FullTextTokenizer(Connection& connection, const std::vector<std::string>& tokenizer);
    ~FullTextTokenizer();
    FullTextTokenizer(const FullTextTokenizer&) = delete;
    FullTextTokenizer& operator=(const FullTextTokenizer&) = delete;

    // A word of a stored text as the index holds it, and where it stands in the text (bytes).
    struct Word {
        std::string folded;
        std::size_t begin;
        std::size_t end;
    };
    // The words of a stored text, one by one, until `each` returns false.
    template <typename Each> void eachword(const std::string& text, Each each) const {
        eachword(text, &each,
                 [](void* context, const Word& word) { return (*static_cast<Each*>(context))(word); });
    }
    // The words of a text as the tokenizer cuts and folds them for a query.
    std::vector<std::string> query(const std::string& text) const;

private:
    void eachword(const std::string& text, void* context, bool (*each)(void*, const Word&)) const;
    void walkwords(int reason, const std::string& text, void* context,
                   bool (*each)(void*, const Word&)) const;
    struct Instance;
    std::unique_ptr<Instance> instance_;
};

// A word as an FTS5 string: no character of it is read as query syntax.
std::string fts5quoted(const std::string& word);

} // namespace sqldb
