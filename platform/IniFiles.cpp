#include "platform/IniFiles.h"

#include "platform/IOUtils.h"
#include "platform/SysUtils.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QMutexLocker>
#include <QStringDecoder>
#include <QStringEncoder>

#include <sys/stat.h>
#include <time.h>

namespace {

// At most this many characters of a value are returned, as the
// private-profile functions fill a buffer of 2048 with its terminator.
constexpr qsizetype MaxValueLength = 2047;

// What identifies one version of the file on disk: a replacement by rename
// gives a new inode, an edit in place a new size or new times.
struct FileId
{
    bool exists = false;
    dev_t dev = 0;
    ino_t ino = 0;
    off_t size = 0;
    qint64 modified = 0; // nanoseconds
    qint64 changed = 0;
    bool operator==(const FileId &o) const
    {
        return exists == o.exists && dev == o.dev && ino == o.ino && size == o.size && modified == o.modified
               && changed == o.changed;
    }
};

qint64 Nanoseconds(const struct timespec &t)
{
    return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
}

// The clock the file system takes its times from: a file changed at this
// moment or later may change again without a new time.
qint64 FileClockNow()
{
    struct timespec ts;
    clock_gettime(CLOCK_REALTIME_COARSE, &ts);
    return Nanoseconds(ts);
}

FileId StatFile(const QString &name)
{
    FileId id;
    struct stat st;
    if (::stat(QFile::encodeName(name).constData(), &st) == 0) {
        id.exists = true;
        id.dev = st.st_dev;
        id.ino = st.st_ino;
        id.size = st.st_size;
        id.modified = Nanoseconds(st.st_mtim);
        id.changed = Nanoseconds(st.st_ctim);
    }
    return id;
}

bool IsBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

QString TrimBlanks(QStringView s)
{
    qsizetype a = 0;
    qsizetype b = s.size();
    while (a < b && IsBlank(s.at(a)))
        ++a;
    while (b > a && IsBlank(s.at(b - 1)))
        --b;
    return s.mid(a, b - a).toString();
}

// Text of one line: UTF-8, or byte by byte when it is not valid UTF-8, so
// that no file can make a read fail.
QString Decode(const QByteArray &bytes)
{
    QStringDecoder dec(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString s = dec(bytes);
    if (dec.hasError())
        return QString::fromLatin1(bytes);
    return s;
}

QString Fold(const QString &s)
{
    return s.toCaseFolded();
}

// Line breaks inside a written text would split its line.
QString OneLine(const QString &s)
{
    QString r = s;
    for (QChar &c : r)
        if (c == u'\r' || c == u'\n')
            c = u' ';
    return r;
}

// A value as it is written so that reading gives it back: one that reading
// would change (blanks around it, or enclosing quotation marks of its own)
// goes in one more pair of quotation marks, which reading takes off.
QString Stored(const QString &value)
{
    const bool blanks = !value.isEmpty() && (IsBlank(value.front()) || IsBlank(value.back()));
    const bool quoted = value.size() >= 2 && value.startsWith(u'"') && value.endsWith(u'"');
    return blanks || quoted ? u'"' + value + u'"' : value;
}

enum class LineKind {
    Other,
    Header,
    Key
};

struct ParsedLine
{
    LineKind kind = LineKind::Other;
    QString name;      // section name or key name, as written
    qsizetype eq = -1; // position of "=" in a key line
};

ParsedLine Parse(const QString &line)
{
    ParsedLine p;
    qsizetype i = 0;
    while (i < line.size() && IsBlank(line.at(i)))
        ++i;
    if (i >= line.size())
        return p;
    const QChar first = line.at(i);
    if (first == u'[') {
        qsizetype close = line.indexOf(u']', i + 1);
        if (close < 0)
            close = line.size();
        p.kind = LineKind::Header;
        p.name = TrimBlanks(QStringView(line).mid(i + 1, close - i - 1));
        return p;
    }
    if (first == u';')
        return p;
    const qsizetype eq = line.indexOf(u'=', i);
    if (eq < 0)
        return p;
    p.kind = LineKind::Key;
    p.name = TrimBlanks(QStringView(line).mid(i, eq - i));
    p.eq = eq;
    return p;
}

QString ValueOf(const QString &line, qsizetype eq)
{
    QString v = TrimBlanks(QStringView(line).mid(eq + 1));
    if (v.size() >= 2 && v.startsWith(u'"') && v.endsWith(u'"'))
        v = v.mid(1, v.size() - 2);
    if (v.size() > MaxValueLength) {
        qsizetype n = MaxValueLength;
        if (v.at(n - 1).isHighSurrogate())
            --n;
        v.truncate(n);
    }
    return v;
}

} // namespace

// ------------------------------------------------------------ parsed file

struct TIniFile::Data
{
    bool exists = false;
    bool readable = true;
    bool tooLarge = false;
    bool bom = false;
    // A file written by a Unicode editor as UTF-16 is kept in UTF-16.
    enum {
        Utf8,
        Utf16LE,
        Utf16BE
    } encoding = Utf8;
    QByteArray eol = "\r\n";
    QList<QByteArray> raw; // lines without their breaks
    QStringList text;      // the same lines decoded

