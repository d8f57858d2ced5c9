#pragma once
// Nothing typed is lost when the program ends: every open note window is saved as its close picture would
// save it (name, text, geometry; a blank text still saves nothing) before the store goes away.

#include <QObject>

class QGuiApplication;
class Tzkpldm;

namespace pinlet {

// While it lives, the end of the program saves the open notes: at the session manager's commit-data
// request (logoff, shutdown) and at aboutToQuit (the tray menu, the last window closed), which both come
// before start-up destroys the windows and the store. Start-up makes one after the store exists and keeps
// it to the end.
class ExitSave : public QObject {
    Q_OBJECT
public:
    ExitSave(QGuiApplication& application, Tzkpldm& store);

    // Saves every window of the store's registry that holds something not yet saved, so a second call with
    // nothing new writes nothing. Every window is tried; a window whose save fails keeps its edits, and the
    // first failure is shown in the failure box, once. Returns the number of windows that failed.
    static int saveopennotes(Tzkpldm& store);
};

} // namespace pinlet
