#pragma once
// The [shortcuts] section of zkpinlet.ini: the key combinations that reach the program's commands from
// anywhere on the desktop. "new" opens a new note, "list" brings up the note list; an empty value switches
// one off, a missing key keeps its default.

#include <QKeyCombination>
#include <QString>

#include <optional>
#include <string>
#include <vector>

class IniFile;

enum class ShortcutCommand { NewNote, ShowList };

struct ShortcutSetting {
    enum class Problem {
        None,
        Unreadable, // not one key with its modifiers
        Repeated,   // the same combination as an earlier setting, which keeps it
    };

    ShortcutCommand command;
    std::string key;  // the key in the file: "new" or "list"
    std::string text; // as written, or the default when the key is missing; "" when off
    std::optional<QKeyCombination> combination; // empty when off or with a problem
    Problem problem = Problem::None;
};

// The settings in command order: new (default Ctrl+Alt+N), then list (default Ctrl+Alt+J).
std::vector<ShortcutSetting> readshortcutsettings(const IniFile& ini);

// One message for the failure box naming every setting with a problem; empty when there is none.
std::string shortcutproblemsmessage(const std::vector<ShortcutSetting>& settings);

// The command's name in the program's messages.
QString shortcutcommandname(ShortcutCommand command);
