#pragma once
// A name written by the user, shown as one row of a markup list.
//
// A list joins many names into one markup text, and the markup has global reach: a hide tag hides
// everything after it, a paragraph's alignment holds for every later line, a "<" without its ">" swallows
// the text up to the next row's tag. A name goes into a list only through these functions, which keep it
// to its own row:
//  - the formatting tags <B> <I> <U> <S> <SHAD> <SUB> <SUP> <E> <HI> <FONT ...> and their closing tags
//    work inside the row; every one the name opens is closed at the row's end, and a closing tag closes
//    only what the name opened;
//  - at most one background (<FONT BGCOLOR> or <HI>) is open at a time, opened from the row's plain
//    background, so whatever closes it gives the next row that same plain background;
//  - every other "<" (any other tag, a "<" with no ">" after it in the name) shows literally, and so does
//    an "&" that begins none of the markup's entities; CR and LF show as a space;
//  - a name that draws nothing (empty, blank, or only tags) shows the fallback instead, so the row can
//    still be seen and clicked.
// The result is the row's text only: the caller wraps it in the row's link.

#include <string>
#include <string_view>

// The markup of the name for one row. The fallback is plain text (no markup), shown as written.
std::string ContainedNameMarkup(std::string_view name, std::string_view fallback);
// The same, appended to out: a list of thousands of names is built without a string for each.
void AppendContainedNameMarkup(std::string& out, std::string_view name, std::string_view fallback);

// The text the row shows, without its formatting, for places that show plain text (a menu): entities
// read, formatting tags left out, CR and LF as a space; the fallback when the name draws nothing.
std::string ContainedNameText(std::string_view name, std::string_view fallback);

// A plain text as markup that shows it as written: every "<" and "&" literal, CR and LF as a space.
std::string EscapeMiniHtmlText(std::string_view text);
