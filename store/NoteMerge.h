#pragma once
// Bringing notes in from another database file of this program (a backup copy, a second copy of the
// database that a sync service left beside it) without losing anything either side holds.
//
// The rule, the same wherever notes come in: every live note of the other file that the store lacks or
// holds changed comes back as a note of its own; nothing the store holds is changed or overwritten.
//  - The store has a live note with the same name and text (or a note brought in before, named as below
//    with the same text): the note is already here, nothing comes in. So bringing the same file in twice
//    brings nothing the second time.
//  - The store has the note's id, live, with another name or text (it was changed since): the other file's
//    version comes in as a new note named after it with the label: "<name> (<label>)".
//  - Otherwise (the note is gone, or deleted): it comes in as a new note under its own name.
// Notes marked deleted in the other file stay out. New notes are written through savejegyzet, one by one,
// in the other file's id order, so everything that follows the store's writes follows these too.

#include "store/zkpldm_unit.h"

#include <cstdint>
#include <string>
#include <vector>

struct Tincomingnote {
    std::int32_t fromid; // its id in the other file
    Tjegyzet jegyzet;    // as it will be written, the name already labelled for a changed note
    bool changed;        // the store holds the note with another name or text
};

struct Tnotemerge {
    int notes = 0; // live notes in the other file
    std::vector<Tincomingnote> incoming;
    int changedcount() const;
    int missingcount() const;
};

// Reads both files and decides what would come in; writes nothing. Throws std::runtime_error when either
// file cannot be read or is no database of this program, or the other file fails its integrity check.
Tnotemerge planmergenotes(Tzkpldm& store, const std::string& otherfile, const std::string& label);

// Writes the plan's notes as new notes and returns their ids in order. A failure part way leaves the
// notes written so far, each whole; bringing the same file in again adds only the rest.
std::vector<std::int32_t> bringnotesin(Tzkpldm& store, const Tnotemerge& plan);

// The name a changed note comes back under: "<name> (<label>)", the name cut so that the whole fits the
// 255 characters of a note's name.
std::string labellednotename(const std::string& name, const std::string& label);

// A note of a database file, read past the store.
struct Tstorednote {
    std::int32_t id;
    Tjegyzet jegyzet;
    bool deleted;
};
// Every note of a database file of this program in id order, read-only. Rows whose id is no note id are
// left out. Throws std::runtime_error naming the file when it cannot be read or has no notes table.
std::vector<Tstorednote> readnotes(const std::string& databasefile);
