#include "store/EmbeddedStorage.h"

#include "store/FileMessages.h"

#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <istream>
#include <limits>
#include <ostream>
#include <sstream>
#include <system_error>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#else
#include <langinfo.h>
#include <locale.h>
#endif

namespace {

constexpr int kVersion = 0x0101; // major in the high byte, minor in the low byte
constexpr std::int64_t kMaxLength = std::numeric_limits<std::int32_t>::max();
constexpr std::size_t kChunk = 64 * 1024;

[[noreturn]] void fail(const std::string& message) {
    throw TEmbeddedStorageError(message);
}

void putLength(unsigned char* out, std::int32_t value) {
    const auto u = static_cast<std::uint32_t>(value);
    out[0] = static_cast<unsigned char>(u);
    out[1] = static_cast<unsigned char>(u >> 8);
    out[2] = static_cast<unsigned char>(u >> 16);
    out[3] = static_cast<unsigned char>(u >> 24);
}

std::int32_t getLength(const unsigned char* in) {
    const std::uint32_t u = std::uint32_t{in[0]} | std::uint32_t{in[1]} << 8 | std::uint32_t{in[2]} << 16 |
                            std::uint32_t{in[3]} << 24;
    return static_cast<std::int32_t>(u);
}

std::int32_t saturate(std::int64_t value) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, std::numeric_limits<std::int32_t>::min(),
                                                              std::numeric_limits<std::int32_t>::max()));
}

std::string formatRatio(std::int64_t size, std::int64_t fileSize, std::string_view separator) {
    if (fileSize == 0)
        return "100%";
    const double ratio = static_cast<double>(size) / static_cast<double>(fileSize) * 100.0;
    char buffer[64];
    // to_chars, unlike printf, never takes the separator from the C locale, so the result depends only
    // on the separator asked for.
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, ratio, std::chars_format::fixed, 2);
    std::string text(buffer, result.ec == std::errc() ? result.ptr : buffer);
    const std::size_t dot = text.find('.');
    if (dot != std::string::npos)
        text.replace(dot, 1, separator);
    return text + "%";
}

// One code point from UTF-8 text. A byte that does not start a valid sequence comes back as a value
// above the Unicode range, so it equals only the same byte.
char32_t nextCodePoint(std::string_view s, std::size_t& i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char lead = byte(i);
    const char32_t invalid = 0x110000 + lead;
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF; // allowed range of the second byte
    if (lead < 0x80) {
        ++i;
        return lead;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            low = 0xA0; // overlong
        if (lead == 0xED)
            high = 0x9F; // surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            low = 0x90;
        if (lead == 0xF4)
            high = 0x8F;
    } else {
        ++i;
        return invalid;
    }
    if (i + length > s.size() || byte(i + 1) < low || byte(i + 1) > high) {
        ++i;
        return invalid;
    }
    char32_t cp = lead & (0xFF >> (length + 1));
    for (std::size_t k = 1; k < length; ++k) {
        const unsigned char c = byte(i + k);
        if ((c & 0xC0) != 0x80) {
            ++i;
            return invalid;
        }
        cp = cp << 6 | (c & 0x3F);
    }
    i += length;
    return cp;
}

char32_t foldCase(char32_t c) {
    if (c >= 'A' && c <= 'Z')
        return c + 0x20;
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7)
        return c + 0x20;
    // Latin Extended-A pairs capital and small letter, the capital first, except where the run shifts
    // by one after U+0138 and U+0178. U+0130 and U+0131 (Turkish i) have no simple pair and stay.
    if (c >= 0x100 && c <= 0x137)
        return (c % 2 == 0 && c != 0x130) ? c + 1 : c;
    if (c >= 0x139 && c <= 0x148)
        return c % 2 == 1 ? c + 1 : c;
    if (c >= 0x14A && c <= 0x177)
        return c % 2 == 0 ? c + 1 : c;
    if (c == 0x178)
        return 0xFF;
    if (c >= 0x179 && c <= 0x17E)
        return c % 2 == 1 ? c + 1 : c;
    return c;
}

