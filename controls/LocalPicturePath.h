#pragma once
// Which paths a picture named by markup may be read from.

#include <optional>
#include <string>

// The local file a "FILE://" picture URL names, given the text after "FILE://"; nothing for a name that
// would reach across the network. Markup comes from notes, and a note can arrive in a synced database: on
// Windows, opening \\host\share\x.png contacts that host and hands it the user's login, so such names are
// refused on every platform, whatever the local system would make of them.
//
// Refused: a name that begins with two separators ("\" or "/", mixed too): UNC and "//host/share" paths,
// "\\?\UNC\host\..." and the other "\\?\" and "\\.\" namespaces, except "\\?\" followed by a drive
// ("\\?\C:\x" names C:\x); and "\??\", under which Windows takes an object path as given. URL forms: "/C:/x"
// and
// "/C:\x" (from "file:///C:/x") give "C:/x" and "C:\x"; "localhost/" before a path is the local host, as
// file URLs have it. Every other name is a local path and comes back unchanged.
std::optional<std::string> localpicturepath(const std::string& named);
