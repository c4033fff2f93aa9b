// TChannel: one place the changes are told besides the desktop (a ntfy topic, a webhook, an e-mail
// account), and the list of them in the program's settings. Secrets are never part of it: they live
// in the secret store under the channel's Key.
#pragma once

#include <QSettings>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

enum class TChannelKind
{
    Ntfy,
    Webhook,
    Email
};

struct TChannel
{
    TChannelKind Kind = TChannelKind::Ntfy;
    QString Address; // topic or webhook address; for e-mail the server as smtp:// or smtps://
    QString User;    // e-mail login, empty for none
    QStringList To;  // e-mail recipients
    bool On = true;
    QString LastResult; // "ostatnia wysyłka: ..." once something was sent
    QString Key;        // names the channel's secret in the secret store
};

// "ntfy", "webhook", "email"; KindOf reads them back.
QString KindName(TChannelKind Kind);
std::optional<TChannelKind> KindOf(const QString& Name);
// The channel as a list names it: "email smtps://mail.example.org → a@example.org, b@example.org".
QString ChannelLabel(const TChannel& Channel);

// Whether the channel's secret is wanted: a token for ntfy (optional), a password for e-mail with a
// login; a webhook has none.
bool TakesSecret(const TChannel& Channel);
// Whether a send cannot go without the secret: an e-mail login. A ntfy token that cannot be looked up
// (no Secret Service, as in a cron job) leaves the push to go without one.
bool NeedsSecret(const TChannel& Channel);

// Why Channel cannot be used, in Polish, or empty when it can: an address of the wrong scheme or an
// e-mail channel without recipients.
QString ChannelProblem(const TChannel& Channel);

// Whether the channel's messages would travel unencrypted (an http:// address).
bool Unencrypted(const TChannel& Channel);
// Whether mail may go without TLS: smtp:// to a relay on this machine, with no login. Every other
// smtp:// server must take STARTTLS.
bool PlainRelay(const TChannel& Channel);

// The settings of organisation "QRX & Dobrel", application "Tickerwell", where the list is kept.
QSettings ChannelSettings();

std::vector<TChannel> LoadChannels(QSettings& Settings);
void SaveChannels(QSettings& Settings, const std::vector<TChannel>& Channels);
// Keeps Result as the last result of the channel with Key, when it is still in the list.
void SaveLastResult(QSettings& Settings, const QString& Key, const QString& Result);
