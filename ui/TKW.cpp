// The main window: design, layout, refresh, completion handlers and window commands.
#include "TKW.h"

#include "Application.h"
#include "ChannelHooks.h"
#include "Configuration.h"
#include "NtfyIcon.h"
#include "OwnTabs.h"
#include "PageFolder.h"
#include "PageViewRest.h"
#include "PaintCoalescer.h"
#include "PopupMenu.h"
#include "RefreshRequests.h"
#include "RefreshSchedule.h"
#include "Sciager.h"
#include "SectionHistory.h"
#include "SettingsHooks.h"
#include "SourceRound.h"
#include "SourceTabs.h"
#include "SourceWatch.h"
#include "TabMenu.h"
#include "TrayHint.h"
#include "WindowFrame.h"
#include "WindowKeys.h"
#include "Windows1250.h"

#include <QAction>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFile>
#include <QScopedValueRollback>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <cstdlib>

namespace {
constexpr int TimerInterval = 300000;
constexpr int CompactHeight = 90;
constexpr int FullHeight = 490;
constexpr int WindowWidth = 569;

using THandler = void (TForm1::*)(const TRoundResult&);
constexpr std::array<THandler, SourceCount> Handlers{&TForm1::Worker0Terminate, &TForm1::Worker1Terminate,
                                                     &TForm1::Worker2Terminate, &TForm1::Worker3Terminate,
                                                     &TForm1::Worker4Terminate};

// Connects a signal to a handler of the window, showing any error that escapes the handler.
template <typename TSender, typename TSignal, typename THandlerFn>
void Wire(TSender* Sender, TSignal Signal, QObject* Context, THandlerFn Handler)
{
    QObject::connect(Sender, Signal, Context, [Handler] { TApplication::Guarded(Handler); });
}
} // namespace

