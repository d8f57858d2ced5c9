#pragma once
// The piece of a note's text shown under its name among the notes found: the words around the first one
// found, cut and folded as the index cuts and folds them, so the piece marks exactly what the search
// matched.

#include "db/FullText.h"

#include <cstddef>
#include <string>
#include <vector>

namespace noteindex {

// `width` words of `text` around the first word that starts with one of `found` (folded words), every such
// word between kMatchStart and kMatchEnd, "…" where the text goes on; empty when no word starts so. Marks
// already in the text are left out, so only the search's own stand. The text is cut only as far as the
// piece needs.
std::string snippet(const sqldb::FullTextTokenizer& tokenizer, const std::string& text,
                    const std::vector<std::string>& found, std::size_t width = 10);

} // namespace noteindex
