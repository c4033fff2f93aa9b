// The loopback HTTP server for tests: POSIX sockets, one thread to accept and one per connection.
#include "LoopbackServer.h"

#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <condition_variable>
#include <fcntl.h>
#include <list>
#include <mutex>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <set>
#include <sys/socket.h>
#include <system_error>
#include <thread>
#include <unistd.h>

namespace {
constexpr std::size_t MaxRequestHead = 64 * 1024;

[[noreturn]] void ThrowErrno(const char* What)
{
    throw std::system_error(errno, std::generic_category(), What);
}

std::string WithoutQuery(const std::string& Target)
{
    return Target.substr(0, Target.find('?'));
}

const char* Reason(int Status)
{
    switch (Status) {
    case 200:
        return "OK";
    case 301:
        return "Moved Permanently";
    case 302:
        return "Found";
    case 303:
        return "See Other";
    case 307:
        return "Temporary Redirect";
    case 308:
        return "Permanent Redirect";
    case 400:
        return "Bad Request";
    case 403:
        return "Forbidden";
    case 404:
        return "Not Found";
    case 500:
        return "Internal Server Error";
    case 503:
        return "Service Unavailable";
    default:
        return "Status";
    }
}

std::string Head(int Status, std::size_t ContentLength, const std::map<std::string, std::string>& Extra)
{
    std::string Text = "HTTP/1.1 " + std::to_string(Status) + " " + Reason(Status) + "\r\n";
    Text += "Content-Length: " + std::to_string(ContentLength) + "\r\nConnection: close\r\n";
    if (!Extra.contains("Content-Type"))
        Text += "Content-Type: text/html\r\n";
    for (const auto& [Name, Value] : Extra)
        Text += Name + ": " + Value + "\r\n";
    return Text + "\r\n";
}

bool SendAll(int Fd, const char* Data, std::size_t Size)
{
    while (Size > 0) {
        const ssize_t Sent = send(Fd, Data, Size, MSG_NOSIGNAL);
        if (Sent < 0 && errno == EINTR)
            continue;
        if (Sent <= 0)
            return false;
        Data += Sent;
        Size -= static_cast<std::size_t>(Sent);
    }
    return true;
}

bool SendAll(int Fd, const std::string& Bytes)
{
    return SendAll(Fd, Bytes.data(), Bytes.size());
}

// Reads one request head from Fd; false when the client went away or sent something unusable.
bool ReadRequest(int Fd, TRequest& Request)
{
    std::string Buffer;
    std::size_t End;
    while ((End = Buffer.find("\r\n\r\n")) == std::string::npos) {
        char Chunk[4096];
        const ssize_t Got = recv(Fd, Chunk, sizeof Chunk, 0);
        if (Got < 0 && errno == EINTR)
            continue;
        if (Got <= 0 || Buffer.size() > MaxRequestHead)
            return false;
        Buffer.append(Chunk, static_cast<std::size_t>(Got));
    }
    std::size_t LineEnd = Buffer.find("\r\n");
    const std::string RequestLine = Buffer.substr(0, LineEnd);
    const std::size_t Space1 = RequestLine.find(' ');
    const std::size_t Space2 = RequestLine.find(' ', Space1 + 1);
    if (Space1 == std::string::npos || Space2 == std::string::npos)
        return false;
    Request.Method = RequestLine.substr(0, Space1);
    Request.Path = RequestLine.substr(Space1 + 1, Space2 - Space1 - 1);
    for (std::size_t Pos = LineEnd + 2; Pos < End; Pos = LineEnd + 2) {
        LineEnd = Buffer.find("\r\n", Pos);
        const std::string Line = Buffer.substr(Pos, LineEnd - Pos);
        const std::size_t Colon = Line.find(':');
        if (Colon == std::string::npos)
            continue;
        std::string Name = Line.substr(0, Colon);
        std::transform(Name.begin(), Name.end(), Name.begin(),
                       [](unsigned char C) { return static_cast<char>(std::tolower(C)); });
        const std::size_t ValueStart = Line.find_first_not_of(" \t", Colon + 1);
        Request.Headers[Name] = ValueStart == std::string::npos ? "" : Line.substr(ValueStart);
    }
    return true;
}
} // namespace