struct Deflater {
    z_stream zs{};
    bool open = false;
    ~Deflater() {
        if (open)
            deflateEnd(&zs);
    }
};

struct Inflater {
    z_stream zs{};
    bool open = false;
    ~Inflater() {
        if (open)
            inflateEnd(&zs);
    }
};

// An output stream buffer over a C file, so that SaveToFile can hand the hooks a std::ostream while
// keeping the error reporting of the C library (errno on open, fclose's verdict on the last bytes).
class FileWriteBuf : public std::streambuf {
public:
    explicit FileWriteBuf(std::FILE* file) : file_(file) {}

protected:
    int_type overflow(int_type ch) override {
        if (traits_type::eq_int_type(ch, traits_type::eof()))
            return traits_type::not_eof(ch);
        const char c = traits_type::to_char_type(ch);
        return std::fwrite(&c, 1, 1, file_) == 1 ? ch : traits_type::eof();
    }
    std::streamsize xsputn(const char* s, std::streamsize n) override {
        return static_cast<std::streamsize>(std::fwrite(s, 1, static_cast<std::size_t>(n), file_));
    }
    int sync() override { return std::fflush(file_) == 0 ? 0 : -1; }

private:
    std::FILE* file_;
};

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

} // namespace

int zlibLevel(TCompressionLevel level) {
    switch (level) {
    case TCompressionLevel::clNone:
        return 0;
    case clFastest:
        return 1;
    case clDefault:
        return Z_DEFAULT_COMPRESSION;
    case clMax:
        return 9;
    }
    fail("error");
}

std::string UserDecimalSeparator() {
#ifdef _WIN32
    wchar_t wide[8];
    const int n = GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, wide, 8);
    if (n <= 1)
        return ".";
    char narrow[32];
    const int m = WideCharToMultiByte(CP_UTF8, 0, wide, n - 1, narrow, sizeof narrow, nullptr, nullptr);
    return m > 0 ? std::string(narrow, static_cast<std::size_t>(m)) : ".";
#else
    // A locale object of its own, so the answer does not depend on whether anyone called setlocale.
    locale_t locale = newlocale(LC_NUMERIC_MASK, "", static_cast<locale_t>(0));
    if (locale == static_cast<locale_t>(0))
        return ".";
    const char* radix = nl_langinfo_l(RADIXCHAR, locale);
    std::string separator = (radix != nullptr && *radix != '\0') ? radix : ".";
    freelocale(locale);
    return separator;
#endif
}

bool SameStoredItemName(std::string_view a, std::string_view b) {
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (foldCase(nextCodePoint(a, i)) != foldCase(nextCodePoint(b, j)))
            return false;
    }
    return i == a.size() && j == b.size();
}

// ---- TStoredItem

TStoredItem::TStoredItem(TStoredItems& collection) : collection_(&collection) {}

TStoredItem::~TStoredItem() {
    if (OnDestroy)
        OnDestroy(*this);
}

int TStoredItem::Index() const {
    const auto& items = collection_->items_;
    for (std::size_t k = 0; k < items.size(); ++k) {
        if (items[k].get() == this)
            return static_cast<int>(k);
    }
    return -1;
}

void TStoredItem::SetName(const std::string& name) {
    if (SameStoredItemName(name, name_))
        return;
    for (const auto& other : collection_->items_) {
        if (other.get() != this && SameStoredItemName(other->name_, name))
            fail("Duplicated stored item name");
    }
    name_ = name;
}

void TStoredItem::SetFileName(const std::string& fileName) {
    if (collection_->storage_.Loading())
        fileName_ = fileName;
}

void TStoredItem::SetFileSize(std::int32_t fileSize) {
    if (collection_->storage_.Loading())
        fileSize_ = fileSize;
}

