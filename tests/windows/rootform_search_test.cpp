// The note list window from the keyboard: search as one types, a highlight that Up and Down move, Enter
// acting on it as a press on the name does, Esc ending the search and then hiding the window.

#include "store/searchreference.h"
#include "store/storefixture.h"

#include "controls/MiniHtmlLabel.h"
#include "controls/MiniHtmlPopup.h"
#include "db/Query.h"
#include "shell/dialogs.h"
#include "windows/ListRows.h"
#include "windows/ProgramActivation.h"
#include "windows/listwindow_support.h"
#include "windows/mainform_unit.h"
#include "windows/rootform_unit.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

namespace {

std::string row(std::int32_t id, const std::string& name, bool highlighted = false,
                const std::string& snippet = {}) {
    return listrow(id, name, highlighted, snippet);
}

using searchreference::ids;

std::string joined(const std::vector<std::string>& rows) {
    std::string text;
    for (const std::string& each : rows)
        text += each; // the label keeps its lines joined
    return text;
}

} // namespace

class ListSearchTest : public StoreTest {
protected:
    void start(bool fulltext = true) {
        if (!fulltext) {
            TStoreEnvironment without = testenvironment(folder, clock);
            without.fulltext = false;
            store = std::make_unique<Tzkpldm>(without);
            store->DataModuleCreate();
        }
        zkpldm = store.get();
        form = std::make_unique<TForm2>(std::make_unique<NoTray>());
        form->FormCreate();
        form->show();
        field = form->findChild<QLineEdit*>("kereses");
    }
    void TearDown() override { closelistwindow(*store, form); }
    std::string list() { return form->findChild<TMiniHtmlLabel*>("MiniHtmlLabel1")->HTMLText(); }
    // A key as the user presses it: to the search field while it is open, else to the window.
    void key(Qt::Key code, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(field->isHidden() ? static_cast<QWidget*>(form.get()) : field, code, modifiers);
    }
    void type(const QString& text) {
        for (const QChar c : text) {
            // As a keyboard sends it, letters beyond ASCII included.
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
            QApplication::sendEvent(field->isHidden() ? static_cast<QWidget*>(form.get()) : field, &press);
        }
    }
    bool opened(std::int32_t id) {
        for (TForm1* window : store->openforms)
            if (window->id() == id)
                return true;
        return false;
    }

    std::unique_ptr<TForm2> form;
    QLineEdit* field = nullptr;
};

