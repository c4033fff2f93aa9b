// The per-source state of refreshes and the change comparison of page files.
#include "SourceState.h"

#include "TextRoutines.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>

void TSourceState::Fail(const QString& Time, const QString& Reason)
{
    LastAttempt = Time;
    Failure = Reason;
}

void TSourceState::Succeed(const QString& Time, const QString& PageWarning, bool Changed)
{
    LastAttempt = LastSuccess = Time;
    Failure.clear();
    Warning = PageWarning;
    Unseen = Unseen || Changed;
}

TSourceMark TSourceState::Mark() const
{
    if (!Failure.isEmpty())
        return TSourceMark::Failed;
    if (Unseen)
        return TSourceMark::Changed;
    return Warning.isEmpty() ? TSourceMark::None : TSourceMark::Warning;
}

QString TSourceState::Tooltip() const
{
    if (LastAttempt.isEmpty())
        return {};
    if (!Failure.isEmpty())
        return Failure + QStringLiteral(" (") + LastAttempt + QStringLiteral("); ") +
               (LastSuccess.isEmpty() ? QStringLiteral("jeszcze bez udanej aktualizacji")
                                      : QStringLiteral("ostatnia udana aktualizacja ") + LastSuccess);
    QString Text = QStringLiteral("Ostatnia aktualizacja ") + LastSuccess;
    if (Unseen)
        Text += QStringLiteral("; strona zmieniła się");
    if (!Warning.isEmpty())
        Text += QStringLiteral("; ostrzeżenie: ") + Warning;
    if (!Note.isEmpty())
        Text += QStringLiteral("; ") + Note;
    return Text;
}

bool DiffersFromFile(const std::string& Path, std::string_view Bytes)
{
    std::error_code Error;
    const auto Size = std::filesystem::file_size(Path, Error);
    if (Error)
        return false;
    if (Size != Bytes.size())
        return true;
    std::ifstream File(Path, std::ios::binary);
    std::array<char, 65536> Block;
    for (std::size_t Done = 0; Done < Bytes.size();) {
        const std::size_t Want = std::min(Block.size(), Bytes.size() - Done);
        if (!File.read(Block.data(), static_cast<std::streamsize>(Want)))
            return true;
        if (Bytes.substr(Done, Want) != std::string_view(Block.data(), Want))
            return true;
        Done += Want;
    }
    return false;
}

QString MarkerWarning(std::string_view Page, std::string_view StartMarker, std::string_view EndMarker)
{
    const TMarkerPositions At = FindMarkers(Page, StartMarker, EndMarker);
    if (At.Start == 0)
        return QStringLiteral("nie znaleziono znacznika początku na stronie");
    if (At.End == 0)
        return QStringLiteral("nie znaleziono znacznika końca na stronie");
    return {};
}