    struct Section
    {
        QString name;
        int header = 0;
        int end = 0; // first line after the section
    };
    QList<Section> sections;
    QHash<QString, int> firstSection;         // folded name -> index into sections
    QHash<QString, QHash<QString, int>> keys; // folded section -> folded key -> line

    void setBytes(const QByteArray &all);
    QByteArray bytes() const;
    void reindex();
    void setLine(int i, const QString &s)
    {
        raw[i] = s.toUtf8();
        text[i] = s;
    }
    void insertLine(int i, const QString &s)
    {
        raw.insert(i, s.toUtf8());
        text.insert(i, s);
    }
    void removeLines(int from, int count)
    {
        raw.remove(from, count);
        text.remove(from, count);
    }
    // Names are looked up as the file holds them: without surrounding blanks.
    const Section *section(const QString &name) const
    {
        const auto it = firstSection.constFind(Fold(TrimBlanks(name)));
        return it == firstSection.cend() ? nullptr : &sections.at(*it);
    }
    int keyLine(const QString &section, const QString &ident) const
    {
        const auto s = keys.constFind(Fold(TrimBlanks(section)));
        if (s == keys.cend())
            return -1;
        const auto k = s->constFind(Fold(TrimBlanks(ident)));
        return k == s->cend() ? -1 : *k;
    }
};

void TIniFile::Data::setBytes(const QByteArray &bytes)
{
    QByteArray all = bytes;
    if (all.startsWith("\xFF\xFE") || all.startsWith("\xFE\xFF")) {
        encoding = all.startsWith("\xFF\xFE") ? Utf16LE : Utf16BE;
        QStringDecoder dec(encoding == Utf16LE ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE);
        all = QString(dec(all.mid(2))).toUtf8();
    }
    qsizetype i = 0;
    if (all.startsWith("\xEF\xBB\xBF")) {
        bom = true;
        i = 3;
    }
    bool eolSeen = false;
    const qsizetype n = all.size();
    qsizetype start = i;
    for (; i < n; ++i) {
        const char c = all.at(i);
        if (c != '\r' && c != '\n')
            continue;
        raw.append(all.mid(start, i - start));
        const bool crlf = c == '\r' && i + 1 < n && all.at(i + 1) == '\n';
        if (!eolSeen) {
            eol = crlf ? QByteArray("\r\n") : QByteArray(1, c);
            eolSeen = true;
        }
        if (crlf)
            ++i;
        start = i + 1;
    }
    if (start < n)
        raw.append(all.mid(start));
    text.reserve(raw.size());
    for (const QByteArray &line : raw)
        text.append(Decode(line));
    reindex();
}

QByteArray TIniFile::Data::bytes() const
{
    QByteArray out;
    if (bom)
        out += "\xEF\xBB\xBF";
    for (const QByteArray &line : raw) {
        out += line;
        out += eol;
    }
    if (encoding != Utf8) {
        QStringEncoder enc(encoding == Utf16LE ? QStringEncoder::Utf16LE : QStringEncoder::Utf16BE);
        out = (encoding == Utf16LE ? QByteArray("\xFF\xFE") : QByteArray("\xFE\xFF"))
              + QByteArray(enc(QString::fromUtf8(out)));
    }
    return out;
}

void TIniFile::Data::reindex()
{
    sections.clear();
    firstSection.clear();
    keys.clear();
    QHash<QString, int> *current = nullptr;
    for (int i = 0; i < text.size(); ++i) {
        const ParsedLine p = Parse(text.at(i));
        if (p.kind == LineKind::Header) {
            if (!sections.isEmpty())
                sections.last().end = i;
            sections.append({p.name, i, int(text.size())});
            const QString folded = Fold(p.name);
            if (!firstSection.contains(folded)) {
                firstSection.insert(folded, int(sections.size()) - 1);
                current = &keys[folded];
            } else {
                // A repeated section is never looked into: the first wins.
                current = nullptr;
            }
        } else if (p.kind == LineKind::Key && current) {
            const QString folded = Fold(p.name);
            if (!current->contains(folded))
                current->insert(folded, i);
        }
    }
    if (!sections.isEmpty())
        sections.last().end = int(text.size());
}

struct TIniFile::Cache
{
    QMutex mutex;
    FileId id;
    bool loaded = false;
    // File times are coarse (a few milliseconds): a version read in the
    // tick it was written in could change again without a new time or
    // size, so it is read once more.
    bool trusted = false;
    std::shared_ptr<const Data> data;
    // Writes of a group, held until the group writes the file once.
    std::shared_ptr<Data> pending;
    bool grouped = false;
    // Reads of a read group look at the file once.
    int readGroups = 0;
    bool checkedInGroup = false;

