#include "platform/GlobalShortcuts.h"

#include <QKeySequence>
#include <QRegularExpression>

namespace pinlet {

namespace {

bool ismodifierkey(Qt::Key key) {
    switch (key) {
    case Qt::Key_Control:
    case Qt::Key_Shift:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_Hyper_L:
    case Qt::Key_Hyper_R:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock:
    case Qt::Key_ScrollLock:
        return true;
    default:
        return false;
    }
}

// A key that does nothing in typing can stand alone: a function key, Pause, Print.
bool standsalone(Qt::Key key) {
    return (key >= Qt::Key_F1 && key <= Qt::Key_F35) || key == Qt::Key_Pause || key == Qt::Key_Print;
}

} // namespace

std::optional<QKeyCombination> keycombinationfromtext(const QString& text) {
    QString written = text;
    written.remove(QRegularExpression(QStringLiteral("\\s")));
    static const QRegularExpression meta(QStringLiteral("(^|\\+)(win|super)(?=\\+)"),
                                         QRegularExpression::CaseInsensitiveOption);
    written.replace(meta, QStringLiteral("\\1Meta"));
    if (written.isEmpty())
        return std::nullopt;

    const QKeySequence sequence = QKeySequence::fromString(written, QKeySequence::PortableText);
    if (sequence.count() != 1)
        return std::nullopt;
    const QKeyCombination combination = sequence[0];
    const Qt::Key key = combination.key();
    const Qt::KeyboardModifiers modifiers = combination.keyboardModifiers();
    constexpr Qt::KeyboardModifiers allowed =
        Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier | Qt::MetaModifier;
    if (key == Qt::Key_unknown || key == 0 || ismodifierkey(key) || (modifiers & ~allowed))
        return std::nullopt;
    const bool commandmodifier = modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (!commandmodifier && !standsalone(key))
        return std::nullopt;
    return combination;
}

QString keycombinationtext(QKeyCombination combination) {
    return QKeySequence(combination).toString(QKeySequence::PortableText);
}

} // namespace pinlet
