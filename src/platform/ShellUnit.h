#pragma once

#include <QString>

// What the desktop shell offers that differs between operating systems.
namespace Shell {

// The administrator of this system: the effective user is root.
bool IsUserAnAdmin();
// The number the system knows the current user by: names what is the user's
// own among what all users share.
QString CurrentUserId();

// Opens the desktop's file browser with the file selected; when no file
// browser answers, opens the folder that holds the file.
void ShowItemInFileBrowser(const QString &Path);
// Moves a file to the desktop's trash, where the user can get it back. False
// when there is no trash for it (none on its file system, or none can be
// made) or the move fails: the file is then where it was.
bool MoveToTrash(const QString &Path);

// The "drive" a path lies on: the folder where removable media are mounted
// for it ("/media/USER/LABEL", "/run/media/USER/LABEL", "/mnt/LABEL"), or
// else its top folder ("/home"). Empty for a relative path.
QString PathDrive(const QString &Path);
// Whether the drive of a path is there (its folder exists).
bool DriveExists(const QString &Drive);

} // namespace Shell
