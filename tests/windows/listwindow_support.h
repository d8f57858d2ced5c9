#pragma once
// What the tests of the list window share.

#include "store/zkpldm_unit.h"
#include "windows/TrayIcon.h"
#include "windows/mainform_unit.h"
#include "windows/rootform_unit.h"

#include <memory>
#include <vector>

// A notification area that takes the icon and shows nothing.
class NoTray : public pinlet::TrayShell {
public:
    bool add(const QIcon&, const QString&) override { return true; }
    void modify(const QIcon&, const QString&) override {}
    void remove() override {}
};

// The end of a test that made the list window over the program's store: the note windows it opened go
// first (they are not owned by the list), then the list, then the store is no longer the program's.
inline void closelistwindow(Tzkpldm& store, std::unique_ptr<TForm2>& form) {
    for (TForm1* window : std::vector<TForm1*>(store.openforms))
        delete window;
    form.reset();
    zkpldm = nullptr;
}
