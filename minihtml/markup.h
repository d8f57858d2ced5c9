#pragma once
// The text-level routines of the mini-HTML markup: preparing a text before layout, the value parsers that
// tags use (colours, numbers), and the plain-text form of a markup text used for hints.
//
// All text is UTF-8. Only ASCII letters are ever case-folded, so characters outside ASCII pass through
// every routine here unchanged.

#include "minihtml/Color.h"

#include <string>
#include <string_view>

// Readies a markup text for layout, in this order:
//  1. when it holds "&": the entities "&amp;" (to "&&", which draws one "&"), "&quot;", "&sect;",
//     "&permil;", "&reg;", "&copy;", "&para;", "&trade;" and "&euro;" are replaced, in any letter case,
//     until none is left; a replacement that forms a new entity with the text around it is replaced too
//     ("&amp;amp;" gives "&&&");
//  2. the "<" of the first "<#" and the first ">" after it are removed;
//  3. StripLineBreaks(text, true).
// "&nbsp;", "&lt;" and "&gt;" are left for the run cutter, so they can never split a run or open a tag.
// Runs in time linear in the text.
std::string PrepareMiniHtml(std::string_view text);

// Removes every CR and LF. With crToBreak, each CR becomes "<BR>" instead, so a CR LF pair breaks the line
// once and a lone LF breaks nothing.
std::string StripLineBreaks(std::string_view text, bool crToBreak);

// Replaces the first occurrence of pattern in text, comparing ASCII letters without regard to case.
// Returns whether there was one. An empty pattern never matches.
bool ReplaceFirstNoCase(std::string_view pattern, std::string_view replacement, std::string& text);

// The colour an attribute value names. "#RRGGBB" (hex digits in any case) is read pair by pair with
// HexPairValue; missing digits count as 0, and each channel keeps its low eight bits, so the result is
// always an RGB colour. Anything else is looked up with NamedHtmlColor. The empty value gives black;
// callers that must leave a colour unchanged for it check for emptiness first.
TColor ParseHtmlColor(std::string_view value);

// The colour for a name of the colour table ("clred" ... "clinfobk"), compared without regard to ASCII
// case. A name that is not in the table gives 0 (black).
TColor NamedHtmlColor(std::string_view name);

// The value of the first two characters read as a hex pair: each character counts as its code - 48 below
// "A" (65) and as its code - 55 from "A" on, and the pair is 16 * first + second. Characters that are not
// hex digits therefore give values outside 0..255. Fewer than two characters give 0.
int HexPairValue(std::string_view pair);

// The number at the start of the text: spaces skipped, one optional "+" or "-", then decimal digits, or
// hexadecimal digits after "$", "x", "X", "0x" or "0X". Reading stops at the first other character. When
// the number runs to the end of the text a "-" makes it negative; when another character stopped it the
// sign is dropped ("-5\"" reads 5). No digits give 0. Magnitudes beyond the int range saturate at
// INT_MAX (or INT_MIN when negative) rather than wrap.
int LeadingNumber(std::string_view text);

// The text a markup text shows, for hints: "<BR>" and then "<HR>" (any case) become CR LF; sections from
// "<z>" to the next "</z>" and then from "<Z>" to the next "</Z>" are removed whole; every other tag,
// from "<" to the next ">", is removed. A "<" without a ">" after it stays, with the rest of the text.
// Entities stay as written.
std::string MiniHtmlPlainText(std::string_view text);
