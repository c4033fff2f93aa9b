// The rules of each source in the settings dialog, with their live check.
#include "RulesGroup.h"

#include "OwnSources.h"
#include "Passages.h"
#include "RuleDecision.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <stdexcept>

namespace {
constexpr int EditLines = 3;
constexpr qsizetype QuoteLength = 60;

QPlainTextEdit* ListEdit(const QString& Name)
{
    auto* Edit = new QPlainTextEdit;
    Edit->setObjectName(Name);
    Edit->setLineWrapMode(QPlainTextEdit::NoWrap);
    Edit->setFixedHeight(Edit->fontMetrics().lineSpacing() * EditLines + 2 * Edit->frameWidth() + 8);
    return Edit;
}

// One entry a line; blank lines are no entries.
QStringList Lines(const QPlainTextEdit* Edit)
{
    QStringList Entries = Edit->toPlainText().split(QLatin1Char('\n'));
    Entries.removeIf([](const QString& Entry) { return Entry.trimmed().isEmpty(); });
    return Entries;
}

QString Quoted(const QString& Passage)
{
    return QStringLiteral("„") +
           (Passage.size() > QuoteLength ? Passage.left(QuoteLength - 1) + QChar(0x2026) : Passage) +
           QStringLiteral("”");
}

// "2: „a”, „b”": how many passages, and the first few of them.
QString Listed(const QList<int>& Indexes, const QStringList& Passages)
{
    QStringList Shown;
    for (int Index : Indexes.first(std::min<qsizetype>(Indexes.size(), 3)))
        Shown << Quoted(Passages[Index]);
    if (Indexes.size() > 3)
        Shown << QStringLiteral("…");
    return QString::number(Indexes.size()) +
           (Shown.isEmpty() ? QString() : QStringLiteral(": ") + Shown.join(", "));
}
} // namespace

TRulesGroup::TRulesGroup() : QGroupBox(QStringLiteral("Reguły"))
{
    setObjectName(QStringLiteral("RulesGroup"));
    IgnoreEdit = ListEdit(QStringLiteral("IgnoreRules"));
    TriggerEdit = ListEdit(QStringLiteral("TriggerWords"));
    NewOnlyBox = new QCheckBox(QStringLiteral("Powiadamiaj tylko o nowych fragmentach"));
    NewOnlyBox->setObjectName(QStringLiteral("NewOnly"));
    CheckLabel = new QLabel;
    CheckLabel->setObjectName(QStringLiteral("RulesCheck"));
    CheckLabel->setWordWrap(true);
    CheckLabel->setTextFormat(Qt::PlainText);
    auto* Layout = new QGridLayout(this);
    Layout->addWidget(
        new QLabel(QStringLiteral("Pomijany tekst (wyrażenia regularne, po jednym w wierszu):")), 0, 0);
    Layout->addWidget(new QLabel(QStringLiteral("Słowa kluczowe (po jednym w wierszu):")), 0, 1);
    Layout->addWidget(IgnoreEdit, 1, 0);
    Layout->addWidget(TriggerEdit, 1, 1);
    Layout->addWidget(NewOnlyBox, 2, 0, 1, 2);
    Layout->addWidget(CheckLabel, 3, 0, 1, 2);
    try {
        const TSourcesFile File = LoadSourcesFile(OwnSourcesFileName);
        for (int Source = 0; Source < SourceCount; ++Source)
            FRules[Source] = RulesOf(File, Source + 1);
    } catch (const ESourcesFile& Error) {
        FReadable = false;
        CheckLabel->setText(QString::fromUtf8(Error.what()));
    }
    FLoaded = FRules;
    connect(IgnoreEdit, &QPlainTextEdit::textChanged, this, &TRulesGroup::Edited);
    connect(TriggerEdit, &QPlainTextEdit::textChanged, this, &TRulesGroup::Edited);
    connect(NewOnlyBox, &QCheckBox::toggled, this, &TRulesGroup::Edited);
}

void TRulesGroup::ShowSource(int Source, const std::string& PageFile)
{
    FPage = PageFile;
    if (Source != FSource) {
        FSource = -1; // the edits below are the source's own text, not the user's
        IgnoreEdit->setPlainText(FRules[Source].Ignore.join(QLatin1Char('\n')));
        TriggerEdit->setPlainText(FRules[Source].Trigger.join(QLatin1Char('\n')));
        NewOnlyBox->setChecked(FRules[Source].NewOnly);
        FSource = Source;
    }
    setEnabled(FReadable && Source != IndexSource);
    ShowCheck();
}

void TRulesGroup::Edited()
{
    if (FSource < 0)
        return;
    FRules[FSource] = {Lines(IgnoreEdit), Lines(TriggerEdit), NewOnlyBox->isChecked()};
    ShowCheck();
}

// The first bad expression in red; otherwise, for a fetched page, the passages ignored and those
// that would notify.
void TRulesGroup::ShowCheck()
{
    if (!FReadable || FSource < 0)
        return;
    CheckLabel->setStyleSheet(QString());
    // The quotes page has no passages to rule on.
    if (FSource == IndexSource)
        return CheckLabel->clear();
    for (const QString& Pattern : FRules[FSource].Ignore)
        if (const std::optional<TRuleError> Error = CheckPattern(Pattern)) {
            CheckLabel->setStyleSheet(QStringLiteral("color: #c00000"));
            CheckLabel->setText(QStringLiteral("Błędne wyrażenie %1: %2 (pozycja %3)")
                                    .arg(Quoted(Pattern), Error->Error)
                                    .arg(Error->Offset + 1));
            return;
        }
    if (FPage.empty()) {
        CheckLabel->setText(QStringLiteral("Sprawdzenie reguł: najpierw „Pobierz”."));
        return;
    }
    const QStringList Passages = PagePassages(FPage);
    const TRulesReport Report = ReportRules(Passages, TRuleSet(FRules[FSource]));
    QString Text = QStringLiteral("Pominięte: ") + Listed(Report.Ignored, Passages);
    if (!FRules[FSource].Trigger.isEmpty())
        Text += QStringLiteral("\nZ kluczowymi słowami: ") + Listed(Report.Triggering, Passages) +
                (Report.Words.isEmpty() ? QString() : QStringLiteral(" (") + Report.Words.join(", ") + ')');
    CheckLabel->setText(Text);
}

void TRulesGroup::Save()
{
    if (!FReadable || FRules == FLoaded)
        return;
    for (int Source = 0; Source < SourceCount; ++Source)
        for (const QString& Pattern : FRules[Source].Ignore)
            if (CheckPattern(Pattern))
                throw std::runtime_error(
                    QStringLiteral("Nic nie zapisano: błędne wyrażenie %1 w regułach „%2”.")
                        .arg(Quoted(Pattern))
                        .arg(QString::fromUtf8(SourceTable[Source].Caption))
                        .toStdString());
    // Read again: the sources of one's own in it may have changed from a shell meanwhile.
    TSourcesFile File = LoadSourcesFile(OwnSourcesFileName);
    for (int Source = 0; Source < SourceCount; ++Source)
        if (FRules[Source] != FLoaded[Source])
            SetRules(File, Source + 1, FRules[Source]);
    SaveSourcesFile(OwnSourcesFileName, File);
    FLoaded = FRules;
}
