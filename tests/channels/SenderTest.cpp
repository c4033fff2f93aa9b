// The channels' sends against servers on the loopback address.
#include "ChannelMessage.h"
#include "ChannelSender.h"
#include "LoopbackServer.h"

#include <QTimeZone>
#include <gtest/gtest.h>

namespace {
using namespace std::chrono_literals;

// Short limits, so that the tries and time-outs of a test take a moment; restored afterwards.
struct TQuickLimits
{
    explicit TQuickLimits(std::chrono::milliseconds Whole = 5000ms)
    {
        SetDefaultSendLimits({1000ms, Whole, 3, 20ms});
    }
    ~TQuickLimits() { SetDefaultSendLimits({}); }
};

TRefreshChanges TwoSources()
{
    const TSourceChange Parkiet{
        1, "Parkiet", "https://www.parkiet.com/x", {"WIG20 zyskał „dużo”: \"rekord\"\nna zamknięciu"}, 2, {}};
    const TSourceChange Stormer{3, "Stormer On-line", "https://www.bankier.pl/y", {}, 0, "KGHM"};
    return {QDateTime(QDate(2026, 3, 2), QTime(9, 30, 5), QTimeZone(3600)), {Parkiet, Stormer}};
}

// The request's head (up to the blank line) and its body.
std::pair<std::string, std::string> Split(const std::string& Request)
{
    const std::size_t End = Request.find("\r\n\r\n");
    return {Request.substr(0, End + 2), Request.substr(End + 4)};
}
} // namespace

TEST(ChannelSender, NtfyAndWebhookRequestsCarryTheChangesExactly)
{
    TLoopbackServer Server;
    Server.Serve("/topic", {200, "{}"});
    Server.Serve("/hook", {204, ""});
    const TRefreshChanges Changes = TwoSources();

    ASSERT_TRUE(SendToChannel({TChannelKind::Ntfy, QString::fromStdString(Server.Url("/topic"))},
                              QStringLiteral("tk_sekret"), Changes)
                    .Sent);
    ASSERT_TRUE(
        SendToChannel({TChannelKind::Webhook, QString::fromStdString(Server.Url("/hook"))}, {}, Changes)
            .Sent);
    const auto Requests = Server.WholeRequests();
    ASSERT_EQ(Requests.size(), 2u);

    const auto [NtfyHead, NtfyBody] = Split(Requests[0]);
    EXPECT_TRUE(NtfyHead.starts_with("POST /topic HTTP/1.1\r\n")) << NtfyHead;
    for (const char* Header :
         {"\r\nTitle: Nowe komentarze: Parkiet, Stormer On-line\r\n",
          "\r\nClick: https://www.parkiet.com/x\r\n", "\r\nTags: tickerwell,KGHM\r\n",
          "\r\nAuthorization: Bearer tk_sekret\r\n", "\r\nContent-Type: text/plain; charset=utf-8\r\n"})
        EXPECT_NE(NtfyHead.find(Header), std::string::npos) << "missing " << Header << " in\n" << NtfyHead;
    EXPECT_EQ(NtfyBody,
              "Parkiet\n+ WIG20 zyskał „dużo”: \"rekord\"\nna zamknięciu\nUsuniętych fragmentów: 2\n"
              "https://www.parkiet.com/x\n\nStormer On-line\nSłowo: KGHM\nhttps://www.bankier.pl/y");

    const auto [HookHead, HookBody] = Split(Requests[1]);
    EXPECT_NE(HookHead.find("\r\nContent-Type: application/json\r\n"), std::string::npos) << HookHead;
    EXPECT_EQ(HookHead.find("Authorization"), std::string::npos) << "a webhook carries no token";
    EXPECT_EQ(
        HookBody,
        R"({"changes":[{"added":["WIG20 zyskał „dużo”: \"rekord\"\nna zamknięciu"],)"
        R"("address":"https://www.parkiet.com/x","caption":"Parkiet","removed":2,"source":1,"trigger":null},)"
        R"({"added":[],"address":"https://www.bankier.pl/y","caption":"Stormer On-line","removed":0,)"
        R"("source":3,"trigger":"KGHM"}],"time":"2026-03-02T09:30:05+01:00"})");
}

