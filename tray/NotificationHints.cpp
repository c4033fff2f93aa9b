// The notification's icon name and hints, with the image-data structure over Qt DBus.
#include "NotificationHints.h"

#include <QDBusArgument>
#include <QDBusMetaType>
#include <QIcon>

namespace {
// The freedesktop image-data hint, (iiibiiay): 8-bit RGBA rows.
struct TImageData
{
    QImage Image;
};

QDBusArgument& operator<<(QDBusArgument& Argument, const TImageData& Data)
{
    const QImage& Image = Data.Image;
    Argument.beginStructure();
    Argument << Image.width() << Image.height() << int(Image.bytesPerLine()) << true << 8 << 4
             << QByteArray(reinterpret_cast<const char*>(Image.constBits()), Image.sizeInBytes());
    Argument.endStructure();
    return Argument;
}

// Never read back: the hint only goes out.
const QDBusArgument& operator>>(const QDBusArgument& Argument, TImageData&)
{
    return Argument;
}
} // namespace

Q_DECLARE_METATYPE(TImageData)

QString NotificationIcon()
{
    return QStringLiteral("tickerwell");
}

QVariantMap NotificationHints(const QImage& Icon)
{
    QVariantMap Hints{{QStringLiteral("desktop-entry"), NotificationIcon()}};
    if (!Icon.isNull() && !QIcon::hasThemeIcon(NotificationIcon())) {
        qDBusRegisterMetaType<TImageData>();
        Hints.insert(QStringLiteral("image-data"),
                     QVariant::fromValue(TImageData{Icon.convertToFormat(QImage::Format_RGBA8888)}));
    }
    return Hints;
}
