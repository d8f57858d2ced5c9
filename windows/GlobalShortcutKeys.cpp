#include "windows/GlobalShortcutKeys.h"

#include "controls/MiniHtmlPopup.h"
#include "shell/PinletApplication.h"
#include "shell/dialogs.h"
#include "windows/ShortcutSettings.h"
#include "windows/rootform_unit.h"

#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QStringList>

namespace {

// Keeps the service, and so the combinations, for as long as the window lives.
class ShortcutHolder : public QObject {
public:
    ShortcutHolder(QObject* parent, std::unique_ptr<pinlet::GlobalShortcuts> service)
        : QObject(parent), service_(std::move(service)) {
        setObjectName(QStringLiteral("globalshortcuts"));
    }
    pinlet::GlobalShortcuts& service() { return *service_; }

private:
    std::unique_ptr<pinlet::GlobalShortcuts> service_;
};

// The notice is mini-HTML; a combination such as Ctrl+< is shown as written.
QString markupescaped(QString text) {
    return text.replace(QLatin1Char('&'), QStringLiteral("&amp;"))
        .replace(QLatin1Char('<'), QStringLiteral("&lt;"));
}

} // namespace

QString shortcutnotice(pinlet::GlobalShortcuts::Grab grab, const QString& combination,
                       const QString& command) {
    using Grab = pinlet::GlobalShortcuts::Grab;
    switch (grab) {
    case Grab::Held:
    case Grab::Unsupported:
        return {};
    case Grab::Taken:
        return QStringLiteral("A %1 gyorsbillentyűt (%2) egy másik program már lefoglalta.")
            .arg(markupescaped(combination), command);
    case Grab::NoSuchKey:
        return QStringLiteral("A %1 gyorsbillentyű (%2) nem használható: ezen a billentyűzeten nincs ilyen "
                              "billentyű.")
            .arg(markupescaped(combination), command);
    }
    return {};
}

void startglobalshortcuts(TForm2& window, const IniFile& ini,
                          std::unique_ptr<pinlet::GlobalShortcuts> service) {
    const std::vector<ShortcutSetting> settings = readshortcutsettings(ini);
    if (const std::string problems = shortcutproblemsmessage(settings); !problems.empty())
        pinlet::showfailure(problems);

    if (!service)
        service = pinlet::makeglobalshortcuts();
    auto* holder = new ShortcutHolder(&window, std::move(service));
    QPointer<TForm2> target(&window);
    QStringList notices;
    for (const ShortcutSetting& setting : settings) {
        if (!setting.combination)
            continue;
        std::function<void()> action;
        if (setting.command == ShortcutCommand::NewNote) {
            action = [target] {
                if (target)
                    pinlet::runhandler([target] { target->btn_newClick(); });
            };
        } else {
            action = [target] {
                if (target)
                    target->bringup();
            };
        }
        const auto grab = holder->service().grab(*setting.combination, std::move(action));
        const QString notice = shortcutnotice(grab, pinlet::keycombinationtext(*setting.combination),
                                              shortcutcommandname(setting.command));
        if (!notice.isEmpty())
            notices << notice;
    }
    if (notices.isEmpty())
        return;
    // The notice rises in a loop of its own, so it starts from the event loop, not from start-up.
    QMetaObject::invokeMethod(
        &window,
        [target, text = notices.join(QStringLiteral("<br>"))] {
            if (!target)
                return;
            target->MiniHtmlPopup1().setText(text);
            target->MiniHtmlPopup1().RollUp();
        },
        Qt::QueuedConnection);
}
