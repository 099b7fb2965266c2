#pragma once

#include <QString>

// The shell folders the program uses, numbered as the shell numbers them.
enum TShellFolder { CSIDL_MYMUSIC = 13, CSIDL_APPDATA = 26 };

// Text without the characters a file name cannot hold: codes 0 to 31,
// '"', '*', '/', ':', '<', '>', '?', '\\', '|', the bidirectional controls that
// could disguise an extension, and halves of surrogate pairs standing alone
// (no UTF-8 holds them). "." and ".." give an empty text.
QString RemoveInvalidFileNameChars(const QString &Text);
// The name of a downloaded track's file: "Artist - Title" with every space as
// "_", then the extension of the URL's path when it is a known audio suffix
// (in lower case; none otherwise), made a valid name (above).
QString DownloadFileName(const QString &Artist, const QString &Title, const QString &URL);
// Path itself when the name is free, else Path with " (2)", " (3)", ... before
// the extension (a short suffix after the last "." of a name that does not
// start with it; else there is none). The folder is kept as given; the name is
// cut at its end, by whole characters, so that it and its partial file's name
// fit the file system's 255 bytes. A name is taken by a file of that name or
// by its partial file (a download to it still running). A bare name gives a
// bare name.
QString MakeUniqueFilePath(const QString &Path);
// The file a download writes into until it is complete: Path with ".part".
QString PartialFilePath(const QString &Path);
void ShowFileInExplorer(const QString &Path);
// The folder, or an empty string when the desktop has none.
QString GetShellFolderPath(TShellFolder CSIDL);
