#include "shell/MessageBox.h"

#include "shell/TaskbarSkip.h"

#include <QApplication>
#include <QGuiApplication>
#include <QPointer>
#include <QPushButton>
#include <QScreen>

namespace pinlet {

QWidget* boxowner() {
    QWidget* window = QApplication::activeWindow();
    if (!window)
        return nullptr;
    const Qt::WindowType type = window->windowType();
    if (type == Qt::Popup || type == Qt::ToolTip || window->testAttribute(Qt::WA_ShowWithoutActivating))
        return nullptr;
    return window;
}

int runmessagebox(QMessageBox::Icon icon, const QString& title, const QString& text,
                  const std::vector<BoxButton>& buttons, int defaultButton, int escapeButton) {
    // On the heap: an owner destroyed while the box is open takes the box with it.
    const QPointer<QMessageBox> box = new QMessageBox(icon, title, text, QMessageBox::NoButton, boxowner());
    std::vector<QPushButton*> pushes;
    for (const BoxButton& button : buttons)
        pushes.push_back(box->addButton(button.text, button.role));
    box->setDefaultButton(pushes.at(std::size_t(defaultButton)));
    box->setEscapeButton(pushes.at(std::size_t(escapeButton)));
    // Centred on the primary screen rather than on the window that asked.
    box->adjustSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = box->frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        box->move(frame.topLeft());
    }
    keepofftaskbar(*box);
    box->exec();
    if (!box)
        return escapeButton;
    int answer = escapeButton;
    for (std::size_t i = 0; i < pushes.size(); ++i)
        if (box->clickedButton() == pushes[i])
            answer = int(i);
    delete box.data();
    return answer;
}

} // namespace pinlet
