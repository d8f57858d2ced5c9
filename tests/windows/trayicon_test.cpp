#include "windows/TrayIcon.h"

#include "shell/dialogs.h"

#include <QAction>
#include <QImage>
#include <QMenu>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using pinlet::TTrayIcon;
namespace msg = pinlet::traymsg;

QIcon solidicon(QColor colour) {
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(colour);
    return QIcon(QPixmap::fromImage(image));
}

// What the component asked of the notification area, in order.
struct ShellLog {
    std::vector<std::string> calls;
    bool addSucceeds = true;
    QIcon shown;
};

class RecordingShell : public pinlet::TrayShell {
public:
    explicit RecordingShell(std::shared_ptr<ShellLog> log) : log_(std::move(log)) {}
    bool add(const QIcon& icon, const QString& tip) override {
        log_->calls.push_back("add " + tip.toStdString());
        log_->shown = icon;
        return log_->addSucceeds;
    }
    void modify(const QIcon& icon, const QString& tip) override {
        log_->calls.push_back("modify " + tip.toStdString());
        log_->shown = icon;
    }
    void remove() override { log_->calls.push_back("remove"); }

private:
    std::shared_ptr<ShellLog> log_;
};

// A component on a recording notification area, with every event written to `events`.
struct Tray {
    std::shared_ptr<ShellLog> shell = std::make_shared<ShellLog>();
    std::unique_ptr<TTrayIcon> icon =
        std::make_unique<TTrayIcon>(nullptr, std::make_unique<RecordingShell>(shell));
    std::vector<std::string> events;

    Tray() {
        const auto mouse = [this](const char* name) {
            return [this, name](QObject* sender, pinlet::TMouseButton button, pinlet::TShiftState shift,
                                int x, int y) {
                EXPECT_EQ(sender, icon.get());
                events.push_back(std::string(name) + " " + std::to_string(button) + " " +
                                 std::to_string(shift.toInt()) + " " + std::to_string(x) + "," +
                                 std::to_string(y));
            };
        };
        icon->OnMouseDown = mouse("down");
        icon->OnMouseUp = mouse("up");
        icon->OnClick = mouse("click");
        icon->OnMouseMove = [this](QObject*, pinlet::TShiftState shift, int x, int y) {
            events.push_back("move " + std::to_string(shift.toInt()) + " " + std::to_string(x) + "," +
                             std::to_string(y));
        };
        icon->OnDblClick = [this](QObject* sender) {
            EXPECT_EQ(sender, icon.get());
            events.push_back("dblclick");
        };
    }
    void send(unsigned message, pinlet::TShiftState keys = {}) {
        icon->shellnotification(message, {7, 9}, keys);
    }
    std::vector<std::string> take() { return std::exchange(events, {}); }
};

using Events = std::vector<std::string>;

// Shift state values: ssLeft 8, ssRight 16, ssMiddle 32, ssDouble 64; buttons: left 0, right 1, middle 2.
TEST(TrayIconNotifications, EachMouseMessageRaisesItsEvents) {
    struct Case {
        std::vector<unsigned> messages;
        Events expected;
        const char* why;
    };
    const Case cases[] = {
        {{msg::LeftDown, msg::LeftUp}, {"down 0 8 7,9", "click 0 8 7,9", "up 0 8 7,9"}, "a left click"},
        {{msg::LeftUp}, {"up 0 8 7,9"}, "an up without its down is no click"},
        {{msg::LeftDown, msg::LeftUp, msg::LeftUp},
         {"down 0 8 7,9", "click 0 8 7,9", "up 0 8 7,9", "up 0 8 7,9"},
         "the mark goes with the click"},
        {{msg::LeftDown, msg::MouseMove, msg::RightUp, msg::LeftUp},
         {"down 0 8 7,9", "move 0 7,9", "up 1 16 7,9", "click 0 8 7,9", "up 0 8 7,9"},
         "a mark survives other messages until its own up"},
        {{msg::RightDown, msg::RightUp},
         {"down 1 16 7,9", "click 1 16 7,9", "up 1 16 7,9"},
         "without a menu a right click reaches OnClick"},
        {{msg::MiddleDown, msg::MiddleUp},
         {"down 2 32 7,9", "up 2 32 7,9"},
         "the middle button never clicks"},
        {{msg::RightDoubleClick, msg::MiddleDoubleClick},
         {"down 1 64 7,9", "down 2 64 7,9"},
         "double presses of the other buttons"},
        {{msg::LeftDoubleClick, msg::LeftUp},
         {"dblclick", "down 0 64 7,9", "up 0 8 7,9"},
         "no menu: OnDblClick; the up ending a double click raises no click"},
        {{0x2A3, 0x20A, 0}, {}, "other messages do nothing"},
    };
    for (const Case& c : cases) {
        Tray tray;
        for (unsigned message : c.messages)
            tray.send(message);
        EXPECT_EQ(tray.take(), c.expected) << c.why;
    }
}

