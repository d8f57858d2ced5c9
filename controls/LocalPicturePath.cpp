#include "controls/LocalPicturePath.h"

#include "minihtml/AsciiText.h"

namespace {

bool separator(char c) {
    return c == '/' || c == '\\';
}

bool driveletter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// "C:" at the start, followed by a separator or by nothing.
bool startswithdrive(const std::string& path) {
    return path.size() >= 2 && driveletter(path[0]) && path[1] == ':' &&
           (path.size() == 2 || separator(path[2]));
}

} // namespace

std::optional<std::string> localpicturepath(const std::string& named) {
    std::string path = named;
    if (ascii::StartsNoCase(path, "localhost/"))
        path.erase(0, 9);
    if (path.size() >= 3 && separator(path[0]) && startswithdrive(path.substr(1)))
        return path.substr(1);
    if (path.size() >= 2 && separator(path[0]) && separator(path[1])) {
        // "\\?\C:\x" is the drive path in the long-path namespace; everything else after two separators is
        // a host or a device.
        if (path.size() >= 4 && path[2] == '?' && separator(path[3]) && startswithdrive(path.substr(4)))
            return path.substr(4);
        return std::nullopt;
    }
    if (path.size() >= 4 && separator(path[0]) && path[1] == '?' && path[2] == '?' && separator(path[3]))
        return std::nullopt;
    return path;
}
