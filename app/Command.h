// What the shell commands share: the one style of usage errors and of an unreadable dane.txt, text
// for the terminal, and the arguments as the shell gave them.
#pragma once

#include <QCommandLineParser>
#include <QString>
#include <cstdio>
#include <optional>
#include <string>

class EInOutError;

// The exit status of a command line the program does not understand.
constexpr int UsageStatus = 2;

// Prints "tickerwell: Message" and a pointer to --help on standard error; returns UsageStatus.
int UsageError(const QString& Message);

// Prints "tickerwell: Message" on standard error; returns Status. For what is no usage error: a file
// that cannot be read or written, a source that is not there.
int CommandError(int Status, const QString& Message);

// Prints UTF-8 Text in the encoding of the user's locale.
void Print(std::FILE* Stream, const QString& Text);

// Prints "FileName: reason" on standard error for a configuration file that cannot be read, the
// reason worded as the error box words it; returns 2, the status of a command whose file is unreadable.
int ConfigurationReadError(const std::string& FileName, const EInOutError& Error);
// Without a window, an error that ends a download is told on standard error instead of in a box.
void ErrorBoxesToStandardError();

// The parser holds every argument byte for byte, one Latin-1 character a byte, so that a command
// gets exactly the bytes the shell gave: ArgumentBytes gives them back, ArgumentText reads them as
// UTF-8 for a message.
QString ArgumentFromBytes(const char* Bytes);
std::string ArgumentBytes(const QString& Argument);
QString ArgumentText(const QString& Argument);

// A source id as written by --sources (1 and up, digits only, no leading zero), else 0.
int SourceIdArgument(const QString& Argument);

// The encoding of the arguments: the locale's, but UTF-8 under the C locale, whose ASCII cron,
// systemd and ssh give while the arguments they pass are UTF-8 in practice.
std::string ArgumentCharset();
// Argument as UTF-8 text, read in ArgumentCharset; nothing when it is no text in that encoding.
std::optional<std::string> ArgumentUtf8(const QString& Argument);
// The usage error for a value of Option that is no text in ArgumentCharset, naming the locale.
int NoTextError(const QString& Option);

// A shell command: runs on a QCoreApplication, so without a display, and returns the exit status.
using TCommandRun = int (*)(const QCommandLineParser& Parser);
