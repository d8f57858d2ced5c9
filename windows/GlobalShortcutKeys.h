#pragma once
// The system-wide shortcuts of the list window's commands, as the configuration names them.

#include "platform/GlobalShortcuts.h"

#include <QString>

#include <memory>

class IniFile;
class TForm2;

// Asks the desktop for the [shortcuts] of the configuration: "new" runs what the list's new-note picture
// does, "list" brings the list window up with the focus. The combinations stay held while the window lives.
// Settings that cannot be read are named once in the failure box, and only those are off; a combination
// another program holds, or a key the keyboard lacks, is named once in the notice popup. Nothing else stops.
// The desktop's service is used unless one is given (tests give a recording one).
void startglobalshortcuts(TForm2& window, const IniFile& ini,
                          std::unique_ptr<pinlet::GlobalShortcuts> service = nullptr);

// The notice line for a combination that could not be had; empty for one that was, or where the desktop
// has no system-wide keys at all.
QString shortcutnotice(pinlet::GlobalShortcuts::Grab grab, const QString& combination,
                       const QString& command);
