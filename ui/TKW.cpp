// The main window: design, layout, refresh, completion handlers and window commands.
#include "TKW.h"

#include "Application.h"
#include "Configuration.h"
#include "FragmentPages.h"
#include "IndexPage.h"
#include "NtfyIcon.h"
#include "PageFile.h"
#include "PageFolder.h"
#include "PaintCoalescer.h"
#include "PopupMenu.h"
#include "Sciager.h"
#include "SourceWatch.h"
#include "TextRoutines.h"
#include "Windows1250.h"

#include <QAction>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFile>
#include <QGuiApplication>
#include <QScopedValueRollback>
#include <QShortcut>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <system_error>
#include <xcb/xcb.h>

namespace {
constexpr int TimerInterval = 300000;
constexpr int CompactHeight = 90;
constexpr int FullHeight = 490;
constexpr int WindowWidth = 569;

using THandler = void (TForm1::*)(TSciager*);
constexpr std::array<THandler, SourceCount> Handlers{&TForm1::Worker0Terminate, &TForm1::Worker1Terminate,
                                                     &TForm1::Worker2Terminate, &TForm1::Worker3Terminate,
                                                     &TForm1::Worker4Terminate};

// A Wayland compositor places windows itself and keeps none on top; it frames a window (client-side
// decorations) as soon as it is shown, and sends no move or property event that tells so.
bool OnWayland()
{
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

// The current local time in the user's long time format.
QString LongTimeText()
{
    const std::time_t Now = std::time(nullptr);
    std::tm Local{};
    localtime_r(&Now, &Local);
    char Text[64];
    const std::size_t Length = std::strftime(Text, sizeof Text, "%X", &Local);
    return QString::fromLocal8Bit(Text, static_cast<qsizetype>(Length));
}

// Connects a signal to a handler of the window, showing any error that escapes the handler.
template <typename TSender, typename TSignal, typename THandlerFn>
void Wire(TSender* Sender, TSignal Signal, QObject* Context, THandlerFn Handler)
{
    QObject::connect(Sender, Signal, Context, [Handler] { TApplication::Guarded(Handler); });
}
} // namespace

TForm1::TForm1(QWidget* Parent, std::unique_ptr<TTrayLayer> TrayLayer)
    : QWidget(Parent), Timer1(new QTimer(this)), PopupMenu1(new TPopupMenu(this)),
      NotificationIcon1(new TNotificationIcon(this, std::move(TrayLayer)))
{
    Q_INIT_RESOURCE(icons);
    // The design's fonts are Windows fonts; where they are missing, metric-compatible ones keep the
    // captions within their designed widths.
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               {QStringLiteral("Liberation Sans"), QStringLiteral("Arimo")});
    QFont::insertSubstitutions(QStringLiteral("Arial"),
                               {QStringLiteral("Liberation Sans"), QStringLiteral("Arimo")});
    setupUi(this);
    new TPaintCoalescer(this);
    Timer1->setInterval(TimerInterval);
    Watch = new TSourceWatch(this, PageControl1, NotificationIcon1);
    Watch->OnShowSource = [this](int Source) {
        BringBack();
        PageControl1->setCurrentIndex(Source);
    };

    connect(Button1, &QPushButton::clicked, this, [this] { GuardedRefresh(false); });
    connect(Timer1, &QTimer::timeout, this, [this] { GuardedRefresh(true); });
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
    // Keys beside the mouse: F5 presses Button1, Ctrl+1 to Ctrl+5 pick the tabs and Ctrl+Q ends the
    // program as "Ex&it" does.
    connect(new QShortcut(Qt::Key_F5, this), &QShortcut::activated, Button1, &QPushButton::click);
    for (int Source = 0; Source < SourceCount; ++Source)
        connect(new QShortcut(Qt::CTRL | Qt::Key(Qt::Key_1 + Source), this), &QShortcut::activated, this,
                [this, Source] { PageControl1->setCurrentIndex(Source); });
    Wire(new QShortcut(Qt::CTRL | Qt::Key_Q, this), &QShortcut::activated, this, [this] { Exit1Click(); });
    for (int Source = 0; Source < SourceCount; ++Source)
        PageControl1->widget(Source)->installEventFilter(this);
    if (OnWayland())
        installEventFilter(this);
    Wire(PageControl1, &QTabWidget::currentChanged, this, [this] { PageControl1Change(); });

