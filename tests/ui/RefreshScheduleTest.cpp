// The refresh timer by the schedule chosen on the options page, on a fake clock, and the tray's tooltip.
#include "RefreshSchedule.h"
#include "Channels.h"
#include "FormFixture.h"
#include "PopupMenu.h"
#include "ProgramSettings.h"
#include "SettingsDialog.h"
#include "SettingsHooks.h"

#include <QRadioButton>
#include <QSpinBox>

namespace {
class TRefreshScheduleTest : public TFormFixture
{
protected:
    void SetUp() override
    {
        TFormFixture::SetUp();
        WriteConfiguration();
        ServePages();
        OnlyFirstSource();
    }

    void TearDown() override
    {
        QSettings Settings = ProgramSettings();
        for (const QString& Key : Settings.allKeys())
            if (Key.startsWith("Odswiezanie"))
                Settings.remove(Key);
        TFormFixture::TearDown();
    }

    // Chooses the hours (or always) on the options page, with the interval, and saves.
    void Choose(bool Hours, int Interval)
    {
        TSettingsDialog* Dialog =
            ShowSettings({Form.get(), Form->PageControl1, Form->Notifications1->Action()});
        Dialog->findChild<QRadioButton*>(Hours ? "ScheduleHours" : "ScheduleAlways")->setChecked(true);
        Dialog->findChild<QSpinBox*>("ScheduleInterval")->setValue(Interval);
        Dialog->Save();
        ASSERT_FALSE(Dialog->isVisible()) << "saved and closed";
    }

    // A tick of Timer1 at Now on the schedule's clock: whether it downloaded.
    bool TickAt(const QDateTime& Now)
    {
        auto* Schedule = Form->findChild<TRefreshSchedule*>();
        Schedule->Clock = [Now] { return Now; };
        const int Before = Server.RequestCount("/s0");
        EXPECT_TRUE(QMetaObject::invokeMethod(Form->Timer1, "timeout"));
        EXPECT_TRUE(WaitUntil([this] { return AllIdle(); }));
        return Server.RequestCount("/s0") > Before;
    }

    static QDateTime At(int Day, QTime Time) { return QDateTime(QDate(2026, 12, Day), Time); } // 7th: Monday
    QString Hint() const { return Form->NotificationIcon1->Hint(); }
};

TEST_F(TRefreshScheduleTest, TheTimerFollowsTheScheduleChosenOnTheOptionsPage)
{
    ASSERT_TRUE(RefreshAndWait("/s0", 1));
    EXPECT_EQ(Form->Timer1->interval(), 300000) << "always, every 5 minutes, by default";
    EXPECT_EQ(Hint(), "Tickerwell");
    EXPECT_TRUE(TickAt(At(12, QTime(3, 0)))) << "always: every tick, at night and at weekends";

    Choose(true, 15); // Monday to Friday, 08:30 to 17:30 by default
    EXPECT_FALSE(TickAt(At(12, QTime(10, 0)))) << "Saturday";
    EXPECT_EQ(Hint(), "Tickerwell\nnastępne odświeżenie: pn 08:30");
    auto* Channels = Form->findChild<TChannels*>();
    ASSERT_NE(Channels, nullptr);
    emit Channels->Finished("k", false, "ostatnia wysyłka: błąd: HTTP 500, 10:00");
    EXPECT_EQ(Form->Timer1->interval(), 60000) << "the wall clock is read every minute";
    EXPECT_TRUE(TickAt(At(14, QTime(8, 30, 0, 500)))) << "Monday, the hours begin";
    EXPECT_EQ(Hint(), "Tickerwell\nnastępne odświeżenie: pn 08:45\nostatnia wysyłka: błąd: HTTP 500, 10:00");
    emit Channels->Finished("k", true, "ostatnia wysyłka: w porządku, 10:01");
    EXPECT_EQ(Hint(), "Tickerwell\nnastępne odświeżenie: pn 08:45");
    EXPECT_TRUE(RefreshAndWait("/s0", Server.RequestCount("/s0") + 1)) << "the button refreshes at any time";

    Choose(false, 15);
    EXPECT_EQ(Form->Timer1->interval(), 900000);
    EXPECT_EQ(Hint(), "Tickerwell");
}
} // namespace
