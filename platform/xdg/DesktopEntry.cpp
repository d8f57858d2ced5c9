#include "platform/xdg/DesktopEntry.h"

#include <QStringList>

#include <algorithm>

namespace pinlet::xdg {

namespace {

const QString kGroup = QStringLiteral("[Desktop Entry]");

bool isgroupline(const QString& line) {
    return line.trimmed().startsWith(QLatin1Char('['));
}

// The key of a "key = value" line, or empty for a comment, a blank or a group line.
QString linekey(const QString& line) {
    const QString trimmed = line.trimmed();
    if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char('#')) || isgroupline(line))
        return {};
    const qsizetype equals = trimmed.indexOf(QLatin1Char('='));
    return equals < 0 ? QString() : trimmed.left(equals).trimmed();
}

QString unescapevalue(const QString& value) {
    QString result;
    result.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c != QLatin1Char('\\') || i + 1 == value.size()) {
            result += c;
            continue;
        }
        switch (value[++i].unicode()) {
        case 's':
            result += QLatin1Char(' ');
            break;
        case 'n':
            result += QLatin1Char('\n');
            break;
        case 't':
            result += QLatin1Char('\t');
            break;
        case 'r':
            result += QLatin1Char('\r');
            break;
        case '\\':
            result += QLatin1Char('\\');
            break;
        default:
            result += c;
            result += value[i];
            break;
        }
    }
    return result;
}

// Where the first argument of an Exec value ends (the index after it), or -1 for an unclosed quote. The
// argument itself, unquoted, goes to `argument`.
qsizetype firstargument(const QString& exec, QString& argument) {
    qsizetype i = 0;
    while (i < exec.size() && (exec[i] == QLatin1Char(' ') || exec[i] == QLatin1Char('\t')))
        ++i;
    argument.clear();
    if (i < exec.size() && exec[i] == QLatin1Char('"')) {
        for (++i; i < exec.size(); ++i) {
            if (exec[i] == QLatin1Char('"'))
                return i + 1;
            if (exec[i] == QLatin1Char('\\') && i + 1 < exec.size())
                ++i;
            argument += exec[i];
        }
        return -1;
    }
    for (; i < exec.size() && exec[i] != QLatin1Char(' ') && exec[i] != QLatin1Char('\t'); ++i)
        argument += exec[i];
    return i;
}

} // namespace

std::optional<QString> desktopvalue(const QString& text, const QString& key) {
    bool ingroup = false;
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        if (isgroupline(line)) {
            ingroup = line.trimmed() == kGroup;
            continue;
        }
        if (ingroup && linekey(line) == key) {
            const QString trimmed = line.trimmed();
            return unescapevalue(trimmed.mid(trimmed.indexOf(QLatin1Char('=')) + 1).trimmed());
        }
    }
    return std::nullopt;
}

QString setdesktopvalue(const QString& text, const QString& key, const QString& value) {
    QStringList lines = text.split(QLatin1Char('\n'));
    // A final line break leaves an empty last piece, which must stay last.
    const bool endsinbreak = !lines.isEmpty() && lines.last().isEmpty();
    if (endsinbreak)
        lines.removeLast();
    const QString newline = key + QLatin1Char('=') + escapevalue(value);
    qsizetype group = -1;
    qsizetype groupend = lines.size();
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (isgroupline(lines[i])) {
            if (group >= 0) {
                groupend = i;
                break;
            }
            if (lines[i].trimmed() == kGroup)
                group = i;
            continue;
        }
        if (group >= 0 && linekey(lines[i]) == key) {
            lines[i] = newline;
            return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
        }
    }
    if (group < 0) {
        lines.prepend(kGroup);
        groupend = 1;
    } else {
        // After the group's last key, before the blank lines that part it from the next group.
        while (groupend > group + 1 && lines[groupend - 1].trimmed().isEmpty())
            --groupend;
    }
    lines.insert(groupend, newline);
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

QString escapevalue(const QString& value) {
    QString result;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c == QLatin1Char('\\'))
            result += QStringLiteral("\\\\");
        else if (c == QLatin1Char('\n'))
            result += QStringLiteral("\\n");
        else if (c == QLatin1Char('\t'))
            result += QStringLiteral("\\t");
        else if (c == QLatin1Char('\r'))
            result += QStringLiteral("\\r");
        else if (c == QLatin1Char(' ') && i == 0)
            result += QStringLiteral("\\s");
        else
            result += c;
    }
    return result;
}

QString execargument(const QString& argument) {
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    QString doubled = argument;
    doubled.replace(QLatin1Char('%'), QStringLiteral("%%"));
    const bool quote = argument.isEmpty() || std::any_of(argument.begin(), argument.end(),
                                                         [](QChar c) { return reserved.contains(c); });
    if (!quote)
        return doubled;
    QString quoted = QStringLiteral("\"");
    for (const QChar c : doubled) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
            quoted += QLatin1Char('\\');
        quoted += c;
    }
    return quoted + QLatin1Char('"');
}

QString execprogram(const QString& exec) {
    QString argument;
    if (firstargument(exec, argument) < 0)
        return {};
    return argument.replace(QStringLiteral("%%"), QStringLiteral("%"));
}

QString replaceexecprogram(const QString& exec, const QString& program) {
    QString argument;
    const qsizetype end = firstargument(exec, argument);
    return execargument(program) + (end < 0 ? QString() : exec.mid(end));
}

} // namespace pinlet::xdg
