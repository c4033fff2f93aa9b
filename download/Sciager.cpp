// The download worker: its body on a thread of its own, its status steps and end notification handed
// over to the user-interface thread.
#include "Sciager.h"

#include "Application.h"
#include "HandOver.h"
#include "HttpSession.h"

#include <QCoreApplication>
#include <QLabel>
#include <cstdio>
#include <pthread.h>
#include <stdexcept>
#include <system_error>
#include <vector>

namespace {
constexpr std::size_t PieceSize = std::size_t{1} << 20;

struct TFileCloser
{
    void operator()(std::FILE* File) const { std::fclose(File); }
};
using TFile = std::unique_ptr<std::FILE, TFileCloser>;
} // namespace

TSciager::TSciager()
{
    PrepareHandOver();
}

TSciager::~TSciager() = default;

void TSciager::SetURL(const std::string& Value)
{
    if (!FWorking)
        FURL = Value;
}

void TSciager::SetMode(TDownloadMode Value)
{
    if (!FWorking)
        FMode = Value;
}

void TSciager::SetUserAgent(const std::string& Value)
{
    if (!FWorking)
        FUserAgent = Value;
}

void TSciager::Start()
{
    pthread_attr_t Attributes;
    pthread_attr_init(&Attributes);
    pthread_attr_setdetachstate(&Attributes, PTHREAD_CREATE_DETACHED);
    int Error = pthread_attr_setstacksize(&Attributes, ThreadStackSize);
    pthread_t Thread;
    if (Error == 0)
        Error = pthread_create(
            &Thread, &Attributes,
            [](void* Worker) -> void* {
                static_cast<TSciager*>(Worker)->Run();
                return nullptr;
            },
            this);
    pthread_attr_destroy(&Attributes);
    if (Error != 0)
        throw std::system_error(Error, std::generic_category(), "Cannot start a download thread");
}

void TSciager::Run()
{
    // An error that ends the body (including one thrown by a status step on the user-interface
    // thread) fails the download and is shown in the error box before the end notification runs;
    // an error of the end notification is shown as well. Either way the worker is deleted and its
    // thread ends.
    std::exception_ptr BodyError;
    try {
        Execute();
    } catch (...) {
        BodyError = std::current_exception();
        FSuccess = false;
    }
    FWorking = false;
    try {
        HandOverToUserInterface([&] {
            if (BodyError)
                TApplication::ShowException(BodyError);
            if (OnTerminate)
                TApplication::Guarded([&] { OnTerminate(this); });
        });
    } catch (...) {
        // Without an application object there is nobody left to tell.
    }
    delete this;
}

void TSciager::Execute()
{
    FBytesReceived = 0;
    FOutcome = {};
    FWorking = true;
    FSuccess = true;

    TFile File;
    if (FMode == TDownloadMode::dmToFile) {
        File.reset(std::fopen(FileName.c_str(), "w+b"));
        if (!File) {
            // Nothing to download into: no request is made and no status step runs.
            FSuccess = false;
            FOutcome = {.Failure = TFailure::Other, .Detail = "cannot create " + FileName};
            FWorking = false;
            return;
        }
    } else {
        FResultText.clear();
    }

    // The body arrives in pieces of a fixed size and is joined at the end, so that a growing text is
    // never copied into one of twice its size: the memory a body holds stays close to its size.
    std::vector<std::string> Pieces;
    THttpSession Session(FUserAgent);
    const THttpSession::TResult Result = Session.Get(FURL, [&](const char* Data, std::size_t Size) {
        if (File) {
            if (Size > 0)
                std::fwrite(Data, 1, Size, File.get());
        } else if (Size > 0) {
            if (Pieces.empty() || Pieces.back().size() + Size > PieceSize)
                Pieces.emplace_back().reserve(PieceSize);
            Pieces.back().append(Data, Size);
        }
        FBytesReceived += static_cast<std::int64_t>(Size);
        HandOverToUserInterface([this] { ReportProgress(); });
        return Size > 0 && !FTerminated;
    });
    // A body cut off at the size limit is dropped rather than joined, which would hold it twice.
    if (Result.Failure != TFailure::TooLarge) {
        FResultText.reserve(static_cast<std::size_t>(FBytesReceived));
        for (std::string& Piece : Pieces) {
            FResultText += Piece;
            std::string().swap(Piece);
        }
    }
    FOutcome = {Result.Failure, Result.Status, FBytesReceived, Result.Error};
    FContentType = Result.ContentType;
    if (FOutcome.Failure == TFailure::None && Result.Status >= 400)
        FOutcome.Failure = TFailure::HttpStatus;
    else if (FOutcome.Failure == TFailure::None && (!Result.Opened || FTerminated))
        FOutcome.Failure = TFailure::Other;
    // A page that broke off or came with an error status must not pass for the page.
    if (FOutcome.Failure != TFailure::None)
        FSuccess = false;
    if (File) {
        // Write errors show up by the latest when the buffered file is closed.
        const bool WriteFailed = std::ferror(File.get()) != 0;
        if (std::fclose(File.release()) != 0 || WriteFailed) {
            FSuccess = false;
            FOutcome = {
                .Failure = TFailure::Other, .Bytes = FBytesReceived, .Detail = "cannot write " + FileName};
        }
    }

    HandOverToUserInterface([this] { ReportDone(); });
    FWorking = false;
}

void TSciager::ReportProgress()
{
    StatusText = QStringLiteral("Ściągnięto ") + QString::number(FBytesReceived) + QStringLiteral(" bajtów");
    if (ProgressControl && ShowProgress)
        ProgressControl->setText(StatusText);
}

void TSciager::ReportDone()
{
    StatusText = QStringLiteral("Ściąganie zakończone");
    if (ProgressControl && ShowProgress)
        ProgressControl->setText(StatusText);
}
