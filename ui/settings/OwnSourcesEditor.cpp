// Editing one's own sources in the settings dialog.
#include "OwnSourcesEditor.h"

#include "Application.h"
#include "PageCharset.h"
#include "PagePreview.h"
#include "PageSourceView.h"
#include "RulesGroup.h"
#include "Sciager.h"
#include "SourcePagePanel.h"
#include "SourceRound.h"
#include "TextPage.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace {
bool Same(const TOwnSource& A, const TOwnSource& B)
{
    return A.Caption == B.Caption && A.Address == B.Address && A.StartText == B.StartText &&
           A.EndText == B.EndText && A.On == B.On;
}
} // namespace

TOwnSourcesEditor::TOwnSourcesEditor(QListWidget* List, TSourceRound* Round, TRulesGroup* Rules,
                                     const TSourcesFile* File)
    : FList(List), FRound(Round), FRules(Rules)
{
    setObjectName(QStringLiteral("OwnSource"));
    if (File)
        for (TOwnSource& Source : File->Sources()) {
            FLoaded[Source.Id] = Source;
            FList->addItem(QString::fromStdString(Source.Caption));
            FSetups.push_back({.Source = std::move(Source), .Key = FNextKey++});
        }
    auto* Form = new QFormLayout;
    const QString Names[] = {QStringLiteral("OwnCaption"), QStringLiteral("OwnAddress"),
                             QStringLiteral("OwnStart"), QStringLiteral("OwnEnd")};
    const QString Labels[] = {QStringLiteral("Nazwa:"), QStringLiteral("Adres:"), QStringLiteral("Początek:"),
                              QStringLiteral("Koniec:")};
    for (std::size_t Field = 0; Field < Fields.size(); ++Field) {
        Fields[Field] = new QLineEdit;
        Fields[Field]->setObjectName(Names[Field]);
        Form->addRow(Labels[Field], Fields[Field]);
        connect(Fields[Field], &QLineEdit::textEdited, this, [this] { Edited(); });
    }
    OnBox = new QCheckBox(QStringLiteral("Odświeżane (karta w oknie)"));
    OnBox->setObjectName(QStringLiteral("OwnOn"));
    connect(OnBox, &QCheckBox::clicked, this, [this] { Edited(); });
    Form->addRow(QString(), OnBox);
    Refusal = NoteLabel(QStringLiteral("color: #c00000"));
    Refusal->setObjectName(QStringLiteral("OwnRefusal"));
    Form->addRow(QString(), Refusal);

    Panel = new TSourcePagePanel(QStringLiteral("Own"));
    connect(Panel->DownloadButton, &QPushButton::clicked, this,
            [this] { TApplication::Guarded([this] { Download(); }); });
    for (int Text = 0; Text < 2; ++Text)
        connect(Panel->PickButtons[Text], &QPushButton::clicked, this, [this, Text] { Pick(Text); });
    auto* Layout = new QVBoxLayout(this);
    Layout->setContentsMargins(0, 0, 0, 0);
    Layout->addLayout(Form);
    Layout->addWidget(Panel, 1);

    AddButton = new QPushButton(QStringLiteral("Dodaj źródło"));
    AddButton->setObjectName(QStringLiteral("AddSource"));
    AddButton->setEnabled(File != nullptr);
    connect(AddButton, &QPushButton::clicked, this, [this] { Add(); });
    RemoveButton = new QPushButton(QStringLiteral("Usuń źródło"));
    RemoveButton->setObjectName(QStringLiteral("RemoveSource"));
    RemoveButton->setEnabled(false);
    connect(RemoveButton, &QPushButton::clicked, this, [this] { Remove(); });
}

TOwnSourcesEditor::~TOwnSourcesEditor()
{
    // A download still running ends soon, and its end no longer reaches this editor.
    for (TSetup& Setup : FSetups)
        if (Setup.Worker)
            Setup.Worker->Terminate();
}

void TOwnSourcesEditor::LayOut(QWidget* Page, QLayout* Five)
{
    auto* FivePanel = new QWidget;
    Five->setContentsMargins(0, 0, 0, 0);
    FivePanel->setLayout(Five);
    FPanels = new QStackedWidget;
    FPanels->addWidget(FivePanel);
    FPanels->addWidget(this);
    auto* Left = new QVBoxLayout;
    Left->addWidget(FList, 1);
    Left->addWidget(AddButton);
    Left->addWidget(RemoveButton);
    auto* Right = new QVBoxLayout;
    Right->addWidget(FPanels, 1);
    Right->addWidget(FRules);
    auto* Layout = new QHBoxLayout(Page);
    Layout->addLayout(Left);
    Layout->addLayout(Right, 1);
}

bool TOwnSourcesEditor::Select(int Row)
{
    const bool Own = Row >= SourceCount;
    FPanels->setCurrentIndex(Own ? 1 : 0);
    ShowRow(Row);
    return Own;
}

