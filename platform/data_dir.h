// Where the game's files are. The player's own files (quz.ini, scores.vek) belong to the folder the game
// was started from, with quz.ini falling back to the per-user configuration folder; the game's read-only
// files are "data/..." paths, so start-up moves into the first folder that holds the game's data/: the
// starting folder, the executable's folder (a build tree), <prefix>/share/games/quz beside an installed
// executable in <prefix>/games, and last the installed folder compiled in.
#pragma once

#include <string>
#include <vector>

// The installed game folder compiled in at configure time (it holds data/); "" when none was given.
const char* InstalledGameFolder();

// Records the working directory the game was started from. Call it before anything changes that
// directory; later calls do nothing. Returns false when the directory cannot be named (it was removed),
// in which case the starting folder offers no files.
bool RememberStartFolder();

// The absolute path of `name` in the starting folder, or "" when the starting folder is unknown.
std::string StartFolderPath(const char* name);

// The per-user folder of the XDG variable `variable` ("XDG_CONFIG_HOME", "XDG_DATA_HOME") with "quz"
// appended: the variable when it holds an absolute path, else $HOME/`homeDefault` (".config",
// ".local/share"). "" when neither names a folder. Nothing is created. On Windows both are %APPDATA%\quz.
std::string UserFolder(const char* variable, const char* homeDefault);

// The configuration file to read: quz.ini of `folder` when it is there, else the per-user
// $XDG_CONFIG_HOME/quz/quz.ini (which may not exist: reading it then gives the defaults). "" when
// neither place can be named.
std::string ConfigFileIn(const std::string& folder);
// The same for the starting folder.
std::string ConfigFilePath();

// The folders that may hold the game's data/, in search order and without repeats, for a game started
// in startFolder from the executable at executablePath ("" leaves a place out).
std::vector<std::string> DataFolderCandidates(const std::string& startFolder,
                                              const std::string& executablePath,
                                              const std::string& installedFolder);

// True when folder/data holds the game's data (not merely some folder called data).
bool HoldsGameData(const std::string& folder);

// Moves into the first candidate folder that holds the game's data. On failure the working directory is
// unchanged and `tried` lists the data/ folders that were looked at, separated by ", ".
bool EnterDataDirectory(const char* argv0, std::string& tried);
