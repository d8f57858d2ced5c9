#include "minihtml/markup.h"
#include "support/EntitySweep.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

struct TextCase {
    std::string input;
    std::string expected;
    const char* why;
};

TEST(PrepareMiniHtml, ReplacesEntitiesFixesTheFirstHashTagAndTurnsCrIntoBreaks) {
    const TextCase cases[] = {
        {"a &amp; b", "a && b", "&amp; becomes the mnemonic escape, which draws one &"},
        {"&AMP; &Amp;", "&& &&", "entities match in any letter case"},
        {"&quot;x&quot;", "\"x\"", "every occurrence, not only the first"},
        {"&sect;&permil;&reg;&copy;&para;&trade;&euro;", "§‰®©¶™€", "each character entity, in UTF-8"},
        {"&amp;amp;", "&&&", "a replacement that forms a new entity is replaced again"},
        {"&amp;quot;", "&\"", "the second ampersand of && starts a new &quot;"},
        {"&&quot;", "&\"", "a literal ampersand before an entity stays"},
        {"&nbsp;&lt;&gt;", "&nbsp;&lt;&gt;", "the in-run entities are left for the run cutter"},
        {"&permil &euro", "&permil &euro", "no semicolon, no entity"},
        {"&Eacute; &#233;", "&Eacute; &#233;", "unknown and numeric entities stay"},
        {"<a href=\"&quot;x\">", "<a href=\"\"x\">", "a quote entity becomes a real quote inside a tag"},
        {"Kérem válassza ki", "Kérem válassza ki", "UTF-8 text passes untouched"},
        {"a<#b>c", "a#bc", "the < of the first <# and the first > after it go"},
        {"<#1> <#2>", "#1 <#2>", "only the first <# is treated"},
        {"x>y<#z", "x>y#z", "a > before the <# is not the one removed"},
        {"<#", "#", "no > after <#: only the < goes"},
        {"a\r\nb", "a<BR>b", "CR LF breaks the line once"},
        {"a\nb", "ab", "a lone LF joins the words"},
        {"a\rb", "a<BR>b", "a lone CR breaks"},
        {"&amp;\r\n&amp;", "&&<BR>&&", "entities and line breaks together"},
        {"", "", "empty text"},
    };
    for (const TextCase& c : cases)
        EXPECT_EQ(PrepareMiniHtml(c.input), c.expected) << c.why << ": \"" << c.input << "\"";
}

TEST(PrepareMiniHtml, EntityPassEqualsTheRepeatedSweepOnRandomText) {
    const std::vector<std::string> pieces = {"&", "amp;", "AmP;", "quot;", "sect;", "permil;", "euro;", ";",
                                             "a", "&amp", "&am",  "p;",    " ",     "é",       "&&"};
    std::mt19937 random(20261209);
    for (int round = 0; round < 3000; ++round) {
        std::string text;
        const int count = int(random() % 12);
        for (int i = 0; i < count; ++i)
            text += pieces[random() % pieces.size()];
        EXPECT_EQ(PrepareMiniHtml(text), SweepEntities(text)) << "\"" << text << "\"";
    }
}

TEST(PrepareMiniHtml, LongTextsFullOfEntitiesStayFast) {
    // A list of many note names full of entities is prepared on every paint; a quadratic pass would
    // freeze the window. This finishes at once in linear time and takes minutes in quadratic time.
    std::string text;
    for (int i = 0; i < 200000; ++i)
        text += "&amp;";
    const std::string prepared = PrepareMiniHtml(text);
    EXPECT_EQ(prepared.size(), 400000u);
    EXPECT_EQ(prepared.find_first_not_of('&'), std::string::npos);
}

