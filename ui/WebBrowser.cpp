// The page view over Qt WebEngine, loaded when first shown.
#include "WebBrowser.h"

#include <QChildEvent>
#include <QCoreApplication>
#include <QMouseEvent>
#include <QShortcut>
#include <QTimer>
#include <QVBoxLayout>
#include <QWebEngineSettings>
#include <QWebEngineView>
#include <chrono>
#include <stdexcept>
#include <unistd.h>

namespace {
constexpr std::chrono::milliseconds EngineStartDelay(100);
} // namespace

TWebBrowser::TWebBrowser(QWidget* Parent) : QWidget(Parent)
{
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
    if (!Pending)
        return;
    Pending = false;
    if (!Viewer) {
        Viewer = new QWebEngineView(this);
        // Pages are shown from local files: they may load the sites' images and styles through
        // their base address but must not read other local files.
        QWebEngineSettings* Settings = Viewer->settings();
        Settings->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
        Settings->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, true);
        Viewer->installEventFilter(this);
        auto* Layout = new QVBoxLayout(this);
        Layout->setContentsMargins(0, 0, 0, 0);
        Layout->addWidget(Viewer);
    }
    Viewer->load(FAddress);
}

void TWebBrowser::Back()
{
    if (Viewer)
        Viewer->back();
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

void PreparePageViews()
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    // Chromium's sandbox refuses to run as root.
    if (geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    // One renderer process for all the page views instead of one each: measured with Qt 6.4, five
    // shown tabs then take 4 processes and some 140 MiB in place of 8 and 180 MiB; Chromium's
    // --process-per-site still gave the quotes page a process of its own.
    QByteArray Flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", Flags.append(" --renderer-process-limit=1").trimmed());
}
