// The note list window's rebuild, showitems, over 1,000 and 10,000 notes, as it runs after a change: one
// note renamed before every call (outside the timing): the first (last:0) or the last, newest one (last:1).
// The whole call (the pass over the notes table and the new text in the shown label), and beside it, in the
// same run, its two halves alone and the rebuild followed by the paint that shows it. Run by hand:
//   [PINLET_BENCH_FOLDER=PATH] bench_rootform_showitems [--benchmark_filter=...]
// The databases live in a fresh folder under PATH (default: the system's temporary folder).

#include "controls/MiniHtmlLabel.h"
#include "shell/PinletApplication.h"
#include "store/zkpldm_unit.h"
#include "windows/rootform_unit.h"

#include <QImage>

#include "bench/support/BenchFolder.h"
#include "bench/support/QtBenchMain.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>

namespace {

namespace fs = std::filesystem;

// A store over a database of `notes` notes (a tenth of them deleted, so the pass skips some), made once.
class Fixture {
public:
    explicit Fixture(int notes)
        : notes_(notes), folder_(benchbasefolder() / ("pinlet-bench-list-" + std::to_string(notes))) {
        fs::remove_all(folder_);
        fs::create_directories(folder_ / "exe");
        TStoreEnvironment environment;
        environment.exedir = (folder_ / "exe").string();
        const std::string documents = folder_.string();
        environment.documentsfolder = [documents] { return documents; };
        store_ = std::make_unique<Tzkpldm>(std::move(environment));
        store_->DataModuleCreate();
        sqlite3_open(databasepath(folder_.string()).c_str(), &handle_);
        benchexec(handle_, "BEGIN");
        for (int i = 1; i <= notes; ++i)
            benchexec(handle_, "INSERT INTO jegyzetek (nev, jegyzet, torolve) VALUES ('Jegyzet " +
                                   std::to_string(i) + " – bevásárlás', 'szöveg', " +
                                   (i % 10 == 0 ? "1" : "0") + ")");
        benchexec(handle_, "COMMIT");
        zkpldm = store_.get();
        form_ = std::make_unique<TForm2>();
        form_->FormCreate();
        form_->show();
        label_ = form_->findChild<TMiniHtmlLabel*>("MiniHtmlLabel1");
    }
    ~Fixture() {
        sqlite3_close(handle_);
        form_.reset();
        zkpldm = nullptr;
        store_.reset();
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }

    TForm2& form() { return *form_; }
    TMiniHtmlLabel& label() { return *label_; }
    Tzkpldm& store() { return *store_; }
    // Renames the first or the last live note, differently each time, as an edit between two rebuilds
    // would. The newest note, last in the list, is the one most often edited.
    void rename(bool last) {
        const int renamedid = last ? notes_ - 1 : 1;
        benchexec(handle_, "UPDATE jegyzetek SET nev = 'Átnevezve " + std::to_string(++renames_) +
                               "' WHERE id = " + std::to_string(renamedid));
    }

private:
    int notes_;
    fs::path folder_;
    std::unique_ptr<Tzkpldm> store_;
    std::unique_ptr<TForm2> form_;
    TMiniHtmlLabel* label_ = nullptr;
    sqlite3* handle_ = nullptr;
    int renames_ = 0;
};

// One store at a time, as the program has one; gone before the application object.
std::unique_ptr<Fixture> current;
int currentNotes = -1;

Fixture& fixture(int notes) {
    if (notes != currentNotes) {
        current.reset();
        current = std::make_unique<Fixture>(notes);
        currentNotes = notes;
    }
    return *current;
}

void Showitems(benchmark::State& state) {
    Fixture& f = fixture(int(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        f.rename(state.range(1) != 0);
        state.ResumeTiming();
        f.form().showitems();
    }
}

// The pass over the notes table alone, as showitems asks the store for it.
void TablePass(benchmark::State& state) {
    Fixture& f = fixture(int(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(f.store().listjegyzetek(false));
}

// The label taking a new text alone: two rebuilds' texts, each with the first note under another name.
void LabelText(benchmark::State& state) {
    Fixture& f = fixture(int(state.range(0)));
    std::string texts[2];
    for (std::string& text : texts) {
        f.rename(state.range(1) != 0);
        f.form().showitems();
        text = f.label().HTMLText();
    }
    int next = 0;
    for (auto _ : state) {
        f.label().setHTMLText(texts[next]);
        next = 1 - next;
    }
}

void ShowitemsAndPaint(benchmark::State& state) {
    Fixture& f = fixture(int(state.range(0)));
    QImage image(f.label().size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        state.PauseTiming();
        f.rename(state.range(1) != 0);
        state.ResumeTiming();
        f.form().showitems();
        f.label().render(&image);
    }
}

void sizes(benchmark::internal::Benchmark* b) {
    b->ArgNames({"notes", "last"})->ArgsProduct({{1000, 10000}, {0, 1}})->Unit(benchmark::kMillisecond);
}

BENCHMARK(Showitems)->Apply(sizes);
BENCHMARK(TablePass)->Apply(sizes);
BENCHMARK(LabelText)->Apply(sizes);
BENCHMARK(ShowitemsAndPaint)->Apply(sizes);

} // namespace

int main(int argc, char** argv) {
    return runqtbenchmarks(argc, argv, [] { current.reset(); });
}
