// The processor time a rising notice costs: one RollUp of the program's notice (one line, two steps) and of a
// ten-line notice (eleven steps), with the popup's settings from the list window, beside the same rise
// waiting in a loop that keeps processing events until 50 ms have passed. Run by hand:
//   bench_popup_rollup
// "Time" is the wall time of one rise, "CPU" the whole process's processor time meanwhile: their ratio is
// the share of a core the rise takes. Runs offscreen unless QT_QPA_PLATFORM says otherwise.

#include "controls/MiniHtmlPopup.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QWidget>

#include "bench/support/QtBenchMain.h"

#include <benchmark/benchmark.h>

#include <QScreen>

#include <algorithm>

namespace {

const QString kNotice = QStringLiteral("Jegyzetés jobb egérgombbal tudja újra megnyitni.");

struct Notice {
    QWidget form;
    TMiniHtmlPopup* popup = new TMiniHtmlPopup(&form);

    explicit Notice(int lines) {
        popup->setAutoHide(true);
        popup->setAutoSize(true);
        popup->setAutoSizeType(asdBoth);
        popup->setColor(0x80FFFF);
        CanvasFont font;
        font.Face = "Arial";
        font.PixelHeight = 12;
        font.Color = SystemColor(8);
        popup->setFont(font);
        popup->setMarginX(5);
        popup->setMarginY(5);
        popup->setShadeEnable(true);
        popup->setShadeStartColor(0xC4FFFF);
        popup->setShadeEndColor(0x80FFFF);
        popup->setShadeDirection(sdVertical);
        popup->setPopupWidth(250);
        QStringList text{kNotice};
        for (int i = 1; i < lines; ++i) {
            text << QStringLiteral("<br>") + kNotice;
        }
        popup->setText(text);
    }
};

// The wait as a loop that processes events until the time has passed: every step burns a core.
void busyRise(TMiniHtmlPopup& popup, const QRect& area) {
    popup.setPopupTop(area.bottom() + 1);
    popup.ShowPopup();
    QWidget& window = *popup.PopupWindow();
    window.move(area.right() + 1 - window.width() - 20, area.bottom() + 1);
    const int bottom = area.bottom() + 1;
    while (window.y() + window.height() > bottom) {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 50) {
            QCoreApplication::processEvents();
        }
        window.move(window.x(), std::max(window.y() - 20, bottom - window.height()));
    }
}

void RollUp(benchmark::State& state) {
    Notice notice(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        notice.popup->RollUp();
    }
}

void BusyWaitRise(benchmark::State& state) {
    Notice notice(static_cast<int>(state.range(0)));
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    for (auto _ : state) {
        busyRise(*notice.popup, area);
    }
}

BENCHMARK(RollUp)->Arg(1)->Arg(10)->Iterations(5)->UseRealTime()->MeasureProcessCPUTime()->Unit(
    benchmark::kMillisecond);
BENCHMARK(BusyWaitRise)
    ->Arg(1)
    ->Arg(10)
    ->Iterations(5)
    ->UseRealTime()
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return runqtbenchmarks(argc, argv);
}