TEST(TrayIconNotifications, TheKeyboardStateComesWithEveryEvent) {
    Tray tray;
    tray.send(msg::MouseMove, pinlet::ssShift | pinlet::ssCtrl);
    tray.send(msg::LeftDown, pinlet::ssAlt);
    // Only shift, control and alt are taken from the keyboard; the button flag is the message's own.
    tray.send(msg::LeftUp, pinlet::ssAlt | pinlet::ssRight);
    EXPECT_EQ(tray.take(), (Events{"move 5 7,9", "down 0 10 7,9", "click 0 10 7,9", "up 0 10 7,9"}));
}

TEST(TrayIconNotifications, RegistrationAndRemovalForgetAPressedButton) {
    Tray tray;
    tray.icon->setIcon(solidicon(Qt::yellow));
    tray.send(msg::LeftDown);
    tray.icon->Loaded(); // registers anew
    tray.send(msg::LeftUp);
    tray.send(msg::RightDown);
    tray.icon->setActive(false);
    tray.icon->setActive(true);
    tray.send(msg::RightUp);
    EXPECT_EQ(tray.take(), (Events{"down 0 8 7,9", "up 0 8 7,9", "down 1 16 7,9", "up 1 16 7,9"}));
}

TEST(TrayIconNotifications, WhileDisabledEverythingGoesToDefaultHandling) {
    Tray tray;
    tray.icon->setEnabled(false);
    for (unsigned message : {msg::LeftDown, msg::LeftUp, msg::MouseMove, msg::LeftDoubleClick})
        EXPECT_FALSE(tray.icon->shellnotification(message, {}, {}));
    EXPECT_TRUE(tray.take().empty());
    tray.icon->setEnabled(true);
    EXPECT_TRUE(tray.icon->shellnotification(msg::MouseMove, {}, {}));
    EXPECT_TRUE(tray.icon->shellnotification(0x2A3, {}, {})) << "an unknown message is still handled";
}

// Closes the menu as soon as its loop runs, noting whether it really showed.
struct MenuWatch {
    QMenu menu;
    int abouttoshow = 0;
    bool visibleBeforeShow = false;
    bool shown = false;
    MenuWatch() {
        QObject::connect(&menu, &QMenu::aboutToShow, [this] {
            ++abouttoshow;
            visibleBeforeShow = menu.isVisible();
            // The owner rebuilds the menu here, just before it shows.
            menu.clear();
            menu.addAction(QStringLiteral("Pinlet bez\u00e1r\u00e1sa"));
            QTimer::singleShot(0, &menu, [this] {
                shown = menu.isVisible();
                menu.close();
            });
        });
    }
};

TEST(TrayIconPopup, ARightClickShowsTheMenuRebuiltJustBeforeAndRaisesNoClick) {
    Tray tray;
    MenuWatch watch;
    watch.menu.addAction(QStringLiteral("stale"));
    tray.icon->setPopupMenu(&watch.menu);
    tray.send(msg::RightDown);
    tray.send(msg::RightUp);
    EXPECT_EQ(watch.abouttoshow, 1);
    EXPECT_FALSE(watch.visibleBeforeShow);
    EXPECT_TRUE(watch.shown);
    ASSERT_EQ(watch.menu.actions().size(), 1);
    EXPECT_EQ(watch.menu.actions()[0]->text(), QStringLiteral("Pinlet bez\u00e1r\u00e1sa"));
    EXPECT_EQ(tray.take(), (Events{"down 1 16 7,9", "up 1 16 7,9"}));
}

