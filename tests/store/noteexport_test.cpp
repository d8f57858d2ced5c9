// The export: file names every file system takes, nothing overwritten, whole files only.

#include "storefixture.h"

#include "store/NoteExport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#ifndef _WIN32
#include <csignal>
#include <sys/resource.h>
#endif

namespace {

namespace fs = std::filesystem;

std::string bytesof(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

std::map<std::string, std::string> files(const fs::path& folder) {
    std::map<std::string, std::string> result;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        const std::u8string name = entry.path().filename().u8string();
        result[std::string(name.begin(), name.end())] = bytesof(entry.path());
    }
    return result;
}

} // namespace

TEST(SafeFileName, EveryFileSystemTakesIt) {
    const std::string accents(200, 'x');
    struct Case {
        std::string name;
        std::string safe;
    } cases[] = {
        {"Bevásárlás", "Bevásárlás"},
        {"a/b\\c:d", "a_b_c_d"},                      // path separators, a drive or stream colon
        {"<b>\"idéz\"|cső?*", "_b__idéz__cső__"},     // the rest Windows refuses
        {"sor\r\nmásik\tlap\x7f", "sor__másik_lap_"}, // control characters
        {"CON", "_CON"},                              // device names, any case, before any dot
        {"con.txt", "_con.txt"},
        {"Nul ", "_Nul"},
        {"lpt9.napló", "_lpt9.napló"},
        {"COM\u00B9", "_COM\u00B9"},
        {"COM10", "COM10"},
        {"CONSOLE", "CONSOLE"},
        {"  . pont . ", "pont"}, // Windows drops trailing dots and blanks; leading ones hide files
        {"..", "jegyzet"},
        {"", "jegyzet"},
        {"rossz \xff\xfe bájt \xc3", "rossz __ bájt _"}, // broken UTF-8, a cut sequence at the end
        {std::string(300, 'a'), std::string(251, 'a')},
        {"x" + std::string(150, '\0'), "x" + std::string(150, '_')},
    };
    for (const Case& c : cases)
        EXPECT_EQ(safefilename(c.name), c.safe) << c.name;

    // Cut at a character boundary, never inside "ő" (two bytes).
    std::string hungarian;
    for (int i = 0; i < 200; ++i)
        hungarian += "ő";
    EXPECT_EQ(safefilename(hungarian, 251), hungarian.substr(0, 250));
    EXPECT_EQ(safefilename("ab. .cd", 5), "ab") << "what the cut leaves is trimmed too";
}

class NoteExportTest : public StoreTest {
protected:
    fs::path target() {
        fs::create_directories(folder.path() / "ki");
        return folder.path() / "ki";
    }
};

