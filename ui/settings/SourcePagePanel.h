// TSourcePagePanel: the download row, the page source with its marker picks, and the page preview;
// the note labels and the words for a download's end that the settings editors share.
#pragma once

#include <QWidget>
#include <array>
#include <functional>
#include <string_view>

class QLabel;
class QPushButton;
class TPagePreview;
class TPageSourceView;
struct TRoundResult;

// The lower part of a source's editor: "Pobierz" with the outcome of the download, the downloaded
// page's source with a button per marker that takes the selection as that marker, and the preview
// of the page built from it. Its parts are named Prefix + "Download", "Outcome", "PickStart",
// "PickEnd", "StartNote" and "EndNote", and those of the page source and preview Prefix + their
// own names ("PageSource", "Search", "PreviewInfo", "Preview"); the caller connects the buttons.
// Beside[Marker], when given, goes after that marker's note.
class TSourcePagePanel : public QWidget
{
public:
    explicit TSourcePagePanel(const QString& Prefix, const std::array<QWidget*, 2>& Beside = {});

    // Runs Launch, which starts a download, and shows that it runs (also kept in Outcome for when
    // the source is shown again), or why it could not start.
    void StartDownload(const std::function<void()>& Launch, QString& Outcome);

    QPushButton* DownloadButton;
    QLabel* OutcomeLabel;
    TPageSourceView* PageSource;
    std::array<QPushButton*, 2> PickButtons;
    std::array<QLabel*, 2> PickNotes;
    TPagePreview* Preview;
};

// A label for notes: word-wrapped, in Style.
QLabel* NoteLabel(const QString& Style = {}, const QString& Text = {});

// What a download in the panel came to: "HTTP 200, bajtów: N, kodowanie Charset", Charset being the
// one the page is read in, or "BŁĄD: " and why, with the bytes for an error status.
QString DownloadOutcome(const TRoundResult& Result, std::string_view Charset);
