#pragma once
// A picture that reacts to a click, like the pictures on the windows' bars (save, pin, close).

#include <QLabel>
#include <QString>

#include <functional>

namespace pinlet {

// A click is a left press and its release over the picture. The hint is kept for accessibility only: the
// program's windows never show tooltips.
class TImage : public QLabel {
    Q_OBJECT
public:
    explicit TImage(QWidget* parent = nullptr);

    // A free integer for the window's own use (the pin keeps its state in it).
    int Tag = 0;

    QString Hint() const { return accessibleName(); }
    void setHint(const QString& hint) { setAccessibleName(hint); }

    std::function<void()> OnClick;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool pressed_ = false;
};

} // namespace pinlet
