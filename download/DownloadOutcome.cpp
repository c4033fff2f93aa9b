// Descriptions of download failures.
#include "DownloadOutcome.h"

std::string DescribeFailure(const TDownloadOutcome& Outcome)
{
    switch (Outcome.Failure) {
    case TFailure::None:
        return {};
    case TFailure::Unresolvable:
        return "nie znaleziono serwera";
    case TFailure::Refused:
        return "połączenie odrzucone";
    case TFailure::TimedOut:
        return "przekroczony czas oczekiwania";
    case TFailure::HttpStatus:
        return "HTTP " + std::to_string(Outcome.Status);
    case TFailure::BrokenOff:
        return "transfer przerwany po " + std::to_string(Outcome.Bytes) + " bajtach";
    case TFailure::TooLarge:
        return "strona za duża";
    case TFailure::TooLong:
        return "pobieranie trwało za długo";
    case TFailure::Other:
        break;
    }
    return Outcome.Detail.empty() ? std::string("błąd pobierania") : Outcome.Detail;
}
