#include "platform/Classes.h"

#include "platform/IOUtils.h"

#include <QFile>

namespace {

[[noreturn]] void IndexError(int index)
{
    throw EStringListError(QStringLiteral("List index out of bounds (%1)").arg(index));
}

bool SameText(QStringView a, QStringView b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

} // namespace

const QString &TStringList::Strings(int index) const
{
    if (index < 0 || index >= m_lines.size())
        IndexError(index);
    return m_lines.at(index);
}

void TStringList::SetStrings(int index, const QString &s)
{
    if (index < 0 || index >= m_lines.size())
        IndexError(index);
    m_lines[index] = s;
}

QString &TStringList::operator[](int index)
{
    if (index < 0 || index >= m_lines.size())
        IndexError(index);
    return m_lines[index];
}

int TStringList::Add(const QString &s)
{
    m_lines.append(s);
    return int(m_lines.size()) - 1;
}

void TStringList::Insert(int index, const QString &s)
{
    if (index < 0 || index > m_lines.size())
        IndexError(index);
    m_lines.insert(index, s);
}

void TStringList::Delete(int index)
{
    if (index < 0 || index >= m_lines.size())
        IndexError(index);
    m_lines.removeAt(index);
}

int TStringList::IndexOf(const QString &s) const
{
    for (int i = 0; i < m_lines.size(); ++i)
        if (SameText(m_lines.at(i), s))
            return i;
    return -1;
}

int TStringList::IndexOfName(const QString &name) const
{
    for (int i = 0; i < m_lines.size(); ++i) {
        const QString &line = m_lines.at(i);
        const qsizetype eq = line.indexOf(u'=');
        if (eq >= 0 && SameText(QStringView(line).left(eq), name))
            return i;
    }
    return -1;
}

QString TStringList::Names(int index) const
{
    const QString &line = Strings(index);
    const qsizetype eq = line.indexOf(u'=');
    return eq < 0 ? QString() : line.left(eq);
}

QString TStringList::ValueFromIndex(int index) const
{
    const QString &line = Strings(index);
    const qsizetype eq = line.indexOf(u'=');
    return eq < 0 ? QString() : line.mid(eq + 1);
}

QString TStringList::Values(const QString &name) const
{
    const int i = IndexOfName(name);
    return i < 0 ? QString() : ValueFromIndex(i);
}

void TStringList::SetValues(const QString &name, const QString &value)
{
    const int i = IndexOfName(name);
    if (value.isEmpty()) {
        if (i >= 0)
            m_lines.removeAt(i);
        return;
    }
    if (i < 0)
        m_lines.append(name + u'=' + value);
    else
        m_lines[i] = name + u'=' + value;
}

QString TStringList::Text() const
{
    QString out;
    for (const QString &line : m_lines) {
        out += line;
        out += QStringLiteral("\r\n");
    }
    return out;
}

void TStringList::SetText(const QString &text)
{
    m_lines.clear();
    const qsizetype n = text.size();
    qsizetype start = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c != u'\r' && c != u'\n')
            continue;
        m_lines.append(text.mid(start, i - start));
        if (c == u'\r' && i + 1 < n && text.at(i + 1) == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < n)
        m_lines.append(text.mid(start));
}

void TStringList::LoadFromFile(const QString &fileName, qint64 maxSize)
{
    QFile f(fileName);
    if (!f.open(QIODevice::ReadOnly))
        throw EFOpenError(QStringLiteral("Cannot open file \"%1\". %2").arg(fileName, f.errorString()));
    QByteArray bytes;
    if (!ReadFileAtMost(f, maxSize, bytes))
        throw EFOpenError(QStringLiteral("Cannot open file \"%1\". %2").arg(fileName, f.errorString()));
    if (bytes.size() > maxSize)
        throw EFileTooLarge(QStringLiteral("File \"%1\" is too large (%2 bytes, at most %3).")
                                .arg(fileName)
                                .arg(qMax(f.size(), qint64(bytes.size())))
                                .arg(maxSize));
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    SetText(DecodeUtf8Lossless(bytes));
}

void TStringList::SaveToFile(const QString &fileName) const
{
    // Loading takes one byte-order mark off; a first line that begins with
    // one of its own keeps it behind another.
    QByteArray bytes = EncodeUtf8Lossless(Text());
    if (!m_lines.isEmpty() && m_lines.first().startsWith(QChar(0xFEFF)))
        bytes.prepend("\xEF\xBB\xBF");
    QString reason;
    if (!TryWriteFileAtomically(fileName, bytes, reason))
        throw EFCreateError(QStringLiteral("Cannot create file \"%1\". %2").arg(fileName, reason));
}
