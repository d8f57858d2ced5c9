// Reading key combinations, and naming them to the desktop.

#include "platform/GlobalShortcuts.h"
#ifdef PINLET_PLATFORM_X11
#include "platform/x11/X11KeySymbols.h"
#endif

#include <QKeySequence>

#include <gtest/gtest.h>

namespace {

using pinlet::keycombinationfromtext;

TEST(GlobalShortcuts, ReadsACombinationAsAUserWritesIt) {
    struct Row {
        const char* text;
        const char* expected; // the combination as written back, "" when it cannot be had
    } rows[] = {
        {"Ctrl+Alt+N", "Ctrl+Alt+N"},               // the default
        {"ctrl+alt+j", "Ctrl+Alt+J"},               // names without regard to case
        {"Alt + Ctrl + n", "Ctrl+Alt+N"},           // blanks and order do not matter
        {"Win+N", "Meta+N"},                        // the Windows key by its usual names
        {"super+shift+n", "Meta+Shift+N"},          //
        {"Ctrl+Alt+F12", "Ctrl+Alt+F12"},           // function keys
        {"F9", "F9"},                               // ... may stand alone: they type nothing
        {"Ctrl+Alt+Space", "Ctrl+Alt+Space"},       //
        {"Ctrl+Alt+<", "Ctrl+Alt+<"},               // a sign
        {"Ctrl++", "Ctrl++"},                       // the plus sign itself
        {"Ctrl+Alt+\xC5\x90", "Ctrl+Alt+\xC5\x90"}, // Ő, a letter of the keyboard in use
        {"Ctrl+Alt+Del", "Ctrl+Alt+Del"},           // a named key
        {"N", ""},                                  // a typing key alone would take it from every program
        {"Shift+N", ""},                            // ... with Shift too
        {"Ctrl+Alt", ""},                           // modifiers without a key
        {"Ctrl+Alt+Foo", ""},                       // no such key
        {"Strg+Alt+N", ""},                         // no such modifier
        {"Ctrl+Alt+N, Ctrl+X", ""},                 // a sequence of two
        {"Ctrl+Alt+NN", ""},                        //
        {"CapsLock", ""},                           // a lock key
        {"   ", ""},                                // blanks only
    };
    for (const Row& row : rows) {
        const auto combination = keycombinationfromtext(QString::fromUtf8(row.text));
        EXPECT_EQ(combination ? pinlet::keycombinationtext(*combination).toStdString() : std::string(),
                  row.expected)
            << row.text;
    }
}

TEST(GlobalShortcuts, OffscreenDesktopGivesNoSystemWideKeys) {
    const auto service = pinlet::makeglobalshortcuts();
    bool ran = false;
    EXPECT_EQ(
        service->grab(QKeyCombination(Qt::ControlModifier | Qt::AltModifier, Qt::Key_N), [&] { ran = true; }),
        pinlet::GlobalShortcuts::Grab::Unsupported);
    EXPECT_FALSE(ran);
}

#ifdef PINLET_PLATFORM_X11
TEST(GlobalShortcuts, NamesKeysAndModifiersToX) {
    struct Row {
        Qt::Key key;
        std::vector<std::uint32_t> symbols;
    } rows[] = {
        {Qt::Key_N, {0x6e, 0x4e}},                // a letter in both forms, small first
        {Qt::Key_1, {0x31}},                      // a digit has one
        {Qt::Key_F1, {0xffbe}},                   // function keys
        {Qt::Key_F12, {0xffc9}},                  //
        {Qt::Key_Home, {0xff50}},                 // a named key
        {Qt::Key_Delete, {0xffff}},               //
        {Qt::Key_Eacute, {0xe9, 0xc9}},           // Latin-1 letters are their own symbols
        {Qt::Key(0x150), {0x1f5, 0x1d5}},         // Ő and ő have Latin-2 symbols
        {Qt::Key(0x416), {0x1000436, 0x1000416}}, // other letters by their Unicode value
        {Qt::Key_Shift, {}},                      // a modifier has none to grab
    };
    for (const Row& row : rows)
        EXPECT_EQ(pinlet::x11keysymbols(row.key), row.symbols) << std::hex << row.key;

    EXPECT_EQ(pinlet::x11modifiers(Qt::ControlModifier | Qt::AltModifier), 0x0c);
    EXPECT_EQ(pinlet::x11modifiers(Qt::ShiftModifier | Qt::MetaModifier), 0x41);
    EXPECT_EQ(pinlet::x11modifiers(Qt::KeypadModifier), 0);
}
#endif

} // namespace