    // The tray menu and icon, as the window's design describes them; menu items run through the
    // menu's own command handling, which shows their errors.
    Open1 = PopupMenu1->Add(QStringLiteral("&Open..."), [this](QObject*) { Open1Click(); });
    Open1->SetDefault(true);
    Notifications1 = PopupMenu1->Add(QStringLiteral("&Powiadomienia"));
    Notifications1->Action()->setCheckable(true);
    Notifications1->Action()->setChecked(Watch->NotificationsOn());
    connect(Notifications1->Action(), &QAction::toggled, Watch, &TSourceWatch::SetNotificationsOn);
    N1 = PopupMenu1->Add(QStringLiteral("-"));
    Exit1 = PopupMenu1->Add(QStringLiteral("Ex&it"), [this](QObject*) { Exit1Click(); });
    NotificationIcon1->SetHint(QStringLiteral("Tickerwell"));
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
    SetSizeable(false);
    move(0, 0);
    SetOuterHeight(CompactHeight);
    SetOuterWidth(WindowWidth);
    ProgramDir =
        QFile::encodeName(MakePageFolder(QCoreApplication::applicationDirPath())).toStdString() + "/";
    Busy.fill(false);
    LastUpdate.fill(QString());
    InfoLabel->setText(QString());
    for (int Source = 0; Source < SourceCount; ++Source)
        LinkLabel(Source)->adjustSize();
    // Labels take the size of their captions; the status line alone keeps its designed size.
    for (QLabel* Label : std::initializer_list<QLabel*>{Label1, Label2, Label3, Label4})
        Label->adjustSize();
    Button1->setFocus();
    // The window itself reports its minimising (changeEvent), which runs AppMinimize. Closing it
    // ends the program, also while error boxes are open or the window is in the tray.
    QApplication::setQuitOnLastWindowClosed(false);
}

QLabel* TForm1::LinkLabel(int Source) const
{
    return findChild<QLabel*>(QString::fromLatin1(SourceTable[Source].LinkLabel));
}

TWebBrowser* TForm1::PageView(int Source) const
{
    return findChild<TWebBrowser*>(QString::fromLatin1(SourceTable[Source].WebBrowser));
}

// The window manager's decorations around the client area; none before the window is framed.
QMargins TForm1::FrameMargins() const
{
    const QRect Outer = frameGeometry();
    const QRect Client = geometry();
    return {Client.left() - Outer.left(), Client.top() - Outer.top(), Outer.right() - Client.right(),
            Outer.bottom() - Client.bottom()};
}

// Sizes are set as outer sizes with the frame known at the time. A window manager frames the window
// later, and frames it anew when its border changes (a sizeable window gets a grip): the outer size
// then stays what it was, and the client area gives way.
void TForm1::FollowFrame()
{
    const QMargins Margins = FrameMargins();
    if (Margins.isNull() || Margins == AppliedMargins)
        return;
    const QSize Outer = size().grownBy(AppliedMargins);
    SetOuterHeight(Outer.height());
    SetOuterWidth(Outer.width());
}

int TForm1::OuterWidth() const
{
    return frameGeometry().width();
}

int TForm1::OuterHeight() const
{
    return frameGeometry().height();
}

void TForm1::SetOuterWidth(int Width)
{
    setMinimumWidth(0);
    setMaximumWidth(QWIDGETSIZE_MAX);
    AppliedMargins = FrameMargins();
    resize(Width - (OuterWidth() - width()), height());
    ApplySizeLimits();
}

void TForm1::SetOuterHeight(int Height)
{
    setMinimumHeight(0);
    setMaximumHeight(QWIDGETSIZE_MAX);
    AppliedMargins = FrameMargins();
    resize(width(), Height - (OuterHeight() - height()));
    ApplySizeLimits();
}

