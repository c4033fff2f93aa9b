// The settings dialog.
#include "SettingsDialog.h"

#include "Application.h"
#include "ConfigFileWarnings.h"
#include "Configuration.h"
#include "OptionsPage.h"
#include "OwnSourcesEditor.h"
#include "PageSourceView.h"
#include "RulesGroup.h"
#include "SaveConflict.h"
#include "Sciager.h"
#include "SourcePagePanel.h"
#include "SourceRound.h"
#include "Windows1250.h"

#include <QFile>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace {
constexpr std::size_t WarningWindow = 1 << 20;
const QString Warn = QStringLiteral("color: #b35900");
const QString Error = QStringLiteral("color: #c00000");

// The dialog's notes can be copied.
QLabel* SelectableNote(const QString& Style)
{
    QLabel* Label = NoteLabel(Style);
    Label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return Label;
}

// The first MiB of a file: what the file's warnings look at.
std::string FileHead(const char* FileName)
{
    QFile File(QString::fromLatin1(FileName));
    return File.open(QIODevice::ReadOnly) ? File.read(WarningWindow).toStdString() : std::string();
}
} // namespace

TSettingsDialog::TSettingsDialog(QWidget* Window, const QStringList& Captions, QAction* Notifications)
    : QDialog(Window, Qt::Window)
{
    setObjectName(QStringLiteral("SettingsDialog"));
    setWindowTitle(Title);
    setAttribute(Qt::WA_DeleteOnClose);
    resize(920, 680);
    // "Pobierz" downloads as a refresh does, but writes no page file and stores nothing.
    DownloadRound = new TSourceRound({}, this);

    QString FileNote;
    try {
        ReadSourceValues(ConfigurationFileName, Loaded);
        for (const std::string& Warning : ConfigFileWarnings(FileHead(ConfigurationFileName)))
            FileNote += QStringLiteral("Uwaga: ") + QString::fromStdString(Warning) + QLatin1Char('\n');
    } catch (const EInOutError& Failure) {
        FileNote = Failure.ErrorCode == 2
                       ? QStringLiteral("W folderze roboczym nie ma pliku dane.txt; „Zapisz” go utworzy.")
                       : QStringLiteral("Nie można odczytać dane.txt: ") +
                             TApplication::ErrorBoxText(QString::fromUtf8(Failure.what()));
    }
    for (int Source = 0; Source < SourceCount; ++Source)
        Setups[Source].Values = Loaded[Source];
    // zrodla.ini, read once for one's own sources and every source's rules.
    std::optional<TSourcesFile> OwnFile;
    QString OwnFileNote;
    try {
        OwnFile = LoadSourcesFile(OwnSourcesFileName);
    } catch (const ESourcesFile& Failure) {
        OwnFileNote = QString::fromUtf8(Failure.what());
    }

    auto* Pages = new QTabWidget;
    Pages->addTab(BuildSourcesPage(Captions, OwnFile ? &*OwnFile : nullptr), QStringLiteral("Źródła"));
    Options = new TOptionsPage(Notifications);
    Pages->addTab(Options, QStringLiteral("Opcje"));
    FileWarning = SelectableNote(Warn);
    FileWarning->setObjectName(QStringLiteral("FileWarning"));
    FileWarning->setText((FileNote + QLatin1Char('\n') + OwnFileNote).trimmed());
    FileWarning->setVisible(!FileWarning->text().isEmpty());
    SaveError = SelectableNote(Error);
    SaveError->setObjectName(QStringLiteral("SaveError"));
    SaveError->hide();
    Conflict = new TSaveConflict(Captions);
    connect(Conflict, &TSaveConflict::KeepMine, this, [this] { SettleConflicts(false); });
    connect(Conflict, &TSaveConflict::TakeFile, this, [this] { SettleConflicts(true); });
    // No button is the default: Enter in a field searches or downloads, and never saves by surprise.
    auto* SaveButton = new QPushButton(QStringLiteral("Zapisz"));
    SaveButton->setObjectName(QStringLiteral("Save"));
    auto* CancelButton = new QPushButton(QStringLiteral("Anuluj"));
    CancelButton->setObjectName(QStringLiteral("Cancel"));
    auto* Buttons = new QHBoxLayout;
    Buttons->addStretch(1);
    Buttons->addWidget(SaveButton);
    Buttons->addWidget(CancelButton);
    connect(SaveButton, &QPushButton::clicked, this, [this] { TApplication::Guarded([this] { Save(); }); });
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);

    auto* Layout = new QVBoxLayout(this);
    Layout->addWidget(Pages, 1);
    Layout->addWidget(FileWarning);
    Layout->addWidget(SaveError);
    Layout->addWidget(Conflict);
    Layout->addLayout(Buttons);
    for (QPushButton* Button : findChildren<QPushButton*>())
        Button->setAutoDefault(false);
    SelectSource(0);
}

