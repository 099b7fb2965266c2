#pragma once

#include <QString>

// The shell folders the program uses, numbered as the shell numbers them.
enum TShellFolder { CSIDL_MYMUSIC = 13, CSIDL_APPDATA = 26 };

// Text without the characters a file name cannot hold: codes 0 to 31,
// '"', '*', '/', ':', '<', '>', '?', '\\', '|', and the bidirectional
// controls that could disguise an extension. "." and ".." give an empty text.
QString RemoveInvalidFileNameChars(const QString &Text);
// Path itself when the name is free, else Path with " (2)", " (3)", ... before
// the extension; the folder is cut to 247 characters and the name so that the
// whole path stays within 259, and so that the name and its partial file's
// name fit the file system's 255 bytes (cut by whole characters). A name is
// taken by a file of that name or by its partial file (a download to it still
// running). A bare name gives a bare name.
QString MakeUniqueFilePath(const QString &Path);
// The file a download writes into until it is complete: Path with ".part".
QString PartialFilePath(const QString &Path);
void ShowFileInExplorer(const QString &Path);
// The folder, or an empty string when the desktop has none.
QString GetShellFolderPath(TShellFolder CSIDL);