struct TLoopbackServer::TImpl
{
    int ListenFd = -1;
    int WakePipe[2] = {-1, -1};
    std::uint16_t Port = 0;

    mutable std::mutex Mutex;
    std::condition_variable Released;
    std::uint64_t ReleaseCount = 0;
    bool Stopping = false;
    std::map<std::string, TReply> Replies;
    std::vector<TRequest> Log;
    std::set<int> OpenClients; // shut down by the destructor to wake blocked handlers

    struct TConnection
    {
        std::thread Thread;
        std::shared_ptr<std::atomic<bool>> Done;
    };
    std::list<TConnection> Connections; // the accepting thread's, until it has been joined
    std::thread Acceptor;

    void AcceptLoop();
    void Handle(int Fd);
    void Respond(int Fd, const TRequest& Request, const TReply& Reply);
};

TLoopbackServer::TLoopbackServer() : Impl(std::make_unique<TImpl>())
{
    Impl->ListenFd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (Impl->ListenFd < 0)
        ThrowErrno("socket");
    const int On = 1;
    setsockopt(Impl->ListenFd, SOL_SOCKET, SO_REUSEADDR, &On, sizeof On);
    sockaddr_in Address{};
    Address.sin_family = AF_INET;
    Address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    Address.sin_port = 0;
    socklen_t Length = sizeof Address;
    if (bind(Impl->ListenFd, reinterpret_cast<sockaddr*>(&Address), sizeof Address) != 0 ||
        listen(Impl->ListenFd, 128) != 0 ||
        getsockname(Impl->ListenFd, reinterpret_cast<sockaddr*>(&Address), &Length) != 0 ||
        pipe2(Impl->WakePipe, O_CLOEXEC) != 0) {
        const int Error = errno;
        close(Impl->ListenFd);
        throw std::system_error(Error, std::generic_category(), "loopback server");
    }
    Impl->Port = ntohs(Address.sin_port);
    Impl->Acceptor = std::thread([this] { Impl->AcceptLoop(); });
}

TLoopbackServer::~TLoopbackServer()
{
    {
        std::lock_guard Lock(Impl->Mutex);
        Impl->Stopping = true;
        for (int Fd : Impl->OpenClients)
            shutdown(Fd, SHUT_RDWR);
    }
    Impl->Released.notify_all();
    const char Wake = 1;
    while (write(Impl->WakePipe[1], &Wake, 1) < 0 && errno == EINTR) {
    }
    Impl->Acceptor.join();
    for (auto& Connection : Impl->Connections)
        Connection.Thread.join();
    close(Impl->ListenFd);
    close(Impl->WakePipe[0]);
    close(Impl->WakePipe[1]);
}

