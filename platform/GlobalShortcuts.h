#pragma once
// Key combinations that reach the program whichever window of the desktop has the keyboard.

#include <QKeyCombination>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace pinlet {

class GlobalShortcuts {
public:
    enum class Grab {
        Held,        // the combination now reaches the program
        Taken,       // another program holds it already
        NoSuchKey,   // the keyboard in use has no key for it
        Unsupported, // the desktop gives no program system-wide keys (Wayland, offscreen)
    };

    // Gives back every combination held, so other programs can have them.
    virtual ~GlobalShortcuts() = default;

    // Asks the desktop for the combination, whatever the state of Caps Lock and Num Lock. While held, the
    // action runs on the user-interface thread from the event loop, once per press: holding the keys down
    // does not repeat it. A combination asked for twice keeps the first action.
    virtual Grab grab(QKeyCombination combination, std::function<void()> action) = 0;
};

// Grants nothing: for desktops without system-wide keys.
class NoGlobalShortcuts final : public GlobalShortcuts {
public:
    Grab grab(QKeyCombination, std::function<void()>) override { return Grab::Unsupported; }
};

// The service of the desktop the program runs on (NoGlobalShortcuts where there is none). Needs the
// application object.
std::unique_ptr<GlobalShortcuts> makeglobalshortcuts();

// Reads a combination as a user writes it in the configuration: "Ctrl+Alt+N", "Shift+Meta+F5". Names
// compare without regard to case, blanks are ignored, "Win" and "Super" stand for Meta. Empty for anything
// else than one key with its modifiers, and for a key that every program needs for typing (a letter, digit
// or sign with no Ctrl, Alt or Meta): holding that would take it from the whole desktop.
std::optional<QKeyCombination> keycombinationfromtext(const QString& text);

// The combination as the configuration writes it: "Ctrl+Alt+N".
QString keycombinationtext(QKeyCombination combination);

} // namespace pinlet
