// The notice popup: settings, auto-size and painting with fixed metrics, the rise against a work area given
// by the test, re-entrancy and destruction during the rise, clicks, hover and auto-hide. The offscreen
// platform has no window manager: it cannot show that the window never takes the focus on a real desktop.
#include "controls/MiniHtmlPopup.h"
#include "controls/QtCanvas.h"
#include "support/FixedCanvasMaker.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <vector>

namespace {

constexpr QRect kWorkArea(0, 0, 800, 600);

CanvasFont fixedFont() {
    CanvasFont font;
    font.Face = "Arial";
    font.PixelHeight = 16;
    return font;
}

// Records the window's top edge at every move, once per distinct value in a row.
class TopRecorder : public QObject {
public:
    std::vector<int> tops;
    bool hidden = false;
    bool eventFilter(QObject* watched, QEvent* event) override {
        const auto* widget = static_cast<QWidget*>(watched);
        if (event->type() == QEvent::Move && (tops.empty() || tops.back() != widget->y())) {
            tops.push_back(widget->y());
        } else if (event->type() == QEvent::Hide) {
            hidden = true;
        }
        return false;
    }
};

class PopupTest : public ::testing::Test {
protected:
    void SetUp() override {
        owner = std::make_unique<QWidget>();
        popup = new TMiniHtmlPopup(owner.get());
        popup->setWorkAreaSource([this] {
            ++workAreaReads;
            return workArea;
        });
        popup->setFont(fixedFont());
    }

    // A 100 x 50 window that keeps its size.
    void fixedSize() {
        popup->setPopupWidth(100);
        popup->setPopupHeight(50);
    }

    TMiniHtmlPopupWindow& window() { return *popup->PopupWindow(); }

    void record() {
        recorder.tops.clear();
        recorder.hidden = false;
        window().installEventFilter(&recorder);
    }

    std::vector<CanvasCall> paintCalls() {
        RecordingCanvas canvas;
        canvas.setFont(fixedFont());
        canvas.calls.clear();
        window().paintTo(canvas);
        return canvas.calls;
    }

