#pragma once

#include <QString>

#include <exception>
#include <functional>

// The application's exception handler: shows an error's message to the user.
namespace Application {

using TExceptionHandler = std::function<void(const QString &Message)>;

void HandleException(const std::exception &E);
// Replaces the message box, for tests; an empty handler restores it.
void SetExceptionHandler(TExceptionHandler Handler);

} // namespace Application

// Stops the program: thrown to the program body, which unwinds and exits with
// ExitCode.
struct EProgramHalt
{
    int ExitCode = 0;
};
