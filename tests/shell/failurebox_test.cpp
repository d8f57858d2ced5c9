#include "shell/PinletApplication.h"
#include "shell/dialogs.h"
#include "shell/helpers.h"

#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

namespace {

TEST(FailureText, AppendsAPeriodOnlyAfterCharactersAboveIt) {
    struct {
        const char* message;
        const char* shown;
    } const cases[] = {
        {"error", "error."}, // a damaged stream's message
        {"Stream read error", "Stream read error."},
        {"Code 42", "Code 42."}, // digits are above the period
        {"Done.", "Done."},
        {"Stop!", "Stop!"},
        {"(see log)", "(see log)"},
        {"trailing ", "trailing "},
        {"a-", "a-"},        // '-' is below '.'
        {"path/", "path/."}, // '/' is just above '.'
        {"", ""},
        {"hib\xC3\xA1", "hib\xC3\xA1."}, // a UTF-8 letter's last byte is above the period
    };
    for (const auto& c : cases)
        EXPECT_EQ(pinlet::failuretext(c.message), c.shown) << c.message;
}

// An object whose event handler throws whatever it is given.
class Thrower : public QObject {
public:
    std::function<void()> action;
    bool event(QEvent* e) override {
        if (e->type() == QEvent::User)
            action();
        return QObject::event(e);
    }
};

TEST(FailureBox, AnExceptionFromAHandlerIsShownAndTheLoopGoesOn) {
    pinlet::DialogScript script;
    Thrower thrower;
    thrower.action = [] { throw std::runtime_error("error"); };

    QEvent direct(QEvent::User);
    EXPECT_TRUE(QCoreApplication::sendEvent(&thrower, &direct)) << "a failure counts as handled";

    QCoreApplication::postEvent(&thrower, new QEvent(QEvent::User));
    QCoreApplication::sendPostedEvents(&thrower, QEvent::User);

    ASSERT_EQ(script.shown().size(), 2u);
    for (const pinlet::ShownDialog& shown : script.shown()) {
        EXPECT_EQ(shown.kind, pinlet::DialogKind::Failure);
        EXPECT_EQ(shown.title, "Pinlet");
        EXPECT_EQ(shown.text, "error.");
    }

    bool ranAfter = false;
    QTimer::singleShot(0, [&] { ranAfter = true; });
    QCoreApplication::processEvents();
    EXPECT_TRUE(ranAfter);
}

TEST(FailureBox, AnythingThrownIsShown) {
    pinlet::DialogScript script;
    Thrower thrower;
    thrower.action = [] { throw 42; };
    QEvent event(QEvent::User);
    QCoreApplication::sendEvent(&thrower, &event);
    ASSERT_EQ(script.shown().size(), 1u);
    EXPECT_EQ(script.shown()[0].text, "Unknown failure.");
}

TEST(FailureBox, CreationStepsReportFailureAndStartUpGoesOn) {
    pinlet::DialogScript script;
    int steps = 0;
    EXPECT_FALSE(pinlet::runcreationstep([&] {
        ++steps;
        throw std::runtime_error("Database file '/x/pinlet.db' does not exist");
    }));
    EXPECT_TRUE(pinlet::runcreationstep([&] { ++steps; }));
    EXPECT_EQ(steps, 2);
    ASSERT_EQ(script.shown().size(), 1u);
    EXPECT_EQ(script.shown()[0].text, "Database file '/x/pinlet.db' does not exist.");
}

TEST(Application, TitleIsPinlet) {
    EXPECT_EQ(QApplication::applicationName(), "Pinlet");
}

// Answers the next modal box, once it is up, with a key or a button; bounded so a missing box fails.
void whenModalShows(std::function<void(QMessageBox&)> act) {
    auto* poll = new QTimer;
    auto tries = std::make_shared<int>(0);
    QObject::connect(poll, &QTimer::timeout, [poll, tries, act] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            poll->stop();
            poll->deleteLater();
            act(*box);
        } else if (++*tries > 500) {
            poll->stop();
            poll->deleteLater();
            ADD_FAILURE() << "no modal box appeared";
        }
    });
    poll->start(10);
}

TEST(RealDialogs, ConfirmShowsItsButtonsAndEscapeCancels) {
    pinlet::RealDialogs real;
    QStringList buttons;
    QString title;
    whenModalShows([&](QMessageBox& box) {
        title = box.windowTitle();
        for (QAbstractButton* b : box.buttons())
            buttons << b->text();
        EXPECT_EQ(box.defaultButton()->text(), "&Yes");
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QCoreApplication::sendEvent(&box, &escape);
    });
    EXPECT_EQ(confirmdlg("Biztos?"), 2);
    EXPECT_EQ(title, "Confirm");
    buttons.sort();
    EXPECT_EQ(buttons, (QStringList{"&No", "&Yes", "Cancel"}));
}

TEST(RealDialogs, ConfirmYesAndNoAndClosing) {
    pinlet::RealDialogs real;
    const std::pair<QString, int> answers[] = {{"&Yes", 6}, {"&No", 7}};
    for (const auto& [label, expected] : answers) {
        whenModalShows([label = label](QMessageBox& box) {
            for (QAbstractButton* b : box.buttons())
                if (b->text() == label)
                    b->click();
        });
        EXPECT_EQ(confirmdlg("q"), expected) << label.toStdString();
    }
    whenModalShows([](QMessageBox& box) { box.close(); });
    EXPECT_EQ(confirmdlg("q"), 2) << "closing the box is Cancel";
}

TEST(RealDialogs, ErrorHasOneOkButtonThatEscapeChooses) {
    pinlet::RealDialogs real;
    QStringList buttons;
    whenModalShows([&](QMessageBox& box) {
        EXPECT_EQ(box.windowTitle(), "Error");
        EXPECT_EQ(box.icon(), QMessageBox::Critical);
        for (QAbstractButton* b : box.buttons())
            buttons << b->text();
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QCoreApplication::sendEvent(&box, &escape);
    });
    errordlg("Nem siker\xC3\xBClt menteni");
    EXPECT_EQ(buttons, QStringList{"OK"});
}

TEST(RealDialogs, FailureBoxIsTitledPinletWithAnErrorIcon) {
    pinlet::RealDialogs real;
    QString title, text;
    whenModalShows([&](QMessageBox& box) {
        title = box.windowTitle();
        text = box.text();
        EXPECT_EQ(box.icon(), QMessageBox::Critical);
        EXPECT_EQ(box.buttons().size(), 1);
        box.buttons().front()->click();
    });
    pinlet::showfailure("error");
    EXPECT_EQ(title, "Pinlet");
    EXPECT_EQ(text, "error.");
}

} // namespace
