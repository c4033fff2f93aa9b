// TEmptyTabPanel: covers a page view that has never shown a page, saying in grey why it is empty
// (the last failure and its time, or that nothing was downloaded yet), with a button "Ustaw
// źródło...". It goes for good once the view has a page.
#pragma once

#include <QWidget>
#include <functional>

class QLabel;
class TSourceWatch;
class TWebBrowser;

class TEmptyTabPanel : public QWidget
{
    Q_OBJECT
public:
    // Over View, the page view of Source, whose state Watch keeps; SetSource runs on the button.
    TEmptyTabPanel(TWebBrowser* View, TSourceWatch* Watch, int Source, std::function<void()> SetSource);

    QLabel* Reason() const { return FReason; }

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    void ShowWhyEmpty();

    TWebBrowser* FView;
    TSourceWatch* FWatch;
    int FSource;
    QLabel* FReason;
};