void TStoredItem::SetCompression(TCompressionLevel level) {
    zlibLevel(level); // rejects a value outside the enumeration before anything changes
    if (collection_->storage_.Loading()) {
        compression_ = level;
        return;
    }
    if (level == compression_)
        return;
    std::stringstream buffer;
    SaveToStream(buffer);
    const TCompressionLevel old = compression_;
    compression_ = level;
    try {
        LoadFromStream(buffer);
    } catch (...) {
        compression_ = old;
        throw;
    }
}

std::string TStoredItem::Ratio() const {
    return Ratio(UserDecimalSeparator());
}

std::string TStoredItem::Ratio(std::string_view decimalSeparator) const {
    return formatRatio(Size(), fileSize_, decimalSeparator);
}

std::vector<unsigned char> TStoredItem::Packed(const std::vector<unsigned char>& file,
                                               TCompressionLevel level) {
    if (level == TCompressionLevel::clNone)
        return file;
    unsigned char header[4];
    putLength(header, static_cast<std::int32_t>(file.size()));

    Deflater d;
    if (deflateInit(&d.zs, zlibLevel(level)) != Z_OK)
        fail("error");
    d.open = true;
    std::vector<unsigned char> out(deflateBound(&d.zs, static_cast<uLong>(file.size() + 4)));
    d.zs.next_out = out.data();
    d.zs.avail_out = static_cast<uInt>(out.size());

    const auto feed = [&](const unsigned char* data, std::size_t size, int flush) {
        d.zs.next_in = const_cast<Bytef*>(data); // zlib's API is not const-correct; it never writes input
        d.zs.avail_in = static_cast<uInt>(size);
        for (;;) {
            if (d.zs.avail_out == 0) {
                const std::size_t used = out.size();
                out.resize(used * 2 + 64);
                d.zs.next_out = out.data() + used;
                d.zs.avail_out = static_cast<uInt>(out.size() - used);
            }
            const int result = deflate(&d.zs, flush);
            if (result == Z_STREAM_END)
                return;
            if (result != Z_OK && result != Z_BUF_ERROR)
                fail("error");
            if (flush == Z_NO_FLUSH && d.zs.avail_in == 0)
                return;
        }
    };
    feed(header, sizeof header, Z_NO_FLUSH);
    feed(file.data(), file.size(), Z_FINISH);
    out.resize(d.zs.total_out);
    if (static_cast<std::int64_t>(out.size()) > kMaxLength)
        fail("Stream too large");
    return out;
}

std::vector<unsigned char> TStoredItem::Unpacked() const {
    if (compression_ == TCompressionLevel::clNone || content_.empty())
        return content_;

    Inflater z;
    if (inflateInit(&z.zs) != Z_OK)
        fail("error");
    z.open = true;
    z.zs.next_in = const_cast<Bytef*>(content_.data());
    z.zs.avail_in = static_cast<uInt>(content_.size());

    unsigned char header[4];
    std::size_t headerBytes = 0;
    std::size_t announced = 0;
    std::vector<unsigned char> file;
    std::vector<unsigned char> chunk(kChunk);
    // Every round either uses input or yields output; output past the announced length fails at once,
    // so the loop ends for any content, and memory never exceeds what the stream really holds.
    for (;;) {
        z.zs.next_out = chunk.data();
        z.zs.avail_out = static_cast<uInt>(chunk.size());
        const int result = inflate(&z.zs, Z_NO_FLUSH);
        if (result != Z_OK && result != Z_STREAM_END && result != Z_BUF_ERROR)
            fail("error");
        const unsigned char* out = chunk.data();
        std::size_t produced = chunk.size() - z.zs.avail_out;
        while (produced > 0 && headerBytes < 4) {
            header[headerBytes++] = *out++;
            --produced;
            if (headerBytes == 4) {
                const std::int32_t length = getLength(header);
                if (length < 0)
                    fail("error");
                announced = static_cast<std::size_t>(length);
            }
        }
        if (produced > 0) {
            if (produced > announced - file.size())
                fail("error"); // more data than the stream announced
            file.insert(file.end(), out, out + produced);
        }
        if (result == Z_STREAM_END)
            break;
        if (result == Z_BUF_ERROR)
            fail("Stream read error"); // the input ran out before the stream's end
    }
    if (z.zs.avail_in != 0)
        fail("error"); // bytes after the stream's end
    if (headerBytes < 4 || file.size() < announced)
        fail("Stream read error");
    return file;
}

