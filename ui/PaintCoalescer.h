// TPaintCoalescer: repaints a window at most once per interval, like a screen refresh. A download's
// every progress step changes the status line's text; painting each one would composite the page
// views each time, in software where there is no GPU, and hold up the next step.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <chrono>

class QWidget;

class TPaintCoalescer : public QObject
{
public:
    // Watches Window's update requests; owned by Window.
    explicit TPaintCoalescer(QWidget* Window,
                             std::chrono::milliseconds Interval = std::chrono::milliseconds(30));

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    void PaintNow();

    QWidget* Window;
    std::chrono::milliseconds Interval;
    QElapsedTimer SinceLastPaint;
    QTimer Deferred;
};
