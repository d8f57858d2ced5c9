// The note window: its parts, loading at the first activation, what each activation change saves and
// shows, the save and close rules, pinning.
#include "notewindow_fixture.h"

#include "shell/dialogs.h"
#include "windows/TImage.h"
#include "windows/TImageList.h"
#include "windows/WndActImg.h"

#include <QEventLoop>
#include <QScreen>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

using pinlet::TImage;
using pinlet::TWndActImage;

QColor colour(QWidget* widget, QPalette::ColorRole role) {
    return widget->palette().color(role);
}

TEST_F(NoteWindowTest, PartsSizesAndColoursAndTheirPlacesAfterResizes) {
    {
        TForm1 fresh;
        EXPECT_EQ(fresh.windowTitle(), "Pinlet");
        EXPECT_EQ(name(&fresh)->text(), "s");
        EXPECT_FALSE(fresh.loaded());
        EXPECT_FALSE(fresh.pinned());
    }
    TForm1* w = open(first);
    EXPECT_EQ(w->size(), QSize(374, 319));
    EXPECT_TRUE(w->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(w->windowType(), Qt::Tool);
    EXPECT_DOUBLE_EQ(w->windowOpacity(), 1.0);
    // Centred on the (800 x 800) desktop at the first show.
    EXPECT_EQ(w->pos(), QPoint((800 - 374) / 2, (800 - 319) / 2));
    EXPECT_EQ(colour(w, QPalette::Window), QColor(0xDE, 0xDE, 0x73));

    auto* bar = part<QWidget>(w, "Panel3");
    EXPECT_EQ(bar->geometry(), QRect(0, 0, 374, 41));
    EXPECT_EQ(part<TWndActImage>(w, "WndActImage1")->geometry(), bar->rect());
    EXPECT_EQ(part<TWndActImage>(w, "WndActImage1")->ClickTarget(), pinlet::atCaption);
    EXPECT_EQ(part<TImage>(w, "Image1")->geometry(), QRect(12, 9, 25, 24));
    EXPECT_EQ(part<TImage>(w, "Image3")->geometry(), QRect(374 / 2 - 25, 0, 50, 40));
    EXPECT_EQ(part<TImage>(w, "Image2")->geometry(), QRect(374 - 36, 6, 23, 28));
    EXPECT_EQ(part<TImage>(w, "Image2")->Hint(), "Mentés és ablak bezárása");
    // The pictures lie above the move handle; the rest of the bar is the handle's.
    EXPECT_EQ(bar->childAt(24, 20), part<TImage>(w, "Image1"));
    EXPECT_EQ(bar->childAt(100, 20), part<TWndActImage>(w, "WndActImage1"));
    EXPECT_TRUE(part<TImage>(w, "Image1")->toolTip().isEmpty()) << "no tooltip is ever shown";

    auto* bottom = part<QWidget>(w, "bottompanel");
    EXPECT_EQ(bottom->geometry(), QRect(0, 300, 374, 19));
    EXPECT_EQ(name(w)->geometry(), QRect(0, 0, 356, 19));
    EXPECT_EQ(part<TWndActImage>(w, "WndActImage4")->geometry(), QRect(358, 0, 16, 19));
    EXPECT_EQ(part<TWndActImage>(w, "WndActImage4")->ClickTarget(), pinlet::atCornerBottonRight);
    EXPECT_EQ(colour(bottom, QPalette::Window), QColor(0xFF, 0xFF, 0x80));
    EXPECT_EQ(colour(name(w), QPalette::Base), QColor(0xFF, 0xFF, 0x00));
    EXPECT_EQ(name(w)->font().pixelSize(), 11);

    QPlainTextEdit* text = memo(w);
    EXPECT_EQ(part<QWidget>(w, "Panel2")->geometry(), QRect(0, 41, 374, 319 - 41 - 19));
    EXPECT_EQ(text->geometry(), QRect(0, 0, 374, 319 - 41 - 19));
    EXPECT_EQ(colour(text, QPalette::Base), QColor(0xFF, 0xFF, 0x80));
    EXPECT_EQ(text->font().pixelSize(), 15);
    EXPECT_EQ(text->font().families().value(0), "Sylfaen");
    EXPECT_EQ(text->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(text->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    EXPECT_EQ(part<pinlet::TImageList>(w, "ImageList1")->count(), 2);

    // An odd width: the pin's place is truncated, W / 2 - 25.
    w->resize(501, 400);
    EXPECT_TRUE(QTest::qWaitFor([&] { return bar->width() == 501; }, 5000));
    EXPECT_EQ(part<TImage>(w, "Image2")->x(), 501 - 36);
    EXPECT_EQ(part<TImage>(w, "Image3")->x(), 250 - 25);
    EXPECT_EQ(name(w)->width(), 501 - 18);
    EXPECT_EQ(part<TWndActImage>(w, "WndActImage4")->x(), 501 - 16);
}

TEST_F(NoteWindowTest, TheFirstActivationLoadsTheNoteAndLaterOnesDoNot) {
    TForm1* w = open(first);
    EXPECT_EQ(name(w)->text(), "Bevásárlás");
    EXPECT_EQ(w->windowTitle(), "Bevásárlás");
    EXPECT_EQ(memo(w)->toPlainText(), "tej\nkenyér");
    EXPECT_EQ(memo(w)->document()->blockCount(), 2);
    EXPECT_FALSE(w->edited()) << "loading is no edit";

    store->savejegyzet(first, {"Máshol írták", "más"});
    open(second);
    ASSERT_TRUE(activate(w));
    EXPECT_EQ(name(w)->text(), "Bevásárlás");
    EXPECT_EQ(memo(w)->toPlainText(), "tej\nkenyér");

    // The caption follows every edit of the name.
    name(w)->setText("Új cím");
    EXPECT_EQ(w->windowTitle(), "Új cím");

    // A note the store no longer has opens empty.
    TForm1* gone = open(999);
    EXPECT_EQ(name(gone)->text(), "");
    EXPECT_EQ(memo(gone)->toPlainText(), "");
}

TEST_F(NoteWindowTest, MovingToAnotherNoteWindowSavesGeometryAndShowsTheHintUnlessPinned) {
    TForm1* a = open(first);
    a->setGeometry(50, 60, 300, 200);
    TForm1* b = open(second);
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].window, a);
    EXPECT_EQ(notices[0].text, "Jegyzetés jobb egérgombbal tudja újra megnyitni.");
    EXPECT_EQ(setting("j_1_top"), "60");
    EXPECT_EQ(setting("j_1_left"), "50");
    EXPECT_EQ(setting("j_1_width"), "300");
    EXPECT_EQ(setting("j_1_height"), "200");
    EXPECT_FALSE(store->db.connected()) << "closedb ends the sequence";

    QTest::mouseClick(part<TImage>(b, "Image3"), Qt::LeftButton);
    ASSERT_TRUE(b->pinned());
    ASSERT_TRUE(activate(a));
    EXPECT_EQ(notices.size(), 1u) << "a pinned window shows no hint";
    EXPECT_EQ(setting("j_2_width"), "374") << "but saves its geometry";

    // Every deactivation of an unpinned window shows the hint again.
    ASSERT_TRUE(activate(b));
    ASSERT_TRUE(activate(a));
    ASSERT_TRUE(activate(b));
    EXPECT_EQ(notices.size(), 3u);
}

// The hint rises in a loop in which the program goes on: a press on the cross of the window just
// activated (the press activates it, the release closes it) destroys that window meanwhile.
TEST_F(NoteWindowTest, TheWindowBeingActivatedMayBeClosedWhileTheHintRises) {
    TForm1* a = open(first);
    TForm1* b = open(second);
    ASSERT_TRUE(activate(a));
    const QPointer<TForm1> closing(b);
    a->setShowNotice([&](const QString&) {
        if (!closing)
            return;
        QEventLoop rise;
        QObject::connect(closing, &QObject::destroyed, &rise, &QEventLoop::quit);
        QTimer::singleShot(0, closing, [&] { closing->Image2Click(); });
        QTimer::singleShot(5000, &rise, &QEventLoop::quit);
        rise.exec();
    });
    b->activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return closing.isNull(); }, 5000));
    EXPECT_EQ(store->openforms, std::vector<TForm1*>{a});
    EXPECT_EQ(store->getjegyzet(second).jegyzet, "szöveg");
    ASSERT_TRUE(activate(a));
    EXPECT_TRUE(a->isVisible());
}