TSettingsDialog::~TSettingsDialog()
{
    // A download still running ends soon, and its end no longer reaches this dialog.
    for (TSetup& Setup : Setups)
        if (Setup.Worker)
            Setup.Worker->Terminate();
}

QWidget* TSettingsDialog::BuildSourcesPage(const QStringList& Captions, const TSourcesFile* OwnFile)
{
    auto* Page = new QWidget;
    Sources = new QListWidget;
    Sources->setObjectName(QStringLiteral("Sources"));
    Sources->addItems(Captions);
    Sources->setFixedWidth(140);
    Rules = new TRulesGroup(OwnFile);
    Own = new TOwnSourcesEditor(Sources, DownloadRound, Rules, OwnFile);
    connect(Sources, &QListWidget::currentRowChanged, this, [this](int Row) {
        // Back from one's own to the five's source shown last, its page source keeps its place.
        if (!Own->Select(Row) && Row >= 0) {
            const bool Again = Row == FSource;
            FSource = Row;
            ShowSource(!Again);
        }
    });

    auto* Form = new QFormLayout;
    const QString Names[] = {QStringLiteral("Address"), QStringLiteral("StartMarker"),
                             QStringLiteral("EndMarker")};
    const QString Labels[] = {QStringLiteral("Adres:"), QStringLiteral("Początek:"),
                              QStringLiteral("Koniec:")};
    for (int Field = 0; Field < 3; ++Field) {
        Fields[Field] = new QLineEdit;
        Fields[Field]->setObjectName(Names[Field]);
        RefusalLabels[Field] = SelectableNote(Error);
        RefusalLabels[Field]->setObjectName(Names[Field] + QStringLiteral("Refusal"));
        auto* Column = new QVBoxLayout;
        Column->setSpacing(0);
        Column->addWidget(Fields[Field]);
        Column->addWidget(RefusalLabels[Field]);
        Form->addRow(Labels[Field], Column);
        connect(Fields[Field], &QLineEdit::textEdited, this, [this, Field] { FieldEdited(Field); });
    }
    connect(Fields[0], &QLineEdit::returnPressed, this,
            [this] { TApplication::Guarded([this] { Download(); }); });
    IndexNote = SelectableNote(QStringLiteral("color: palette(mid)"));
    IndexNote->setText(QStringLiteral("Karta „Indeksy” pokazuje stronę notowań dla identyfikatora sesji "
                                      "znalezionego na tej stronie; znaczniki nie są używane."));
    Form->addRow(QString(), IndexNote);

    const QString PickNames[] = {QStringLiteral("Start"), QStringLiteral("End")};
    for (int Marker = 0; Marker < 2; ++Marker) {
        LengthenButtons[Marker] = new QPushButton;
        LengthenButtons[Marker]->setObjectName(QStringLiteral("Lengthen") + PickNames[Marker]);
        LengthenButtons[Marker]->hide();
        connect(LengthenButtons[Marker], &QPushButton::clicked, this, [this, Marker] { Lengthen(Marker); });
    }
    Panel = new TSourcePagePanel(QString(), {LengthenButtons[0], LengthenButtons[1]});
    connect(Panel->DownloadButton, &QPushButton::clicked, this,
            [this] { TApplication::Guarded([this] { Download(); }); });
    for (int Marker = 0; Marker < 2; ++Marker)
        connect(Panel->PickButtons[Marker], &QPushButton::clicked, this,
                [this, Marker] { TApplication::Guarded([this, Marker] { PickFromSelection(Marker); }); });
    for (QLabel* Label : {Panel->OutcomeLabel, Panel->PickNotes[0], Panel->PickNotes[1]})
        Label->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* Right = new QVBoxLayout;
    Right->addLayout(Form);
    Right->addWidget(Panel, 1);
    Own->LayOut(Page, Right);
    return Page;
}

