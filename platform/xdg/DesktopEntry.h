#pragma once
// The few parts of a freedesktop desktop entry file that autostart needs: the keys of its main group and
// the program its Exec line starts, read and written with the format's escapes and quoting.

#include <QString>

#include <optional>

namespace pinlet::xdg {

// The value of a key of the [Desktop Entry] group, unescaped; nothing when the key is missing.
std::optional<QString> desktopvalue(const QString& text, const QString& key);

// The text with the key of the [Desktop Entry] group set to the value (escaped here): the key's line is
// replaced, or a line is added at the end of the group. A text without the group gets one.
QString setdesktopvalue(const QString& text, const QString& key, const QString& value);

// A value escaped for a desktop entry line (backslash, line breaks, a leading blank).
QString escapevalue(const QString& value);

// One argument written for an Exec value (before escapevalue): quoted where it holds a character the
// format reserves, with a literal percent sign doubled.
QString execargument(const QString& argument);

// The program an (unescaped) Exec value starts: its first argument with quotes and escapes removed.
// Empty when the value starts nothing or its quote is not closed.
QString execprogram(const QString& exec);

// The Exec value with its program replaced by the given one and every argument after it kept as written.
QString replaceexecprogram(const QString& exec, const QString& program);

} // namespace pinlet::xdg
