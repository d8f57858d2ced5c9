#include "store/ConflictCopies.h"

#include "db/Connection.h"
#include "db/Table.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <string_view>

namespace {

std::string lowerascii(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return out;
}

bool holdsnotes(const std::string& path) {
    try {
        sqldb::Connection connection;
        connection.setdatabasename(path);
        connection.connect();
        sqldb::Table notes(connection, "jegyzetek");
        notes.open();
        return notes.hascolumn("nev") && notes.hascolumn("jegyzet");
    } catch (const std::exception&) {
        return false;
    }
}

} // namespace

bool isconflictcopyname(const std::string& filename) {
    const std::string name = lowerascii(filename);
    if (name.size() < 3 || name.compare(name.size() - 3, 3, ".db") != 0)
        return false;
    // ASCII letters folded; the Hungarian words come in the two spellings the programs use.
    static constexpr std::array<std::string_view, 6> marks{"conflicted copy", ".sync-conflict-",
                                                           "(ütköző példány", "(Ütköző példány",
                                                           "conflict copy",   "(case conflict"};
    return std::any_of(marks.begin(), marks.end(),
                       [&](std::string_view mark) { return name.find(mark) != std::string::npos; });
}

std::vector<std::string> conflictcopies(const std::string& folder) {
    std::vector<std::string> found;
    try {
        std::error_code error;
        const std::filesystem::path dir(std::u8string(folder.begin(), folder.end()));
        for (const auto& entry : std::filesystem::directory_iterator(dir, error)) {
            std::error_code kind;
            if (!entry.is_regular_file(kind))
                continue;
            const std::string name = sqldb::u8text(entry.path().filename().u8string());
            if (!isconflictcopyname(name))
                continue;
            const std::string path = sqldb::u8text(entry.path().u8string());
            if (holdsnotes(path))
                found.push_back(path);
        }
    } catch (const std::exception&) {
        // A folder that cannot be listed has no copies to offer.
    }
    std::sort(found.begin(), found.end());
    return found;
}