TEST(TrayIconPopup, NoMenuWhileInactiveOrAfterTheMenuIsDestroyed) {
    Tray tray;
    auto watch = std::make_unique<MenuWatch>();
    tray.icon->setPopupMenu(&watch->menu);
    tray.icon->setActive(false);
    tray.send(msg::RightDown);
    tray.send(msg::RightUp);
    EXPECT_EQ(watch->abouttoshow, 0);
    tray.icon->setActive(true);
    watch.reset();
    EXPECT_EQ(tray.icon->PopupMenu(), nullptr);
    tray.send(msg::RightDown);
    tray.send(msg::RightUp);
    EXPECT_EQ(tray.take(), (Events{"down 1 16 7,9", "click 1 16 7,9", "up 1 16 7,9", "down 1 16 7,9",
                                   "click 1 16 7,9", "up 1 16 7,9"}));
}

TEST(TrayIconPopup, ADoubleClickTriggersTheEnabledDefaultItemInsteadOfOnDblClick) {
    struct Case {
        bool hasDefault;
        bool defaultEnabled;
        bool active;
        bool triggered;
        const char* why;
    };
    const Case cases[] = {
        {true, true, true, true, "an enabled default item is clicked"},
        {true, false, true, false, "a disabled default item is not"},
        {false, false, true, false, "no default item"},
        {true, true, false, false, "not active: the menu is not consulted"},
    };
    for (const Case& c : cases) {
        Tray tray;
        QMenu menu;
        menu.addAction(QStringLiteral("first"));
        QAction* item = menu.addAction(QStringLiteral("default"));
        int triggered = 0;
        QObject::connect(item, &QAction::triggered, [&] { ++triggered; });
        item->setEnabled(c.defaultEnabled);
        if (c.hasDefault)
            menu.setDefaultAction(item);
        tray.icon->setPopupMenu(&menu);
        tray.icon->setActive(c.active);
        tray.send(msg::LeftDoubleClick);
        EXPECT_EQ(triggered, c.triggered ? 1 : 0) << c.why;
        const Events expected = c.triggered ? Events{"down 0 64 7,9"} : Events{"dblclick", "down 0 64 7,9"};
        EXPECT_EQ(tray.take(), expected) << c.why;
    }
}

TEST(TrayIconFailures, AnExceptionFromAHandlerGoesToTheFailureBoxAndCountsAsHandled) {
    pinlet::DialogScript script;
    Tray tray;
    tray.icon->OnClick = [](QObject*, pinlet::TMouseButton, pinlet::TShiftState, int, int) {
        throw std::runtime_error("Nem siker\u00fclt");
    };
    tray.icon->OnDblClick = [](QObject*) { throw 7; };
    tray.send(msg::LeftDown);
    EXPECT_TRUE(tray.icon->shellnotification(msg::LeftUp, {}, {}));
    EXPECT_TRUE(tray.icon->shellnotification(msg::LeftDoubleClick, {}, {}));
    ASSERT_EQ(script.shown().size(), 2u);
    EXPECT_EQ(script.shown()[0].kind, pinlet::DialogKind::Failure);
    EXPECT_EQ(script.shown()[0].text, "Nem siker\u00fclt.");
    EXPECT_EQ(script.shown()[1].text, "Unknown failure.");
    // The failure cut the notification short (no up event); the next one works as ever.
    tray.send(msg::MouseMove);
    EXPECT_EQ(tray.take(), (Events{"down 0 8 7,9", "move 0 7,9"}));
}

