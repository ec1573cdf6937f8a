#pragma once
// One expression library: an XML file of ready-made formulas, kept in memory
// as a DOM document so that everything the program does not know (foreign
// elements, attributes, comments) is written back unchanged.
//
//   <library name version date author author-web author-email>
//     <desc>line|line</desc>
//     <category name>  ...categories and expressions, to any depth...
//     <expr name notation><desc/><var name description/>...</expr>
//   </library>
//
// Elements and attributes are compared with their letter case. Descriptions
// keep their lines joined into one text (JoinLines, uPrehliadacVyrazov.h).
#include <QDomDocument>
#include <QDomElement>
#include <QString>

class TStringList;

// Files nested deeper are refused when loaded.
inline constexpr int MaxNestingDepth = 256;

// The header of a library.
struct TLibraryInfo
{
    QString Name;
    QString FileName;
    QString Version;
    QString Date;
    QString Author;
    QString AuthorWeb;
    QString AuthorEmail;
    QString Description; // lines joined with "|"
};

// The kind of an element, from its name.
enum TNodeKind : int {
    NodeLibrary = 0,
    NodeCategory = 1,
    NodeExpression = 2,
    NodeOther = 3,
};
int NodeKind(const QDomElement &node);

class TKniznicaVyrazov
{
public:
    TKniznicaVyrazov();

    QDomDocument Document;
    bool Modified = false;
    bool MarkedDeleted = false;
    QString FileName; // full path of the library's file

    // Parses the file; true exactly when it is well-formed XML whose
    // document element is "library" and which holds no character that XML
    // does not allow (a control character, also as a character reference). ErrorText tells why not (it may be
    // null). Modified is cleared either way; MarkedDeleted is left alone.
    bool LoadFromFile(const QString &aFileName, QString *errorText = nullptr);
    // An empty library with the header of Info (every attribute written,
    // also the empty ones); nothing reaches the disk before Save.
    void CreateNew(const TLibraryInfo &info);
    void ReadLibraryInfo(TLibraryInfo &info) const;
    // Writes every header attribute; Info.FileName becomes the file that the
    // next Save writes (the old file stays). An existing description takes
    // the new text, also an empty one; a missing one is added only when the
    // new text is not empty.
    void WriteLibraryInfo(const TLibraryInfo &info);
    QDomElement GetDocumentElement() const;

    // Notation, Description and Variables are cleared; for an "expr" element
    // they (and Name) are filled, the variables as "name=description" lines
    // in document order; for other elements Name is left alone.
    void ReadExpressionNode(const QDomElement &node, QString &name, QString &notation, QString &description,
                            TStringList &variables) const;

    QDomElement AddCategory(QDomElement parent, const QString &name);
    // Appends an "expr" to Parent. The description goes into a "desc" child
    // when it is not empty; every variable line with a name becomes a "var"
    // child (see WriteVariables).
    QDomElement AddExpression(QDomElement parent, const QString &name, const QString &notation,
                              const QString &description, const TStringList &variables);
    // Only for an "expr" element: name, notation, description (see
    // WriteLibraryInfo for the description rule) and the variables replaced.
    void UpdateExpression(QDomElement node, const QString &name, const QString &notation, const QString &description,
                          const TStringList &variables);
    // Sets the "name" attribute of any element.
    void RenameNode(QDomElement node, const QString &newName);
    // Removes Node from its parent; the document element is never removed.
    void RemoveNode(QDomElement node);
    // Inserts Node into Parent's children at Index (0-based among all child
    // nodes; past the end appends). A node of another document (a paste, a
    // drop from another library) is imported first. Returns the element that
    // now stands in this document.
    QDomElement InsertNode(QDomElement parent, const QDomNode &node, int index);
    void MarkDeleted(bool flag);

    // Only when Modified: deletes the file when marked deleted, otherwise
    // writes the document atomically (a temporary file renamed over the
    // old one); a document holding a character that XML does not allow is
    // not written, since it would not read back. Modified is cleared only
    // on success; on failure false is returned with the reason in
    // ErrorText and the library stays modified.
    bool Save(QString *errorText = nullptr);

private:
    QDomElement DescriptionChild(const QDomElement &parent) const;
    void SetDescription(QDomElement parent, const QString &description, bool replace);
    void WriteVariables(QDomElement expr, const TStringList &variables);
};

// The position of Node among its parent's child nodes, -1 without parent.
int ChildIndex(const QDomNode &node);

// A copied subtree for copy, cut and paste. It keeps its own document, so
// the copy outlives a reload of the library it came from.
class KNodeClipboard
{
public:
    KNodeClipboard() = default;
    ~KNodeClipboard() { Clear(); }

    // Holds a deep copy of Node.
    void Copy(const QDomNode &node);
    // A new deep copy on every call, so one copy pastes any number of times.
    QDomNode GetNode() const;
    bool IsEmpty() const { return Node.isNull(); }
    void Clear();

private:
    QDomDocument m_holder;
    QDomNode Node;
};
