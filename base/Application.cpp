// The application object and its standard display of errors.
#include "Application.h"

#include <QMessageBox>
#include <stdexcept>

namespace {
TApplication::TErrorBoxHook& ErrorBoxHook()
{
    static TApplication::TErrorBoxHook Hook;
    return Hook;
}

QString MessageOf(std::exception_ptr Error)
{
    try {
        std::rethrow_exception(Error);
    } catch (const std::exception& E) {
        return QString::fromUtf8(E.what());
    } catch (...) {
        return QStringLiteral("Unknown error");
    }
}
} // namespace

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    setApplicationName(Title);
}

bool TApplication::notify(QObject* Receiver, QEvent* Event)
{
    try {
        return QApplication::notify(Receiver, Event);
    } catch (...) {
        ShowException(std::current_exception());
        return true;
    }
}

QString TApplication::ErrorBoxText(const QString& Message)
{
    if (!Message.isEmpty() && Message.back() > QLatin1Char('.'))
        return Message + QLatin1Char('.');
    return Message;
}

QString TApplication::ErrorBoxText(std::exception_ptr Error)
{
    return ErrorBoxText(MessageOf(Error));
}

void TApplication::ShowException(std::exception_ptr Error)
{
    const QString Text = ErrorBoxText(Error);
    if (ErrorBoxHook()) {
        ErrorBoxHook()(Text);
        return;
    }
    QMessageBox Box(QMessageBox::Critical, Title, Text, QMessageBox::Ok, QApplication::activeWindow());
    Box.exec();
}

void TApplication::Guarded(const std::function<void()>& Handler)
{
    try {
        Handler();
    } catch (...) {
        ShowException(std::current_exception());
    }
}

void TApplication::SetErrorBoxHook(TErrorBoxHook Hook)
{
    ErrorBoxHook() = std::move(Hook);
}
