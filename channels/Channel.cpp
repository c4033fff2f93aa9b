// The channel list in the settings and the checks of a channel's address.
#include "Channel.h"

#include <QHostAddress>
#include <QRegularExpression>
#include <QUrl>
#include <QUuid>

namespace {
const QString ListKey = QStringLiteral("KanalyPowiadomien");

bool OnLoopback(const QUrl& Url)
{
    const QString Host = Url.host();
    return Host.compare(QStringLiteral("localhost"), Qt::CaseInsensitive) == 0 ||
           QHostAddress(Host).isLoopback();
}
} // namespace

QString KindName(TChannelKind Kind)
{
    switch (Kind) {
    case TChannelKind::Ntfy:
        return QStringLiteral("ntfy");
    case TChannelKind::Webhook:
        return QStringLiteral("webhook");
    case TChannelKind::Email:
        break;
    }
    return QStringLiteral("email");
}

QString ChannelLabel(const TChannel& Channel)
{
    QString Label = KindName(Channel.Kind) + QLatin1Char(' ') + Channel.Address;
    if (!Channel.To.isEmpty())
        Label += QStringLiteral(" → ") + Channel.To.join(QStringLiteral(", "));
    return Label;
}

std::optional<TChannelKind> KindOf(const QString& Name)
{
    for (TChannelKind Kind : {TChannelKind::Ntfy, TChannelKind::Webhook, TChannelKind::Email})
        if (KindName(Kind) == Name)
            return Kind;
    return std::nullopt;
}

bool TakesSecret(const TChannel& Channel)
{
    return Channel.Kind == TChannelKind::Ntfy ||
           (Channel.Kind == TChannelKind::Email && !Channel.User.isEmpty());
}

bool NeedsSecret(const TChannel& Channel)
{
    return Channel.Kind == TChannelKind::Email && !Channel.User.isEmpty();
}

QString ChannelProblem(const TChannel& Channel)
{
    const QUrl Url(Channel.Address, QUrl::StrictMode);
    const QString Scheme = Url.scheme().toLower();
    if (!Url.isValid() || Url.host().isEmpty())
        return QStringLiteral("nieprawidłowy adres: %1").arg(Channel.Address);
    if (Channel.Kind != TChannelKind::Email)
        return Scheme == QLatin1String("http") || Scheme == QLatin1String("https")
                   ? QString()
                   : QStringLiteral("adres musi zaczynać się od http:// lub https://");
    if (Scheme != QLatin1String("smtp") && Scheme != QLatin1String("smtps"))
        return QStringLiteral("adres serwera poczty musi zaczynać się od smtps:// lub smtp://");
    if (Channel.To.isEmpty())
        return QStringLiteral("brak adresu odbiorcy (--to)");
    // A plain address only: anything else could add headers or recipients of its own.
    static const QRegularExpression Mailbox(QStringLiteral("^[^\\s<>@,]+@[^\\s<>@,]+$"));
    for (const QString& To : Channel.To)
        if (!Mailbox.match(To).hasMatch())
            return QStringLiteral("nieprawidłowy adres odbiorcy: %1").arg(To);
    // A login that looks like an address becomes the sender.
    if (Channel.User.contains(QLatin1Char('@'))
            ? !Mailbox.match(Channel.User).hasMatch()
            : Channel.User.contains(QRegularExpression(QStringLiteral("\\s"))))
        return QStringLiteral("nieprawidłowa nazwa użytkownika: %1").arg(Channel.User);
    return QString();
}

bool Unencrypted(const TChannel& Channel)
{
    return Channel.Kind != TChannelKind::Email &&
           Channel.Address.startsWith(QLatin1String("http://"), Qt::CaseInsensitive);
}

bool PlainRelay(const TChannel& Channel)
{
    const QUrl Url(Channel.Address);
    return Url.scheme().toLower() == QLatin1String("smtp") && Channel.User.isEmpty() && OnLoopback(Url);
}

QSettings ChannelSettings()
{
    return QSettings(QStringLiteral("QRX & Dobrel"), QStringLiteral("Tickerwell"));
}

std::vector<TChannel> LoadChannels(QSettings& Settings)
{
    std::vector<TChannel> Channels;
    const int Count = Settings.beginReadArray(ListKey);
    for (int I = 0; I < Count; ++I) {
        Settings.setArrayIndex(I);
        const std::optional<TChannelKind> Kind = KindOf(Settings.value(QStringLiteral("Rodzaj")).toString());
        if (!Kind)
            continue; // a hand-edited entry of no known kind is left out rather than guessed
        Channels.push_back({*Kind, Settings.value(QStringLiteral("Adres")).toString(),
                            Settings.value(QStringLiteral("Uzytkownik")).toString(),
                            Settings.value(QStringLiteral("Odbiorcy")).toStringList(),
                            Settings.value(QStringLiteral("Wlaczony"), true).toBool(),
                            Settings.value(QStringLiteral("OstatniaWysylka")).toString(),
                            Settings.value(QStringLiteral("Klucz")).toString()});
        if (Channels.back().Key.isEmpty())
            Channels.back().Key = QUuid::createUuid().toString(QUuid::WithoutBraces);
    }
    Settings.endArray();
    return Channels;
}

void SaveChannels(QSettings& Settings, const std::vector<TChannel>& Channels)
{
    Settings.remove(ListKey);
    Settings.beginWriteArray(ListKey, static_cast<int>(Channels.size()));
    for (int I = 0; I < static_cast<int>(Channels.size()); ++I) {
        const TChannel& Channel = Channels[I];
        Settings.setArrayIndex(I);
        Settings.setValue(QStringLiteral("Rodzaj"), KindName(Channel.Kind));
        Settings.setValue(QStringLiteral("Adres"), Channel.Address);
        Settings.setValue(QStringLiteral("Uzytkownik"), Channel.User);
        Settings.setValue(QStringLiteral("Odbiorcy"), Channel.To);
        Settings.setValue(QStringLiteral("Wlaczony"), Channel.On);
        Settings.setValue(QStringLiteral("OstatniaWysylka"), Channel.LastResult);
        Settings.setValue(QStringLiteral("Klucz"), Channel.Key);
    }
    Settings.endArray();
    Settings.sync();
}

void SaveLastResult(QSettings& Settings, const QString& Key, const QString& Result)
{
    std::vector<TChannel> Channels = LoadChannels(Settings);
    for (TChannel& Channel : Channels)
        if (Channel.Key == Key) {
            Channel.LastResult = Result;
            SaveChannels(Settings, Channels);
            return;
        }
}