    bool valid(const FileId &now) const { return loaded && trusted && now == id; }
    // Before is the file clock taken before the file was looked at.
    void set(const FileId &now, qint64 before, std::shared_ptr<const Data> d)
    {
        id = now;
        data = std::move(d);
        loaded = true;
        trusted = !now.exists || qMax(now.modified, now.changed) < before;
    }
};

namespace {

std::shared_ptr<TIniFile::Data> LoadData(const QString &name, const FileId &id, qint64 maxSize)
{
    auto d = std::make_shared<TIniFile::Data>();
    d->exists = id.exists;
    if (!id.exists)
        return d;
    if (id.size > maxSize) {
        d->readable = false;
        d->tooLarge = true;
        return d;
    }
    QFile f(name);
    if (!f.open(QIODevice::ReadOnly)) {
        d->readable = false;
        return d;
    }
    // One byte more than allowed tells a file that grew (or a device).
    QByteArray all;
    if (!ReadFileAtMost(f, maxSize, all)) {
        d->readable = false;
        return d;
    }
    if (all.size() > maxSize) {
        d->readable = false;
        d->tooLarge = true;
        return d;
    }
    d->setBytes(all);
    return d;
}

void WriteData(const QString &name, const TIniFile::Data &d)
{
    QString reason;
    if (!TryWriteFileAtomically(name, d.bytes(), reason))
        throw EIniFileException(QStringLiteral("Unable to write to %1").arg(name));
}

} // namespace

// ---------------------------------------------------------------- TIniFile

TIniFile::TIniFile(const QString &fileName, qint64 maxSize)
    : m_fileName(fileName), m_maxSize(maxSize), m_cache(std::make_unique<Cache>())
{}

TIniFile::~TIniFile() = default;

std::shared_ptr<const TIniFile::Data> TIniFile::data() const
{
    QMutexLocker lock(&m_cache->mutex);
    if (m_cache->pending)
        return m_cache->pending;
    if (m_cache->readGroups > 0 && m_cache->checkedInGroup)
        return m_cache->data;
    const qint64 before = FileClockNow();
    const FileId id = StatFile(m_fileName);
    if (!m_cache->valid(id)) {
        try {
            m_cache->set(id, before, LoadData(m_fileName, id, m_maxSize));
        } catch (...) {
            // Out of memory on an absurd file: it reads as empty.
            auto d = std::make_shared<Data>();
            d->exists = true;
            d->readable = false;
            m_cache->set(id, before, d);
        }
    }
    m_cache->checkedInGroup = m_cache->readGroups > 0;
    return m_cache->data;
}

std::shared_ptr<TIniFile::Data> TIniFile::current()
{
    const FileId id = StatFile(m_fileName);
    std::shared_ptr<const Data> now = m_cache->valid(id) ? m_cache->data : LoadData(m_fileName, id, m_maxSize);
    if (now->exists && !now->readable)
        throw EIniFileException(QStringLiteral("Unable to write to %1").arg(m_fileName));
    return std::make_shared<Data>(*now);
}

void TIniFile::modify(const std::function<bool(Data &)> &change)
{
    QMutexLocker lock(&m_cache->mutex);
    if (m_cache->grouped) {
        // The file was read once when the group began; it is written once
        // when the group ends.
        if (!m_cache->pending)
            m_cache->pending = current();
        if (change(*m_cache->pending))
            m_cache->pending->reindex();
        return;
    }
    std::shared_ptr<Data> next = current();
    if (!change(*next))
        return;
    next->reindex();
    WriteData(m_fileName, *next);
    next->exists = true;
    next->readable = true;
    m_cache->set(StatFile(m_fileName), FileClockNow(), next);
    m_cache->checkedInGroup = false;
}

void TIniFile::BeginReadGroup() const
{
    QMutexLocker lock(&m_cache->mutex);
    if (m_cache->readGroups++ == 0)
        m_cache->checkedInGroup = false;
}

void TIniFile::EndReadGroup() const
{
    QMutexLocker lock(&m_cache->mutex);
    if (m_cache->readGroups > 0)
        --m_cache->readGroups;
}

bool TIniFile::TooLarge() const
{
    return data()->tooLarge;
}

QString TIniFile::ReadString(const QString &section, const QString &ident, const QString &def) const
{
    const auto d = data();
    const int line = d->keyLine(section, ident);
    if (line < 0)
        return def;
    const QString &t = d->text.at(line);
    return ValueOf(t, t.indexOf(u'='));
}

int TIniFile::ReadInteger(const QString &section, const QString &ident, int def) const
{
    const QString s = ReadString(section, ident, QString());
    if (s.isEmpty())
        return def;
    QStringView hex;
    if (s.size() > 2 && s.at(0) == u'0' && (s.at(1) == u'x' || s.at(1) == u'X'))
        hex = QStringView(s).mid(2);
    else if (s.size() > 1 && s.at(0) == u'$')
        hex = QStringView(s).mid(1);
    if (!hex.isNull()) {
        if (hex.size() > 8)
            return def;
        quint32 v = 0;
        for (const QChar c : hex) {
            int d;
            if (c >= u'0' && c <= u'9')
                d = c.unicode() - u'0';
            else if (c >= u'a' && c <= u'f')
                d = c.unicode() - u'a' + 10;
            else if (c >= u'A' && c <= u'F')
                d = c.unicode() - u'A' + 10;
            else
                return def;
            v = v * 16 + quint32(d);
        }
        return int(v);
    }
    // Blanks inside are damage too: the value is already trimmed.
    if (s.at(0) == u' ')
        return def;
    int v = 0;
    return TryStrToInt(s, v) ? v : def;
}

bool TIniFile::ReadBool(const QString &section, const QString &ident, bool def) const
{
    return ReadInteger(section, ident, def ? 1 : 0) != 0;
}

void TIniFile::WriteString(const QString &section, const QString &ident, const QString &value)
{
    const QString sec = OneLine(section);
    const QString key = OneLine(ident);
    const QString val = Stored(OneLine(value));
    modify([&](Data &d) {
        const int line = d.keyLine(sec, key);
        if (line >= 0) {
            const QString &old = d.text.at(line);
            // The key and its "=" keep their spelling and spacing.
            qsizetype keep = old.indexOf(u'=') + 1;
            while (keep < old.size() && IsBlank(old.at(keep)))
                ++keep;
            const QString updated = old.left(keep) + val;
            if (updated == old)
                return false;
            d.setLine(line, updated);
            return true;
        }
        const QString entry = key + u'=' + val;
        if (const Data::Section *s = d.section(sec)) {
            // After the section's last non-blank line, so that blank lines
            // before the next section stay where they are.
            int at = s->end;
            while (at > s->header + 1 && TrimBlanks(d.text.at(at - 1)).isEmpty())
                --at;
            d.insertLine(at, entry);
            return true;
        }
        d.insertLine(int(d.text.size()), u'[' + sec + u']');
        d.insertLine(int(d.text.size()), entry);
        return true;
    });
}

void TIniFile::WriteInteger(const QString &section, const QString &ident, int value)
{
    WriteString(section, ident, QString::number(value));
}

void TIniFile::WriteBool(const QString &section, const QString &ident, bool value)
{
    WriteString(section, ident, value ? QStringLiteral("1") : QStringLiteral("0"));
}

bool TIniFile::SectionExists(const QString &section) const
{
    return data()->section(section) != nullptr;
}

bool TIniFile::ValueExists(const QString &section, const QString &ident) const
{
    return data()->keyLine(section, ident) >= 0;
}

void TIniFile::ReadSection(const QString &section, QStringList &idents) const
{
    idents.clear();
    const auto d = data();
    const Data::Section *s = d->section(section);
    if (!s)
        return;
    for (int i = s->header + 1; i < s->end; ++i) {
        const ParsedLine p = Parse(d->text.at(i));
        if (p.kind == LineKind::Key)
            idents.append(p.name);
    }
}

void TIniFile::ReadSections(QStringList &sections) const
{
    sections.clear();
    const auto d = data();
    for (const Data::Section &s : d->sections)
        if (d->section(s.name) == &s)
            sections.append(s.name);
}

void TIniFile::ReadSectionValues(const QString &section, QStringList &values) const
{
    values.clear();
    QStringList idents;
    ReadSection(section, idents);
    for (const QString &ident : idents)
        values.append(ident + u'=' + ReadString(section, ident, QString()));
}

void TIniFile::EraseSection(const QString &section)
{
    modify([&](Data &d) {
        bool changed = false;
        const QString folded = Fold(TrimBlanks(section));
        for (qsizetype i = d.sections.size() - 1; i >= 0; --i) {
            const Data::Section &s = d.sections.at(i);
            if (Fold(s.name) == folded) {
                d.removeLines(s.header, s.end - s.header);
                changed = true;
            }
        }
        return changed;
    });
}

void TIniFile::DeleteKey(const QString &section, const QString &ident)
{
    modify([&](Data &d) {
        const int line = d.keyLine(section, ident);
        if (line < 0)
            return false;
        d.removeLines(line, 1);
        return true;
    });
}

void WriteIniAtomically(const QString &fileName, const std::function<void(TIniFile &)> &writes)
{
    TIniFile ini(fileName);
    {
        QMutexLocker lock(&ini.m_cache->mutex);
        ini.m_cache->grouped = true;
        // Read the file now: a file that cannot be read is never replaced,
        // also when the group happens to write nothing.
        ini.m_cache->pending = ini.current();
    }
    const TIniFile::Data before = *ini.m_cache->pending;
    writes(ini);
    QMutexLocker lock(&ini.m_cache->mutex);
    const TIniFile::Data &after = *ini.m_cache->pending;
    if (after.exists && after.raw == before.raw)
        return;
    WriteData(fileName, after);
}