    std::optional<FixedCanvasMaker> fixedMetrics{std::in_place};
    std::unique_ptr<QWidget> owner;
    QPointer<TMiniHtmlPopup> popup;
    QRect workArea = kWorkArea;
    int workAreaReads = 0;
    TopRecorder recorder;
};

TEST_F(PopupTest, SoundLimitsAndReferences) {
    EXPECT_EQ(popup->PopupWindow(), nullptr) << "no window before the first show";
    popup->setVersion(QStringLiteral("9"));
    EXPECT_EQ(popup->Version(), QStringLiteral("1.0.0.0"));

    popup->setRollUpSpace(-5);
    EXPECT_EQ(popup->RollUpSpace(), 0);
    popup->setShadeSteps(-1);
    EXPECT_EQ(popup->ShadeSteps(), 0);
    popup->setShadeSteps(70000);
    EXPECT_EQ(popup->ShadeSteps(), 65535);
    popup->setBorderSize(-2);
    EXPECT_EQ(popup->BorderSize(), 0);

    // References are forgotten with what they point to.
    auto* images = new TMiniHtmlImageList(16, 16);
    auto* pictures = new TMiniHtmlPictureContainer();
    popup->setImages(images);
    popup->setPictureContainer(pictures);
    delete images;
    delete pictures;
    EXPECT_EQ(popup->Images(), nullptr);
    EXPECT_EQ(popup->PictureContainer(), nullptr);
}

TEST_F(PopupTest, AutoSizeIsTextSizePlusFrameAndSixteen) {
    popup->setAutoSize(true);
    popup->setAutoSizeType(asdBoth);
    popup->setPopupWidth(10); // no limit on the result
    popup->setPopupHeight(10);
    popup->setText(QStringList{"ab", "cd"}); // joined: "abcd", 28 pixels
    popup->ShowPopup();
    EXPECT_EQ(window().size(), QSize(28 + 16, 16 + 16));

    popup->setBorderSize(3);
    popup->ShowPopup();
    EXPECT_EQ(window().size(), QSize(28 + 6 + 16, 16 + 6 + 16));

    popup->setBorderSize(0);
    popup->setText(QString());
    popup->ShowPopup();
    EXPECT_EQ(window().size(), QSize(16, 16 + 16)) << "an empty text is as high as \"gh\"";

    // asdHeight keeps the width and wraps the text in it.
    popup->setAutoSizeType(asdHeight);
    popup->setPopupWidth(6 + 40);
    popup->setText(QStringLiteral("aaaa bbbb cccc"));
    popup->ShowPopup();
    EXPECT_EQ(window().width(), 46);
    EXPECT_EQ(window().height(), 3 * 16 + 16);

    popup->setAutoSize(false);
    popup->ShowPopup();
    EXPECT_EQ(window().size(), QSize(46, 10));
}

TEST_F(PopupTest, ShadingBandsRoundHalvesToEvenAndNeverPaintTheEndColour) {
    fixedSize();
    popup->setShadeEnable(true);
    popup->setShadeDirection(sdVertical);
    popup->setShadeStartColor(0x000000);
    popup->setShadeEndColor(0xFFFFFF);
    const auto bands = [this] {
        std::vector<CanvasCall> rectangles;
        for (const CanvasCall& call : paintCalls()) {
            if (call.op == CanvasCall::Op::Rectangle) {
                rectangles.push_back(call);
            }
        }
        return rectangles;
    };

    popup->setShadeSteps(0);
    popup->ShowPopup();
    auto drawn = bands();
    ASSERT_EQ(drawn.size(), 1u);
    EXPECT_EQ(drawn[0].rect, (MiniHtmlRect{0, 0, 100, 51}));
    EXPECT_EQ(drawn[0].brush, 0x000000u);

    popup->setShadeSteps(2);
    popup->ShowPopup();
    drawn = bands();
    ASSERT_EQ(drawn.size(), 2u);
    EXPECT_EQ(drawn[0].brush, 0x000000u);
    EXPECT_EQ(drawn[1].brush, 0x808080u) << "127.5 rounds to 128; white is never painted";
    EXPECT_EQ(drawn[1].pen, 0x808080u);

    // 20 pixels in 8 bands of 2.5: positions 0, 2 (2.5), 5, 8 (7.5) ..., each round(2.5) + 1 = 3 high.
    popup->setShadeDirection(sdHorizontal);
    popup->setPopupWidth(20);
    popup->setShadeSteps(8);
    popup->ShowPopup();
    drawn = bands();
    ASSERT_EQ(drawn.size(), 8u);
    EXPECT_EQ(drawn[1].rect, (MiniHtmlRect{2, 0, 5, 50}));
    EXPECT_EQ(drawn[3].rect, (MiniHtmlRect{8, 0, 11, 50}));

    // The program's shading: #FFFFC4 towards #FFFF80 in 40 bands ends at #FFFF82.
    popup->setShadeDirection(sdVertical);
    popup->setShadeStartColor(0xC4FFFF);
    popup->setShadeEndColor(0x80FFFF);
    popup->setShadeSteps(40);
    popup->setPopupHeight(400);
    popup->ShowPopup();
    drawn = bands();
    ASSERT_EQ(drawn.size(), 40u);
    EXPECT_EQ(drawn.front().brush, 0xC4FFFFu);
    EXPECT_EQ(drawn.back().brush, 0x82FFFFu);
    EXPECT_EQ(drawn.back().rect, (MiniHtmlRect{0, 390, 20, 401}));
}

TEST_F(PopupTest, ShadingAndEdgeOnTheWindowsPixels) {
    fixedMetrics.reset(); // the real canvas
    popup->setPopupWidth(40);
    popup->setPopupHeight(20);
    popup->setShadeEnable(true);
    popup->setShadeDirection(sdVertical);
    popup->setShadeStartColor(0x000000);
    popup->setShadeEndColor(0xFFFFFF);
    popup->setShadeSteps(2);
    popup->ShowPopup();
    const QImage image = window().grab().toImage();
    ASSERT_EQ(image.size(), QSize(40, 20));
    for (int y = 1; y < 19; ++y) {
        EXPECT_EQ(image.pixelColor(20, y), y < 10 ? QColor(0, 0, 0) : QColor(128, 128, 128)) << "row " << y;
    }
    // The edge: light along the top and left, dark along the bottom and right, meeting at the corners.
    const auto at = [&image](int x, int y) { return QtCanvas::fromQColor(image.pixelColor(x, y)); };
    const TColor light = QtCanvas::systemColor(22);
    const TColor dark = QtCanvas::systemColor(21);
    EXPECT_EQ(at(0, 0), light);
    EXPECT_EQ(at(38, 0), light);
    EXPECT_EQ(at(0, 18), light);
    EXPECT_EQ(at(39, 0), dark);
    EXPECT_EQ(at(0, 19), dark);
    EXPECT_EQ(at(39, 19), dark);
}

TEST_F(PopupTest, TextIsDrawnInsideFrameAndMargins) {
    fixedSize();
    popup->setBorderSize(3);
    popup->setMarginX(5);
    popup->setMarginY(6);
    popup->setText(QStringLiteral("Tömörítés kész."));
    popup->ShowPopup();
    EXPECT_EQ(window().textRect(), (MiniHtmlRect{8, 9, 92, 41}));
    std::vector<CanvasCall> texts;
    for (const CanvasCall& call : paintCalls()) {
        if (call.op == CanvasCall::Op::DrawText) {
            texts.push_back(call);
        }
    }
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts.front().text.rfind("Tömörítés", 0), 0u);
    EXPECT_GE(texts.front().rect.Left, 8);
    EXPECT_GE(texts.front().rect.Top, 9);
}

