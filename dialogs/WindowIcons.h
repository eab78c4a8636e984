#pragma once

#include <QString>

class QWidget;

// The program's own small and large icons.
inline const QString kSmallIconResource = QStringLiteral(":/icons/QXR_Icon_16.png");
inline const QString kLargeIconResource = QStringLiteral(":/icons/QXR_Icon_32.png");

// Gives a window the program's small and large icons. An icon that cannot be loaded is skipped; when
// neither loads the window keeps the icon it had.
void SetWindowIcons(QWidget* Window, const QString& sSmallIcon = kSmallIconResource,
                    const QString& sLargeIcon = kLargeIconResource);
