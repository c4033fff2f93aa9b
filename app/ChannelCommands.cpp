// The channel commands of the shell.
#include "ChannelCommands.h"

#include "Channel.h"
#include "ChannelMessage.h"
#include "Channels.h"
#include "SecretStore.h"
#include "Windows1250.h"

#include <QCoreApplication>
#include <QUuid>
#include <clocale>
#include <cstdio>
#include <iostream>
#include <string>
#include <string_view>
#include <termios.h>
#include <unistd.h>

namespace {
constexpr std::string_view ChannelUsage =
    "tickerwell --channels | --add-channel ntfy|webhook|email ADDRESS [--to ADDR ...] "
    "[--user NAME] | --remove-channel N | --test-channels";
constexpr std::string_view ChannelCommandNames[] = {"--channels", "--add-channel", "--remove-channel",
                                                    "--test-channels"};

void Say(std::FILE* Stream, const QString& Text)
{
    std::fputs(Utf8ToLocale(Text.toStdString()).c_str(), Stream);
}

int RefuseChannel(const QString& Message)
{
    Say(stderr, QStringLiteral("tickerwell: %1\nUżycie: %2\n")
                    .arg(Message, QString::fromUtf8(ChannelUsage.data(), ChannelUsage.size())));
    return 2;
}

int FailChannel(const QString& Message)
{
    Say(stderr, QStringLiteral("tickerwell: %1\n").arg(Message));
    return 1;
}

QString DescribeChannel(int Number, const TChannel& Channel)
{
    QString Line = QStringLiteral("%1. %2 %3").arg(Number).arg(KindName(Channel.Kind), Channel.Address);
    if (!Channel.To.isEmpty())
        Line += QStringLiteral(" → ") + Channel.To.join(QStringLiteral(", "));
    return Line;
}

// One line of standard input, without echo when it is a terminal.
QString ReadSecretLine(const QString& Prompt)
{
    termios Saved{};
    const bool Terminal = isatty(STDIN_FILENO) && tcgetattr(STDIN_FILENO, &Saved) == 0;
    if (Terminal) {
        Say(stderr, Prompt);
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

int ListChannels()
{
    QSettings Settings = ChannelSettings();
    const std::vector<TChannel> Channels = LoadChannels(Settings);
    if (Channels.empty())
        Say(stdout, QStringLiteral("Brak kanałów powiadomień.\n"));
    for (std::size_t I = 0; I < Channels.size(); ++I)
        Say(stdout, DescribeChannel(int(I) + 1, Channels[I]) +
                        (Channels[I].On ? QStringLiteral(" włączony") : QStringLiteral(" wyłączony")) +
                        (Channels[I].LastResult.isEmpty() ? QString()
                                                          : QStringLiteral(", ") + Channels[I].LastResult) +
                        QLatin1Char('\n'));
    return 0;
}

int AddChannel(const QStringList& Arguments)
{
    if (Arguments.size() < 2)
        return RefuseChannel(QStringLiteral("--add-channel wymaga rodzaju i adresu"));
    const std::optional<TChannelKind> Kind = KindOf(Arguments[0]);
    if (!Kind)
        return RefuseChannel(
            QStringLiteral("nieznany rodzaj kanału „%1”: ntfy, webhook lub email").arg(Arguments[0]));
    TChannel Channel{
        *Kind, Arguments[1], {}, {}, true, {}, QUuid::createUuid().toString(QUuid::WithoutBraces)};
    for (qsizetype I = 2; I < Arguments.size(); I += 2) {
        if (I + 1 >= Arguments.size())
            return RefuseChannel(QStringLiteral("%1 wymaga wartości").arg(Arguments[I]));
        if (Arguments[I] == QLatin1String("--to") && *Kind == TChannelKind::Email)
            Channel.To << Arguments[I + 1];
        else if (Arguments[I] == QLatin1String("--user") && *Kind == TChannelKind::Email &&
                 Channel.User.isEmpty())
            Channel.User = Arguments[I + 1];
        else
            return RefuseChannel(QStringLiteral("nieznany argument „%1”").arg(Arguments[I]));
    }
    if (const QString Problem = ChannelProblem(Channel); !Problem.isEmpty())
        return RefuseChannel(Problem);
    if (TakesSecret(Channel)) {
        const QString Secret = ReadSecretLine(Channel.Kind == TChannelKind::Ntfy
                                                  ? QStringLiteral("Token dostępu (puste: bez tokenu): ")
                                                  : QStringLiteral("Hasło: "));
        if (Secret.isEmpty() && Channel.Kind == TChannelKind::Email)
            return FailChannel(QStringLiteral("brak hasła na wejściu; kanał nie został dodany"));
        if (!Secret.isEmpty())
            if (const TSecretAnswer Answer = WriteSecretNow(Channel.Key, Secret); !Answer.Ok)
                return FailChannel(Answer.Error +
                                   QStringLiteral("; hasło nie trafia do pliku, kanał nie został dodany"));
    }
    QSettings Settings = ChannelSettings();
    std::vector<TChannel> Channels = LoadChannels(Settings);
    Channels.push_back(Channel);
    SaveChannels(Settings, Channels);
    if (Unencrypted(Channel))
        Say(stderr, QStringLiteral("tickerwell: uwaga: wiadomości do adresu http:// idą niezaszyfrowane\n"));
    Say(stdout, QStringLiteral("Dodano kanał %1.\n").arg(Channels.size()));
    return 0;
}

int RemoveChannel(const QStringList& Arguments)
{
    QSettings Settings = ChannelSettings();
    std::vector<TChannel> Channels = LoadChannels(Settings);
    bool Number = Arguments.size() == 1;
    const int N = Number ? Arguments[0].toInt(&Number) : 0;
    if (!Number || N < 1 || N > int(Channels.size()))
        return RefuseChannel(
            QStringLiteral("--remove-channel wymaga numeru kanału od 1 do %1").arg(Channels.size()));
    RemoveSecretNow(Channels[N - 1].Key);
    Channels.erase(Channels.begin() + (N - 1));
    SaveChannels(Settings, Channels);
    return 0;
}

int TestChannels()
{
    bool All = true;
    for (const TChannelOutcome& Outcome : SendNow(TestChanges())) {
        Say(stdout, DescribeChannel(Outcome.Number, Outcome.Channel) + QStringLiteral(": ") + Outcome.Result +
                        QLatin1Char('\n'));
        All = All && Outcome.Sent;
    }
    return All ? 0 : 1;
}
} // namespace

bool AsksForChannelCommand(int argc, char** argv)
{
    return argc > 1 &&
           std::ranges::find(ChannelCommandNames, std::string_view(argv[1])) != std::end(ChannelCommandNames);
}

int RunChannelCommand(int argc, char** argv)
{
    std::setlocale(LC_ALL, "");
    QCoreApplication Application(argc, argv);
    QStringList Arguments = QCoreApplication::arguments().mid(1);
    const QString Command = Arguments.takeFirst();
    if (Command == QLatin1String("--add-channel"))
        return AddChannel(Arguments);
    if (Command == QLatin1String("--remove-channel"))
        return RemoveChannel(Arguments);
    if (!Arguments.isEmpty())
        return RefuseChannel(QStringLiteral("%1 nie przyjmuje argumentów").arg(Command));
    return Command == QLatin1String("--channels") ? ListChannels() : TestChannels();
}
