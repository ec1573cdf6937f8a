#include "tools/model/uKniznica.h"

#include "platform/Classes.h"

#include <QDomNodeList>
#include <QDomProcessingInstruction>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

const QString LibraryTag = QStringLiteral("library");
const QString CategoryTag = QStringLiteral("category");
const QString ExpressionTag = QStringLiteral("expr");
const QString DescriptionTag = QStringLiteral("desc");
const QString VariableTag = QStringLiteral("var");
const QString NameAttr = QStringLiteral("name");

// The files are always written as UTF-8, so a declaration that names
// another encoding (from a file written elsewhere) must not survive a save.
const QString XmlDeclaration = QStringLiteral("version=\"1.0\" encoding=\"UTF-8\"");

void SetElementText(QDomElement Element, const QString &Text)
{
    QDomNode child = Element.firstChild();
    while (!child.isNull()) {
        QDomNode next = child.nextSibling();
        if (child.isText()) // CDATA sections are text nodes too
            Element.removeChild(child);
        child = next;
    }
    if (!Text.isEmpty())
        Element.appendChild(Element.ownerDocument().createTextNode(Text));
}

} // namespace

int NodeKind(const QDomElement &Node)
{
    const QString tag = Node.tagName();
    if (tag == LibraryTag)
        return NodeLibrary;
    if (tag == CategoryTag)
        return NodeCategory;
    if (tag == ExpressionTag)
        return NodeExpression;
    return NodeOther;
}

int ChildIndex(const QDomNode &Node)
{
    const QDomNode parent = Node.parentNode();
    if (parent.isNull())
        return -1;
    int index = 0;
    for (QDomNode child = parent.firstChild(); !child.isNull(); child = child.nextSibling(), ++index)
        if (child == Node)
            return index;
    return -1;
}

// ----------------------------------------------------------- the library

TKniznicaVyrazov::TKniznicaVyrazov() = default;

bool TKniznicaVyrazov::LoadFromFile(const QString &AFileName, QString *ErrorText)
{
    FileName = AFileName;
    Modified = false;
    Document = QDomDocument();

    QFile file(AFileName);
    if (!QFileInfo(AFileName).isFile() || !file.open(QIODevice::ReadOnly)) {
        if (ErrorText)
            *ErrorText = file.errorString();
        return false;
    }
    QString message;
    int line = 0;
    int column = 0;
    if (!Document.setContent(&file, false, &message, &line, &column)) {
        Document = QDomDocument();
        if (ErrorText)
            *ErrorText = QStringLiteral("%1 (%2:%3)").arg(message).arg(line).arg(column);
        return false;
    }
    if (Document.documentElement().tagName() != LibraryTag) {
        if (ErrorText)
            *ErrorText = QStringLiteral("the document element is not \"library\"");
        return false;
    }
    return true;
}

void TKniznicaVyrazov::CreateNew(const TLibraryInfo &Info)
{
    FileName = Info.FileName;
    Document = QDomDocument();
    Document.appendChild(Document.createProcessingInstruction(QStringLiteral("xml"), XmlDeclaration));
    QDomElement root = Document.createElement(LibraryTag);
    Document.appendChild(root);
    root.setAttribute(NameAttr, Info.Name);
    root.setAttribute(QStringLiteral("version"), Info.Version);
    root.setAttribute(QStringLiteral("date"), Info.Date);
    root.setAttribute(QStringLiteral("author"), Info.Author);
    root.setAttribute(QStringLiteral("author-web"), Info.AuthorWeb);
    root.setAttribute(QStringLiteral("author-email"), Info.AuthorEmail);
    if (!Info.Description.isEmpty())
        SetDescription(root, Info.Description, false);
    Modified = true;
}