void TSettingsDialog::SelectSource(int Source)
{
    // One's own source not listed: the first row.
    Sources->setCurrentRow(Source < 0 ? -1 : std::max(Own->RowOf(Source + 1), 0));
}

void TSettingsDialog::ShowSource(bool PageToo)
{
    const TSetup& Setup = Setups[FSource];
    for (int Field = 0; Field < 3; ++Field) {
        // Markers are bytes of the page: once it is here, they read as the page does. A refused
        // text stays as typed.
        Fields[Field]->setText(
            !Setup.Refusals[Field].isEmpty() ? Setup.Typed[Field]
            : Field > 0 && !Setup.Page.empty()
                ? QString::fromStdU16String(DecodePage(Setup.Values[Field], Setup.Charset).Text)
                : FromWindows1250(Setup.Values[Field]));
        RefusalLabels[Field]->setText(Setup.Refusals[Field]);
        RefusalLabels[Field]->setVisible(!Setup.Refusals[Field].isEmpty());
    }
    const bool Index = FSource == IndexSource;
    for (QWidget* Widget :
         std::initializer_list<QWidget*>{Fields[1], Fields[2], Panel->PickButtons[0], Panel->PickButtons[1]})
        Widget->setEnabled(!Index);
    IndexNote->setVisible(Index);
    Panel->DownloadButton->setEnabled(CanDownload());
    Panel->OutcomeLabel->setText(Setup.Outcome);
    if (PageToo)
        Panel->PageSource->SetText(QString::fromStdU16String(Setup.View.Text));
    ShowMarkers();
}

void TSettingsDialog::FieldEdited(int Field)
{
    TSetup& Setup = Setups[FSource];
    // The file is Windows-1250, but a marker must match the page byte for byte: one typed for a page
    // in another charset is written in that charset.
    const bool PageCharsetMarker = Field > 0 && !Setup.Page.empty() && Setup.Charset != "windows-1250";
    const std::string Charset = PageCharsetMarker ? Setup.Charset : "WINDOWS-1250";
    std::string Missing;
    const std::optional<std::string> Bytes =
        Recode(Fields[Field]->text().toUtf8().toStdString(), "UTF-8", Charset, &Missing);
    QString& Refusal = Setup.Refusals[Field];
    if (!Bytes)
        Refusal = QStringLiteral("Znak „%1” nie ma postaci w kodowaniu %2.")
                      .arg(QString::fromStdString(Missing),
                           PageCharsetMarker ? QStringLiteral("strony, ") + QString::fromStdString(Charset)
                                             : QStringLiteral("pliku dane.txt, Windows-1250"));
    else if (const std::string Reason = LineRefusal(*Bytes); !Reason.empty())
        Refusal = QStringLiteral("Wartość ") + QString::fromStdString(Reason) + QLatin1Char('.');
    else
        Refusal.clear();
    RefusalLabels[Field]->setText(Refusal);
    RefusalLabels[Field]->setVisible(!Refusal.isEmpty());
    Setup.Typed[Field] = Fields[Field]->text();
    Panel->DownloadButton->setEnabled(CanDownload());
    if (!Bytes || !Refusal.isEmpty())
        return;
    Setup.Values[Field] = *Bytes;
    ShowMarkers();
}

void TSettingsDialog::Download()
{
    TSetup& Setup = Setups[FSource];
    if (!CanDownload())
        return;
    Panel->StartDownload(
        [&] {
            Setup.Worker = DownloadRound->Launch(
                {.Source = FSource, .Address = Setup.Values[0], .Mode = TRoundMode::Download}, {},
                [this](const TRoundResult& Result) { Downloaded(Result); });
        },
        Setup.Outcome);
}

