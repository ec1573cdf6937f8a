#pragma once
// Where the program's files live. A folder of the program's own (a portable
// copy, the build tree) holds everything while it can be written to; an
// installed program, or a copy in a folder that cannot be written to, reads
// its data where it was installed and keeps the user's files in the user's
// own folders. DecideFileFolders is the one place that decides it; every
// file the program reads or writes is named by one of the folders below.
#include <QString>

class TIniFile;

// Every folder with a trailing "/".
struct TFileFolders
{
    // The executable's folder.
    QString Program;
    // What the program only reads: language files, units, the manual, the
    // sample libraries and constants.
    QString Data;
    // "settings.ini" and "programState.ini".
    QString Config;
    // History, variables, constants and the user's libraries.
    QString UserData;
};

// The folders for an executable that lies in ExecutableFolder:
// - Data: ExecutableFolder, unless it holds no "lang" folder while the
//   installed data folder (share/tandorel beside the bin folder) does: then
//   that one.
// - Config and UserData: ExecutableFolder when it is the Data folder and a
//   probe file can be created in it (tried, not read from permission bits);
//   otherwise "tandorel" in the user's configuration and data locations
//   ($XDG_CONFIG_HOME, $XDG_DATA_HOME), made when missing; its "user"
//   subfolder when the user's data location is the Data folder itself (an
//   install into ~/.local). A UserData folder made here is seeded with the
//   shipped libraries and constants, so this happens once and never over the
//   user's own files.
TFileFolders DecideFileFolders(const QString &executableFolder);

// The folders decided for this program on first use (also before the
// application object exists).
const TFileFolders &FileFolders();
// The executable's folder, FileFolders().Program.
const QString &ProgramDir();
const QString &DataDir();
const QString &ConfigDir();
const QString &UserDataDir();

// Decides the folders anew as if the executable lay in Folder (a trailing
// "/" is added when missing) and drops the settings file object, so that the
// next SettingsIniFile opens the new folder's file. An empty Folder returns
// to the executable's folder. For tests, which work in a throw-away folder.
void SetProgramDir(const QString &folder);

// The INI file object on ConfigDir() + "settings.ini", created on first use;
// owned here, freed by FreeSettingsIniFile (and at SetProgramDir).
TIniFile *SettingsIniFile();
void FreeSettingsIniFile();

// A file or folder that a language file or setting names relative to one of
// the program's folders: Folder + Name, cleaned, when that stays below
// Folder (also after following links); otherwise Folder + defaultValue. "\"
// separates folders as "/" does, and leading separators are dropped. A
// trailing "/" of Name (a folder) is kept.
QString DataDirFile(const QString &name, const QString &defaultValue);
QString UserDataDirFile(const QString &name, const QString &defaultValue);

// Path without the DataDir prefix when it begins with it (letter case
// counts); otherwise Path unchanged. Language files are named so in the
// settings.
QString MakeRelativePath(const QString &path);
