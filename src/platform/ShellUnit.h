#pragma once

#include <QString>

// What the desktop shell offers that differs between operating systems.
namespace Shell {

// The administrator of this system: the effective user is root.
bool IsUserAnAdmin();

// Opens the desktop's file browser with the file selected; when no file
// browser answers, opens the folder that holds the file.
void ShowItemInFileBrowser(const QString &Path);

} // namespace Shell
