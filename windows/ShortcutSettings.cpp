#include "windows/ShortcutSettings.h"

#include "platform/GlobalShortcuts.h"
#include "store/IniFile.h"

namespace {

struct Default {
    ShortcutCommand command;
    const char* key;
    const char* text;
};

constexpr Default kDefaults[] = {
    {ShortcutCommand::NewNote, "new", "Ctrl+Alt+N"},
    {ShortcutCommand::ShowList, "list", "Ctrl+Alt+J"},
};

} // namespace

std::vector<ShortcutSetting> readshortcutsettings(const IniFile& ini) {
    std::vector<ShortcutSetting> settings;
    for (const Default& entry : kDefaults) {
        ShortcutSetting setting{entry.command, entry.key, ini.readstring("shortcuts", entry.key, entry.text),
                                std::nullopt};
        if (!setting.text.empty()) {
            setting.combination = pinlet::keycombinationfromtext(QString::fromStdString(setting.text));
            if (!setting.combination)
                setting.problem = ShortcutSetting::Problem::Unreadable;
        }
        for (const ShortcutSetting& earlier : settings) {
            if (setting.combination && earlier.combination == setting.combination) {
                setting.combination.reset();
                setting.problem = ShortcutSetting::Problem::Repeated;
            }
        }
        settings.push_back(std::move(setting));
    }
    return settings;
}

std::string shortcutproblemsmessage(const std::vector<ShortcutSetting>& settings) {
    std::string message;
    for (const ShortcutSetting& setting : settings) {
        std::string line;
        const std::string where = "A zkpinlet.ini [shortcuts] részének " + setting.key + "= sora";
        switch (setting.problem) {
        case ShortcutSetting::Problem::None:
            continue;
        case ShortcutSetting::Problem::Unreadable:
            line = where + " nem olvasható billentyűkombináció: \"" + setting.text + "\".";
            break;
        case ShortcutSetting::Problem::Repeated:
            line = where + " egy másik gyorsbillentyűvel egyezik: \"" + setting.text + "\".";
            break;
        }
        line += " Ez a gyorsbillentyű ki van kapcsolva.";
        message += (message.empty() ? "" : "\n") + line;
    }
    return message;
}

QString shortcutcommandname(ShortcutCommand command) {
    switch (command) {
    case ShortcutCommand::NewNote:
        return QStringLiteral("új jegyzet");
    case ShortcutCommand::ShowList:
        return QStringLiteral("jegyzetlista");
    }
    return {};
}
