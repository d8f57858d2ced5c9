// The [shortcuts] of the configuration, and the list window's commands reached through them.

#include "store/storefixture.h"

#include "controls/MiniHtmlPopup.h"
#include "shell/dialogs.h"
#include "store/IniFile.h"
#include "windows/GlobalShortcutKeys.h"
#include "windows/ShortcutSettings.h"
#include "windows/listwindow_support.h"
#include "windows/mainform_unit.h"
#include "windows/rootform_unit.h"

#include <QTest>

#include <gtest/gtest.h>

#include <map>

namespace {

using Grab = pinlet::GlobalShortcuts::Grab;
using Problem = ShortcutSetting::Problem;

TEST(ShortcutSettings, ReadsTheShortcutsSection) {
    struct Row {
        const char* ini;
        const char* newnote; // the combination, "" when off; then the problem of each setting
        Problem newproblem;
        const char* list;
        Problem listproblem;
    } rows[] = {
        {"", "Ctrl+Alt+N", Problem::None, "Ctrl+Alt+J", Problem::None},                  // no file
        {"[database]\ndir=x", "Ctrl+Alt+N", Problem::None, "Ctrl+Alt+J", Problem::None}, // no section
        {"[SHORTCUTS]\nNEW=alt+shift+f2", "Alt+Shift+F2", Problem::None, "Ctrl+Alt+J", Problem::None},
        {"[shortcuts]\nnew=\nlist=", "", Problem::None, "", Problem::None}, // both off
        {"[shortcuts]\nlist=Win+L", "Ctrl+Alt+N", Problem::None, "Meta+L", Problem::None},
        {"[shortcuts]\nnew=Ctrl+Alt+Foo", "", Problem::Unreadable, "Ctrl+Alt+J", Problem::None},
        {"[shortcuts]\nnew=n\nlist=Ctrl+Alt", "", Problem::Unreadable, "", Problem::Unreadable},
        {"[shortcuts]\nlist=Alt+Ctrl+N", "Ctrl+Alt+N", Problem::None, "", Problem::Repeated}, // new keeps it
        {"[shortcuts]\nnew=Ctrl+Alt+J\nlist=", "Ctrl+Alt+J", Problem::None, "", Problem::None}, // moved over
    };
    for (const Row& row : rows) {
        const auto settings = readshortcutsettings(IniFile::fromtext(row.ini));
        ASSERT_EQ(settings.size(), 2u);
        const auto text = [](const ShortcutSetting& setting) {
            return setting.combination ? pinlet::keycombinationtext(*setting.combination).toStdString()
                                       : std::string();
        };
        EXPECT_EQ(settings[0].command, ShortcutCommand::NewNote);
        EXPECT_EQ(text(settings[0]), row.newnote) << row.ini;
        EXPECT_EQ(settings[0].problem, row.newproblem) << row.ini;
        EXPECT_EQ(text(settings[1]), row.list) << row.ini;
        EXPECT_EQ(settings[1].problem, row.listproblem) << row.ini;
    }

    // One message names every setting with a problem, as written.
    const std::string message = shortcutproblemsmessage(
        readshortcutsettings(IniFile::fromtext("[shortcuts]\nnew=Ctrl+Alt+Foo\nlist=N")));
    EXPECT_NE(message.find("new= sora nem olvasható billentyűkombináció: \"Ctrl+Alt+Foo\""),
              std::string::npos);
    EXPECT_NE(message.find("list= sora nem olvasható billentyűkombináció: \"N\""), std::string::npos);
    EXPECT_EQ(shortcutproblemsmessage(readshortcutsettings(IniFile())), "");
}

// A desktop that answers each combination as told and records the actions it was given.
class RecordingShortcuts : public pinlet::GlobalShortcuts {
public:
    RecordingShortcuts(std::map<QString, Grab> answers, std::map<QString, std::function<void()>>& actions)
        : answers_(std::move(answers)), actions_(actions) {}
    Grab grab(QKeyCombination combination, std::function<void()> action) override {
        const QString name = pinlet::keycombinationtext(combination);
        const auto answer = answers_.count(name) ? answers_[name] : Grab::Held;
        if (answer == Grab::Held)
            actions_[name] = std::move(action);
        return answer;
    }

private:
    std::map<QString, Grab> answers_;
    std::map<QString, std::function<void()>>& actions_;
};

class GlobalShortcutsTest : public StoreTest {
protected:
    void SetUp() override {
        StoreTest::SetUp();
        zkpldm = store.get();
        form = std::make_unique<TForm2>();
        form->FormCreate();
        form->MiniHtmlPopup1().setWorkAreaSource([] { return QRect(0, 0, 800, 600); });
    }

