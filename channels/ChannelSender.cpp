// The channels' own transfers. libcurl is used here as well as in download/: that room fetches pages
// on the refresh's workers and knows nothing of POST or SMTP, and the channels sit above it and must
// not depend on the download worker. Each send is a fresh easy handle on the channels' thread.
#include "ChannelSender.h"

#include "ChannelMessage.h"

#include <cstring>
#include <curl/curl.h>
#include <deque>
#include <mutex>
#include <thread>

namespace {
std::mutex DefaultsMutex;
TSendLimits Defaults;
std::string CaFile;

// What curl reads as the upload of a mail.
struct TUpload
{
    QByteArray Bytes;
    qsizetype Sent = 0;
};

size_t ReadUpload(char* Buffer, size_t Size, size_t Count, void* Data)
{
    auto* Upload = static_cast<TUpload*>(Data);
    const size_t Length = std::min(Size * Count, static_cast<size_t>(Upload->Bytes.size() - Upload->Sent));
    std::memcpy(Buffer, Upload->Bytes.constData() + Upload->Sent, Length);
    Upload->Sent += static_cast<qsizetype>(Length);
    return Length;
}

size_t Discard(char*, size_t Size, size_t Count, void*)
{
    return Size * Count;
}

int CheckAbort(void* Abort, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    return Abort && static_cast<const std::atomic<bool>*>(Abort)->load() ? 1 : 0;
}

QString CurlReason(CURLcode Code, const char* Error)
{
    switch (Code) {
    case CURLE_LOGIN_DENIED:
        return QStringLiteral("serwer odrzucił logowanie");
    case CURLE_OPERATION_TIMEDOUT:
        return QStringLiteral("przekroczony czas oczekiwania");
    case CURLE_COULDNT_CONNECT:
        return QStringLiteral("serwer odrzucił połączenie");
    case CURLE_COULDNT_RESOLVE_HOST:
        return QStringLiteral("nieznany serwer");
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CACERT_BADFILE:
        return QStringLiteral("nie można potwierdzić certyfikatu serwera");
    case CURLE_USE_SSL_FAILED:
        return QStringLiteral("serwer poczty nie oferuje STARTTLS");
    default:
        return QString::fromUtf8(Error[0] ? Error : curl_easy_strerror(Code));
    }
}

// One try; returns the reason of its failure, empty when the message went through.
QString TryOnce(const TChannel& Channel, const QString& Secret, const TRefreshChanges& Changes,
                const TSendLimits& Limits, const std::string& Ca, const std::atomic<bool>* Abort)
{
    CURL* Handle = curl_easy_init();
    if (!Handle)
        return QStringLiteral("nie można utworzyć połączenia");
    char Error[CURL_ERROR_SIZE] = "";
    curl_slist* Headers = nullptr;
    curl_slist* Recipients = nullptr;
    const QByteArray Url = Channel.Address.toUtf8();
    curl_easy_setopt(Handle, CURLOPT_URL, Url.constData());
    curl_easy_setopt(Handle, CURLOPT_ERRORBUFFER, Error);
    curl_easy_setopt(Handle, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(Handle, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(Limits.Connect.count()));
    curl_easy_setopt(Handle, CURLOPT_TIMEOUT_MS, static_cast<long>(Limits.Whole.count()));
    curl_easy_setopt(Handle, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(Handle, CURLOPT_SSL_VERIFYHOST, 2L);
    if (!Ca.empty())
        curl_easy_setopt(Handle, CURLOPT_CAINFO, Ca.c_str());
    curl_easy_setopt(Handle, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(Handle, CURLOPT_XFERINFOFUNCTION, &CheckAbort);
    curl_easy_setopt(Handle, CURLOPT_XFERINFODATA, Abort);
    curl_easy_setopt(Handle, CURLOPT_WRITEFUNCTION, &Discard);
    const QByteArray SecretBytes = Secret.toUtf8();
    TUpload Upload;
    QByteArray From;
    std::deque<QByteArray> Owned; // keeps the texts curl points at alive, in place
    if (Channel.Kind == TChannelKind::Email) {
        curl_easy_setopt(Handle, CURLOPT_PROTOCOLS_STR, "smtp,smtps");
        curl_easy_setopt(Handle, CURLOPT_USE_SSL, PlainRelay(Channel) ? CURLUSESSL_NONE : CURLUSESSL_ALL);
        // The sender is the login when it is an address, otherwise the first recipient.
        const QString Sender = Channel.User.contains(QLatin1Char('@')) ? Channel.User : Channel.To.value(0);
        From = "<" + Sender.toUtf8() + ">";
        curl_easy_setopt(Handle, CURLOPT_MAIL_FROM, From.constData());
        for (const QString& To : Channel.To) {
            Owned.push_back("<" + To.toUtf8() + ">");
            Recipients = curl_slist_append(Recipients, Owned.back().constData());
        }
        curl_easy_setopt(Handle, CURLOPT_MAIL_RCPT, Recipients);
        if (!Channel.User.isEmpty()) {
            Owned.push_back(Channel.User.toUtf8());
            curl_easy_setopt(Handle, CURLOPT_USERNAME, Owned.back().constData());
            curl_easy_setopt(Handle, CURLOPT_PASSWORD, SecretBytes.constData());
        }
        Upload.Bytes = MailMessage(Changes, Sender, Channel.To);
        curl_easy_setopt(Handle, CURLOPT_UPLOAD, 1L);
        curl_easy_setopt(Handle, CURLOPT_READFUNCTION, &ReadUpload);
        curl_easy_setopt(Handle, CURLOPT_READDATA, &Upload);
        curl_easy_setopt(Handle, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(Upload.Bytes.size()));
    } else {
        curl_easy_setopt(Handle, CURLOPT_PROTOCOLS_STR, "http,https");
        const THttpMessage Message =
            Channel.Kind == TChannelKind::Ntfy ? NtfyMessage(Changes) : WebhookMessage(Changes);
        for (const auto& [Name, Value] : Message.Headers) {
            Owned.push_back(Name + ": " + Value);
            Headers = curl_slist_append(Headers, Owned.back().constData());
        }
        if (Channel.Kind == TChannelKind::Ntfy && !Secret.isEmpty()) {
            Owned.push_back("Authorization: Bearer " + SecretBytes);
            Headers = curl_slist_append(Headers, Owned.back().constData());
        }
        Headers = curl_slist_append(Headers, "Expect:"); // no waiting for a "100 Continue"
        Upload.Bytes = Message.Body;
        curl_easy_setopt(Handle, CURLOPT_HTTPHEADER, Headers);
        curl_easy_setopt(Handle, CURLOPT_POSTFIELDS, Upload.Bytes.constData());
        curl_easy_setopt(Handle, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(Upload.Bytes.size()));
        curl_easy_setopt(Handle, CURLOPT_USERAGENT, "Tickerwell");
    }
    const CURLcode Code = curl_easy_perform(Handle);
    long Status = 0;
    curl_easy_getinfo(Handle, CURLINFO_RESPONSE_CODE, &Status);
    curl_easy_cleanup(Handle);
    curl_slist_free_all(Headers);
    curl_slist_free_all(Recipients);
    if (Code != CURLE_OK)
        return CurlReason(Code, Error);
    if (Channel.Kind != TChannelKind::Email && (Status < 200 || Status >= 300))
        return QStringLiteral("serwer odpowiedział kodem %1").arg(Status);
    return QString();
}
} // namespace

void SetDefaultSendLimits(const TSendLimits& Limits)
{
    std::lock_guard Lock(DefaultsMutex);
    Defaults = Limits;
}

void SetChannelCaFile(const std::string& Path)
{
    std::lock_guard Lock(DefaultsMutex);
    CaFile = Path;
}

TSendResult SendToChannel(const TChannel& Channel, const QString& Secret, const TRefreshChanges& Changes,
                          const std::atomic<bool>* Abort)
{
    static std::once_flag Once;
    std::call_once(Once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
    TSendLimits Limits;
    std::string Ca;
    {
        std::lock_guard Lock(DefaultsMutex);
        Limits = Defaults;
        Ca = CaFile;
    }
    TSendResult Result;
    if (const QString Problem = ChannelProblem(Channel); !Problem.isEmpty()) {
        Result.Reason = Problem;
        return Result;
    }
    std::chrono::milliseconds Pause = Limits.Pause;
    for (; Result.Tries < Limits.Tries; Pause *= 2) {
        if (Result.Tries > 0) {
            // The pause ends early when the program is closing.
            for (auto Until = std::chrono::steady_clock::now() + Pause;
                 std::chrono::steady_clock::now() < Until && !(Abort && *Abort);)
                std::this_thread::sleep_for(std::min(Pause, std::chrono::milliseconds(50)));
        }
        if (Abort && *Abort)
            break;
        ++Result.Tries;
        Result.Reason = TryOnce(Channel, Secret, Changes, Limits, Ca, Abort);
        if (Result.Reason.isEmpty()) {
            Result.Sent = true;
            break;
        }
    }
    return Result;
}

QString ResultText(const TSendResult& Result, const QDateTime& Time)
{
    const QString When = Time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    return Result.Sent ? QStringLiteral("ostatnia wysyłka: w porządku, %1").arg(When)
                       : QStringLiteral("ostatnia wysyłka: błąd: %1, %2").arg(Result.Reason, When);
}
