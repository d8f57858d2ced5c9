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

// Lets every event of the program through for one step of the rise, without spinning the processor.
void waitOneStep() {
    QEventLoop loop;
    QTimer::singleShot(kRiseIntervalMs, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace

TMiniHtmlPopup::TMiniHtmlPopup(QWidget* owner) : QObject(owner), owner_(owner) {
    look_.Font = QtCanvas::fromQFont(QApplication::font(), SystemColor(kWindowTextColor));
}

TMiniHtmlPopup::~TMiniHtmlPopup() {
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
    if (rising_) {
        return; // the loop already running raises this notice
    }
    rising_ = true;
    const QPointer<TMiniHtmlPopup> self(this);
    // Clears the rise even when an event handler inside the loop throws, so later notices still rise.
    const auto finish = [&self] {
        if (self) {
            self->rising_ = false;
            if (self->window_) {
                self->window_->setRising(false);
            }
        }
    };
    struct Finally {
        const decltype(finish)& run;
        ~Finally() { run(); }
    } finally{finish};

    const auto finalTop = [this] { return riseBottom_ - window_->height() - rollUpSpace_; };
    while (window_ && window_->y() + window_->height() > riseBottom_) {
        waitOneStep();
        if (!self) {
            return; // destroyed meanwhile, with its owner or on its own
        }
        if (window_) {
            window_->move(window_->x(), std::max(window_->y() - kRiseStep, finalTop()));
        }
    }
    if (window_) {
        window_->move(window_->x(), finalTop());
    }
}