TEST(TrayIconFailures, AHandlerMayDestroyTheComponent) {
    for (unsigned first : {msg::LeftDown, msg::LeftUp, msg::LeftDoubleClick}) {
        Tray tray;
        tray.icon->setIcon(solidicon(Qt::yellow));
        tray.send(msg::LeftDown);
        auto destroy = [&](auto&&...) { tray.icon.reset(); };
        tray.icon->OnMouseDown = destroy;
        tray.icon->OnClick = destroy;
        tray.icon->OnDblClick = destroy;
        TTrayIcon* raw = tray.icon.get();
        raw->shellnotification(first, {}, {});
        EXPECT_EQ(tray.icon, nullptr) << first;
        EXPECT_EQ(tray.shell->calls.back(), "remove") << "destruction takes the icon off the area";
    }
}

TEST(TrayIconHint, TheTooltipIsTheShortHintCutTo63Characters) {
    const QString sixtyThree(63, QLatin1Char('a'));
    const QString emoji = QString::fromUtf8("\xF0\x9F\x93\x8C"); // two UTF-16 units
    struct Case {
        QString hint;
        QString tip;
        const char* why;
    };
    const Case cases[] = {
        {"Pinlet", "Pinlet", "no bar: all of it"},
        {"Pinlet|Jegyzetek", "Pinlet", "the part before the bar"},
        {"a|b|c", "a", "the first bar counts"},
        {"|csak hossz\u00fa", "", "an empty short part"},
        {"", "", "no hint"},
        {sixtyThree, sixtyThree, "63 characters fit"},
        {sixtyThree + "bc", sixtyThree, "longer ones are cut"},
        {sixtyThree + "x|y", sixtyThree, "cut after the bar rule"},
        {QString(62, QLatin1Char('a')) + emoji, QString(62, QLatin1Char('a')), "never half a character"},
        {QString::fromUtf8("\xC3\xA9") + "|", QString::fromUtf8("\xC3\xA9"), "accented text"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(pinlet::shorthint(c.hint), c.tip) << c.why;
}

TEST(TrayIconRegistration, AnEmptyIconRegistersNothingUntilOneIsAssigned) {
    Tray tray;
    tray.icon->Loaded();
    EXPECT_FALSE(tray.icon->Registered());
    EXPECT_EQ(tray.shell->calls, (std::vector<std::string>{"remove"}));
    tray.shell->calls.clear();
    tray.icon->setHint(QStringLiteral("Pinlet|hossz\u00fa"));
    tray.icon->setIcon(solidicon(Qt::yellow));
    EXPECT_TRUE(tray.icon->Registered());
    EXPECT_EQ(tray.shell->calls, (std::vector<std::string>{"remove", "remove", "add Pinlet"}));
}

TEST(TrayIconRegistration, ChangesModifyTheIconOrTakeItAway) {
    Tray tray;
    tray.icon->setHint(QStringLiteral("Pinlet"));
    tray.icon->setIcon(solidicon(Qt::yellow));
    tray.shell->calls.clear();

    tray.icon->setHint(QStringLiteral("Pinlet"));      // unchanged: nothing to do
    tray.icon->setHint(QStringLiteral("Jegyzetek|x")); // changed: the tooltip follows
    tray.icon->setIcon(solidicon(Qt::green));
    tray.icon->setIcon(QIcon()); // an empty icon cannot show
    EXPECT_FALSE(tray.icon->Registered());
    tray.icon->setActive(false);
    tray.icon->setIcon(solidicon(Qt::red)); // inactive: stays away
    EXPECT_FALSE(tray.icon->Registered());
    tray.icon->setActive(true);
    EXPECT_TRUE(tray.icon->Registered());
    EXPECT_EQ(tray.shell->calls, (std::vector<std::string>{"modify Jegyzetek", "modify Jegyzetek", "remove",
                                                           "remove", "remove", "remove", "add Jegyzetek"}));
}

TEST(TrayIconRegistration, AFailedAddIsRetriedAtTheNextChange) {
    Tray tray;
    tray.shell->addSucceeds = false;
    tray.icon->setIcon(solidicon(Qt::yellow));
    EXPECT_FALSE(tray.icon->Registered());
    tray.shell->addSucceeds = true;
    tray.icon->setHint(QStringLiteral("Pinlet"));
    EXPECT_TRUE(tray.icon->Registered());
    // An empty tooltip is sent once more after a successful add.
    tray.shell->calls.clear();
    tray.icon->setHint(QString());
    tray.icon->setActive(false);
    tray.icon->setActive(true);
    EXPECT_EQ(tray.shell->calls,
              (std::vector<std::string>{"modify ", "remove", "remove", "add ", "modify "}));
}

TEST(TrayIconAnimation, FramesAdvanceOnTheTimerAndWrap) {
    Tray tray;
    const QColor colours[] = {Qt::red, Qt::green, Qt::blue};
    tray.icon->setIcon(solidicon(Qt::yellow));
    for (const QColor& colour : colours)
        tray.icon->Icons().add(solidicon(colour));
    tray.icon->setInterval(5);
    tray.icon->setAnimated(true);
    EXPECT_EQ(tray.icon->frameindex(), 0);
    EXPECT_EQ(tray.icon->activeicon().pixmap(16).toImage().pixel(0, 0), QColor(Qt::red).rgb());
    const auto shownpixel = [&] { return tray.shell->shown.pixmap(16).toImage().pixel(0, 0); };
    // Seen on the notification area: every frame in turn, and the first again after the last.
    for (const QColor& colour : {colours[1], colours[2], colours[0]})
        EXPECT_TRUE(QTest::qWaitFor([&] { return shownpixel() == colour.rgb(); }, 5000))
            << colour.name().toStdString();

    tray.icon->setAnimated(false);
    EXPECT_EQ(tray.icon->frameindex(), 0);
    EXPECT_EQ(shownpixel(), QColor(Qt::yellow).rgb()) << "the static icon is back at once";

    tray.icon->setAnimated(true);
    tray.icon->Icons().clear(); // no frames: animation switches itself off
    EXPECT_FALSE(tray.icon->Animated());
    EXPECT_EQ(shownpixel(), QColor(Qt::yellow).rgb());
}

TEST(TrayIconAnimation, TheActiveFrameIsClampedToTheList) {
    Tray tray;
    tray.icon->Icons().add(solidicon(Qt::red));
    tray.icon->Icons().add(solidicon(Qt::green));
    tray.icon->setInterval(5);
    tray.icon->setAnimated(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return tray.icon->frameindex() == 1; }, 5000));
    tray.icon->Icons().remove(1); // the current frame is gone
    EXPECT_EQ(tray.icon->activeicon().pixmap(16).toImage().pixel(0, 0), QColor(Qt::red).rgb());
    EXPECT_EQ(tray.shell->shown.pixmap(16).toImage().pixel(0, 0), QColor(Qt::red).rgb());
}

