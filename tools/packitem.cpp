// packitem: packs a file into an embedded storage item at build time and emits it as C++ source, so the
// program carries the file without reading anything at run time.
//
//   packitem --input FILE --cpp OUT.cpp --header OUT.h --function NAME
//            --name ITEMNAME --filename FILENAME --level clNone|clFastest|clDefault|clMax [--tag N]
//
// OUT.h declares, and OUT.cpp defines,
//   TStoredItem& NAME(TEmbeddedStorage& storage);
// which adds the item to the storage exactly as loading it from stored data would
// (TStoredItems::AddFromStoredData) and returns it. OUT.cpp holds the persisted "StoredItem" value (the
// packed length, then the packed content) as a byte array. The packed item is read back and compared with
// the input before anything is written, and the outputs appear only complete (written aside, then
// renamed), so a failed run never leaves a file that the build would take as up to date.

#include "store/EmbeddedStorage.h"
#include "tools/Utf8Arguments.h"

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <limits>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct Options {
    fs::path input, cpp, header;
    std::string function, name, fileName;
    TCompressionLevel level = clDefault;
    std::int32_t tag = 0;
};

[[noreturn]] void usage(const std::string& problem) {
    throw std::runtime_error(problem +
                             "\nusage: packitem --input FILE --cpp OUT.cpp --header OUT.h --function NAME"
                             " --name ITEMNAME --filename FILENAME --level clNone|clFastest|clDefault|clMax"
                             " [--tag N]");
}

bool isIdentifier(const std::string& s) {
    if (s.empty() || (s[0] >= '0' && s[0] <= '9'))
        return false;
    for (char c : s) {
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_'))
            return false;
    }
    return true;
}

TCompressionLevel parseLevel(const std::string& text) {
    const std::map<std::string, TCompressionLevel> levels = {{"clNone", TCompressionLevel::clNone},
                                                             {"clFastest", clFastest},
                                                             {"clDefault", clDefault},
                                                             {"clMax", clMax}};
    const auto found = levels.find(text);
    if (found == levels.end())
        usage("unknown level \"" + text + "\"");
    return found->second;
}

Options parse(const std::vector<std::string>& arguments) {
    std::map<std::string, std::string> values;
    for (std::size_t k = 0; k < arguments.size(); k += 2) {
        const std::string& key = arguments[k];
        if (key.rfind("--", 0) != 0 || k + 1 >= arguments.size())
            usage("expected --option value pairs, got \"" + key + "\"");
        values[key.substr(2)] = arguments[k + 1];
    }
    const auto take = [&](const std::string& key) {
        const auto found = values.find(key);
        if (found == values.end())
            usage("missing --" + key);
        std::string value = found->second;
        values.erase(found);
        return value;
    };
    Options o;
    o.input = tools::utf8path(take("input"));
    o.cpp = tools::utf8path(take("cpp"));
    o.header = tools::utf8path(take("header"));
    o.function = take("function");
    o.name = take("name");
    o.fileName = take("filename");
    o.level = parseLevel(take("level"));
    if (values.count("tag")) {
        const std::string tag = take("tag");
        const auto result = std::from_chars(tag.data(), tag.data() + tag.size(), o.tag);
        if (result.ec != std::errc() || result.ptr != tag.data() + tag.size())
            usage("--tag needs a 32-bit signed number, got \"" + tag + "\"");
    }
    if (!values.empty())
        usage("unknown option --" + values.begin()->first);
    if (!isIdentifier(o.function))
        usage("--function needs a C++ identifier, got \"" + o.function + "\"");
    return o;
}

// A C++ string literal for any bytes: printable ASCII as it is, everything else as three-digit octal,
// which cannot run into a following digit the way a hex escape would.
std::string literal(const std::string& text) {
    std::string out = "\"";
    for (char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += ch;
        } else if (c >= 0x20 && c < 0x7F && c != '?') { // '?' could start a trigraph in older dialects
            out += ch;
        } else {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\%03o", c);
            out += escape;
        }
    }
    return out + "\"";
}

std::string levelName(TCompressionLevel level) {
    switch (level) {
    case TCompressionLevel::clNone:
        return "TCompressionLevel::clNone";
    case clFastest:
        return "TCompressionLevel::clFastest";
    case clDefault:
        return "TCompressionLevel::clDefault";
    case clMax:
        return "TCompressionLevel::clMax";
    }
    return "TCompressionLevel::clDefault";
}

