// TLoopbackServer: an HTTP/1.1 server on 127.0.0.1 at a free port, on a thread of its own, that
// serves canned replies and faults to any HTTP client; for download tests and benchmarks.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

struct TReply
{
    enum class TFault {
        None,        // status line, headers with Content-Length, whole body
        BreakOff,    // announces the whole body, sends half of it, then closes the connection
        Stall,       // sends the headers, then nothing until Release() or the server ends
        Redirect,    // 302 to Location (Body unused)
        RedirectLoop // 302 back to the same path, for ever
    };
    int Status = 200;
    std::string Body;
    TFault Fault = TFault::None;
    std::string Location;
    std::map<std::string, std::string> Headers; // extra response headers
};

struct TRequest
{
    std::string Method;
    std::string Path;
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

    // Lets every stalled reply finish its body.
    void Release();

    std::vector<TRequest> Requests() const;
    int RequestCount(const std::string& Path) const;

private:
    struct TImpl;
    std::unique_ptr<TImpl> Impl;
};
