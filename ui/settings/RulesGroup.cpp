// The rules of each source in the settings dialog, with their live check.
#include "RulesGroup.h"

#include "OwnSources.h"
#include "Passages.h"
#include "RuleDecision.h"
#include "SourceTable.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <algorithm>

namespace {
constexpr int EditLines = 3;
constexpr qsizetype QuoteLength = 60;
// The quotes page has no passages to rule on.
constexpr int IndexKey = IndexSource + 1;

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

// A source not loaded has the default rules.
bool Differs(const std::map<int, TSourceRules>& Loaded, int Key, const TSourceRules& Rules)
{
    const auto Found = Loaded.find(Key);
    return Rules != (Found == Loaded.end() ? TSourceRules{} : Found->second);
}
} // namespace

TRulesGroup::TRulesGroup(const TSourcesFile* File) : QGroupBox(QStringLiteral("Reguły"))
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
    FReadable = File != nullptr;
    if (!File)
        CheckLabel->setText(
            QStringLiteral("Reguł nie można teraz zmienić: plik zrodla.ini nie daje się odczytać."));
    if (File) {
        for (int Id = 1; Id <= SourceCount; ++Id)
            FRules[Id] = RulesOf(*File, Id);
        for (const TOwnSource& Source : File->Sources())
            FRules[Source.Id] = RulesOf(*File, Source.Id);
    }
    FLoaded = FRules;
    connect(IgnoreEdit, &QPlainTextEdit::textChanged, this, &TRulesGroup::Edited);
    connect(TriggerEdit, &QPlainTextEdit::textChanged, this, &TRulesGroup::Edited);
    connect(NewOnlyBox, &QCheckBox::toggled, this, &TRulesGroup::Edited);
}

void TRulesGroup::ShowSource(int Key, bool Fetched, const std::string& PageFile)
{
    FFetched = Fetched;
    if (PageFile != FPage) {
        FPage = PageFile;
        FPassages = PagePassages(FPage);
    }
    if (Key != FKey) {
        FKey.reset(); // the edits below are the source's own text, not the user's
        const TSourceRules& Rules = FRules[Key];
        IgnoreEdit->setPlainText(Rules.Ignore.join(QLatin1Char('\n')));
        TriggerEdit->setPlainText(Rules.Trigger.join(QLatin1Char('\n')));
        NewOnlyBox->setChecked(Rules.NewOnly);
        FKey = Key;
    }
    setEnabled(FReadable && Key != IndexKey);
    ShowCheck();
}

void TRulesGroup::Edited()
{
    if (!FKey)
        return;
    FRules[*FKey] = {Lines(IgnoreEdit), Lines(TriggerEdit), NewOnlyBox->isChecked()};
    ShowCheck();
}

// The first bad expression in red; otherwise, for a fetched page, the passages ignored and those
// that would notify.
void TRulesGroup::ShowCheck()
{
    if (!FReadable || !FKey)
        return;
    CheckLabel->setStyleSheet(QString());
    if (*FKey == IndexKey)
        return CheckLabel->clear();
    const TSourceRules& Rules = FRules[*FKey];
    std::optional<TRuleSet> RuleSet;
    try {
        RuleSet.emplace(Rules);
    } catch (const TRuleError& Error) {
        CheckLabel->setStyleSheet(QStringLiteral("color: #c00000"));
        CheckLabel->setText(QStringLiteral("Błędne wyrażenie %1: %2 (pozycja %3)")
                                .arg(Quoted(Error.Pattern), Error.Error)
                                .arg(Error.Offset + 1));
        return;
    }
    if (!FFetched || FPage.empty()) {
        CheckLabel->setText(FFetched
                                ? QStringLiteral("Sprawdzenie reguł: z tej strony nie powstanie plik strony.")
                                : QStringLiteral("Sprawdzenie reguł: najpierw „Pobierz”."));
        return;
    }
    const TRulesReport Report = ReportRules(FPassages, *RuleSet);
    QString Text = QStringLiteral("Pominięte: ") + Listed(Report.Ignored, FPassages);
    if (!Rules.Trigger.isEmpty())
        Text += QStringLiteral("\nZ kluczowymi słowami: ") + Listed(Report.Triggering, FPassages) +
                (Report.Words.isEmpty() ? QString() : QStringLiteral(" (") + Report.Words.join(", ") + ')');
    CheckLabel->setText(Text);
}

void TRulesGroup::Forget(int Key)
{
    FRules.erase(Key);
    if (FKey == Key)
        FKey.reset();
}

std::optional<std::pair<int, QString>> TRulesGroup::BadRule() const
{
    for (const auto& [Key, Rules] : FRules) {
        if (!Differs(FLoaded, Key, Rules))
            continue;
        for (const QString& Pattern : Rules.Ignore)
            if (CheckPattern(Pattern))
                return std::pair{Key, Quoted(Pattern)};
    }
    return std::nullopt;
}

bool TRulesGroup::Changed() const
{
    return FReadable && std::ranges::any_of(FRules, [this](const auto& Entry) {
               return Differs(FLoaded, Entry.first, Entry.second);
           });
}

void TRulesGroup::Apply(TSourcesFile& File, const TNewIds& NewIds) const
{
    if (!FReadable)
        return;
    for (const auto& [Key, Rules] : FRules) {
        if (!Differs(FLoaded, Key, Rules))
            continue;
        const auto New = NewIds.find(Key);
        const int Id = Key < 0 ? (New == NewIds.end() ? 0 : New->second) : Key;
        if (Id > 0 && (Id <= SourceCount || File.Source(Id)))
            SetRules(File, Id, Rules);
    }
}

void TRulesGroup::Saved(const TNewIds& NewIds)
{
    for (const auto& [Key, Id] : NewIds)
        if (const auto Node = FRules.extract(Key))
            FRules[Id] = Node.mapped();
    if (FKey && NewIds.contains(*FKey))
        FKey = NewIds.at(*FKey);
    FLoaded = FRules;
}
