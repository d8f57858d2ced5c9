#include "Tags_walk.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using K = MiniHtmlTagKind;
constexpr TColor kBase = 0x111111;
constexpr TColor kUrl = 0xFF0000;
constexpr TColor kRed = 0x0000FF;

TEST(TagEffects, TheListHeaderLineDrawsLeftAlignedInThreeFonts) {
    const Walked walked = WalkMarkup("<center><font color=\"#9f0000\" size=\"+1\">Kérem válassza ki melyiket "
                                     "szeretné törölni!</font> (<a href=\"cancel\">mégsem</a>)</center>",
                                     TestContext());
    ASSERT_EQ(walked.text(), "Kérem válassza ki melyiket szeretné törölni! (mégsem)");
    const WalkedRun& request = walked.runs[0];
    EXPECT_EQ(request.font.Color, 0x00009Fu);
    EXPECT_EQ(request.font.Size, 8);
    const WalkedRun& open = walked.run(" (");
    EXPECT_EQ(open.font, TestContext().baseFont);
    const WalkedRun& link = walked.run("mégsem");
    EXPECT_EQ(link.href, "cancel");
    EXPECT_TRUE(link.inAnchor);
    EXPECT_EQ(link.font.Color, kUrl);
    EXPECT_TRUE(link.font.has(MiniHtmlStyle::Underline));
    EXPECT_EQ(walked.run(")").font.Color, kBase);
    EXPECT_FALSE(walked.run(")").font.has(MiniHtmlStyle::Underline));
    EXPECT_EQ(walked.state.alignment, MiniHtmlAlign::Left);
}

TEST(TagEffects, ClosingTagsResetRatherThanPop) {
    // The first closing tag of a kind ends every open one of that kind.
    const Walked bold = WalkMarkup("<b>a<b>b</b>c</b>d", TestContext());
    EXPECT_TRUE(bold.run("a").font.has(MiniHtmlStyle::Bold));
    EXPECT_TRUE(bold.run("b").font.has(MiniHtmlStyle::Bold));
    EXPECT_FALSE(bold.run("c").font.has(MiniHtmlStyle::Bold));

    // After a link inside a coloured FONT, the rest of the section is in the base colour.
    const Walked link = WalkMarkup("<font color=\"clred\">x<a href=\"1\">y</a>z</font>w", TestContext());
    EXPECT_EQ(link.run("x").font.Color, kRed);
    EXPECT_EQ(link.run("y").font.Color, kUrl);
    EXPECT_EQ(link.run("z").font.Color, kBase);
    EXPECT_EQ(link.run("w").font.Color, kBase);

    // </FONT> gives back the base face and size, not the outer FONT's.
    const Walked fonts = WalkMarkup("<font face=\"a\" size=\"5\">x<font size=\"1\">y</font>z", TestContext());
    EXPECT_EQ(fonts.run("y").font.Size, 8);
    EXPECT_EQ(fonts.run("z").font.Face, "Base");
    EXPECT_EQ(fonts.run("z").font.Size, 9);

    // Any other closing B tag resets the colour.
    EXPECT_EQ(WalkMarkup("<font color=\"clred\">x</blink>y", TestContext()).run("y").font.Color, kBase);
}

TEST(TagEffects, FontSizeMapsTheFiveStepsAndTakesOtherNumbersAsPoints) {
    struct Case {
        const char* tag;
        int size;
        const char* why;
    };
    const Case cases[] = {
        {"<font size=\"1\">", 8, "step 1"},
        {"<font size=\"2\">", 10, "step 2"},
        {"<font size=\"3\">", 12, "step 3"},
        {"<font size=\"4\">", 14, "step 4"},
        {"<font size=\"5\">", 16, "step 5"},
        {"<font size=\"+1\">", 8, "no relative sizes: +1 reads 1"},
        {"<font size=\"-1\">", 8, "the closing quote drops the sign"},
        {"<font size=\"7\">", 7, "points beyond the steps"},
        {"<font size=\"$10\">", 16, "hex reads too"},
        {"<font size = \"4\">", 14, "spaces around ="},
        {"<FONT SIZE=\"4\">", 14, "any case"},
        {"<font size=3>", 9, "unquoted and nothing quoted after: unchanged"},
        {"<font size=3 face=\"x\">", 9, "unquoted: reads the next quoted text, which is no number"},
        {"<font size=\"0\">", 9, "zero keeps the size"},
        {"<font size=\"99999\">", 1000, "an absurd size is capped"},
        {"<font face=\"size\" color=\"2\">", 10, "SIZE inside another value reads the next quoted value"},
    };
    for (const Case& c : cases) {
        MiniHtmlFont font{"Base", 9, 0, 0, kBase};
        RenderState state;
        ApplyMiniHtmlTag(c.tag, state, font, TestContext(false));
        EXPECT_EQ(font.Size, c.size) << c.why << ": " << c.tag;
    }
}

