#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QUrl>

// Desktop notifications through the session bus's notification server. Each
// notice takes the place of the one before (a new track, or its picture that
// came later), so they never pile up; nothing is waited for, and without a
// server nothing is shown.
class TTrackNotifier : public QObject
{
    Q_OBJECT
public:
    explicit TTrackNotifier(const QDBusConnection &Bus);

    // Shows a new notice; Picture is a file, or nothing.
    void Show(const QString &Title, const QString &Artist, const QUrl &Picture);
    // Shows the last notice again, with Picture.
    void Update(const QUrl &Picture);

private:
    void Send();

    QDBusConnection FBus;
    QString FTitle;
    QString FArtist;
    QUrl FPicture;
    // The server's number of the last notice, 0 while none is known.
    uint FLastID = 0;
    bool FAwaitingID = false;
    bool FSendWaiting = false;
};