void TStoredItem::SaveToStream(std::ostream& target) {
    if (OnBeforeSave)
        OnBeforeSave(*this, target);
    const std::vector<unsigned char> file = Unpacked();
    if (!file.empty()) {
        target.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
        if (!target)
            fail("Stream write error");
    }
    if (OnAfterSave)
        OnAfterSave(*this);
}

void TStoredItem::SaveToFile(const std::string& path) {
    namespace fs = std::filesystem;
    const fs::path given(std::u8string(path.begin(), path.end()));
    std::error_code ec;
    fs::path full = fs::absolute(given, ec);
    if (ec)
        full = given;
#ifdef _WIN32
    SetLastError(0);
    std::unique_ptr<std::FILE, FileCloser> file(_wfopen(full.c_str(), L"wb"));
    const std::string reason = file ? "" : windowserrortext(GetLastError());
#else
    errno = 0;
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(full.c_str(), "wb"));
    const std::string reason = file ? "" : std::generic_category().message(errno);
#endif
    if (!file)
        fail(cannotcreatefilemessage(path, reason));
    FileWriteBuf buffer(file.get());
    std::ostream out(&buffer);
    SaveToStream(out);
    out.flush();
    if (!out || std::fclose(file.release()) != 0)
        fail("Stream write error");
}

void TStoredItem::LoadFromStream(std::istream& source) {
    source.clear();
    if (!source.seekg(0))
        fail("Stream read error");
    std::vector<unsigned char> file;
    std::vector<char> chunk(kChunk);
    while (source) {
        source.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
        const auto got = static_cast<std::size_t>(source.gcount());
        if (static_cast<std::int64_t>(file.size() + got) > kMaxLength)
            fail("Stream too large");
        file.insert(file.end(), chunk.data(), chunk.data() + got);
    }
    if (source.bad())
        fail("Stream read error");
    source.clear();
    source.seekg(0);
    if (file.empty()) {
        content_.clear();
        fileSize_ = 0; // the file now held is empty; a stale length would make Ratio lie
        return;
    }
    if (OnBeforeLoad)
        OnBeforeLoad(*this, source);
    std::vector<unsigned char> packed = Packed(file, compression_);
    content_ = std::move(packed);
    fileSize_ = static_cast<std::int32_t>(file.size());
    if (OnAfterLoad)
        OnAfterLoad(*this);
}

std::vector<unsigned char> TStoredItem::StoredItemValue() const {
    std::vector<unsigned char> value(4 + content_.size());
    putLength(value.data(), Size());
    std::copy(content_.begin(), content_.end(), value.begin() + 4);
    return value;
}

void TStoredItem::WriteStoredItem(std::ostream& target) const {
    const std::vector<unsigned char> value = StoredItemValue();
    target.write(reinterpret_cast<const char*>(value.data()), static_cast<std::streamsize>(value.size()));
    if (!target)
        fail("Stream write error");
}

void TStoredItem::ReadStoredItem(std::istream& source) {
    unsigned char header[4];
    source.read(reinterpret_cast<char*>(header), 4);
    if (source.gcount() != 4)
        fail("Stream read error");
    const std::int32_t length = getLength(header);
    if (length < 0)
        fail("error");
    // Grown as bytes arrive, so a damaged length cannot make us allocate gigabytes up front.
    std::vector<unsigned char> content;
    while (content.size() < static_cast<std::size_t>(length)) {
        const std::size_t want = std::min(kChunk, static_cast<std::size_t>(length) - content.size());
        const std::size_t old = content.size();
        content.resize(old + want);
        source.read(reinterpret_cast<char*>(content.data() + old), static_cast<std::streamsize>(want));
        if (static_cast<std::size_t>(source.gcount()) != want)
            fail("Stream read error");
    }
    content_ = std::move(content);
}

