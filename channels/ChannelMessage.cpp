// Composes the channels' messages from one refresh's changes.
#include "ChannelMessage.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUrl>
#include <QUuid>

namespace {
// Keeps each encoded word within 75 characters: "=?UTF-8?B?" + base64 + "?=" holds 45 bytes of text,
// split only between whole UTF-8 characters.
constexpr qsizetype WordBytes = 45;

QString Rfc3339(const QDateTime& Time)
{
    return Time.toOffsetFromUtc(Time.offsetFromUtc()).toString(Qt::ISODate);
}
} // namespace

QString ChangeSummary(const QStringList& Captions)
{
    return QStringLiteral("Nowe komentarze: ") + Captions.join(QStringLiteral(", "));
}

QString ChangeSummary(const TRefreshChanges& Changes)
{
    QStringList Captions;
    for (const TSourceChange& Source : Changes.Sources)
        Captions << Source.Caption;
    return ChangeSummary(Captions);
}

QString ChangeText(const TRefreshChanges& Changes)
{
    QStringList Blocks;
    for (const TSourceChange& Source : Changes.Sources) {
        QStringList Lines{Source.Caption};
        if (!Source.Trigger.isEmpty())
            Lines << QStringLiteral("Słowo: ") + Source.Trigger;
        for (const QString& Passage : Source.Added)
            Lines << QStringLiteral("+ ") + Passage;
        if (Source.Removed > 0)
            Lines << QStringLiteral("Usuniętych fragmentów: %1").arg(Source.Removed);
        Lines << Source.Address;
        Blocks << Lines.join(QLatin1Char('\n'));
    }
    return Blocks.join(QStringLiteral("\n\n"));
}

QByteArray EncodedWords(const QString& Text, const QByteArray& Fold)
{
    const QByteArray Bytes = Text.toUtf8();
    bool Plain = !Bytes.contains("=?");
    for (char Byte : Bytes)
        Plain = Plain && Byte >= 0x20 && Byte < 0x7F;
    if (Plain)
        return Bytes;
    QList<QByteArray> Words;
    for (qsizetype From = 0; From < Bytes.size();) {
        qsizetype To = std::min(From + WordBytes, Bytes.size());
        while (To < Bytes.size() && (static_cast<unsigned char>(Bytes[To]) & 0xC0) == 0x80)
            --To; // never cut a character in two
        Words << "=?UTF-8?B?" + Bytes.mid(From, To - From).toBase64() + "?=";
        From = To;
    }
    return Words.join(Fold);
}

THttpMessage NtfyMessage(const TRefreshChanges& Changes)
{
    QStringList Tags{QStringLiteral("tickerwell")};
    for (const TSourceChange& Source : Changes.Sources)
        if (!Source.Trigger.isEmpty())
            Tags << Source.Trigger;
    THttpMessage Message{ChangeText(Changes).toUtf8(),
                         {{"Title", EncodedWords(ChangeSummary(Changes), " ")}}};
    if (!Changes.Sources.empty())
        Message.Headers.append({"Click", QUrl(Changes.Sources.front().Address).toEncoded()});
    Message.Headers.append({"Tags", EncodedWords(Tags.join(QLatin1Char(',')), " ")});
    Message.Headers.append({QByteArray("Content-Type"), QByteArray("text/plain; charset=utf-8")});
    return Message;
}

THttpMessage WebhookMessage(const TRefreshChanges& Changes)
{
    QJsonArray List;
    for (const TSourceChange& Source : Changes.Sources)
        List.append(QJsonObject{{QStringLiteral("source"), Source.Id},
                                {QStringLiteral("caption"), Source.Caption},
                                {QStringLiteral("address"), Source.Address},
                                {QStringLiteral("added"), QJsonArray::fromStringList(Source.Added)},
                                {QStringLiteral("removed"), Source.Removed},
                                {QStringLiteral("trigger"), !Source.Trigger.isEmpty()
                                                                ? QJsonValue(Source.Trigger)
                                                                : QJsonValue(QJsonValue::Null)}});
    const QJsonObject Root{{QStringLiteral("time"), Rfc3339(Changes.Time)},
                           {QStringLiteral("changes"), List}};
    return {QJsonDocument(Root).toJson(QJsonDocument::Compact), {{"Content-Type", "application/json"}}};
}

QByteArray MailMessage(const TRefreshChanges& Changes, const QString& From, const QStringList& To)
{
    QByteArray Mail;
    Mail += "Date: " + Changes.Time.toString(Qt::RFC2822Date).toUtf8() + "\r\n";
    Mail += "From: " + From.toUtf8() + "\r\n";
    Mail += "To: " + To.join(QStringLiteral(", ")).toUtf8() + "\r\n";
    Mail += "Subject: " + EncodedWords(ChangeSummary(Changes)) + "\r\n";
    Mail +=
        "Message-ID: <" + QUuid::createUuid().toString(QUuid::WithoutBraces).toUtf8() + "@tickerwell>\r\n";
    Mail += "MIME-Version: 1.0\r\nContent-Type: text/plain; charset=UTF-8\r\nContent-Transfer-Encoding: "
            "base64\r\n\r\n";
    const QByteArray Body = ChangeText(Changes).toUtf8().toBase64();
    for (qsizetype From = 0; From < Body.size(); From += 76)
        Mail += Body.mid(From, 76) + "\r\n";
    return Mail;
}

TRefreshChanges TestChanges()
{
    return {QDateTime::currentDateTime(),
            {{0,
              QStringLiteral("Tickerwell"),
              QStringLiteral("https://www.doakcji.pl"),
              {QStringLiteral("Próba kanału powiadomień: tak wyglądają nowe komentarze.")}}}};
}
