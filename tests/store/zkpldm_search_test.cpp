// Searching the notes: the matching rules, the index kept exact by every way a note changes, and user
// input that never reaches the index as query syntax.

#include "searchreference.h"
#include "storefixture.h"

#include "db/DbError.h"
#include "db/Query.h"
#include "store/SearchSnippet.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <thread>

namespace {

using searchreference::ids;

} // namespace

class SearchTest : public StoreTest {
protected:
    // The index checked against its content table, and every query against a scan of every note.
    void expectexact(const std::vector<std::string>& queries) {
        struct Row {
            std::int32_t id;
            bool deleted;
            std::string nev, jegyzet;
        };
        std::vector<Row> rows;
        sqlite3* handle = nullptr;
        ASSERT_EQ(sqlite3_open(dbpath.c_str(), &handle), SQLITE_OK);
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(handle,
                           "SELECT id, torolve = 1, ifnull(nev, ''), ifnull(jegyzet, '') FROM jegyzetek", -1,
                           &statement, nullptr);
        while (sqlite3_step(statement) == SQLITE_ROW)
            rows.push_back({sqlite3_column_int(statement, 0), sqlite3_column_int(statement, 1) == 1,
                            reinterpret_cast<const char*>(sqlite3_column_text(statement, 2)),
                            reinterpret_cast<const char*>(sqlite3_column_text(statement, 3))});
        sqlite3_finalize(statement);
        sqlite3_close(handle);
        for (const bool deleted : {false, true}) {
            for (const std::string& text : queries) {
                std::vector<std::int32_t> expected;
                for (const Row& row : rows)
                    if (row.deleted == deleted && searchreference::matches(text, row.nev, row.jegyzet))
                        expected.push_back(row.id);
                std::vector<std::int32_t> found = ids(store->keresjegyzetek(text, deleted));
                std::sort(found.begin(), found.end());
                EXPECT_EQ(found, expected) << "query \"" << text << "\", deleted " << deleted;
            }
        }
        EXPECT_FALSE(store->db.connected());
        // Searching refreshed whatever a writer that does not keep the index left behind.
        EXPECT_EQ(query("SELECT valtozas = indexelt FROM kereses_allapot"), "1");
        writeasanother(
            dbpath, "INSERT INTO jegyzetek_kereses (jegyzetek_kereses, rank) VALUES ('integrity-check', 1)");
    }
};

