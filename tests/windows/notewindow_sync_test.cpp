// Two writers of one note: this window, and another process or machine writing the same file (through a
// second connection, or a synchronising program renaming its copy over the file). The other writer's
// version is never overwritten unseen, and the window's edits are never dropped.

#include "notewindow_fixture.h"
#include "shell/dialogs.h"
#include "windows/ConflictCopyOffer.h"

class NoteSyncTest : public NoteWindowTest {};

TEST_F(NoteSyncTest, EditsOnBothSidesAreBothKept) {
    const struct {
        const char* what;
        bool edithere;
        const char* there;  // the other writer's statements on the note, empty: none
        bool renamed;       // written as a synchronising program does
        bool deletedhere;   // this program's own delete mode marked the note first
        const char* stored; // the original note's text afterwards
        bool apart;         // the window's text went into a note of its own
        const char* apartname = "Lista (ütközés, ____-__-__ __:__)";
    } cases[] = {
        {"edit here", true, "", false, false, "itt", false},
        {"edit there", false, "UPDATE jegyzetek SET jegyzet='ott'", false, false, "ott", false},
        {"edit there, renamed over", false, "UPDATE jegyzetek SET jegyzet='ott'", true, false, "ott", false},
        {"edit on both sides", true, "UPDATE jegyzetek SET jegyzet='ott'", false, false, "ott", true},
        {"both, renamed over", true, "UPDATE jegyzetek SET jegyzet='ott'", true, false, "ott", true},
        {"renamed there, edit here", true, "UPDATE jegyzetek SET nev='más'", false, false, "eredeti", true},
        {"deleted there, edit here", true, "UPDATE jegyzetek SET torolve=1", false, false, "eredeti", true},
        {"purged there, edit here", true, "DELETE FROM jegyzetek", true, false, "", true, "Lista"},
        {"deleted here, edit here", true, "", false, true, "itt", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        writeasanother(dbpath, "DELETE FROM jegyzetek");
        const std::int32_t id = store->savejegyzet(-1, {"Lista", "eredeti"});
        TForm1* w = open(id);
        if (c.deletedhere) {
            store->deletejegyzet(id);
            w->setnotedeleted(true);
        }
        if (c.edithere)
            memo(w)->setPlainText("itt");
        const std::string where = " WHERE id=" + std::to_string(id);
        if (*c.there)
            c.renamed ? writebyrename(dbpath, c.there + where) : writeasanother(dbpath, c.there + where);
        notices.clear();
        ASSERT_TRUE(w->savetodb());

        const std::string stored = query("SELECT coalesce(max(jegyzet), '') FROM jegyzetek" + where);
        EXPECT_EQ(stored, c.stored);
        const std::string apart =
            query("SELECT count(*) FROM jegyzetek WHERE torolve=0 AND jegyzet='itt' AND "
                  "nev LIKE '" +
                  std::string(c.apartname) + "'");
        EXPECT_EQ(apart, c.apart ? "1" : "0");
        if (c.apart) {
            // The window holds the note it saved apart, and says so once.
            EXPECT_NE(w->id(), id);
            EXPECT_EQ(name(w)->text().toStdString(),
                      query("SELECT nev FROM jegyzetek WHERE id=" + std::to_string(w->id())));
            QCoreApplication::sendPostedEvents();
            ASSERT_EQ(notices.size(), 1u);
            EXPECT_TRUE(notices[0].text.contains(name(w)->text().toHtmlEscaped()));
        } else {
            EXPECT_EQ(w->id(), id);
            EXPECT_EQ(memo(w)->toPlainText().toStdString(), c.stored);
        }
        if (c.deletedhere) {
            EXPECT_EQ(query("SELECT torolve FROM jegyzetek" + where), "1");
        }
        EXPECT_FALSE(w->edited());
        // A second save finds nothing new on either side and writes nothing apart again.
        ASSERT_TRUE(w->savetodb());
        EXPECT_EQ(query("SELECT count(*) FROM jegyzetek WHERE jegyzet='itt'"), c.edithere ? "1" : "0");
        delete w;
    }
}

TEST_F(NoteSyncTest, AnUneditedWindowFollowsTheFileAndAnEditedOneWaits) {
    TForm1* a = open(first);
    TForm1* b = open(second);
    memo(b)->setPlainText("itt gépelve");
    writebyrename(dbpath, "UPDATE jegyzetek SET nev='Új név', jegyzet='második gép szövege'");
    a->followstore();
    b->followstore();
    EXPECT_EQ(name(a)->text(), QString("Új név"));
    EXPECT_EQ(memo(a)->toPlainText(), QString("második gép szövege"));
    EXPECT_FALSE(a->edited());
    EXPECT_EQ(memo(b)->toPlainText(), QString("itt gépelve"));
    EXPECT_TRUE(b->edited());
}

TEST_F(NoteSyncTest, AConflictCopyIsOfferedOnceBroughtInAndMovedAside) {
    const std::string copy = folder.file("docs/pinlet (Anna's conflicted copy).db");
    const std::string declined = folder.file("docs/pinlet.sync-conflict-1.db");
    std::filesystem::copy_file(dbpath, copy);
    writeasanother(copy, "UPDATE jegyzetek SET jegyzet='Anna gépén' WHERE nev='Bevásárlás';"
                         "INSERT INTO jegyzetek (nev, jegyzet) VALUES ('Csak ott', 'x')");
    std::filesystem::copy_file(dbpath, declined);
    writeasanother(declined, "INSERT INTO jegyzetek (nev, jegyzet) VALUES ('Harmadik', 'y')");
    std::vector<QString> said;
    TConflictCopyOffer offer(nullptr, [&](const QString& text) { said.push_back(text); });
    pinlet::DialogScript script;
    script.setNextAnswer(6);
    script.setNextAnswer(7);
    offer.look();
    offer.look(); // each copy is asked about once in a run
    ASSERT_EQ(script.shown().size(), 2u);
    EXPECT_NE(script.shown()[0].text.find("1 jegyzet ma hiányzik, 1 máshogy szerepel"), std::string::npos);
    EXPECT_EQ(query("SELECT count(*) FROM jegyzetek WHERE nev='Bevásárlás (ütköző példány)' AND "
                    "jegyzet='Anna gépén'"),
              "1");
    EXPECT_EQ(query("SELECT jegyzet FROM jegyzetek WHERE id=" + std::to_string(first)), "tej\r\nkenyér");
    EXPECT_EQ(query("SELECT count(*) FROM jegyzetek WHERE nev='Csak ott'"), "1");
    EXPECT_FALSE(std::filesystem::exists(copy));
    EXPECT_TRUE(
        std::filesystem::exists(folder.path() / "docs/pinlet-mentesek/pinlet (Anna's conflicted copy).db"));
    EXPECT_TRUE(std::filesystem::exists(declined)) << "a copy declined stays where it is";
    ASSERT_EQ(said.size(), 1u);
    EXPECT_TRUE(said[0].startsWith("2 jegyzet behozva"));
}