int TOwnSourcesEditor::RowOf(int Key) const
{
    if (Key >= 1 && Key <= SourceCount)
        return Key - 1;
    const auto Found = std::ranges::find(FSetups, Key, &TOwnSourcesEditor::RulesKey);
    return Found == FSetups.end() ? -1 : SourceCount + static_cast<int>(Found - FSetups.begin());
}

void TOwnSourcesEditor::ShowRow(int Row)
{
    FCurrent = Row - SourceCount;
    RemoveButton->setEnabled(FCurrent >= 0);
    if (FCurrent < 0 || FCurrent >= static_cast<int>(FSetups.size()))
        return;
    const TSetup& Setup = Current();
    const std::string* Values[] = {&Setup.Source.Caption, &Setup.Source.Address, &Setup.Source.StartText,
                                   &Setup.Source.EndText};
    for (std::size_t Field = 0; Field < Fields.size(); ++Field)
        Fields[Field]->setText(QString::fromStdString(*Values[Field]));
    OnBox->setChecked(Setup.Source.On);
    Panel->OutcomeLabel->setText(Setup.Outcome);
    Panel->DownloadButton->setEnabled(!Setup.Worker);
    Panel->PageSource->SetText(Setup.Text);
    Edited();
}

// Takes the fields into the source; a refused caption or address is named and blocks "Pobierz".
void TOwnSourcesEditor::Edited()
{
    TOwnSource& Source = Current().Source;
    Source.Caption = Fields[0]->text().toStdString();
    Source.Address = Fields[1]->text().trimmed().toStdString();
    Source.StartText = Fields[2]->text().toStdString();
    Source.EndText = Fields[3]->text().toStdString();
    Source.On = OnBox->isChecked();
    FList->item(SourceCount + FCurrent)->setText(Fields[0]->text());
    const std::string Why = !CaptionRefusal(Source.Caption).empty() ? CaptionRefusal(Source.Caption)
                                                                    : AddressRefusal(Source.Address);
    Refusal->setText(QString::fromStdString(Why));
    Refusal->setVisible(!Why.empty());
    Panel->DownloadButton->setEnabled(!Current().Worker && AddressRefusal(Source.Address).empty());
    ShowPage();
}

int TOwnSourcesEditor::RefusedRow() const
{
    for (std::size_t Index = 0; Index < FSetups.size(); ++Index) {
        const TOwnSource& Source = FSetups[Index].Source;
        if (!CaptionRefusal(Source.Caption).empty() || !AddressRefusal(Source.Address).empty())
            return SourceCount + static_cast<int>(Index);
    }
    return -1;
}

void TOwnSourcesEditor::Add()
{
    if (FSetups.size() >= MaxOwnSources) {
        QMessageBox::information(this, QStringLiteral("Tickerwell"),
                                 QStringLiteral("Własnych źródeł może być najwyżej %1.").arg(MaxOwnSources));
        return;
    }
    FSetups.push_back({.Source = {.Caption = "Nowe źródło", .Address = "https://"}, .Key = FNextKey++});
    FList->addItem(QStringLiteral("Nowe źródło"));
    FList->setCurrentRow(FList->count() - 1);
    Fields[1]->setFocus();
}

void TOwnSourcesEditor::Remove()
{
    if (FCurrent < 0)
        return;
    TSetup& Setup = Current();
    if (QMessageBox::question(this, QStringLiteral("Tickerwell"),
                              QStringLiteral("Usunąć źródło „%1”? Po zapisaniu zniknie z okna przy następnym "
                                             "odświeżeniu, razem z plikiem strony; historia zostaje.")
                                  .arg(QString::fromStdString(Setup.Source.Caption))) != QMessageBox::Yes)
        return;
    if (Setup.Worker)
        Setup.Worker->Terminate();
    if (Setup.Source.Id != 0)
        FRemoved.push_back(Setup.Source.Id);
    FRules->Forget(RulesKey(Setup));
    const int Row = SourceCount + FCurrent;
    FSetups.erase(FSetups.begin() + FCurrent);
    FCurrent = -1;
    delete FList->takeItem(Row);
}

void TOwnSourcesEditor::Download()
{
    TSetup& Setup = Current();
    if (Setup.Worker || !AddressRefusal(Setup.Source.Address).empty())
        return;
    const int Key = Setup.Key;
    Panel->StartDownload(
        [&] {
            Setup.Worker =
                FRound->Launch({.Source = std::max(Setup.Source.Id - 1, SourceCount),
                                .Address = Setup.Source.Address,
                                .Mode = TRoundMode::Download},
                               {}, [this, Key](const TRoundResult& Result) { Downloaded(Key, Result); });
        },
        Setup.Outcome);
}

