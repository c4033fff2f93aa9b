// The page view over Qt WebEngine, loaded when first shown.
#include "WebBrowser.h"

#include "HighlightScript.h"

#include <QChildEvent>
#include <QCoreApplication>
#include <QLibrary>
#include <QMouseEvent>
#include <QOpenGLContext>
#include <QOpenGLWidget>
#include <QShortcut>
#include <QTimer>
#include <QVBoxLayout>
#include <chrono>
#include <memory>
#include <stdexcept>
#include <unistd.h>

// Qt's own setter of the application's shared OpenGL context (QtGui exports it; it has no public
// header).
Q_GUI_EXPORT void qt_gl_set_global_share_context(QOpenGLContext* Context);

namespace {
constexpr std::chrono::milliseconds EngineStartDelay(100);

// Qt WebEngine hands its pages to the viewer through the application's shared OpenGL context. The
// public route, Qt::AA_ShareOpenGLContexts, makes it when any application object starts; Qt's own
// setter, the one private call of the program, makes it here instead, when the first page view is
// made, before the window that holds it makes its own context.
void ShareOpenGLContext()
{
    if (QOpenGLContext::globalShareContext())
        return;
    auto* Context = new QOpenGLContext(QCoreApplication::instance());
    Context->create();
    qt_gl_set_global_share_context(Context);
}

using TCreatePageViewer = QWidget* (*)(QWidget*);
using TRunPageScript = void (*)(QWidget*, const QString&, const std::function<void(const QVariant&)>&);
using TSetPageScript = void (*)(QWidget*, const QString&, const QString&);
using TSetPageLifecycle = void (*)(QWidget*, int);
TCreatePageViewer Create = nullptr;
TRunPageScript RunPageScript = nullptr;
TSetPageScript SetPageScript = nullptr;
TSetPageLifecycle SetPageLifecycle = nullptr;
// A document not parsed yet is asked again this often, for at most about a minute.
constexpr std::chrono::milliseconds HighlightRetry(50);
constexpr int HighlightTries = 1200;

// A new viewer from the page viewer plugin beside the program.
QWidget* CreateViewer(QWidget* Parent)
{
    if (!Create) {
        QLibrary Plugin(QCoreApplication::applicationDirPath() + QStringLiteral("/tkw_pageviewer.so"));
        Create = reinterpret_cast<TCreatePageViewer>(Plugin.resolve("CreatePageViewer"));
        RunPageScript = reinterpret_cast<TRunPageScript>(Plugin.resolve("RunPageScript"));
        SetPageScript = reinterpret_cast<TSetPageScript>(Plugin.resolve("SetPageScript"));
        SetPageLifecycle = reinterpret_cast<TSetPageLifecycle>(Plugin.resolve("SetPageLifecycle"));
        if (!Create || !RunPageScript || !SetPageScript || !SetPageLifecycle)
            throw std::runtime_error("Cannot load the page viewer: " + Plugin.errorString().toStdString());
    }
    return Create(Parent);
}
} // namespace

TWebBrowser::TWebBrowser(QWidget* Parent) : QWidget(Parent)
{
    // Qt gives a window the OpenGL surface that the viewer draws on only when it makes the window,
    // and makes it again, as a new native window, when the viewer comes later. A hidden OpenGL
    // widget of no size, which never draws, makes every window holding a page view so from the
    // start; the shared context must exist before the window's own.
    ShareOpenGLContext();
    auto* Surface = new QOpenGLWidget(this);
    Surface->setObjectName(QStringLiteral("PageViewSurface"));
    Surface->setFixedSize(0, 0);
    Surface->hide();
    // Anywhere in the window, as in a browser: the focus is often on the window itself, for
    // instance once the viewer has replaced its page's renderer after a link to another site. Only
    // the view of the tab shown takes the shortcut.
    new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Left), this, this, &TWebBrowser::Back, Qt::WindowShortcut);
}

void TWebBrowser::Navigate(const QString& URL)
{
    const QUrl Target = URL.startsWith(QLatin1String("http://")) || URL.startsWith(QLatin1String("https://"))
                            ? QUrl(URL, QUrl::TolerantMode)
                            : QUrl::fromLocalFile(URL);
    if (!Target.isValid() || URL.isEmpty())
        throw std::invalid_argument("Cannot open " + URL.toStdString());
    FAddress = Target;
    Pending = true;
    if (Viewer)
        Load();
    else if (isVisible())
        // Starting the web engine holds up the user-interface thread for a while: downloads that
        // end at about the same time as this one write their page files first.
        QTimer::singleShot(EngineStartDelay, this, &TWebBrowser::Load);
}

void TWebBrowser::showEvent(QShowEvent* Event)
{
    QWidget::showEvent(Event);
    Load();
}

