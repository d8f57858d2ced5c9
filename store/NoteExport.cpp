#include "store/NoteExport.h"

#include "store/FileMessages.h"
#include "store/NewFile.h"
#include "store/NoteMerge.h"
#include "store/TextEncoding.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <set>
#include <stdexcept>
#include <system_error>

namespace {

namespace fs = std::filesystem;

#ifdef _WIN32
constexpr char separator = '\\';
#else
constexpr char separator = '/';
#endif

fs::path fspath(const std::string& utf8) {
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

std::size_t sequencelength(unsigned char lead) {
    if (lead < 0x80)
        return 1;
    if ((lead & 0xE0) == 0xC0)
        return 2;
    if ((lead & 0xF0) == 0xE0)
        return 3;
    if ((lead & 0xF8) == 0xF0)
        return 4;
    return 0;
}

std::string asciilower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

void trimends(std::string& text) {
    const auto blank = [](char c) { return c == ' ' || c == '.'; };
    while (!text.empty() && blank(text.back()))
        text.pop_back();
    std::size_t start = 0;
    while (start < text.size() && blank(text[start]))
        ++start;
    text.erase(0, start);
}

bool devicename(const std::string& name) {
    std::string stem = asciilower(name.substr(0, name.find('.')));
    while (!stem.empty() && stem.back() == ' ')
        stem.pop_back();
    static const std::array<std::string, 4> plain{"con", "prn", "aux", "nul"};
    if (std::find(plain.begin(), plain.end(), stem) != plain.end())
        return true;
    if (stem.rfind("com", 0) != 0 && stem.rfind("lpt", 0) != 0)
        return false;
    const std::string digit = stem.substr(3);
    return (digit.size() == 1 && digit[0] >= '0' && digit[0] <= '9') || digit == "\u00B9" ||
           digit == "\u00B2" || digit == "\u00B3";
}

// Markdown takes a backslash before any ASCII punctuation as that character itself.
std::string markdownheading(const std::string& name) {
    std::string text;
    for (const char c : name) {
        if (c == '\r' || c == '\n' || c == '\t')
            text += ' ';
        else if ((c >= '!' && c <= '/') || (c >= ':' && c <= '@') || (c >= '[' && c <= '`') ||
                 (c >= '{' && c <= '~'))
            text += std::string("\\") + c;
        else
            text += c;
    }
    return text;
}

// A fence longer than any run of backticks in the text, so the text cannot close it.
std::string fencefor(const std::string& text) {
    std::size_t longest = 0;
    std::size_t run = 0;
    for (const char c : text) {
        run = c == '`' ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    return std::string(std::max<std::size_t>(3, longest + 1), '`');
}

// Writes a new file under the first free name "<stem><ext>", "<stem> (2)<ext>" ... Names already given in
// this export count as taken whatever their letter case.
void writenumbered(const std::string& folder, const std::string& name, const std::string& extension,
                   const std::string& bytes, std::set<std::string>& taken) {
    for (int number = 1; number <= 100000; ++number) {
        const std::string suffix = number == 1 ? std::string() : " (" + std::to_string(number) + ")";
        const std::string stem = safefilename(name, exportnamebytes - suffix.size() - extension.size());
        const std::string file = stem + suffix + extension;
        if (taken.contains(asciilower(file)))
            continue;
        taken.insert(asciilower(file));
        if (createnewfile(folder + separator + file, bytes))
            return;
    }
    throw std::runtime_error(
        cannotcreatefilemessage(folder + separator + name + extension, "Every numbered name is taken."));
}

} // namespace

std::string safefilename(const std::string& name, std::size_t maxbytes) {
    std::string safe;
    for (std::size_t i = 0; i < name.size();) {
        const unsigned char lead = static_cast<unsigned char>(name[i]);
        const std::size_t length = sequencelength(lead);
        if (length == 0 || i + length > name.size() || !isvalidutf8(name.substr(i, length))) {
            safe += '_';
            ++i;
            continue;
        }
        if (length == 1 &&
            (lead < 0x20 || lead == 0x7F || std::string("<>:\"/\\|?*").find(char(lead)) != std::string::npos))
            safe += '_';
        else
            safe.append(name, i, length);
        i += length;
    }
    trimends(safe);
    if (devicename(safe))
        safe.insert(0, "_");
    // Cut at a character boundary: back off over continuation bytes.
    if (safe.size() > maxbytes) {
        std::size_t cut = maxbytes;
        while (cut > 0 && (static_cast<unsigned char>(safe[cut]) & 0xC0) == 0x80)
            --cut;
        safe.resize(cut);
        trimends(safe);
    }
    return safe.empty() ? std::string("jegyzet") : safe;
}

Texport exportnotes(Tzkpldm& store, const std::string& parent, const Tdate& today) {
    std::vector<Tstorednote> notes = readnotes(store.db.databasename());
    std::erase_if(notes, [](const Tstorednote& note) { return note.deleted; });

    Texport result;
    const std::string base = parent + separator + "Pinlet jegyzetek " + today.totext();
    for (int number = 1;; ++number) {
        result.folder = number == 1 ? base : base + " (" + std::to_string(number) + ")";
        std::error_code error;
        if (fs::create_directory(fspath(result.folder), error))
            break;
        std::error_code ignored;
        if (number < 1000 && fs::exists(fspath(result.folder), ignored))
            continue; // a folder or file of that name: the next number
        throw std::runtime_error(cannotcreatefilemessage(
            result.folder, error ? error.message() : std::string("The folder cannot be made.")));
    }

    std::set<std::string> taken;
    std::string markdown = "# Pinlet jegyzetek " + today.totext() + "\r\n";
    for (const Tstorednote& note : notes) {
        const std::string name =
            note.jegyzet.nev.empty() ? std::to_string(note.id) + ". jegyzet" : note.jegyzet.nev;
        writenumbered(result.folder, name, ".txt", note.jegyzet.jegyzet, taken);
        ++result.notes;
        const std::string fence = fencefor(note.jegyzet.jegyzet);
        markdown += "\r\n## " + markdownheading(name) + "\r\n\r\n" + fence + "\r\n" + note.jegyzet.jegyzet +
                    "\r\n" + fence + "\r\n";
    }
    writenumbered(result.folder, "Összes jegyzet", ".md", markdown, taken);
    return result;
}