void TOwnSourcesEditor::Downloaded(int Key, const TRoundResult& Result)
{
    const auto Found = std::ranges::find(FSetups, Key, &TSetup::Key);
    if (Found == FSetups.end())
        return;
    TSetup& Setup = *Found;
    Setup.Worker = nullptr;
    std::string Charset;
    if (!Result.Failed()) {
        Setup.Page = Result.Downloaded;
        Setup.ContentType = Result.ContentType;
        // As a refresh reads the page.
        Charset = TextPageCharset(Setup.ContentType, Setup.Page);
        Setup.Text = QString::fromStdU16String(DecodePage(Setup.Page, Charset).Text);
    }
    Setup.Outcome = DownloadOutcome(Result, Charset);
    if (FCurrent >= 0 && &Current() == &Setup)
        ShowRow(SourceCount + FCurrent);
}

// The selection in the page source, on one line, becomes the start or end text.
void TOwnSourcesEditor::Pick(int Text)
{
    const auto [First, Last] = Panel->PageSource->Selection();
    const QString Selected = Current().Text.mid(First, Last - First);
    if (Selected.isEmpty() || Current().Page.empty()) {
        Panel->PickNotes[Text]->setText(QStringLiteral("Zaznacz tekst w źródle strony."));
        return;
    }
    if (Selected.contains(QLatin1Char('\n'))) {
        Panel->PickNotes[Text]->setText(QStringLiteral("Zaznaczenie nie obejmuje tekstu w jednym wierszu."));
        return;
    }
    Fields[2 + Text]->setText(Selected);
    Edited();
}

// Where a refresh finds the texts, with advice for one that is not unique, and the page file.
void TOwnSourcesEditor::ShowPage()
{
    const TSetup& Setup = Current();
    if (Setup.Page.empty()) {
        Panel->PickNotes[0]->clear();
        Panel->PickNotes[1]->clear();
        Panel->Preview->ShowText(QStringLiteral("Podgląd: najpierw „Pobierz”."));
        FRules->ShowSource(RulesKey(Setup), false, {});
        return;
    }
    const TOwnSource& Source = Setup.Source;
    const TTextPage Built =
        BuildTextPage(Setup.Page, Setup.ContentType, Source.Address, Source.StartText, Source.EndText);
    Panel->PickNotes[0]->setText(TextNote(0, Source.StartText, Built.Texts.Start));
    Panel->PickNotes[1]->setText(TextNote(1, Source.EndText, Built.Texts.End));
    if (!Built.Failure.empty())
        Panel->Preview->ShowText(QStringLiteral("Strona nie powstanie: ") +
                                 QString::fromStdString(Built.Failure));
    else
        Panel->Preview->ShowPage(QString::fromStdString(OwnPageFileName(std::max(Source.Id, FirstOwnId))),
                                 Built.FileBytes);
    FRules->ShowSource(RulesKey(Setup), true, Built.Failure.empty() ? Built.FileBytes : std::string());
}

QString TOwnSourcesEditor::TextNote(int Text, const std::string& Value, std::ptrdiff_t Found) const
{
    if (Value.empty())
        return Text == 0 ? QStringLiteral("Pusty tekst: od początku strony.")
                         : QStringLiteral("Pusty tekst: do końca strony.");
    if (Found == 0)
        return Text == 0 ? QStringLiteral("Nie ma go na stronie.")
                         : QStringLiteral("Nie ma go na stronie po tekście początku.");
    const qsizetype Count =
        FSetups[static_cast<std::size_t>(FCurrent)].Text.count(QString::fromStdString(Value));
    return Count > 1 ? QStringLiteral("Występuje na stronie %1 razy; liczy się pierwsze wystąpienie. Dłuższy "
                                      "tekst będzie jednoznaczny.")
                           .arg(Count)
                     : QStringLiteral("Znaleziony, jednoznaczny.");
}

bool TOwnSourcesEditor::Changed() const
{
    return !FRemoved.empty() || std::ranges::any_of(FSetups, [this](const TSetup& Setup) {
        const auto Loaded = FLoaded.find(Setup.Source.Id);
        return Loaded == FLoaded.end() || !Same(Loaded->second, Setup.Source);
    });
}

std::map<int, int> TOwnSourcesEditor::Apply(TSourcesFile& File) const
{
    std::map<int, int> NewIds;
    for (const int Id : FRemoved)
        File.Remove(Id);
    for (const TSetup& Setup : FSetups) {
        const auto Loaded = FLoaded.find(Setup.Source.Id);
        if (Setup.Source.Id == 0)
            NewIds[RulesKey(Setup)] = File.Add(Setup.Source);
        else if (Loaded != FLoaded.end() && !Same(Loaded->second, Setup.Source) &&
                 File.Source(Setup.Source.Id))
            File.Update(Setup.Source);
    }
    return NewIds;
}

void TOwnSourcesEditor::Saved(const std::map<int, int>& NewIds)
{
    for (TSetup& Setup : FSetups) {
        if (const auto New = NewIds.find(RulesKey(Setup)); New != NewIds.end())
            Setup.Source.Id = New->second;
        FLoaded[Setup.Source.Id] = Setup.Source;
    }
    FRemoved.clear();
}
