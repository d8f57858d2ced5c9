// A note stays exactly as it was written: a window that could not read its note never writes it, text
// goes back byte for byte, one failure makes one box, and the caption is the name as typed.
#include "notewindow_fixture.h"

#include "shell/dialogs.h"
#include "windows/ExitSave.h"
#include "windows/TImage.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QWindow>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using pinlet::TImage;

TEST_F(NoteWindowTest, AWindowThatCouldNotReadItsNoteNeverWritesItAndReadsAgainAtActivation) {
    const std::string before = query("SELECT nev || '|' || jegyzet || '|' || modositva FROM jegyzetek");
    struct Way {
        const char* name;
        std::function<void(TForm1*)> act;
    };
    const std::vector<Way> ways = {
        {"the cross", [](TForm1* w) { w->Image2Click(); }},
        {"the window manager", [](TForm1* w) { w->close(); }},
        {"the save picture", [](TForm1* w) { w->Image1Click(); }},
        {"the autosave", [](TForm1* w) { w->saveedits(); }},
        {"the program's end", [this](TForm1*) { pinlet::ExitSave::saveopennotes(*store); }},
    };
    for (const Way& way : ways) {
        SCOPED_TRACE(way.name);
        TForm1* w = nullptr;
        {
            pinlet::DialogScript script;
            breakstore();
            w = open(first, false);
            EXPECT_EQ(script.shown().size(), 1u) << "the failed read is shown";
            open(second, false);
            EXPECT_EQ(script.shown().size(), 2u);
            // Back to the first window (as when its box closes): it reads again, fails the same way and
            // stays quiet about it.
            ASSERT_TRUE(activate(w));
            EXPECT_EQ(script.shown().size(), 2u);
            restorestore();
        }
        EXPECT_FALSE(w->loaded());
        EXPECT_TRUE(name(w)->isReadOnly());
        EXPECT_TRUE(memo(w)->isReadOnly());
        EXPECT_NE(memo(w)->placeholderText().indexOf("does not exist"), -1) << "the reason shows";
        QTest::keyClicks(memo(w), "overwrite");
        QTest::keyClicks(name(w), "x");
        EXPECT_EQ(memo(w)->toPlainText(), "");
        way.act(w);
        EXPECT_EQ(query("SELECT nev || '|' || jegyzet || '|' || modositva FROM jegyzetek"), before);
        for (TForm1* open : std::vector<TForm1*>(store->openforms))
            delete open;
    }

    // Once the file is back, the next activation reads the note and the window works as ever.
    breakstore();
    TForm1* w = nullptr;
    {
        pinlet::DialogScript script;
        w = open(first, false);
    }
    restorestore();
    open(second);
    ASSERT_TRUE(activate(w));
    ASSERT_TRUE(w->loaded());
    EXPECT_FALSE(memo(w)->isReadOnly());
    EXPECT_EQ(memo(w)->placeholderText(), "");
    EXPECT_EQ(name(w)->text(), "Bevásárlás");
    QTest::keyClicks(memo(w), "+");
    w->Image2Click();
    EXPECT_EQ(store->getjegyzet(first).jegyzet, "+tej\r\nkenyér");
}

TEST_F(NoteWindowTest, TextGoesBackByteForByteOpenedTypedOrPasted) {
    // Characters that text fields like to rewrite, each inside a line and at the ends of the text.
    const std::vector<std::string> characters = {
        "\xC2\xA0",                 // no-break space
        "\xE2\x80\x87",             // figure space
        "\xE2\x80\xAF",             // narrow no-break space
        "\xE2\x80\xA8",             // line separator
        "\xE2\x80\xA9",             // paragraph separator
        "\xE2\x80\x8B",             // zero-width space
        "\t",                       // tab
        "\r",                       // a lone CR
        "\n",                       // a lone LF
        "\r\n",                     // the usual break
        "\n\r",                     // LF then CR: two breaks
        "\r\r\n",                   // CR, then CR LF
        "\xE2\x9D\xA4\xEF\xB8\x8F", // an emoji with a variation selector
        "e\xCC\x81",                // a combining accent
        "\xEF\xBF\xBD",             // a replacement character
    };
    const std::string name = "Név\xC2\xA0[*]\t&";
    for (const std::string& c : characters) {
        SCOPED_TRACE(testing::PrintToString(c));
        const std::string text = c + "100" + c + "Ft\r\nsor" + c;
        const std::int32_t id = store->savejegyzet(-1, {name, text});

        // Opened and closed: untouched.
        TForm1* w = open(id);
        const std::string stamp = modified(id);
        w->Image2Click();
        EXPECT_EQ(store->getjegyzet(id).jegyzet, text);
        EXPECT_EQ(store->getjegyzet(id).nev, name);

        // Typed into: the typing and nothing else changes.
        w = open(id);
        QTest::keyClicks(memo(w), "X");
        QTest::keyClick(memo(w), Qt::Key_Return);
        ASSERT_TRUE(w->saveedits());
        EXPECT_EQ(store->getjegyzet(id).jegyzet, "X\r\n" + text);
        EXPECT_EQ(store->getjegyzet(id).nev, name);

        // Pasted: stored as it came, the character included.
        const std::string pasted = "a" + c + "b";
        QGuiApplication::clipboard()->setText(QString::fromStdString(pasted));
        memo(w)->moveCursor(QTextCursor::End);
        memo(w)->paste();
        w->Image2Click();
        EXPECT_EQ(store->getjegyzet(id).jegyzet, "X\r\n" + text + pasted);
    }
}

TEST_F(NoteWindowTest, OneFailedCloseIsShownOnceAndTheCaptionIsTheNameAsTyped) {
    TForm1* w = open(first);
    for (const char* caption : {"Teendők [*] hétfő", "[*]", "[*][*]", "a[*]b[*][*][*]c", "[[*]]", "&x"}) {
        name(w)->setText(QString::fromUtf8(caption));
        ASSERT_NE(w->windowHandle(), nullptr);
        EXPECT_EQ(w->windowHandle()->title(), QString::fromUtf8(caption));
    }

    // The cross within the autosave delay: the close's box is open while the pending autosave comes due.
    QTest::keyClicks(memo(w), "x");
    breakstore();
    bool waited = false;
    int boxes = 0;
    {
        pinlet::DialogScript script([&](const pinlet::ShownDialog&) {
            ++boxes;
            if (std::exchange(waited, true))
                return;
            // A second box, if one comes, comes while this one is open.
            EXPECT_FALSE(QTest::qWaitFor([&] { return boxes > 1; }, TForm1::kAutosaveDelayMs + 1000));
        });
        QTest::mouseClick(part<TImage>(w, "Image2"), Qt::LeftButton);
        EXPECT_EQ(boxes, 1);
        // Nor does the next autosave repeat it while the store stays away.
        QTest::keyClicks(memo(w), "y");
        EXPECT_FALSE(w->saveedits());
        EXPECT_EQ(boxes, 1);
    }
    restorestore();
    w->Image2Click();
    EXPECT_EQ(store->getjegyzet(first).jegyzet, "xytej\r\nkenyér");
}

} // namespace
