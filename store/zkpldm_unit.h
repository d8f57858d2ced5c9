#pragma once
// The store object: the one way the program reaches its data, and the program's shared state.

#include <string>
#include <vector>

class TForm1; // a note window; the store lists them but never owns them

class Tzkpldm {
public:
    Tzkpldm();
    ~Tzkpldm();
    Tzkpldm(const Tzkpldm&) = delete;
    Tzkpldm& operator=(const Tzkpldm&) = delete;

    // The bootstrap run at creation. Separate from the constructor so that the object exists, with its
    // shared state, even when the bootstrap fails.
    void DataModuleCreate();

    std::vector<TForm1*> openforms; // open note windows in opening order; not owned
    unsigned char changed = 0;      // 1: the note list must be rebuilt
    std::vector<std::string> banners;
};

// The program's one store, set by start-up for its whole run.
extern Tzkpldm* zkpldm;
