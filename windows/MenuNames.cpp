#include "windows/MenuNames.h"

#include <QAction>
#include <QFontMetrics>
#include <QMenu>

namespace pinlet {

QAction* addnameitem(QMenu& menu, const QString& name) {
    const QFontMetrics metrics(menu.font());
    QString caption = metrics.elidedText(name, Qt::ElideRight, metrics.averageCharWidth() * kMenuNameChars);
    const bool cut = caption != name;
    caption.replace(QLatin1Char('&'), QStringLiteral("&&"));
    QAction* item = menu.addAction(caption);
    if (cut) {
        // As written: a tooltip would read a name that looks like markup as rich text.
        item->setToolTip(QStringLiteral("<p>%1</p>").arg(name.toHtmlEscaped()));
        menu.setToolTipsVisible(true);
    }
    return item;
}

} // namespace pinlet
