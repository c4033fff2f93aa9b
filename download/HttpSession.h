// THttpSession: one HTTP GET at a time over libcurl, delivering the body of the response to a reader in
// reads of at most MaxRead bytes on the calling thread.
#pragma once

#include "DownloadOutcome.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class THttpSession
{
public:
    static constexpr std::size_t MaxRead = 1025;

    // Bounds of one download: time-outs in the spirit of the original HTTP layer, and limits so that
    // an endless or crawling response cannot eat the machine's memory or hold its source for good.
    struct TLimits
    {
        std::chrono::milliseconds Connect{60000}; // name resolution and connecting
        std::chrono::milliseconds Idle{60000};    // a transfer that receives nothing this long is broken off
        // Twice the refresh interval: a download still running then has missed a whole refresh.
        std::chrono::milliseconds MaxDuration{600000};
        // Far above any real commentary page, far below what would strain the desktop.
        std::int64_t MaxBody = std::int64_t{64} << 20;
    };

    struct TResult
    {
        bool Opened = false;   // the status line and headers of the final response arrived
        bool Complete = false; // the transfer ran to its end without an error
        long Status = 0;       // status of the final response; 0 when none arrived
        // Why the transfer did not complete (None when Complete; an error status is not judged here)
        TFailure Failure = TFailure::None;
        std::string Error;       // what went wrong in curl's words, empty when Complete
        std::string ContentType; // the final response's Content-Type header; empty without one
    };

    // Receives one read: Size bytes at Data, at most MaxRead. Returns false to end the transfer.
    using TReader = std::function<bool(const char* Data, std::size_t Size)>;

    // Limits that sessions get unless they are given others: the values above. A seam for tests,
    // which shorten them to provoke time-outs and limits quickly; safe to call from any thread, it
    // affects sessions constructed afterwards.
    static TLimits DefaultLimits();
    static void SetDefaultLimits(const TLimits& Value);
    // Servers' certificates are verified against the system's store. A test hands over the file of
    // its own certificate authority here instead (empty: the system's store again); it affects
    // sessions constructed afterwards.
    static void SetTrustedCaFile(const std::string& Path);

    // UserAgent is sent as the agent name of every request.
    explicit THttpSession(const std::string& UserAgent, const TLimits& Limits = DefaultLimits());
    ~THttpSession();
    THttpSession(const THttpSession&) = delete;
    THttpSession& operator=(const THttpSession&) = delete;

    // Fetches Url (http or https; redirects followed, proxies from the environment, never from a
    // cache). Once the headers of the final response are in (Opened), its body goes to Read, then
    // one final read of 0 bytes follows, also after a transfer that broke off or crossed a limit
    // (the read that would take the body past MaxBody is not delivered but ends the transfer); Read
    // returning false ends the transfer at once, without the final read. Nothing reaches Read unless
    // Opened. An error thrown by Read ends the transfer and propagates to the caller.
    TResult Get(const std::string& Url, const TReader& Read);

private:
    struct TImpl;
    std::unique_ptr<TImpl> Impl;
};