TEST_F(SearchTest, MatchingRules) {
    const std::vector<Tjegyzet> notes = {
        {"Körtefa", "metszeni tavasszal"},                       // 1
        {"Bevásárlás", "tej, kenyér, őszibarack"},               // 2
        {"Új jegyzet", "a körtefa alatt: TEJ és kenyér"},        // 3
        {"Őszi teendők", "kertészkedés"},                        // 4
        {"tej kenyér", "név és szöveg is"},                      // 5
        {"Új jegyzet", "x-y (zárójel) \"idézet\" NEAR a:b * -"}, // 6
        {"", "név nélküli jegyzet"},                             // 7
    };
    for (const Tjegyzet& note : notes)
        store->savejegyzet(-1, note);
    const struct {
        std::string query;
        std::vector<std::int32_t> expected;
        const char* why;
    } cases[] = {
        {"kort", {1, 3}, "a word's start, without accents; the name match first"},
        {"KÖRTEFA", {1, 3}, "case and accents both ignored, the whole word"},
        {"OSZI", {4, 2}, "ő folds to o; the name match above the text match"},
        {"tej kenyer", {5, 2, 3}, "every word must be there; both in the name ranks first"},
        {"kenyer tej", {5, 2, 3}, "the order of the words does not matter"},
        {"ortefa", {}, "the inside of a word is no match"},
        {"tejföl", {}, "a longer word than the note's is no match"},
        {"körtefa tej", {3}, "the words may be in the name and the text together"},
        {"jegyzet", {3, 6, 7}, "in the name of two, the text of one: the names first"},
        {"  szöveg  ", {5}, "spaces around are no words"},
        {"", {1, 2, 3, 4, 5, 6, 7}, "no word: every note, in id order"},
        {"x-y", {6}, "a dash separates words; it excludes nothing"},
        {"\"idézet\"", {6}, "quotes are searched as text, not a phrase"},
        {"(zárójel)", {6}, "parentheses group nothing"},
        {"NEAR", {6}, "NEAR is a word like any other"},
        {"a:b", {6}, "a colon names no column"},
        {"nev : kort", {}, "no column filter either: \"nev\" is only a word that no note holds"},
        {"*", {1, 2, 3, 4, 5, 6, 7}, "a star alone is no word"},
        {"\"", {1, 2, 3, 4, 5, 6, 7}, "an unclosed quote fails nothing"},
        {"^tej", {5, 2, 3}, "a caret anchors nothing"},
        {"tej*", {5, 2, 3}, "a star is no wildcard of the user's"},
        {"{zárójel}", {6}, "braces name no columns"},
        {"tej OR alma", {}, "OR is a word, not an operator"},
        {"tej NOT kenyer", {}, "NOT is a word, not an operator"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ids(store->keresjegyzetek(c.query, false)), c.expected) << c.query << ": " << c.why;

    store->deletejegyzet(1);
    EXPECT_EQ(ids(store->keresjegyzetek("kort", false)), std::vector<std::int32_t>{3});
    EXPECT_EQ(ids(store->keresjegyzetek("kort", true)), std::vector<std::int32_t>{1});

    // The piece of text around the match, the match marked.
    const std::vector<Tfoundnote> found = store->keresjegyzetek("kenyer", false);
    ASSERT_EQ(found.size(), 3u);
    EXPECT_EQ(found[0].snippet, ""); // no match in the text of "tej kenyér" ("név és szöveg is")
    EXPECT_EQ(found[1].snippet, "tej, \x01kenyér\x02, őszibarack");
    // A word in the name and one in the text: the piece shows the one in the text.
    EXPECT_EQ(store->keresjegyzetek("uj alatt", false).at(0).snippet, "a körtefa \x01"
                                                                      "alatt\x02: TEJ és kenyér");
}

TEST_F(SearchTest, EveryWritePathKeepsTheIndexExact) {
    const std::vector<std::string> vocabulary = {"alma",         "körte",      "őszibarack", "tej",
                                                 "kenyér",       "Új",         "jegyzet",    "ÁRVÍZTŰRŐ",
                                                 "tükörfúrógép", "bevásárlás", "x-y",        "kívülálló"};
    // "kivul" starts words written here and words only another writer's rows hold; ten words start
    // "alma", more than are looked for one by one, and three start "szilv".
    const std::vector<std::string> queries = {
        "a",     "kör",  "OSZ",   "tej ken", "arvizturo tuk", "x y",     "jegyzet", "zz",         "körte",
        "kivul", "alma", "almab", "almaafa", "szilv",         "szilvas", "SZILVÁF", "körtefa tej"};
    std::string many;
    for (char c = 'a'; c <= 'i'; ++c)
        many += std::string("alma") + c + "fa ";
    const std::int32_t first = store->savejegyzet(-1, {"Szilvás", many});
    store->savejegyzet(-1, {"szilvafa", "almafa"});
    store->savejegyzet(-1, {"Szilva", "almaifa"}); // the tenth of them, and the only one its note holds
    store->savejegyzet(first, {"Körte", "almaafa"}); // its other words leave the index
    expectexact(queries);
    std::mt19937 random(22);
    const auto text = [&](int words) {
        std::string result;
        for (int i = 0; i < words; ++i)
            result += vocabulary[random() % vocabulary.size()] + (random() % 5 ? " " : "\r\n");
        return result;
    };
    std::vector<std::int32_t> made;
    for (int round = 0; round < 40; ++round) {
        switch (random() % 7) {
        case 0:
        case 1:
            made.push_back(store->savejegyzet(-1, {text(2), text(12)}));
            break;
        case 2: // rename or edit; an id no note has makes a new note
            store->savejegyzet(made.empty() ? 99 : made[random() % made.size()], {text(1), text(20)});
            break;
        case 3:
            if (!made.empty())
                store->deletejegyzet(made[random() % made.size()]);
            break;
        case 4:
            if (!made.empty())
                store->restorejegyzet(made[random() % made.size()]);
            break;
        case 5: // another program, or an earlier Pinlet, that does not keep the index
            writeasanother(dbpath, "UPDATE jegyzetek SET jegyzet = jegyzet || ' kívülről' WHERE id % 3 = 0");
            writeasanother(dbpath, "INSERT INTO jegyzetek (nev, jegyzet) VALUES ('kívül', 'írta más')");
            break;
        case 6:
            store->compactdb();
            break;
        }
        if (round % 4 == 3)
            expectexact(queries);
    }
    expectexact(queries);
    store.reset(); // the next start finds it exact and writes nothing
    const std::string schema = query("SELECT group_concat(sql, ';') FROM sqlite_master");
    writeasanother(dbpath, "DELETE FROM jegyzetek WHERE id = (SELECT max(id) FROM jegyzetek)");
    store = std::make_unique<Tzkpldm>(testenvironment(folder, clock));
    store->DataModuleCreate();
    EXPECT_EQ(query("SELECT group_concat(sql, ';') FROM sqlite_master"), schema);
    expectexact(queries);
}

TEST_F(SearchTest, AnExistingFileGainsTheIndexAndAnSqliteWithoutFts5StillWorks) {
    store.reset();
    writeasanother(
        dbpath,
        "DROP TABLE jegyzetek_kereses; DROP TABLE kereses_allapot; DROP TRIGGER kereses_allapot_beszuras;"
        "DROP TRIGGER kereses_allapot_modositas; DROP TRIGGER kereses_allapot_torles; DROP TABLE "
        "kereses_szavak;"
        "INSERT INTO jegyzetek (nev, jegyzet) VALUES ('régi', 'még a keresés előtt')");

    // Without FTS5: the notes open and save; search says why it cannot, and writes no part of the index.
    TStoreEnvironment without = testenvironment(folder, clock);
    without.fulltext = false;
    store = std::make_unique<Tzkpldm>(without);
    store->DataModuleCreate();
    EXPECT_NE(store->searchunavailable().find("FTS5"), std::string::npos);
    try {
        store->keresjegyzetek("régi", false);
        ADD_FAILURE() << "searched without FTS5";
    } catch (const sqldb::Error& error) {
        EXPECT_EQ(error.what(), store->searchunavailable());
    }
    const std::int32_t id = store->savejegyzet(-1, {"új", "FTS5 nélkül írva"});
    store->savejegyzet(1, {"régi név", "átírva"});
    EXPECT_EQ(store->getjegyzet(id).jegyzet, "FTS5 nélkül írva");
    EXPECT_EQ(query("SELECT count(*) FROM sqlite_master WHERE name LIKE '%kereses%'"), "0");

    // The next start with FTS5 builds the index from every row; a file with the index, opened again
    // without FTS5, is written through the counting triggers and rebuilt once FTS5 is back.
    store = std::make_unique<Tzkpldm>(testenvironment(folder, clock));
    store->DataModuleCreate();
    EXPECT_EQ(store->searchunavailable(), "");
    expectexact({"regi", "atirva", "fts5", "nelkul"});
    store = std::make_unique<Tzkpldm>(without);
    store->DataModuleCreate();
    store->savejegyzet(id, {"új", "megint FTS5 nélkül"});
    store->savejegyzet(-1, {"harmadik", "szintén"});
    store->compactdb();
    EXPECT_EQ(query("SELECT valtozas > indexelt FROM kereses_allapot"), "1");
    store = std::make_unique<Tzkpldm>(testenvironment(folder, clock));
    store->DataModuleCreate();
    expectexact({"megint", "szinten", "harmadik", "nelkul"});
}

TEST_F(SearchTest, TwoStartsUpgradingTheSameFileAtOnceBothFindItExact) {
    writeasanother(dbpath, manynotes(3000, "'jegyzet ' || i", "'körte alma szilva ' || i"));
    store.reset();
    // An index made the way an earlier Pinlet made it, exact as far as its counters tell: it is made anew.
    writeasanother(
        dbpath, "DROP TABLE jegyzetek_kereses; CREATE VIRTUAL TABLE jegyzetek_kereses USING fts5(nev, "
                "jegyzet, content='jegyzetek', content_rowid='id', tokenize='unicode61 remove_diacritics 2', "
                "prefix='2'); INSERT INTO jegyzetek_kereses (jegyzetek_kereses) VALUES ('rebuild'); "
                "UPDATE kereses_allapot SET indexelt = valtozas");
    std::vector<std::unique_ptr<Tzkpldm>> stores;
    for (int i = 0; i < 3; ++i)
        stores.push_back(std::make_unique<Tzkpldm>(testenvironment(folder, clock)));
    std::vector<std::thread> starts;
    for (auto& each : stores)
        starts.emplace_back([&each] { each->DataModuleCreate(); });
    for (std::thread& start : starts)
        start.join();
    for (auto& each : stores) {
        EXPECT_EQ(each->searchunavailable(), "");
        EXPECT_EQ(ids(each->keresjegyzetek("korte 3000", false)), std::vector<std::int32_t>{3000});
    }
    store = std::move(stores.front());
    // Thousands found are not weighed one by one: the newest come first, the name matches still before.
    EXPECT_EQ(ids(store->keresjegyzetek("alma", false)).front(), 3000);
    EXPECT_EQ(ids(store->keresjegyzetek("alma 3000", false)).front(), 3000);
    expectexact({"korte", "299", "jegyzet 1"});
    EXPECT_NE(query("SELECT sql FROM sqlite_master WHERE name = 'jegyzetek_kereses'").find("detail=column"),
              std::string::npos);

    // A page of thousands found counts them as far as kCountedMatches, or as far as the page reaches.
    const std::vector<std::int32_t> whole = ids(store->keresjegyzetek("alma", false));
    ASSERT_EQ(whole.size(), 3000u);
    for (const std::size_t limit :
         {std::size_t(10), noteindex::kCountedMatches, std::size_t(2000), std::size_t(5000)}) {
        const Tfoundpage page = store->keresoldal("alma", false, limit);
        EXPECT_EQ(page.total, std::min<std::size_t>(std::max(limit, noteindex::kCountedMatches), 3000))
            << limit;
        EXPECT_EQ(page.counted, limit >= 3000) << limit;
        EXPECT_EQ(ids(page.notes), std::vector<std::int32_t>(
                                       whole.begin(), whole.begin() + std::min<std::size_t>(limit, 3000)));
    }
}

// Kept open from one keystroke to the next, the search still follows every change of the file: another
// program's commit, and one of its own connection's.
TEST_F(SearchTest, AFileKeptOpenIsFollowed) {
    const std::int32_t a = store->savejegyzet(-1, {"alma", "egy"});
    const std::int32_t b = store->savejegyzet(-1, {"alma", "kettő"});
    const auto found = [&](const std::string& text, bool deleted = false) {
        return ids(store->keresoldal(text, deleted, 10, true).notes);
    };
    EXPECT_EQ(found("alma"), (std::vector<std::int32_t>{a, b}));
    // Open between keystrokes, the file is not locked for other programs' writes.
    writeasanother(dbpath, "UPDATE jegyzetek SET torolve = 1 WHERE id = " + std::to_string(a));
    EXPECT_EQ(found("alma"), std::vector<std::int32_t>{b});
    EXPECT_EQ(found("alma", true), std::vector<std::int32_t>{a});
    sqldb::execute(store->db, "UPDATE jegyzetek SET torolve = 0 WHERE id = " + std::to_string(a));
    EXPECT_EQ(found("alma"), (std::vector<std::int32_t>{a, b}));
    // A writer that does not keep the index: the next search rebuilds it.
    writeasanother(dbpath, "UPDATE jegyzetek SET jegyzet = 'három' WHERE id = " + std::to_string(b));
    EXPECT_EQ(found("harom"), std::vector<std::int32_t>{b});
    EXPECT_TRUE(store->db.connected());
    store->keresesvege();
    EXPECT_FALSE(store->db.connected());
}

// The piece of text under a name: the words around the first match, every match marked, cut where the text
// goes on, whatever characters the text holds.
TEST_F(SearchTest, ThePieceOfTextAroundTheFirstMatch) {
    const std::string ten = "egy kettő három négy öt hat hét nyolc kilenc tíz tizenegy";
    const std::string dashes(100, '-');
    const std::string twenty(20, '-');
    struct Case {
        std::string text;
        std::vector<std::string> found;
        std::size_t width;
        std::string piece;
    };
    const std::vector<Case> cases = {
        {"alma körte szilva", {"kor"}, 10, "alma \x01körte\x02 szilva"},
        {ten,
         {"egy"},
         4,
         "\x01"
         "egy\x02 kettő három négy…"},
        {ten, {"hat"}, 4, "…négy öt \x01hat\x02 hét…"},
        {ten, {"tizenegy"}, 4, "…nyolc kilenc tíz \x01tizenegy\x02"},
        {ten, {"ti"}, 4, "…nyolc kilenc \x01tíz\x02 \x01tizenegy\x02"},
        {"ÁRVÍZTŰRŐ tükörfúrógép.", {"arvizturo"}, 10, "\x01ÁRVÍZTŰRŐ\x02 tükörfúrógép."},
        {"(tej), kenyér, TEJ!", {"tej"}, 10, "(\x01tej\x02), kenyér, \x01TEJ\x02!"},
        {"tej kenyér alma",
         {"ken", "alm"},
         10,
         "tej \x01kenyér\x02 \x01"
         "alma\x02"},
        {"a\x01"
         "b \x02tej",
         {"tej"},
         10,
         "ab \x01tej\x02"},
        {"alma" + dashes + "körte" + dashes,
         {"korte"},
         10,
         "alma" + twenty + "…" + twenty + "\x01körte\x02" + twenty + "…"},
        {"sor\r\nújsor", {"ujs"}, 10, "sor\r\n\x01újsor\x02"},
        {"alma körte", {"szilva"}, 10, ""},
        {"", {"alma"}, 10, ""},
    };
    store->db.connect();
    const sqldb::FullTextTokenizer tokenizer(store->db, {"unicode61", "remove_diacritics", "2"});
    for (const Case& c : cases)
        EXPECT_EQ(noteindex::snippet(tokenizer, c.text, c.found, c.width), c.piece) << c.text;
    store->db.disconnect();
}

// A page is the first notes of the whole search, in its order, with the count of them all; the marks,
// whatever a writer stored in them, part the live notes from the deleted ones as the list and the whole
// search do.
TEST_F(SearchTest, APageIsTheStartOfTheWholeSearchAndCountsItAll) {
    const std::vector<std::string> marks = {"0",   "1", "NULL", "'1'",   "' 1'",       "1.7",
                                            "0.5", "2", "'x'",  "x'31'", "4294967297", "-4294967295"};
    for (std::size_t i = 0; i < 30; ++i) {
        const std::int32_t id =
            store->savejegyzet(-1, {i % 3 ? "alma" : "körte alma", "kert alma " + std::to_string(i)});
        writeasanother(dbpath, "UPDATE jegyzetek SET torolve = " + marks[i % marks.size()] +
                                   " WHERE id = " + std::to_string(id));
    }
    for (const bool deleted : {false, true}) {
        // As the list parts them.
        const std::string marked = std::to_string(store->listjegyzetek(deleted).size());
        for (const std::string text : {"alma", "kö", "kert alma", "nincs"}) {
            const std::vector<std::int32_t> whole = ids(store->keresjegyzetek(text, deleted));
            if (text != "nincs" && text != "kö") {
                EXPECT_EQ(std::to_string(whole.size()), marked) << text << ", deleted " << deleted;
            }
            for (const std::size_t limit :
                 {std::size_t(0), std::size_t(1), std::size_t(7), std::size_t(100)}) {
                const Tfoundpage page = store->keresoldal(text, deleted, limit);
                EXPECT_EQ(page.total, whole.size()) << text << " " << limit;
                EXPECT_EQ(ids(page.notes), std::vector<std::int32_t>(
                                               whole.begin(), whole.begin() + std::min(limit, whole.size())))
                    << text << " " << limit << ", deleted " << deleted;
            }
        }
    }
}

TEST_F(SearchTest, AmongManyMatchesTheNameMatchesComeFirstNewestFirst) {
    // More notes found than are weighed one by one, fewer than are counted.
    writeasanother(dbpath, manynotes(480,
                                     "CASE WHEN i % 3 = 0 THEN 'Körte alma ' || i WHEN i % 5 = 0 THEN "
                                     "'almás kosár' ELSE 'szilva' END",
                                     "'kert alma ' || i", "i % 11 = 0"));
    const std::vector<std::int32_t> notes = ids(store->keresjegyzetek("", false));
    // Each finds more notes than are weighed: the newest come first, the name matches before them.
    for (const std::string text : {"alma k", "k alma", "alm kert"}) {
        std::vector<std::int32_t> named, others;
        for (auto id = notes.rbegin(); id != notes.rend(); ++id) {
            const std::string nev = store->getjegyzet(*id).nev;
            const std::string jegyzet = store->getjegyzet(*id).jegyzet;
            if (searchreference::matches(text, nev, ""))
                named.push_back(*id);
            else if (searchreference::matches(text, nev, jegyzet))
                others.push_back(*id);
        }
        named.insert(named.end(), others.begin(), others.end());
        for (const std::size_t limit : {std::size_t(0), std::size_t(50), std::size_t(300)}) {
            const Tfoundpage page = store->keresoldal(text, false, limit);
            EXPECT_EQ(page.total, named.size()) << text;
            EXPECT_EQ(ids(page.notes),
                      std::vector<std::int32_t>(named.begin(), named.begin() + std::min(limit, named.size())))
                << text << " " << limit;
        }
    }
}

// Typed letter by letter on a file kept open, every page is the page a search of the whole text finds
// afresh, also when another program renames a note between two keystrokes.
TEST_F(SearchTest, TypingFindsWhatAFreshSearchFinds) {
    writeasanother(dbpath, manynotes(900,
                                     "CASE WHEN i % 5 = 0 THEN 'Tej kakaó ' || i WHEN i % 10 = 1 THEN "
                                     "'tejföl' WHEN i % 5 = 2 THEN 'kakaó' ELSE 'kenyér ' || i END",
                                     "'tej kávé kakaó'", "i % 9 = 0"));
    const auto afresh = [&](const std::string& text, bool deleted) {
        Tzkpldm started(testenvironment(folder, clock)); // nothing kept from an earlier search
        started.DataModuleCreate();
        return started.keresoldal(text, deleted, 50);
    };
    for (const bool deleted : {false, true}) {
        std::string typed;
        for (const std::string letter : {"t", "e", "j", " ", "k", "a", "k", "a", "ó", " ", "1"}) {
            typed += letter;
            if (typed == "tej ka" && !deleted)
                writeasanother(
                    dbpath,
                    "UPDATE jegyzetek SET nev = 'tej kalap' WHERE id > (SELECT max(id) - 3 FROM jegyzetek)");
            const Tfoundpage page = store->keresoldal(typed, deleted, 50, true);
            const Tfoundpage expected = afresh(typed, deleted);
            EXPECT_EQ(ids(page.notes), ids(expected.notes)) << typed << ", deleted " << deleted;
            EXPECT_EQ(page.total, expected.total) << typed;
        }
    }
}
