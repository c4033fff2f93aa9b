// The download row, page source and preview shared by the editors of the five and of one's own.
#include "SourcePagePanel.h"

#include "PagePreview.h"
#include "PageSourceView.h"
#include "SourceRound.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSplitter>
#include <QVBoxLayout>
#include <system_error>

TSourcePagePanel::TSourcePagePanel(const QString& Prefix, const std::array<QWidget*, 2>& Beside)
{
    DownloadButton = new QPushButton(QStringLiteral("Pobierz"));
    DownloadButton->setObjectName(Prefix + QStringLiteral("Download"));
    OutcomeLabel = NoteLabel();
    OutcomeLabel->setObjectName(Prefix + QStringLiteral("Outcome"));
    auto* DownloadRow = new QHBoxLayout;
    DownloadRow->addWidget(DownloadButton);
    DownloadRow->addWidget(OutcomeLabel, 1);

    PageSource = new TPageSourceView;
    auto* SourceBox = new QWidget;
    auto* SourceLayout = new QVBoxLayout(SourceBox);
    SourceLayout->setContentsMargins(0, 0, 0, 0);
    SourceLayout->addWidget(PageSource, 1);
    auto* PickRow = new QGridLayout;
    const QString PickCaptions[] = {QStringLiteral("Początek ← zaznaczenie"),
                                    QStringLiteral("Koniec ← zaznaczenie")};
    const QString PickNames[] = {QStringLiteral("Start"), QStringLiteral("End")};
    for (int Marker = 0; Marker < 2; ++Marker) {
        PickButtons[Marker] = new QPushButton(PickCaptions[Marker]);
        PickButtons[Marker]->setObjectName(Prefix + QStringLiteral("Pick") + PickNames[Marker]);
        PickNotes[Marker] = NoteLabel();
        PickNotes[Marker]->setObjectName(Prefix + PickNames[Marker] + QStringLiteral("Note"));
        PickRow->addWidget(PickButtons[Marker], Marker, 0);
        PickRow->addWidget(PickNotes[Marker], Marker, 1);
        if (Beside[Marker])
            PickRow->addWidget(Beside[Marker], Marker, 2);
    }
    PickRow->setColumnStretch(1, 1);
    SourceLayout->addLayout(PickRow);

    Preview = new TPagePreview;
    auto* Split = new QSplitter(Qt::Vertical);
    Split->addWidget(SourceBox);
    Split->addWidget(Preview);
    Split->setSizes({340, 340});
    // The page source's and the preview's parts are named by their own classes: they take the
    // prefix too. Qt's names for the inner parts of its widgets stay as they are.
    for (QWidget* Part : {static_cast<QWidget*>(PageSource), static_cast<QWidget*>(Preview)})
        for (QWidget* Child : Part->findChildren<QWidget*>())
            if (!Child->objectName().isEmpty() && !Child->objectName().startsWith(QLatin1String("qt_")))
                Child->setObjectName(Prefix + Child->objectName());

    auto* Layout = new QVBoxLayout(this);
    Layout->setContentsMargins(0, 0, 0, 0);
    Layout->addLayout(DownloadRow);
    Layout->addWidget(Split, 1);
}

void TSourcePagePanel::StartDownload(const std::function<void()>& Launch, QString& Outcome)
{
    try {
        Launch();
    } catch (const std::system_error& Failure) {
        OutcomeLabel->setText(QStringLiteral("BŁĄD: ") + QString::fromLocal8Bit(Failure.what()));
        return;
    }
    Outcome = QStringLiteral("Pobieranie…");
    OutcomeLabel->setText(Outcome);
    DownloadButton->setEnabled(false);
}

QLabel* NoteLabel(const QString& Style, const QString& Text)
{
    auto* Label = new QLabel(Text);
    Label->setWordWrap(true);
    Label->setStyleSheet(Style);
    return Label;
}

QString DownloadOutcome(const TRoundResult& Result, std::string_view Charset)
{
    const QString Bytes = QStringLiteral("bajtów: ") + QString::number(Result.Download.Bytes);
    if (!Result.Failed())
        return QStringLiteral("HTTP %1, %2, kodowanie %3")
            .arg(Result.Download.Status)
            .arg(Bytes, QString::fromUtf8(Charset));
    return QStringLiteral("BŁĄD: ") +
           (Result.Reason.isEmpty() ? QStringLiteral("błąd pobierania") : Result.Reason) +
           (Result.Download.Failure == TFailure::HttpStatus ? QStringLiteral(", ") + Bytes : QString());
}
