#pragma once
// Refuses a further running copy of the same executable. Copies started from
// one file meet through names made from that file's path: a lock file per
// allowed copy (taken atomically, so two copies starting at the same moment
// cannot both get the same one, and released by the system when a copy dies)
// and a local socket on which the registered copy listens for "bring your
// window to the front". Copies of the program in another folder use other
// names and never meet.
#include <QString>

#include <functional>

// The executable's full path with every "/" removed; set by
// CheckPreviousInstance, emptied by ReleasePreviousInstance.
extern QString MappingName;
// True while this copy counts as one of the running copies.
extern bool InstanceRegistered;

// Returns True when this copy must end: MaxInstances copies already run, and
// the one registered last has been asked to restore and raise its window.
// Otherwise this copy registers itself, becomes the one that later starts are
// sent to, and returns False; Activate then runs (on the main thread) each
// time a later start asks for the window. Writes no file of the program's
// folder. Needs a running Q(Core)Application.
bool CheckPreviousInstance(std::function<void()> activate, int maxInstances);

// Gives this copy's place back (also done at process end by the system).
void ReleasePreviousInstance();

// The name of the local socket on which the copy started from ExecutablePath
// listens (also the stem of its lock files in the temporary folder).
QString InstanceServerName(const QString &executablePath);

// For tests: the lock and socket names are made from this path instead of
// the running executable's path (empty: the executable's path).
void SetInstancePathForTests(const QString &path);
