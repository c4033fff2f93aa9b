// TDownloadOutcome: how one download ended, as the worker's HTTP layer saw it, and its description
// for the user.
#pragma once

#include <cstdint>
#include <string>

enum class TFailure : std::uint8_t
{
    None,         // the page arrived whole with a success status
    Unresolvable, // the host name could not be resolved
    Refused,      // the connection could not be made
    TimedOut,     // connecting took too long, or nothing arrived for the idle time-out
    HttpStatus,   // the server answered with an error status
    BrokenOff,    // the transfer broke off after the headers
    TooLarge,     // the page grew past the size limit
    TooLong,      // the download ran past the time limit
    Other         // anything else; Detail says what
};

struct TDownloadOutcome
{
    TFailure Failure = TFailure::None;
    long Status = 0;        // status of the final response; 0 when none arrived
    std::int64_t Bytes = 0; // body bytes received
    std::string Detail;     // the HTTP layer's own words for a failure; empty without one
};

// The failure in a few Polish words (UTF-8), e.g. "HTTP 404" or "połączenie odrzucone"; empty for
// None.
std::string DescribeFailure(const TDownloadOutcome& Outcome);
