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

QString JoinLines(const QStringList &lines, QChar separator)
{
    QString text;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i > 0)
            text += separator;
        const QString &line = lines.at(i);
        for (qsizetype k = 0; k < line.size(); ++k) {
            const QChar c = line.at(k);
            if (c == separator) {
                text += u'\\';
            } else if (c == u'\\') {
                // Only a backslash that the reader would take for an escape
                // is doubled; "C:\dir" stays as it is.
                const bool last = k + 1 == line.size();
                if (last || line.at(k + 1) == separator || line.at(k + 1) == u'\\')
                    text += u'\\';
            }
            text += c;
        }
    }
    return text;
}

void SplitLines(const QString &text, QStringList &lines, QChar separator)
{
    lines.clear();
    QString line;
    for (qsizetype k = 0; k < text.size(); ++k) {
        const QChar c = text.at(k);
        if (c == u'\\' && k + 1 < text.size() && (text.at(k + 1) == separator || text.at(k + 1) == u'\\')) {
            line += text.at(++k);
        } else if (c == separator) {
            lines.append(line);
            line.clear();
        } else {
            line += c;
        }
    }
    lines.append(line);
}

// -------------------------------------------------------- the library set

void KExpressionViewer::LoadLibraries(const QString &folder, QString &failed)
{
    QString withSlash = folder;
    if (!withSlash.endsWith(u'/'))
        withSlash += u'/';
    Libraries.clear();
    failed.clear();

    const QFileInfoList entries = QDir(withSlash).entryInfoList({QStringLiteral("*.xml")}, QDir::Files | QDir::Hidden,
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
            ok[size_t(i)] = loaded[size_t(i)]->LoadFromFile(withSlash + entries.at(i).fileName());
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
            failed += u'\n' + entries.at(i).fileName();
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

TKniznicaVyrazov *KExpressionViewer::AddLibrary(const TLibraryInfo &info)
{
    Libraries.push_back(std::make_unique<TKniznicaVyrazov>());
    Libraries.back()->CreateNew(info);
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

QString CanonicalPath(const QString &path)
{
    if (path.isEmpty())
        return QString();
    const QFileInfo info(QDir::cleanPath(path));
    if (info.exists())
        return info.canonicalFilePath();
    // A file not written yet: its folder may still be reached by links.
    const QString folder = info.absoluteDir().canonicalPath();
    if (!folder.isEmpty())
        return folder + u'/' + info.fileName();
    return QDir::cleanPath(info.absoluteFilePath());
}

QString LibraryFolderIn(const QString &folder, const QString &libraryPath)
{
    QString libraryFolder = PathBelowFolder(folder, libraryPath);
    if (libraryFolder.isEmpty())
        libraryFolder = QDir::cleanPath(folder) + QStringLiteral("/lib");
    if (!libraryFolder.endsWith(u'/'))
        libraryFolder += u'/';
    return libraryFolder;
}

QString LibraryFileName(const QString &folder, const QString &typed)
{
    QString name = typed.trimmed();
    if (name.isEmpty())
        return QString();
    if (QDir::isRelativePath(name))
        name = QDir(folder).filePath(name);
    if (!name.endsWith(QStringLiteral(".xml"), Qt::CaseInsensitive))
        name += QStringLiteral(".xml");
    return QDir::cleanPath(name);
}

TKniznicaVyrazov *KExpressionViewer::FindByFileName(const QString &fileName, const TKniznicaVyrazov *except) const
{
    const QString wanted = CanonicalPath(fileName);
    if (wanted.isEmpty())
        return nullptr;
    for (const auto &library : Libraries)
        if (library.get() != except && !library->MarkedDeleted && CanonicalPath(library->FileName) == wanted)
            return library.get();
    return nullptr;
}

TKniznicaVyrazov *KExpressionViewer::FindOwner(const QDomNode &node) const
{
    const QDomDocument owner = node.ownerDocument();
    for (const auto &library : Libraries)
        if (library->Document == owner)
            return library.get();
    return nullptr;
}

// ------------------------------------------------------- the tree rules

bool IsShownElement(const QDomElement &element)
{
    return element.hasAttribute(QStringLiteral("name")) && element.tagName() != QStringLiteral("var");
}

void ForEachShownElement(const QDomElement &root,
                         const std::function<void(const QDomElement &, const QDomElement &)> &visit)
{
    // An explicit stack: a file nested thousands of levels deep must not
    // exhaust the call stack.
    std::vector<std::pair<QDomElement, QDomElement>> pending;
    auto pushChildren = [&pending](const QDomElement &parent, const QDomElement &shownParent) {
        for (QDomElement child = parent.lastChildElement(); !child.isNull(); child = child.previousSiblingElement())
            pending.emplace_back(child, shownParent);
    };
    pushChildren(root, root);
    while (!pending.empty()) {
        auto [element, shownParent] = std::move(pending.back());
        pending.pop_back();
        if (element.tagName() == QStringLiteral("var"))
            continue;
        if (IsShownElement(element)) {
            visit(element, shownParent);
            pushChildren(element, element);
        } else {
            pushChildren(element, shownParent);
        }
    }
}

namespace {

// Child positions from the document down to Node.
std::vector<int> DocumentPath(QDomNode node)
{
    std::vector<int> path;
    for (; !node.isNull() && !node.parentNode().isNull(); node = node.parentNode())
        path.push_back(ChildIndex(node));
    return {path.rbegin(), path.rend()};
}

bool IsContainer(const QDomElement &element)
{
    const int kind = NodeKind(element);
    return kind == NodeLibrary || kind == NodeCategory;
}

// Where a container's first shown child goes: before its first child
// element that is neither its description nor a variable (so after the
// library's "desc"), or at the end when it has none.
int FirstContentIndex(const QDomElement &container)
{
    int index = 0;
    for (QDomNode child = container.firstChild(); !child.isNull(); child = child.nextSibling(), ++index) {
        const QDomElement element = child.toElement();
        if (!element.isNull() && element.tagName() != QStringLiteral("desc")
            && element.tagName() != QStringLiteral("var"))
            return index;
    }
    return index;
}

} // namespace

bool ShownOrderLess(const QDomElement &a, const QDomElement &b)
{
    const int kindA = NodeKind(a);
    const int kindB = NodeKind(b);
    if (kindA != kindB)
        return kindA < kindB;
    return DocumentPath(a) < DocumentPath(b);
}

bool IsSameOrDescendant(const QDomNode &a, const QDomNode &b)
{
    for (QDomNode node = a; !node.isNull(); node = node.parentNode())
        if (node == b)
            return true;
    return false;
}

bool CanDrop(const QDomElement &dragged, const QDomElement &target, bool before)
{
    if (dragged.isNull() || target.isNull())
        return false;
    if (dragged == dragged.ownerDocument().documentElement() || NodeKind(dragged) == NodeLibrary)
        return false;
    if (IsSameOrDescendant(target, dragged))
        return false;
    return !(before && target == target.ownerDocument().documentElement());
}

QDomElement DropNode(TKniznicaVyrazov *source, const QDomElement &dragged, TKniznicaVyrazov *destination,
                     const QDomElement &target, bool before)
{
    if (!source || !destination || !CanDrop(dragged, target, before))
        return QDomElement();
    const QDomNode copy = dragged.cloneNode(true);
    QDomElement moved;
    if (before || !IsContainer(target))
        moved = destination->InsertNode(target.parentNode().toElement(), copy, ChildIndex(target));
    else
        moved = destination->InsertNode(target, copy, FirstContentIndex(target));
    if (!moved.isNull())
        source->RemoveNode(dragged);
    return moved;
}

QDomElement PasteNode(TKniznicaVyrazov *destination, const QDomElement &target, const QDomNode &copied)
{
    if (!destination || target.isNull() || copied.isNull())
        return QDomElement();
    if (NodeKind(copied.toElement()) == NodeLibrary || target == target.ownerDocument().documentElement())
        return QDomElement();
    return destination->InsertNode(target.parentNode().toElement(), copied, ChildIndex(target));
}
