// TSaveConflict: the settings dialog's question when fields changed there have also changed in
// dane.txt since the dialog read it: keep the dialog's values or take the file's.
#pragma once

#include "SourceEdits.h"

#include <QWidget>

class QLabel;

class TSaveConflict : public QWidget
{
    Q_OBJECT
public:
    // Captions name the sources in the question.
    explicit TSaveConflict(const QStringList& Captions);

    // Asks about Conflicts; none hides the question.
    void Ask(std::vector<TFieldConflict> Conflicts);
    const std::vector<TFieldConflict>& Conflicts() const { return FConflicts; }

signals:
    void KeepMine();
    void TakeFile();

private:
    QStringList FCaptions;
    std::vector<TFieldConflict> FConflicts;
    QLabel* Question;
};
