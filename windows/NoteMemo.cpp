#include "windows/NoteMemo.h"

#include <QMimeData>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <array>

namespace {

// What the document turns into a paragraph break, longest first; a break's kind is its index here. The
// Enter key makes kind 0, CR LF.
const std::array<QString, 6> kBreaks = {
    QStringLiteral("\r\n"), QStringLiteral("\n"),
    QStringLiteral("\r"),   QString(QChar(QChar::ParagraphSeparator)),
    QString(QChar(0xFDD0)), // the document's frame marks, which it reads as breaks too
    QString(QChar(0xFDD1)),
};
constexpr QChar kBreak = QChar::ParagraphSeparator; // a paragraph break in the document's raw text

// The kind of the break at position at of text, or -1.
int breakat(QStringView text) {
    for (std::size_t i = 0; i < kBreaks.size(); ++i)
        if (text.startsWith(kBreaks[i]))
            return int(i);
    return -1;
}

qsizetype breaksin(QStringView text) {
    return text.count(kBreak);
}

} // namespace

TNoteMemo::TNoteMemo(QWidget* parent) : QPlainTextEdit(parent) {
    connect(document(), &QTextDocument::contentsChange, this,
            [this](int position, int, int) { follow(position); });
}

void TNoteMemo::setStoredText(const std::string& text) {
    const bool undo = document()->isUndoRedoEnabled();
    document()->setUndoRedoEnabled(false);
    QTextCursor cursor(document());
    cursor.beginEditBlock();
    cursor.select(QTextCursor::Document);
    cursor.removeSelectedText();
    insertkeepingbreaks(cursor, QString::fromStdString(text));
    cursor.endEditBlock();
    document()->setUndoRedoEnabled(undo);
    setTextCursor(QTextCursor(document()));
}

std::string TNoteMemo::storedText() const {
    const QString raw = document()->toRawText();
    QString text;
    text.reserve(raw.size() + qsizetype(breaks_.size()));
    std::size_t index = 0;
    for (const QChar c : raw) {
        if (c != kBreak) {
            text += c;
            continue;
        }
        // Every change is followed, so a break without a kind cannot occur; it would be the Enter key's.
        const std::size_t kind = index < breaks_.size() ? breaks_[index] : 0;
        ++index;
        text += kBreaks[kind];
    }
    return text.toStdString();
}

void TNoteMemo::insertFromMimeData(const QMimeData* source) {
    if (!source || !source->hasText()) {
        QPlainTextEdit::insertFromMimeData(source);
        return;
    }
    QTextCursor cursor = textCursor();
    cursor.beginEditBlock();
    insertkeepingbreaks(cursor, source->text());
    cursor.endEditBlock();
    setTextCursor(cursor);
    ensureCursorVisible();
}

void TNoteMemo::insertkeepingbreaks(QTextCursor& cursor, const QString& text) {
    qsizetype start = 0;
    for (qsizetype at = 0; at < text.size();) {
        const int kind = breakat(QStringView(text).mid(at));
        if (kind < 0) {
            ++at;
            continue;
        }
        cursor.insertText(text.mid(start, at - start));
        coming_.push_back(static_cast<unsigned char>(kind));
        cursor.insertBlock();
        at += kBreaks[std::size_t(kind)].size();
        start = at;
    }
    cursor.insertText(text.mid(start));
}

// The document reports where a change starts but counts its lengths loosely (the final paragraph's end
// comes and goes), so the change is found by comparing the text before and after, from that position on.
void TNoteMemo::follow(int position) {
    const QString now = document()->toRawText();
    const qsizetype limit = std::min({raw_.size(), now.size(), qsizetype(std::max(position, 0))});
    qsizetype prefix = 0;
    while (prefix < limit && raw_[prefix] == now[prefix])
        ++prefix;
    qsizetype suffix = 0;
    while (suffix < raw_.size() - prefix && suffix < now.size() - prefix &&
           raw_[raw_.size() - 1 - suffix] == now[now.size() - 1 - suffix])
        ++suffix;
    const QStringView before(raw_);
    const auto first = std::min(std::size_t(breaksin(before.first(prefix))), breaks_.size());
    const auto removed = std::min(std::size_t(breaksin(before.mid(prefix, raw_.size() - prefix - suffix))),
                                  breaks_.size() - first);
    const auto added = std::size_t(breaksin(QStringView(now).mid(prefix, now.size() - prefix - suffix)));
    const auto at = breaks_.begin() + std::ptrdiff_t(first);
    breaks_.erase(at, at + std::ptrdiff_t(removed));
    // New breaks are those being inserted, in order, or the Enter key's.
    std::vector<unsigned char> kinds(added, 0);
    const std::size_t known = std::min(added, coming_.size());
    std::copy_n(coming_.begin(), known, kinds.begin());
    coming_.erase(coming_.begin(), coming_.begin() + std::ptrdiff_t(known));
    breaks_.insert(breaks_.begin() + std::ptrdiff_t(first), kinds.begin(), kinds.end());
    raw_ = now;
}