TEST_F(PopupTest, RollUpRisesInStepsOfTwentyThenJumpsToItsPlace) {
    fixedSize();
    popup->setRollUpSpace(30);
    popup->ShowPopup(); // the window exists, so its moves can be watched from the start
    record();
    popup->RollUp();
    EXPECT_EQ(recorder.tops, (std::vector<int>{600, 580, 560, 540, 520}));
    EXPECT_TRUE(window().isVisible());
    EXPECT_EQ(window().geometry(), QRect(680, 520, 100, 50))
        << "right edge 20 pixels left of the work area's";
    EXPECT_EQ(popup->PopupLeft(), 680);
    EXPECT_EQ(popup->PopupTop(), 600);
    EXPECT_EQ(workAreaReads, 1);

    // Shown again while visible: the notice is hidden and rises anew from below the work area.
    record();
    popup->RollUp();
    EXPECT_TRUE(recorder.hidden);
    ASSERT_FALSE(recorder.tops.empty());
    EXPECT_EQ(recorder.tops.front(), 600);
    EXPECT_EQ(recorder.tops.back(), 520);
}

TEST_F(PopupTest, RollUpEndsWhenTheWindowIsHigherThanTheWorkAreaOrTheScreenChanges) {
    popup->setPopupWidth(100);
    popup->setPopupHeight(130);
    popup->setRollUpSpace(-7); // counts as 0
    workArea = QRect(0, 0, 300, 100);
    QTimer::singleShot(60, [this] { workArea = QRect(0, 0, 2000, 2000); });
    popup->RollUp();
    EXPECT_EQ(window().geometry(), QRect(180, -30, 100, 130));
    EXPECT_EQ(workAreaReads, 1);
}

TEST_F(PopupTest, ASecondNoticeDuringTheRiseRisesAnewWithoutNesting) {
    fixedSize();
    int calls = 0;
    int slowReturns = 0;
    QTimer timer;
    timer.setInterval(20);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (++calls == 10) {
            timer.stop();
        }
        popup->setText(QStringLiteral("notice %1").arg(calls));
        QElapsedTimer clock;
        clock.start();
        popup->RollUp();
        slowReturns += clock.elapsed() >= 50 ? 1 : 0;
    });
    timer.start();
    popup->RollUp();
    EXPECT_EQ(calls, 10);
    EXPECT_EQ(slowReturns, 0) << "a RollUp inside another ran a loop of its own";
    EXPECT_EQ(window().html(), "notice 10");
    EXPECT_EQ(window().geometry(), QRect(680, 550, 100, 50));

    // Afterwards a notice rises on its own again.
    record();
    popup->RollUp();
    EXPECT_EQ(recorder.tops.front(), 600);
    EXPECT_EQ(recorder.tops.back(), 550);
}

TEST_F(PopupTest, TheRiseGoesOnInsideALoopAHandlerOpens) {
    fixedSize();
    bool risenInside = false;
    QTimer::singleShot(30, [&] {
        // A dialog's loop, opened while the notice rises: the notice still comes up meanwhile.
        risenInside = QTest::qWaitFor([this] { return window().y() == 550; }, 2000);
    });
    popup->RollUp();
    EXPECT_TRUE(risenInside);
    EXPECT_EQ(window().y(), 550);
}

