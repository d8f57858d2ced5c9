#include "store/EmbeddedStorage.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;
namespace fs = std::filesystem;

Bytes bytesOf(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

Bytes pseudoRandom(std::size_t size, std::uint32_t seed) {
    Bytes out(size);
    for (auto& b : out) {
        seed = seed * 1664525u + 1013904223u;
        b = static_cast<unsigned char>(seed >> 24);
    }
    return out;
}

void load(TStoredItem& item, const Bytes& file) {
    std::stringstream source(std::string(file.begin(), file.end()));
    item.LoadFromStream(source);
}

Bytes saved(TStoredItem& item) {
    std::ostringstream target;
    item.SaveToStream(target);
    const std::string s = target.str();
    return Bytes(s.begin(), s.end());
}

Bytes readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The message of the TEmbeddedStorageError the call throws, or "" when it throws nothing.
std::string errorOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const TEmbeddedStorageError& e) {
        return e.what();
    }
    return "";
}

Bytes le32(std::int32_t v) {
    const auto u = static_cast<std::uint32_t>(v);
    return {static_cast<unsigned char>(u), static_cast<unsigned char>(u >> 8),
            static_cast<unsigned char>(u >> 16), static_cast<unsigned char>(u >> 24)};
}

Bytes zlibOf(const Bytes& data) {
    uLongf size = compressBound(static_cast<uLong>(data.size()));
    Bytes out(size);
    EXPECT_EQ(compress2(out.data(), &size, data.data(), static_cast<uLong>(data.size()), 6), Z_OK);
    out.resize(size);
    return out;
}