TEST(TagEffects, FontSizeOverridesAPixelHeightAndCloseRestoresIt) {
    MiniHtmlTagContext context = TestContext();
    context.baseFont.PixelHeight = 13;
    MiniHtmlFont font = context.baseFont;
    RenderState state;
    ApplyMiniHtmlTag("<font size=\"2\">", state, font, context);
    EXPECT_EQ(font.PixelHeight, 0);
    EXPECT_EQ(font.Size, 10);
    ApplyMiniHtmlTag("<font face=\"x\">", state, font, context);
    EXPECT_EQ(font.Size, 10); // no SIZE: unchanged
    ApplyMiniHtmlTag("</font>", state, font, context);
    EXPECT_EQ(font, context.baseFont);
}

TEST(TagEffects, FontAttributesAreFoundBySubstringSearch) {
    struct Case {
        const char* markup;
        TColor color;
        const char* face;
        const char* why;
    };
    const Case cases[] = {
        {"<font color=\"clRed\">x", kRed, "Base", "mixed-case name"},
        {"<font color=\"CLRED\">x", kRed, "Base", "upper-case name"},
        {"<font color=\"red\">x", 0, "Base", "no cl prefix gives black"},
        {"<font color=red>x", kBase, "Base", "unquoted leaves the colour as it was"},
        {"<font color=\"\">x", kBase, "Base", "empty leaves the colour as it was"},
        {"<font bgcolor=\"clred\">x", kBase, "Base", "BGCOLOR does not match COLOR"},
        {"<font face=\"Verdana\">x", kBase, "VERDANA", "the face is upper-cased"},
        {"<font face=\"x color\" color=\"clred\">x", 0, "X COLOR",
         "COLOR inside the face value is found first and reads what follows as its value"},
        {"<font face=\"Árvíz\">x", kBase, "ÁRVíZ", "only ASCII letters are upper-cased"},
    };
    for (const Case& c : cases) {
        const Walked walked = WalkMarkup(c.markup, TestContext());
        ASSERT_FALSE(walked.runs.empty()) << c.why;
        EXPECT_EQ(walked.runs.back().font.Color, c.color) << c.why;
        EXPECT_EQ(walked.runs.back().font.Face, c.face) << c.why;
    }
}

TEST(TagEffects, FontBackgroundActsOnlyWhenDrawingAndCloseRestoresTheSlot) {
    const Walked drawn = WalkMarkup("a<font bgcolor=\"#00FF00\">b</font>c", TestContext());
    EXPECT_EQ(drawn.run("a").background, clNone);
    EXPECT_EQ(drawn.run("b").background, 0x00FF00u);
    EXPECT_EQ(drawn.run("c").background, clNone);

    const Walked measured =
        WalkMarkup("<font bgcolor=\"#00FF00\" color=\"clred\">b</font>c", TestContext(false));
    EXPECT_EQ(measured.run("b").background, clNone);
    EXPECT_EQ(measured.run("b").font.Color, kRed); // COLOR acts in every pass
    EXPECT_EQ(measured.run("c").font.Color, kRed); // but </FONT> resets colours only when drawing

    // A second BGCOLOR overwrites the slot: the first </FONT> goes back to the first background only.
    const Walked twice =
        WalkMarkup("<font bgcolor=\"#010101\">a<font bgcolor=\"#020202\">b</font>c", TestContext());
    EXPECT_EQ(twice.run("c").background, 0x010101u);
}