void TKniznicaVyrazov::ReadLibraryInfo(TLibraryInfo &Info) const
{
    const QDomElement root = GetDocumentElement();
    Info.Name = root.attribute(NameAttr);
    Info.FileName = FileName;
    Info.Version = root.attribute(QStringLiteral("version"));
    Info.Date = root.attribute(QStringLiteral("date"));
    Info.Author = root.attribute(QStringLiteral("author"));
    Info.AuthorWeb = root.attribute(QStringLiteral("author-web"));
    Info.AuthorEmail = root.attribute(QStringLiteral("author-email"));
    Info.Description = DescriptionChild(root).text();
}

void TKniznicaVyrazov::WriteLibraryInfo(const TLibraryInfo &Info)
{
    QDomElement root = GetDocumentElement();
    root.setAttribute(NameAttr, Info.Name);
    FileName = Info.FileName;
    root.setAttribute(QStringLiteral("version"), Info.Version);
    root.setAttribute(QStringLiteral("date"), Info.Date);
    root.setAttribute(QStringLiteral("author"), Info.Author);
    root.setAttribute(QStringLiteral("author-web"), Info.AuthorWeb);
    root.setAttribute(QStringLiteral("author-email"), Info.AuthorEmail);
    SetDescription(root, Info.Description, true);
    Modified = true;
}

QDomElement TKniznicaVyrazov::GetDocumentElement() const
{
    return Document.documentElement();
}

// The library's description is its first "desc" child; an expression's is
// its last one, since reading lets a later "desc" replace an earlier one.
QDomElement TKniznicaVyrazov::DescriptionChild(const QDomElement &Parent) const
{
    if (NodeKind(Parent) == NodeExpression)
        return Parent.lastChildElement(DescriptionTag);
    return Parent.firstChildElement(DescriptionTag);
}

void TKniznicaVyrazov::SetDescription(QDomElement Parent, const QString &Description, bool Replace)
{
    QDomElement desc = Replace ? DescriptionChild(Parent) : QDomElement();
    if (!desc.isNull()) {
        SetElementText(desc, Description);
        return;
    }
    if (Description.isEmpty())
        return;
    desc = Document.createElement(DescriptionTag);
    desc.appendChild(Document.createTextNode(Description));
    // The library's description heads its children; an expression's comes
    // before its variables.
    Parent.insertBefore(desc, Parent.firstChild());
}

void TKniznicaVyrazov::ReadExpressionNode(const QDomElement &Node, QString &Name, QString &Notation,
                                          QString &Description, TStringList &Variables) const
{
    Notation.clear();
    Description.clear();
    Variables.Clear();
    if (Node.isNull() || NodeKind(Node) != NodeExpression)
        return;
    Name = Node.attribute(NameAttr);
    Notation = Node.attribute(QStringLiteral("notation"));
    for (QDomElement child = Node.firstChildElement(); !child.isNull(); child = child.nextSiblingElement()) {
        if (child.tagName() == VariableTag)
            Variables.Add(child.attribute(NameAttr) + u'=' + child.attribute(QStringLiteral("description")));
        else if (child.tagName() == DescriptionTag)
            Description = child.text();
    }
}

QDomElement TKniznicaVyrazov::AddCategory(QDomElement Parent, const QString &Name)
{
    QDomElement category = Document.createElement(CategoryTag);
    category.setAttribute(NameAttr, Name);
    Parent.appendChild(category);
    Modified = true;
    return category;
}

// Every line is read alike: the name is the text before the first "="
// (the whole line without one), the description the rest. A line without
// a name (the empty row of the variables grid, "=") gives no variable.
void TKniznicaVyrazov::WriteVariables(QDomElement Expr, const TStringList &Variables)
{
    for (int i = 0; i < Variables.Count(); ++i) {
        const QString &line = Variables.Strings(i);
        const qsizetype eq = line.indexOf(u'=');
        const QString name = (eq < 0 ? line : line.left(eq)).trimmed();
        if (name.isEmpty())
            continue;
        QDomElement var = Document.createElement(VariableTag);
        var.setAttribute(NameAttr, name);
        var.setAttribute(QStringLiteral("description"), eq < 0 ? QString() : line.mid(eq + 1));
        Expr.appendChild(var);
    }
}

