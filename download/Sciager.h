// TSciager: downloads one web address on a thread of its own into memory or a file, reports its
// progress as a status text on the user-interface thread and deletes itself after its end
// notification has run there.
#pragma once

#include <QString>
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

class QLabel;

enum class TDownloadMode : std::uint8_t { dmToFile = 0, dmToString = 1 };

class TSciager
{
public:
    // Creates the worker suspended: nothing runs until Start.
    TSciager();
    // Deletes a worker that was never started; a started worker deletes itself.
    ~TSciager();
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
    bool Success() const { return FSuccess; }
    const std::string& ResultText() const { return FResultText; }
    std::int64_t BytesReceived() const { return FBytesReceived; }

    // Lets the suspended thread run the body; called once. Throws std::system_error when the thread
    // cannot be created, and the worker then stays suspended and owned by the caller.
    void Start();

    // Asks the body to stop after the current read; the download then ends with Success false.
    void Terminate() { FTerminated = true; }
    bool Terminated() const { return FTerminated; }

    std::string FileName;                // output file of dmToFile
    QLabel* ProgressControl = nullptr;   // not owned; shows StatusText while ShowProgress is set
    bool ShowProgress = false;           // user-interface thread only
    QString StatusText;                  // the last status text, user-interface thread only
    std::function<void(TSciager*)> OnTerminate; // runs on the user-interface thread after the body

private:
    void Run();
    void Execute();
    void ReportProgress();
    void ReportDone();

    std::atomic<bool> FWorking = false;
    bool FSuccess = true;
    std::string FURL;
    TDownloadMode FMode = TDownloadMode::dmToString;
    std::string FResultText;
    std::string FUserAgent = "Internet Explorer";
    std::int64_t FBytesReceived = 0;
    std::atomic<bool> FTerminated = false;
};
