#pragma once
// A plain reading of the search rule, to hold the index against: a note matches when every word of the
// query starts a word of its name or text, letters compared without case and accents. Knows the letters
// of Hungarian and ASCII, which is all the texts it is used on hold.

#include "store/NoteIndex.h"

#include <cctype>
#include <cstdint>
#include <string>
#include <vector>

namespace searchreference {

// The ids of the notes found, in their order.
inline std::vector<std::int32_t> ids(const std::vector<Tfoundnote>& notes) {
    std::vector<std::int32_t> result;
    for (const Tfoundnote& note : notes)
        result.push_back(note.id);
    return result;
}

// The text in lower case without accents, each character that is no letter or digit a space.
inline std::string fold(const std::string& text) {
    static const std::vector<std::pair<std::string, char>> accented = {
        {"á", 'a'}, {"é", 'e'}, {"í", 'i'}, {"ó", 'o'}, {"ö", 'o'}, {"ő", 'o'},
        {"ú", 'u'}, {"ü", 'u'}, {"ű", 'u'}, {"Á", 'a'}, {"É", 'e'}, {"Í", 'i'},
        {"Ó", 'o'}, {"Ö", 'o'}, {"Ő", 'o'}, {"Ú", 'u'}, {"Ü", 'u'}, {"Ű", 'u'}};
    std::string folded;
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            folded += std::isalnum(c) ? static_cast<char>(std::tolower(c)) : ' ';
            ++i;
            continue;
        }
        bool known = false;
        for (const auto& [letter, plain] : accented) {
            if (text.compare(i, letter.size(), letter) == 0) {
                folded += plain;
                i += letter.size();
                known = true;
                break;
            }
        }
        if (!known) { // any other character: a separator, as the texts use no other letters
            folded += ' ';
            ++i;
            while (i < text.size() && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80)
                ++i;
        }
    }
    return folded;
}

inline std::vector<std::string> words(const std::string& text) {
    std::vector<std::string> result;
    std::string word;
    for (const char c : fold(text) + " ") {
        if (c != ' ') {
            word += c;
        } else if (!word.empty()) {
            result.push_back(word);
            word.clear();
        }
    }
    return result;
}

inline bool matches(const std::string& query, const std::string& nev, const std::string& jegyzet) {
    const std::vector<std::string> held = words(nev + " " + jegyzet);
    for (const std::string& wanted : words(query)) {
        bool found = false;
        for (const std::string& word : held)
            found = found || word.compare(0, wanted.size(), wanted) == 0;
        if (!found)
            return false;
    }
    return true;
}

} // namespace searchreference
