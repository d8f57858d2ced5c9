#pragma once
// Note windows over a store in a folder of their own, opened the way the list window opens them, with a
// stand-in for the notice popup that records what it was asked to show.

#include "store/storefixture.h"
#include "windows/ProgramActivation.h"
#include "windows/mainform_unit.h"

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTest>

#include <filesystem>
#include <vector>

class NoteWindowTest : public StoreTest {
protected:
    struct Notice {
        QPointer<TForm1> window;
        QString text;
    };

    void SetUp() override {
        StoreTest::SetUp();
        zkpldm = store.get();
        first = store->savejegyzet(-1, {"Bevásárlás", "tej\r\nkenyér"});
        second = store->savejegyzet(-1, {"Második", "szöveg"});
    }

    void TearDown() override {
        for (const QPointer<TForm1>& window : windows)
            delete window.data();
        zkpldm = nullptr;
    }

    // Opens the note's window; unless told not to, waits until it has read its note.
    TForm1* open(std::int32_t id, bool read = true) {
        auto* window = new TForm1;
        window->setId(id);
        window->setLoaded(false);
        window->setShowNotice([this, window](const QString& text) { notices.push_back({window, text}); });
        store->openforms.push_back(window);
        windows.emplace_back(window);
        window->show();
        if (!read) {
            EXPECT_TRUE(activate(window));
            return window;
        }
        EXPECT_TRUE(QTest::qWaitFor([window] { return window->loaded(); }, 5000)) << "note " << id;
        QCoreApplication::sendPostedEvents(); // the notice of the window left, which comes after
        return window;
    }

    static bool activate(TForm1* window) {
        window->activateWindow();
        const bool done =
            QTest::qWaitFor([window] { return pinlet::ProgramActivation::current() == window; }, 5000);
        QCoreApplication::sendPostedEvents();
        return done;
    }

    template <typename T> static T* part(TForm1* window, const char* name) {
        T* found = window->findChild<T*>(name);
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    static QPlainTextEdit* memo(TForm1* window) { return part<QPlainTextEdit>(window, "Memo1"); }
    static QLineEdit* name(TForm1* window) { return part<QLineEdit>(window, "nev"); }

    std::string setting(const std::string& key) {
        return query("SELECT ertek FROM setup WHERE nev='" + key + "'");
    }
    std::string modified(std::int32_t id) {
        return query("SELECT modositva FROM jegyzetek WHERE id=" + std::to_string(id));
    }
    int geometryrows() {
        return std::stoi(query("SELECT count(*) FROM setup WHERE nev LIKE 'j\\_%' ESCAPE '\\'"));
    }

    // Takes the database away, so that every store operation fails, until restored.
    void breakstore() { std::filesystem::rename(dbpath, dbpath + ".away"); }
    void restorestore() { std::filesystem::rename(dbpath + ".away", dbpath); }

    std::int32_t first = 0;
    std::int32_t second = 0;
    std::vector<QPointer<TForm1>> windows;
    std::vector<Notice> notices;
};
