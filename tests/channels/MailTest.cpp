// E-mail through a loopback mail server that requires STARTTLS.
#include "ChannelMessage.h"
#include "ChannelSender.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTimeZone>
#include <gtest/gtest.h>

namespace {
// The mail server of smtp_server.py, started for the test's life; Port stays 0 when it cannot run.
struct TMailServer
{
    TMailServer()
    {
        Process.start(QStringLiteral("/usr/bin/python3"),
                      {QStringLiteral(TKW_SMTP_SERVER), QStringLiteral(TKW_TLS_DATA_DIR "/server.pem"),
                       QStringLiteral(TKW_TLS_DATA_DIR "/server-key.pem")});
        Port = ReadLine().trimmed().toInt();
    }
    ~TMailServer()
    {
        Process.closeWriteChannel();
        if (!Process.waitForFinished(5000))
            Process.kill(), Process.waitForFinished();
    }
    // The next message the server received, as it printed it.
    QJsonObject Next() { return QJsonDocument::fromJson(ReadLine()).object(); }
    // A whole line of the server's output; empty when none comes.
    QByteArray ReadLine()
    {
        while (!Process.canReadLine() && Process.waitForReadyRead(20000))
            ;
        return Process.readLine();
    }

    QProcess Process;
    int Port = 0;
};

TChannel Mail(int Port, const QString& User)
{
    return {TChannelKind::Email,
            QStringLiteral("smtp://127.0.0.1:%1").arg(Port),
            User,
            {QStringLiteral("trader@example.org"), QStringLiteral("biuro@example.org")}};
}
} // namespace

TEST(ChannelMail, GoesOverTrustedStartTlsWithEncodedSubjectAndUtf8Body)
{
    TMailServer Server;
    ASSERT_NE(Server.Port, 0) << "the loopback mail server (python3-aiosmtpd) did not start";
    SetChannelCaFile(TKW_TLS_DATA_DIR "/ca.pem");
    const TRefreshChanges Changes{
        QDateTime(QDate(2026, 3, 2), QTime(9, 30), QTimeZone(3600)),
        {{1, "Giełda — Złoty", "https://www.parkiet.com/x", {"Złoty słabnie; WIG20 −1,5%"}, 0, {}}}};
    const auto Send = [&](const QString& Password) {
        return SendToChannel(Mail(Server.Port, QStringLiteral("tester")), Password, Changes);
    };
    const TSendResult Sent = Send(QStringLiteral("sekret"));
    EXPECT_TRUE(Sent.Sent) << Sent.Reason.toStdString();
    const QJsonObject Received = Server.Next();
    EXPECT_TRUE(Received[QStringLiteral("tls")].toBool()) << "the mail went before STARTTLS";
    EXPECT_EQ(Received[QStringLiteral("from")].toString(), QStringLiteral("trader@example.org"));
    EXPECT_EQ(Received[QStringLiteral("to")].toArray().size(), 2);
    const QByteArray Whole = Received[QStringLiteral("mail")].toString().toUtf8();
    const qsizetype Blank = Whole.indexOf("\r\n\r\n");
    const QByteArray Head = Whole.left(Blank + 2);
    for (const char* Header :
         {"\r\nFrom: trader@example.org\r\n", "\r\nTo: trader@example.org, biuro@example.org\r\n",
          "\r\nSubject: =?UTF-8?B?Tm93ZSBrb21lbnRhcnplOiBHaWXFgmRhIOKAlCBaxYJvdHk=?=\r\n",
          "\r\nContent-Type: text/plain; charset=UTF-8\r\n", "\r\nMIME-Version: 1.0\r\n"})
        EXPECT_TRUE(Head.contains(Header)) << "missing " << Header << " in\n" << Head.toStdString();
    EXPECT_TRUE(Head.startsWith("Date: 02 Mar 2026 09:30:00 +0100\r\n")) << Head.toStdString();
    EXPECT_EQ(QString::fromUtf8(QByteArray::fromBase64(Whole.mid(Blank + 4))),
              QStringLiteral("Giełda — Złoty\n+ Złoty słabnie; WIG20 −1,5%\nhttps://www.parkiet.com/x"));

    SetDefaultSendLimits({std::chrono::seconds(5), std::chrono::seconds(10), 1, {}});
    const TSendResult Refused = Send(QStringLiteral("złe"));
    SetChannelCaFile({});
    EXPECT_FALSE(Refused.Sent);
    EXPECT_EQ(Refused.Reason, QStringLiteral("serwer odrzucił logowanie"));
    // Without the test's own authority the server's certificate is not trusted and STARTTLS fails.
    const TSendResult Untrusted = Send(QStringLiteral("sekret"));
    SetDefaultSendLimits({});
    EXPECT_EQ(Untrusted.Reason, QStringLiteral("nie można potwierdzić certyfikatu serwera"));
}
