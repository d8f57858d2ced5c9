#pragma once
// What the full-text search of SQLite (FTS5) offers a connection, where its SQLite was built with it.

#include "db/Connection.h"

#include <string>
#include <vector>

namespace sqldb {

// Whether FTS5 tables can be made and read on the connected connection. Writes nothing to the file.
bool hasfts5(Connection& connection);

// The words of a text as an FTS5 tokenizer cuts and folds them for a query: `tokenizer` is its name and
// arguments as an FTS5 table's tokenize option gives them ("unicode61", "remove_diacritics", "2").
// Throws Error when the connection has no FTS5 or no such tokenizer.
std::vector<std::string> fts5tokens(Connection& connection, const std::vector<std::string>& tokenizer,
                                    const std::string& text);

// An FTS5 query string that matches rows holding, for each word (or with `any`, for one of them), a word
// starting with it: every word is a quoted string, so no character of it is read as query syntax.
std::string fts5prefixquery(const std::vector<std::string>& words, bool any = false);

} // namespace sqldb
