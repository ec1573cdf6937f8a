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

void SetElementText(QDomElement element, const QString &text)
{
    QDomNode child = element.firstChild();
    while (!child.isNull()) {
        QDomNode next = child.nextSibling();
        if (child.isText()) // CDATA sections are text nodes too
            element.removeChild(child);
        child = next;
    }
    if (!text.isEmpty())
        element.appendChild(element.ownerDocument().createTextNode(text));
}

// The document service walks nested elements recursively (when it builds,
// writes and frees a document), so a file nested thousands of levels deep
// would exhaust the stack. No library needs anywhere near this many levels.
// The streaming reader tells the depth of any file; it is the fallback of
// the byte scan below, which is many times faster.
bool WithinNestingLimitSlow(const QByteArray &data)
{
    QXmlStreamReader reader(data);
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
bool WithinNestingLimit(const QByteArray &data)
{
    if (data.contains('\0'))
        return WithinNestingLimitSlow(data);
    const char *p = data.constData();
    const char *const end = p + data.size();
    auto skipPast = [&p, end](const char *terminator) {
        const qsizetype length = qsizetype(qstrlen(terminator));
        const QByteArrayView rest(p, end - p);
        const qsizetype at = rest.indexOf(QByteArrayView(terminator, length));
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
            return WithinNestingLimitSlow(data);
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
int AttributeRank(const QString &name)
{
    static const QStringList known{QStringLiteral("name"),        QStringLiteral("notation"),
                                   QStringLiteral("description"), QStringLiteral("version"),
                                   QStringLiteral("date"),        QStringLiteral("author"),
                                   QStringLiteral("author-web"),  QStringLiteral("author-email")};
    const qsizetype rank = known.indexOf(name);
    return rank < 0 ? int(known.size()) : int(rank);
}

void WriteNode(QXmlStreamWriter &writer, const QDomNode &node)
{
    switch (node.nodeType()) {
    case QDomNode::ElementNode: {
        const QDomElement element = node.toElement();
        writer.writeStartElement(element.tagName());
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
            writer.writeAttribute(name, element.attribute(name));
        for (QDomNode child = node.firstChild(); !child.isNull(); child = child.nextSibling())
            WriteNode(writer, child);
        writer.writeEndElement();
        break;
    }
    case QDomNode::TextNode:
        writer.writeCharacters(node.nodeValue());
        break;
    case QDomNode::CDATASectionNode:
        writer.writeCDATA(node.nodeValue());
        break;
    case QDomNode::CommentNode:
        writer.writeComment(node.nodeValue());
        break;
    case QDomNode::ProcessingInstructionNode:
        // The declaration is written anew: the bytes are always UTF-8.
        if (node.nodeName() != QStringLiteral("xml"))
            writer.writeProcessingInstruction(node.nodeName(), node.nodeValue());
        break;
    case QDomNode::EntityReferenceNode:
        writer.writeEntityReference(node.nodeName());
        break;
    default:
        break;
    }
}

// A character that XML does not allow anywhere (control characters but
// tab, line feed and carriage return, U+FFFE, U+FFFF, a lone surrogate) in
// Text: its code, or -1 when there is none.
int ForbiddenCharacter(QStringView text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && QChar::isLowSurrogate(text.at(i + 1).unicode())) {
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
int ForbiddenCharacter(const QDomNode &node)
{
    int c = ForbiddenCharacter(node.nodeName());
    if (c < 0)
        c = ForbiddenCharacter(node.nodeValue());
    const QDomNamedNodeMap attributes = node.attributes();
    for (int i = 0; c < 0 && i < attributes.count(); ++i)
        c = ForbiddenCharacter(attributes.item(i));
    for (QDomNode child = node.firstChild(); c < 0 && !child.isNull(); child = child.nextSibling())
        c = ForbiddenCharacter(child);
    return c;
}

QString ForbiddenCharacterText(const char *holder, int c)
{
    return QStringLiteral("the %1 holds a character that XML does not allow (U+%2)")
        .arg(QLatin1String(holder), QString::number(c, 16).toUpper().rightJustified(4, u'0'));
}

// The document as saved: UTF-8, indented by two blanks.
QByteArray Serialize(const QDomDocument &document)
{
    QByteArray data;
    QXmlStreamWriter writer(&data);
    writer.setAutoFormatting(true);
    writer.setAutoFormattingIndent(2);
    writer.writeStartDocument();
    for (QDomNode child = document.firstChild(); !child.isNull(); child = child.nextSibling())
        WriteNode(writer, child);
    writer.writeEndDocument();
    return data;
}

} // namespace

int NodeKind(const QDomElement &node)
{
    const QString tag = node.tagName();
    if (tag == LibraryTag)
        return NodeLibrary;
    if (tag == CategoryTag)
        return NodeCategory;
    if (tag == ExpressionTag)
        return NodeExpression;
    return NodeOther;
}

int ChildIndex(const QDomNode &node)
{
    const QDomNode parent = node.parentNode();
    if (parent.isNull())
        return -1;
    int index = 0;
    for (QDomNode child = parent.firstChild(); !child.isNull(); child = child.nextSibling(), ++index)
        if (child == node)
            return index;
    return -1;
}

// ----------------------------------------------------------- the library

TKniznicaVyrazov::TKniznicaVyrazov() = default;

bool TKniznicaVyrazov::LoadFromFile(const QString &aFileName, QString *errorText)
{
    FileName = aFileName;
    Modified = false;
    Document = QDomDocument();

    QFile file(aFileName);
    if (!QFileInfo(aFileName).isFile() || !file.open(QIODevice::ReadOnly)) {
        if (errorText)
            *errorText = file.errorString();
        return false;
    }
    const QByteArray data = file.readAll();
    if (!WithinNestingLimit(data)) {
        if (errorText)
            *errorText = QStringLiteral("elements nested more than %1 levels deep").arg(MaxNestingDepth);
        return false;
    }
    QString message;
    int line = 0;
    int column = 0;
    if (!Document.setContent(data, false, &message, &line, &column)) {
        Document = QDomDocument();
        if (errorText)
            *errorText = QStringLiteral("%1 (%2:%3)").arg(message).arg(line).arg(column);
        return false;
    }
    if (Document.documentElement().tagName() != LibraryTag) {
        if (errorText)
            *errorText = QStringLiteral("the document element is not \"library\"");
        return false;
    }
    if (const int c = ForbiddenCharacter(Document); c >= 0) {
        Document = QDomDocument();
        if (errorText)
            *errorText = ForbiddenCharacterText("file", c);
        return false;
    }
    return true;
}

void TKniznicaVyrazov::CreateNew(const TLibraryInfo &info)
{
    FileName = info.FileName;
    Document = QDomDocument();
    Document.appendChild(Document.createProcessingInstruction(QStringLiteral("xml"), XmlDeclaration));
    QDomElement root = Document.createElement(LibraryTag);
    Document.appendChild(root);
    root.setAttribute(NameAttr, info.Name);
    root.setAttribute(QStringLiteral("version"), info.Version);
    root.setAttribute(QStringLiteral("date"), info.Date);
    root.setAttribute(QStringLiteral("author"), info.Author);
    root.setAttribute(QStringLiteral("author-web"), info.AuthorWeb);
    root.setAttribute(QStringLiteral("author-email"), info.AuthorEmail);
    if (!info.Description.isEmpty())
        SetDescription(root, info.Description, false);
    Modified = true;
}

void TKniznicaVyrazov::ReadLibraryInfo(TLibraryInfo &info) const
{
    const QDomElement root = GetDocumentElement();
    info.Name = root.attribute(NameAttr);
    info.FileName = FileName;
    info.Version = root.attribute(QStringLiteral("version"));
    info.Date = root.attribute(QStringLiteral("date"));
    info.Author = root.attribute(QStringLiteral("author"));
    info.AuthorWeb = root.attribute(QStringLiteral("author-web"));
    info.AuthorEmail = root.attribute(QStringLiteral("author-email"));
    info.Description = DescriptionChild(root).text();
}

void TKniznicaVyrazov::WriteLibraryInfo(const TLibraryInfo &info)
{
    QDomElement root = GetDocumentElement();
    root.setAttribute(NameAttr, info.Name);
    FileName = info.FileName;
    root.setAttribute(QStringLiteral("version"), info.Version);
    root.setAttribute(QStringLiteral("date"), info.Date);
    root.setAttribute(QStringLiteral("author"), info.Author);
    root.setAttribute(QStringLiteral("author-web"), info.AuthorWeb);
    root.setAttribute(QStringLiteral("author-email"), info.AuthorEmail);
    SetDescription(root, info.Description, true);
    Modified = true;
}

QDomElement TKniznicaVyrazov::GetDocumentElement() const
{
    return Document.documentElement();
}

// The library's description is its first "desc" child; an expression's is
// its last one, since reading lets a later "desc" replace an earlier one.
QDomElement TKniznicaVyrazov::DescriptionChild(const QDomElement &parent) const
{
    if (NodeKind(parent) == NodeExpression)
        return parent.lastChildElement(DescriptionTag);
    return parent.firstChildElement(DescriptionTag);
}

void TKniznicaVyrazov::SetDescription(QDomElement parent, const QString &description, bool replace)
{
    QDomElement desc = replace ? DescriptionChild(parent) : QDomElement();
    if (!desc.isNull()) {
        SetElementText(desc, description);
        return;
    }
    if (description.isEmpty())
        return;
    desc = Document.createElement(DescriptionTag);
    desc.appendChild(Document.createTextNode(description));
    // The library's description heads its children; an expression's comes
    // before its variables.
    parent.insertBefore(desc, parent.firstChild());
}

void TKniznicaVyrazov::ReadExpressionNode(const QDomElement &node, QString &name, QString &notation,
                                          QString &description, TStringList &variables) const
{
    notation.clear();
    description.clear();
    variables.Clear();
    if (node.isNull() || NodeKind(node) != NodeExpression)
        return;
    name = node.attribute(NameAttr);
    notation = node.attribute(QStringLiteral("notation"));
    for (QDomElement child = node.firstChildElement(); !child.isNull(); child = child.nextSiblingElement()) {
        if (child.tagName() == VariableTag)
            variables.Add(child.attribute(NameAttr) + u'=' + child.attribute(QStringLiteral("description")));
        else if (child.tagName() == DescriptionTag)
            description = child.text();
    }
}

QDomElement TKniznicaVyrazov::AddCategory(QDomElement parent, const QString &name)
{
    QDomElement category = Document.createElement(CategoryTag);
    category.setAttribute(NameAttr, name);
    parent.appendChild(category);
    Modified = true;
    return category;
}

// Every line is read alike: the name is the text before the first "="
// (the whole line without one), the description the rest. A line without
// a name (the empty row of the variables grid, "=") gives no variable.
void TKniznicaVyrazov::WriteVariables(QDomElement expr, const TStringList &variables)
{
    for (int i = 0; i < variables.Count(); ++i) {
        const QString &line = variables.Strings(i);
        const qsizetype eq = line.indexOf(u'=');
        const QString name = (eq < 0 ? line : line.left(eq)).trimmed();
        if (name.isEmpty())
            continue;
        QDomElement var = Document.createElement(VariableTag);
        var.setAttribute(NameAttr, name);
        var.setAttribute(QStringLiteral("description"), eq < 0 ? QString() : line.mid(eq + 1));
        expr.appendChild(var);
    }
}

QDomElement TKniznicaVyrazov::AddExpression(QDomElement parent, const QString &name, const QString &notation,
                                            const QString &description, const TStringList &variables)
{
    QDomElement expr = Document.createElement(ExpressionTag);
    expr.setAttribute(NameAttr, name);
    expr.setAttribute(QStringLiteral("notation"), notation);
    parent.appendChild(expr);
    SetDescription(expr, description, false);
    WriteVariables(expr, variables);
    Modified = true;
    return expr;
}

void TKniznicaVyrazov::UpdateExpression(QDomElement node, const QString &name, const QString &notation,
                                        const QString &description, const TStringList &variables)
{
    if (node.isNull() || NodeKind(node) != NodeExpression)
        return;
    node.setAttribute(NameAttr, name);
    node.setAttribute(QStringLiteral("notation"), notation);
    SetDescription(node, description, true);
    for (QDomElement var = node.firstChildElement(VariableTag); !var.isNull();
         var = node.firstChildElement(VariableTag))
        node.removeChild(var);
    WriteVariables(node, variables);
    Modified = true;
}

void TKniznicaVyrazov::RenameNode(QDomElement node, const QString &newName)
{
    if (node.isNull())
        return;
    node.setAttribute(NameAttr, newName);
    Modified = true;
}

void TKniznicaVyrazov::RemoveNode(QDomElement node)
{
    if (node.isNull() || node == GetDocumentElement())
        return;
    QDomNode parent = node.parentNode();
    if (parent.isNull())
        return;
    parent.removeChild(node);
    Modified = true;
}

QDomElement TKniznicaVyrazov::InsertNode(QDomElement parent, const QDomNode &node, int index)
{
    if (parent.isNull() || node.isNull())
        return QDomElement();
    QDomNode adopted = node;
    if (adopted.ownerDocument() != Document)
        adopted = Document.importNode(node, true);
    const QDomNodeList children = parent.childNodes();
    QDomNode inserted;
    if (index >= 0 && index < children.count())
        inserted = parent.insertBefore(adopted, children.item(index));
    else if (index < 0)
        inserted = parent.insertBefore(adopted, parent.firstChild());
    else
        inserted = parent.appendChild(adopted);
    Modified = true;
    return inserted.toElement();
}

void TKniznicaVyrazov::MarkDeleted(bool flag)
{
    MarkedDeleted = flag;
    Modified = true;
}

bool TKniznicaVyrazov::Save(QString *errorText)
{
    if (!Modified)
        return true;
    if (MarkedDeleted) {
        QFile file(FileName);
        if (file.exists() && !file.remove()) {
            if (errorText)
                *errorText = file.errorString();
            return false;
        }
        Modified = false;
        return true;
    }

    if (const int c = ForbiddenCharacter(Document); c >= 0) {
        if (errorText)
            *errorText = ForbiddenCharacterText("library", c);
        return false;
    }
    QString reason;
    if (!TryWriteFileAtomically(FileName, Serialize(Document), reason)) {
        if (errorText)
            *errorText = reason;
        return false;
    }
    Modified = false;
    return true;
}

// -------------------------------------------------------- node clipboard

void KNodeClipboard::Copy(const QDomNode &source)
{
    Clear();
    if (source.isNull())
        return;
    m_holder = QDomDocument();
    Node = m_holder.importNode(source, true);
}

QDomNode KNodeClipboard::GetNode() const
{
    return Node.isNull() ? QDomNode() : Node.cloneNode(true);
}

void KNodeClipboard::Clear()
{
    Node = QDomNode();
    m_holder = QDomDocument();
}
