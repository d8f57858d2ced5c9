// A note window as it meets the desktop: where it ends when asked to open off the screens, the pin it
// shows, and the new note's placeholder text.
#include "notewindow_fixture.h"

#include "assets/Artwork.h"
#include "windows/TImage.h"
#include "windows/WindowLook.h"

#include <QGuiApplication>
#include <QScreen>

#include <gtest/gtest.h>

namespace {

TEST_F(NoteWindowTest, AskedOffTheScreensItEndsWhollyOnTheWorkAreaWhateverMovesItFirst) {
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    const QRect wanted(area.right() + 1 - 374, area.bottom() + 1 - 319, 374, 319);
    // As the list window opens a note whose saved place lies off every screen: placed, then shown.
    auto* a = new TForm1;
    a->setId(first);
    a->setLoaded(false);
    store->openforms.push_back(a);
    windows.emplace_back(a);
    a->setGeometry(5000, 3000, 374, 319);
    a->show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return a->frameGeometry() == wanted; }, 5000));
    // What a window manager may do next: pull it only as far as the screen's edge, its top bar in sight
    // and the rest of it under a taskbar, or anywhere else partly off the work area.
    for (const QPoint pulled :
         {QPoint(wanted.x(), area.bottom() + 1 - 200), QPoint(area.right() - 100, 10)}) {
        a->move(pulled);
        EXPECT_TRUE(QTest::qWaitFor([&] { return a->frameGeometry() == wanted; }, 5000))
            << pulled.x() << "," << pulled.y() << " kept";
    }
    // A window asked to open on the screen is left where it was asked, partly off or not.
    TForm1* b = open(second);
    b->move(area.right() - 100, 10);
    QCoreApplication::processEvents(); // the check runs from the event loop
    QCoreApplication::processEvents();
    EXPECT_EQ(b->pos(), QPoint(area.right() - 100, 10));
}

TEST_F(NoteWindowTest, PinnedItShowsTheUprightPinOnly) {
    TForm1* a = open(first);
    auto* pin = part<pinlet::TImage>(a, "Image3");
    QWidget* bar = part<QWidget>(a, "Panel3");
    for (const bool pinned : {true, false}) {
        a->Image3Click();
        ASSERT_EQ(a->pinned(), pinned);
        const QImage shown = bar->grab(pin->geometry()).toImage().convertToFormat(QImage::Format_RGB32);
        const QImage picture = pinlet::artworkimage(
            pinned ? pinlet::Artwork::PinUpright : pinlet::Artwork::PinLeaning, pin->size());
        int stray = 0;
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                if (qAlpha(picture.pixel(x, y)) == 0 && shown.pixelColor(x, y) != pinlet::kBarColour)
                    ++stray;
        EXPECT_EQ(stray, 0) << "pixels of the other pin show beside the " << (pinned ? "upright" : "leaning")
                            << " one";
    }
}

TEST_F(NoteWindowTest, ANewNotesTextIsSelectedSoThatTypingReplacesIt) {
    for (const bool beforeLoad : {true, false}) {
        SCOPED_TRACE(beforeLoad ? "asked before the load" : "asked once loaded");
        const std::int32_t id = store->savejegyzet(-1, {"Új jegyzet", "Ez egy új jegyzet"});
        auto* w = new TForm1;
        w->setId(id);
        w->setLoaded(false);
        store->openforms.push_back(w);
        windows.emplace_back(w);
        if (beforeLoad)
            w->selecttextonload();
        w->show();
        ASSERT_TRUE(QTest::qWaitFor([w] { return w->loaded(); }, 5000));
        if (!beforeLoad)
            w->selecttextonload();
        ASSERT_TRUE(QTest::qWaitFor([w] { return memo(w)->hasFocus(); }, 5000));
        EXPECT_EQ(memo(w)->textCursor().selectedText(), QStringLiteral("Ez egy új jegyzet"));
        EXPECT_FALSE(w->edited());
        EXPECT_EQ(query("SELECT jegyzet FROM jegyzetek WHERE id=" + std::to_string(id)), "Ez egy új jegyzet");
        QTest::keyClicks(memo(w), QStringLiteral("Tej"));
        EXPECT_EQ(memo(w)->toPlainText(), QStringLiteral("Tej"));
        EXPECT_TRUE(w->edited());
        delete w;
    }
}

} // namespace
