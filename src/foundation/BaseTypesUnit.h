#pragma once

#include <QString>

#include <exception>
#include <functional>

// Root of the program's class tree, so that an event's Sender can be any object
// and handlers can test its class.
class TObject
{
public:
    virtual ~TObject() = default;
};

using TNotifyEvent = std::function<void(TObject *Sender)>;

// An error with a fixed message; the message is what the user is shown.
class Exception : public std::exception
{
public:
    explicit Exception(QString Message) : FMessage(std::move(Message)), FUtf8(FMessage.toUtf8()) { }
    const QString &Message() const { return FMessage; }
    const char *what() const noexcept override { return FUtf8.constData(); }

private:
    QString FMessage;
    QByteArray FUtf8;
};

// An event's sender as the class its handler was written for. A sender of
// another class is an error, never read as the wrong class.
template<class T> T &SenderAs(TObject *Sender)
{
    if (auto *typed = dynamic_cast<T *>(Sender))
        return *typed;
    throw Exception(QStringLiteral("Unexpected event sender"));
}
