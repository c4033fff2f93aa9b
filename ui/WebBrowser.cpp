// The page view over Qt WebEngine.
#include "WebBrowser.h"

#include <QCoreApplication>
#include <QVBoxLayout>
#include <QWebEngineSettings>
#include <QWebEngineView>
#include <stdexcept>
#include <unistd.h>

TWebBrowser::TWebBrowser(QWidget* Parent) : QWidget(Parent) {}

void TWebBrowser::Navigate(const QString& URL)
{
    const QUrl Target = URL.startsWith(QLatin1String("http://")) || URL.startsWith(QLatin1String("https://"))
                            ? QUrl(URL, QUrl::StrictMode)
                            : QUrl::fromLocalFile(URL);
    if (!Target.isValid() || URL.isEmpty())
        throw std::invalid_argument("Cannot open " + URL.toStdString());
    if (!Viewer) {
        Viewer = new QWebEngineView(this);
        // Pages are shown from local files: they may load the sites' images and styles through
        // their base address but must not read other local files.
        QWebEngineSettings* Settings = Viewer->settings();
        Settings->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
        Settings->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, true);
        auto* Layout = new QVBoxLayout(this);
        Layout->setContentsMargins(0, 0, 0, 0);
        Layout->addWidget(Viewer);
    }
    FAddress = Target;
    Viewer->load(Target);
}

void PreparePageViews()
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    // Chromium's sandbox refuses to run as root.
    if (geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
}
