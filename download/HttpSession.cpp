// The HTTP layer of the download worker: libcurl's easy interface, run on the worker's own thread.
#include "HttpSession.h"

#include <algorithm>
#include <curl/curl.h>
#include <exception>
#include <mutex>
#include <strings.h>

namespace {
using TClock = std::chrono::steady_clock;

std::mutex DefaultsMutex;
THttpSession::TLimits Defaults;
std::string TrustedCaFile;

void InitialiseCurl()
{
    static std::once_flag Once;
    std::call_once(Once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

constexpr long MaxRedirects = 20;

TFailure FailureOf(CURLcode Code, bool Opened)
{
    switch (Code) {
    case CURLE_OK:
        return TFailure::None;
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
        return TFailure::Unresolvable;
    case CURLE_COULDNT_CONNECT:
        return TFailure::Refused;
    case CURLE_OPERATION_TIMEDOUT:
        return TFailure::TimedOut;
    case CURLE_PARTIAL_FILE:
    case CURLE_RECV_ERROR:
    case CURLE_GOT_NOTHING:
        return Opened ? TFailure::BrokenOff : TFailure::Other;
    default:
        return TFailure::Other;
    }
}
} // namespace

struct THttpSession::TImpl
{
    CURL* Handle = nullptr;
    curl_slist* Headers = nullptr;
    TLimits Limits;

    // State of the transfer in progress.
    const TReader* Read = nullptr;
    bool Opened = false;
    bool Stopped = false;
    bool TimedOut = false;
    bool BlockHasLocation = false;
    TFailure Bound = TFailure::None; // TooLarge or TooLong once a limit ended the transfer
    std::int64_t Delivered = 0;
    TClock::time_point Started;
    TClock::time_point LastActivity;
    std::exception_ptr ReaderError;

    static size_t OnHeader(char* Data, size_t Size, size_t Count, void* Self);
    static size_t OnBody(char* Data, size_t Size, size_t Count, void* Self);
    static int OnProgress(void* Self, curl_off_t, curl_off_t, curl_off_t, curl_off_t);
};

THttpSession::TLimits THttpSession::DefaultLimits()
{
    std::lock_guard Lock(DefaultsMutex);
    return Defaults;
}

void THttpSession::SetDefaultLimits(const TLimits& Value)
{
    std::lock_guard Lock(DefaultsMutex);
    Defaults = Value;
}

void THttpSession::SetTrustedCaFile(const std::string& Path)
{
    std::lock_guard Lock(DefaultsMutex);
    TrustedCaFile = Path;
}

THttpSession::THttpSession(const std::string& UserAgent, const TLimits& Limits)
    : Impl(std::make_unique<TImpl>())
{
    InitialiseCurl();
    Impl->Limits = Limits;
    Impl->Handle = curl_easy_init();
    if (!Impl->Handle)
        return;
    CURL* H = Impl->Handle;
    // The reload of the original HTTP layer: always ask the server, never a cache on the way.
    Impl->Headers = curl_slist_append(Impl->Headers, "Cache-Control: no-cache");
    Impl->Headers = curl_slist_append(Impl->Headers, "Pragma: no-cache");
    curl_easy_setopt(H, CURLOPT_HTTPHEADER, Impl->Headers);
    curl_easy_setopt(H, CURLOPT_USERAGENT, UserAgent.c_str());
    curl_easy_setopt(H, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(H, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(H, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(H, CURLOPT_MAXREDIRS, MaxRedirects);
    curl_easy_setopt(H, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(H, CURLOPT_SSL_VERIFYHOST, 2L);
    if (std::lock_guard Lock(DefaultsMutex); !TrustedCaFile.empty())
        curl_easy_setopt(H, CURLOPT_CAINFO, TrustedCaFile.c_str());
    curl_easy_setopt(H, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(H, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
    curl_easy_setopt(H, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(Limits.Connect.count()));
    curl_easy_setopt(H, CURLOPT_HEADERFUNCTION, &TImpl::OnHeader);
    curl_easy_setopt(H, CURLOPT_HEADERDATA, Impl.get());
    curl_easy_setopt(H, CURLOPT_WRITEFUNCTION, &TImpl::OnBody);
    curl_easy_setopt(H, CURLOPT_WRITEDATA, Impl.get());
    // The idle time-out is kept here rather than with curl's low-speed limit, so that time spent by
    // the reader (waiting for the user-interface thread) does not count as silence of the server.
    curl_easy_setopt(H, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(H, CURLOPT_XFERINFOFUNCTION, &TImpl::OnProgress);
    curl_easy_setopt(H, CURLOPT_XFERINFODATA, Impl.get());
}

THttpSession::~THttpSession()
{
    if (Impl->Handle)
        curl_easy_cleanup(Impl->Handle);
    curl_slist_free_all(Impl->Headers);
}

size_t THttpSession::TImpl::OnHeader(char* Data, size_t Size, size_t Count, void* Self)
{
    auto* S = static_cast<TImpl*>(Self);
    const size_t Length = Size * Count;
    S->LastActivity = TClock::now();
    const std::string_view Line(Data, Length);
    if (Line.starts_with("HTTP/")) {
        S->BlockHasLocation = false;
    } else if (Line.size() >= 9 && strncasecmp(Line.data(), "Location:", 9) == 0) {
        S->BlockHasLocation = true;
    } else if (Line == "\r\n" || Line == "\n") {
        // End of a header block. Interim (1xx) blocks and redirects that curl is about to follow
        // are not the final response.
        long Code = 0;
        curl_easy_getinfo(S->Handle, CURLINFO_RESPONSE_CODE, &Code);
        const bool Redirect = Code >= 300 && Code < 400 && S->BlockHasLocation;
        if (Code >= 200 && !Redirect)
            S->Opened = true;
    }
    return Length;
}

size_t THttpSession::TImpl::OnBody(char* Data, size_t Size, size_t Count, void* Self)
{
    auto* S = static_cast<TImpl*>(Self);
    const size_t Length = Size * Count;
    S->Opened = true;
    try {
        for (size_t Done = 0; Done < Length;) {
            const size_t N = std::min(MaxRead, Length - Done);
            if (S->Delivered + static_cast<std::int64_t>(N) > S->Limits.MaxBody) {
                S->Bound = TFailure::TooLarge;
                return 0;
            }
            S->Delivered += static_cast<std::int64_t>(N);
            S->LastActivity = TClock::now();
            const bool GoOn = (*S->Read)(Data + Done, N);
            S->LastActivity = TClock::now();
            Done += N;
            if (!GoOn) {
                S->Stopped = true;
                return 0; // any count short of Length makes curl end the transfer
            }
        }
    } catch (...) {
        // An error must not unwind through curl's C frames; it is rethrown after curl returns.
        S->ReaderError = std::current_exception();
        S->Stopped = true;
        return 0;
    }
    return Length;
}

int THttpSession::TImpl::OnProgress(void* Self, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    auto* S = static_cast<TImpl*>(Self);
    const TClock::time_point Now = TClock::now();
    if (Now - S->Started >= S->Limits.MaxDuration) {
        S->Bound = TFailure::TooLong;
        return 1;
    }
    if (Now - S->LastActivity < S->Limits.Idle)
        return 0;
    S->TimedOut = true;
    return 1;
}

THttpSession::TResult THttpSession::Get(const std::string& Url, const TReader& Read)
{
    TResult Result;
    if (!Impl->Handle) {
        Result.Failure = TFailure::Other;
        Result.Error = "cannot create an HTTP handle";
        return Result;
    }
    Impl->Read = &Read;
    Impl->Opened = Impl->Stopped = Impl->TimedOut = Impl->BlockHasLocation = false;
    Impl->ReaderError = nullptr;
    Impl->Bound = TFailure::None;
    Impl->Delivered = 0;
    Impl->Started = Impl->LastActivity = TClock::now();

    char ErrorText[CURL_ERROR_SIZE] = "";
    curl_easy_setopt(Impl->Handle, CURLOPT_ERRORBUFFER, ErrorText);
    curl_easy_setopt(Impl->Handle, CURLOPT_URL, Url.c_str());
    const CURLcode Code = curl_easy_perform(Impl->Handle);
    curl_easy_setopt(Impl->Handle, CURLOPT_ERRORBUFFER, nullptr);
    Impl->Read = nullptr;
    if (Impl->ReaderError)
        std::rethrow_exception(Impl->ReaderError);

    Result.Opened = Impl->Opened;
    Result.Complete = Code == CURLE_OK;
    curl_easy_getinfo(Impl->Handle, CURLINFO_RESPONSE_CODE, &Result.Status);
    const char* ContentType = nullptr;
    if (curl_easy_getinfo(Impl->Handle, CURLINFO_CONTENT_TYPE, &ContentType) == CURLE_OK && ContentType)
        Result.ContentType = ContentType;
    Result.Failure = Impl->Bound != TFailure::None ? Impl->Bound
                     : Impl->TimedOut              ? TFailure::TimedOut
                                                   : FailureOf(Code, Result.Opened);
    if (Impl->Bound == TFailure::TooLarge)
        Result.Error = "the body grew past " + std::to_string(Impl->Limits.MaxBody) + " bytes";
    else if (Impl->Bound == TFailure::TooLong)
        Result.Error = "the download ran past " + std::to_string(Impl->Limits.MaxDuration.count()) + " ms";
    else if (Impl->TimedOut)
        Result.Error = "no data received for " + std::to_string(Impl->Limits.Idle.count()) + " ms";
    else if (Code != CURLE_OK)
        Result.Error = ErrorText[0] ? ErrorText : curl_easy_strerror(Code);
    if (Result.Opened && !Impl->Stopped)
        Read("", 0);
    return Result;
}
