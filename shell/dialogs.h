#pragma once
// The program's three standard message boxes, and the seam that lets tests answer them.

#include <functional>
#include <string>
#include <vector>

namespace pinlet {

enum class DialogKind { Confirm, Error, Failure };

struct ShownDialog {
    DialogKind kind;
    std::string title;
    std::string text;
};

// While a DialogScript is alive, the dialogs do not open: each records what it would have shown and
// returns the next scripted answer (confirmdlg: 2, Cancel, once the script runs dry). Scripts nest; the
// newest one answers. They exist so that no test ever blocks on a modal window.
class DialogScript {
public:
    explicit DialogScript(std::function<void(const ShownDialog&)> onShow = {});
    ~DialogScript();
    DialogScript(const DialogScript&) = delete;
    DialogScript& operator=(const DialogScript&) = delete;

    void setNextAnswer(int answer);
    const std::vector<ShownDialog>& shown() const { return shown_; }

    // The innermost live script, or null when dialogs really show.
    static DialogScript* active();
    // Records the dialog and gives the answer to return.
    int answer(const ShownDialog& dialog);

private:
    std::function<void(const ShownDialog&)> onShow_;
    std::vector<int> answers_;
    std::vector<ShownDialog> shown_;
    DialogScript* outer_;
};

// While alive, the dialogs really open even under a script: for tests of the dialogs themselves.
class RealDialogs {
public:
    RealDialogs();
    ~RealDialogs();
    RealDialogs(const RealDialogs&) = delete;
    RealDialogs& operator=(const RealDialogs&) = delete;

private:
    DialogScript* saved_;
};

// The text of the default failure box: a period is appended when the message is not empty and its last
// byte's code is above the period's, so "error" becomes "error." while "Done.", "Stop!", "(x)" and
// "trailing " stay as they are.
std::string failuretext(const std::string& message);

// The default failure box: modal, titled with the application title "Pinlet", an error icon, one OK
// button, the message under the period rule. Returns when the user has dismissed it.
void showfailure(const std::string& message);

} // namespace pinlet
