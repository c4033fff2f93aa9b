// The refresh hand-over between two copies over the single-copy socket.
#include "SingleInstance.h"
#include "TempDir.h"
#include "WaitUntil.h"

#include <QLocalSocket>
#include <QTimer>
#include <future>
#include <gtest/gtest.h>
#include <memory>

namespace {
// Asks the copy of Folder for a refresh from another thread, as a second process would, while
// this thread's event loop serves the listening copy.
std::optional<TRefreshReply> Ask(const QString& Folder, const QList<int>& Sources, int Wait = 30000)
{
    auto Reply = std::async(std::launch::async,
                            [&] { return TSingleInstance::RequestRefresh(Folder, Sources, Wait); });
    WaitUntil([&] { return Reply.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }, 60);
    return Reply.get();
}
} // namespace

TEST(RefreshHandOver, TheWindowCopyAnswersWhenItsRefreshEndsAndStillShowsItselfForOlderCopies)
{
    TTempDir Dir;
    const QString Folder = QString::fromStdString(Dir.Path().string());
    EXPECT_FALSE(Ask(Folder, {}).has_value()) << "no copy runs there yet";

    auto Window = std::make_unique<TSingleInstance>(Folder);
    ASSERT_FALSE(Window->HandedOver());
    int Shown = 0;
    QList<QList<int>> Asked;
    QObject::connect(Window.get(), &TSingleInstance::Activated, [&] { ++Shown; });
    QObject::connect(Window.get(), &TSingleInstance::RefreshRequested,
                     [&](const QList<int>& Sources, const TSingleInstance::TReplyFn& Reply) {
                         Asked << Sources;
                         // The answer comes once the downloads have ended, later on.
                         QTimer::singleShot(50, [Sources, Reply] {
                             const QStringList Captions{"Wirek & Borta", "Stormer Futures", "Stormer On-line",
                                                        "doakcji.pl"};
                             TRefreshReply Answer;
                             for (const int Source : Sources)
                                 Answer.Lines << RefreshLine(
                                     Captions[Source],
                                     Source == 3 ? std::optional<QString>("odmowa") : std::nullopt,
                                     Source == 0, Source == 0 ? 2 : 0, 0, Source == 1);
                             Answer.ExitCode = 1;
                             Reply(Answer);
                         });
                     });

    const std::optional<TRefreshReply> Reply = Ask(Folder, {3, 0, 1, 0, -1});
    ASSERT_TRUE(Reply.has_value());
    EXPECT_EQ(Asked, QList<QList<int>>{QList<int>({3, 0, 1})})
        << "negative numbers and numbers twice are dropped";
    EXPECT_EQ(Reply->Lines, QStringList({"doakcji.pl\tbłąd: odmowa\t+0 -0", "Wirek & Borta\tzmieniono\t+2 -0",
                                         "Stormer Futures\tbez zmian\t+0 -0\tpobieranie już trwało"}));
    EXPECT_EQ(Reply->ExitCode, 1);
    EXPECT_EQ(Shown, 0) << "a refresh request is no request to show the window";

    // A later start of the window, and a copy from before the hand-over, which connects and closes.
    EXPECT_TRUE(TSingleInstance(Folder).HandedOver());
    {
        QLocalSocket Older;
        Older.connectToServer(TSingleInstance::ServerName(Folder));
        ASSERT_TRUE(Older.waitForConnected(2000));
    }
    EXPECT_TRUE(WaitUntil([&] { return Shown == 2; })) << "shown " << Shown << " times";

    // A copy that ends before its refresh does: the shell is told, with status 1.
    QObject::disconnect(Window.get(), &TSingleInstance::RefreshRequested, nullptr, nullptr);
    QObject::connect(Window.get(), &TSingleInstance::RefreshRequested,
                     [&] { QTimer::singleShot(50, [&] { Window.reset(); }); });
    const std::optional<TRefreshReply> Unanswered = Ask(Folder, {});
    ASSERT_TRUE(Unanswered.has_value());
    EXPECT_TRUE(Unanswered->Lines.isEmpty());
    EXPECT_EQ(Unanswered->ExitCode, 1);
    EXPECT_FALSE(Unanswered->Error.isEmpty());
}
