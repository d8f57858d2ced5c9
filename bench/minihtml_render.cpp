// The note list as the list window shows it: 1,000 links, one per line, in the label's 594 x 206 pixels.
// MiniHtmlRender through QtCanvas (hit test, paint, measure) side by side with the same list as HTML in a
// QTextDocument (set the HTML, lay out at the same width, then hit-test, paint or take the size). Both lay
// the whole text out again on every call, as the label does on every paint and mouse move.
//
// Build with -DPINLET_BENCH=ON and run bench_minihtml_render by hand.
#include "controls/QtCanvas.h"
#include "minihtml/MiniHtmlRender.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QTextDocument>

#include "bench/support/QtBenchMain.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

constexpr int kWidth = 594;
constexpr int kHeight = 206;
constexpr int kNotes = 1000;

std::string noteList() {
    std::string text;
    for (int i = 1; i <= kNotes; ++i) {
        text += "<a href=\"" + std::to_string(i) + "\">name " + std::to_string(i) + "</a><br>";
    }
    return text;
}

QFont listFont() {
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(16);
    return font;
}

// A point over the third link, whatever face the platform gives for Arial.
constexpr int kHitX = 20;
int hitY() {
    const QFontMetrics metrics(listFont());
    return 2 * metrics.height() + metrics.height() / 2;
}

MiniHtmlRenderInput listInput(Canvas& canvas, const std::string& text) {
    MiniHtmlRenderInput in;
    in.Canvas = &canvas;
    in.Text = text;
    in.Rect = {0, 0, kWidth, kHeight};
    in.URLColor = 0x896C07;
    in.X = kHitX;
    in.Y = hitY();
    return in;
}

void MiniHtmlRender_HitTest(benchmark::State& state) {
    const std::string text = noteList();
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    QPainter painter(&image);
    QtCanvas canvas(painter, QtCanvas::fromQFont(listFont(), 0));
    MiniHtmlRenderInput in = listInput(canvas, text);
    in.CheckOnly = true;
    for (auto _ : state) {
        const MiniHtmlRenderOutput out = MiniHtmlRender(in);
        benchmark::DoNotOptimize(out.AnchorIndex);
        if (out.AnchorHref != "3") {
            state.SkipWithError("the point is not over the third link");
        }
    }
}

void MiniHtmlRender_Paint(benchmark::State& state) {
    const std::string text = noteList();
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    for (auto _ : state) {
        image.fill(Qt::white);
        QPainter painter(&image);
        QtCanvas canvas(painter, QtCanvas::fromQFont(listFont(), 0));
        canvas.setBrush(0x80FFFF);
        const MiniHtmlRenderInput in = listInput(canvas, text);
        benchmark::DoNotOptimize(MiniHtmlRender(in).YSize);
    }
}

void MiniHtmlRender_MeasureOnly(benchmark::State& state) {
    const std::string text = noteList();
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    QPainter painter(&image);
    QtCanvas canvas(painter, QtCanvas::fromQFont(listFont(), 0));
    MiniHtmlRenderInput in = listInput(canvas, text);
    in.MeasureOnly = true;
    in.CheckOnly = true;
    for (auto _ : state) {
        benchmark::DoNotOptimize(MiniHtmlRender(in).YSize);
    }
}

// The same list as HTML: "<a href>" links with line breaks, the same font and width.
QString htmlList() {
    return QString::fromStdString(noteList());
}

void layOut(QTextDocument& document, const QString& html) {
    document.setDefaultFont(listFont());
    document.setHtml(html);
    document.setTextWidth(kWidth);
}

void QTextDocument_HitTest(benchmark::State& state) {
    const QString html = htmlList();
    const QPointF point(kHitX, hitY());
    for (auto _ : state) {
        QTextDocument document;
        layOut(document, html);
        const int position = document.documentLayout()->hitTest(point, Qt::ExactHit);
        benchmark::DoNotOptimize(document.documentLayout()->anchorAt(point));
        benchmark::DoNotOptimize(position);
    }
}

void QTextDocument_Paint(benchmark::State& state) {
    const QString html = htmlList();
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    for (auto _ : state) {
        QTextDocument document;
        layOut(document, html);
        image.fill(Qt::white);
        QPainter painter(&image);
        document.drawContents(&painter, QRectF(0, 0, kWidth, kHeight));
    }
}

void QTextDocument_Measure(benchmark::State& state) {
    const QString html = htmlList();
    for (auto _ : state) {
        QTextDocument document;
        layOut(document, html);
        benchmark::DoNotOptimize(document.size().height());
    }
}

BENCHMARK(MiniHtmlRender_HitTest)->Unit(benchmark::kMicrosecond);
BENCHMARK(QTextDocument_HitTest)->Unit(benchmark::kMicrosecond);
BENCHMARK(MiniHtmlRender_Paint)->Unit(benchmark::kMicrosecond);
BENCHMARK(QTextDocument_Paint)->Unit(benchmark::kMicrosecond);
BENCHMARK(MiniHtmlRender_MeasureOnly)->Unit(benchmark::kMicrosecond);
BENCHMARK(QTextDocument_Measure)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    return runqtbenchmarks(argc, argv);
}