void TWebBrowser::Load()
{
    if (!Pending || FLife != TLife::Active)
        return;
    Pending = false;
    PageReady = false;
    if (!Viewer) {
        Viewer = CreateViewer(this);
        Viewer->installEventFilter(this);
        connect(Viewer, SIGNAL(loadFinished(bool)), this, SLOT(PageLoaded(bool)));
        SetDocumentHighlight();
        auto* Layout = new QVBoxLayout(this);
        Layout->setContentsMargins(0, 0, 0, 0);
        Layout->addWidget(Viewer);
    }
    // The viewer's url property loads the address.
    Viewer->setProperty("url", FAddress);
}

void TWebBrowser::Back()
{
    if (Viewer)
        QMetaObject::invokeMethod(Viewer, "back");
}

void TWebBrowser::SetHighlight(const QStringList& Passages, const QStringList& Words)
{
    if (Passages.isEmpty() && FHighlight.isEmpty())
        return;
    FHighlight = Passages;
    FHighlightScript = HighlightScript(FHighlight, Words);
    SetDocumentHighlight();
    MarksDue = FLife != TLife::Active;
    if (PageReady && !MarksDue)
        ApplyHighlight();
}

// Every document the viewer loads marks its passages itself once parsed: the viewer does not
// report every load (a second load of the same address while the first is under way has no
// signals of its own), and a script run from here may meet a document still being replaced.
void TWebBrowser::SetDocumentHighlight()
{
    if (Viewer)
        SetPageScript(Viewer, QStringLiteral("tkw-highlight"),
                      FHighlight.isEmpty() ? QString() : FHighlightScript);
}

void TWebBrowser::RunScript(const QString& Script, std::function<void(const QVariant&)> Done)
{
    if (Viewer && PageReady && FLife == TLife::Active)
        RunPageScript(
            Viewer, Script, Done ? Done : [](const QVariant&) {});
}

void TWebBrowser::PageLoaded(bool Ok)
{
    PageReady = Ok;
    if (Ok && !FHighlight.isEmpty())
        ApplyHighlight();
}

// Marks the page shown now and reports the count; a document not parsed yet is tried again
// shortly, until the marks are there, other marks are asked for or the tries run out.
void TWebBrowser::ApplyHighlight(int Try)
{
    const int Generation = ++HighlightGeneration;
    // The viewer may answer while this view is being destroyed, when it is no TWebBrowser any more:
    // the token goes with this view's own destructor.
    RunScript(FHighlightScript,
              [this, Alive = std::weak_ptr<int>(AliveToken), Generation, Try](const QVariant& Marked) {
                  if (Alive.expired() || Generation != HighlightGeneration)
                      return;
                  bool Counted = false;
                  const int Count = Marked.toInt(&Counted);
                  if (Counted && Count >= 0)
                      emit Highlighted(Count);
                  else if (Try < HighlightTries)
                      QTimer::singleShot(HighlightRetry, this, [this, Generation, Try] {
                          if (Generation == HighlightGeneration)
                              ApplyHighlight(Try + 1);
                      });
              });
}

// The viewer takes its mouse input in a child it creates; the back button is taken there, before
// the page itself would act on it too.
bool TWebBrowser::eventFilter(QObject* Watched, QEvent* Event)
{
    switch (Event->type()) {
    case QEvent::ChildAdded:
        static_cast<QChildEvent*>(Event)->child()->installEventFilter(this);
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
        if (static_cast<QMouseEvent*>(Event)->button() == Qt::BackButton) {
            if (Event->type() == QEvent::MouseButtonRelease)
                Back();
            return true;
        }
        break;
    default:
        break;
    }
    return QWidget::eventFilter(Watched, Event);
}

void TWebBrowser::SetLife(TLife Life)
{
    const TLife Was = FLife;
    if (Life == Was)
        return;
    FLife = Life;
    if (!Viewer) {
        Load();
        return;
    }
    if (Life == TLife::Active) {
        Wake(Was);
        return;
    }
    // A discarded page is loaded anew when it wakes; its marks go on once that load has finished.
    if (Life == TLife::Discarded)
        PageReady = false;
    SetPageLifecycle(Viewer, static_cast<int>(Life));
}

// An address handed over while asleep is loaded now; otherwise a frozen page goes on where it
// stopped and a discarded one reloads the address it was on.
void TWebBrowser::Wake(TLife Was)
{
    SetPageLifecycle(Viewer, static_cast<int>(TLife::Active));
    if (Pending)
        Load();
    else if (Was == TLife::Frozen && PageReady && MarksDue)
        ApplyHighlight();
    MarksDue = false;
}

void PreparePageViews()
{
    // Chromium's sandbox refuses to run as root.
    if (geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    // One renderer process for all the page views instead of one each: measured with Qt 6.4, five
    // shown tabs then take 4 processes and some 140 MiB in place of 8 and 180 MiB; Chromium's
    // --process-per-site still gave the quotes page a process of its own.
    QByteArray Flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", Flags.append(" --renderer-process-limit=1").trimmed());
}
