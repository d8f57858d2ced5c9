// The note list as the list window shows it: 1,000 and 10,000 "<a href="N">name N</a><br>" lines in a
// 594 x 206 label (Arial 16 px, scrolling on), at the top and scrolled to the end. Per pointer move (the
// label's hit test and the enter/exit it reports; the list draws no hover style, so a move repaints
// nothing) and per full paint, side by side with the engine alone laying out the same text in the same
// scrolled rectangle, as the label would without its kept line positions. Rebuild: replacing the list
// with one name changed, as the list window does every second while notes change.
//
// Build with -DPINLET_BENCH=ON and run bench_minihtml_controls by hand.
#include "controls/MiniHtmlLabel.h"
#include "controls/QtCanvas.h"
#include "minihtml/MiniHtmlRender.h"

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>

#include "bench/support/QtBenchMain.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

namespace {

constexpr int kWidth = 594;
constexpr int kHeight = 206;

std::string noteList(int notes, const std::string& renamed = {}) {
    std::string text;
    for (int i = 1; i <= notes; ++i) {
        const std::string name = i == notes / 2 && !renamed.empty() ? renamed : "name " + std::to_string(i);
        text += "<a href=\"" + std::to_string(i) + "\">" + name + "</a><br>";
    }
    return text;
}

QFont listFont() {
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(16);
    return font;
}

std::unique_ptr<TMiniHtmlLabel> listLabel(int notes, bool atEnd) {
    auto label = std::make_unique<TMiniHtmlLabel>();
    label->resize(kWidth, kHeight);
    label->setFont(listFont());
    label->setColor(0x80FFFF);
    label->setURLColor(0x076C89);
    label->setShadowColor(0xFFFFFF);
    label->setShadowOffset(1);
    label->setScrolling(true);
    label->setHTMLText(noteList(notes));
    label->setScrollOffset(atEnd ? 1 << 30 : 0);
    return label;
}

void sendMove(QWidget& widget, QPoint point) {
    QMouseEvent move(QEvent::MouseMove, point, widget.mapToGlobal(point), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(&widget, &move);
}

// Two points on different links, so every move enters a link.
constexpr QPoint kFirst(20, 30);
constexpr QPoint kSecond(20, 80);

void Label_PointerMove(benchmark::State& state) {
    const auto label = listLabel(static_cast<int>(state.range(0)), state.range(1) != 0);
    int entered = 0;
    label->setOnAnchorEnter([&](QObject*, const std::string&) { ++entered; });
    bool first = true;
    for (auto _ : state) {
        sendMove(*label, first ? kFirst : kSecond);
        first = !first;
    }
    if (entered == 0) {
        state.SkipWithError("no link under the pointer");
    }
}

void Label_Paint(benchmark::State& state) {
    const auto label = listLabel(static_cast<int>(state.range(0)), state.range(1) != 0);
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    for (auto _ : state) {
        label->render(&image);
    }
}

void Label_Rebuild(benchmark::State& state) {
    const int notes = static_cast<int>(state.range(0));
    const auto label = listLabel(notes, true);
    const std::string texts[2] = {noteList(notes, "renamed"), noteList(notes)};
    int which = 0;
    for (auto _ : state) {
        label->setHTMLText(texts[which]);
        which = 1 - which;
    }
}

// The engine over the whole text, in the rectangle the label lays it out in.
MiniHtmlRenderInput engineInput(Canvas& canvas, const std::string& text, bool atEnd) {
    MiniHtmlRenderInput in;
    in.Canvas = &canvas;
    in.Text = text;
    in.URLColor = 0x076C89;
    in.ShadowColor = 0xFFFFFF;
    in.ShadowOffset = 1;
    in.Rect = {0, 0, kWidth - 8, kHeight};
    if (atEnd) {
        MiniHtmlRenderInput measure = in;
        measure.MeasureOnly = measure.CheckOnly = true;
        in.Rect.Top = kHeight - MiniHtmlRender(measure).YSize;
    }
    return in;
}

void Engine_PointerMove(benchmark::State& state) {
    const int notes = static_cast<int>(state.range(0));
    const std::string text = noteList(notes);
    QImage device(1, 1, QImage::Format_RGB32);
    QPainter painter(&device);
    QtCanvas canvas(painter, QtCanvas::fromQFont(listFont(), 0));
    MiniHtmlRenderInput in = engineInput(canvas, text, state.range(1) != 0);
    in.CheckOnly = true;
    bool first = true;
    for (auto _ : state) {
        in.X = (first ? kFirst : kSecond).x();
        in.Y = (first ? kFirst : kSecond).y();
        first = !first;
        const MiniHtmlRenderOutput out = MiniHtmlRender(in);
        if (!out.Result) {
            state.SkipWithError("no link under the point");
        }
    }
}

void Engine_Paint(benchmark::State& state) {
    const int notes = static_cast<int>(state.range(0));
    const std::string text = noteList(notes);
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter painter(&image);
        painter.setClipRect(0, 0, kWidth, kHeight);
        QtCanvas canvas(painter, QtCanvas::fromQFont(listFont(), 0));
        canvas.setBrush(0x80FFFF);
        canvas.fillRect({0, 0, kWidth, kHeight});
        const MiniHtmlRenderInput in = engineInput(canvas, text, state.range(1) != 0);
        benchmark::DoNotOptimize(MiniHtmlRender(in).YSize);
    }
}

void listSizes(benchmark::internal::Benchmark* bench) {
    bench->ArgNames({"notes", "atEnd"})->Unit(benchmark::kMicrosecond);
    for (const int notes : {1000, 10000}) {
        for (const int atEnd : {0, 1}) {
            bench->Args({notes, atEnd});
        }
    }
}

BENCHMARK(Label_PointerMove)->Apply(listSizes);
BENCHMARK(Engine_PointerMove)->Apply(listSizes);
BENCHMARK(Label_Paint)->Apply(listSizes);
BENCHMARK(Engine_Paint)->Apply(listSizes);
BENCHMARK(Label_Rebuild)->ArgNames({"notes"})->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return runqtbenchmarks(argc, argv);
}