TEST(TagEffects, ParagraphAlignmentChecksRightThenLeftThenCenter) {
    struct Case {
        const char* value;
        MiniHtmlAlign before;
        MiniHtmlAlign after;
        const char* why;
    };
    using A = MiniHtmlAlign;
    const Case cases[] = {
        {"right", A::Left, A::Right, ""},
        {"left", A::Right, A::Left, ""},
        {"center", A::Left, A::Center, ""},
        {"Center", A::Left, A::Center, "any case"},
        {"rightleft", A::Left, A::Left, "left is checked after right"},
        {"leftcenter", A::Left, A::Center, "center is checked last"},
        {"centerright", A::Left, A::Center, "center wins wherever it stands"},
        {"middle", A::Right, A::Right, "other values leave it"},
        {"", A::Center, A::Center, "empty leaves it"},
    };
    for (const Case& c : cases) {
        RenderState state;
        state.alignment = c.before;
        MiniHtmlFont font;
        ApplyMiniHtmlTag("<p align=\"" + std::string(c.value) + "\">", state, font, TestContext(false));
        EXPECT_EQ(state.alignment, c.after) << c.why << ": " << c.value;
    }

    // Alignment and indent hold over later lines and through </P>.
    const Walked walked = WalkMarkup("<p align=\"center\" indent=\"12\">a</p>b<br>c", TestContext());
    EXPECT_EQ(walked.state.alignment, MiniHtmlAlign::Center);
    EXPECT_EQ(walked.state.indent, 12);
    EXPECT_TRUE(walked.effects[1].endsLine); // </p>
}

TEST(TagEffects, ParagraphBackgroundsFillTheBandAndCloseRestoresTheSlot) {
    MiniHtmlTagContext context = TestContext();
    RenderState state;
    state.background = 0x010101;
    MiniHtmlFont font = context.baseFont;

    const MiniHtmlTagEffect solid = ApplyMiniHtmlTag("<p bgcolor=\"#00ff00\">", state, font, context);
    EXPECT_EQ(solid.fill.kind, MiniHtmlFill::Kind::Solid);
    EXPECT_EQ(solid.fill.from, 0x00FF00u);
    EXPECT_TRUE(state.paragraphBand);
    EXPECT_EQ(state.background, 0x00FF00u);
    ApplyMiniHtmlTag("</p>", state, font, context);
    EXPECT_FALSE(state.paragraphBand);
    EXPECT_EQ(state.background, 0x010101u);

    const MiniHtmlTagEffect gradient =
        ApplyMiniHtmlTag("<p bgcolor=\"#000000\" bgcolorto=\"#FFFFFF\">", state, font, context);
    EXPECT_EQ(gradient.fill.kind, MiniHtmlFill::Kind::Gradient);
    EXPECT_EQ(gradient.fill.to, 0xFFFFFFu);
    EXPECT_TRUE(gradient.fill.horizontal);
    EXPECT_EQ(state.background, clNone); // text over a gradient is transparent
    ApplyMiniHtmlTag("</p>", state, font, context);
    EXPECT_EQ(state.background, 0x010101u);

    // Not in a measuring pass; and an empty value paints nothing.
    EXPECT_EQ(ApplyMiniHtmlTag("<p bgcolor=\"#00ff00\">", state, font, TestContext(false)).fill.kind,
              MiniHtmlFill::Kind::None);
    EXPECT_EQ(ApplyMiniHtmlTag("<p bgcolor=\"\">", state, font, context).fill.kind, MiniHtmlFill::Kind::None);
    EXPECT_FALSE(state.paragraphBand);
}

