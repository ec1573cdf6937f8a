#include "tools/model/uPrehliadacVyrazov.h"

#include "platform/SysUtils.h"

#include <QDir>
#include <QFileInfo>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <thread>

#include <utility>

// ------------------------------------------------------ one-line texts

QString JoinLines(const QStringList &Lines, QChar Separator)
{
    QString text;
    for (qsizetype i = 0; i < Lines.size(); ++i) {
        if (i > 0)
            text += Separator;
        const QString &line = Lines.at(i);
        for (qsizetype k = 0; k < line.size(); ++k) {
            const QChar c = line.at(k);
            if (c == Separator) {
                text += u'\\';
            } else if (c == u'\\') {
                // Only a backslash that the reader would take for an escape
                // is doubled; "C:\dir" stays as it is.
                const bool last = k + 1 == line.size();
                if (last || line.at(k + 1) == Separator || line.at(k + 1) == u'\\')
                    text += u'\\';
            }
            text += c;
        }
    }
    return text;
}

void SplitLines(const QString &Text, QStringList &Lines, QChar Separator)
{
    Lines.clear();
    QString line;
    for (qsizetype k = 0; k < Text.size(); ++k) {
        const QChar c = Text.at(k);
        if (c == u'\\' && k + 1 < Text.size() && (Text.at(k + 1) == Separator || Text.at(k + 1) == u'\\')) {
            line += Text.at(++k);
        } else if (c == Separator) {
            Lines.append(line);
            line.clear();
        } else {
            line += c;
        }
    }
    Lines.append(line);
}

// -------------------------------------------------------- the library set

void KExpressionViewer::LoadLibraries(const QString &Folder, QString &Failed)
{
    QString folder = Folder;
    if (!folder.endsWith(u'/'))
        folder += u'/';
    Libraries.clear();
    Failed.clear();

    const QFileInfoList entries = QDir(folder).entryInfoList({QStringLiteral("*.xml")}, QDir::Files | QDir::Hidden,
                                                             QDir::Name | QDir::IgnoreCase);
    const int count = int(entries.size());
    std::vector<std::unique_ptr<TKniznicaVyrazov>> loaded(static_cast<size_t>(count));
    std::vector<char> ok(static_cast<size_t>(count), 0);

    // Every document is parsed on its own, so the files are shared out
    // among a few threads; the results keep the file-name order.
    std::atomic<int> next{0};
    auto work = [&] {
        for (int i = next++; i < count; i = next++) {
            loaded[size_t(i)] = std::make_unique<TKniznicaVyrazov>();
            ok[size_t(i)] = loaded[size_t(i)]->LoadFromFile(folder + entries.at(i).fileName());
        }
    };
    const int threads = std::clamp(QThread::idealThreadCount(), 1, std::min(4, std::max(count, 1)));
    std::vector<std::thread> helpers;
    for (int t = 1; t < threads; ++t)
        helpers.emplace_back(work);
    work();
    for (std::thread &helper : helpers)
        helper.join();

    Libraries.reserve(size_t(count));
    for (int i = 0; i < count; ++i) {
        if (ok[size_t(i)])
            Libraries.push_back(std::move(loaded[size_t(i)]));
        else
            Failed += u'\n' + entries.at(i).fileName();
    }
}

bool KExpressionViewer::IsModified() const
{
    for (const auto &library : Libraries)
        if (library->Modified)
            return true;
    return false;
}

QString KExpressionViewer::GetModifiedList() const
{
    QString list;
    TLibraryInfo info;
    for (const auto &library : Libraries) {
        if (!library->Modified)
            continue;
        library->ReadLibraryInfo(info);
        list += QStringLiteral("\n- ") + info.Name;
    }
    return list;
}

TKniznicaVyrazov *KExpressionViewer::AddLibrary(const TLibraryInfo &Info)
{
    Libraries.push_back(std::make_unique<TKniznicaVyrazov>());
    Libraries.back()->CreateNew(Info);
    return Libraries.back().get();
}

QList<TSaveFailure> KExpressionViewer::SaveAll()
{
    QList<TSaveFailure> failures;
    TLibraryInfo info;
    for (const auto &library : Libraries) {
        QString reason;
        if (library->Save(&reason))
            continue;
        library->ReadLibraryInfo(info);
        failures.append({info.Name, library->FileName, reason});
    }
    return failures;
}

QString CanonicalPath(const QString &Path)
{
    if (Path.isEmpty())
        return QString();
    const QFileInfo info(QDir::cleanPath(Path));
    if (info.exists())
        return info.canonicalFilePath();
    // A file not written yet: its folder may still be reached by links.
    const QString folder = info.absoluteDir().canonicalPath();
    if (!folder.isEmpty())
        return folder + u'/' + info.fileName();
    return QDir::cleanPath(info.absoluteFilePath());
}

QString LibraryFolderIn(const QString &Folder, const QString &LibraryPath)
{
    QString folder = PathBelowFolder(Folder, LibraryPath);
    if (folder.isEmpty())
        folder = QDir::cleanPath(Folder) + QStringLiteral("/lib");
    if (!folder.endsWith(u'/'))
        folder += u'/';
    return folder;
}

