#include "harness/PlayerHarness.h"

#include "app/application/ApplicationUnit.h"
#include "app/shell/ProgramUnit.h"
#include "foundation/THierarchicalSingletonUnit.h"
#include "localization/TQelmLocalizationUnit.h"

#include <QApplication>
#include <QCursor>
#include <QDeadlineTimer>
#include <QEnterEvent>
#include <QEventLoop>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>
#include <QTimer>

namespace PlayerHarness {

int Run(int argc, char **argv, const std::function<void()> &Prepare, const std::function<void()> &Script)
{
    InitializeLocalizationManager();
    int exitCode = 0;
    {
        TApplication application(argc, argv);
        QApplication::setApplicationDisplayName(QStringLiteral("Marvane Player"));
        if (Prepare)
            Prepare();
        if (Script)
            QTimer::singleShot(0, &application, Script);
        exitCode = RunPlayer(nullptr);
    }
    FinalizeLocalizationManager();
    THierarchicalSingleton::DoDestroy();
    return exitCode;
}

QWidget *Find(const QString &Name)
{
    // Windows share part names (every header strip has its "settings"): the
    // one on screen wins.
    QWidget *first = nullptr;
    for (QWidget *window : QApplication::topLevelWidgets()) {
        QList<QWidget *> found = window->findChildren<QWidget *>(Name);
        if (window->objectName() == Name)
            found.prepend(window);
        for (QWidget *widget : found) {
            if (widget->isVisible())
                return widget;
            if (!first)
                first = widget;
        }
    }
    return first;
}

bool WaitUntil(const std::function<bool()> &Done, std::chrono::milliseconds Deadline)
{
    const QDeadlineTimer deadline(Deadline);
    while (!Done()) {
        if (deadline.hasExpired())
            return false;
        Pass(std::chrono::milliseconds(10));
    }
    return true;
}

void Pass(std::chrono::milliseconds Time)
{
    QEventLoop loop;
    QTimer::singleShot(Time, &loop, &QEventLoop::quit);
    loop.exec();
}

void Hover(QWidget *Widget, QPoint Position)
{
    const QPoint global = Widget->mapToGlobal(Position);
    // Under X the pointer really moves, and the hover leaves the row before.
    QCursor::setPos(Widget->screen(), global);
    QEnterEvent enter(Position, Widget->window()->mapFromGlobal(global), global);
    QApplication::sendEvent(Widget, &enter);
    QMouseEvent move(QEvent::MouseMove, Position, global, Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(Widget, &move);
}

void Hover(QWidget *Widget)
{
    Hover(Widget, Widget->rect().center());
}

void Click(QWidget *Widget)
{
    const QPoint position = Widget->rect().center();
    Hover(Widget, position);
    const QPoint global = Widget->mapToGlobal(position);
    QMouseEvent press(QEvent::MouseButtonPress, position, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Widget, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, position, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(Widget, &release);
}

void Type(QWidget *Widget, const QString &Text)
{
    for (const QChar character : Text) {
        // Latin letters and digits have key codes of their own; the rest are known by their text.
        int key = Qt::Key_unknown;
        if (character == u' ')
            key = Qt::Key_Space;
        else if (character.isLetterOrNumber() && character.unicode() < 128)
            key = character.toUpper().unicode();
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(character));
        QApplication::sendEvent(Widget, &press);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(character));
        QApplication::sendEvent(Widget, &release);
    }
}

void PressKey(QWidget *Widget, int Key, Qt::KeyboardModifiers Modifiers)
{
    QKeyEvent press(QEvent::KeyPress, Key, Modifiers);
    QApplication::sendEvent(Widget, &press);
    QKeyEvent release(QEvent::KeyRelease, Key, Modifiers);
    QApplication::sendEvent(Widget, &release);
}

} // namespace PlayerHarness
