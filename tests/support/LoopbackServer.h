// TLoopbackServer: an HTTP/1.1 server on 127.0.0.1 at a free port that serves canned replies and
// faults, in plain text or over TLS. Each connection carries one request (Connection: close) on a
// detached thread that shares the server's state. Serve, Release and the queries may be called from
// any thread; the destructor ends stalled and endless replies at once.
#pragma once

#include <algorithm>
#include <arpa/inet.h>
#include <cctype>
#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <openssl/ssl.h>
#include <optional>
#include <stdexcept>
#include <thread>
#include <unistd.h>
#include <vector>

struct TReply
{
    // BreakOff announces the body and sends half of it; Stall sends StallAfter bytes of it and the
    // rest after Release(); Trickle sends TrickleChunk bytes after every TrickleDelay; Redirect
    // answers 302 to Location, RedirectLoop to the same path; Endless announces no length and sends
    // the body over and over until the client hangs up.
    enum class TFault
    {
        None,
        BreakOff,
        Stall,
        Trickle,
        Redirect,
        RedirectLoop,
        Endless
    };
    int Status = 200;
    std::string Body;
    std::string Location;
    TFault Fault = TFault::None;
    std::size_t StallAfter = 0;
    std::size_t TrickleChunk = 4;
    std::chrono::milliseconds TrickleDelay{50};
    std::string ContentType; // sent as the Content-Type header when not empty
};

// The server's certificate and its key, PEM files.
struct TTlsFiles
{
    std::string Certificate;
    std::string Key;
};

