#pragma once
// The end of a test that made the list window over the program's store: the note windows it opened go
// first (they are not owned by the list), then the list, then the store is no longer the program's.

#include "store/zkpldm_unit.h"
#include "windows/mainform_unit.h"
#include "windows/rootform_unit.h"

#include <memory>
#include <vector>

inline void closelistwindow(Tzkpldm& store, std::unique_ptr<TForm2>& form) {
    for (TForm1* window : std::vector<TForm1*>(store.openforms))
        delete window;
    form.reset();
    zkpldm = nullptr;
}
