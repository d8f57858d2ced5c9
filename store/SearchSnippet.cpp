#include "store/SearchSnippet.h"

#include "store/NoteIndex.h"

#include <algorithm>

namespace noteindex {

namespace {

// Between two words a text may hold a long run of other characters (a line of dashes, a pasted table):
// the piece keeps a short part of it, cut where a character starts.
constexpr std::size_t kLongestGap = 40;

std::size_t charstart(const std::string& text, std::size_t at) {
    while (at > 0 && at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80)
        --at;
    return at;
}

void append(std::string& piece, const std::string& text, std::size_t from, std::size_t to) {
    for (std::size_t i = from; i < to; ++i)
        if (text[i] != kMatchStart && text[i] != kMatchEnd)
            piece += text[i];
}

// The characters between two words (or before the first, after the last), a long run shortened.
void appendgap(std::string& piece, const std::string& text, std::size_t from, std::size_t to, bool keephead,
               bool keeptail) {
    if (to - from <= kLongestGap) {
        append(piece, text, from, to);
        return;
    }
    if (keephead)
        append(piece, text, from, charstart(text, from + kLongestGap / 2));
    piece += "…";
    if (keeptail)
        append(piece, text, charstart(text, to - kLongestGap / 2), to);
}

bool isfound(const std::string& word, const std::vector<std::string>& found) {
    return std::any_of(found.begin(), found.end(),
                       [&](const std::string& prefix) { return word.starts_with(prefix); });
}

} // namespace

std::string snippet(const sqldb::FullTextTokenizer& tokenizer, const std::string& text,
                    const std::vector<std::string>& found, std::size_t width) {
    using Word = sqldb::FullTextTokenizer::Word;
    if (width == 0)
        return {};
    // A few words before the first match say where it stands; the rest of the piece follows it, unless
    // the text ends first: then the piece reaches further back.
    constexpr std::size_t kBefore = 2;
    std::vector<Word> prior; // the last words before the first match, at most width - 1
    std::size_t skipped = 0; // words before those
    std::vector<Word> piece; // from the first match on
    bool more = false;
    tokenizer.eachword(text, [&](const Word& word) {
        if (piece.empty()) {
            if (!isfound(word.folded, found)) {
                if (prior.size() == width - 1) {
                    prior.erase(prior.begin());
                    ++skipped;
                }
                prior.push_back(word);
                return true;
            }
        } else if (piece.size() == width - std::min(kBefore, prior.size())) {
            more = true;
            return false;
        }
        piece.push_back(word);
        return true;
    });
    if (piece.empty())
        return {};
    const std::size_t take = std::min(prior.size(), width - piece.size());
    skipped += prior.size() - take;
    piece.insert(piece.begin(), prior.end() - static_cast<std::ptrdiff_t>(take), prior.end());
    std::string result;
    if (skipped == 0)
        appendgap(result, text, 0, piece.front().begin, false, true);
    else
        result += "…";
    for (std::size_t i = 0; i < piece.size(); ++i) {
        if (i > 0)
            appendgap(result, text, piece[i - 1].end, piece[i].begin, true, true);
        const bool mark = isfound(piece[i].folded, found);
        if (mark)
            result += kMatchStart;
        append(result, text, piece[i].begin, piece[i].end);
        if (mark)
            result += kMatchEnd;
    }
    if (more)
        result += "…";
    else
        appendgap(result, text, piece.back().end, text.size(), true, false);
    return result;
}

} // namespace noteindex