Bytes concat(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// An item whose content is exactly the given stored form, as stored data would give it.
TStoredItem& itemWithContent(TEmbeddedStorage& storage, const Bytes& content, TCompressionLevel level,
                             std::int32_t fileSize = 0) {
    const Bytes value = concat(le32(static_cast<std::int32_t>(content.size())), content);
    TStoredItemData data;
    data.Name = "item" + std::to_string(storage.StoredItems().Count());
    data.Compression = level;
    data.FileSize = fileSize;
    data.StoredItem = value;
    return storage.StoredItems().AddFromStoredData(data);
}

class TempDir : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("pinlet-storage-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    fs::path dir;
};

const TCompressionLevel kAllLevels[] = {TCompressionLevel::clNone, clFastest, clDefault, clMax};
const TCompressionLevel kZlibLevels[] = {clFastest, clDefault, clMax};

using RoundTrip = TempDir;

TEST_F(RoundTrip, EveryLevelGivesBackTheSameBytesThroughAFile) {
    const struct {
        Bytes file;
        const char* what;
    } files[] = {
        {bytesOf("x"), "one byte"},
        {Bytes(100000, 0), "long run of zeros: compresses well"},
        {pseudoRandom(200000, 7), "random data larger than one inflate chunk, barely compresses"},
        {[] {
             Bytes all;
             for (int b = 0; b < 256; ++b)
                 all.push_back(static_cast<unsigned char>(b));
             return all;
         }(),
         "every byte value"},
    };
    for (const auto& f : files) {
        for (TCompressionLevel level : kAllLevels) {
            TEmbeddedStorage storage;
            TStoredItem& item = storage.StoredItems().Add();
            item.SetCompression(level);
            load(item, f.file);
            EXPECT_EQ(item.FileSize(), static_cast<std::int32_t>(f.file.size())) << f.what;
            const fs::path out = dir / "out.bin";
            item.SaveToFile(out.string());
            EXPECT_EQ(readFile(out), f.file) << f.what << ", level " << static_cast<int>(level);
            if (level == TCompressionLevel::clNone) {
                EXPECT_EQ(item.Content(), f.file) << "clNone stores the bytes raw";
            }
        }
    }
}

TEST(StoredForm, IsAZlibStreamOfTheLengthAndTheBytes) {
    const struct {
        TCompressionLevel level;
        unsigned char second; // the zlib header's level bits
    } levels[] = {{clFastest, 0x01}, {clDefault, 0x9C}, {clMax, 0xDA}};
    const Bytes file = bytesOf("Jegyzet: árvíztűrő tükörfúrógép");
    for (const auto& l : levels) {
        TEmbeddedStorage storage;
        TStoredItem& item = storage.StoredItems().Add();
        item.SetCompression(l.level);
        load(item, file);
        ASSERT_GE(item.Content().size(), 2u);
        EXPECT_EQ(item.Content()[0], 0x78);
        EXPECT_EQ(item.Content()[1], l.second);
        EXPECT_EQ(item.Size(), static_cast<std::int32_t>(item.Content().size()));

        Bytes inflated(file.size() + 4);
        uLongf size = static_cast<uLongf>(inflated.size());
        ASSERT_EQ(uncompress(inflated.data(), &size, item.Content().data(), static_cast<uLong>(item.Size())),
                  Z_OK);
        EXPECT_EQ(inflated, concat(le32(static_cast<std::int32_t>(file.size())), file));
    }
}

TEST_F(RoundTrip, AnEmptySourceLeavesNoContentAndSaveToFileCreatesAnEmptyFile) {
    TEmbeddedStorage storage;
    TStoredItem& item = storage.StoredItems().Add();
    load(item, bytesOf("earlier content"));
    load(item, {});
    EXPECT_EQ(item.Size(), 0);
    EXPECT_EQ(item.FileSize(), 0) << "the length of the earlier file must not survive";
    EXPECT_FALSE(item.HasStoredItem());
    EXPECT_EQ(item.Ratio("."), "100%");
    const fs::path out = dir / "empty.db";
    { std::ofstream(out) << "old text"; }
    item.SaveToFile(out.string());
    EXPECT_TRUE(fs::exists(out));
    EXPECT_EQ(fs::file_size(out), 0u);
}

TEST(Compression, SwitchingRepacksWithoutChangingTheFile) {
    const Bytes file = pseudoRandom(5000, 3);
    TEmbeddedStorage storage;
    TStoredItem& item = storage.StoredItems().Add();
    load(item, concat(file, Bytes(5000, 'a')));
    const Bytes before = saved(item);

    item.SetCompression(TCompressionLevel::clNone);
    EXPECT_EQ(saved(item), before);
    EXPECT_EQ(item.Size(), item.FileSize());
    EXPECT_EQ(item.Ratio(","), "100,00%");
    EXPECT_EQ(item.Ratio("."), "100.00%");

    item.SetCompression(clMax);
    EXPECT_EQ(saved(item), before);
    EXPECT_LT(item.Size(), item.FileSize());
    EXPECT_EQ(item.Content()[0], 0x78);
}

TEST(Compression, AFailedRepackLeavesLevelAndContentAsTheyWere) {
    TEmbeddedStorage storage;
    const Bytes damaged = {0x78, 0x9C, 1, 2, 3};
    TStoredItem& item = itemWithContent(storage, damaged, clDefault);
    EXPECT_NE(errorOf([&] { item.SetCompression(TCompressionLevel::clNone); }), "");
    EXPECT_EQ(item.Compression(), clDefault);
    EXPECT_EQ(item.Content(), damaged);
}

TEST(LoadingState, OnlyLoadingTakesFileNameFileSizeAndARawLevel) {
    TEmbeddedStorage storage;
    TStoredItem& item = storage.StoredItems().Add();
    load(item, bytesOf("hello"));
    const Bytes packed = item.Content();

    item.SetFileName("a.db");
    item.SetFileSize(99);
    EXPECT_EQ(item.FileName(), "");
    EXPECT_EQ(item.FileSize(), 5);

    storage.BeginLoading();
    EXPECT_TRUE(storage.Loading());
    item.SetFileName("a.db");
    item.SetFileSize(99);
    item.SetCompression(TCompressionLevel::clNone);
    storage.EndLoading();
    EXPECT_FALSE(storage.Loading());
    EXPECT_EQ(item.FileName(), "a.db");
    EXPECT_EQ(item.FileSize(), 99);
    EXPECT_EQ(item.Compression(), TCompressionLevel::clNone);
    EXPECT_EQ(item.Content(), packed) << "while loading the level is only recorded";
}

TEST(Names, DefaultNamesTakeTheSmallestFreeNumber) {
    TEmbeddedStorage storage;
    TStoredItems& items = storage.StoredItems();
    EXPECT_EQ(items.Add().Name(), "StoredItem1");
    EXPECT_EQ(items.Add().Name(), "StoredItem2");
    EXPECT_EQ(items.Add().Name(), "StoredItem3");

    EXPECT_EQ(errorOf([&] { items.Items(1).SetName("storeditem1"); }), "Duplicated stored item name");
    EXPECT_EQ(items.Items(1).Name(), "StoredItem2");

    items.Delete(1);
    EXPECT_EQ(items.Add().Name(), "StoredItem2") << "a freed number is taken again";
    items.Items(0).SetName("STOREDITEM4");
    EXPECT_EQ(items.Add().Name(), "StoredItem1");
    EXPECT_EQ(items.Add().Name(), "StoredItem5") << "numbers in other case count as taken";
}

TEST(Names, RenamingComparesWithoutCase) {
    TEmbeddedStorage storage;
    TStoredItem& first = storage.StoredItems().Add();
    TStoredItem& second = storage.StoredItems().Add();
    first.SetName("db");
    first.SetName("DB");
    EXPECT_EQ(first.Name(), "db") << "a change of case alone is no rename";
    EXPECT_EQ(errorOf([&] { second.SetName("Db"); }), "Duplicated stored item name");
    first.SetName("Őrlap");
    EXPECT_EQ(errorOf([&] { second.SetName("őRLAP"); }), "Duplicated stored item name");
    EXPECT_EQ(second.Name(), "StoredItem2");
    second.SetName("db");
    EXPECT_EQ(second.Name(), "db");
}

TEST(Names, CaseFoldCoversTheCentralEuropeanLetters) {
    const struct {
        const char* a;
        const char* b;
        bool same;
        const char* why;
    } cases[] = {
        {"db", "DB", true, "ASCII"},
        {"árvíztűrő", "ÁRVÍZTŰRŐ", true, "Hungarian accents, double acute included"},
        {"čćłńšźżľŕ", "ČĆŁŃŠŹŻĽŔ", true, "Latin Extended-A letters of other Central European languages"},
        {"ÿ", "Ÿ", true, "the pair split between Latin-1 and Latin Extended-A"},
        {"ß", "SS", false, "no multi-letter folding"},
        {"i", "İ", false, "no Turkish rule"},
        {"ı", "I", false, "no Turkish rule"},
        {"×", "÷", false, "the multiplication sign is no capital"},
        {"ж", "Ж", false, "Cyrillic is outside the folded range"},
        {"a", "ab", false, "prefix"},
        {"", "", true, "empty names"},
        {"\xff", "\xff", true, "invalid UTF-8 equals itself"},
        {"\xc3", "\xe3", false, "a cut sequence is not folded"},
        {"\xc3\x81x", "\xc3\xa1X", true, "valid after valid"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SameStoredItemName(c.a, c.b), c.same) << c.why << ": " << c.a << " / " << c.b;
}

TEST(Lookup, ItemByNameAndItemAt) {
    TEmbeddedStorage storage;
    TStoredItem& a = storage.StoredItems().Add();
    TStoredItem& b = storage.StoredItems().Add();
    b.SetName("db");
    EXPECT_EQ(storage.ItemByName("DB"), &b);
    EXPECT_EQ(storage.ItemByName("storeditem1"), &a);
    EXPECT_EQ(storage.ItemByName("nincs"), nullptr);
    EXPECT_EQ(storage.ItemAt(0), &a);
    EXPECT_EQ(storage.ItemAt(1), &b);
    EXPECT_EQ(storage.ItemAt(2), nullptr);
    EXPECT_EQ(storage.ItemAt(-1), nullptr);
    EXPECT_EQ(b.Index(), 1);
}

TEST(Ratio, TwoDecimalsUnderEitherSeparator) {
    TEmbeddedStorage storage;
    EXPECT_EQ(storage.Version(), "1.1");
    EXPECT_EQ(storage.Ratio(","), "100%") << "an empty storage has OriginalSize 0";

    TStoredItem& item = itemWithContent(storage, Bytes(1661, 0), clDefault, 135548);
    EXPECT_EQ(item.Ratio(","), "1,23%");
    EXPECT_EQ(item.Ratio("."), "1.23%");
    EXPECT_EQ(item.Ratio(), item.Ratio(UserDecimalSeparator()));

    itemWithContent(storage, Bytes(339, 0), clDefault, 64452);
    EXPECT_EQ(storage.Size(), 2000);
    EXPECT_EQ(storage.OriginalSize(), 200000);
    EXPECT_EQ(storage.Ratio(","), "1,00%");
    EXPECT_EQ(storage.Ratio("."), "1.00%");

    const struct {
        std::int32_t size, fileSize;
        const char* expected;
    } rows[] = {
        {2, 3, "66,67%"},      // rounds up
        {1, 8, "12,50%"},      // keeps the trailing zero
        {5, 0, "100%"},        // no file length: no division
        {300, 100, "300,00%"}, // packing can grow a file
    };
    for (const auto& r : rows) {
        TEmbeddedStorage s;
        EXPECT_EQ(
            itemWithContent(s, Bytes(static_cast<std::size_t>(r.size), 0), clDefault, r.fileSize).Ratio(","),
            r.expected);
    }
}

TEST(Persisted, ValueIsLengthThenContentAndReadsBack) {
    TEmbeddedStorage storage;
    TStoredItem& item = storage.StoredItems().Add();
    load(item, bytesOf("some file"));
    const Bytes value = item.StoredItemValue();
    EXPECT_EQ(Bytes(value.begin(), value.begin() + 4), le32(item.Size()));
    EXPECT_EQ(Bytes(value.begin() + 4, value.end()), item.Content());

    std::stringstream stream;
    item.WriteStoredItem(stream);
    stream << "next property";
    TStoredItem& copy = storage.StoredItems().Add();
    copy.ReadStoredItem(stream);
    EXPECT_EQ(copy.Content(), item.Content());
    std::string rest;
    std::getline(stream, rest);
    EXPECT_EQ(rest, "next property") << "reading stops after L bytes";
}

TEST(Persisted, DamagedValuesFailCleanlyAndKeepTheContent) {
    const struct {
        Bytes value;
        const char* message;
        const char* why;
    } rows[] = {
        {{}, "Stream read error", "no length"},
        {{5, 0, 0}, "Stream read error", "cut length"},
        {concat(le32(5), bytesOf("abc")), "Stream read error", "shorter than announced"},
        {concat(le32(-1), bytesOf("abc")), "error", "negative length"},
        {concat(le32(0x7FFFFFFF), bytesOf("abc")), "Stream read error", "huge length, nothing behind it"},
    };
    for (const auto& r : rows) {
        TEmbeddedStorage storage;
        TStoredItem& item = storage.StoredItems().Add();
        load(item, bytesOf("kept"));
        const Bytes before = item.Content();
        std::stringstream stream(std::string(r.value.begin(), r.value.end()));
        EXPECT_EQ(errorOf([&] { item.ReadStoredItem(stream); }), r.message) << r.why << " (stream)";
        EXPECT_EQ(errorOf([&] { item.ReadStoredItem(r.value); }), r.message) << r.why << " (memory)";
        EXPECT_EQ(item.Content(), before) << r.why;
    }
    TEmbeddedStorage storage;
    TStoredItem& item = storage.StoredItems().Add();
    EXPECT_EQ(errorOf([&] { item.ReadStoredItem(concat(le32(1), bytesOf("ab"))); }), "error")
        << "a value held in memory must end where its length says";
}

// The brief's promise for damaged input: every cut and every flipped bit either gives the file back
// exactly or fails with one of the storage's messages; none crashes, hangs or gives other bytes.
TEST(Damage, EveryTruncationAndEveryFlippedBitFailsCleanly) {
    const Bytes file = bytesOf("Jegyzetek: bevásárlás, tej, kenyér, tojás, 12 db; 1234567890 1234567890");
    const auto acceptable = [](const std::string& m) { return m == "error" || m == "Stream read error"; };
    for (TCompressionLevel level : kZlibLevels) {
        TEmbeddedStorage source;
        TStoredItem& original = source.StoredItems().Add();
        original.SetCompression(level);
        load(original, file);
        const Bytes value = original.StoredItemValue();
        const Bytes& form = original.Content();

        for (std::size_t cut = 0; cut < value.size(); ++cut) {
            TEmbeddedStorage storage;
            TStoredItem& item = storage.StoredItems().Add();
            const Bytes shortValue(value.begin(), value.begin() + static_cast<std::ptrdiff_t>(cut));
            EXPECT_EQ(errorOf([&] { item.ReadStoredItem(shortValue); }), "Stream read error")
                << "cut " << cut;
        }
        for (std::size_t cut = 1; cut < form.size(); ++cut) {
            TEmbeddedStorage storage;
            TStoredItem& item = itemWithContent(
                storage, Bytes(form.begin(), form.begin() + static_cast<std::ptrdiff_t>(cut)), level);
            const std::string m = errorOf([&] { saved(item); });
            EXPECT_TRUE(acceptable(m)) << "stored form cut at " << cut << " gave \"" << m << "\"";
        }
        for (std::size_t at = 0; at < value.size(); ++at) {
            for (int bit = 0; bit < 8; ++bit) {
                Bytes flipped = value;
                flipped[at] ^= static_cast<unsigned char>(1 << bit);
                TEmbeddedStorage storage;
                TStoredItem& item = storage.StoredItems().Add();
                item.SetCompression(level);
                Bytes out;
                const std::string m = errorOf([&] {
                    item.ReadStoredItem(flipped);
                    out = saved(item);
                });
                if (m.empty()) {
                    EXPECT_EQ(out, file) << "byte " << at << " bit " << bit << " gave other bytes";
                } else {
                    EXPECT_TRUE(acceptable(m)) << "byte " << at << " bit " << bit << " gave \"" << m << "\"";
                }
            }
        }
    }
}

TEST(Damage, AnnouncedLengthMustMatchWhatInflates) {
    const struct {
        Bytes inflated;
        Bytes trailer; // appended after the zlib stream
        const char* message;
        const char* why;
    } rows[] = {
        {concat(le32(10), Bytes(1 << 20, 'z')), {}, "error", "more data than announced: stops at the bound"},
        {concat(le32(0x7FFFFFFF), bytesOf("tiny")), {}, "Stream read error", "huge announcement, tiny data"},
        {concat(le32(-5), bytesOf("abc")), {}, "error", "negative length"},
        {{1, 0}, {}, "Stream read error", "stream ends inside the length"},
        {concat(le32(3), bytesOf("abc")), {0}, "error", "a byte after the stream's end"},
        {concat(le32(3), bytesOf("abc")), zlibOf(bytesOf("x")), "error", "a second stream after the first"},
        {concat(le32(0), bytesOf("a")), {}, "error", "length 0 but data follows"},
    };
    for (const auto& r : rows) {
        TEmbeddedStorage storage;
        TStoredItem& item = itemWithContent(storage, concat(zlibOf(r.inflated), r.trailer), clDefault);
        EXPECT_EQ(errorOf([&] { saved(item); }), r.message) << r.why;
    }
    TEmbeddedStorage storage;
    EXPECT_TRUE(saved(itemWithContent(storage, zlibOf(le32(0)), clDefault)).empty()) << "a zero-length file";
}

TEST_F(TempDir, SaveToFileReportsEveryFailure) {
    TEmbeddedStorage storage;
    TStoredItem& damaged = itemWithContent(storage, {0x78, 0x9C, 0x01, 0x02}, clDefault);
    const fs::path out = dir / "pinlet.db";
    EXPECT_NE(errorOf([&] { damaged.SaveToFile(out.string()); }), "");
    EXPECT_TRUE(fs::exists(out)) << "the file stays created";
    EXPECT_EQ(fs::file_size(out), 0u) << "nothing unchecked reaches it";

    TStoredItem& good = storage.StoredItems().Add();
    load(good, bytesOf("data"));
    // The system's own wording follows the path; on POSIX systems it is strerror's.
#ifdef _WIN32
    const std::string reason = "";
#else
    const std::string reason = std::generic_category().message(ENOENT);
#endif
    const auto expectCannotCreate = [&](const std::string& given, const fs::path& full) {
        const std::string m = errorOf([&] { good.SaveToFile(given); });
        const std::string prefix = "Cannot create file \"" + full.string() + "\". ";
        EXPECT_EQ(m.substr(0, prefix.size()), prefix) << given;
        EXPECT_GT(m.size(), prefix.size()) << "with the system's description";
        if (!reason.empty()) {
            EXPECT_EQ(m, prefix + reason);
        }
    };
    const fs::path missing = dir / "no-such-folder" / "pinlet.db";
    expectCannotCreate(missing.string(), missing);
    EXPECT_FALSE(fs::exists(missing.parent_path()));

    const fs::path old = fs::current_path();
    fs::current_path(dir);
    expectCannotCreate("nincs/x.db", fs::absolute("nincs/x.db")); // the message names the full path
    fs::current_path(old);

#ifndef _WIN32
    if (fs::exists("/dev/full")) {
        EXPECT_EQ(errorOf([&] { good.SaveToFile("/dev/full"); }), "Stream write error") << "a full disk";
    }
#endif
}

TEST(Streams, ATargetThatRefusesBytesIsReported) {
    TEmbeddedStorage storage;
    TStoredItem& item = storage.StoredItems().Add();
    load(item, bytesOf("data"));
    std::ostringstream broken;
    broken.setstate(std::ios::badbit);
    EXPECT_EQ(errorOf([&] { item.SaveToStream(broken); }), "Stream write error");
}

TEST(Hooks, FireInOrderWithTheStreamConcerned) {
    TEmbeddedStorage storage;
    std::vector<std::string> log;
    storage.BeginLoading();
    TStoredItem& item = storage.StoredItems().Add();
    item.OnCreate = [&](TStoredItem& i) { log.push_back("create " + i.Name()); };
    log.push_back("added");
    storage.EndLoading();

    item.OnBeforeLoad = [&](TStoredItem&, std::istream& s) {
        log.push_back("beforeload at " + std::to_string(s.tellg()));
    };
    item.OnAfterLoad = [&](TStoredItem& i) { log.push_back("afterload " + std::to_string(i.FileSize())); };
    item.OnBeforeSave = [&](TStoredItem&, std::ostream&) { log.push_back("beforesave"); };
    item.OnAfterSave = [&](TStoredItem&) { log.push_back("aftersave"); };
    item.OnDestroy = [&](TStoredItem& i) { log.push_back("destroy " + i.Name()); };

    std::stringstream source("abc");
    source.seekg(2);
    item.LoadFromStream(source);
    load(item, {}); // an empty source fires nothing
    load(item, bytesOf("abc"));
    saved(item);
    item.SetCompression(TCompressionLevel::clNone); // repacking goes through save and load
    storage.StoredItems().Delete(0);

    const std::vector<std::string> expected = {
        "added",           "create StoredItem1", "beforeload at 0",     "afterload 3", "beforeload at 0",
        "afterload 3",     "beforesave",         "aftersave",           "beforesave",  "aftersave",
        "beforeload at 0", "afterload 3",        "destroy StoredItem1",
    };
    EXPECT_EQ(log, expected);
}

TEST(Hooks, DestroyingTheStorageDestroysEveryItemOneByOne) {
    std::vector<std::string> log;
    {
        TEmbeddedStorage storage;
        for (int k = 0; k < 3; ++k) {
            storage.StoredItems().Add().OnDestroy = [&](TStoredItem& i) {
                log.push_back(i.Name() + " of " + std::to_string(i.Collection().Count()));
            };
        }
    }
    const std::vector<std::string> expected = {"StoredItem3 of 2", "StoredItem2 of 1", "StoredItem1 of 0"};
    EXPECT_EQ(log, expected) << "each hook sees the collection without its item";
}

TEST(StoredData, AddFromStoredDataBuildsTheItemOrNothing) {
    TEmbeddedStorage source;
    TStoredItem& packed = source.StoredItems().Add();
    load(packed, bytesOf("template bytes"));
    const Bytes value = packed.StoredItemValue();

    TEmbeddedStorage storage;
    TStoredItemData data;
    data.Name = "db";
    data.FileName = "pinlet.db";
    data.Tag = 7;
    data.Compression = clDefault;
    data.FileSize = packed.FileSize();
    data.StoredItem = value;
    TStoredItem& item = storage.StoredItems().AddFromStoredData(data);
    EXPECT_FALSE(storage.Loading());
    EXPECT_EQ(item.Name(), "db");
    EXPECT_EQ(item.FileName(), "pinlet.db");
    EXPECT_EQ(item.Tag(), 7);
    EXPECT_EQ(item.FileSize(), 14);
    EXPECT_EQ(saved(item), bytesOf("template bytes"));

    EXPECT_EQ(errorOf([&] { storage.StoredItems().AddFromStoredData(data); }), "Duplicated stored item name");
    EXPECT_EQ(storage.StoredItems().Count(), 1) << "the half-built item is gone";
    EXPECT_FALSE(storage.Loading());
    data.Name = "db2";
    data.StoredItem = std::span(value).first(5);
    EXPECT_EQ(errorOf([&] { storage.StoredItems().AddFromStoredData(data); }), "Stream read error");
    EXPECT_EQ(storage.StoredItems().Count(), 1);
}

} // namespace