TEST(TagEffects, BodyFillsTheRectangleWhenDrawing) {
    MiniHtmlTagContext context = TestContext();
    RenderState state;
    MiniHtmlFont font = context.baseFont;

    const MiniHtmlTagEffect solid = ApplyMiniHtmlTag("<body bgcolor=\"clyellow\">", state, font, context);
    EXPECT_EQ(solid.kind, K::Body);
    EXPECT_EQ(solid.fill.kind, MiniHtmlFill::Kind::Solid);
    EXPECT_EQ(state.background, 0x00FFFFu);
    ApplyMiniHtmlTag("</font>", state, font, context); // the FONT slot holds what BODY displaced
    EXPECT_EQ(state.background, clNone);

    struct Case {
        const char* tag;
        bool horizontal;
    };
    for (const Case& c : {Case{"<body bgcolor=\"#000000\" bgcolorto=\"#0000FF\">", true},
                          Case{"<body bgcolor=\"#000000\" bgcolorto=\"#0000FF\" dir=\"h\">", true},
                          Case{"<body bgcolor=\"#000000\" bgcolorto=\"#0000FF\" dir=\"v\">", false}}) {
        const MiniHtmlTagEffect gradient = ApplyMiniHtmlTag(c.tag, state, font, context);
        EXPECT_EQ(gradient.fill.kind, MiniHtmlFill::Kind::Gradient) << c.tag;
        EXPECT_EQ(gradient.fill.from, 0u) << c.tag;
        EXPECT_EQ(gradient.fill.to, 0xFF0000u) << c.tag;
        EXPECT_EQ(gradient.fill.horizontal, c.horizontal) << c.tag;
        EXPECT_EQ(state.background, clNone) << c.tag;
    }

    // The picture name keeps its case, so a file path still names its file.
    EXPECT_EQ(ApplyMiniHtmlTag("<body background=\"FILE://tiles/Kék.png\">", state, font, context)
                  .backgroundPicture,
              "FILE://tiles/Kék.png");
    EXPECT_EQ(ApplyMiniHtmlTag("<body bgcolor=\"clred\">", state, font, TestContext(false)).fill.kind,
              MiniHtmlFill::Kind::None);
}

TEST(TagEffects, AnchorTakesTheFirstQuotedValueAsHref) {
    struct Case {
        const char* tag;
        const char* href;
        const char* why;
    };
    const Case cases[] = {
        {"<a href=\"12\">", "12", "plain"},
        {"<a name=\"top\" href=\"12\">", "top", "the first quoted value, whatever its name"},
        {"<a href=12>", "", "no quotes give an empty href"},
        {"<A HREF=\"MixedCase\">", "MixedCase", "the href keeps its case"},
        {"<a href=\"x>", "", "the tag ends at the first >"},
        {"<a href=\"&quot;\">", "", "a quote entity ends the value"},
    };
    for (const Case& c : cases) {
        const Walked walked = WalkMarkup(std::string(c.tag) + "t</a>", TestContext());
        EXPECT_EQ(walked.run("t").href, c.href) << c.why;
    }
    const Walked two = WalkMarkup("<a href=\"1\">x</a><a href=\"2\">y</a>z", TestContext());
    EXPECT_EQ(two.state.anchorCount, 2);
    EXPECT_FALSE(two.run("z").inAnchor);
}

TEST(TagEffects, HoverMarksOnlyTheHoveredAnchorAndOnlyWhenDrawing) {
    MiniHtmlTagContext context = TestContext();
    context.hover = true;
    context.hoverLink = 2;
    context.hoverColor = 0x00FFFF;
    context.hoverFontColor = 0x00FF00;
    const std::string markup = "<a href=\"1\">a</a><a href=\"2\">b</a>c";

    const Walked drawn = WalkMarkup(markup, context);
    EXPECT_EQ(drawn.run("a").font.Color, kUrl);
    EXPECT_FALSE(drawn.run("a").font.has(MiniHtmlStyle::Underline));
    EXPECT_EQ(drawn.run("a").background, clNone);
    EXPECT_EQ(drawn.run("b").font.Color, 0x00FF00u);
    EXPECT_TRUE(drawn.run("b").font.has(MiniHtmlStyle::Underline));
    EXPECT_EQ(drawn.run("b").background, 0x00FFFFu);
    EXPECT_EQ(drawn.run("c").background, clNone);
    EXPECT_FALSE(drawn.run("c").font.has(MiniHtmlStyle::Underline));

    context.draws = false;
    const Walked measured = WalkMarkup(markup, context);
    EXPECT_EQ(measured.run("b").font.Color, kUrl);
    EXPECT_FALSE(measured.run("b").font.has(MiniHtmlStyle::Underline));

    // Without hover every anchor is underlined and takes the hover background, but not the hover font colour.
    context.draws = true;
    context.hover = false;
    const Walked plain = WalkMarkup(markup, context);
    EXPECT_TRUE(plain.run("a").font.has(MiniHtmlStyle::Underline));
    EXPECT_EQ(plain.run("a").background, 0x00FFFFu);
    EXPECT_EQ(plain.run("b").font.Color, kUrl);
}

