// TRefreshChanges: what one refresh changed, source by source, as the channels tell it.
#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <vector>

struct TSourceChange
{
    int Id = 0;        // the source's number as the user counts it, from 1
    QString Caption;   // the tab's caption
    QString Address;   // the page's address on the web
    QStringList Added; // passages new since the user last saw the source
    int Removed = 0;   // passages gone since then
    QString Trigger;   // the word that made this change matter; empty when no rule named one
};

struct TRefreshChanges
{
    QDateTime Time;
    std::vector<TSourceChange> Sources;
};
