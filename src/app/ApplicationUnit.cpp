#include "app/ApplicationUnit.h"

#include "foundation/BaseTypesUnit.h"

#include <QApplication>
#include <QMessageBox>

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

void SetExceptionHandler(TExceptionHandler Handler)
{
    GHandler = std::move(Handler);
}

} // namespace Application
