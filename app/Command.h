// What the shell commands share: the one style of usage errors, text for the terminal, and the
// arguments as the shell gave them.
#pragma once

#include <QCommandLineParser>
#include <QString>
#include <cstdio>
#include <string>

// The exit status of a command line the program does not understand.
constexpr int UsageStatus = 2;

// Prints "tickerwell: Message" and a pointer to --help on standard error; returns UsageStatus.
int UsageError(const QString& Message);

// Prints UTF-8 Text in the encoding of the user's locale.
void Print(std::FILE* Stream, const QString& Text);

// The parser holds every argument byte for byte, one Latin-1 character a byte, so that a command
// gets exactly the bytes the shell gave: ArgumentBytes gives them back, ArgumentText reads them as
// UTF-8 for a message.
QString ArgumentFromBytes(const char* Bytes);
std::string ArgumentBytes(const QString& Argument);
QString ArgumentText(const QString& Argument);

// A shell command: runs on a QCoreApplication, so without a display, and returns the exit status.
using TCommandRun = int (*)(const QCommandLineParser& Parser);
