// Names kept to their own row: each hostile name sits between two plain rows of a list, which the real
// engine lays out, draws and hit-tests. The name shows what is expected, the rows around it are drawn as
// without it, and every row answers a click with its own note.
#include "minihtml/ContainedName.h"
#include "minihtml/MiniHtmlRender.h"
#include "support/RecordingCanvas.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string row(int id, const std::string& name) {
    const std::string href = std::to_string(id);
    return "<a href=\"" + href + "\">" + ContainedNameMarkup(name, href + ". jegyzet") + "</a><br>";
}

// What the canvas shows for a drawn run: "&&" is one "&", a lone "&" hides itself.
std::string shown(const std::string& run) {
    std::string text;
    for (std::size_t i = 0; i < run.size(); ++i) {
        if (run[i] == '&' && ++i == run.size())
            break;
        text += run[i];
    }
    return text;
}

struct Drawn {
    std::vector<CanvasCall> calls;
    std::string middle; // the shown text between the first and the last row
    CanvasCall last;
};

// Draws the list, or with a point hit-tests it (the point's link, or "(none)").
MiniHtmlRenderOutput render(const std::string& list, RecordingCanvas& canvas,
                            const MiniHtmlRect* at = nullptr) {
    MiniHtmlRenderInput in;
    in.Canvas = &canvas;
    in.Rect = {0, 0, 4000, 2000};
    in.Text = list;
    if (at) {
        // A run's box goes on to the right edge and a superscript stands raised in it.
        in.CheckOnly = true;
        in.X = at->Left + 2;
        in.Y = at->Bottom - 3;
    }
    return MiniHtmlRender(in);
}

Drawn draw(const std::string& list) {
    RecordingCanvas canvas;
    render(list, canvas);
    Drawn drawn;
    drawn.calls = canvas.drawn();
    for (const CanvasCall& call : drawn.calls) {
        if (call.text == "Utolsó")
            drawn.last = call;
        else if (call.text != "ELSO")
            drawn.middle += shown(call.text);
    }
    return drawn;
}

std::string hit(const std::string& list, const MiniHtmlRect& at) {
    RecordingCanvas canvas;
    const MiniHtmlRenderOutput out = render(list, canvas, &at);
    return out.Result ? out.AnchorHref : "(none)";
}

TEST(ContainedName, EveryNameStaysInItsRowAndEveryRowStaysClickable) {
    struct Case {
        const char* name;
        const char* shows;
    };
    const std::vector<Case> cases = {
        // reported: the hide tag, a lone "<", a lone "&"
        {"<zene> lista", "<zene> lista"},
        {"a < b", "a < b"},
        {"Tom & Jerry", "Tom & Jerry"},
        // formatting works and ends with the row
        {"<b>Fontos", "Fontos"},
        {"<i><u><s><e>minden", "minden"},
        {"<shad>árnyék", "árnyékárnyék"}, // the shadow, then the text
        {"x<sub>2</sub> y<sup>3", "x2 y3"},
        {"<font size=\"5\" color=\"#ff0000\" face=\"Courier\">nagy", "nagy"},
        // backgrounds: none may leak its colour to the next rows, however they are stacked
        {"<font bgcolor=\"#ff0000\">a<font bgcolor=\"#00ff00\">b</font>c", "abc"},
        {"<hi><hi>x</hi>y", "xy"},
        {"<font bgcolor=\"#ff0000\"><hi>x</font>y", "xy"},
        // closing what the row did not open
        {"</font></hi></b>z", "z"},
        // tags that reach other rows, hide text or take the click show as written
        {"</a>után", "</a>után"},
        {"<a href=\"http://x\">hely</a>", "<a href=\"http://x\">hely</a>"},
        {"x<br>y", "x<br>y"},
        {"<p align=\"center\">közép", "<p align=\"center\">közép"},
        {"<ul><li>pont", "<ul><li>pont"},
        {"<R a=\"90\">forgat", "<R a=\"90\">forgat"},
        {"<blink>villog", "<blink>villog"},
        {"<img src=\"x.png\">", "<img src=\"x.png\">"},
        {"<z>rejtett</z>", "<z>rejtett</z>"},
        {"<b class=\"x\">nem tag", "<b class=\"x\">nem tag"},
        {"<#x>", "<#x>"},
        {"a<", "a<"},
        {"sor\r\ntörés", "sor  törés"},
        // entities: the markup's own show their character, anything else shows as written
        {"&amp;", "&"},
        {"&quot;idézet&quot;", "\"idézet\""},
        {"&lt;b&gt;", "<b>"},
        {"&amp;lt; és &amp;amp;", "&lt; és &amp;"},
        {"a&", "a&"},
        {"&NBSP;x", "&NBSP;x"},
        {"&euro;5", "\xE2\x82\xAC"
                    "5"},
        {"a&nbsp;b", "a b"},
        // a row that draws nothing shows its fallback
        {"", "2. jegyzet"},
        {"<b></b>", "2. jegyzet"},
        {"&nbsp;\t", "2. jegyzet"},
        {"\xC2\xA0\xE2\x80\x8B\xEF\xBB\xBF", "2. jegyzet"},
        // ordinary text is untouched
        {"Bevásárlás: 100 Ft", "Bevásárlás: 100 Ft"},
    };

    const Drawn plain = draw(row(1, "ELSO") + row(2, "közép") + row(3, "Utolsó"));
    ASSERT_EQ(plain.last.text, "Utolsó");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string list = row(1, "ELSO") + row(2, c.name) + row(3, "Utolsó");
        const Drawn drawn = draw(list);
        EXPECT_EQ(drawn.middle, c.shows);
        // The next row is drawn exactly as next to a plain name: font, colour, background.
        ASSERT_EQ(drawn.last.text, "Utolsó") << list;
        EXPECT_EQ(drawn.last.font, plain.last.font);
        EXPECT_EQ(drawn.last.textBackground, plain.last.textBackground);
        // Three rows, one line each, and each answers a click with its own note.
        int lines = 0;
        int previousTop = -1;
        for (const CanvasCall& call : drawn.calls) {
            if (call.rect.Top != previousTop)
                ++lines;
            previousTop = call.rect.Top;
            const std::string expected = call.text == "ELSO" ? "1" : call.text == "Utolsó" ? "3" : "2";
            EXPECT_EQ(hit(list, call.rect), expected) << call.text;
        }
        EXPECT_EQ(lines, 3);
    }
}

TEST(ContainedName, PlainTextForMenusAndEscapedText) {
    EXPECT_EQ(ContainedNameText("<b>Fontos</b> &amp; <zene> a < b & c", "7"), "Fontos & <zene> a < b & c");
    EXPECT_EQ(ContainedNameText("<b> </b>", "7. jegyzet"), "7. jegyzet");
    // Escaped text shows exactly as written, whatever entity-like text follows an "&".
    for (const char* text : {"a<b", "&lt;", "&amp;lt;", "&&nbsp;", "x & y", "<#>"})
        EXPECT_EQ(draw("<a href=\"1\">ELSO</a><br>" + EscapeMiniHtmlText(text)).middle, text);
}

} // namespace
