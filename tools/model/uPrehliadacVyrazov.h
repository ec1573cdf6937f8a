#pragma once
// The set of expression libraries that the expression browser shows: every
// "*.xml" file of the library folder, loaded at once, with the routines that
// move, paste and list their nodes the way the browser's tree shows them.
#include "tools/model/uKniznica.h"

#include <QChar>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

// Descriptions are kept on one line: the lines joined with Separator. A
// Separator or a backslash inside a line is written with a backslash before
// it, so every line comes back whole; any other backslash stays as it is,
// which reads texts written without these escapes unchanged.
QString JoinLines(const QStringList &lines, QChar separator);
// Lines := the parts of Text between the separators; an empty text gives
// one empty line, 'a|b|' gives "a", "b" and "".
void SplitLines(const QString &text, QStringList &lines, QChar separator);

// Path as a canonical absolute path, also for a file not written yet (its
// folder resolved); "" for an empty path.
QString CanonicalPath(const QString &path);
// The library folder: Folder + LibraryPath with a trailing "/". The path
// ("\" or "/" separated) is taken inside Folder (the user's folder of the
// program's files); one that is empty or leads out of it gives the default
// "lib/".
QString LibraryFolderIn(const QString &folder, const QString &libraryPath);
// The file a library dialog's file name stands for: a relative name lies in
// Folder, and ".xml" is appended when the name lacks it, so that the file
// loads at the next start.
QString LibraryFileName(const QString &folder, const QString &typed);

// A library that could not be saved and why.
struct TSaveFailure
{
    QString Name; // the library's name
    QString FileName;
    QString Reason;
};

class KExpressionViewer
{
public:
    KExpressionViewer() = default;
    KExpressionViewer(const KExpressionViewer &) = delete;
    KExpressionViewer &operator=(const KExpressionViewer &) = delete;

    // The libraries in the order their files were loaded, then the ones
    // added since.
    int Count() const { return int(Libraries.size()); }
    TKniznicaVyrazov *Library(int index) const { return Libraries.at(size_t(index)).get(); }

    // Drops every library (unsaved changes are lost: ask first) and loads
    // each file "*.xml" of Folder in file-name order; folders are skipped.
    // A file that cannot be read, is no well-formed XML or holds no
    // "library" is left out and Failed gets "\n" + its name (without folder).
    void LoadLibraries(const QString &folder, QString &failed);
    bool IsModified() const;
    // "\n- " + name of every modified library, in order; "" when none.
    QString GetModifiedList() const;
    // A new, modified and not yet saved library with the header of Info.
    TKniznicaVyrazov *AddLibrary(const TLibraryInfo &info);
    // Saves every library in order; the ones that fail stay modified and
    // are returned.
    QList<TSaveFailure> SaveAll();
    // The library (other than Except) whose file is FileName, compared as
    // canonical absolute paths; nullptr when none.
    TKniznicaVyrazov *FindByFileName(const QString &fileName, const TKniznicaVyrazov *except = nullptr) const;
    // The library whose document holds Node; nullptr when none.
    TKniznicaVyrazov *FindOwner(const QDomNode &node) const;

private:
    std::vector<std::unique_ptr<TKniznicaVyrazov>> Libraries;
};

// ------------------------------------------------- the browser's tree rules

// The browser shows every element with a "name" but "var": an element
// without a name is skipped, its children are still shown (under the
// nearest shown ancestor). Visit gets each shown element below Root and
// that ancestor (Root for the top level), depth first in document order.
void ForEachShownElement(const QDomElement &root,
                         const std::function<void(const QDomElement &element, const QDomElement &shownParent)> &visit);
bool IsShownElement(const QDomElement &element);
// The order of shown siblings in the tree: by kind (categories before
// expressions), then in document order. True when A comes before B.
bool ShownOrderLess(const QDomElement &a, const QDomElement &b);
// True when A is B or lies inside B.
bool IsSameOrDescendant(const QDomNode &a, const QDomNode &b);

// A move by drag and drop is allowed for Dragged onto Target: no library is
// dragged, Target is neither Dragged nor inside it, and Before (Shift held)
// does not aim at a library.
bool CanDrop(const QDomElement &dragged, const QDomElement &target, bool before);
// Moves Dragged (of library Source) onto Target (of library Destination):
// before Target when Before is set or Target is no container (an
// expression), otherwise as Target's first shown child. The element is
// copied into the destination (imported from another library) and then
// removed from its source. Returns the moved element, null when refused.
QDomElement DropNode(TKniznicaVyrazov *source, const QDomElement &dragged, TKniznicaVyrazov *destination,
                     const QDomElement &target, bool before);
// Pastes a copy of Copied before Target of library Destination. A library
// is never pasted, and nothing is pasted onto a library: then null.
QDomElement PasteNode(TKniznicaVyrazov *destination, const QDomElement &target, const QDomNode &copied);
