#include "platform/TFileLockUnit.h"

#include <QFile>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

TFileLock::TFileLock(QString Path) : FPath(std::move(Path))
{
}

TFileLock::~TFileLock()
{
    Unlock();
}

bool TFileLock::TryLock()
{
    if (IsLocked())
        return true;
    const int handle = open(QFile::encodeName(FPath).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (handle < 0)
        return false;
    if (flock(handle, LOCK_EX | LOCK_NB) != 0) {
        close(handle);
        return false;
    }
    FHandle = handle;
    return true;
}

void TFileLock::Unlock()
{
    if (!IsLocked())
        return;
    // Closing the file drops the lock.
    close(FHandle);
    FHandle = -1;
}
