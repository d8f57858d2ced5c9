// Finding a note as one types, over 10,000 notes of Hungarian text (names of 1-5 words, texts of 50-2,000
// characters), side by side in one run:
//   Search        the store's search alone (connect, query, snippets, disconnect), per typed text, for
//                 the rows the list window shows;
//   SearchTyping  the same as the list window runs it while one types: the text typed letter by letter
//                 since the list showed, without a pause, the file left open from keystroke to keystroke
//                 (Search is the whole text typed at once after the pause that lets go of the file);
//   SearchToPaint a keystroke in the list window's search field until the list is painted again (after the
//                 keystroke before it);
//   LikeScan      the plain way: a scan of the same rows with LIKE over accent-folded copies of name and
//                 text, on an open connection;
//   FirstStart    the start that builds the index of a database that has none, against
//   NextStart     a start that finds it exact.
// Run by hand:  [PINLET_BENCH_FOLDER=PATH] bench_search [--benchmark_filter=...]

#include "controls/MiniHtmlLabel.h"
#include "shell/PinletApplication.h"
#include "store/zkpldm_unit.h"
#include "tests/store/searchreference.h"
#include "windows/rootform_unit.h"

#include "bench/support/BenchFolder.h"
#include "bench/support/QtBenchMain.h"

#include <QImage>
#include <QLineEdit>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr int kNotes = 10000;

const std::vector<std::string> kWords = {
    "alma",       "körte",     "szilva",    "barack",    "őszibarack", "kenyér",     "tej",
    "vaj",        "sajt",      "tojás",     "liszt",     "cukor",      "só",         "bors",
    "paprika",    "hagyma",    "fokhagyma", "krumpli",   "répa",       "káposzta",   "uborka",
    "paradicsom", "bab",       "borsó",     "lencse",    "rizs",       "tészta",     "hús",
    "csirke",     "kolbász",   "szalonna",  "hal",       "leves",      "főzelék",    "pörkölt",
    "gulyás",     "lecsó",     "rétes",     "pogácsa",   "kalács",     "fánk",       "vásárolni",
    "hívni",      "megírni",   "elküldeni", "befizetni", "intézni",    "megnézni",   "elvinni",
    "hozni",      "holnap",    "ma",        "reggel",    "délután",    "este",       "hétfő",
    "kedd",       "szerda",    "csütörtök", "péntek",    "szombat",    "vasárnap",   "január",
    "február",    "március",   "április",   "május",     "június",     "július",     "augusztus",
    "szeptember", "október",   "november",  "december",  "orvos",      "fogorvos",   "iskola",
    "óvoda",      "munkahely", "iroda",     "főnök",     "kolléga",    "értekezlet", "határidő",
    "jelentés",   "számla",    "csekk",     "bank",      "posta",      "csomag",     "levél",
    "telefon",    "szám",      "cím",       "utca",      "tér",        "körút",      "kert",
    "fa",         "virág",     "locsolni",  "metszeni",  "ültetni",    "gyümölcsfa", "körtefa",
    "almafa",     "szőlő",     "autó",      "szerviz",   "gumi",       "olajcsere",  "benzin",
    "jegy",       "vonat",     "busz",      "villamos",  "repülő",     "szálloda",   "nyaralás",
    "Balaton",    "Budapest",  "Debrecen",  "Szeged",    "Pécs",       "Győr",       "születésnap",
    "ajándék",    "könyv",     "film",      "zene",      "koncert",    "színház",    "mozi",
    "múzeum",     "kiállítás", "és",        "vagy",      "de",         "hogy",       "nem",
    "igen",       "is",        "még",       "már",       "csak",       "majd",       "kell",
    "lehet",      "jó",        "szép",      "nagy",      "kicsi",      "új",         "régi",
    "fontos",     "sürgős",    "ötlet",     "terv",      "lista",      "teendő",     "jelszó",
    "kód",        "ügyfél",    "ajánlat",   "szerződés", "aláírni",    "fizetés",    "adó",
    "bevallás"};

// Words drawn as text is: a few common ones often, the many others now and then. Those others are made of
// Hungarian syllables, some twenty thousand of them, as a year of notes holds.
class Writer {
public:
    Writer() {
        const std::vector<std::string> syllables = {
            "ba",  "be", "bo", "ká", "ke",  "kö",  "la",  "lé", "ma", "me", "nyo", "ő",  "pa", "ré", "sza",
            "szé", "ta", "tü", "vá", "zsi", "gyü", "csa", "fű", "ha", "ir", "jó",  "mű", "ró", "ul", "es"};
        while (rare_.size() < 20000) {
            std::string word;
            const unsigned length = 2 + random_() % 3;
            for (unsigned i = 0; i < length; ++i)
                word += syllables[random_() % syllables.size()];
            rare_.push_back(word);
        }
    }
    std::string words(int count) {
        std::string text;
        for (int i = 0; i < count; ++i)
            text += (i ? " " : "") + word();
        return text;
    }
    std::string text(std::size_t length) {
        std::string result;
        while (result.size() < length) {
            result += word();
            const unsigned r = random_() % 20;
            result += r == 0 ? ".\r\n" : r == 1 ? ", " : " ";
        }
        return result;
    }
    unsigned next(unsigned bound) { return random_() % bound; }

private:
    std::string word() {
        if (random_() % 2)
            return rare_[random_() % rare_.size()];
        // Zipf-like: the rank is the square of a uniform draw over the list.
        const double u = std::uniform_real_distribution<double>(0, 1)(random_);
        return kWords[std::size_t(u * u * double(kWords.size()))];
    }
    std::mt19937 random_{22};
    std::vector<std::string> rare_;
};

