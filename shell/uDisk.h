#pragma once
// The program folder and the settings file. Every file the program keeps
// beside itself is named ProgramDir() + file name.
#include <QString>

class TIniFile;

// The executable's folder with a trailing "/", fixed on first use (also
// when that comes before the application object exists).
const QString &ProgramDir();
// Points ProgramDir at another folder (a trailing "/" is added when
// missing) and drops the settings file object, so that the next
// SettingsIniFile opens the new folder's file. An empty Folder returns to the
// executable's folder. For tests, which work in a throw-away folder.
void SetProgramDir(const QString &Folder);

// The INI file object on ProgramDir() + "settings.ini", created on first use;
// owned here, freed by FreeSettingsIniFile (and at SetProgramDir).
TIniFile *SettingsIniFile();
void FreeSettingsIniFile();

// A file or folder that a language file or setting names "relative to the
// program folder": ProgramDir() + Name, cleaned, when that stays below the
// program folder (also after following links); otherwise ProgramDir() +
// Default. "\" separates folders as "/" does, and leading separators are
// dropped. A trailing "/" of Name (a folder) is kept.
QString ProgramDirFile(const QString &Name, const QString &Default);

// Path without the ProgramDir prefix when it begins with it (letter case
// counts); otherwise Path unchanged.
QString MakeRelativePath(const QString &Path);
