// The messages of one refresh's changes in each channel's form: a ntfy push, a webhook's JSON and an
// e-mail, and the RFC 2047 words that carry Polish letters in mail and HTTP headers.
#pragma once

#include "RefreshChanges.h"

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

// The summary of the changed sources with these Captions, as the desktop notification and the
// messages' titles give it: "Nowe komentarze: Parkiet, DoAkcji".
QString ChangeSummary(const QStringList& Captions);
// The same of Changes' sources.
QString ChangeSummary(const TRefreshChanges& Changes);

// Plain text listing every changed source: its caption, new passages, removed count and address.
QString ChangeText(const TRefreshChanges& Changes);

// Text as one or more RFC 2047 encoded words (UTF-8, base64), each at most 75 characters, joined by
// "\r\n " for a mail header; ASCII text without "=?" stays as it is.
QByteArray EncodedWords(const QString& Text, const QByteArray& Fold = "\r\n ");

// An HTTP request's body and extra headers.
struct THttpMessage
{
    QByteArray Body;
    QList<QPair<QByteArray, QByteArray>> Headers;
};

// A ntfy push: the text as the body, Title, Click (the first source's address) and Tags headers.
THttpMessage NtfyMessage(const TRefreshChanges& Changes);
// {"time": RFC 3339, "changes": [{"source", "caption", "address", "added", "removed", "trigger"}]}.
THttpMessage WebhookMessage(const TRefreshChanges& Changes);
// The whole mail, headers and a base64 text/plain UTF-8 body, lines ending in CRLF.
QByteArray MailMessage(const TRefreshChanges& Changes, const QString& From, const QStringList& To);

// The changes of a test message: one made-up source, so that every channel shows what it would send.
TRefreshChanges TestChanges();
