#pragma once

#include <QPoint>
#include <QString>
#include <QWidget>

#include <chrono>
#include <functional>

// The player in this process, as marvane-player runs it, with a script that
// drives or watches its window by object names.
namespace PlayerHarness {

// The program body without the one-instance claim: the application object,
// the texts in the language of the "Lang" setting, the player until its
// window closes. Prepare runs once the application object exists, before
// the player starts (a place for event filters); Script once the event loop
// runs. Returns the player's exit code.
int Run(int argc, char **argv, const std::function<void()> &Prepare, const std::function<void()> &Script);

// The first widget of that object name in any window, or nullptr.
QWidget *Find(const QString &Name);
template<class TWidget> TWidget *Find(const QString &Name)
{
    return qobject_cast<TWidget *>(Find(Name));
}

// Runs the event loop until Done holds or the deadline passes; returns Done.
bool WaitUntil(const std::function<bool()> &Done, std::chrono::milliseconds Deadline);
// Runs the event loop for a while: only for what has no condition to wait on
// (a hover's fade, a time text that is to change).
void Pass(std::chrono::milliseconds Time);

// The pointer moved onto Widget at Position, as a user's hand does: the
// system's pointer where there is one, and the enter and move events.
void Hover(QWidget *Widget, QPoint Position);
void Hover(QWidget *Widget);
// A left click at the widget's centre.
void Click(QWidget *Widget);
// Typed one character at a time, each with its key press and release.
void Type(QWidget *Widget, const QString &Text);
void PressKey(QWidget *Widget, int Key, Qt::KeyboardModifiers Modifiers = Qt::NoModifier);

} // namespace PlayerHarness