void TStoredItem::ReadStoredItem(std::span<const unsigned char> value) {
    if (value.size() < 4)
        fail("Stream read error");
    const std::int32_t length = getLength(value.data());
    if (length < 0)
        fail("error");
    if (value.size() - 4 < static_cast<std::size_t>(length))
        fail("Stream read error");
    if (value.size() - 4 > static_cast<std::size_t>(length))
        fail("error");
    content_.assign(value.begin() + 4, value.end());
}

// ---- TStoredItems

TStoredItem& TStoredItems::Add() {
    std::unique_ptr<TStoredItem> item(new TStoredItem(*this));
    // At most Count() numbers are taken, so this ends by Count() + 1.
    for (int number = 1;; ++number) {
        const std::string candidate = "StoredItem" + std::to_string(number);
        const bool taken = std::any_of(items_.begin(), items_.end(), [&](const auto& other) {
            return SameStoredItemName(other->name_, candidate);
        });
        if (!taken) {
            item->name_ = candidate;
            break;
        }
    }
    item->addedWhileLoading_ = storage_.Loading();
    items_.push_back(std::move(item));
    return *items_.back();
}

TStoredItem& TStoredItems::AddFromStoredData(const TStoredItemData& data) {
    storage_.BeginLoading();
    TStoredItem* item = nullptr;
    try {
        item = &Add();
        item->SetName(data.Name);
        item->SetFileName(data.FileName);
        item->SetTag(data.Tag);
        item->SetCompression(data.Compression);
        item->SetFileSize(data.FileSize);
        if (!data.StoredItem.empty())
            item->ReadStoredItem(data.StoredItem);
    } catch (...) {
        if (item != nullptr)
            Delete(item->Index());
        storage_.EndLoading();
        throw;
    }
    storage_.EndLoading();
    return *item;
}

void TStoredItems::Delete(int index) {
    if (index < 0 || index >= Count())
        throw std::out_of_range("stored item index out of range");
    // Out of the list before it is destroyed, so an OnDestroy hook sees a consistent collection.
    std::unique_ptr<TStoredItem> doomed = std::move(items_[static_cast<std::size_t>(index)]);
    items_.erase(items_.begin() + index);
}

void TStoredItems::Clear() {
    while (!items_.empty())
        Delete(Count() - 1);
}

// ---- TEmbeddedStorage

std::string TEmbeddedStorage::Version() const {
    return std::to_string(kVersion >> 8) + "." + std::to_string(kVersion & 0xFF);
}

std::int32_t TEmbeddedStorage::Size() const {
    std::int64_t sum = 0;
    for (const auto& item : items_.items_)
        sum += item->Size();
    return saturate(sum);
}

std::int32_t TEmbeddedStorage::OriginalSize() const {
    std::int64_t sum = 0;
    for (const auto& item : items_.items_)
        sum += item->FileSize();
    return saturate(sum);
}

std::string TEmbeddedStorage::Ratio() const {
    return Ratio(UserDecimalSeparator());
}

std::string TEmbeddedStorage::Ratio(std::string_view decimalSeparator) const {
    return formatRatio(Size(), OriginalSize(), decimalSeparator);
}

TStoredItem* TEmbeddedStorage::ItemAt(int index) const {
    if (index < 0 || index >= items_.Count())
        return nullptr;
    return items_.items_[static_cast<std::size_t>(index)].get();
}

TStoredItem* TEmbeddedStorage::ItemByName(std::string_view name) const {
    for (const auto& item : items_.items_) {
        if (SameStoredItemName(item->Name(), name))
            return item.get();
    }
    return nullptr;
}

void TEmbeddedStorage::EndLoading() {
    if (loading_ == 0 || --loading_ > 0)
        return;
    // By index: a hook may add or delete items.
    for (int k = 0; k < items_.Count(); ++k) {
        TStoredItem& item = items_.Items(k);
        if (item.addedWhileLoading_) {
            item.addedWhileLoading_ = false;
            if (item.OnCreate)
                item.OnCreate(item);
        }
    }
}
