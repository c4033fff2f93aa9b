// TFailureStreak: one source's failed refreshes in a row, and the two notices they earn: one when
// the third failure in a row comes, one when the source works again after that.
#pragma once

#include <QDateTime>
#include <QString>
#include <utility>

class TFailureStreak
{
public:
    static constexpr int FailuresToSpeak = 3;

    // Caption names the source in the notices, e.g. "doakcji.pl".
    explicit TFailureStreak(QString Caption) : FCaption(std::move(Caption)) {}

    // A failed refresh at At for Reason. Returns the notice on the third failure in a row, e.g.
    // "doakcji.pl nie odpowiada od 15 min: <Reason>", and nothing otherwise.
    QString Failed(const QDateTime& At, const QString& Reason);
    // A refresh that worked: returns "doakcji.pl znów odpowiada" when a notice of its failing went
    // out, and nothing otherwise; the streak ends.
    QString Succeeded();

private:
    QString FCaption;
    int FFailures = 0;
    QDateTime FFirst; // of the streak
};

// "15 min", "1 godz. 5 min", "2 godz.": a duration in whole minutes, at least one.
QString MinutesText(qint64 Seconds);
