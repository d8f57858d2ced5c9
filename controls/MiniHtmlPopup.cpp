#include "controls/MiniHtmlPopup.h"

#include "controls/QtCanvas.h"

#include <QApplication>
#include <QEventLoop>
#include <QScreen>
#include <QTimer>

#include <algorithm>

namespace {

constexpr int kWindowTextColor = 8;
constexpr int kRiseStep = 20;       // pixels per step
constexpr int kRiseIntervalMs = 50; // between steps
constexpr int kRightGap = 20;       // between the window's right edge and the work area's

} // namespace

TMiniHtmlPopup::TMiniHtmlPopup(QWidget* owner) : QObject(owner), owner_(owner) {
    look_.Font = QtCanvas::fromQFont(QApplication::font(), SystemColor(kWindowTextColor));
    riseTimer_.setTimerType(Qt::PreciseTimer);
    riseTimer_.setInterval(kRiseIntervalMs);
    connect(&riseTimer_, &QTimer::timeout, this, &TMiniHtmlPopup::riseStep);
}

TMiniHtmlPopup::~TMiniHtmlPopup() {
    // A RollUp waiting for this popup's rise returns, and touches nothing of it afterwards.
    if (riseLoop_ != nullptr) {
        riseLoop_->quit();
    }
    // The owner form destroys the window; a popup without an owner has nobody else to do it.
    if (!owner_) {
        delete window_.data();
    }
}

void TMiniHtmlPopup::setBorderSize(int value) {
    look_.BorderSize = std::max(0, value);
}

void TMiniHtmlPopup::setRollUpSpace(int value) {
    rollUpSpace_ = std::max(0, value);
}

void TMiniHtmlPopup::setShadeSteps(int value) {
    look_.ShadeSteps = std::clamp(value, 0, 65535);
}

void TMiniHtmlPopup::setText(const QStringList& lines) {
    text_ = lines;
    if (window_) {
        window_->setHtml(joinedText());
    }
}

std::string TMiniHtmlPopup::joinedText() const {
    return text_.join(QString()).toStdString();
}

QRect TMiniHtmlPopup::workArea() const {
    if (workArea_) {
        return workArea_();
    }
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->availableGeometry() : QRect();
}

void TMiniHtmlPopup::prepare() {
    if (!window_) {
        window_ = new TMiniHtmlPopupWindow(owner_.data());
    }
    TMiniHtmlPopupWindow& window = *window_;
    window.hide();
    window.setHtml(joinedText());
    window.setLook(look_);
    window.setGeometry(popupLeft_, popupTop_, popupWidth_, popupHeight_);
    window.OnAnchorClick = [self = QPointer<TMiniHtmlPopup>(this)](const std::string& href) {
        if (self && self->OnAnchorClick) {
            // A copy, so that a handler which destroys the popup does not destroy itself while it runs.
            const TAnchorClickEvent handler = self->OnAnchorClick;
            handler(self.data(), href);
        }
    };
    if (look_.AutoSize) {
        window.autoSize();
    }
}

void TMiniHtmlPopup::ShowPopup() {
    prepare();
    window_->move(popupLeft_, popupTop_);
    window_->show();
}

void TMiniHtmlPopup::RollUp() {
    // The work area is read once: a screen that changes meanwhile does not stop the rise from ending.
    const QRect area = workArea();
    riseBottom_ = area.y() + area.height();
    popupTop_ = riseBottom_;
    prepare();
    popupLeft_ = area.x() + area.width() - window_->width() - kRightGap;
    ShowPopup();
    window_->setRising(true);
    if (!riseTimer_.isActive()) {
        riseTimer_.start();
    }
    if (!belowTheLine()) {
        endRise();
    }
    if (riseLoop_ != nullptr || !riseTimer_.isActive()) {
        return; // risen already, or the RollUp waiting further down the stack raises this notice
    }
    // Waits for the rise with every event of the program going on. The steps come from the timer, so
    // they go on too in any loop a handler opens meanwhile (a dialog, say).
    QEventLoop loop;
    riseLoop_ = &loop;
    struct Forget {
        QPointer<TMiniHtmlPopup> popup;
        ~Forget() {
            if (popup) {
                popup->riseLoop_ = nullptr; // also when a handler inside the loop throws
            }
        }
    } const forget{this};
    loop.exec();
}

bool TMiniHtmlPopup::belowTheLine() const {
    return window_ && window_->y() + window_->height() > riseBottom_;
}

void TMiniHtmlPopup::riseStep() {
    if (!window_) {
        endRise(); // destroyed with its owner
        return;
    }
    const int finalTop = riseBottom_ - window_->height() - rollUpSpace_;
    window_->move(window_->x(), std::max(window_->y() - kRiseStep, finalTop));
    if (!belowTheLine()) {
        endRise();
    }
}

void TMiniHtmlPopup::endRise() {
    riseTimer_.stop();
    if (window_) {
        window_->move(window_->x(), riseBottom_ - window_->height() - rollUpSpace_);
        window_->setRising(false);
    }
    if (riseLoop_ != nullptr) {
        riseLoop_->quit();
    }
}