class TLoopbackServer
{
public:
    explicit TLoopbackServer(const std::optional<TTlsFiles>& Tls = std::nullopt)
    {
        if (Tls) {
            S->Tls.reset(SSL_CTX_new(TLS_server_method()));
            if (!S->Tls || SSL_CTX_use_certificate_chain_file(S->Tls.get(), Tls->Certificate.c_str()) != 1 ||
                SSL_CTX_use_PrivateKey_file(S->Tls.get(), Tls->Key.c_str(), SSL_FILETYPE_PEM) != 1)
                throw std::runtime_error("cannot load the loopback server's certificate");
        }
        sockaddr_in Address{AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
        socklen_t Length = sizeof Address;
        if (bind(S->Listener, reinterpret_cast<sockaddr*>(&Address), Length) != 0 ||
            listen(S->Listener, 64) != 0 ||
            getsockname(S->Listener, reinterpret_cast<sockaddr*>(&Address), &Length) != 0)
            throw std::runtime_error("cannot start the loopback server");
        FPort = ntohs(Address.sin_port);
        Acceptor = std::thread([S = S] {
            for (int Fd; (Fd = accept4(S->Listener, nullptr, nullptr, SOCK_CLOEXEC)) >= 0;)
                std::thread(&TState::Handle, S, Fd).detach();
        });
    }
    ~TLoopbackServer()
    {
        {
            std::lock_guard Lock(S->Mutex);
            S->Stopping = true;
            S->Changed.notify_all();
        }
        shutdown(S->Listener, SHUT_RDWR); // ends the accepting loop
        Acceptor.join();
    }

    std::string Url(const std::string& Path) const
    {
        return (S->Tls ? "https" : "http") + std::string("://127.0.0.1:") + std::to_string(FPort) + Path;
    }

    // Serves Reply for requests of Path (matched without the query, or whole); others get a 404.
    void Serve(const std::string& Path, TReply Reply)
    {
        std::lock_guard Lock(S->Mutex);
        S->Replies[Path] = std::move(Reply);
    }
    // Lets every stalled reply looked up so far send the rest of its body.
    void Release()
    {
        std::lock_guard Lock(S->Mutex);
        ++S->Releases;
        S->Changed.notify_all();
    }
    // The request targets received so far, in arrival order.
    std::vector<std::string> Requests() const
    {
        std::lock_guard Lock(S->Mutex);
        return S->Log;
    }
    // The requests received so far, head and body, in arrival order.
    std::vector<std::string> WholeRequests() const
    {
        std::lock_guard Lock(S->Mutex);
        return S->Whole;
    }
    int RequestCount(const std::string& Path) const
    {
        const auto Log = Requests();
        return int(std::count_if(Log.begin(), Log.end(), [&](auto& Target) {
            return Target.substr(0, Target.find('?')) == Path || Target == Path;
        }));
    }

    // The most requests the server was answering at once so far.
    int MaxInFlight() const
    {
        std::lock_guard Lock(S->Mutex);
        return S->MaxInFlight;
    }

private:
    // One accepted connection, in plain text or over TLS.
    struct TConnection
    {
        int Fd;
        SSL* Tls = nullptr;

        ~TConnection()
        {
            if (Tls) {
                SSL_shutdown(Tls);
                SSL_free(Tls);
            }
            close(Fd);
        }
        bool Send(std::string_view Bytes) const
        {
            for (ssize_t Count; !Bytes.empty(); Bytes.remove_prefix(std::size_t(Count)))
                if ((Count = Tls ? SSL_write(Tls, Bytes.data(), int(Bytes.size()))
                                 : send(Fd, Bytes.data(), Bytes.size(), MSG_NOSIGNAL)) <= 0)
                    return false;
            return true;
        }
        ssize_t Receive(char* Data, std::size_t Size) const
        {
            return Tls ? SSL_read(Tls, Data, int(Size)) : recv(Fd, Data, Size, 0);
        }
    };

    struct TState
    {
        int Listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        std::unique_ptr<SSL_CTX, decltype(&SSL_CTX_free)> Tls{nullptr, &SSL_CTX_free};
        mutable std::mutex Mutex;
        std::condition_variable Changed;
        bool Stopping = false;
        std::uint64_t Releases = 0;
        std::map<std::string, TReply> Replies;
        std::vector<std::string> Log;
        std::vector<std::string> Whole;
        int InFlight = 0;
        int MaxInFlight = 0;

        ~TState() { close(Listener); }

        static void Handle(std::shared_ptr<TState> S, int Fd)
        {
            TConnection Client{Fd};
            if (S->Tls) {
                Client.Tls = SSL_new(S->Tls.get());
                // A client that refuses the certificate ends the handshake; so does this reply.
                if (!Client.Tls || SSL_set_fd(Client.Tls, Fd) != 1 || SSL_accept(Client.Tls) != 1)
                    return;
            }
            std::string Head(4096, '\0');
            std::size_t Got = 0;
            for (ssize_t Count; Head.find("\r\n\r\n") == std::string::npos && Got < Head.size() &&
                                (Count = Client.Receive(Head.data() + Got, Head.size() - Got)) > 0;)
                Got += std::size_t(Count);
            const std::size_t From = Head.find(' ') + 1;
            const std::size_t End = Head.find("\r\n\r\n");
            if (End == std::string::npos)
                return;
            // The body the request announces, so that a POST is recorded whole.
            Head.resize(Got);
            std::string Lower = Head.substr(0, End);
            std::transform(Lower.begin(), Lower.end(), Lower.begin(),
                           [](unsigned char C) { return std::tolower(C); });
            const std::size_t Length = Lower.find("\r\ncontent-length:");
            const std::size_t Total =
                End + 4 + (Length == std::string::npos ? 0 : std::stoul(Lower.substr(Length + 17)));
            char Buffer[4096];
            for (ssize_t Count; Head.size() < Total && (Count = Client.Receive(Buffer, sizeof Buffer)) > 0;)
                Head.append(Buffer, std::size_t(Count));
            {
                std::lock_guard Lock(S->Mutex);
                S->Whole.push_back(Head);
            }
            bool Counted = true;
            {
                std::lock_guard Lock(S->Mutex);
                S->MaxInFlight = std::max(S->MaxInFlight, ++S->InFlight);
            }
            S->Respond(Client, Head.substr(From, Head.find(' ', From) - From), Counted);
            std::lock_guard Lock(S->Mutex);
            S->InFlight -= Counted ? 1 : 0;
        }

        // Counted: the request is still counted in flight; a whole reply drops it before its last
        // byte, so that a client starting its next request once this one is whole never finds it
        // still counted.
        void Respond(const TConnection& Client, const std::string& Target, bool& Counted)
        {
            using TFault = TReply::TFault;
            std::unique_lock Lock(Mutex);
            Log.push_back(Target);
            auto Found = Replies.find(Target.substr(0, Target.find('?')));
            Found = Found != Replies.end() ? Found : Replies.find(Target);
            const TReply Reply = Found != Replies.end() ? Found->second : TReply{404, "Not found"};
            const std::uint64_t Seen = Releases;
            Lock.unlock();
            const std::string& Body = Reply.Body;
            const bool Redirect = Reply.Fault == TFault::Redirect || Reply.Fault == TFault::RedirectLoop;
            if (Redirect)
                Client.Send("HTTP/1.1 302 Found\r\nContent-Length: 0\r\nConnection: close\r\nLocation: " +
                            (Reply.Fault == TFault::Redirect ? Reply.Location : Target) + "\r\n\r\n");
            if (Redirect ||
                !Client.Send("HTTP/1.1 " + std::to_string(Reply.Status) + " Reply\r\n" +
                             (Reply.Fault == TFault::Endless
                                  ? std::string()
                                  : "Content-Length: " + std::to_string(Body.size()) + "\r\n") +
                             (Reply.ContentType.empty() ? std::string()
                                                        : "Content-Type: " + Reply.ContentType + "\r\n") +
                             "Connection: close\r\n\r\n"))
                return;
            if (Reply.Fault == TFault::Endless) {
                const std::string Block = Body.empty() ? std::string(64 << 10, 'e') : Body;
                while (!Stopped() && Client.Send(Block))
                    ;
                return;
            }
            std::size_t Sent = Reply.Fault == TFault::BreakOff ? Body.size() / 2
                               : Reply.Fault == TFault::Stall  ? std::min(Reply.StallAfter, Body.size())
                               : Reply.Fault == TFault::None   ? Body.size()
                                                               : 0;
            const std::size_t First = Reply.Fault == TFault::None && Sent > 0 ? Sent - 1 : Sent;
            if (!Client.Send(std::string_view(Body).substr(0, First)) || Reply.Fault == TFault::BreakOff)
                return;
            if (First < Sent) {
                {
                    std::lock_guard Counter(Mutex);
                    --InFlight;
                    Counted = false;
                }
                if (!Client.Send(std::string_view(Body).substr(First, 1)))
                    return;
            }
            Lock.lock();
            Changed.wait(Lock, [&] { return Stopping || Releases != Seen || Reply.Fault != TFault::Stall; });
            const std::size_t Piece =
                Reply.Fault == TFault::Trickle ? std::max<std::size_t>(Reply.TrickleChunk, 1) : Body.size();
            for (; Sent < Body.size(); Sent += Piece) {
                if (Changed.wait_for(Lock,
                                     Reply.Fault == TFault::Trickle ? Reply.TrickleDelay
                                                                    : std::chrono::milliseconds(0),
                                     [&] { return Stopping; }))
                    return;
                if (Sent + Piece >= Body.size() && Counted) {
                    --InFlight;
                    Counted = false;
                }
                Lock.unlock();
                if (!Client.Send(std::string_view(Body).substr(Sent, Piece)))
                    return;
                Lock.lock();
            }
        }

        bool Stopped() const
        {
            std::lock_guard Lock(Mutex);
            return Stopping;
        }
    };

    std::shared_ptr<TState> S = std::make_shared<TState>();
    std::uint16_t FPort = 0;
    std::thread Acceptor;
};