TEST_F(NoteWindowTest, AnApplicationSwitchOnlyFadesEveryNoteWindow) {
    TForm1* a = open(first);
    TForm1* b = open(second);
    notices.clear();
    const int rows = geometryrows();
    const std::string stamp = modified(first);

    QApplication::setActiveWindow(nullptr);
    emit qApp->applicationStateChanged(Qt::ApplicationInactive);
    EXPECT_DOUBLE_EQ(a->windowOpacity(), 225.0 / 255.0);
    EXPECT_DOUBLE_EQ(b->windowOpacity(), 225.0 / 255.0);

    store->savejegyzet(second, {"Közben", "átírták"});
    const std::string stamp2 = modified(second);
    ASSERT_TRUE(QTest::qWaitFor(
        [b] {
            b->activateWindow();
            return QGuiApplication::focusWindow() == b->windowHandle();
        },
        5000));
    emit qApp->applicationStateChanged(Qt::ApplicationActive);
    EXPECT_DOUBLE_EQ(a->windowOpacity(), 1.0);
    EXPECT_DOUBLE_EQ(b->windowOpacity(), 1.0);
    EXPECT_EQ(geometryrows(), rows);
    EXPECT_TRUE(notices.empty());
    EXPECT_EQ(modified(first), stamp);
    EXPECT_EQ(modified(second), stamp2);
    EXPECT_EQ(name(b)->text(), "Második") << "not reloaded";

    // Coming back to the program through another window is a move between the program's windows.
    ASSERT_TRUE(activate(a));
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].window, b);
}

