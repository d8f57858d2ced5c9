#pragma once
// The rows of the note list window, as mini-HTML: every row of the list is built here.

#include <cstdint>
#include <string>
#include <string_view>

// A note's row: its name as a link to its id, with a line break after it. The name's markup is kept to
// its row, and a name that draws nothing shows as "<id>. jegyzet". The row the keyboard stands
// on is highlighted. A piece of the note's text that a search found (the matched words between
// noteindex::kMatchStart and kMatchEnd) goes under the name, escaped so it shows as written, the matched
// words bold. With neither, the row is exactly the link and the break.
std::string listrow(std::int32_t id, const std::string& name, bool highlighted, const std::string& snippet);
// The same row, appended to text.
void appendlistrow(std::string& text, std::int32_t id, std::string_view name, bool highlighted,
                   const std::string& snippet);

// Text shown as written: no character of it opens a tag or an entity, and it stays on one line.
std::string escapedmarkup(const std::string& text);
