// NotificationIcon, NotificationHints: what a desktop notification carries to show the program's
// icon and to tie it to the program's menu entry.
#pragma once

#include <QImage>
#include <QString>
#include <QVariantMap>

// The icon's name in the icon theme, as the package and the per-user install put it there.
QString NotificationIcon();

// The notification's hints: the menu entry's id ("desktop-entry"), and the icon's pixels
// ("image-data") unless the icon theme holds the icon, as it does not for a build folder or the demo.
QVariantMap NotificationHints(const QImage& Icon);
