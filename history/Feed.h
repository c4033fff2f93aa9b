// The Atom feed of changes, zmiany.atom: the newest stored versions of every source, each with its
// new passages, written beside the history database after every stored version.
#pragma once

#include "HistoryStore.h"

#include <QByteArray>
#include <QString>
#include <cstdio>
#include <vector>

// Versions the feed holds.
constexpr int FeedLength = 100;

// zmiany.atom in the folder of the database at Database.
QString FeedPath(const QString& Database);

// The feed of Versions, newest first; Now dates a feed without entries. Page text comes out as
// text, with the characters that XML does not allow left out, so the feed is well-formed whatever
// a page holds.
QByteArray BuildFeed(const std::vector<TFeedVersion>& Versions, qint64 Now);

// Writes the feed of Store's newest versions to Path through a temporary file, flushed and renamed
// over it. Returns why it could not, or an empty text.
QString WriteFeed(THistoryStore& Store, const QString& Path);

// `tickerwell --feed`: prints the feed of the database at Database to Out. Returns 0, or 2 with the
// reason on Errors when the file cannot be read.
int RunFeed(const QString& Database, std::FILE* Out, std::FILE* Errors);
