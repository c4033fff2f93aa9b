// TSciager: downloads one web address on a thread of its own into memory or a file, reports its
// progress as a status text on the user-interface thread and deletes itself after its end
// notification has run there.
#pragma once

#include "DownloadOutcome.h"

#include <QString>
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

class QLabel;

enum class TDownloadMode : std::uint8_t
{
    dmToFile = 0,
    dmToString = 1
};

class TSciager
{
public:
    // Creates the worker suspended: nothing runs until Start.
    TSciager();
    // Deletes a worker that was never started; a started worker deletes itself.
    virtual ~TSciager();
    TSciager(const TSciager&) = delete;
    TSciager& operator=(const TSciager&) = delete;

    // These setters ignore new values while the body runs (Working).
    void SetURL(const std::string& Value);
    void SetMode(TDownloadMode Value);
    void SetUserAgent(const std::string& Value);
    const std::string& URL() const { return FURL; }
    TDownloadMode Mode() const { return FMode; }
    const std::string& UserAgent() const { return FUserAgent; }

    bool Working() const { return FWorking; }
    // False when the address could not be opened, the transfer broke off or timed out, the server
    // answered with an error status (>= 400), a termination was requested, the output file of
    // dmToFile could not be created or written, or an error ended the body.
    bool Success() const { return FSuccess; }
    // The body received in dmToString, also of a failed download, except one past the size limit.
    const std::string& ResultText() const { return FResultText; }
    // How the transfer ended, for telling the user why a download failed; read after the end.
    const TDownloadOutcome& Outcome() const { return FOutcome; }
    std::int64_t BytesReceived() const { return FBytesReceived; }
    // The Content-Type header of the response, which may name the page's charset.
    const std::string& ContentType() const { return FContentType; }

    // Lets the suspended thread run the body; called once. Throws std::system_error when the thread
    // cannot be created, and the worker then stays suspended and owned by the caller.
    void Start();

    // Stack size of the download threads: the body needs little, and five threads at the system's
    // default would reserve 40 MiB of address space.
    static inline std::size_t ThreadStackSize = 1024 * 1024;

    // Asks the body to stop after the current read; the download then ends with Success false.
    void Terminate() { FTerminated = true; }
    bool Terminated() const { return FTerminated; }

    std::string FileName;              // output file of dmToFile
    QLabel* ProgressControl = nullptr; // not owned; shows StatusText while ShowProgress is set
    bool ShowProgress = false;         // user-interface thread only
    QString StatusText;                // the last status text, user-interface thread only
    // Runs on the user-interface thread after the body, also after a failed one; an error it throws,
    // like one that ended the body, is shown in the application's error box.
    std::function<void(TSciager*)> OnTerminate;

protected:
    // The status steps, run on the user-interface thread while the worker thread waits: one per read,
    // then ReportDone, which also follows a failed download. An error thrown here ends the body.
    virtual void ReportProgress();
    virtual void ReportDone();

private:
    void Run();
    void Execute();

    std::atomic<bool> FWorking = false;
    bool FSuccess = true;
    std::string FURL;
    TDownloadMode FMode = TDownloadMode::dmToString;
    std::string FResultText;
    std::string FUserAgent = "Internet Explorer";
    std::int64_t FBytesReceived = 0;
    TDownloadOutcome FOutcome;
    std::string FContentType;
    std::atomic<bool> FTerminated = false;
};