TForm1::TForm1(QWidget* Parent, std::unique_ptr<TTrayLayer> TrayLayer)
    : QWidget(Parent), Timer1(new QTimer(this)), PopupMenu1(new TPopupMenu(this)),
      NotificationIcon1(new TNotificationIcon(this, std::move(TrayLayer))),
      Frame(new TWindowFrame(this, QSize(WindowWidth, CompactHeight)))
{
    Q_INIT_RESOURCE(icons);
    // The design's fonts are Windows fonts; where they are missing, metric-compatible ones keep the
    // captions within their designed widths.
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               {QStringLiteral("Liberation Sans"), QStringLiteral("Arimo")});
    QFont::insertSubstitutions(QStringLiteral("Arial"),
                               {QStringLiteral("Liberation Sans"), QStringLiteral("Arimo")});
    setupUi(this);
    TabSheets = {TabSheet1, TabSheet2, TabSheet3, TabSheet4, TabSheet5};
    PageViews = {WebBrowser1, WebBrowser2, WebBrowser3, WebBrowser4, WebBrowser5};
    LinkLabels = {Label5, Label6, Label7, Label8, Label9};
    for (int Source = 0; Source < SourceCount; ++Source)
        PageControl1->setTabText(
            Source,
            QString::fromUtf8(SourceTable[Source].Caption).replace(QLatin1Char('&'), QStringLiteral("&&")));
    new TPaintCoalescer(this);
    Timer1->setInterval(TimerInterval);
    // The schedule in the settings may set another interval and keep ticks outside its hours idle.
    auto* Schedule = new TRefreshSchedule(Timer1, NotificationIcon1);
    Watch = new TSourceWatch(this, PageControl1, NotificationIcon1);
    TabMenu = new TTabMenu(PageControl1);
    Rest = new TPageViewRest(PageControl1);
    Watch->OnShowSource = [this](int Source) {
        BringBack();
        PageControl1->setCurrentIndex(TabOfSource(PageControl1, Source));
    };
    Round = new TSourceRound([this] { return ProgramDir; }, this);
    Round->MarkersAtEnd = [this](int Source) { return std::pair{StartMarker[Source], EndMarker[Source]}; };
    History = new TSectionHistory(this, PageControl1, PageViews, Watch, Round);
    TabMenu->Add(QStringLiteral("Historia zmian..."),
                 [this](int Tab) { History->OpenWindow(SourceOfTab(PageControl1, Tab)); });
    Requests = new TRefreshRequests(History, this);
    TabPages = {PageControl1, InfoLabel, Round, Watch, History, Requests, LastUpdatePrefix};
    OwnTabs = new TOwnTabs(
        {this, TabPages, TabMenu, Label5, [this] { return ProgramDir; }, [this] { EndRefreshIfIdle(); }});

    connect(Button1, &QPushButton::clicked, this, [this] { GuardedRefresh(false); });
    connect(Timer1, &QTimer::timeout, this, [this, Schedule] {
        if (Schedule->Tick())
            GuardedRefresh(true);
    });
    Wire(CheckBox1, &QCheckBox::clicked, this, [this] { CheckBox1Click(); });
    Wire(CheckBox2, &QCheckBox::clicked, this, [this] { CheckBox2Click(); });
    Wire(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
    Wire(Image1, &TClickLabel::clicked, this, [this] { Label3Click(); });
    Wire(Label3, &TClickLabel::clicked, this, [this] { Label3Click(); });
    Wire(Label4, &TClickLabel::clicked, this, [this] { Label4Click(); });
    Wire(Label5, &TClickLabel::clicked, this, [this] { Label5Click(); });
    Wire(Label6, &TClickLabel::clicked, this, [this] { Label6Click(); });
    Wire(Label7, &TClickLabel::clicked, this, [this] { Label7Click(); });
    Wire(Label8, &TClickLabel::clicked, this, [this] { Label8Click(); });
    Wire(Label9, &TClickLabel::clicked, this, [this] { Label9Click(); });
    InstallWindowKeys(this);
    for (QWidget* TabSheet : TabSheets)
        TabSheet->installEventFilter(this);
    Wire(PageControl1, &QTabWidget::currentChanged, this, [this] { PageControl1Change(); });

    // The tray menu and icon, as the window's design describes them; menu items run through the
    // menu's own command handling, which shows their errors.
    Open1 = PopupMenu1->Add(QStringLiteral("&Open..."), [this](QObject*) { Open1Click(); });
    Open1->SetDefault(true);
    Notifications1 = PopupMenu1->Add(QStringLiteral("&Powiadomienia"));
    Notifications1->Action()->setCheckable(true);
    Notifications1->Action()->setChecked(Watch->NotificationsOn());
    connect(Notifications1->Action(), &QAction::toggled, Watch, &TSourceWatch::SetNotificationsOn);
    InstallSettings({this, PageControl1, Notifications1->Action()}, {PopupMenu1, TabMenu, Watch, PageViews});
    N1 = PopupMenu1->Add(QStringLiteral("-"));
    Exit1 = PopupMenu1->Add(QStringLiteral("Ex&it"), [this](QObject*) { Exit1Click(); });
    TTrayHint::Of(NotificationIcon1)->Set(THintLine::Name, QStringLiteral("Tickerwell"));
    InstallChannels(Watch, History, NotificationIcon1, PageControl1, [this](int Source) {
        return Source < SourceCount ? LinkLabels[Source]->text() : OwnTabs->Address(Source);
    });
    NotificationIcon1->SetHideOnTaskbar(true);
    NotificationIcon1->Icon()->LoadFromFile(QStringLiteral(":/icons/Tickerwell.ico"));
    NotificationIcon1->SetPopupMenu(PopupMenu1);
    NotificationIcon1->OnClick = [this](QObject*, TMouseButton, TShiftState, int, int) {
        NotificationIcon1Click();
    };
    NotificationIcon1->Loaded();

    FormCreate();
}

void TForm1::FormCreate()
{
    Frame->SetSizeable(false);
    move(0, 0);
    Frame->SetOuterHeight(CompactHeight);
    Frame->SetOuterWidth(WindowWidth);
    ProgramDir =
        QFile::encodeName(MakePageFolder(QCoreApplication::applicationDirPath())).toStdString() + "/";
    Busy.fill(false);
    LastUpdate.fill(QString());
    InfoLabel->setText(QString());
    for (QLabel* Label : LinkLabels)
        Label->adjustSize();
    // Labels take the size of their captions; the status line alone keeps its designed size.
    for (QLabel* Label : std::initializer_list<QLabel*>{Label1, Label2, Label3, Label4})
        Label->adjustSize();
    Button1->setFocus();
    // The window itself reports its minimising (changeEvent), which runs AppMinimize. Closing it
    // ends the program, also while error boxes are open or the window is in the tray.
    QApplication::setQuitOnLastWindowClosed(false);
}