TEST_F(ListSearchTest, TypingSearchesAndTheKeysWalkAndOpenTheList) {
    const std::int32_t a = store->savejegyzet(-1, {"Körtefa", "metszeni"});
    const std::int32_t b = store->savejegyzet(-1, {"Bevásárlás", "tej, kenyér, körte"});
    const std::int32_t c = store->savejegyzet(-1, {"Szilva", "lekvár"});
    start();
    const std::string whole = joined({row(a, "Körtefa"), row(b, "Bevásárlás"), row(c, "Szilva")});
    EXPECT_EQ(list(), whole);
    EXPECT_TRUE(field->isHidden()); // the window as it always was until a key is typed

    // Up and Down without a search: the highlight alone changes.
    key(Qt::Key_Down);
    key(Qt::Key_Down);
    EXPECT_EQ(form->highlighted(), b);
    EXPECT_EQ(list(), joined({row(a, "Körtefa"), row(b, "Bevásárlás", true), row(c, "Szilva")}));
    key(Qt::Key_Up);
    key(Qt::Key_Up); // stays on the first row
    EXPECT_EQ(form->highlighted(), a);

    type("KÖRT");
    EXPECT_FALSE(field->isHidden());
    EXPECT_EQ(field->text(), "KÖRT");
    EXPECT_EQ(form->highlighted(), -1);
    EXPECT_EQ(list(), joined({row(a, "Körtefa"), row(b, "Bevásárlás", false, "tej, kenyér, \x01körte\x02")}));

    // The timer's rebuild keeps the search and the highlighted note.
    key(Qt::Key_Down);
    key(Qt::Key_Down);
    store->savejegyzet(c, {"Szilva", "körte is"});
    form->Timer1Timer();
    EXPECT_EQ(store->changed, 0);
    EXPECT_EQ(field->text(), "KÖRT");
    EXPECT_EQ(form->highlighted(), b);
    // The best matches first: the shorter text holds the word more densely.
    EXPECT_EQ(list(), joined({row(a, "Körtefa"), row(c, "Szilva", false, "\x01körte\x02 is"),
                              row(b, "Bevásárlás", true, "tej, kenyér, \x01körte\x02")}));

    key(Qt::Key_Return);
    EXPECT_TRUE(opened(b));
    EXPECT_FALSE(opened(a));

    type("x");
    EXPECT_EQ(list(), TForm2::kNothingFound.toStdString());
    key(Qt::Key_Enter); // nothing to open
    EXPECT_EQ(store->openforms.size(), 1u);

    // Esc ends the search, the second one hides the window; typing again starts afresh, and Enter with
    // no highlight opens the first note found.
    key(Qt::Key_Escape);
    EXPECT_TRUE(field->isHidden());
    EXPECT_EQ(list(), joined({row(a, "Körtefa"), row(b, "Bevásárlás"), row(c, "Szilva")}));
    EXPECT_TRUE(form->isVisible());
    key(Qt::Key_Escape);
    EXPECT_FALSE(form->isVisible());
    form->bringup();
    key(Qt::Key_F, Qt::ControlModifier);
    EXPECT_FALSE(field->isHidden());
    EXPECT_EQ(field->text(), "");
    type("szil");
    key(Qt::Key_Return);
    EXPECT_TRUE(opened(c));
}

TEST_F(ListSearchTest, EnterActsAsAPressDoesInDeleteModeAndTheDeletedList) {
    const std::int32_t a = store->savejegyzet(-1, {"alma", "x"});
    const std::int32_t b = store->savejegyzet(-1, {"körte", "x"});
    start();
    form->btn_removeClick();
    type("kö");
    EXPECT_EQ(list(), TForm2::kRemoveHeader.toStdString() + row(b, "körte"));
    {
        pinlet::DialogScript script;
        script.setNextAnswer(6);
        key(Qt::Key_Return);
        ASSERT_EQ(script.shown().size(), 1u);
    }
    EXPECT_EQ(query("SELECT torolve FROM jegyzetek WHERE id=" + std::to_string(b)), "1");
    form->Timer1Timer();
    EXPECT_EQ(list(), TForm2::kNothingFound.toStdString());

    form->Trltjegyzetek1Click();
    EXPECT_EQ(list(), joined({TForm2::kRestoreHeader.toStdString() + "<br>", row(b, "körte")}));
    key(Qt::Key_Backspace);
    key(Qt::Key_Backspace);
    type("alma"); // a live note is not in the deleted list
    EXPECT_EQ(list(),
              joined({TForm2::kRestoreHeader.toStdString() + "<br>", TForm2::kNothingFound.toStdString()}));
    field->setText("KÖRTE");
    key(Qt::Key_Down);
    key(Qt::Key_Return);
    EXPECT_EQ(query("SELECT torolve FROM jegyzetek WHERE id=" + std::to_string(b)), "0");
    EXPECT_EQ(form->mode, "");
    EXPECT_EQ(list(), row(b, "körte", true)); // the note acted on keeps the highlight
    EXPECT_EQ(ids(store->keresjegyzetek("alma", false)), std::vector<std::int32_t>{a});
}