TEST_F(NoteExportTest, AwkwardNamesBecomeFilesAndNothingIsOverwritten) {
    const std::string longname(300, 'h');
    store->savejegyzet(-1, {"Bevásárlás", "tej\r\nkenyér"});
    store->savejegyzet(-1, {"a/b", "per"});
    store->savejegyzet(-1, {"a_b", "aláhúzás"});
    store->savejegyzet(-1, {"CON", "eszköz"});
    store->savejegyzet(-1, {"Iker", "egy"});
    store->savejegyzet(-1, {"iker", "kettő"});
    const std::int32_t unnamed = store->savejegyzet(-1, {"", "névtelen ```kód```"});
    store->savejegyzet(-1, {longname, "hosszú"});
    store->deletejegyzet(store->savejegyzet(-1, {"törölt", "x"}));

    const Texport result = exportnotes(*store, target().string(), {2026, 12, 10});
    EXPECT_EQ(result.notes, 8);
    EXPECT_EQ(fs::path(result.folder), target() / "Pinlet jegyzetek 2026-12-10");
    const std::map<std::string, std::string> written = files(result.folder);
    const std::map<std::string, std::string> expected{
        {"Bevásárlás.txt", "tej\r\nkenyér"},
        {"a_b.txt", "per"},
        {"a_b (2).txt", "aláhúzás"},
        {"_CON.txt", "eszköz"},
        {"Iker.txt", "egy"},
        {"iker (2).txt", "kettő"},
        {std::to_string(unnamed) + ". jegyzet.txt", "névtelen ```kód```"},
        {std::string(227, 'h') + ".txt", "hosszú"}, // room left for the name it is written under first
    };
    for (const auto& [name, text] : expected) {
        ASSERT_TRUE(written.contains(name)) << name;
        EXPECT_EQ(written.at(name), text) << name;
    }
    EXPECT_EQ(written.size(), expected.size() + 1);
    for (const auto& [name, text] : written)
        EXPECT_LE(name.size(), exportnamebytes);

    const std::string markdown = written.at("Összes jegyzet.md");
    EXPECT_EQ(markdown.rfind("# Pinlet jegyzetek 2026-12-10\r\n", 0), 0u);
    EXPECT_NE(markdown.find("\r\n## Bevásárlás\r\n\r\n```\r\ntej\r\nkenyér\r\n```\r\n"), std::string::npos);
    EXPECT_NE(markdown.find("\r\n## a\\/b\r\n"), std::string::npos) << "punctuation in a heading is escaped";
    EXPECT_NE(markdown.find("````\r\nnévtelen ```kód```\r\n````\r\n"), std::string::npos)
        << "a fence the text cannot close";
    EXPECT_EQ(markdown.find("törölt"), std::string::npos);

    // A second export goes into a folder of its own; a file in the way is never replaced.
    writefile((target() / "Pinlet jegyzetek 2026-12-10 (2)").string(), "my own file");
    const Texport again = exportnotes(*store, target().string(), {2026, 12, 10});
    EXPECT_EQ(fs::path(again.folder), target() / "Pinlet jegyzetek 2026-12-10 (3)");
    EXPECT_EQ(bytesof(target() / "Pinlet jegyzetek 2026-12-10 (2)"), "my own file");
    EXPECT_EQ(files(again.folder), written);
}

TEST_F(NoteExportTest, AFailureLeavesWholeFilesOnly) {
    const auto text = [](int i) { return std::string(100 * std::size_t(i + 1), char('a' + i % 26)); };
    for (int i = 0; i < 40; ++i)
        store->savejegyzet(-1, {"jegyzet " + std::to_string(i), text(i)});
    writefile((folder.path() / "fájl").string(), "");
    for (const fs::path& parent : {folder.path() / "nincs", folder.path() / "fájl"})
        try {
            exportnotes(*store, parent.string(), {2026, 12, 10});
            ADD_FAILURE() << parent;
        } catch (const std::runtime_error& failure) {
            EXPECT_NE(std::string(failure.what()).find("Pinlet jegyzetek 2026-12-10"), std::string::npos)
                << failure.what();
        }
    EXPECT_FALSE(fs::exists(folder.path() / "nincs"));

#ifndef _WIN32
    // A disk that fills part way: the files written are whole, the rest are not there at all.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    const rlim_t saved = limit.rlim_cur;
    limit.rlim_cur = 2000; // room for the first twenty notes' files
    setrlimit(RLIMIT_FSIZE, &limit);
    EXPECT_THROW(exportnotes(*store, target().string(), {2026, 12, 10}), std::runtime_error);
    limit.rlim_cur = saved;
    setrlimit(RLIMIT_FSIZE, &limit);
    const std::map<std::string, std::string> written = files(target() / "Pinlet jegyzetek 2026-12-10");
    EXPECT_EQ(written.size(), 20u);
    for (int i = 0; i < 20; ++i) {
        const std::string name = "jegyzet " + std::to_string(i) + ".txt";
        EXPECT_TRUE(written.contains(name) && written.at(name) == text(i)) << name;
    }
#endif
}
