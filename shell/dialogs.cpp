#include "shell/dialogs.h"

#include "shell/MessageBox.h"

namespace pinlet {

namespace {
DialogScript* innermost = nullptr;
}

DialogScript::DialogScript(std::function<void(const ShownDialog&)> onShow)
    : onShow_(std::move(onShow)), outer_(innermost) {
    innermost = this;
}

DialogScript::~DialogScript() {
    innermost = outer_;
}

DialogScript* DialogScript::active() {
    return innermost;
}

void DialogScript::setNextAnswer(int answer) {
    answers_.push_back(answer);
}

int DialogScript::answer(const ShownDialog& dialog) {
    shown_.push_back(dialog);
    if (onShow_)
        onShow_(dialog);
    if (answers_.empty())
        return 2;
    const int next = answers_.front();
    answers_.erase(answers_.begin());
    return next;
}

RealDialogs::RealDialogs() : saved_(innermost) {
    innermost = nullptr;
}
RealDialogs::~RealDialogs() {
    innermost = saved_;
}

std::string failuretext(const std::string& message) {
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.')
        return message + ".";
    return message;
}

void showfailure(const std::string& message) {
    const std::string text = failuretext(message);
    const ShownDialog shown{DialogKind::Failure, "Pinlet", text};
    if (DialogScript* script = DialogScript::active()) {
        script->answer(shown);
        return;
    }
    runmessagebox(QMessageBox::Critical, QString::fromUtf8("Pinlet"), QString::fromUtf8(text.c_str()),
                  {{QString::fromUtf8("OK"), QMessageBox::AcceptRole}}, 0, 0);
}

} // namespace pinlet
