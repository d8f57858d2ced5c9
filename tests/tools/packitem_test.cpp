// Round trips through packitem: its output compiled into this program (see tests/CMakeLists.txt, which
// packs this very file), and its output for files written at run time, read back by the storage.
// (Some bytes above 0x7F for the compiled-in sample: árvíztűrő tükörfúrógép.)

#include "loadpackedsample.h"
#include "store/EmbeddedStorage.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;

Bytes readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string readText(const fs::path& path) {
    const Bytes b = readFile(path);
    return std::string(b.begin(), b.end());
}

Bytes saved(TStoredItem& item) {
    std::ostringstream out;
    item.SaveToStream(out);
    const std::string s = out.str();
    return Bytes(s.begin(), s.end());
}

TEST(PackedSample, CompiledInItemReadsBackAsItsFile) {
    const Bytes file = readFile(PINLET_PACKED_SAMPLE);
    ASSERT_FALSE(file.empty());
    TEmbeddedStorage storage;
    TStoredItem& item = loadpackedsample(storage);
    EXPECT_FALSE(storage.Loading());
    EXPECT_EQ(storage.ItemByName("MINTA \"DB\" Ő"), &item) << "the name survives quoting and UTF-8";
    EXPECT_EQ(item.Name(), "minta \"db\" ő");
    EXPECT_EQ(item.FileName(), "minta.db");
    EXPECT_EQ(item.Tag(), -3);
    EXPECT_EQ(item.Compression(), clMax);
    EXPECT_EQ(item.FileSize(), static_cast<std::int32_t>(file.size()));
    ASSERT_GE(item.Size(), 2);
    EXPECT_EQ(item.Content()[0], 0x78);
    EXPECT_EQ(item.Content()[1], 0xDA) << "packed at level 9";
    EXPECT_EQ(saved(item), file);

    EXPECT_THROW(loadpackedsample(storage), TEmbeddedStorageError) << "a second copy is a duplicate name";
    EXPECT_EQ(storage.StoredItems().Count(), 1);
}

class Packitem : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("pinlet-packitem-" +
               std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    // Runs the tool with the given options after the three paths every run needs; the exit code.
    int run(const std::string& options) {
        const std::string command = "\"" + std::string(PINLET_PACKITEM) + "\" --cpp \"" +
                                    (dir / "out.cpp").string() + "\" --header \"" + (dir / "out.h").string() +
                                    "\" " + options + " 2>\"" + (dir / "err.txt").string() + "\"";
#ifdef _WIN32
        // cmd.exe drops the outermost quotes of a command line that holds several quoted parts.
        return std::system(("\"" + command + "\"").c_str());
#else
        return std::system(command.c_str());
#endif
    }

    fs::path dir;
};

// What the generated source says, read back with the storage the way the compiled code would.
struct Generated {
    std::string name, fileName, level;
    std::int32_t tag = 0, fileSize = 0;
    Bytes value;
};