TEST_F(NoteWindowTest, ABlankTextIsNotSavedButClosingStillRebuildsTheList) {
    TForm1* w = open(first);
    memo(w)->setPlainText("  \n\t\n ");
    name(w)->setText("Elveszett név");
    QTest::mouseClick(part<TImage>(w, "Image1"), Qt::LeftButton);
    EXPECT_EQ(store->getjegyzet(first).nev, "Bevásárlás");
    EXPECT_EQ(store->getjegyzet(first).jegyzet, "tej\r\nkenyér");
    EXPECT_EQ(geometryrows(), 0) << "nor the geometry";

    store->changed = 0;
    const QPointer<TForm1> watched(w);
    QTest::mouseClick(part<TImage>(w, "Image2"), Qt::LeftButton);
    EXPECT_EQ(store->changed, 1);
    EXPECT_TRUE(store->openforms.empty());
    EXPECT_TRUE(QTest::qWaitFor([&] { return watched.isNull(); }, 5000)) << "a closed window frees itself";
    EXPECT_EQ(store->getjegyzet(first).jegyzet, "tej\r\nkenyér");

    // An empty name is a name; the untrimmed text is kept whole, CR LF between lines.
    TForm1* v = open(second);
    name(v)->clear();
    memo(v)->setPlainText("  első\nmásodik  ");
    QTest::mouseClick(part<TImage>(v, "Image1"), Qt::LeftButton);
    EXPECT_EQ(store->getjegyzet(second).nev, "");
    EXPECT_EQ(store->getjegyzet(second).jegyzet, "  első\r\nmásodik  ");
    EXPECT_EQ(setting("j_2_height"), "319");
    EXPECT_FALSE(v->edited());
}

TEST_F(NoteWindowTest, ACloseWhoseSaveFailsKeepsTheWindowOpenAndRegistered) {
    TForm1* w = open(first);
    breakstore();
    store->changed = 0;
    {
        pinlet::DialogScript script;
        QTest::mouseClick(part<TImage>(w, "Image2"), Qt::LeftButton);
        ASSERT_EQ(script.shown().size(), 1u);
        EXPECT_EQ(script.shown()[0].kind, pinlet::DialogKind::Error);
        EXPECT_NE(script.shown()[0].text.find("does not exist"), std::string::npos) << script.shown()[0].text;
        // A close from the window manager fails the same way, into the failure box.
        w->close();
        ASSERT_EQ(script.shown().size(), 2u);
        EXPECT_EQ(script.shown()[1].kind, pinlet::DialogKind::Failure);
    }
    QApplication::processEvents();
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(store->openforms, std::vector<TForm1*>{w});
    EXPECT_EQ(store->changed, 0);

    restorestore();
    memo(w)->setPlainText("végre");
    QTest::mouseClick(part<TImage>(w, "Image2"), Qt::LeftButton);
    EXPECT_TRUE(store->openforms.empty());
    EXPECT_EQ(store->getjegyzet(first).jegyzet, "végre");
}

TEST_F(NoteWindowTest, PinningTwiceReturnsToTheLoosePinWithoutMovingOrLosingTheFocus) {
    TForm1* w = open(first);
    w->setGeometry(120, 130, 360, 300);
    ASSERT_TRUE(QTest::qWaitFor([w] { return w->geometry() == QRect(120, 130, 360, 300); }, 5000));
    auto* pin = part<TImage>(w, "Image3");
    auto* images = part<pinlet::TImageList>(w, "ImageList1");
    const qreal ratio = w->devicePixelRatioF();
    EXPECT_EQ(pin->pixmap().toImage(), images->image(0, ratio).toImage());

    QTest::mouseClick(pin, Qt::LeftButton);
    EXPECT_TRUE(w->pinned());
    EXPECT_EQ(pin->Tag, 1);
    EXPECT_EQ(pin->pixmap().toImage(), images->image(1, ratio).toImage());
    EXPECT_TRUE(w->windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(w->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QApplication::processEvents();
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->geometry(), QRect(120, 130, 360, 300));
    EXPECT_EQ(QGuiApplication::focusWindow(), w->windowHandle());

    QTest::mouseClick(pin, Qt::LeftButton);
    EXPECT_FALSE(w->pinned());
    EXPECT_EQ(pin->pixmap().toImage(), images->image(0, ratio).toImage());
    EXPECT_FALSE(w->windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(w->geometry(), QRect(120, 130, 360, 300));
    // A right press is no click.
    QTest::mouseClick(pin, Qt::RightButton);
    EXPECT_FALSE(w->pinned());
}

} // namespace