TEST_F(ListSearchTest, ASnippetShowsAsWrittenNeverAsMarkup) {
    const struct {
        std::string snippet;
        std::string markup;
    } cases[] = {
        {"a \x01<b>\x02 c", "a <b>&lt;b&gt;</b> c"},
        {"<a href=\"1\">x</a> & \x01y\x02", "&lt;a href=\"1\"&gt;x&lt;/a&gt; &amp; <b>y</b>"},
        {"sor\r\nsor\t\x01vége", "sor  sor <b>vége</b>"}, // one line; an unclosed mark runs to the end
        {"&nbsp;&lt;", "&amp;nbsp;&amp;lt;"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(row(7, "n", false, c.snippet),
                  "<a href=\"7\">n</a><br><font color=\"#6E5B1E\" size=\"-1\">&nbsp;&nbsp;&nbsp;" + c.markup +
                      "</font><br>")
            << c.snippet;
}

TEST_F(ListSearchTest, WithoutFts5TheListSaysSoOnceAndStillWorksFromTheKeyboard) {
    const std::int32_t a = store->savejegyzet(-1, {"alma", "x"});
    const std::int32_t b = store->savejegyzet(-1, {"körte", "x"});
    start(false);
    type("k");
    EXPECT_TRUE(field->isHidden());
    auto* popup = form->findChild<TMiniHtmlPopup*>("MiniHtmlPopup1");
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(popup->Text().join("").toStdString(), store->searchunavailable());
    popup->setText(QString());
    type("o");
    EXPECT_TRUE(popup->Text().join("").isEmpty()); // said once
    key(Qt::Key_Down);
    key(Qt::Key_Down);
    EXPECT_EQ(list(), joined({row(a, "alma"), row(b, "körte", true)}));
    key(Qt::Key_Return);
    EXPECT_TRUE(opened(b));
}

// Thousands found show as the first page and one line counting the rest; the keys walk the page only, and
// a narrower search that fits drops the line.
TEST_F(ListSearchTest, ABroadSearchShowsThePageAndCountsTheRest) {
    const std::size_t count = TForm2::kShownMatches + 3;
    for (std::size_t i = 0; i < count; ++i)
        store->savejegyzet(-1, {"alma " + std::to_string(i), i == 5 ? "ritka" : "szöveg"});
    start();
    type("alma");
    const Tfoundpage page = store->keresoldal("alma", false, TForm2::kShownMatches);
    ASSERT_EQ(page.notes.size(), TForm2::kShownMatches);
    std::string rows;
    for (const Tfoundnote& note : page.notes)
        rows += row(note.id, note.nev, false, note.snippet);
    EXPECT_EQ(list(), rows + TForm2::kMoreFound.arg(3).toStdString());
    key(Qt::Key_Up); // from no highlight Up lands on the page's last row, not on the count
    EXPECT_NE(list().find(row(page.notes.back().id, page.notes.back().nev, true)), std::string::npos);

    type(" ritka");
    EXPECT_EQ(list().find(TForm2::kMoreFound.arg(3).toStdString()), std::string::npos);
    // Typing keeps the file open from one keystroke to the next; a pause lets go of it, and so does the
    // end of the search, for other programs that replace the file.
    EXPECT_TRUE(store->db.connected());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !store->db.connected(); }, 10 * TForm2::kSearchPause));
    // The list's showing readies the search for the first letter, under the same pause.
    key(Qt::Key_Escape);
    QEvent activation(pinlet::ProgramActivation::activateEvent());
    QApplication::sendEvent(form.get(), &activation);
    EXPECT_TRUE(QTest::qWaitFor([&] { return store->db.connected(); }, 1000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !store->db.connected(); }, 10 * TForm2::kSearchPause));
    type("alma ritka");
    EXPECT_EQ(ids(store->keresoldal("alma ritka", false, TForm2::kShownMatches).notes).size(), 1u);

    // Beyond the counted many the counting stops, and the line says so.
    store->db.connect();
    sqldb::execute(store->db, manynotes(noteindex::kCountedMatches, "'alma'", "'szöveg'"));
    store->db.disconnect();
    for (int i = 0; i < 6; ++i)
        key(Qt::Key_Backspace);
    EXPECT_NE(
        list().find(
            TForm2::kAtLeastMoreFound.arg(noteindex::kCountedMatches - TForm2::kShownMatches).toStdString()),
        std::string::npos);
    key(Qt::Key_Escape);
    EXPECT_FALSE(store->db.connected());
}
