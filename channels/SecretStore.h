// The channels' secrets (tokens and passwords): in the desktop's Secret Service through QtKeychain,
// or, where none answers and the user agrees, in this process's memory for the session only. They
// are never written to a file.
#pragma once

#include <QObject>
#include <QString>
#include <functional>

struct TSecretAnswer
{
    bool Ok = false;
    QString Secret;
    bool NoService = false; // no Secret Service answered
    QString Error;          // why it failed, in Polish; empty when Ok

    // No secret and no error: one never stored, or a channel that takes none.
    static TSecretAnswer None() { return {true, {}, false, {}}; }
};

// Looks the secret of Key up: the session's own first, then the Secret Service. Done runs on the
// calling thread's event loop, never before this returns; not at all once Context is gone. A secret
// never stored is no error: Ok with an empty secret.
void ReadSecret(const QString& Key, QObject* Context, std::function<void(const TSecretAnswer&)> Done);
// The same, waiting for the answer in an event loop of its own.
TSecretAnswer ReadSecretNow(const QString& Key);

// Stores Secret under Key in the Secret Service, waiting for its answer. On failure nothing is kept.
TSecretAnswer WriteSecretNow(const QString& Key, const QString& Secret);
// Keeps Secret under Key in memory until the program ends.
void KeepSecretForSession(const QString& Key, const QString& Secret);
// Forgets Key's secret in the session and in the Secret Service.
void RemoveSecretNow(const QString& Key);
