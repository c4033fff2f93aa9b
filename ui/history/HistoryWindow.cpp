// The history window: list, page view, saving.
#include "HistoryWindow.h"

#include "History.h"
#include "PageFile.h"
#include "Passages.h"
#include "RuleDecision.h"
#include "SourceCaptions.h"
#include "SourceRound.h"
#include "WebBrowser.h"

#include <QDateTime>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QShortcut>
#include <QSplitter>
#include <QVBoxLayout>
#include <system_error>

namespace {
struct TShownVersion
{
    qint64 Id = 0;
    QByteArray Bytes;
    QStringList New; // passages new against the version before it
};
} // namespace

QString VersionRow(const TVersionInfo& Version)
{
    return QStringLiteral("%1   %2 B   +%3 / −%4")
        .arg(QDateTime::fromSecsSinceEpoch(Version.Time).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")))
        .arg(Version.Size)
        .arg(Version.Added)
        .arg(Version.Removed);
}

THistoryWindow::THistoryWindow(THistory& History, int Source, QWidget* Parent)
    : QWidget(Parent, Qt::Window), Versions(new QListWidget), VersionView(new TWebBrowser),
      SaveButton(new QPushButton(QStringLiteral("Zapisz jako..."))), Status(new QLabel), FHistory(History),
      FSource(Source)
{
    setWindowTitle(QStringLiteral("Historia zmian — ") + QString::fromUtf8(SourceCaption(Source)));
    Versions->setObjectName(QStringLiteral("Versions"));
    VersionView->setObjectName(QStringLiteral("VersionView"));
    SaveButton->setObjectName(QStringLiteral("SaveButton"));
    SaveButton->setEnabled(false);
    auto* Side = new QWidget;
    auto* SideLayout = new QVBoxLayout(Side);
    SideLayout->setContentsMargins(0, 0, 0, 0);
    SideLayout->addWidget(Versions);
    SideLayout->addWidget(Status);
    SideLayout->addWidget(SaveButton);
    auto* Splitter = new QSplitter;
    Splitter->addWidget(Side);
    Splitter->addWidget(VersionView);
    Splitter->setStretchFactor(1, 1);
    Splitter->setSizes({260, 640});
    auto* Layout = new QHBoxLayout(this);
    Layout->addWidget(Splitter);
    resize(900, 600);

    connect(Versions, &QListWidget::currentRowChanged, this, &THistoryWindow::Select);
    connect(SaveButton, &QPushButton::clicked, this, &THistoryWindow::SaveAs);
    // The list takes Up and Down wherever the focus is, the page included.
    connect(new QShortcut(Qt::Key_Up, this), &QShortcut::activated, this, [this] { Move(-1); });
    connect(new QShortcut(Qt::Key_Down, this), &QShortcut::activated, this, [this] { Move(1); });
    connect(new QShortcut(Qt::Key_Escape, this), &QShortcut::activated, this, &QWidget::close);
}

void THistoryWindow::showEvent(QShowEvent* Event)
{
    QWidget::showEvent(Event);
    Reload();
}

void THistoryWindow::Reload()
{
    const int Source = FSource;
    FHistory.Run<std::pair<std::vector<TVersionInfo>, QString>>(
        [Source](THistoryStore& Store) { return std::make_pair(Store.Versions(Source), Store.Error()); },
        [this, Self = QPointer<THistoryWindow>(this)](std::pair<std::vector<TVersionInfo>, QString> Read) {
            if (!Self)
                return;
            const qint64 Keep = FSelectedId;
            const QSignalBlocker Quiet(Versions);
            Versions->clear();
            int Row = 0;
            for (const TVersionInfo& Version : Read.first) {
                auto* Item = new QListWidgetItem(VersionRow(Version), Versions);
                Item->setData(Qt::UserRole, Version.Id);
                if (Version.Id == Keep)
                    Row = Versions->count() - 1;
            }
            Status->setText(!Read.second.isEmpty() ? QStringLiteral("Historia niedostępna: ") + Read.second
                            : Read.first.empty()   ? QStringLiteral("Brak zapisanych wersji")
                                                   : QStringLiteral("Wersje: %1").arg(Read.first.size()));
            Versions->setFocus();
            if (Versions->count() > 0) {
                Versions->setCurrentRow(Row);
                Select(Row);
            }
        });
}

void THistoryWindow::Move(int By)
{
    const int Row = Versions->currentRow() + By;
    if (Row >= 0 && Row < Versions->count())
        Versions->setCurrentRow(Row);
}

void THistoryWindow::Select(int Row)
{
    QListWidgetItem* Item = Versions->item(Row);
    if (!Item)
        return;
    const qint64 Id = Item->data(Qt::UserRole).toLongLong();
    const bool Page = FSource != IndexSource;
    // The source's rules as they are now, read at each pick so that a change in the settings holds
    // at once: a version's new passages are those its tab would mark, and its trigger words are
    // marked more strongly in them.
    const std::shared_ptr<const TRuleSet> Rules = RulesNow(FSource);
    FHistory.Run<TShownVersion>(
        [Id, Page, Rules](THistoryStore& Store) {
            TShownVersion Shown{Id, Store.Body(Id).value_or(QByteArray())};
            if (Page) {
                const QByteArray Before = Store.PreviousBody(Id).value_or(QByteArray());
                const QStringList Previous =
                    PagePassages({Before.data(), static_cast<std::size_t>(Before.size())});
                const QStringList Now =
                    PagePassages({Shown.Bytes.data(), static_cast<std::size_t>(Shown.Bytes.size())});
                Shown.New = ChangeUnder(Rules.get(), Previous, Now).Added;
            }
            return Shown;
        },
        [this, Self = QPointer<THistoryWindow>(this), Page, Rules](TShownVersion Shown) {
            // A later selection may have overtaken this one.
            QListWidgetItem* Current = Self ? Versions->currentItem() : nullptr;
            if (!Current || Current->data(Qt::UserRole).toLongLong() != Shown.Id)
                return;
            FSelected = Shown.Bytes;
            FSelectedId = Shown.Id;
            SaveButton->setEnabled(true);
            VersionView->SetHighlight(Shown.New, Rules ? Rules->Words() : QStringList());
            if (!Page) {
                VersionView->Navigate(QString::fromLatin1(Shown.Bytes));
                return;
            }
            // Shown from a local file, as the tab shows its page: the page's base address keeps
            // its links working, and it can read no other local file.
            const std::string Path =
                FFiles.filePath(QStringLiteral("version-%1.htm").arg(Shown.Id)).toStdString();
            try {
                WritePageFile(Path, {Shown.Bytes.data(), static_cast<std::size_t>(Shown.Bytes.size())});
                VersionView->Navigate(QString::fromStdString(Path));
            } catch (const std::exception&) {
                Status->setText(QStringLiteral("Nie można pokazać tej wersji"));
            }
        });
}

void THistoryWindow::SaveAs()
{
    if (FSelectedId == 0)
        return;
    const QString Name = QString::fromStdString(SourcePageFileName(FSource)).section(QLatin1Char('.'), 0, 0) +
                         QLatin1Char('-') + QString::number(FSelectedId) + QStringLiteral(".htm");
    const QString Path = QFileDialog::getSaveFileName(this, QStringLiteral("Zapisz jako..."), Name,
                                                      QStringLiteral("Strony (*.htm *.html)"));
    if (Path.isEmpty())
        return;
    try {
        WritePageFile(QFile::encodeName(Path).toStdString(),
                      {FSelected.data(), static_cast<std::size_t>(FSelected.size())});
    } catch (const std::system_error& Error) {
        QMessageBox::warning(this, QStringLiteral("Zapisz jako..."),
                             QStringLiteral("Nie można zapisać %1: %2")
                                 .arg(Path, QString::fromLocal8Bit(Error.code().message())));
    }
}