QString LibraryFileName(const QString &Folder, const QString &Typed)
{
    QString name = Typed.trimmed();
    if (name.isEmpty())
        return QString();
    if (QDir::isRelativePath(name))
        name = QDir(Folder).filePath(name);
    if (!name.endsWith(QStringLiteral(".xml"), Qt::CaseInsensitive))
        name += QStringLiteral(".xml");
    return QDir::cleanPath(name);
}

TKniznicaVyrazov *KExpressionViewer::FindByFileName(const QString &FileName, const TKniznicaVyrazov *Except) const
{
    const QString wanted = CanonicalPath(FileName);
    if (wanted.isEmpty())
        return nullptr;
    for (const auto &library : Libraries)
        if (library.get() != Except && !library->MarkedDeleted && CanonicalPath(library->FileName) == wanted)
            return library.get();
    return nullptr;
}

TKniznicaVyrazov *KExpressionViewer::FindOwner(const QDomNode &Node) const
{
    const QDomDocument owner = Node.ownerDocument();
    for (const auto &library : Libraries)
        if (library->Document == owner)
            return library.get();
    return nullptr;
}

// ------------------------------------------------------- the tree rules

bool IsShownElement(const QDomElement &Element)
{
    return Element.hasAttribute(QStringLiteral("name")) && Element.tagName() != QStringLiteral("var");
}

void ForEachShownElement(const QDomElement &Root,
                         const std::function<void(const QDomElement &, const QDomElement &)> &Visit)
{
    // An explicit stack: a file nested thousands of levels deep must not
    // exhaust the call stack.
    std::vector<std::pair<QDomElement, QDomElement>> pending;
    auto pushChildren = [&pending](const QDomElement &parent, const QDomElement &shownParent) {
        for (QDomElement child = parent.lastChildElement(); !child.isNull(); child = child.previousSiblingElement())
            pending.emplace_back(child, shownParent);
    };
    pushChildren(Root, Root);
    while (!pending.empty()) {
        auto [element, shownParent] = std::move(pending.back());
        pending.pop_back();
        if (element.tagName() == QStringLiteral("var"))
            continue;
        if (IsShownElement(element)) {
            Visit(element, shownParent);
            pushChildren(element, element);
        } else {
            pushChildren(element, shownParent);
        }
    }
}

namespace {

// Child positions from the document down to Node.
std::vector<int> DocumentPath(QDomNode Node)
{
    std::vector<int> path;
    for (; !Node.isNull() && !Node.parentNode().isNull(); Node = Node.parentNode())
        path.push_back(ChildIndex(Node));
    return {path.rbegin(), path.rend()};
}

bool IsContainer(const QDomElement &Element)
{
    const int kind = NodeKind(Element);
    return kind == NodeLibrary || kind == NodeCategory;
}

// Where a container's first shown child goes: before its first child
// element that is neither its description nor a variable (so after the
// library's "desc"), or at the end when it has none.
int FirstContentIndex(const QDomElement &Container)
{
    int index = 0;
    for (QDomNode child = Container.firstChild(); !child.isNull(); child = child.nextSibling(), ++index) {
        const QDomElement element = child.toElement();
        if (!element.isNull() && element.tagName() != QStringLiteral("desc")
            && element.tagName() != QStringLiteral("var"))
            return index;
    }
    return index;
}

} // namespace

bool ShownOrderLess(const QDomElement &A, const QDomElement &B)
{
    const int kindA = NodeKind(A);
    const int kindB = NodeKind(B);
    if (kindA != kindB)
        return kindA < kindB;
    return DocumentPath(A) < DocumentPath(B);
}

bool IsSameOrDescendant(const QDomNode &A, const QDomNode &B)
{
    for (QDomNode node = A; !node.isNull(); node = node.parentNode())
        if (node == B)
            return true;
    return false;
}

bool CanDrop(const QDomElement &Dragged, const QDomElement &Target, bool Before)
{
    if (Dragged.isNull() || Target.isNull())
        return false;
    if (Dragged == Dragged.ownerDocument().documentElement() || NodeKind(Dragged) == NodeLibrary)
        return false;
    if (IsSameOrDescendant(Target, Dragged))
        return false;
    return !(Before && Target == Target.ownerDocument().documentElement());
}

QDomElement DropNode(TKniznicaVyrazov *Source, const QDomElement &Dragged, TKniznicaVyrazov *Destination,
                     const QDomElement &Target, bool Before)
{
    if (!Source || !Destination || !CanDrop(Dragged, Target, Before))
        return QDomElement();
    const QDomNode copy = Dragged.cloneNode(true);
    QDomElement moved;
    if (Before || !IsContainer(Target))
        moved = Destination->InsertNode(Target.parentNode().toElement(), copy, ChildIndex(Target));
    else
        moved = Destination->InsertNode(Target, copy, FirstContentIndex(Target));
    if (!moved.isNull())
        Source->RemoveNode(Dragged);
    return moved;
}

QDomElement PasteNode(TKniznicaVyrazov *Destination, const QDomElement &Target, const QDomNode &Copied)
{
    if (!Destination || Target.isNull() || Copied.isNull())
        return QDomElement();
    if (NodeKind(Copied.toElement()) == NodeLibrary || Target == Target.ownerDocument().documentElement())
        return QDomElement();
    return Destination->InsertNode(Target.parentNode().toElement(), Copied, ChildIndex(Target));
}