std::string int32Literal(std::int32_t value) {
    // The smallest value has no literal of its own: 2147483648 is not an int.
    if (value == std::numeric_limits<std::int32_t>::min())
        return "-2147483647 - 1";
    return std::to_string(value);
}

std::string headerText(const Options& o) {
    std::ostringstream h;
    h << "#pragma once\n"
      << "// Generated at build time by packitem from " << tools::utf8text(o.input.filename())
      << ". Do not edit.\n\n"
      << "#include \"store/EmbeddedStorage.h\"\n\n"
      << "// Adds the item " << literal(o.name)
      << " to the storage as if loaded from stored data, and returns it.\n"
      << "// Throws TEmbeddedStorageError when the storage already has an item of that name.\n"
      << "TStoredItem& " << o.function << "(TEmbeddedStorage& storage);\n";
    return h.str();
}

std::string sourceText(const Options& o, std::int32_t fileSize, const std::vector<unsigned char>& value) {
    std::ostringstream c;
    c << "// Generated at build time by packitem from " << tools::utf8text(o.input.filename())
      << ". Do not edit.\n\n"
      << "#include \"" << tools::utf8text(o.header.filename()) << "\"\n\n";
    if (!value.empty()) {
        c << "namespace {\n\n"
          << "// The persisted \"StoredItem\" value: the packed length (4 bytes, little-endian), then the "
             "packed content.\n"
          << "const unsigned char kStoredItem[" << value.size() << "] = {";
        char hex[8];
        for (std::size_t k = 0; k < value.size(); ++k) {
            if (k % 16 == 0)
                c << "\n   ";
            std::snprintf(hex, sizeof hex, " 0x%02x,", value[k]);
            c << hex;
        }
        c << "\n};\n\n} // namespace\n\n";
    }
    c << "TStoredItem& " << o.function << "(TEmbeddedStorage& storage) {\n"
      << "    TStoredItemData data;\n"
      << "    data.Name = " << literal(o.name) << ";\n"
      << "    data.FileName = " << literal(o.fileName) << ";\n"
      << "    data.Tag = " << int32Literal(o.tag) << ";\n"
      << "    data.Compression = " << levelName(o.level) << ";\n"
      << "    data.FileSize = " << int32Literal(fileSize) << ";\n";
    if (!value.empty())
        c << "    data.StoredItem = kStoredItem;\n";
    c << "    return storage.StoredItems().AddFromStoredData(data);\n"
      << "}\n";
    return c.str();
}

// Writes beside the target and renames, so the target is either the old file or the complete new one.
void writeWhole(const fs::path& path, const std::string& text) {
    fs::path aside = path;
    aside += ".tmp";
    {
        std::ofstream out(aside, std::ios::binary | std::ios::trunc);
        out << text;
        out.close();
        if (!out) {
            std::error_code ignored;
            fs::remove(aside, ignored);
            throw std::runtime_error("cannot write " + tools::utf8text(aside));
        }
    }
    fs::rename(aside, path);
}

int run(int argc, char** argv) {
    const Options o = parse(tools::utf8arguments(argc, argv));

    std::ifstream in(o.input, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + tools::utf8text(o.input));
    const std::string file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
        throw std::runtime_error("cannot read " + tools::utf8text(o.input));

    TEmbeddedStorage storage;
    TStoredItem& item = storage.StoredItems().Add();
    item.SetCompression(o.level);
    std::istringstream source(file);
    item.LoadFromStream(source);
    const std::vector<unsigned char> value =
        item.HasStoredItem() ? item.StoredItemValue() : std::vector<unsigned char>{};

    // Read it back the way the generated code will, before anything is written.
    TEmbeddedStorage check;
    TStoredItemData data;
    data.Name = o.name;
    data.FileName = o.fileName;
    data.Tag = o.tag;
    data.Compression = o.level;
    data.FileSize = item.FileSize();
    data.StoredItem = value;
    std::ostringstream unpacked;
    check.StoredItems().AddFromStoredData(data).SaveToStream(unpacked);
    if (unpacked.str() != file)
        throw std::runtime_error("the packed item does not read back as the input");

    writeWhole(o.header, headerText(o));
    writeWhole(o.cpp, sourceText(o, item.FileSize(), value));
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    try {
        return run(argc, argv);
    } catch (const std::exception& e) {
        std::cerr << "packitem: " << e.what() << "\n";
        return 1;
    }
}
