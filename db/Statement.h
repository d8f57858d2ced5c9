#pragma once
// A statement object: runs one SQL statement of a connection that yields no result the caller reads.

#include "db/Connection.h"

#include <string>

namespace sqldb {

class Statement : public Attached {
public:
    explicit Statement(Connection& connection);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    void settext(const std::string& sql) { text_ = sql; }
    const std::string& text() const { return text_; }

    // Runs the text as one statement on the connected connection; rows it may yield are passed over.
    // Text holding more than one statement fails without running any of them. Throws Error.
    void execute();

    void closefordisconnect() noexcept override {}

private:
    Connection& connection_;
    std::string text_;
};

} // namespace sqldb
