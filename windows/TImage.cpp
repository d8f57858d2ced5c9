#include "windows/TImage.h"

#include <QMouseEvent>

namespace pinlet {

TImage::TImage(QWidget* parent) : QLabel(parent) {}

void TImage::mousePressEvent(QMouseEvent* event) {
    // Pictures lie above the bar's move handle: a press on one must never reach it.
    event->accept();
    if (event->button() == Qt::LeftButton)
        pressed_ = true;
}

void TImage::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() != Qt::LeftButton || !pressed_)
        return;
    pressed_ = false;
    // A press dragged off the picture and let go elsewhere is no click.
    if (rect().contains(event->position().toPoint()) && OnClick)
        OnClick(); // may close the window: nothing touches this afterwards
}

} // namespace pinlet