QDomElement TKniznicaVyrazov::AddExpression(QDomElement Parent, const QString &Name, const QString &Notation,
                                            const QString &Description, const TStringList &Variables)
{
    QDomElement expr = Document.createElement(ExpressionTag);
    expr.setAttribute(NameAttr, Name);
    expr.setAttribute(QStringLiteral("notation"), Notation);
    Parent.appendChild(expr);
    SetDescription(expr, Description, false);
    WriteVariables(expr, Variables);
    Modified = true;
    return expr;
}

void TKniznicaVyrazov::UpdateExpression(QDomElement Node, const QString &Name, const QString &Notation,
                                        const QString &Description, const TStringList &Variables)
{
    if (Node.isNull() || NodeKind(Node) != NodeExpression)
        return;
    Node.setAttribute(NameAttr, Name);
    Node.setAttribute(QStringLiteral("notation"), Notation);
    SetDescription(Node, Description, true);
    for (QDomElement var = Node.firstChildElement(VariableTag); !var.isNull();
         var = Node.firstChildElement(VariableTag))
        Node.removeChild(var);
    WriteVariables(Node, Variables);
    Modified = true;
}

void TKniznicaVyrazov::RenameNode(QDomElement Node, const QString &NewName)
{
    if (Node.isNull())
        return;
    Node.setAttribute(NameAttr, NewName);
    Modified = true;
}

void TKniznicaVyrazov::RemoveNode(QDomElement Node)
{
    if (Node.isNull() || Node == GetDocumentElement())
        return;
    QDomNode parent = Node.parentNode();
    if (parent.isNull())
        return;
    parent.removeChild(Node);
    Modified = true;
}

QDomElement TKniznicaVyrazov::InsertNode(QDomElement Parent, const QDomNode &Node, int Index)
{
    if (Parent.isNull() || Node.isNull())
        return QDomElement();
    QDomNode node = Node;
    if (node.ownerDocument() != Document)
        node = Document.importNode(Node, true);
    const QDomNodeList children = Parent.childNodes();
    QDomNode inserted;
    if (Index >= 0 && Index < children.count())
        inserted = Parent.insertBefore(node, children.item(Index));
    else if (Index < 0)
        inserted = Parent.insertBefore(node, Parent.firstChild());
    else
        inserted = Parent.appendChild(node);
    Modified = true;
    return inserted.toElement();
}

void TKniznicaVyrazov::MarkDeleted(bool Flag)
{
    MarkedDeleted = Flag;
    Modified = true;
}

bool TKniznicaVyrazov::Save(QString *ErrorText)
{
    if (!Modified)
        return true;
    if (MarkedDeleted) {
        QFile file(FileName);
        if (file.exists() && !file.remove()) {
            if (ErrorText)
                *ErrorText = file.errorString();
            return false;
        }
        Modified = false;
        return true;
    }

    QDomNode first = Document.firstChild();
    if (first.isProcessingInstruction() && first.nodeName() == QStringLiteral("xml"))
        first.toProcessingInstruction().setData(XmlDeclaration);
    else
        Document.insertBefore(Document.createProcessingInstruction(QStringLiteral("xml"), XmlDeclaration), first);

    QSaveFile file(FileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(Document.toByteArray(2)) < 0 || !file.commit()) {
        if (ErrorText)
            *ErrorText = file.errorString();
        file.cancelWriting();
        return false;
    }
    Modified = false;
    return true;
}

// -------------------------------------------------------- node clipboard

void KNodeClipboard::Copy(const QDomNode &Source)
{
    Clear();
    if (Source.isNull())
        return;
    Holder = QDomDocument();
    Node = Holder.importNode(Source, true);
}

QDomNode KNodeClipboard::GetNode() const
{
    return Node.isNull() ? QDomNode() : Node.cloneNode(true);
}

void KNodeClipboard::Clear()
{
    Node = QDomNode();
    Holder = QDomDocument();
}