TEST(TagEffects, HighlightBlinkAndErrorMarking) {
    const Walked hi = WalkMarkup("<font color=\"clred\">a<hi>b</hi>c", TestContext());
    EXPECT_EQ(hi.run("b").font.Color, SystemColor(kSystemHighlightText));
    EXPECT_EQ(hi.run("b").background, SystemColor(kSystemHighlight));
    EXPECT_EQ(hi.run("c").font.Color, kRed);
    EXPECT_EQ(hi.run("c").background, clNone);
    EXPECT_EQ(WalkMarkup("<hi>b", TestContext(false)).run("b").background, clNone);
    EXPECT_EQ(WalkMarkup("a</hi>b", TestContext()).run("b").font.Color, kBase); // nothing saved yet

    MiniHtmlTagContext context = TestContext();
    context.blink = false;
    EXPECT_EQ(WalkMarkup("<blink>x</blink>y", context).run("x").font.Color, 0xEEEEEEu);
    EXPECT_EQ(WalkMarkup("<blink>x</blink>y", context).run("y").font.Color, kBase);
    context.blink = true;
    EXPECT_EQ(WalkMarkup("<blink>x", context).run("x").font.Color, kBase);

    RenderState state;
    MiniHtmlFont font;
    ApplyMiniHtmlTag("<e>", state, font, TestContext(false));
    EXPECT_FALSE(state.errorMarking);
    ApplyMiniHtmlTag("<e>", state, font, TestContext());
    EXPECT_TRUE(state.errorMarking);
    ApplyMiniHtmlTag("</e>", state, font, TestContext(false));
    EXPECT_TRUE(state.errorMarking);
    ApplyMiniHtmlTag("</e>", state, font, TestContext());
    EXPECT_FALSE(state.errorMarking);
}

TEST(TagEffects, HiddenSectionsHideRunsButNotTags) {
    const Walked walked = WalkMarkup("a<z>b<b>c</z>d<Z>e</Z>f", TestContext());
    EXPECT_EQ(walked.text(), "adf");
    EXPECT_TRUE(walked.run("d").font.has(MiniHtmlStyle::Bold)); // the <b> inside still acted
}

TEST(TagEffects, StyleFlagsAndTheirClosingTags) {
    struct Case {
        const char* markup;
        const char* run;
        unsigned style;
    };
    const Case cases[] = {
        {"<i>x", "x", MiniHtmlStyle::Italic},
        {"<i>y</i>x", "x", 0},
        {"<u>x", "x", MiniHtmlStyle::Underline},
        {"<u>y</u>x", "x", 0},
        {"<s>x", "x", MiniHtmlStyle::StrikeOut},
        {"<s>y</strike>x", "x", 0},
        {"<b><i><u><s>x", "x", 15u},
        {"<u>y</ul>x", "x", 0}, // a closing UL outside a list ends underline
    };
    for (const Case& c : cases)
        EXPECT_EQ(WalkMarkup(c.markup, TestContext()).run(c.run).font.Style, c.style) << c.markup;
}

