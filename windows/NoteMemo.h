#pragma once
// The note window's text field. A note's text comes back from it exactly as it went in.
//
// A plain-text editor keeps lines as paragraphs and forgets what broke them: CR LF, a lone CR or LF, or a
// paragraph separator all turn into one kind of break, and its plain text rewrites no-break spaces and
// line separators. This field remembers the exact break behind every paragraph break (as loaded or
// pasted) and reads the paragraphs' own characters; a break made with the Enter key is CR LF.

#include <QPlainTextEdit>
#include <QString>

#include <string>
#include <vector>

class QMimeData;
class QTextCursor;

class TNoteMemo : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit TNoteMemo(QWidget* parent = nullptr);

    // Replaces the whole text with the stored one (UTF-8), as one step that cannot be undone.
    void setStoredText(const std::string& text);
    // The text as stored: every character as typed, pasted or loaded, and each break as it came in.
    std::string storedText() const;

protected:
    // Pasted and dropped text keeps its own breaks.
    void insertFromMimeData(const QMimeData* source) override;

private:
    // Inserts text at the cursor, each break becoming a paragraph break that remembers it.
    void insertkeepingbreaks(QTextCursor& cursor, const QString& text);
    // Brings the list of breaks up to date after the document changed from position on.
    void follow(int position);

    QString raw_;                       // the document's text as last seen, a break as U+2029
    std::vector<unsigned char> breaks_; // the kind of each break of raw_, in order
    std::vector<unsigned char> coming_; // the kinds of the breaks being inserted, in order
};
