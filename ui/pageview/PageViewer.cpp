// The page viewer plugin, the one part of the program that links Qt WebEngine. The page views load
// it when the first of them is shown, so that the program starts and waits in the tray without the
// web engine in memory.
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <QWebEngineView>
#include <functional>

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

// Runs Script in Viewer's page in a world apart from the page's own scripts, which share only its
// document with it.
extern "C" Q_DECL_EXPORT void RunPageScript(QWidget* Viewer, const QString& Script,
                                            const std::function<void(const QVariant&)>& Done)
{
    static_cast<QWebEngineView*>(Viewer)->page()->runJavaScript(Script, QWebEngineScript::ApplicationWorld,
                                                                Done);
}

// Makes Source the script named Name that Viewer's page runs in every document it loads, once the
// document is parsed, in the same world as RunPageScript; an empty Source removes it.
extern "C" Q_DECL_EXPORT void SetPageScript(QWidget* Viewer, const QString& Name, const QString& Source)
{
    QWebEngineScriptCollection& Scripts = static_cast<QWebEngineView*>(Viewer)->page()->scripts();
    for (const QWebEngineScript& Old : Scripts.find(Name))
        Scripts.remove(Old);
    if (Source.isEmpty())
        return;
    QWebEngineScript Script;
    Script.setName(Name);
    Script.setSourceCode(Source);
    Script.setInjectionPoint(QWebEngineScript::DocumentReady);
    Script.setWorldId(QWebEngineScript::ApplicationWorld);
    Script.setRunsOnSubFrames(false);
    Scripts.insert(Script);
}

// Puts Viewer's page in lifecycle State: 0 active, 1 frozen (no timers, no scripts), 2 discarded
// (the renderer's memory given back; the page reloads its address once active again).
extern "C" Q_DECL_EXPORT void SetPageLifecycle(QWidget* Viewer, int State)
{
    static_assert(static_cast<int>(QWebEnginePage::LifecycleState::Frozen) == 1 &&
                  static_cast<int>(QWebEnginePage::LifecycleState::Discarded) == 2);
    static_cast<QWebEngineView*>(Viewer)->page()->setLifecycleState(
        static_cast<QWebEnginePage::LifecycleState>(State));
}