// A folder with the notes written by another program (no index), a store started on a copy of it, the
// list window over that store, and the folded copies the plain scan reads.
class Fixture {
public:
    Fixture() : folder_(benchbasefolder() / "pinlet-bench-search") {
        fs::remove_all(folder_);
        fs::create_directories(folder_ / "exe");
        fs::create_directories(folder_ / "start");
        {
            Tzkpldm maker(environment(folder_ / "start"));
            maker.DataModuleCreate(); // the template, with the index of no notes yet
        }
        sqlite3* handle = nullptr;
        sqlite3_open(databasepath((folder_ / "start").string()).c_str(), &handle);
        benchexec(handle, "DROP TABLE jegyzetek_kereses");
        benchexec(handle, "BEGIN");
        sqlite3_stmt* insert = nullptr;
        sqlite3_prepare_v2(handle, "INSERT INTO jegyzetek (nev, jegyzet, torolve) VALUES (?1, ?2, ?3)", -1,
                           &insert, nullptr);
        Writer writer;
        for (int i = 0; i < kNotes; ++i) {
            const std::string name = writer.words(1 + int(writer.next(5)));
            const std::string text = writer.text(50 + writer.next(1951));
            sqlite3_bind_text(insert, 1, name.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(insert, 2, text.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_int(insert, 3, i % 20 == 0 ? 1 : 0);
            sqlite3_step(insert);
            sqlite3_reset(insert);
        }
        sqlite3_finalize(insert);
        benchexec(handle, "COMMIT");
        sqlite3_close(handle);

        fs::create_directories(folder_ / "run");
        fs::copy_file(databasepath((folder_ / "start").string()), databasepath((folder_ / "run").string()));
        store_ = std::make_unique<Tzkpldm>(environment(folder_ / "run"));
        store_->DataModuleCreate();
        zkpldm = store_.get();
        form_ = std::make_unique<TForm2>();
        form_->FormCreate();
        form_->show();
        label_ = form_->findChild<TMiniHtmlLabel*>("MiniHtmlLabel1");
        field_ = form_->findChild<QLineEdit*>("kereses");
        form_->startsearch(QString());

        // The plain way's copies, folded once, outside any timing.
        sqlite3_open(":memory:", &plain_);
        benchexec(plain_,
                  "CREATE TABLE masolat (id INTEGER PRIMARY KEY, nev TEXT, jegyzet TEXT, torolve INTEGER)");
        sqlite3* source = nullptr;
        sqlite3_open(databasepath((folder_ / "start").string()).c_str(), &source);
        sqlite3_stmt* read = nullptr;
        sqlite3_prepare_v2(source, "SELECT id, nev, jegyzet, torolve FROM jegyzetek", -1, &read, nullptr);
        sqlite3_prepare_v2(plain_, "INSERT INTO masolat VALUES (?1, ?2, ?3, ?4)", -1, &insert, nullptr);
        benchexec(plain_, "BEGIN");
        while (sqlite3_step(read) == SQLITE_ROW) {
            sqlite3_bind_int64(insert, 1, sqlite3_column_int64(read, 0));
            sqlite3_bind_text(
                insert, 2,
                searchreference::fold(reinterpret_cast<const char*>(sqlite3_column_text(read, 1))).c_str(),
                -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(
                insert, 3,
                searchreference::fold(reinterpret_cast<const char*>(sqlite3_column_text(read, 2))).c_str(),
                -1, SQLITE_TRANSIENT);
            sqlite3_bind_int(insert, 4, sqlite3_column_int(read, 3));
            sqlite3_step(insert);
            sqlite3_reset(insert);
        }
        benchexec(plain_, "COMMIT");
        sqlite3_finalize(insert);
        sqlite3_finalize(read);
        sqlite3_close(source);
    }
    ~Fixture() {
        sqlite3_close(plain_);
        form_.reset();
        zkpldm = nullptr;
        store_.reset();
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }

    TStoreEnvironment environment(const fs::path& documents) const {
        TStoreEnvironment result;
        result.exedir = (folder_ / "exe").string();
        const std::string folder = documents.string();
        result.documentsfolder = [folder] { return folder; };
        return result;
    }
    const fs::path& folder() const { return folder_; }
    Tzkpldm& store() { return *store_; }
    QLineEdit& field() { return *field_; }
    TMiniHtmlLabel& label() { return *label_; }
    sqlite3* plain() { return plain_; }

private:
    fs::path folder_;
    std::unique_ptr<Tzkpldm> store_;
    std::unique_ptr<TForm2> form_;
    TMiniHtmlLabel* label_ = nullptr;
    QLineEdit* field_ = nullptr;
    sqlite3* plain_ = nullptr;
};

std::unique_ptr<Fixture> current;

Fixture& fixture() {
    if (!current)
        current = std::make_unique<Fixture>();
    return *current;
}

// What the user has typed after each keystroke: a word letter by letter, then two words.
const std::vector<std::string> kTyped = {"k",      "kö",    "kör",        "kört", "körte",
                                         "körtef", "tej k", "tej kenyér", "sürg", "ÁRV"};

void Search(benchmark::State& state) {
    Fixture& f = fixture();
    const std::string& typed = kTyped[std::size_t(state.range(0))];
    std::size_t found = 0;
    for (auto _ : state)
        found = f.store().keresoldal(typed, false, TForm2::kShownMatches).total;
    state.SetLabel(typed + ": " + std::to_string(found) + " found");
}

void SearchTyping(benchmark::State& state) {
    Fixture& f = fixture();
    const QString typed = QString::fromStdString(kTyped[std::size_t(state.range(0))]);
    std::size_t found = 0;
    for (auto _ : state) {
        state.PauseTiming();
        // The list just shown, which readies the search for a first letter, then every keystroke before
        // this one, without a pause.
        f.store().keresesvege();
        f.store().keresesrekeszul();
        for (qsizetype letters = 1; letters < typed.size(); ++letters)
            f.store().keresoldal(typed.left(letters).toStdString(), false, TForm2::kShownMatches, true);
        state.ResumeTiming();
        found = f.store().keresoldal(typed.toStdString(), false, TForm2::kShownMatches, true).total;
    }
    f.store().keresesvege();
    state.SetLabel(typed.toStdString() + ": " + std::to_string(found) + " found");
}

void SearchToPaint(benchmark::State& state) {
    Fixture& f = fixture();
    const QString typed = QString::fromStdString(kTyped[std::size_t(state.range(0))]);
    QImage image(f.label().size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        state.PauseTiming();
        f.field().setText(typed.chopped(1)); // the list of the keystroke before
        state.ResumeTiming();
        f.field().setText(typed);
        f.label().render(&image);
    }
    state.SetLabel(typed.toStdString());
}

void LikeScan(benchmark::State& state) {
    Fixture& f = fixture();
    const std::string& typed = kTyped[std::size_t(state.range(0))];
    std::string where = "torolve <> 1";
    const std::vector<std::string> words = searchreference::words(typed);
    for (std::size_t i = 0; i < words.size(); ++i)
        where +=
            " AND (nev LIKE ?" + std::to_string(i + 1) + " OR jegyzet LIKE ?" + std::to_string(i + 1) + ")";
    sqlite3_stmt* scan = nullptr;
    sqlite3_prepare_v2(f.plain(), ("SELECT id, nev FROM masolat WHERE " + where).c_str(), -1, &scan, nullptr);
    std::size_t found = 0;
    for (auto _ : state) {
        for (std::size_t i = 0; i < words.size(); ++i) {
            const std::string pattern = "%" + words[i] + "%";
            sqlite3_bind_text(scan, int(i + 1), pattern.c_str(), -1, SQLITE_TRANSIENT);
        }
        found = 0;
        while (sqlite3_step(scan) == SQLITE_ROW)
            ++found;
        sqlite3_reset(scan);
    }
    sqlite3_finalize(scan);
    state.SetLabel(typed + ": " + std::to_string(found) + " found");
}

void start(benchmark::State& state, bool withindex) {
    Fixture& f = fixture();
    const fs::path folder = f.folder() / "again";
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove_all(folder);
        fs::create_directories(folder);
        fs::copy_file(databasepath((f.folder() / (withindex ? "run" : "start")).string()),
                      databasepath(folder.string()));
        state.ResumeTiming();
        Tzkpldm store(f.environment(folder));
        store.DataModuleCreate();
        if (!store.searchunavailable().empty())
            state.SkipWithError("no search");
    }
}

void FirstStart(benchmark::State& state) {
    start(state, false);
}

void NextStart(benchmark::State& state) {
    start(state, true);
}

void typed(benchmark::internal::Benchmark* b) {
    b->ArgName("typed")->DenseRange(0, int(kTyped.size()) - 1)->Unit(benchmark::kMillisecond);
}

BENCHMARK(Search)->Apply(typed);
BENCHMARK(SearchTyping)->Apply(typed);
BENCHMARK(LikeScan)->Apply(typed);
BENCHMARK(SearchToPaint)->Apply(typed)->Iterations(50);
BENCHMARK(FirstStart)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(NextStart)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

int main(int argc, char** argv) {
    return runqtbenchmarks(argc, argv, [] { current.reset(); });
}
