#include "windows/ListRows.h"

#include "minihtml/ContainedName.h"
#include "store/NoteIndex.h"

#include <charconv>
#include <string_view>

namespace {

const char kHighlight[] = "#F2CF57";
const char kSnippetColour[] = "#6E5B1E";

} // namespace

std::string escapedmarkup(const std::string& text) {
    std::string result;
    result.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '&':
            result += "&amp;";
            break;
        case '<':
            result += "&lt;";
            break;
        case '>':
            result += "&gt;";
            break;
        case '\r':
        case '\n':
        case '\t':
            result += ' ';
            break;
        case noteindex::kMatchStart:
        case noteindex::kMatchEnd:
            break;
        default:
            result += c;
        }
    }
    return result;
}

void appendlistrow(std::string& text, std::int32_t id, std::string_view name, bool highlighted,
                   const std::string& snippet) {
    // The name keeps its formatting within its own row; one that draws nothing shows its id instead.
    // Written straight into the list's text: a long list makes a row for every note at every rebuild.
    char digits[16];
    const std::string_view number(
        digits, static_cast<std::size_t>(std::to_chars(digits, digits + sizeof digits, id).ptr - digits));
    if (highlighted)
        text.append("<font bgcolor=\"").append(kHighlight).append("\">");
    text.append("<a href=\"").append(number).append("\">");
    AppendContainedNameMarkup(text, name, std::string(number) + ". jegyzet");
    text += highlighted ? "</a></font><br>" : "</a><br>";
    if (snippet.empty())
        return;
    text += "<font color=\"" + std::string(kSnippetColour) + "\" size=\"-1\">&nbsp;&nbsp;&nbsp;";
    std::size_t at = 0;
    while (at < snippet.size()) {
        const std::size_t start = snippet.find(noteindex::kMatchStart, at);
        text +=
            escapedmarkup(snippet.substr(at, start == std::string::npos ? std::string::npos : start - at));
        if (start == std::string::npos)
            break;
        const std::size_t end = snippet.find(noteindex::kMatchEnd, start + 1);
        const std::size_t stop = end == std::string::npos ? snippet.size() : end;
        text += "<b>" + escapedmarkup(snippet.substr(start + 1, stop - start - 1)) + "</b>";
        at = stop + 1;
    }
    text += "</font><br>";
}

std::string listrow(std::int32_t id, const std::string& name, bool highlighted, const std::string& snippet) {
    std::string row;
    appendlistrow(row, id, name, highlighted, snippet);
    return row;
}
