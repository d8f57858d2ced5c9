#pragma once
// The embedded file store: whole files carried inside the program as named items, each kept packed in
// memory and written back out to a file on request. The program carries one item, the empty template
// database "db"; tools/packitem packs it at build time (see cmake/PinletEmbed.cmake).
//
// Failures are TEmbeddedStorageError exceptions whose what() is exactly one of:
//   "Duplicated stored item name"     a rename to a name another item of the collection has
//   "error"                           damaged packed content, a zlib failure, a damaged persisted value
//   "Stream read error"               content or a persisted value that ends before its announced length,
//                                     or a source stream that fails while being read
//   "Stream write error"              a target stream (or file) that does not take every byte
//   "Stream too large"                a file beyond the 32-bit signed sizes the stored form can describe
//   "Cannot create file "<full path>". <system description>"   SaveToFile on a path that cannot be created
// Every operation that fails leaves the item as it was.

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

class TEmbeddedStorage;
class TStoredItems;
class TStoredItem;

class TEmbeddedStorageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// How an item's content is packed. Every level but clNone stores one zlib stream (RFC 1950) whose
// inflated data is the file length N (4 bytes, signed, little-endian) followed by the file's N bytes;
// clNone stores the file's bytes as they are.
//
// Scoped, because the drawing layer's colour "none" is also called clNone and the windows see both; the
// other levels keep their short names below.
enum class TCompressionLevel {
    clNone,    // raw, no zlib, no length prefix
    clFastest, // zlib level 1
    clDefault, // zlib's default level (-1)
    clMax,     // zlib level 9
};
inline constexpr TCompressionLevel clFastest = TCompressionLevel::clFastest;
inline constexpr TCompressionLevel clDefault = TCompressionLevel::clDefault;
inline constexpr TCompressionLevel clMax = TCompressionLevel::clMax;

// The zlib level a compression level selects; clNone has none and gives 0.
int zlibLevel(TCompressionLevel level);

// The decimal separator of the user's locale (Windows: the user's regional setting; elsewhere the
// LC_NUMERIC of the environment), "." when it cannot be had. Ratio() without an argument uses it.
std::string UserDecimalSeparator();

// True when the two names are equal without regard to case. Letters fold in ASCII, Latin-1 Supplement
// and Latin Extended-A (every letter of the Central European 8-bit code page the program's text comes
// from: á/Á, ő/Ő, ű/Ű, č/Č, ł/Ł, ÿ/Ÿ ...); every other character, and bytes that are not valid UTF-8,
// compare exactly. The fold is the same under every locale (no Turkish dotted/dotless i rule).
bool SameStoredItemName(std::string_view a, std::string_view b);

using TStoredItemNotify = std::function<void(TStoredItem& item)>;
using TStoredItemLoadNotify = std::function<void(TStoredItem& item, std::istream& source)>;
using TStoredItemSaveNotify = std::function<void(TStoredItem& item, std::ostream& target)>;

// One file carried by the storage. Created only by TStoredItems::Add and owned by its collection.
class TStoredItem {
public:
    ~TStoredItem(); // fires OnDestroy, which must not throw
    TStoredItem(const TStoredItem&) = delete;
    TStoredItem& operator=(const TStoredItem&) = delete;

    TStoredItems& Collection() const { return *collection_; }
    int Index() const; // position in the collection

    // Free value for the user of the item.
    std::int32_t Tag() const { return tag_; }
    void SetTag(std::int32_t tag) { tag_ = tag; }

    // The item's key, unique in its collection without regard to case (SameStoredItemName). Setting a
    // name equal to the current one without regard to case changes nothing (the old spelling stays);
    // a name another item has fails with "Duplicated stored item name" and the name stays.
    const std::string& Name() const { return name_; }
    void SetName(const std::string& name);

    // The file the content came from, and its length before packing. Both take assignments only while
    // the storage is loading; afterwards an assignment is ignored and only loading content sets FileSize.
    const std::string& FileName() const { return fileName_; }
    void SetFileName(const std::string& fileName);
    std::int32_t FileSize() const { return fileSize_; }
    void SetFileSize(std::int32_t fileSize);

    // While the storage is loading the level is only recorded. Otherwise a different level repacks the
    // content: unpack, record, pack again. A failure leaves level and content as they were.
    TCompressionLevel Compression() const { return compression_; }
    void SetCompression(TCompressionLevel level);

    // The length of the packed content (the stored form).
    std::int32_t Size() const { return static_cast<std::int32_t>(content_.size()); }
    const std::vector<unsigned char>& Content() const { return content_; }

    // Size / FileSize * 100 with two decimals, the given decimal separator and "%"; "100%" when FileSize
    // is 0. Without an argument the user's decimal separator is used.
    std::string Ratio() const;
    std::string Ratio(std::string_view decimalSeparator) const;

    // Writes the file's bytes (the content unpacked) at the target's current position. Packed content is
    // fully inflated and checked (zlib stream end reached, all input used, inflated length equal to the
    // announced one, never more than announced) before the first byte reaches the target, so damaged
    // content writes nothing and throws "error" or "Stream read error".
    void SaveToStream(std::ostream& target);

    // Creates (or truncates) the file at the UTF-8 path and writes the file's bytes into it. A path that
    // cannot be created fails with "Cannot create file ..." and nothing is written. When unpacking or
    // writing fails, the file stays created (empty or short) and the failure is thrown; callers that must
    // never leave a partial file write to a temporary name and rename.
    void SaveToFile(const std::string& path);

