#pragma once

#include <QString>

// Where the program keeps its files. These only compose paths; nothing here
// creates a folder. An unknown data or music folder counts as empty.
QString GetProgramDataFolderPath(); // <data folder>/MarvanePlayer
QString GetSavedTracksDBPath();
QString GetSavedTracksBackupDBPath();
QString GetEmptySavedTracksDBPath();
QString GetCookiesFilePath();
QString GetTokenFilePath();
// The partial files of the downloads still running, one path a line.
QString GetDownloadsInProgressPath();
QString GetDefaultMusicFolderPath(); // <music folder>/MarvanePlayer/