TEST(ChannelSender, FailingAndSilentServersEndInAFailureAfterThreeTries)
{
    TLoopbackServer Server;
    Server.Serve("/down", {503, "busy"});
    Server.Serve("/silent", {200, "never all of it", {}, TReply::TFault::Stall});
    {
        TQuickLimits Limits;
        const TSendResult Down = SendToChannel(
            {TChannelKind::Webhook, QString::fromStdString(Server.Url("/down"))}, {}, TestChanges());
        EXPECT_FALSE(Down.Sent);
        EXPECT_EQ(Down.Tries, 3);
        EXPECT_EQ(Server.RequestCount("/down"), 3);
        EXPECT_EQ(
            ResultText(Down, QDateTime(QDate(2026, 3, 2), QTime(9, 30))),
            QStringLiteral("ostatnia wysyłka: błąd: serwer odpowiedział kodem 503, 2026-03-02 09:30:00"));
    }
    TQuickLimits Limits(200ms);
    const TSendResult Silent =
        SendToChannel({TChannelKind::Ntfy, QString::fromStdString(Server.Url("/silent"))}, {}, TestChanges());
    EXPECT_FALSE(Silent.Sent);
    EXPECT_EQ(Silent.Reason, QStringLiteral("przekroczony czas oczekiwania"));
    EXPECT_EQ(Server.RequestCount("/silent"), 3);
    Server.Release();
}

TEST(ChannelSender, AddressesAreCheckedBeforeAnySendAndPlainMailOnlyGoesToALocalRelay)
{
    const QStringList To{"ty@example.org"};
    EXPECT_EQ(ChannelProblem({TChannelKind::Email, "smtps://mail.example.org"}),
              QStringLiteral("brak adresu odbiorcy (--to)"));
    EXPECT_EQ(
        ChannelProblem({TChannelKind::Email, "smtps://mail.example.org", {}, {"ty@example.org\r\nBcc: x@y"}}),
        QStringLiteral("nieprawidłowy adres odbiorcy: ty@example.org\r\nBcc: x@y"));
    EXPECT_FALSE(ChannelProblem({TChannelKind::Ntfy, "ntfy.sh/temat"}).isEmpty());
    EXPECT_FALSE(ChannelProblem({TChannelKind::Email, "https://mail.example.org", {}, To}).isEmpty());
    EXPECT_TRUE(Unencrypted({TChannelKind::Webhook, "HTTP://192.168.1.5:8080/hook"}));
    EXPECT_FALSE(Unencrypted({TChannelKind::Ntfy, "https://ntfy.sh/temat"}));
    EXPECT_TRUE(PlainRelay({TChannelKind::Email, "smtp://127.0.0.1:25", {}, To}));
    EXPECT_TRUE(PlainRelay({TChannelKind::Email, "smtp://localhost", {}, To}));
    EXPECT_FALSE(PlainRelay({TChannelKind::Email, "smtp://127.0.0.1:25", "ja", To})) << "a login needs TLS";
    EXPECT_FALSE(PlainRelay({TChannelKind::Email, "smtp://mail.example.org:587", {}, To}));
}

TEST(ChannelSender, EncodedWordsKeepEveryCharacterWhole)
{
    EXPECT_EQ(EncodedWords(QStringLiteral("Nowe komentarze: DoAkcji")), "Nowe komentarze: DoAkcji");
    const QString Long = QStringLiteral("Nowe komentarze: Żółć gęślą jaźń, ") + QString(40, QChar(0x0105));
    const QByteArray Words = EncodedWords(Long);
    QString Decoded;
    for (const QByteArray& Word : Words.split('\n')) {
        const QByteArray Trimmed = Word.trimmed();
        EXPECT_LE(Trimmed.size(), 75) << Trimmed.toStdString();
        ASSERT_TRUE(Trimmed.startsWith("=?UTF-8?B?") && Trimmed.endsWith("?=")) << Trimmed.toStdString();
        const QByteArray Bytes = QByteArray::fromBase64(Trimmed.mid(10, Trimmed.size() - 12));
        EXPECT_TRUE(QString::fromUtf8(Bytes).toUtf8() == Bytes) << "a word holds a character cut in two";
        Decoded += QString::fromUtf8(Bytes);
    }
    EXPECT_EQ(Decoded, Long);
    EXPECT_TRUE(EncodedWords(QStringLiteral("=?ascii but looks encoded")).startsWith("=?UTF-8?B?"));
}
