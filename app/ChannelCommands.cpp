// tickerwell --channels, --add-channel, --remove-channel and --test-channels.
#include "Channel.h"
#include "ChannelMessage.h"
#include "Channels.h"
#include "Commands.h"
#include "SecretStore.h"

#include <QUuid>
#include <iostream>
#include <string>
#include <termios.h>
#include <unistd.h>

namespace {
// "1. ntfy https://ntfy.sh/topic", the channel's place in the list first.
QString DescribeChannel(int Number, const TChannel& Channel)
{
    return QString::number(Number) + QStringLiteral(". ") + ChannelLabel(Channel);
}

// One line of standard input, without echo when it is a terminal.
QString ReadSecretLine(const QString& Prompt)
{
    termios Saved{};
    const bool Terminal = isatty(STDIN_FILENO) && tcgetattr(STDIN_FILENO, &Saved) == 0;
    if (Terminal) {
        Print(stderr, Prompt);
        termios Quiet = Saved;
        Quiet.c_lflag &= ~tcflag_t(ECHO);
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &Quiet);
    }
    std::string Line;
    std::getline(std::cin, Line);
    if (Terminal) {
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &Saved);
        std::fputs("\n", stderr);
    }
    return QString::fromLocal8Bit(Line).trimmed();
}

// Argument as text, in the empty optional when it is none in the locale's encoding.
std::optional<QString> TextOf(const QString& Argument)
{
    const std::optional<std::string> Text = ArgumentUtf8(Argument);
    return Text ? std::optional(QString::fromStdString(*Text)) : std::nullopt;
}

// Reads the channel's secret from standard input into the keyring; 0, or the exit status of a
// secret that could not be kept.
int KeepSecret(const TChannel& Channel)
{
    const QString Secret = ReadSecretLine(Channel.Kind == TChannelKind::Ntfy
                                              ? QStringLiteral("Token dostępu (puste: bez tokenu): ")
                                              : QStringLiteral("Hasło: "));
    if (Secret.isEmpty() && Channel.Kind == TChannelKind::Email)
        return CommandError(1, QStringLiteral("brak hasła na wejściu; kanał nie został dodany"));
    if (!Secret.isEmpty())
        if (const TSecretAnswer Answer = WriteSecretNow(Channel.Key, Secret); !Answer.Ok)
            return CommandError(
                1, Answer.Error + QStringLiteral("; hasło nie trafia do pliku, kanał nie został dodany"));
    return 0;
}
} // namespace

int RunChannelsCommand(const QCommandLineParser& Parser)
{
    if (!Parser.positionalArguments().isEmpty())
        return UsageError(QStringLiteral("--channels takes no arguments."));
    QSettings Settings = ChannelSettings();
    const std::vector<TChannel> Channels = LoadChannels(Settings);
    if (Channels.empty())
        Print(stdout, QStringLiteral("Brak kanałów powiadomień.\n"));
    for (std::size_t I = 0; I < Channels.size(); ++I)
        Print(stdout, DescribeChannel(int(I) + 1, Channels[I]) +
                          (Channels[I].On ? QStringLiteral(" włączony") : QStringLiteral(" wyłączony")) +
                          (Channels[I].LastResult.isEmpty() ? QString()
                                                            : QStringLiteral(", ") + Channels[I].LastResult) +
                          QLatin1Char('\n'));
    return 0;
}

int RunAddChannel(const QCommandLineParser& Parser)
{
    const QString KindArgument = Parser.value(QStringLiteral("add-channel"));
    const std::optional<TChannelKind> Kind = KindOf(KindArgument);
    if (!Kind)
        return UsageError(QStringLiteral("nieznany rodzaj kanału „%1”: ntfy, webhook lub email")
                              .arg(ArgumentText(KindArgument)));
    if (Parser.positionalArguments().size() != 1)
        return UsageError(QStringLiteral("--add-channel takes a KIND and one ADDRESS."));
    if (*Kind != TChannelKind::Email)
        for (const QString& Name : {QStringLiteral("to"), QStringLiteral("user")})
            if (Parser.isSet(Name))
                return UsageError(QStringLiteral("--%1 goes with email channels.").arg(Name));
    TChannel Channel{*Kind, {}, {}, {}, true, {}, QUuid::createUuid().toString(QUuid::WithoutBraces)};
    const std::optional<QString> Address = TextOf(Parser.positionalArguments().first());
    const std::optional<QString> User = TextOf(Parser.value(QStringLiteral("user")));
    if (!Address || !User)
        return NoTextError(Address ? QStringLiteral("--user") : QStringLiteral("--add-channel"));
    Channel.Address = *Address;
    Channel.User = *User;
    for (const QString& To : Parser.values(QStringLiteral("to"))) {
        const std::optional<QString> Recipient = TextOf(To);
        if (!Recipient)
            return NoTextError(QStringLiteral("--to"));
        Channel.To << *Recipient;
    }
    if (const QString Problem = ChannelProblem(Channel); !Problem.isEmpty())
        return UsageError(Problem);
    if (TakesSecret(Channel))
        if (const int Status = KeepSecret(Channel))
            return Status;
    QSettings Settings = ChannelSettings();
    std::vector<TChannel> Channels = LoadChannels(Settings);
    Channels.push_back(Channel);
    SaveChannels(Settings, Channels);
    if (Unencrypted(Channel))
        Print(stderr,
              QStringLiteral("tickerwell: uwaga: wiadomości do adresu http:// idą niezaszyfrowane\n"));
    Print(stdout, QStringLiteral("Dodano kanał %1.\n").arg(Channels.size()));
    return 0;
}

int RunRemoveChannel(const QCommandLineParser& Parser)
{
    if (!Parser.positionalArguments().isEmpty())
        return UsageError(QStringLiteral("--remove-channel takes one N."));
    QSettings Settings = ChannelSettings();
    std::vector<TChannel> Channels = LoadChannels(Settings);
    const int N = SourceIdArgument(Parser.value(QStringLiteral("remove-channel")));
    if (N < 1 || N > int(Channels.size()))
        return UsageError(
            QStringLiteral("--remove-channel wymaga numeru kanału od 1 do %1").arg(Channels.size()));
    RemoveSecretNow(Channels[N - 1].Key);
    Channels.erase(Channels.begin() + (N - 1));
    SaveChannels(Settings, Channels);
    return 0;
}

int RunTestChannels(const QCommandLineParser& Parser)
{
    if (!Parser.positionalArguments().isEmpty())
        return UsageError(QStringLiteral("--test-channels takes no arguments."));
    bool All = true;
    for (const TChannelOutcome& Outcome : SendNow(TestChanges())) {
        Print(stdout, DescribeChannel(Outcome.Number, Outcome.Channel) + QStringLiteral(": ") +
                          Outcome.Result + QLatin1Char('\n'));
        All = All && Outcome.Sent;
    }
    return All ? 0 : 1;
}
