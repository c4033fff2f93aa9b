// The question about fields changed both in the dialog and in the file.
#include "SaveConflict.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

TSaveConflict::TSaveConflict(const QStringList& Captions) : FCaptions(Captions), Question(new QLabel)
{
    setObjectName(QStringLiteral("SaveConflict"));
    Question->setObjectName(QStringLiteral("ConflictQuestion"));
    Question->setTextFormat(Qt::PlainText);
    Question->setWordWrap(true);
    Question->setStyleSheet(QStringLiteral("color: #b35900"));
    auto* Keep = new QPushButton(QStringLiteral("Zachowaj moje"));
    Keep->setObjectName(QStringLiteral("KeepMine"));
    auto* Take = new QPushButton(QStringLiteral("Weź z pliku"));
    Take->setObjectName(QStringLiteral("TakeFile"));
    for (QPushButton* Button : {Keep, Take})
        Button->setAutoDefault(false);
    connect(Keep, &QPushButton::clicked, this, &TSaveConflict::KeepMine);
    connect(Take, &QPushButton::clicked, this, &TSaveConflict::TakeFile);
    auto* Layout = new QHBoxLayout(this);
    Layout->setContentsMargins(0, 0, 0, 0);
    Layout->addWidget(Question, 1);
    Layout->addWidget(Keep);
    Layout->addWidget(Take);
    hide();
}

void TSaveConflict::Ask(std::vector<TFieldConflict> Conflicts)
{
    static const QString FieldNames[] = {QStringLiteral("adres"), QStringLiteral("początek"),
                                         QStringLiteral("koniec")};
    FConflicts = std::move(Conflicts);
    QStringList Fields;
    for (const TFieldConflict& Conflict : FConflicts)
        Fields << FCaptions.value(Conflict.Source) + QStringLiteral(": ") + FieldNames[Conflict.Field];
    Question->setText(
        QStringLiteral("Nic nie zapisano: od otwarcia tego okna plik dane.txt zmienił się także w "
                       "polach zmienionych tutaj (%1). Zachować wartości z tego okna czy wziąć "
                       "wartości z pliku?")
            .arg(Fields.join(QStringLiteral(", "))));
    setVisible(!FConflicts.empty());
}
