// Expression libraries: one input is one library file in a library folder.
// It is loaded as the browser loads the folder, walked, changed by one edit
// (chosen by the input's length), saved and loaded again. The promises:
// a file that does not load is left byte for byte as it was; after a save
// and a reload the library holds what it held in memory (header,
// categories, expressions with their descriptions and variables, and every
// foreign element); a library that did not change is not written, and the
// file a save writes, loaded and saved again, stays byte for byte.
#include "fuzz/FuzzFiles.h"
#include "platform/Classes.h"
#include "tools/model/uKniznica.h"
#include "tools/model/uPrehliadacVyrazov.h"

#include <QFileInfo>

#include <cstddef>
#include <cstdint>

namespace {

void Walk(const TKniznicaVyrazov &Library, const QDomElement &Parent, int Depth, QStringList &Out)
{
    for (QDomElement e = Parent.firstChildElement(); !e.isNull(); e = e.nextSiblingElement()) {
        const QString at = QString::number(Depth) + u' ';
        switch (NodeKind(e)) {
        case NodeCategory:
            Out << at + QStringLiteral("category ") + e.attribute(QStringLiteral("name"));
            Walk(Library, e, Depth + 1, Out);
            break;
        case NodeExpression: {
            QString name, notation, description;
            TStringList variables;
            Library.ReadExpressionNode(e, name, notation, description, variables);
            Out << at + QStringLiteral("expr ") + name + u'|' + notation + u'|' + description + u'|'
                       + variables.Lines().join(u'|');
            break;
        }
        default:
            break;
        }
    }
}

void DumpText(const QString &Text, QString &Out)
{
    Out += QStringLiteral("<3 #text ") + Text + QStringLiteral("></>");
}

// A node and all below it, attributes in the order of their names (the
// document service keeps them in no order of its own). Neighbouring texts
// count as one, as a file can only hold them: an edit that takes out an
// element between two texts leaves two in memory and one after a reload.
void Dump(const QDomNode &Node, QString &Out)
{
    Out += u'<' + QString::number(Node.nodeType()) + u' ' + Node.nodeName() + u' ' + Node.nodeValue();
    const QDomNamedNodeMap attributes = Node.attributes();
    QStringList pairs;
    for (int i = 0; i < attributes.count(); ++i)
        pairs << attributes.item(i).nodeName() + u'=' + attributes.item(i).nodeValue();
    pairs.sort();
    Out += pairs.join(u' ') + u'>';
    QString text;
    bool inText = false;
    for (QDomNode child = Node.firstChild(); !child.isNull(); child = child.nextSibling()) {
        if (child.nodeType() == QDomNode::TextNode) {
            text += child.nodeValue();
            inText = true;
            continue;
        }
        if (inText)
            DumpText(text, Out);
        text.clear();
        inText = false;
        Dump(child, Out);
    }
    if (inText)
        DumpText(text, Out);
    Out += QStringLiteral("</>");
}

// What the program knows of a library, and the rest of the document.
QStringList Known(const TKniznicaVyrazov &Library)
{
    TLibraryInfo info;
    Library.ReadLibraryInfo(info);
    QStringList out{info.Name,      info.Version,     info.Date,       info.Author,
                    info.AuthorWeb, info.AuthorEmail, info.Description};
    Walk(Library, Library.GetDocumentElement(), 0, out);
    // The rest of the document but its prologue (the declaration is written
    // anew, and a document type's entities are already in the text).
    QString document;
    for (QDomNode node = Library.Document.firstChild(); !node.isNull(); node = node.nextSibling())
        if (!node.isDocumentType() && node.nodeName() != QLatin1String("xml"))
            Dump(node, document);
    out << document;
    return out;
}

QDomElement FirstOfKind(const QDomElement &Parent, int Kind)
{
    for (QDomElement e = Parent.firstChildElement(); !e.isNull(); e = e.nextSiblingElement()) {
        if (NodeKind(e) == Kind)
            return e;
        const QDomElement inner = FirstOfKind(e, Kind);
        if (!inner.isNull())
            return inner;
    }
    return QDomElement();
}

// One edit as the browser and its dialogs make them; false for a deletion.
bool Edit(TKniznicaVyrazov &Library, int Choice)
{
    QDomElement root = Library.GetDocumentElement();
    TStringList variables;
    variables.Add(QStringLiteral("x=length"));
    variables.Add(QStringLiteral("y="));
    const QString description = JoinLines({QStringLiteral("first line"), QStringLiteral("a|b")}, u'|');
    switch (Choice) {
    case 0:
        Library.AddExpression(root, QStringLiteral("Area"), QStringLiteral("x*y"), description, variables);
        break;
    case 1:
        Library.AddExpression(Library.AddCategory(root, QString::fromUtf8("Geometria ž")), QStringLiteral("Circle"),
                              QStringLiteral("$pi*r^2"), QString(), variables);
        break;
    case 2: {
        const QDomElement category = FirstOfKind(root, NodeCategory);
        Library.RenameNode(category.isNull() ? root : category, QStringLiteral("Renamed <&> \"'"));
        break;
    }
    case 3: {
        const QDomElement expr = FirstOfKind(root, NodeExpression);
        if (!expr.isNull())
            Library.UpdateExpression(expr, QStringLiteral("Changed"), QStringLiteral("2*x"), description, variables);
        break;
    }
    case 4: {
        TLibraryInfo info;
        Library.ReadLibraryInfo(info);
        info.Author = QStringLiteral("  Someone  ");
        info.Description = description;
        Library.WriteLibraryInfo(info);
        break;
    }
    case 5: {
        const QDomElement expr = FirstOfKind(root, NodeExpression);
        Library.RemoveNode(expr.isNull() ? root : expr);
        break;
    }
    default:
        Library.MarkDeleted(true);
        return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > 65536)
        return 0;
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString name = QStringLiteral("lib/library.xml");
    const QString file = ScratchFile(name);
    WriteScratch(name, input);

    KExpressionViewer viewer;
    QString failed;
    viewer.LoadLibraries(ScratchFile(QStringLiteral("lib")), failed);
    if (viewer.Count() == 0) {
        Check(failed == QStringLiteral("\nlibrary.xml"), "a library that failed is not named", failed);
        Check(viewer.SaveAll().isEmpty(), "nothing to save failed");
        Check(ReadScratch(name) == input, "a library that failed to load was changed");
        return 0;
    }
    Check(viewer.Count() == 1 && failed.isEmpty(), "one file gave another number of libraries");
    TKniznicaVyrazov &library = *viewer.Library(0);
    Check(!library.Modified, "a library is modified by loading it");
    const QStringList loaded = Known(library);

    const bool kept = Edit(library, int(size % 7));
    const bool modified = library.Modified;
    const QStringList edited = Known(library);
    Check(viewer.SaveAll().isEmpty(), "a library could not be saved", file);
    if (!kept) {
        Check(!QFileInfo::exists(file), "a deleted library's file is still there");
        return 0;
    }
    if (!modified)
        Check(ReadScratch(name) == input, "a library that did not change was written");

    TKniznicaVyrazov reloaded;
    QString why;
    Check(reloaded.LoadFromFile(file, &why), "a saved library does not load", why);
    const QStringList again = Known(reloaded);
    for (qsizetype i = 0; i < qMax(edited.size(), again.size()); ++i) {
        const QString before = edited.value(i), after = again.value(i);
        if (before == after)
            continue;
        qsizetype at = 0;
        while (at < before.size() && at < after.size() && before[at] == after[at])
            ++at;
        Fail("a library lost what it held",
             before.mid(qMax(at - 60, 0), 120) + QStringLiteral(" / ") + after.mid(qMax(at - 60, 0), 120));
    }
    // An addition keeps everything known before it (the document's text
    // stands last).
    if (const int choice = int(size % 7); choice <= 1)
        Check(edited.mid(0, loaded.size() - 1) == loaded.mid(0, loaded.size() - 1)
                  && edited.size() == loaded.size() + choice + 1,
              "an addition changed what was there");

    // The program's own form does not change from save to save.
    reloaded.Modified = true;
    Check(reloaded.Save(&why), "a saved library cannot be saved again", why);
    const QByteArray saved = ReadScratch(name);
    Check(reloaded.LoadFromFile(file, &why), "a library saved again does not load", why);
    reloaded.Modified = true;
    Check(reloaded.Save(&why) && ReadScratch(name) == saved, "a library saved again changed");
    return 0;
}
