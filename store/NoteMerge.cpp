#include "store/NoteMerge.h"

#include "db/DatabaseCopy.h"
#include "db/Table.h"

#include <map>
#include <set>
#include <stdexcept>
#include <utility>

namespace {

constexpr std::size_t namecharacters = 255;

} // namespace

int Tnotemerge::changedcount() const {
    int count = 0;
    for (const Tincomingnote& note : incoming)
        count += note.changed ? 1 : 0;
    return count;
}

int Tnotemerge::missingcount() const {
    return static_cast<int>(incoming.size()) - changedcount();
}

std::string labellednotename(const std::string& name, const std::string& label) {
    const std::string suffix = " (" + label + ")";
    std::size_t suffixcharacters = 0;
    for (const char c : suffix)
        suffixcharacters += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
    const std::size_t room = suffixcharacters < namecharacters ? namecharacters - suffixcharacters : 0;
    return sqldb::cuttocharacters(sqldb::cuttocharacters(name, room) + suffix, namecharacters);
}

std::vector<Tstorednote> readnotes(const std::string& databasefile) {
    std::vector<Tstorednote> notes;
    try {
        sqldb::ReadOnlyDatabase file(databasefile);
        file.select("SELECT id, nev, jegyzet, torolve IS 1 FROM jegyzetek ORDER BY id", [&notes](
                                                                                            const std::vector<
                                                                                                std::string>&
                                                                                                row) {
            const long long id = std::stoll(row.at(0));
            if (isnoteid(id))
                notes.push_back({static_cast<std::int32_t>(id), {row.at(1), row.at(2)}, row.at(3) == "1"});
        });
    } catch (const std::logic_error&) {
        throw std::runtime_error("Database file '" + databasefile + "' holds a note without an id.");
    } catch (const sqldb::Error& failure) {
        throw std::runtime_error(failure.what());
    }
    return notes;
}

Tnotemerge planmergenotes(Tzkpldm& store, const std::string& otherfile, const std::string& label) {
    // A damaged page can read as other notes: such a file brings nothing in.
    std::string problems;
    try {
        problems = sqldb::ReadOnlyDatabase(otherfile).problems();
    } catch (const sqldb::Error& failure) {
        throw std::runtime_error(failure.what());
    }
    if (!problems.empty())
        throw std::runtime_error("Database file '" + otherfile + "' is damaged: " + problems);
    const std::vector<Tstorednote> theirs = readnotes(otherfile);
    const std::vector<Tstorednote> ours = readnotes(store.db.databasename());
    std::set<std::pair<std::string, std::string>> present; // live notes here: name and text
    std::map<std::int32_t, const Tstorednote*> liveids;
    for (const Tstorednote& note : ours) {
        if (note.deleted)
            continue;
        present.insert({note.jegyzet.nev, note.jegyzet.jegyzet});
        liveids[note.id] = &note;
    }
    Tnotemerge plan;
    for (const Tstorednote& note : theirs) {
        if (note.deleted)
            continue;
        ++plan.notes;
        // Compared as the store would hold it: a longer name comes back cut to 255 characters.
        const std::string name = sqldb::cuttocharacters(note.jegyzet.nev, namecharacters);
        const std::string labelled = labellednotename(name, label);
        if (present.contains({name, note.jegyzet.jegyzet}) ||
            present.contains({labelled, note.jegyzet.jegyzet}))
            continue;
        const bool changed = liveids.contains(note.id);
        plan.incoming.push_back({note.id, {changed ? labelled : name, note.jegyzet.jegyzet}, changed});
        // Two notes of the other file alike in name and text come back once.
        present.insert({plan.incoming.back().jegyzet.nev, note.jegyzet.jegyzet});
    }
    return plan;
}

std::vector<std::int32_t> bringnotesin(Tzkpldm& store, const Tnotemerge& plan) {
    std::vector<std::int32_t> ids;
    ids.reserve(plan.incoming.size());
    for (const Tincomingnote& note : plan.incoming)
        ids.push_back(store.savejegyzet(-1, note.jegyzet));
    return ids;
}
