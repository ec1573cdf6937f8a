#include "tools/model/uKniznica.h"

#include "platform/Classes.h"
#include "platform/IOUtils.h"

#include <QByteArrayView>
#include <QDomNamedNodeMap>
#include <QDomNodeList>
#include <QDomProcessingInstruction>
#include <QFile>
#include <QFileInfo>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <algorithm>
#include <cstring>

namespace {

const QString LibraryTag = QStringLiteral("library");
const QString CategoryTag = QStringLiteral("category");
const QString ExpressionTag = QStringLiteral("expr");
const QString DescriptionTag = QStringLiteral("desc");
const QString VariableTag = QStringLiteral("var");
const QString NameAttr = QStringLiteral("name");

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

// The document service walks nested elements recursively (when it builds,
// writes and frees a document), so a file nested thousands of levels deep
// would exhaust the stack. No library needs anywhere near this many levels.
// The streaming reader tells the depth of any file; it is the fallback of
// the byte scan below, which is many times faster.
bool WithinNestingLimitSlow(const QByteArray &Data)
{
    QXmlStreamReader reader(Data);
    int depth = 0;
    while (!reader.atEnd()) {
        const QXmlStreamReader::TokenType token = reader.readNext();
        if (token == QXmlStreamReader::StartElement && ++depth > MaxNestingDepth)
            return false;
        if (token == QXmlStreamReader::EndElement)
            --depth;
    }
    return true; // syntax errors are reported by the real parse
}

// The depth of a file in an 8-bit encoding (UTF-8 or any that keeps ASCII):
// markup is found by its ASCII characters. Comments, CDATA sections and
// processing instructions are skipped, quoted attribute values are read
// past; a document type declaration (whose inner syntax is richer) and
// 16-bit text go to the streaming reader.
bool WithinNestingLimit(const QByteArray &Data)
{
    if (Data.contains('\0'))
        return WithinNestingLimitSlow(Data);
    const char *p = Data.constData();
    const char *const end = p + Data.size();
    auto skipPast = [&p, end](const char *Terminator) {
        const qsizetype length = qsizetype(qstrlen(Terminator));
        const QByteArrayView rest(p, end - p);
        const qsizetype at = rest.indexOf(QByteArrayView(Terminator, length));
        p = at < 0 ? end : p + at + length;
    };
    int depth = 0;
    while (p < end) {
        p = static_cast<const char *>(memchr(p, '<', size_t(end - p)));
        if (!p || ++p >= end)
            break;
        const QByteArrayView rest(p, end - p);
        if (rest.startsWith("!--")) {
            skipPast("-->");
        } else if (rest.startsWith("![CDATA[")) {
            skipPast("]]>");
        } else if (*p == '!') {
            return WithinNestingLimitSlow(Data);
        } else if (*p == '?') {
            skipPast("?>");
        } else if (*p == '/') {
            --depth;
            skipPast(">");
        } else {
            if (++depth > MaxNestingDepth)
                return false;
            char quote = 0;
            for (; p < end; ++p) {
                const char c = *p;
                if (quote) {
                    if (c == quote)
                        quote = 0;
                } else if (c == '"' || c == '\'') {
                    quote = c;
                } else if (c == '>') {
                    if (p[-1] == '/')
                        --depth;
                    ++p;
                    break;
                }
            }
        }
    }
    return true;
}

// Where an attribute stands in a saved element: the program's own in a
// fixed order, foreign ones after them by name. The document service keeps
// no order of its own, and files should not change from save to save.
int AttributeRank(const QString &Name)
{
    static const QStringList known{QStringLiteral("name"),        QStringLiteral("notation"),
                                   QStringLiteral("description"), QStringLiteral("version"),
                                   QStringLiteral("date"),        QStringLiteral("author"),
                                   QStringLiteral("author-web"),  QStringLiteral("author-email")};
    const qsizetype rank = known.indexOf(Name);
    return rank < 0 ? int(known.size()) : int(rank);
}

void WriteNode(QXmlStreamWriter &Writer, const QDomNode &Node)
{
    switch (Node.nodeType()) {
    case QDomNode::ElementNode: {
        const QDomElement element = Node.toElement();
        Writer.writeStartElement(element.tagName());
        const QDomNamedNodeMap attributes = element.attributes();
        QStringList names;
        for (int i = 0; i < attributes.count(); ++i)
            names << attributes.item(i).nodeName();
        std::sort(names.begin(), names.end(), [](const QString &a, const QString &b) {
            const int ra = AttributeRank(a);
            const int rb = AttributeRank(b);
            return ra != rb ? ra < rb : a < b;
        });
        for (const QString &name : names)
            Writer.writeAttribute(name, element.attribute(name));
        for (QDomNode child = Node.firstChild(); !child.isNull(); child = child.nextSibling())
            WriteNode(Writer, child);
        Writer.writeEndElement();
        break;
    }
    case QDomNode::TextNode:
        Writer.writeCharacters(Node.nodeValue());
        break;
    case QDomNode::CDATASectionNode:
        Writer.writeCDATA(Node.nodeValue());
        break;
    case QDomNode::CommentNode:
        Writer.writeComment(Node.nodeValue());
        break;
    case QDomNode::ProcessingInstructionNode:
        // The declaration is written anew: the bytes are always UTF-8.
        if (Node.nodeName() != QStringLiteral("xml"))
            Writer.writeProcessingInstruction(Node.nodeName(), Node.nodeValue());
        break;
    case QDomNode::EntityReferenceNode:
        Writer.writeEntityReference(Node.nodeName());
        break;
    default:
        break;
    }
}

// A character that XML does not allow anywhere (control characters but
// tab, line feed and carriage return, U+FFFE, U+FFFF, a lone surrogate) in
// Text: its code, or -1 when there is none.
int ForbiddenCharacter(QStringView Text)
{
    for (qsizetype i = 0; i < Text.size(); ++i) {
        const char16_t c = Text.at(i).unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < Text.size() && QChar::isLowSurrogate(Text.at(i + 1).unicode())) {
            ++i;
            continue;
        }
        if ((c < 0x20 && c != 0x9 && c != 0xA && c != 0xD) || c == 0xFFFE || c == 0xFFFF || QChar::isSurrogate(c))
            return c;
    }
    return -1;
}

