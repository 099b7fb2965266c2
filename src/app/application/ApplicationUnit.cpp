#include "app/application/ApplicationUnit.h"

#include "foundation/BaseTypesUnit.h"

#include <QMessageBox>

#include <utility>

namespace Application {
namespace {
TExceptionHandler GHandler;
}

void HandleException(const std::exception &E)
{
    const auto *known = dynamic_cast<const Exception *>(&E);
    const QString message = known ? known->Message() : QString::fromUtf8(E.what());
    if (GHandler)
        GHandler(message);
    else
        QMessageBox::critical(nullptr, QApplication::applicationDisplayName(), message);
}

TExceptionHandler SetExceptionHandler(TExceptionHandler Handler)
{
    return std::exchange(GHandler, std::move(Handler));
}

} // namespace Application

TApplication::TApplication(int &argc, char **argv) : QApplication(argc, argv)
{
}

bool TApplication::notify(QObject *Receiver, QEvent *Event)
{
    // Qt has no handler of its own above this point: what escapes here would
    // end the process.
    try {
        return QApplication::notify(Receiver, Event);
    } catch (const std::exception &e) {
        Application::HandleException(e);
        return true; // handled: shown to the user
    }
}
