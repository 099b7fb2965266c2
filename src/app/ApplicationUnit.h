#pragma once

#include <QApplication>
#include <QString>

#include <exception>
#include <functional>

// The application's exception handler: shows an error's message to the user.
namespace Application {

using TExceptionHandler = std::function<void(const QString &Message)>;

void HandleException(const std::exception &E);
// Replaces the message box, for tests; an empty handler restores it. Returns
// the handler it replaced.
TExceptionHandler SetExceptionHandler(TExceptionHandler Handler);

} // namespace Application

// The application object of the player. An error that escapes an event
// handler (a click, a timer, a queued call) is shown through
// Application::HandleException, and the program goes on.
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
    int ExitCode = 0;
};