// No download runs for the source, and its address is not refused: a refused address would
// download the address before it.
bool TSettingsDialog::CanDownload() const
{
    const TSetup& Setup = Setups[FSource];
    return !Setup.Worker && Setup.Refusals[0].isEmpty();
}

void TSettingsDialog::Downloaded(const TRoundResult& Result)
{
    const int Source = Result.Source;
    TSetup& Setup = Setups[Source];
    Setup.Worker = nullptr;
    if (!Result.Failed()) {
        Setup.Page = Result.Downloaded;
        Setup.Charset = PageCharset(Result.ContentType, Setup.Page);
        Setup.View = DecodePage(Setup.Page, Setup.Charset);
        Setup.Picks = {};
    }
    Setup.Outcome = DownloadOutcome(Result, Setup.Charset);
    if (Source == FSource)
        ShowSource();
}

// Writes the fields changed here and keeps the file's own changes to the others; a field changed
// both here and in the file is asked about first.
void TSettingsDialog::Save()
{
    const auto Fail = [this](const QString& Why) {
        SaveError->setText(Why);
        SaveError->show();
    };
    TSourceValues Edited;
    for (int Source = 0; Source < SourceCount; ++Source) {
        const TSetup& Setup = Setups[Source];
        if (std::ranges::any_of(Setup.Refusals, [](const QString& Refusal) { return !Refusal.isEmpty(); })) {
            SelectSource(Source);
            return Fail(QStringLiteral("Nic nie zapisano: popraw pola opisane na czerwono."));
        }
        Edited[Source] = Setup.Values;
    }
    if (const int Row = Own->RefusedRow(); Row >= 0) {
        Sources->setCurrentRow(Row);
        return Fail(QStringLiteral("Nic nie zapisano: popraw pola opisane na czerwono."));
    }
    if (const auto Bad = Rules->BadRule()) {
        const int Row = Own->RowOf(Bad->first);
        Sources->setCurrentRow(Row);
        return Fail(QStringLiteral("Nic nie zapisano: błędne wyrażenie %1 w regułach „%2”.")
                        .arg(Bad->second, Sources->item(Row)->text()));
    }
    try {
        TSourceMerge Merge = MergeWithFile(ConfigurationFileName, Loaded, Edited);
        Conflict->Ask(std::move(Merge.Conflicts));
        if (!Conflict->Conflicts().empty())
            return SaveError->hide();
        // zrodla.ini as it is now, so that changes made meanwhile by a command stay.
        if (Own->Changed() || Rules->Changed()) {
            TSourcesFile File = LoadSourcesFile(OwnSourcesFileName);
            const TRulesGroup::TNewIds NewIds = Own->Apply(File);
            Rules->Apply(File, NewIds);
            SaveSourcesFile(OwnSourcesFileName, File);
            Own->Saved(NewIds);
            Rules->Saved(NewIds);
        }
        if (std::ranges::any_of(Merge.Changes, [](const auto& Change) { return Change.has_value(); }))
            SaveSources(ConfigurationFileName, Merge.Changes);
        Options->Apply();
    } catch (const EInOutError& Failure) {
        return Fail(QStringLiteral("Nic nie zapisano: nie można odczytać dane.txt: ") +
                    TApplication::ErrorBoxText(QString::fromUtf8(Failure.what())));
    } catch (const std::runtime_error& Failure) {
        return Fail(QString::fromUtf8(Failure.what()));
    }
    accept();
}

void TSettingsDialog::SettleConflicts(bool TakeFile)
{
    for (const TFieldConflict& Asked : Conflict->Conflicts()) {
        Loaded[Asked.Source][Asked.Field] = Asked.OnDisk;
        if (TakeFile)
            Setups[Asked.Source].Values[Asked.Field] = Asked.OnDisk;
    }
    Conflict->Ask({});
    ShowSource(false);
    TApplication::Guarded([this] { Save(); });
}