void TLoopbackServer::TImpl::AcceptLoop()
{
    for (;;) {
        pollfd Watched[2] = {{ListenFd, POLLIN, 0}, {WakePipe[0], POLLIN, 0}};
        if (poll(Watched, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        if (Watched[1].revents != 0)
            return;
        const int Fd = accept4(ListenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (Fd < 0)
            continue;
        {
            std::lock_guard Lock(Mutex);
            if (Stopping) {
                close(Fd);
                return;
            }
            OpenClients.insert(Fd);
        }
        const int On = 1;
        setsockopt(Fd, IPPROTO_TCP, TCP_NODELAY, &On, sizeof On);
        Connections.remove_if([](TConnection& C) {
            if (!*C.Done)
                return false;
            C.Thread.join();
            return true;
        });
        auto Done = std::make_shared<std::atomic<bool>>(false);
        Connections.push_back({std::thread([this, Fd, Done] {
                                   Handle(Fd);
                                   *Done = true;
                               }),
                               Done});
    }
}

void TLoopbackServer::TImpl::Handle(int Fd)
{
    TRequest Request;
    if (ReadRequest(Fd, Request)) {
        TReply Reply{404, "Not found", TReply::TFault::None, {}, {}, 0};
        {
            std::lock_guard Lock(Mutex);
            auto Found = Replies.find(WithoutQuery(Request.Path));
            if (Found == Replies.end())
                Found = Replies.find(Request.Path);
            if (Found != Replies.end())
                Reply = Found->second;
            Log.push_back(Request);
        }
        Respond(Fd, Request, Reply);
    }
    std::lock_guard Lock(Mutex);
    OpenClients.erase(Fd);
    close(Fd);
}

void TLoopbackServer::TImpl::Respond(int Fd, const TRequest& Request, const TReply& Reply)
{
    using TFault = TReply::TFault;
    const std::string& Body = Reply.Body;
    switch (Reply.Fault) {
    case TFault::None:
        SendAll(Fd, Head(Reply.Status, Body.size(), Reply.Headers) + Body);
        return;
    case TFault::BreakOff:
        SendAll(Fd, Head(Reply.Status, Body.size(), Reply.Headers) + Body.substr(0, Body.size() / 2));
        return;
    case TFault::Stall: {
        const std::size_t Before = std::min(Reply.StallAfter, Body.size());
        // Taken before the first byte goes out: a Release by a client that has seen any of this reply
        // frees it, even if this thread has not reached its wait yet.
        std::uint64_t Seen;
        {
            std::lock_guard Lock(Mutex);
            Seen = ReleaseCount;
        }
        if (!SendAll(Fd, Head(Reply.Status, Body.size(), Reply.Headers) + Body.substr(0, Before)))
            return;
        {
            std::unique_lock Lock(Mutex);
            Released.wait(Lock, [&] { return Stopping || ReleaseCount != Seen; });
            if (Stopping)
                return;
        }
        SendAll(Fd, Body.data() + Before, Body.size() - Before);
        return;
    }
    case TFault::Redirect:
    case TFault::RedirectLoop: {
        const int Status = Reply.Fault == TFault::Redirect && Reply.Status / 100 == 3 ? Reply.Status : 302;
        auto Headers = Reply.Headers;
        Headers["Location"] = Reply.Fault == TFault::Redirect ? Reply.Location : Request.Path;
        SendAll(Fd, Head(Status, 0, Headers));
        return;
    }
    case TFault::Trickle: {
        if (!SendAll(Fd, Head(Reply.Status, Body.size(), Reply.Headers)))
            return;
        const std::size_t Chunk = std::max<std::size_t>(Reply.TrickleChunk, 1);
        for (std::size_t Sent = 0; Sent < Body.size(); Sent += Chunk) {
            if (Sent > 0) {
                std::unique_lock Lock(Mutex);
                if (Released.wait_for(Lock, Reply.TrickleDelay, [this] { return Stopping; }))
                    return;
            }
            if (!SendAll(Fd, Body.data() + Sent, std::min(Chunk, Body.size() - Sent)))
                return;
        }
        return;
    }
    }
}

std::string TLoopbackServer::Url(const std::string& Path) const
{
    return "http://127.0.0.1:" + std::to_string(Impl->Port) + Path;
}

std::uint16_t TLoopbackServer::Port() const
{
    return Impl->Port;
}

void TLoopbackServer::Serve(const std::string& Path, TReply Reply)
{
    std::lock_guard Lock(Impl->Mutex);
    Impl->Replies[Path] = std::move(Reply);
}

void TLoopbackServer::Release()
{
    {
        std::lock_guard Lock(Impl->Mutex);
        ++Impl->ReleaseCount;
    }
    Impl->Released.notify_all();
}

std::vector<TRequest> TLoopbackServer::Requests() const
{
    std::lock_guard Lock(Impl->Mutex);
    return Impl->Log;
}

int TLoopbackServer::RequestCount(const std::string& Path) const
{
    std::lock_guard Lock(Impl->Mutex);
    return static_cast<int>(std::count_if(Impl->Log.begin(), Impl->Log.end(), [&](const TRequest& R) {
        return R.Path == Path || WithoutQuery(R.Path) == Path;
    }));
}