// The Qt side: what each activation of a real tray icon becomes.
TEST(QtTrayShell, ActivationsArriveAsTheNativeMouseMessages) {
    struct Case {
        QSystemTrayIcon::ActivationReason reason;
        std::vector<unsigned> messages;
    };
    const Case cases[] = {
        {QSystemTrayIcon::Trigger, {msg::LeftDown, msg::LeftUp}},
        {QSystemTrayIcon::Context, {msg::RightDown, msg::RightUp}},
        {QSystemTrayIcon::DoubleClick, {msg::LeftDoubleClick}},
        {QSystemTrayIcon::MiddleClick, {msg::MiddleDown, msg::MiddleUp}},
        {QSystemTrayIcon::Unknown, {}},
    };
    for (const Case& c : cases) {
        std::vector<unsigned> received;
        pinlet::QtTrayShell shell([&](unsigned message) {
            received.push_back(message);
            return true;
        });
        emit shell.trayicon().activated(c.reason);
        EXPECT_EQ(received, c.messages) << c.reason;
    }
}

TEST(QtTrayShell, WithoutANotificationAreaTheIconStaysUnregistered) {
    TTrayIcon tray;
    tray.setHint(QStringLiteral("Pinlet"));
    tray.setIcon(solidicon(Qt::yellow));
    tray.Loaded();
    EXPECT_EQ(tray.Registered(), QSystemTrayIcon::isSystemTrayAvailable());
}

} // namespace