    // Replaces the content with the source's whole data (read from its start) packed at the item's level,
    // and sets FileSize to its length. An empty source leaves no content and FileSize 0 and fires no hook.
    // A source that cannot be rewound or read fails with "Stream read error".
    void LoadFromStream(std::istream& source);

    // The persisted "StoredItem" value: the content's length L (4 bytes, signed, little-endian) followed by
    // the content. It is persisted only when L > 0.
    bool HasStoredItem() const { return !content_.empty(); }
    std::vector<unsigned char> StoredItemValue() const;
    void WriteStoredItem(std::ostream& target) const;
    // Reads L and the next L bytes from the stream. Fails with "Stream read error" when fewer follow and
    // with "error" on a negative L; never allocates more than what was actually read.
    void ReadStoredItem(std::istream& source);
    // Reads a whole persisted value held in memory, which must be exactly 4 + L bytes long ("Stream read
    // error" when shorter, "error" when longer or when L is negative).
    void ReadStoredItem(std::span<const unsigned char> value);

    // Notification hooks; the program sets none. OnCreate fires when the storage leaves the loading state
    // in which the item was added (no hook can be set before Add returns outside loading). OnDestroy
    // fires when the item is destroyed. The load hooks fire only for a non-empty source.
    TStoredItemNotify OnCreate;
    TStoredItemNotify OnDestroy;
    TStoredItemLoadNotify OnBeforeLoad;
    TStoredItemNotify OnAfterLoad;
    TStoredItemSaveNotify OnBeforeSave;
    TStoredItemNotify OnAfterSave;

private:
    friend class TStoredItems;
    friend class TEmbeddedStorage;
    explicit TStoredItem(TStoredItems& collection);

    // The file's bytes, inflated and checked; see SaveToStream.
    std::vector<unsigned char> Unpacked() const;
    // The content for the given file bytes at the given level.
    static std::vector<unsigned char> Packed(const std::vector<unsigned char>& file, TCompressionLevel level);

    TStoredItems* collection_;
    std::int32_t tag_ = 0;
    std::string name_;
    std::string fileName_;
    std::int32_t fileSize_ = 0;
    TCompressionLevel compression_ = clDefault;
    std::vector<unsigned char> content_;
    bool addedWhileLoading_ = false;
};

// An item as it stands in stored data: what a build-time generated loader hands to AddFromStoredData.
struct TStoredItemData {
    std::string Name;
    std::string FileName;
    std::int32_t Tag = 0;
    TCompressionLevel Compression = clDefault;
    std::int32_t FileSize = 0;
    std::span<const unsigned char> StoredItem; // the whole persisted value (empty: no content)
};

// The storage's items, in order. Items keep their address for their whole life.
class TStoredItems {
public:
    explicit TStoredItems(TEmbeddedStorage& storage) : storage_(storage) {}
    ~TStoredItems() { Clear(); } // one by one, so each OnDestroy sees a consistent collection
    TStoredItems(const TStoredItems&) = delete;
    TStoredItems& operator=(const TStoredItems&) = delete;

    TEmbeddedStorage& Storage() const { return storage_; }
    int Count() const { return static_cast<int>(items_.size()); }
    TStoredItem& Items(int index) const { return *items_.at(static_cast<std::size_t>(index)); }

    // Appends an item named "StoredItem" + the smallest number from 1 upward that no other item uses.
    TStoredItem& Add();

    // Appends an item exactly as if the storage had been loaded from stored data: loading state on, item
    // added, Name, FileName, Tag, Compression, FileSize set, the persisted value read, loading state off.
    // On any failure the item is removed again and the failure thrown.
    TStoredItem& AddFromStoredData(const TStoredItemData& data);

    void Delete(int index); // throws std::out_of_range for a bad index
    void Clear();

private:
    friend class TStoredItem;
    friend class TEmbeddedStorage;

    TEmbeddedStorage& storage_;
    std::vector<std::unique_ptr<TStoredItem>> items_;
};

// The storage component. Not copyable: items point back at their collection.
class TEmbeddedStorage {
public:
    TEmbeddedStorage() : items_(*this) {}
    TEmbeddedStorage(const TEmbeddedStorage&) = delete;
    TEmbeddedStorage& operator=(const TEmbeddedStorage&) = delete;

    TStoredItems& StoredItems() { return items_; }
    const TStoredItems& StoredItems() const { return items_; }

    // The format version, "1.1".
    std::string Version() const;
    // Sums over the items of Size and FileSize (saturated to the 32-bit range), and their Ratio.
    std::int32_t Size() const;
    std::int32_t OriginalSize() const;
    std::string Ratio() const;
    std::string Ratio(std::string_view decimalSeparator) const;

    // The item at the position, or nullptr past either end.
    TStoredItem* ItemAt(int index) const;
    // The first item whose Name equals the name without regard to case (SameStoredItemName), or nullptr.
    TStoredItem* ItemByName(std::string_view name) const;

    // The loading state, in which the storage is being built from stored data. Nests; OnCreate of the
    // items added during it fires when the outermost state ends.
    // Every BeginLoading needs its EndLoading, also when loading fails.
    void BeginLoading() { ++loading_; }
    void EndLoading();
    bool Loading() const { return loading_ > 0; }

private:
    TStoredItems items_;
    int loading_ = 0;
};
