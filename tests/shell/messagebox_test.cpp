// The program's boxes really shown: each belongs to the window that asked (above it, and on Windows no
// taskbar button of its own), or to no window when none asked; and each answers as it should.
#include "shell/MessageBox.h"
#include "shell/dialogs.h"
#include "shell/helpers.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

struct Seen {
    QWidget* owner = nullptr;
    QString title;
    bool modal = false;
};

// Runs ask while a timer looks at the box it opens and presses the escape button, or the default one.
Seen answered(const std::function<void()>& ask, bool withDefault = false) {
    Seen seen;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) {
            ADD_FAILURE() << "no box is open";
            return;
        }
        seen = {box->parentWidget(), box->windowTitle(), box->isModal()};
        (withDefault ? static_cast<QAbstractButton*>(box->defaultButton()) : box->escapeButton())->click();
    });
    ask();
    return seen;
}

TEST(MessageBoxes, BelongToTheWindowThatAskedAndAnswerAsBefore) {
    pinlet::RealDialogs real;
    QWidget asker;
    asker.show();
    asker.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&asker));

    int answer = 0;
    const struct {
        const char* title;
        std::function<void()> ask;
    } boxes[] = {
        {"Confirm", [&] { answer = confirmdlg("Valóban törölni szeretné?"); }},
        {"Error", [] { errordlg("nem sikerült"); }},
        {"Pinlet", [] { pinlet::showfailure("error"); }},
    };
    for (const auto& box : boxes) {
        asker.activateWindow(); // back from the box before
        ASSERT_TRUE(QTest::qWaitForWindowActive(&asker));
        const Seen seen = answered(box.ask);
        EXPECT_EQ(seen.owner, &asker) << box.title;
        EXPECT_EQ(seen.title, QString::fromUtf8(box.title));
        EXPECT_TRUE(seen.modal) << box.title;
    }
    EXPECT_EQ(answer, 2) << "Escape is Cancel";
    asker.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&asker));
    answered([&] { answer = confirmdlg("?"); }, true);
    EXPECT_EQ(answer, 6) << "the default is Yes";

    // Nothing active (the program works from its tray): the box has no owner, and still shows.
    asker.hide();
    ASSERT_TRUE(QTest::qWaitFor([] { return QApplication::activeWindow() == nullptr; }, 5000));
    EXPECT_EQ(answered([] { errordlg("x"); }).owner, nullptr);
}

TEST(MessageBoxes, AnOwnerDestroyedWhileItsBoxIsOpenTakesTheBoxWithIt) {
    pinlet::RealDialogs real;
    auto* asker = new QWidget;
    asker->show();
    asker->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(asker));
    QTimer::singleShot(0, [asker] { delete asker; });
    EXPECT_EQ(confirmdlg("?"), 2) << "no answer is no consent";
}

} // namespace