    void TearDown() override { closelistwindow(*store, form); }

    void start(const std::string& ini, std::map<QString, Grab> answers = {}) {
        startglobalshortcuts(*form, IniFile::fromtext(ini),
                             std::make_unique<RecordingShortcuts>(answers, actions));
    }

    std::unique_ptr<TForm2> form;
    std::map<QString, std::function<void()>> actions;
};

TEST_F(GlobalShortcutsTest, TheKeysRunTheListWindowsCommands) {
    pinlet::DialogScript script;
    start("");
    ASSERT_EQ(actions.size(), 2u);
    EXPECT_TRUE(script.shown().empty());

    // The new-note keys do what the new-note picture does: a new note, in its window.
    actions["Ctrl+Alt+N"]();
    ASSERT_TRUE(QTest::qWaitFor([&] { return store->openforms.size() == 1; }, 5000));
    EXPECT_EQ(query("SELECT nev FROM jegyzetek"), "Új jegyzet");

    // The list keys bring the list up, also from the taskbar where it waits without a tray.
    form->Image2Click();
    actions["Ctrl+Alt+J"]();
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->isVisible() && !form->isMinimized(); }, 5000));

    // The window takes its keys with it: an action left behind does nothing.
    const auto left = actions["Ctrl+Alt+N"];
    form.reset();
    left();
    QCoreApplication::processEvents();
    EXPECT_EQ(query("SELECT count(*) FROM jegyzetek"), "1");
}

TEST_F(GlobalShortcutsTest, ProblemsAreSaidOnceAndStopNothing) {
    {
        // Unreadable settings: one failure box for both, those two off, no notice.
        pinlet::DialogScript script;
        start("[shortcuts]\nnew=Ctrl+Alt+Foo\nlist=Ctrl+Alt+N, X");
        ASSERT_EQ(script.shown().size(), 1u);
        EXPECT_EQ(script.shown()[0].kind, pinlet::DialogKind::Failure);
        EXPECT_NE(script.shown()[0].text.find("Ctrl+Alt+Foo"), std::string::npos);
        EXPECT_NE(script.shown()[0].text.find("Ctrl+Alt+N, X"), std::string::npos);
        EXPECT_TRUE(actions.empty());
    }
    {
        // Keys another program holds, or the keyboard lacks: one notice naming both, no failure box.
        pinlet::DialogScript script;
        start("[shortcuts]\nlist=Ctrl+Alt+<", {{"Ctrl+Alt+N", Grab::Taken}, {"Ctrl+Alt+<", Grab::NoSuchKey}});
        ASSERT_TRUE(QTest::qWaitFor([&] { return !form->MiniHtmlPopup1().Text().isEmpty(); }, 5000));
        EXPECT_TRUE(script.shown().empty());
        const QString notice = form->MiniHtmlPopup1().Text().join(QString());
        EXPECT_EQ(
            notice,
            "A Ctrl+Alt+N gyorsbillentyűt (új jegyzet) egy másik program már lefoglalta.<br>"
            "A Ctrl+Alt+&lt; gyorsbillentyű (jegyzetlista) nem használható: ezen a billentyűzeten nincs "
            "ilyen billentyű.");
        EXPECT_TRUE(actions.empty());
    }
    // A desktop without system-wide keys says nothing: the tray and the windows serve instead.
    form->MiniHtmlPopup1().setText(QStringList{});
    start("", {{"Ctrl+Alt+N", Grab::Unsupported}, {"Ctrl+Alt+J", Grab::Unsupported}});
    QCoreApplication::processEvents();
    EXPECT_TRUE(form->MiniHtmlPopup1().Text().isEmpty());
}

} // namespace