// The first such character in a node's names, values and texts, or -1. The
// document service takes some of them from a file, and the writer would
// put them into a file that no longer reads back.
int ForbiddenCharacter(const QDomNode &Node)
{
    int c = ForbiddenCharacter(Node.nodeName());
    if (c < 0)
        c = ForbiddenCharacter(Node.nodeValue());
    const QDomNamedNodeMap attributes = Node.attributes();
    for (int i = 0; c < 0 && i < attributes.count(); ++i)
        c = ForbiddenCharacter(attributes.item(i));
    for (QDomNode child = Node.firstChild(); c < 0 && !child.isNull(); child = child.nextSibling())
        c = ForbiddenCharacter(child);
    return c;
}

QString ForbiddenCharacterText(const char *Holder, int C)
{
    return QStringLiteral("the %1 holds a character that XML does not allow (U+%2)")
        .arg(QLatin1String(Holder), QString::number(C, 16).toUpper().rightJustified(4, u'0'));
}

// The document as saved: UTF-8, indented by two blanks.
QByteArray Serialize(const QDomDocument &Document)
{
    QByteArray data;
    QXmlStreamWriter writer(&data);
    writer.setAutoFormatting(true);
    writer.setAutoFormattingIndent(2);
    writer.writeStartDocument();
    for (QDomNode child = Document.firstChild(); !child.isNull(); child = child.nextSibling())
        WriteNode(writer, child);
    writer.writeEndDocument();
    return data;
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
    const QByteArray data = file.readAll();
    if (!WithinNestingLimit(data)) {
        if (ErrorText)
            *ErrorText = QStringLiteral("elements nested more than %1 levels deep").arg(MaxNestingDepth);
        return false;
    }
    QString message;
    int line = 0;
    int column = 0;
    if (!Document.setContent(data, false, &message, &line, &column)) {
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
    if (const int c = ForbiddenCharacter(Document); c >= 0) {
        Document = QDomDocument();
        if (ErrorText)
            *ErrorText = ForbiddenCharacterText("file", c);
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

    if (const int c = ForbiddenCharacter(Document); c >= 0) {
        if (ErrorText)
            *ErrorText = ForbiddenCharacterText("library", c);
        return false;
    }
    QString reason;
    if (!TryWriteFileAtomically(FileName, Serialize(Document), reason)) {
        if (ErrorText)
            *ErrorText = reason;
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
