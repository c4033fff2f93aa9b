// TWebBrowser: the page view of a tab. It opens a local file path or a web address without
// blocking the caller. It records the address at once but creates its embedded viewer and loads
// only once it is shown, so that start-up and a refresh never wait for the web engine, and tabs
// that are never looked at cost no memory. The viewer comes from the page viewer plugin, loaded then;
// a plugin that cannot be loaded is an error shown in the error box.
#pragma once

#include <QString>
#include <QUrl>
#include <QWidget>

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

protected:
    void showEvent(QShowEvent* Event) override;
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    void Load();

    QWidget* Viewer = nullptr;
    QUrl FAddress;
    bool Pending = false;
};

// Prepares the application for page views; call before the application object is created.
void PreparePageViews();
