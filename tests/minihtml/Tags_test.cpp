#include "minihtml/MiniHtmlTags.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using K = MiniHtmlTagKind;

TEST(CutMiniHtmlRun, CutsAtSpacesOrTagsAndReplacesTheInRunEntities) {
    struct Case {
        const char* text;
        bool wordWrap;
        std::size_t length;
        const char* run;
        bool heldEntity;
        const char* why;
    };
    const Case cases[] = {
        {"one two", true, 4, "one ", false, "through the first space"},
        {"one<b>two", true, 3, "one", false, "up to a tag when no space comes first"},
        {"one<b> two", true, 3, "one", false, "a space after the tag does not count"},
        {"one two<b>", false, 7, "one two", false, "without wrapping: up to the next tag"},
        {"one two", false, 7, "one two", false, "without wrapping: the whole rest"},
        {"word", true, 4, "word", false, "the whole rest"},
        {" lead", true, 1, " ", false, "a leading space is a run of its own"},
        {"  ", true, 1, " ", false, "several spaces make several runs"},
        {"<b>x", true, 0, "", false, "empty when a tag starts the text"},
        {"&nbsp;&nbsp;word next", true, 17, "  word ", true, "&nbsp; never splits a run"},
        {"&lt;b&gt; x", true, 10, "<b> ", true, "&lt; shows < and opens no tag"},
        {"&LT;b", true, 5, "&LT;b", false, "the in-run entities are lower case only"},
        {"&amp;lt;", true, 8, "&amp;lt;", false, "not recursive: &amp;lt; is not &lt;"},
        {"&nbsp;lt;", true, 9, " lt;", true, "nbsp first, then lt, each once"},
        {"a\tb c", true, 4, "a\tb ", false, "a tab is not a break"},
        {"é é", true, 3, "é ", false, "UTF-8 is cut only at spaces"},
    };
    for (const Case& c : cases) {
        const MiniHtmlRun run = CutMiniHtmlRun(c.text, c.wordWrap);
        EXPECT_EQ(run.length, c.length) << c.why;
        EXPECT_EQ(run.text, c.run) << c.why;
        EXPECT_EQ(run.heldEntity, c.heldEntity) << c.why;
    }
}

TEST(CutMiniHtmlRun, OnlyAPlainTrailingSpaceCountsAsTrailingSpace) {
    EXPECT_TRUE(CutMiniHtmlRun("word next", true).endsWithPlainSpace());
    EXPECT_FALSE(CutMiniHtmlRun("word&nbsp; next", true).endsWithPlainSpace());
    EXPECT_FALSE(CutMiniHtmlRun("word<b>", true).endsWithPlainSpace());
}

TEST(MiniHtmlTagText, TagStartsTailsAndLengths) {
    EXPECT_TRUE(StartsMiniHtmlTag("<b>"));
    EXPECT_TRUE(StartsMiniHtmlTag("<bx"));
    EXPECT_FALSE(StartsMiniHtmlTag("<b"));
    EXPECT_FALSE(StartsMiniHtmlTag("a<b>"));
    EXPECT_TRUE(IsDroppedTagTail("<"));
    EXPECT_TRUE(IsDroppedTagTail("<b"));
    EXPECT_FALSE(IsDroppedTagTail("<b>"));
    EXPECT_FALSE(IsDroppedTagTail(""));
    EXPECT_EQ(MiniHtmlTagLength("<b>rest"), 3u);
    EXPECT_EQ(MiniHtmlTagLength("<a href=\"x>y\">"), 11u); // the first > ends the tag, quotes or not
    EXPECT_EQ(MiniHtmlTagLength("<b no end"), 9u);
}

