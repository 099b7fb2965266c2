#pragma once

#include <QApplication>
#include <QString>

#include <exception>
#include <functional>
#include <utility>

// The application's exception handler: shows an error's message to the user.
namespace Application {

using TExceptionHandler = std::function<void(const QString &Message)>;

void HandleException(const std::exception &E);
// Replaces the message box, for tests; an empty handler restores it. Returns
// the handler it replaced.
TExceptionHandler SetExceptionHandler(TExceptionHandler Handler);

// A widget's handler whose errors are shown where they arise. Qt's widget code
// is built without exception cleanup: an error that crosses it on the way to
// TApplication::notify leaks some of Qt's event bookkeeping each time, so
// handlers connected to widget signals are wrapped in this.
template<class THandler> struct TGuarded
{
    THandler Handler;

    template<class... TArguments>
    auto operator()(TArguments &&...Arguments)
        -> decltype(std::declval<THandler &>()(std::forward<TArguments>(Arguments)...), void())
    {
        try {
            Handler(std::forward<TArguments>(Arguments)...);
        } catch (const std::exception &e) {
            HandleException(e);
        }
    }
};

template<class THandler> TGuarded<THandler> Guarded(THandler Handler)
{
    return {std::move(Handler)};
}

} // namespace Application

// The application object of the player. An error that escapes an event
// handler (a click, a timer, a queued call) is shown through
// Application::HandleException, and the program goes on: the last resort
// behind Application::Guarded.
class TApplication : public QApplication
{
    Q_OBJECT
public:
    TApplication(int &argc, char **argv);

    bool notify(QObject *Receiver, QEvent *Event) override;
};

// Stops the program: thrown to the program body, which unwinds and exits with
// ExitCode.
struct EProgramHalt
{
    int ExitCode = 1;
};