// A fixed border keeps the window at its size; a sizeable one only holds it to 569 x 90 at least.
void TForm1::ApplySizeLimits()
{
    if (!Sizeable) {
        setFixedSize(size());
        return;
    }
    setMinimumSize(WindowWidth - (OuterWidth() - width()), CompactHeight - (OuterHeight() - height()));
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
}

void TForm1::SetSizeable(bool Value)
{
    Sizeable = Value;
    Qt::WindowFlags Flags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                            Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                            Qt::WindowCloseButtonHint;
    Flags.setFlag(Qt::WindowMaximizeButtonHint, Value);
    Flags.setFlag(Qt::WindowStaysOnTopHint, windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    if (Flags != windowFlags()) {
        // Changing the flags of a shown window hides it, and the window system may place it anew
        // by its client area: the frame stays where it was.
        const bool Shown = isVisible();
        const QPoint Position = pos();
        setWindowFlags(Flags);
        move(Position);
        if (Shown)
            show();
    }
    ApplySizeLimits();
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

void TForm1::moveEvent(QMoveEvent* Event)
{
    QWidget::moveEvent(Event);
    FollowFrame();
}

// A window manager announces a new frame in a property of the window (_NET_FRAME_EXTENTS), often
// after the window's last move. Qt reads the frame anew once it has handled the event, so the check
// runs right after that.
bool TForm1::nativeEvent(const QByteArray& EventType, void* Message, qintptr* Result)
{
    if (EventType == "xcb_generic_event_t" &&
        (static_cast<const xcb_generic_event_t*>(Message)->response_type & 0x7f) == XCB_PROPERTY_NOTIFY)
        QMetaObject::invokeMethod(this, &TForm1::FollowFrame, Qt::QueuedConnection);
    return QWidget::nativeEvent(EventType, Message, Result);
}

bool TForm1::eventFilter(QObject* Watched, QEvent* Event)
{
    // Under Wayland the window watches itself: the frame is known once it is shown.
    if (Watched == this) {
        if (Event->type() == QEvent::Show)
            QMetaObject::invokeMethod(this, &TForm1::FollowFrame, Qt::QueuedConnection);
        return QWidget::eventFilter(Watched, Event);
    }
    if (Event->type() == QEvent::Show)
        ArrangeControls();
    return QWidget::eventFilter(Watched, Event);
}

void TForm1::ArrangeControls()
{
    const int W = OuterWidth();
    const int H = OuterHeight();
    PageControl1->resize(std::abs(W - 24), std::abs(H - 95));
    for (int Source = 0; Source < SourceCount; ++Source) {
        QLabel* Label = LinkLabel(Source);
        Label->move(Label->x(), PageControl1->y() + PageControl1->height() - 107);
    }
    for (int Source = 0; Source < SourceCount; ++Source) {
        PageView(Source)->resize(std::abs(W - 48), std::abs(H - 148));
        PageControl1->widget(Source)->resize(std::abs(W - 32), std::abs(H - 123));
    }
}

void TForm1::CheckBox2Click()
{
    if (!CheckBox2->isChecked()) {
        PageControl1->hide();
        SavedHeight = static_cast<quint16>(OuterHeight());
        SavedWidth = static_cast<quint16>(OuterWidth());
        SetOuterHeight(CompactHeight);
        SetOuterWidth(WindowWidth);
    } else {
        PageControl1->show();
        SetOuterHeight(SavedHeight);
        SetOuterWidth(SavedWidth);
    }
}

// Runs a refresh and shows its error in the error box. A timer tick whose refresh fails while the
// box of an earlier refresh is still open adds none: the open box already says it, and boxes do not
// pile up while the user is away.
void TForm1::GuardedRefresh(bool Tick)
{
    std::exception_ptr Error;
    try {
        Timer1Timer();
    } catch (...) {
        Error = std::current_exception();
    }
    if (!Error || (Tick && RefreshErrorOpen))
        return;
    const QScopedValueRollback Open(RefreshErrorOpen, true);
    TApplication::ShowException(Error);
}

void TForm1::Timer1Timer()
{
    const auto Addresses = LoadConfiguration(
        ConfigurationFileName, [this](int Source, TConfigField Field, const std::string& Value) {
            switch (Field) {
            case TConfigField::Address:
                LinkLabel(Source)->setText(FromWindows1250(Value));
                LinkLabel(Source)->adjustSize();
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
    SetSizeable(true);
    QFont ButtonFont = Button1->font();
    ButtonFont.setPointSize(10);
    Button1->setFont(ButtonFont);
    if (CheckBox2->isChecked() && Button1->text() == StartCaption) {
        PageControl1->show();
        SetOuterHeight(FullHeight);
        SetOuterWidth(WindowWidth);
        CheckBox2->setEnabled(true);
    }
    Button1->setText(RefreshCaption);
    // Waiting messages run here, a click of Button1 included: such a nested refresh starts the
    // sources it finds idle, and their Busy flags make this one skip them.
    repaint();
    QCoreApplication::processEvents();
    PageControl1->setEnabled(false);
    if (CheckBox3->isChecked())
        LaunchWorker(0, Addresses[0]);
    if (CheckBox4->isChecked()) {
        LaunchWorker(1, Addresses[1]);
        LaunchWorker(2, Addresses[2]);
    }
    if (CheckBox5->isChecked())
        LaunchWorker(4, Addresses[4]);
    if (CheckBox6->isChecked())
        LaunchWorker(3, Addresses[3]);
    PageControl1->setEnabled(true);
}

void TForm1::LaunchWorker(int Source, const std::string& Address)
{
    if (Worker[Source] && Busy[Source])
        return;
    Busy[Source] = true;
    auto* NewWorker = new TSciager;
    Worker[Source] = NewWorker;
    NewWorker->ProgressControl = InfoLabel;
    NewWorker->SetURL(Address);
    NewWorker->SetMode(TDownloadMode::dmToString);
    NewWorker->SetUserAgent(std::string(AgentName));
    NewWorker->ShowProgress = PageControl1->currentIndex() == Source;
    NewWorker->OnTerminate = [this, Source](TSciager* Sender) { (this->*Handlers[Source])(Sender); };
    try {
        NewWorker->Start();
    } catch (const std::system_error&) {
        // No thread for this download: the source stays idle and the next refresh tries again.
        Busy[Source] = false;
        Worker[Source] = nullptr;
        delete NewWorker;
    }
}

void TForm1::Worker0Terminate(TSciager*)
{
    CompleteDownload(0);
}

void TForm1::Worker1Terminate(TSciager*)
{
    CompleteDownload(1);
}

void TForm1::Worker2Terminate(TSciager*)
{
    CompleteDownload(2);
}

void TForm1::Worker3Terminate(TSciager*)
{
    CompleteDownload(3);
}

void TForm1::Worker4Terminate(TSciager*)
{
    CompleteDownload(4);
}

void TForm1::CompleteDownload(int Source)
{
    Busy[Source] = false;
    const QString Time = LongTimeText();
    if (!Worker[Source]->Success()) {
        Watch->Failed(Source, Time,
                      QStringLiteral("Błąd pobierania: ") +
                          QString::fromStdString(DescribeFailure(Worker[Source]->Outcome())));
    } else {
        const std::string Page = NormalizeLines(Worker[Source]->ResultText());
        bool Changed = false;
        QString Failure;
        try {
            Changed = ShowPage(Source, Page);
        } catch (const std::system_error&) {
            PageError[Source] =
                QStringLiteral("Nie można zapisać ") + QString::fromLatin1(SourceTable[Source].PageFileName);
            Failure = QStringLiteral("Błąd zapisu: ") + PageError[Source];
        } catch (const std::invalid_argument&) {
            PageError[Source] = QStringLiteral("Nie można otworzyć strony");
            Failure = QStringLiteral("Błąd wyświetlania: przeglądarka odrzuciła adres");
        }
        const bool Shown = PageControl1->currentIndex() == Source;
        if (!PageError[Source].isEmpty()) {
            if (Shown)
                InfoLabel->setText(PageError[Source]);
            Watch->Failed(Source, Time, Failure);
        } else {
            LastUpdate[Source] = Time;
            if (Shown)
                InfoLabel->setText(LastUpdatePrefix + LastUpdate[Source]);
            Watch->Shown(Source, Time, Changed,
                         Source == IndexSource ? QString()
                                               : MarkerWarning(Page, StartMarker[Source], EndMarker[Source]));
        }
    }
    if (std::none_of(Busy.begin(), Busy.end(), [](bool Flag) { return Flag; }))
        Watch->RefreshEnded();
}

// Builds the source's page, writes its page file and navigates its tab; true when the page differs
// from the one it replaces (for the index source: the address its tab is sent to).
bool TForm1::ShowPage(int Source, const std::string& Page)
{
    PageError[Source].clear();
    const std::string Path = ProgramDir + std::string(SourceTable[Source].PageFileName);
    if (Source == IndexSource) {
        const std::string Sesid = ExtractSesid(Page);
        if (!Page.empty())
            WritePageFile(Path, Page);
        const std::string Address = QuotesPageAddress(Sesid);
        PageView(Source)->Navigate(FromWindows1250(Address));
        std::string& Previous = Watch->State(Source).Address;
        const bool Changed = !Previous.empty() && Previous != Address;
        Previous = Address;
        return Changed;
    }
    const std::string Text = BuildFragmentPage(Source, Page, StartMarker[Source], EndMarker[Source]);
    const bool Changed = DiffersFromFile(Path, Text);
    WritePageFile(Path, Text);
    PageView(Source)->Navigate(QFile::decodeName(Path.c_str()));
    return Changed;
}

void TForm1::PageControl1Change()
{
    for (int Source = 0; Source < SourceCount; ++Source)
        if (Busy[Source])
            Worker[Source]->ShowProgress = false;
    const int Active = PageControl1->currentIndex();
    if (Busy[Active]) {
        InfoLabel->setText(Worker[Active]->StatusText);
        Worker[Active]->ShowProgress = true;
    } else if (!PageError[Active].isEmpty()) {
        InfoLabel->setText(PageError[Active]);
    } else {
        InfoLabel->setText(LastUpdatePrefix + LastUpdate[Active]);
    }
    Watch->Look();
}

void TForm1::CheckBox1Click()
{
    // Where the compositor keeps no window on top, the window made anew for the flag would only
    // land elsewhere: the box then changes nothing.
    if (OnWayland())
        return;
    const QRect Geometry = geometry();
    setWindowFlag(Qt::WindowStaysOnTopHint, CheckBox1->isChecked());
    setGeometry(Geometry);
    show();
    raise();
    activateWindow();
}

void TForm1::Button2Click()
{
    QCoreApplication::exit(1);
}

// Hands an address to the desktop's browser or mail program; an address it cannot open changes
// nothing.
void TForm1::OpenAddress(const QString& Address)
{
    QDesktopServices::openUrl(QUrl::fromUserInput(Address));
}

void TForm1::Label3Click()
{
    OpenAddress(HomePage);
}

void TForm1::Label4Click()
{
    OpenAddress(QStringLiteral("mailto:") + MailAddress + QStringLiteral("?subject=Tickerwell project"));
}

void TForm1::Label5Click()
{
    OpenAddress(Label5->text());
}

void TForm1::Label6Click()
{
    OpenAddress(Label6->text());
}

void TForm1::Label7Click()
{
    OpenAddress(Label7->text());
}

void TForm1::Label8Click()
{
    OpenAddress(Label8->text());
}

void TForm1::Label9Click()
{
    OpenAddress(Label9->text());
}

void TForm1::AppMinimize()
{
    NotificationIcon1->HideMainForm();
}

// Back from the tray in the same mode and size, in front of other windows.
void TForm1::BringBack()
{
    NotificationIcon1->RestoreMainForm();
    if (TApplication* Application = TApplication::Instance())
        Application->ShowMainForm = true;
    show();
    raise();
    activateWindow();
    Watch->Look();
}

void TForm1::NotificationIcon1Click()
{
    BringBack();
}

void TForm1::Open1Click()
{
    BringBack();
}

void TForm1::Exit1Click()
{
    QCoreApplication::quit();
}
