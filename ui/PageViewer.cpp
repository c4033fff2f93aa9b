// The page viewer plugin, the one part of the program that links Qt WebEngine. The page views load
// it when the first of them is shown, so that the program starts and waits in the tray without the
// web engine in memory.
#include <QWebEngineSettings>
#include <QWebEngineView>

// A viewer for Parent. Pages are shown from local files: they may load the sites' images and
// styles through their base address but must not read other local files.
extern "C" Q_DECL_EXPORT QWidget* CreatePageViewer(QWidget* Parent)
{
    auto* Viewer = new QWebEngineView(Parent);
    QWebEngineSettings* Settings = Viewer->settings();
    Settings->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
    Settings->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, true);
    return Viewer;
}