TEST(TagEffects, ListsRotationIndentShadowAndScripts) {
    const Walked list = WalkMarkup("<ul><li>a</li><li>b</li></ul>c", TestContext());
    EXPECT_EQ(list.text(), "\na\nb\nc");
    EXPECT_EQ(list.state.listLevel, 0);
    EXPECT_EQ(list.effects[1].kind, K::ListItem);

    RenderState state;
    MiniHtmlFont font;
    const MiniHtmlTagContext context = TestContext(false);
    struct RotationCase {
        const char* tag;
        int degrees;
    };
    for (const RotationCase& c : {RotationCase{"<r a=\"45\">", 45}, RotationCase{"<R A=\"-90\">", -90},
                                  RotationCase{"<r a=\"725\">", 5}, RotationCase{"<r>", 0},
                                  RotationCase{"<r a=\"$7FFFFFFF\">", 0x7FFFFFFF % 360}}) {
        ApplyMiniHtmlTag(c.tag, state, font, context);
        EXPECT_EQ(state.rotation, c.degrees) << c.tag;
    }
    ApplyMiniHtmlTag("</r>", state, font, context);
    EXPECT_FALSE(state.rotation.has_value());

    struct IndentCase {
        const char* tag;
        std::optional<int> value;
    };
    for (const IndentCase& c :
         {IndentCase{"<ind x=\"40\">", 40}, IndentCase{"<IND X=\"-3\">", -3},
          IndentCase{"<ind x=\"4a\">", std::nullopt}, IndentCase{"<ind x=\"\">", std::nullopt},
          IndentCase{"<ind y=\"5\">", std::nullopt}, IndentCase{"<ind x=\"99999999999\">", std::nullopt},
          IndentCase{"<ind x=\"2147483647\">", kMiniHtmlPixelLimit}}) {
        EXPECT_EQ(ApplyMiniHtmlTag(c.tag, state, font, context).indent, c.value) << c.tag;
    }

    // Pixel values are bounded so that coordinates built from them cannot overflow.
    ApplyMiniHtmlTag("<p indent=\"$7FFFFFFF\">", state, font, context);
    EXPECT_EQ(state.indent, kMiniHtmlPixelLimit);
    ApplyMiniHtmlTag("<p indent=\"-2147483648\">", state, font, context);
    EXPECT_EQ(state.indent, -kMiniHtmlPixelLimit);
    EXPECT_EQ(ParseMiniHtmlImage("<img width=\"99999999999\" height=\"-7\">").width, kMiniHtmlPixelLimit);
    EXPECT_EQ(ParseMiniHtmlImage("<img width=\"99999999999\" height=\"-7\">").height, -7);

    ApplyMiniHtmlTag("<shad>", state, font, context);
    EXPECT_TRUE(state.shadow);
    ApplyMiniHtmlTag("</shad>", state, font, context);
    EXPECT_FALSE(state.shadow);
    ApplyMiniHtmlTag("<sub>", state, font, context);
    ApplyMiniHtmlTag("<sup>", state, font, context);
    EXPECT_TRUE(state.subscript && state.superscript);
    ApplyMiniHtmlTag("</sup>", state, font, context);
    EXPECT_FALSE(state.subscript || state.superscript);

    ApplyMiniHtmlTag("<img src=\"a\">", state, font, context);
    EXPECT_EQ(state.imageCount, 1);
}

TEST(RenderState, ASecondPassStartsFromTheLineStart) {
    RenderState state;
    MiniHtmlFont font;
    const MiniHtmlTagContext context = TestContext(false);
    ApplyMiniHtmlTag("<sub>", state, font, context);
    const RenderState::LineStart start = state.beginLine();
    EXPECT_FALSE(state.subscript); // cleared at the start of every line

    // A measuring pass over "<a href="x">y<ul><shad><z><p align="right"><img>".
    for (const char* tag :
         {"<a href=\"x\">", "<ul>", "<shad>", "<z>", "<sup>", "<p align=\"right\">", "<img>"})
        ApplyMiniHtmlTag(tag, state, font, context);
    state.restartLine(start);
    EXPECT_FALSE(state.inAnchor);
    EXPECT_EQ(state.anchorCount, 0);
    EXPECT_EQ(state.listLevel, 0);
    EXPECT_EQ(state.imageCount, 0);
    EXPECT_FALSE(state.shadow || state.hidden || state.subscript || state.superscript);
    EXPECT_EQ(state.alignment, MiniHtmlAlign::Right); // what the measuring pass read applies to the line
}

TEST(TagEffects, TextsThatEndInsideATag) {
    struct Case {
        const char* markup;
        const char* shown;
        const char* why;
    };
    const Case cases[] = {
        {"ab<", "ab", "a trailing < is dropped"},
        {"ab<b", "ab", "a trailing < and one character are dropped"},
        {"ab<bcd efg", "ab", "a < without a later > loses the rest"},
        {"a&lt;b>c", "a<b>c", "&lt; opens no tag"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(WalkMarkup(c.markup, TestContext()).text(), c.shown) << c.why;
}

} // namespace
