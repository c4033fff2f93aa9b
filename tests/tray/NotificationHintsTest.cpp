// The notification's hints as a notification service receives them over a private session bus:
// the menu entry always, the icon's pixels only where the icon theme lacks the icon.
#include "NotificationHints.h"
#include "PrivateBus.h"
#include "TempDir.h"
#include "WaitUntil.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QIcon>
#include <gtest/gtest.h>

namespace {
class TService : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.example.Hints")
public:
    std::optional<QVariantMap> Received;
public slots:
    void Take(const QVariantMap& Hints) { Received = Hints; }
};

struct TImage
{
    int Width = 0, Height = 0, RowStride = 0;
    bool HasAlpha = false;
    int BitsPerSample = 0, Channels = 0;
    QByteArray Data;
};

TImage ReadImage(const QVariant& Hint)
{
    TImage Image;
    const QDBusArgument Argument = Hint.value<QDBusArgument>();
    Argument.beginStructure();
    Argument >> Image.Width >> Image.Height >> Image.RowStride >> Image.HasAlpha >> Image.BitsPerSample >>
        Image.Channels >> Image.Data;
    Argument.endStructure();
    return Image;
}

TEST(NotificationHints, NameTheMenuEntryAndCarryTheIconWhereTheThemeLacksIt)
{
    TPrivateBus Bus;
    ASSERT_FALSE(Bus.Address().isEmpty()) << "dbus-daemon did not start";
    QDBusConnection Sender = QDBusConnection::connectToBus(Bus.Address(), QStringLiteral("sender"));
    QDBusConnection Receiver = QDBusConnection::connectToBus(Bus.Address(), QStringLiteral("receiver"));
    TService Service;
    ASSERT_TRUE(Receiver.registerObject(QStringLiteral("/"), &Service, QDBusConnection::ExportAllSlots));

    // A theme of the test's own, alone on the search path, that holds the icon.
    TTempDir Themes;
    std::filesystem::create_directories(Themes.Path() / "withicon/32x32/apps");
    Themes.Write("withicon/index.theme",
                 "[Icon Theme]\nName=withicon\nDirectories=32x32/apps\n\n[32x32/apps]\nSize=32\n");
    QImage Icon(2, 1, QImage::Format_ARGB32);
    Icon.setPixel(0, 0, qRgba(200, 10, 20, 255));
    Icon.setPixel(1, 0, qRgba(1, 2, 3, 0));
    ASSERT_TRUE(
        Icon.save(QString::fromStdString((Themes.Path() / "withicon/32x32/apps/tickerwell.png").string())));
    QIcon::setThemeSearchPaths({QString::fromStdString(Themes.Path().string())});

    for (const char* Theme : {"withicon", "none"}) {
        SCOPED_TRACE(Theme);
        QIcon::setThemeName(QString::fromLatin1(Theme));
        Service.Received.reset();
        QDBusMessage Call =
            QDBusMessage::createMethodCall(Receiver.baseService(), QStringLiteral("/"),
                                           QStringLiteral("org.example.Hints"), QStringLiteral("Take"));
        Call << NotificationHints(Icon);
        const QDBusPendingCall Pending = Sender.asyncCall(Call);
        ASSERT_TRUE(WaitUntil([&] { return Service.Received.has_value(); }, 10));
        const QVariantMap& Hints = *Service.Received;
        EXPECT_EQ(Hints.value(QStringLiteral("desktop-entry")).toString(), QStringLiteral("tickerwell"));
        EXPECT_EQ(NotificationIcon(), QStringLiteral("tickerwell"));
        if (std::string_view(Theme) == "withicon") {
            EXPECT_FALSE(Hints.contains(QStringLiteral("image-data")))
                << "pixels sent though the theme has the icon";
            continue;
        }
        ASSERT_TRUE(Hints.contains(QStringLiteral("image-data"))) << "no pixels where no theme has the icon";
        const TImage Image = ReadImage(Hints.value(QStringLiteral("image-data")));
        EXPECT_EQ(std::tuple(Image.Width, Image.Height, Image.RowStride, Image.HasAlpha, Image.BitsPerSample,
                             Image.Channels),
                  std::tuple(2, 1, 8, true, 8, 4));
        EXPECT_EQ(Image.Data, QByteArray::fromHex("c80a14ff01020300")) << "RGBA bytes, row by row";
    }
}
} // namespace

#include "NotificationHintsTest.moc"