void TForm1::changeEvent(QEvent* Event)
{
    QWidget::changeEvent(Event);
    // AppMinimize runs once the minimising is over, as the application's minimise event would.
    if (Event->type() == QEvent::WindowStateChange && isMinimized())
        QMetaObject::invokeMethod(
            this, [this] { TApplication::Guarded([this] { AppMinimize(); }); }, Qt::QueuedConnection);
    else if (Event->type() == QEvent::WindowStateChange)
        Watch->Look();
}

void TForm1::closeEvent(QCloseEvent* Event)
{
    Event->accept();
    QCoreApplication::quit();
}

void TForm1::resizeEvent(QResizeEvent* Event)
{
    QWidget::resizeEvent(Event);
    ArrangeControls();
}

bool TForm1::nativeEvent(const QByteArray& EventType, void* Message, qintptr* Result)
{
    Frame->NativeEvent(EventType, Message);
    return QWidget::nativeEvent(EventType, Message, Result);
}

// A tab page is also laid out anew by its tab control, for instance when a tab mark changes the
// height of the tab bar: the page is then sized by the formulas again.
bool TForm1::eventFilter(QObject* Watched, QEvent* Event)
{
    if (Event->type() == QEvent::Show || (Event->type() == QEvent::Resize && !Arranging))
        ArrangeControls();
    return QWidget::eventFilter(Watched, Event);
}

void TForm1::ArrangeControls()
{
    const QScopedValueRollback Guard(Arranging, true);
    const int W = Frame->OuterWidth();
    const int H = Frame->OuterHeight();
    PageControl1->resize(std::abs(W - 24), std::abs(H - 95));
    const int LinkY = PageControl1->y() + PageControl1->height() - 107;
    for (int Source = 0; Source < SourceCount; ++Source)
        TTabPages::Size(TabSheets[Source], PageViews[Source], LinkLabels[Source], W, H, LinkY);
    if (OwnTabs)
        OwnTabs->Arrange(W, H, LinkY);
}

void TForm1::CheckBox2Click()
{
    if (!CheckBox2->isChecked()) {
        PageControl1->hide();
        SavedHeight = static_cast<quint16>(Frame->OuterHeight());
        SavedWidth = static_cast<quint16>(Frame->OuterWidth());
        Frame->SetOuterHeight(CompactHeight);
        Frame->SetOuterWidth(WindowWidth);
    } else {
        PageControl1->show();
        Frame->SetOuterHeight(SavedHeight);
        Frame->SetOuterWidth(SavedWidth);
    }
}

// Runs a refresh and shows its error in the error box. A timer tick whose refresh fails with the
// text of a refresh's box that is still open adds none: the open box already says it, and boxes do
// not pile up while the user is away.
void TForm1::GuardedRefresh(bool Tick)
{
    std::exception_ptr Error;
    try {
        Timer1Timer();
    } catch (...) {
        Error = std::current_exception();
    }
    if (!Error)
        return;
    const QString Text = TApplication::ErrorBoxText(Error);
    if (Tick && OpenRefreshErrors.contains(Text))
        return;
    OpenRefreshErrors.append(Text);
    TApplication::ShowException(Error);
    OpenRefreshErrors.removeOne(Text);
}

void TForm1::RefreshOnRequest(const QList<int>& Sources, const TSingleInstance::TReplyFn& Reply)
{
    const auto Downloading = [this](int Source) { return OwnTabs->Downloading(Source, Busy); };
    Requests->Start(Sources, Downloading, Reply, [this](const QList<int>& Chosen) {
        RequestedSources = Chosen;
        Timer1Timer();
    });
}