TEST(StripLineBreaks, DropsOrConvertsCrAndLf) {
    struct Case {
        const char* input;
        bool crToBreak;
        const char* expected;
    };
    const Case cases[] = {
        {"a\r\nb", false, "ab"},
        {"a\r\nb", true, "a<BR>b"},
        {"a\n\nb", true, "ab"},
        {"\r\r", true, "<BR><BR>"},
        {"a b", true, "a b"},
        // Line ends at either edge, a lone LF before a CR, and nothing at all.
        {"\r\nab\r\n", true, "<BR>ab<BR>"},
        {"\nx\r", false, "x"},
        {"a\n\rb\n", true, "a<BR>b"},
        {"", true, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(StripLineBreaks(c.input, c.crToBreak), c.expected) << c.input << " " << c.crToBreak;
}

TEST(ReplaceFirstNoCase, ReplacesOnlyTheFirstOccurrenceInAnyCase) {
    struct Case {
        const char* pattern;
        const char* replacement;
        const char* text;
        const char* expected;
        bool replaced;
    };
    const Case cases[] = {
        {"<br>", "\r\n", "a<BR>b<br>", "a\r\nb<br>", true},
        {"x", "yy", "aXa", "ayya", true},
        {"zz", "y", "abc", "abc", false},
        {"", "y", "abc", "abc", false}, // an empty pattern would otherwise match for ever
        {"É", "e", "é", "é", false},    // only ASCII letters fold
        {"abc", "", "xABCx", "xx", true},
    };
    for (const Case& c : cases) {
        std::string text = c.text;
        EXPECT_EQ(ReplaceFirstNoCase(c.pattern, c.replacement, text), c.replaced) << c.pattern;
        EXPECT_EQ(text, c.expected) << c.pattern;
    }
}

struct ColorCase {
    std::string value;
    TColor expected;
    const char* why;
};

TEST(ParseHtmlColor, ReadsHexAndNamedColours) {
    const ColorCase cases[] = {
        {"#9F0000", 0x00009F, "hex RRGGBB, stored as 0x00BBGGRR"},
        {"#9f0000", 0x00009F, "lower-case hex digits read the same"},
        {"#123456", 0x563412, "each pair lands in its own channel"},
        {"#FFFFFF", 0xFFFFFF, "white"},
        {"#12", 0x000012, "missing pairs count as 0"},
        {"#", 0x000000, "nothing after #"},
        {"#GG0000", ColorFromRgb(16 * 16 + 16, 0, 0), "non-hex digits keep only the low eight bits"},
        {"#\xC3\xA9\xC3\xA9\xC3\xA9", ColorFromRgb(16 * 140 + 114, 16 * 140 + 114, 16 * 140 + 114),
         "UTF-8 bytes never produce a value outside RGB"},
        {"clRed", 0x0000FF, "names in any case"},
        {"CLRED", 0x0000FF, "names in upper case, as FONT upper-cases them"},
        {"red", 0, "a name needs the cl prefix"},
        {"clHighlight", SystemColor(13), "system colours"},
        {"", 0, "empty value gives black"},
        {" clred", 0, "no trimming"},
    };
    for (const ColorCase& c : cases)
        EXPECT_EQ(ParseHtmlColor(c.value), c.expected) << c.why << ": \"" << c.value << "\"";
    for (const ColorCase& c : cases)
        EXPECT_TRUE(IsRgbColor(ParseHtmlColor(c.value)) || IsSystemColor(ParseHtmlColor(c.value))) << c.value;
}

TEST(NamedHtmlColor, KnowsEveryNameOfTheTable) {
    const ColorCase cases[] = {
        {"clred", ColorFromRgb(0xFF, 0, 0), ""},
        {"clblack", ColorFromRgb(0, 0, 0), ""},
        {"clblue", ColorFromRgb(0, 0, 0xFF), ""},
        {"clgreen", ColorFromRgb(0, 0x80, 0), ""},
        {"claqua", ColorFromRgb(0, 0xFF, 0xFF), ""},
        {"clyellow", ColorFromRgb(0xFF, 0xFF, 0), ""},
        {"clfuchsia", ColorFromRgb(0xFF, 0, 0xFF), ""},
        {"clwhite", ColorFromRgb(0xFF, 0xFF, 0xFF), ""},
        {"cllime", ColorFromRgb(0, 0xFF, 0), ""},
        {"clsilver", ColorFromRgb(0xC0, 0xC0, 0xC0), ""},
        {"clgray", ColorFromRgb(0x80, 0x80, 0x80), ""},
        {"clolive", ColorFromRgb(0x80, 0x80, 0), ""},
        {"clnavy", ColorFromRgb(0, 0, 0x80), ""},
        {"clpurple", ColorFromRgb(0x80, 0, 0x80), ""},
        {"clteal", ColorFromRgb(0, 0x80, 0x80), ""},
        {"clmaroon", ColorFromRgb(0x80, 0, 0), ""},
        {"clbackground", 0xFF000001, ""},
        {"clactivecaption", 0xFF000002, ""},
        {"clinactivecaption", 0xFF000003, ""},
        {"clmenu", 0xFF000004, ""},
        {"clwindow", 0xFF000005, ""},
        {"clwindowframe", 0xFF000006, ""},
        {"clmenutext", 0xFF000007, ""},
        {"clwindowtext", 0xFF000008, ""},
        {"clcaptiontext", 0xFF000009, ""},
        {"clactiveborder", 0xFF00000A, ""},
        {"clinactiveborder", 0xFF00000B, ""},
        {"clappworkspace", 0xFF00000C, ""},
        {"clhighlight", 0xFF00000D, ""},
        {"clhighlighttext", 0xFF00000E, ""},
        {"clbtnface", 0xFF00000F, ""},
        {"clbtnshadow", 0xFF000010, ""},
        {"clgraytext", 0xFF000011, ""},
        {"clbtntext", 0xFF000012, ""},
        {"clinactivecaptiontext", 0xFF000013, ""},
        {"clbtnhighlight", 0xFF000014, ""},
        {"cl3ddkshadow", 0xFF000015, ""},
        {"cl3dlight", 0xFF000016, ""},
        {"clinfotext", 0xFF000017, ""},
        {"clinfobk", 0xFF000018, ""},
        {"clnone", 0, "not in the table"},
        {"clredd", 0, "no prefix matching"},
    };
    for (const ColorCase& c : cases) {
        EXPECT_EQ(NamedHtmlColor(c.value), c.expected) << c.value;
        EXPECT_EQ(ParseHtmlColor(c.value), c.expected) << c.value;
    }
}

TEST(Color, SystemNoneAndRgbAreDistinct) {
    EXPECT_TRUE(IsSystemColor(SystemColor(24)));
    EXPECT_EQ(SystemColorIndex(SystemColor(24)), 24);
    EXPECT_FALSE(IsSystemColor(clNone));
    EXPECT_FALSE(IsRgbColor(clNone));
    EXPECT_FALSE(IsSystemColor(0xFFFFFF));
    EXPECT_EQ(ColorRed(0x563412), 0x12);
    EXPECT_EQ(ColorGreen(0x563412), 0x34);
    EXPECT_EQ(ColorBlue(0x563412), 0x56);
}

TEST(HexPairValue, ReadsTwoCharactersByTheirCodes) {
    struct Case {
        const char* pair;
        int expected;
        const char* why;
    };
    const Case cases[] = {
        {"9F", 159, "digit and upper-case letter"},
        {"00", 0, ""},
        {"FF", 255, ""},
        {"A0", 160, "letters count from 10"},
        {"9f", 9 * 16 + 47, "lower case is not folded here: callers upper-case first"},
        {"F", 0, "fewer than two characters"},
        {"", 0, "empty"},
        {"123", 18, "only the first two count"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(HexPairValue(c.pair), c.expected) << c.why << ": \"" << c.pair << "\"";
}

TEST(LeadingNumber, ReadsSignsHexPrefixesAndDropsTheSignWhenStopped) {
    struct Case {
        const char* text;
        int expected;
        const char* why;
    };
    const Case cases[] = {
        {"42", 42, "plain decimal"},
        {"   42", 42, "leading spaces skipped"},
        {"+1", 1, "plus sign"},
        {"-1", -1, "minus runs to the end: negative"},
        {"-1\">", 1, "minus stopped by the closing quote: the sign is dropped"},
        {"-12abc", 12, "any stopping character drops the sign"},
        {"+1\"", 1, "a size written +1 reads 1"},
        {"$1F", 31, "dollar prefix"},
        {"x1f", 31, "x prefix, lower-case digits"},
        {"X10", 16, "X prefix"},
        {"0x1F", 31, "0x prefix"},
        {"0XfF", 255, "0X prefix"},
        {"-$10", -16, "sign before a hex prefix"},
        {"-0x10 ", 16, "hex stopped by a space drops the sign"},
        {"0x", 0, "prefix without digits"},
        {"abc", 0, "no digits"},
        {"", 0, "empty"},
        {"-", 0, "a sign alone"},
        {"\t5", 0, "only spaces are skipped"},
        {"1 2", 1, "stops at the space"},
        {"007", 7, "leading zeros stay decimal"},
        {"99999999999", 2147483647, "beyond the int range saturates"},
        {"-99999999999", -2147483647 - 1, "negative saturation"},
        {"-2147483648", -2147483647 - 1, "the smallest int is exact"},
        {"$FFFFFFFF", 2147483647, "hex beyond the range saturates too"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(LeadingNumber(c.text), c.expected) << c.why << ": \"" << c.text << "\"";
}

TEST(MiniHtmlPlainText, KeepsTheVisibleTextOfAMarkupText) {
    const TextCase cases[] = {
        {"<a href=\"12\">Bevásárlás</a><br>", "Bevásárlás\r\n", "links lose their tags, breaks become CR LF"},
        {"a<BR>b<hR>c", "a\r\nb\r\nc", "breaks and rules in any case"},
        {"a<z>secret</z>b", "ab", "hidden sections go whole"},
        {"a<Z>secret</Z>b", "ab", "upper-case hidden sections too"},
        {"a<z>x</Z>b", "axb", "a mixed-case pair is not a section; the tags alone go"},
        {"a<z>x", "ax", "an unclosed section stays, only its tag goes"},
        {"<<z>x</z>z>y</z>w", "w", "a removal that forms a new <z> starts a new section"},
        {"a<b", "a<b", "a < without > stays with the rest"},
        {"<b>x</b> < y", "x < y", "a later < without > stays"},
        {"&amp; &nbsp;", "&amp; &nbsp;", "entities stay as written"},
        {"", "", "empty"},
    };
    for (const TextCase& c : cases)
        EXPECT_EQ(MiniHtmlPlainText(c.input), c.expected) << c.why << ": \"" << c.input << "\"";
}

} // namespace
