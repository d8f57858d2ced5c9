#include "db/FullText.h"

#include "db/Query.h"

#include <sqlite3.h>

namespace sqldb {

namespace {

fts5_api* fts5interface(Connection& connection) {
    connection.requireconnected();
    fts5_api* api = nullptr;
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(connection.handle(), "SELECT fts5(?1)", -1, &statement, nullptr) == SQLITE_OK) {
        sqlite3_bind_pointer(statement, 1, static_cast<void*>(&api), "fts5_api_ptr", nullptr);
        sqlite3_step(statement);
    }
    sqlite3_finalize(statement);
    return api;
}

} // namespace

bool hasfts5(Connection& connection) {
    connection.requireconnected();
    // Only making a table shows that the module is there: the fts5() function outlives a missing module.
    if (sqlite3_exec(connection.handle(), "CREATE VIRTUAL TABLE temp.pinlet_fts5_probe USING fts5(x)",
                     nullptr, nullptr, nullptr) != SQLITE_OK)
        return false;
    execute(connection, "DROP TABLE temp.pinlet_fts5_probe");
    return fts5interface(connection) != nullptr;
}

struct FullTextTokenizer::Instance {
    fts5_tokenizer methods{};
    ::Fts5Tokenizer* tokenizer = nullptr;
    ~Instance() {
        if (tokenizer)
            methods.xDelete(tokenizer);
    }
};

FullTextTokenizer::FullTextTokenizer(Connection& connection, const std::vector<std::string>& tokenizer)
    : instance_(std::make_unique<Instance>()) {
    fts5_api* api = fts5interface(connection);
    if (!api || tokenizer.empty())
        throw Error("The full-text search of SQLite (FTS5) is not available");
    void* userdata = nullptr;
    if (api->xFindTokenizer(api, tokenizer.front().c_str(), &userdata, &instance_->methods) != SQLITE_OK)
        throw Error("No full-text tokenizer " + tokenizer.front());
    std::vector<const char*> arguments;
    for (std::size_t i = 1; i < tokenizer.size(); ++i)
        arguments.push_back(tokenizer[i].c_str());
    ::Fts5Tokenizer* made = nullptr;
    if (instance_->methods.xCreate(userdata, arguments.data(), static_cast<int>(arguments.size()), &made) !=
        SQLITE_OK)
        throw Error("The full-text tokenizer " + tokenizer.front() + " does not take these options");
    instance_->tokenizer = made;
}

FullTextTokenizer::~FullTextTokenizer() = default;

namespace {

struct Walk {
    void* context;
    bool (*each)(void*, const FullTextTokenizer::Word&);
};

// Stops the tokenizer with a code no tokenizer returns of itself.
constexpr int kWalkEnough = SQLITE_DONE;

int walk(void* context, int flags, const char* token, int bytes, int begin, int end) {
    // Synonyms at the same place are another spelling of the same word, not another word.
    if (flags & FTS5_TOKEN_COLOCATED)
        return SQLITE_OK;
    const Walk& w = *static_cast<Walk*>(context);
    const FullTextTokenizer::Word word{std::string(token, static_cast<std::size_t>(bytes)),
                                       static_cast<std::size_t>(begin), static_cast<std::size_t>(end)};
    return w.each(w.context, word) ? SQLITE_OK : kWalkEnough;
}

} // namespace

void FullTextTokenizer::eachword(const std::string& text, void* context,
                                 bool (*each)(void*, const Word&)) const {
    walkwords(FTS5_TOKENIZE_DOCUMENT, text, context, each);
}

void FullTextTokenizer::walkwords(int reason, const std::string& text, void* context,
                                  bool (*each)(void*, const Word&)) const {
    Walk w{context, each};
    const int rc = instance_->methods.xTokenize(instance_->tokenizer, &w, reason, text.data(),
                                                static_cast<int>(text.size()), walk);
    if (rc != SQLITE_OK && rc != kWalkEnough)
        throw Error(std::string("Full-text tokenizer: ") + sqlite3_errstr(rc), rc);
}

std::vector<std::string> FullTextTokenizer::query(const std::string& text) const {
    std::vector<std::string> result;
    walkwords(FTS5_TOKENIZE_QUERY, text, &result, [](void* context, const Word& word) {
        static_cast<std::vector<std::string>*>(context)->push_back(word.folded);
        return true;
    });
    return result;
}

std::string fts5quoted(const std::string& word) {
    std::string quoted = "\"";
    for (const char c : word) {
        quoted += c;
        if (c == '"')
            quoted += '"';
    }
    return quoted + '"';
}

} // namespace sqldb
