// TLoopbackServer: an HTTP/1.1 server on 127.0.0.1 at a free port, on a thread of its own, that
// serves canned replies and faults to any HTTP client; for download tests and benchmarks.
// Every connection carries one request and is closed after the reply (Connection: close). A reply's
// headers and body go out in one write where they can, so a small body arrives in one piece. Serve,
// Release and the request queries may be called from any thread; the destructor ends everything at
// once, stalled replies and clients that stopped reading included.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

struct TReply
{
    enum class TFault
    {
        None,         // status line, headers with Content-Length, whole body
        BreakOff,     // announces the whole body, sends half of it, then closes the connection
        Stall,        // sends the headers and the first StallAfter bytes of the body, then nothing
                      // until Release() (then the rest) or the server ends (then it closes)
        Redirect,     // Status if it is a 3xx, else 302, to Location (Body unused)
        RedirectLoop, // 302 back to the same path, for ever
        Trickle       // sends the headers, then the body TrickleChunk bytes at a time with a pause
                      // of TrickleDelay after each piece but the last; ends early when the server ends
    };
    int Status = 200;
    std::string Body;
    TFault Fault = TFault::None;
    std::string Location;
    std::map<std::string, std::string> Headers; // extra response headers
    std::size_t StallAfter = 0;                 // Stall: body bytes sent before the stall
    std::size_t TrickleChunk = 4;               // Trickle: bytes per piece (0 counts as 1)
    std::chrono::milliseconds TrickleDelay{50}; // Trickle: pause between pieces
};

struct TRequest
{
    std::string Method;
    std::string Path;                           // the request target as sent, query included
    std::map<std::string, std::string> Headers; // names in lower case
};

class TLoopbackServer
{
public:
    TLoopbackServer();
    ~TLoopbackServer();

    // "http://127.0.0.1:<port>" + Path.
    std::string Url(const std::string& Path) const;
    std::uint16_t Port() const;

    // Serves Reply for requests of Path (the target without the query is matched first, then the
    // whole target); unknown paths get a 404 with a short body.
    void Serve(const std::string& Path, TReply Reply);

    // Lets every stalled reply that has begun to go out finish its body; replies begun later wait
    // for the next Release.
    void Release();

    // Requests received so far, in arrival order; recorded before the reply goes out.
    std::vector<TRequest> Requests() const;
    // How many requests matched Path (by target without the query, or by the whole target).
    int RequestCount(const std::string& Path) const;

private:
    struct TImpl;
    std::unique_ptr<TImpl> Impl;
};