void TForm1::Timer1Timer()
{
    // A shell's request picks the sources; a refresh nested in this one goes by the boxes again.
    const std::optional<QList<int>> Requested = std::exchange(RequestedSources, std::nullopt);
    const auto Launches = [&Requested](int Source, const QCheckBox* Box) {
        return Requested ? Requested->contains(Source) : Box->isChecked();
    };
    const auto Addresses = LoadConfiguration(
        ConfigurationFileName, [this](int Source, TConfigField Field, const std::string& Value) {
            switch (Field) {
            case TConfigField::Address:
                LinkLabels[Source]->setText(FromWindows1250(Value));
                LinkLabels[Source]->adjustSize();
                break;
            case TConfigField::StartMarker:
                StartMarker[Source] = Value;
                break;
            case TConfigField::EndMarker:
                EndMarker[Source] = Value;
                break;
            }
        });
    if (!Timer1->isActive())
        Timer1->start();
    Frame->SetSizeable(true);
    QFont ButtonFont = Button1->font();
    ButtonFont.setPointSize(10);
    Button1->setFont(ButtonFont);
    if (CheckBox2->isChecked() && Button1->text() == StartCaption) {
        PageControl1->show();
        Frame->SetOuterHeight(FullHeight);
        Frame->SetOuterWidth(WindowWidth);
        CheckBox2->setEnabled(true);
    }
    Button1->setText(RefreshCaption);
    // Waiting messages run here, a click of Button1 included: such a nested refresh starts the
    // sources it finds idle, and their Busy flags make this one skip them.
    repaint();
    QCoreApplication::processEvents();
    PageControl1->setEnabled(false);
    if (Launches(0, CheckBox3))
        LaunchWorker(0, Addresses[0]);
    if (Launches(1, CheckBox4))
        LaunchWorker(1, Addresses[1]);
    if (Launches(2, CheckBox4))
        LaunchWorker(2, Addresses[2]);
    if (Launches(4, CheckBox5))
        LaunchWorker(4, Addresses[4]);
    if (Launches(3, CheckBox6))
        LaunchWorker(3, Addresses[3]);
    PageControl1->setEnabled(true);
    OwnTabs->Refresh(Requested); // a broken sources file is told once the five are under way
}

void TForm1::LaunchWorker(int Source, const std::string& Address)
{
    if (Worker[Source] && Busy[Source])
        return;
    Busy[Source] = true;
    Worker[Source] =
        TabPages.Launch({.Source = Source, .Address = Address},
                        [this, Source](const TRoundResult& Result) { (this->*Handlers[Source])(Result); });
    Busy[Source] = Worker[Source] != nullptr; // without a thread the source stays idle
}

void TForm1::CompleteDownload(const TRoundResult& Result)
{
    const int Source = Result.Source;
    Busy[Source] = false;
    Requests->Ended(Result);
    // The index source's tab shows its quotes page.
    TabPages.Show(Result, PageViews[Source],
                  Source == IndexSource ? FromWindows1250(Result.Page.QuotesAddress)
                                        : QFile::decodeName(Result.PagePath.c_str()),
                  Source == IndexSource ? QString() : MarkerWarning(Result.Page.Markers), LastUpdate[Source]);
    EndRefreshIfIdle();
}

void TForm1::EndRefreshIfIdle()
{
    if (std::none_of(Busy.begin(), Busy.end(), [](bool Flag) { return Flag; }) && !OwnTabs->Busy()) {
        Watch->RefreshEnded();
        Requests->Idle();
    }
}

void TForm1::PageControl1Change()
{
    for (int Source = 0; Source < SourceCount; ++Source)
        if (Busy[Source])
            Worker[Source]->ShowProgress = false;
    const int Active = PageControl1->currentIndex();
    if (!OwnTabs->ShowStatus(Active) && Busy[Active]) {
        InfoLabel->setText(Worker[Active]->StatusText);
        Worker[Active]->ShowProgress = true;
    } else if (Active < SourceCount) {
        InfoLabel->setText(LastUpdatePrefix + LastUpdate[Active]);
    }
    Watch->Look();
}

void TForm1::CheckBox1Click()
{
    // Where the compositor keeps no window on top, the window made anew for the flag would only
    // land elsewhere: the box then changes nothing.
    if (TWindowFrame::PlacedByCompositor())
        return;
    const QRect Geometry = geometry();
    setWindowFlag(Qt::WindowStaysOnTopHint, CheckBox1->isChecked());
    setGeometry(Geometry);
    show();
    raise();
    activateWindow();
}

// Hands an address to the desktop's browser or mail program; an address it cannot open changes
// nothing.
void TForm1::OpenAddress(const QString& Address)
{
    QDesktopServices::openUrl(QUrl::fromUserInput(Address));
}

// To the tray, where the page views give their memory back.
void TForm1::AppMinimize()
{
    if (NotificationIcon1->HideMainForm())
        Rest->ToTray();
}

// Back from the tray in the same mode and size, in front of other windows.
void TForm1::BringBack()
{
    NotificationIcon1->RestoreMainForm();
    show();
    raise();
    activateWindow();
    Watch->Look();
}
