#pragma once
// The banner lines of the note list window, in display order.

#include <string>
#include <vector>

// Two lines of mini-HTML, each: a centred paragraph, a link whose text is its own address, then a shaded
// " - " and a one-line description. Line 1 is the maker's site and its web services, line 2 the maker's
// shop-inventory software. The addresses stand under example.org until the program has a site of its own;
// this is the one place to change them.
std::vector<std::string> bannerlines();
