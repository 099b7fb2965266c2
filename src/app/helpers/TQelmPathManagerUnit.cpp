#include "app/helpers/TQelmPathManagerUnit.h"

#include "app/helpers/FileUtilsUnit.h"

QString GetProgramDataFolderPath()
{
    return GetShellFolderPath(CSIDL_APPDATA) + QStringLiteral("/MarvanePlayer");
}

QString GetSavedTracksDBPath()
{
    return GetProgramDataFolderPath() + QStringLiteral("/SavedTracks.db");
}

QString GetSavedTracksBackupDBPath()
{
    return GetProgramDataFolderPath() + QStringLiteral("/Backup/SavedTracks.db");
}

QString GetEmptySavedTracksDBPath()
{
    return GetProgramDataFolderPath() + QStringLiteral("/empty_SavedTracks.db");
}

QString GetCookiesFilePath()
{
    return GetProgramDataFolderPath() + QStringLiteral("/cookies.ini");
}

QString GetTokenFilePath()
{
    return GetProgramDataFolderPath() + QStringLiteral("/Token.ini");
}

QString GetDownloadsInProgressPath()
{
    return GetProgramDataFolderPath() + QStringLiteral("/DownloadsInProgress.txt");
}

QString GetDefaultMusicFolderPath()
{
    return GetShellFolderPath(CSIDL_MYMUSIC) + QStringLiteral("/MarvanePlayer/");
}
