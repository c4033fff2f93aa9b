// TWebBrowser: the page view of a tab. It opens a local file path or a web address without
// blocking the caller. It records the address at once but creates its embedded viewer and loads
// only once it is shown, so that start-up and a refresh never wait for the web engine, and tabs
// that are never looked at cost no memory. The viewer comes from the page viewer plugin, loaded then;
// a plugin that cannot be loaded is an error shown in the error box.
#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>
#include <QVariant>
#include <QWidget>
#include <functional>
#include <memory>

class TWebBrowser : public QWidget
{
    Q_OBJECT
public:
    explicit TWebBrowser(QWidget* Parent = nullptr);

    // Opens URL: an address with a scheme, read tolerantly as a browser's address bar reads it, or
    // else a local file path. Throws std::invalid_argument for an address no browser could open.
    void Navigate(const QString& URL);

    // The address last handed to Navigate; empty before the first Navigate.
    const QUrl& Address() const { return FAddress; }
    // Whether the viewer exists, which it does from the first time the view is shown with an address.
    bool Loaded() const { return Viewer != nullptr; }

    // Goes back to the page shown before, as Alt+Left and the mouse's back button do.
    void Back();

    // Marks Passages as new on the page shown, and on every page loaded from now on, with a style
    // and a script run in the view; the page's bytes stay as they are. None clears the marks. The
    // trigger Words inside them are marked more strongly.
    void SetHighlight(const QStringList& Passages, const QStringList& Words = {});
    const QStringList& Highlight() const { return FHighlight; }
    // Runs Script in the page shown, in a world of its own apart from the page's scripts; Done gets
    // its result. Does nothing before a page has loaded, nor while the view is not Active.
    void RunScript(const QString& Script, std::function<void(const QVariant&)> Done = {});

    // What the page may keep while no one sees it. Frozen: its timers and scripts stop. Discarded:
    // the renderer's memory is given back. A view that is not Active loads nothing and runs no
    // script; it remembers the address handed to it. Active again, it shows that address, or else
    // reloads the page it was on, with its marks.
    enum class TLife
    {
        Active,
        Frozen,
        Discarded
    };
    void SetLife(TLife Life);
    TLife Life() const { return FLife; }

signals:
    // The page shown has loaded and its marks are applied.
    void Highlighted(int Marked);

protected:
    void showEvent(QShowEvent* Event) override;
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private slots:
    void PageLoaded(bool Ok);

private:
    void Load();
    void ApplyHighlight(int Try = 0);
    void SetDocumentHighlight();
    void Wake(TLife Was);

    QWidget* Viewer = nullptr;
    QUrl FAddress;
    bool Pending = false;
    bool PageReady = false; // the last load has finished
    QStringList FHighlight;
    QString FHighlightScript;    // the script that marks FHighlight, built once per SetHighlight
    int HighlightGeneration = 0; // the last application of the marks; earlier ones stop
    TLife FLife = TLife::Active;
    bool MarksDue = false; // the marks changed while the page slept
    // Lives as long as this view is a TWebBrowser: the viewer's answers check it.
    std::shared_ptr<int> AliveToken = std::make_shared<int>();
};

// Prepares the application for page views; call before the application object is created.
void PreparePageViews();