TEST_F(PopupTest, DestroyedDuringTheRiseReturnsCleanly) {
    fixedSize();
    popup->ShowPopup();
    record();
    // The popup alone: its window stays where it was, and nothing moves it any more.
    QTimer::singleShot(60, [this] { delete popup.data(); });
    popup->RollUp();
    ASSERT_TRUE(popup.isNull());
    const std::vector<int> seen = recorder.tops;
    QTest::qWait(120);
    EXPECT_EQ(recorder.tops, seen);
    EXPECT_GT(seen.back(), 550);

    // The owner, and with it popup and window: the program ending while a notice rises.
    popup = new TMiniHtmlPopup(owner.get());
    popup->ShowPopup();
    QPointer<TMiniHtmlPopupWindow> watched(popup->PopupWindow());
    QTimer::singleShot(60, [this] { owner.reset(); });
    popup->RollUp();
    EXPECT_TRUE(popup.isNull());
    EXPECT_TRUE(watched.isNull());
}

TEST_F(PopupTest, PressOnALinkReportsItsHrefAndNeverHidesOrActivates) {
    owner->show();
    owner->activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([this] { return QApplication::activeWindow() == owner.get(); }, 2000));
    popup->setAutoSize(true);
    popup->setAutoSizeType(asdBoth);
    popup->setMarginX(5);
    popup->setMarginY(5);
    std::vector<std::string> hrefs;
    QObject* sender = nullptr;
    popup->OnAnchorClick = [&](QObject* from, const std::string& href) {
        sender = from;
        hrefs.push_back(href);
    };
    // "note" is 28 pixels from x = 6 (margin + the engine's 1); " plain" follows.
    popup->setText(QStringLiteral("<a href=\"12\">note</a> plain"));
    popup->RollUp();
    QTest::mousePress(&window(), Qt::LeftButton, {}, QPoint(15, 12));
    QTest::mousePress(&window(), Qt::RightButton, {}, QPoint(15, 12));
    QTest::mousePress(&window(), Qt::LeftButton, {}, QPoint(50, 12));
    EXPECT_EQ(hrefs, (std::vector<std::string>{"12", "12"}));
    EXPECT_EQ(sender, popup.data());

    hrefs.clear();
    popup->setText(QStringLiteral("Jegyzetés jobb egérgombbal tudja újra megnyitni."));
    popup->RollUp();
    QTest::mousePress(&window(), Qt::LeftButton, {}, QPoint(15, 12));
    EXPECT_TRUE(hrefs.empty()) << "a notice without links reports nothing";
    EXPECT_TRUE(window().isVisible());
    QApplication::processEvents();
    EXPECT_EQ(QApplication::activeWindow(), owner.get());
    EXPECT_NE(QGuiApplication::focusWindow(), window().windowHandle());
}

TEST_F(PopupTest, PointerOverLinksSetsTheCursorAndTheHoveredLink) {
    popup->setAutoSize(true);
    popup->setAutoSizeType(asdBoth);
    popup->setHover(true);
    popup->setMarginX(5);
    popup->setMarginY(5);
    // "one" from x = 6 to 27, "two" right after it from 27 to 48.
    popup->setText(QStringLiteral("<a href=\"1\">one</a><a href=\"2\">two</a> end"));
    popup->RollUp();
    QTest::mouseMove(&window(), QPoint(10, 12));
    EXPECT_EQ(window().hoveredLink(), 1);
    EXPECT_EQ(window().cursor().shape(), Qt::PointingHandCursor);
    QTest::mouseMove(&window(), QPoint(35, 12));
    EXPECT_EQ(window().hoveredLink(), 2);
    // With Hover on only the hovered link is underlined: the one just left is drawn plain again.
    const auto underlined = [this](const std::string& text) {
        for (const CanvasCall& call : paintCalls()) {
            if (call.op == CanvasCall::Op::DrawText && call.text == text) {
                return (call.font.Style & fsUnderline) != 0;
            }
        }
        ADD_FAILURE() << text << " not drawn";
        return false;
    };
    EXPECT_TRUE(underlined("two"));
    EXPECT_FALSE(underlined("one"));
    QTest::mouseMove(&window(), QPoint(60, 12));
    EXPECT_EQ(window().hoveredLink(), -1);
    EXPECT_EQ(window().cursor().shape(), Qt::ArrowCursor);
}

TEST_F(PopupTest, AutoHideWhenThePointerLeavesButNotDuringTheRise) {
    fixedSize();
    popup->setAutoHide(true);
    QTimer::singleShot(60, [this] {
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(&window(), &leave);
    });
    popup->RollUp();
    EXPECT_TRUE(window().isVisible()) << "the pointer leaving a rising notice does not hide it";
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&window(), &leave);
    EXPECT_FALSE(window().isVisible());

    popup->setAutoHide(false);
    popup->RollUp();
    QApplication::sendEvent(&window(), &leave);
    EXPECT_TRUE(window().isVisible());
}

} // namespace