TEST(ClassifyMiniHtmlTag, OpeningTagsByTheirLetters) {
    struct Case {
        const char* text;
        K kind;
        const char* why;
    };
    const Case cases[] = {
        {"<a href=\"1\">", K::Anchor, "A"},
        {"<address>", K::Anchor, "any tag starting with A is an anchor"},
        {"<b>", K::Bold, "B then >"},
        {"<B>", K::Bold, "any case"},
        {"<b >", K::None, "B then a space: no row"},
        {"<blink>", K::Blink, "B then L"},
        {"<body bgcolor=\"x\">", K::Body, "B then O"},
        {"<br>", K::Break, "B then R"},
        {"<bR/>", K::Break, "any case, anything after"},
        {"<e>", K::Error, "E"},
        {"<em>", K::Error, "anything starting with E"},
        {"<font color=\"red\">", K::Font, "F with a > after it"},
        {"<f>", K::Font, "F alone"},
        {"<fon", K::None, "F without a > anywhere after"},
        {"<hi>", K::Highlight, "H then I"},
        {"<hr>", K::Rule, "H then R"},
        {"<h1>", K::None, "other H tags"},
        {"<i>", K::Italic, "I then >"},
        {"<ind x=\"5\">", K::Indent, "I then N"},
        {"<img src=\"a\">", K::Image, "I then M"},
        {"<it>", K::None, "other I tags"},
        {"<li>", K::ListItem, "L"},
        {"<link>", K::ListItem, "anything starting with L"},
        {"<p>", K::Paragraph, "P with a > after it"},
        {"<p align", K::None, "P without a >"},
        {"<r a=\"90\">", K::Rotation, "R"},
        {"<s>", K::StrikeOut, "S then >"},
        {"<shad>", K::Shadow, "S then H"},
        {"<sub>", K::Subscript, "exactly <SUB>"},
        {"<SuP>", K::Superscript, "exactly <SUP>, any case"},
        {"<sub x>", K::None, "<SUB> with more inside is nothing"},
        {"<span>", K::None, "other S tags"},
        {"<u>", K::Underline, "U then >"},
        {"<ul>", K::List, "U then anything else"},
        {"<u class=\"x\">", K::List, "an underline tag with attributes counts as a list"},
        {"<z>", K::Hidden, "Z"},
        {"<center>", K::None, "no centring tag"},
        {"<div>", K::None, "no D row"},
        {"<table>", K::None, "no T row"},
        {"<1>", K::None, "not a letter"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ClassifyMiniHtmlTag(c.text, 0), c.kind) << c.why << ": " << c.text;
}

TEST(ClassifyMiniHtmlTag, ClosingTagsByTheLetterAfterTheSlash) {
    struct Case {
        const char* text;
        int listLevel;
        K kind;
        const char* why;
    };
    const Case cases[] = {
        {"</a>", 0, K::EndAnchor, ""},
        {"</b>", 0, K::EndBold, "B then >"},
        {"</blink>", 0, K::EndBColor, "other closing B tags reset the colour"},
        {"</body>", 0, K::EndBColor, ""},
        {"</b >", 0, K::EndBColor, "a space after B is not >"},
        {"</e>", 0, K::EndError, ""},
        {"</font>", 0, K::EndFont, ""},
        {"</hi>", 0, K::EndHighlight, ""},
        {"</i>", 0, K::EndItalic, ""},
        {"</li>", 0, K::EndListItem, ""},
        {"</p>", 0, K::EndParagraph, ""},
        {"</r>", 0, K::EndRotation, ""},
        {"</sub>", 0, K::EndSubSup, ""},
        {"</SUP>", 0, K::EndSubSup, ""},
        {"</shad>", 0, K::EndShadow, ""},
        {"</s>", 0, K::EndStrikeOut, ""},
        {"</strong>", 0, K::EndStrikeOut, "any other closing S tag"},
        {"</ul>", 1, K::EndList, "inside a list"},
        {"</ul>", 0, K::EndUnderline, "at level 0 a closing UL ends underline"},
        {"</u>", 1, K::EndUnderline, "U then > is underline even inside a list"},
        {"</z>", 0, K::EndHidden, ""},
        {"</center>", 0, K::None, "no row"},
        {"</b", 0, K::None, "fewer than four characters left"},
        {"</b", 2, K::None, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ClassifyMiniHtmlTag(c.text, c.listLevel), c.kind) << c.why << ": " << c.text;
}

TEST(ClassifyMiniHtmlTag, TagsThatEndTheLine) {
    for (K kind : {K::Break, K::Rule, K::List, K::EndParagraph, K::EndListItem})
        EXPECT_TRUE(MiniHtmlTagEndsLine(kind));
    for (K kind : {K::ListItem, K::Image, K::Indent, K::Paragraph, K::EndList, K::Bold})
        EXPECT_FALSE(MiniHtmlTagEndsLine(kind));
}

TEST(MiniHtmlAttribute, FindsTheFirstOccurrenceAndReadsTheNextQuotedText) {
    struct Case {
        const char* attributes;
        const char* name;
        bool ignoreCase;
        std::optional<std::string> expected;
        const char* why;
    };
    const Case cases[] = {
        {" COLOR=\"RED\"", " COLOR", false, "RED", "plain"},
        {" FACE=\"A\" COLOR=\"B\"", " COLOR", false, "B", "second attribute"},
        {" BGCOLOR=\"X\"", " COLOR", false, std::nullopt, "the leading space keeps COLOR out of BGCOLOR"},
        {" FACE=\"SIZE\" SIZE=\"3\"", "SIZE", false, " SIZE=", "a name inside another value is found first"},
        {" COLOR=RED", " COLOR", false, "", "unquoted values read as empty"},
        {" COLOR=RED FACE=\"ARIAL\"", " COLOR", false, "ARIAL", "or as the next quoted text"},
        {" COLOR=\"RED", " COLOR", false, "", "one quote only"},
        {" SRC=\"Pic.png\"", "src", true, "Pic.png", "names in any case, values in their own"},
        {" SRC=\"x\"", "src", false, std::nullopt, "exact case when asked"},
        {"", "X", true, std::nullopt, "empty text"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MiniHtmlAttribute(c.attributes, c.name, c.ignoreCase), c.expected) << c.why;
}

TEST(MiniHtmlAttributeText, StartsAtTheGivenCharacterOfTheTagOnly) {
    EXPECT_EQ(MiniHtmlAttributeText("<font color=\"red\">tail", 5, true), " COLOR=\"RED\">");
    EXPECT_EQ(MiniHtmlAttributeText("<p align=\"x\">", 2, false), " align=\"x\">");
    EXPECT_EQ(MiniHtmlAttributeText("<p>", 5, true), "");
    EXPECT_EQ(MiniHtmlAttributeText("<font face=\"é\">", 5, true), " FACE=\"é\">"); // ASCII-only folding
    // Attributes of a later tag are never read as this tag's.
    EXPECT_EQ(
        MiniHtmlAttribute(MiniHtmlAttributeText("<font>x<font color=\"red\">", 5, true), " COLOR", false),
        std::nullopt);
}

TEST(ParseMiniHtmlImage, ReadsSourceSizeAlignmentAndAlt) {
    const MiniHtmlImage full = ParseMiniHtmlImage("<img src=\"FILE://C:/Pic.png\" width=\"16\" HEIGHT=\"12\" "
                                                  "align=\"middle\" alt=\"Kép\">");
    EXPECT_EQ(full.src, "FILE://C:/Pic.png");
    EXPECT_EQ(full.width, 16);
    EXPECT_EQ(full.height, 12);
    EXPECT_EQ(full.align, MiniHtmlImageAlign::Middle);
    EXPECT_EQ(full.alt, "Kép");

    const MiniHtmlImage bare = ParseMiniHtmlImage("<img src=\"idx:3\">rest");
    EXPECT_EQ(bare.src, "idx:3");
    EXPECT_EQ(bare.width, 0);
    EXPECT_EQ(bare.align, MiniHtmlImageAlign::Bottom);

    EXPECT_EQ(ParseMiniHtmlImage("<img align=\"Top\">").align, MiniHtmlImageAlign::Top);
    // "TOP wins wherever it stands, and without ALIGN nothing is read.
    EXPECT_EQ(ParseMiniHtmlImage("<img alt=\"top\" align=\"middle\">").align, MiniHtmlImageAlign::Top);
    EXPECT_EQ(ParseMiniHtmlImage("<img alt=\"top\">").align, MiniHtmlImageAlign::Bottom);
    EXPECT_EQ(ParseMiniHtmlImage("<img align=\"baseline\">").align, MiniHtmlImageAlign::Bottom);
}

} // namespace
