#pragma once

#include <QString>

// An exclusive lock held on an open file: the system drops it when its holder
// ends, killed or not, so a lock is never left behind. The file stays.
class TFileLock
{
public:
    explicit TFileLock(QString Path);
    ~TFileLock();
    TFileLock(const TFileLock &) = delete;
    TFileLock &operator=(const TFileLock &) = delete;

    // Takes the lock without waiting; false while another holder has it or
    // the file cannot be made.
    bool TryLock();
    void Unlock();
    bool IsLocked() const { return FHandle >= 0; }

private:
    QString FPath;
    int FHandle = -1;
};
