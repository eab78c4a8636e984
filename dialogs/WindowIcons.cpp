#include "dialogs/WindowIcons.h"

#include <QIcon>
#include <QPixmap>
#include <QWidget>

void SetWindowIcons(QWidget* Window, const QString& sSmallIcon, const QString& sLargeIcon) {
    if (!Window)
        return;
    QIcon Icon;
    for (const QString& sIcon : {sSmallIcon, sLargeIcon}) {
        const QPixmap Pixmap(sIcon);
        if (!Pixmap.isNull())
            Icon.addPixmap(Pixmap);
    }
    if (!Icon.isNull())
        Window->setWindowIcon(Icon);
}