Generated parse(const std::string& source) {
    Generated g;
    std::smatch m;
    // The settings follow the array; std::regex over the whole array would take seconds.
    const std::string body = source.substr(source.find("TStoredItem& "));
    if (std::regex_search(body, m, std::regex(R"re(data\.Name = "([^"]*)";)re")))
        g.name = m[1];
    if (std::regex_search(body, m, std::regex(R"re(data\.FileName = "([^"]*)";)re")))
        g.fileName = m[1];
    if (std::regex_search(body, m, std::regex(R"re(data\.Compression = TCompressionLevel::(\w+);)re")))
        g.level = m[1];
    if (std::regex_search(body, m, std::regex(R"re(data\.Tag = (-?\d+);)re")))
        g.tag = std::stoi(m[1]);
    if (std::regex_search(body, m, std::regex(R"re(data\.FileSize = (\d+);)re")))
        g.fileSize = std::stoi(m[1]);
    const std::size_t open = source.find("kStoredItem[");
    if (open != std::string::npos) {
        const std::size_t begin = source.find('{', open), end = source.find("};", open);
        const std::string array = source.substr(begin, end - begin);
        for (std::size_t at = array.find("0x"); at != std::string::npos; at = array.find("0x", at + 4))
            g.value.push_back(static_cast<unsigned char>(std::stoi(array.substr(at + 2, 2), nullptr, 16)));
    }
    return g;
}

TEST_F(Packitem, OutputReadsBackForEveryLevelAndEveryKindOfFile) {
    Bytes every;
    for (int b = 0; b < 256; ++b)
        every.push_back(static_cast<unsigned char>(b));
    Bytes random(70000);
    unsigned seed = 5;
    for (auto& b : random) {
        seed = seed * 1103515245u + 12345u;
        b = static_cast<unsigned char>(seed >> 16);
    }
    const struct {
        Bytes file;
        const char* what;
    } files[] = {
        {{}, "empty file: no array, no content"},
        {every, "every byte value"},
        {random, "larger than one inflate chunk"},
    };
    const std::pair<const char*, TCompressionLevel> levels[] = {{"clNone", TCompressionLevel::clNone},
                                                                {"clFastest", clFastest},
                                                                {"clDefault", clDefault},
                                                                {"clMax", clMax}};
    for (const auto& f : files) {
        for (const auto& [levelName, level] : levels) {
            {
                std::ofstream(dir / "in.bin", std::ios::binary)
                    .write(reinterpret_cast<const char*>(f.file.data()),
                           static_cast<std::streamsize>(f.file.size()));
            }
            ASSERT_EQ(run("--input \"" + (dir / "in.bin").string() +
                          "\" --function loadit --name db --filename pinlet.db --tag 12 --level " +
                          levelName),
                      0)
                << readText(dir / "err.txt");
            const std::string source = readText(dir / "out.cpp");
            EXPECT_NE(source.find("TStoredItem& loadit(TEmbeddedStorage& storage)"), std::string::npos);
            EXPECT_NE(readText(dir / "out.h").find("TStoredItem& loadit(TEmbeddedStorage& storage);"),
                      std::string::npos);
            const Generated g = parse(source);
            EXPECT_EQ(g.name, "db");
            EXPECT_EQ(g.fileName, "pinlet.db");
            EXPECT_EQ(g.level, levelName);
            EXPECT_EQ(g.tag, 12);
            EXPECT_EQ(g.fileSize, static_cast<std::int32_t>(f.file.size())) << f.what;
            EXPECT_EQ(g.value.empty(), f.file.empty()) << f.what << ": a value exists only for content";

            TEmbeddedStorage storage;
            TStoredItemData data;
            data.Name = g.name;
            data.Compression = level;
            data.FileSize = g.fileSize;
            data.StoredItem = g.value;
            TStoredItem& item = storage.StoredItems().AddFromStoredData(data);
            EXPECT_EQ(saved(item), f.file) << f.what << " at " << levelName;
        }
    }
}

TEST_F(Packitem, BadRunsFailAndLeaveNoOutput) {
    { std::ofstream(dir / "in.bin") << "x"; }
    const std::string in = "--input \"" + (dir / "in.bin").string() + "\" ";
    const struct {
        std::string options;
        const char* why;
    } rows[] = {
        {"--input \"" + (dir / "missing").string() + "\" --function f --name a --filename b --level clMax",
         "missing input"},
        {in + "--function f --name a --filename b --level clBest", "unknown level"},
        {in + "--function 9f --name a --filename b --level clMax", "function is no identifier"},
        {in + "--function f --name a --filename b --level clMax --tag 2147483648", "tag out of range"},
        {in + "--function f --name a --level clMax", "missing option"},
        {in + "--function f --name a --filename b --level clMax --colour red", "unknown option"},
    };
    for (const auto& r : rows) {
        EXPECT_NE(run(r.options), 0) << r.why;
        EXPECT_NE(readText(dir / "err.txt").find("packitem: "), std::string::npos) << r.why;
        EXPECT_FALSE(fs::exists(dir / "out.cpp")) << r.why;
        EXPECT_FALSE(fs::exists(dir / "out.h")) << r.why;
    }
}

} // namespace
