// TApplication: the application object: its title, and the error box for errors that escape an
// event handler.
#pragma once

#include <QApplication>
#include <exception>
#include <functional>

class TApplication : public QApplication
{
    Q_OBJECT
public:
    TApplication(int& argc, char** argv);

    // Delivers the event; an error that escapes its handler is shown in the error box and the
    // program carries on.
    bool notify(QObject* Receiver, QEvent* Event) override;

    // Shows the error box for the given error: the message with the full stop rule, a stop icon and
    // the application title as caption. Works from any handler on the user-interface thread.
    static void ShowException(std::exception_ptr Error);

    // Runs Handler and shows any error that escapes it, so that one handler's error never reaches
    // the framework's own event code.
    static void Guarded(const std::function<void()>& Handler);

    // The text of the error box: Message with "." appended unless it is empty or already ends in "."
    // or a character that sorts below it.
    static QString ErrorBoxText(const QString& Message);
    // The text of the error box for Error.
    static QString ErrorBoxText(std::exception_ptr Error);

    // Replaces the modal box, for tests: the hook receives the box's text instead.
    using TErrorBoxHook = std::function<void(const QString& Text)>;
    static void SetErrorBoxHook(TErrorBoxHook Hook);

    static inline const QString Title = QStringLiteral("TKW by QRX");
};
