#include "platform/os/IniFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace qv_ini_detail {

// ------------------------------------------------------------ the document
// The file is kept as its lines, byte for byte; each line is classified once
// when read. Only lines that are written are re-made, so the rest of the file
// (comments, order, foreign encodings, line ends) survives a rewrite.

enum class Kind : quint8 { Other, Section, Key };

struct Line {
    QByteArray raw;   // without its line end
    QByteArray eol;   // "\n", "\r\n", or empty for a last line without one
    Kind kind = Kind::Other;
    QString name;     // section name or key, trimmed
    int valueStart = 0;   // keys: offset of the value in raw (just after '=')
};

struct Doc {
    std::vector<Line> lines;
    QByteArray bom;
    QByteArray eol = "\n";   // line end used for new lines
};

static bool IsBlankByte(char c) { return c == ' ' || c == '\t'; }

QString TrimBlanks(const QString& s)
{
    int b = 0, e = s.size();
    auto blank = [](QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\r'); };
    while (b < e && blank(s[b])) ++b;
    while (e > b && blank(s[e - 1])) --e;
    return s.mid(b, e - b);
}

static void Classify(Line& l)
{
    const QByteArray& r = l.raw;
    int b = 0, e = r.size();
    while (b < e && IsBlankByte(r[b])) ++b;
    while (e > b && IsBlankByte(r[e - 1])) --e;
    l.kind = Kind::Other;
    l.name.clear();
    if (b == e || r[b] == ';') return;
    if (r[b] == '[') {
        int close = r.lastIndexOf(']', e - 1);
        int end = close > b ? close : e;
        l.kind = Kind::Section;
        l.name = TrimBlanks(QString::fromUtf8(r.constData() + b + 1, end - b - 1));
        return;
    }
    int eq = r.indexOf('=', b);
    if (eq < 0 || eq >= e) return;
    l.kind = Kind::Key;
    l.name = TrimBlanks(QString::fromUtf8(r.constData() + b, eq - b));
    l.valueStart = eq + 1;
}

static Doc Parse(const QByteArray& data)
{
    Doc d;
    int pos = 0;
    const int n = data.size();
    if (data.startsWith("\xEF\xBB\xBF")) {
        d.bom = data.left(3);
        pos = 3;
    }
    bool eolSeen = false;
    while (pos < n) {
        int nl = data.indexOf('\n', pos);
        Line l;
        if (nl < 0) {
            // The last line without a line end (a lone CR is no line end here).
            l.raw = data.mid(pos);
            pos = n;
        } else {
            l.raw = data.mid(pos, nl - pos);
            if (l.raw.endsWith('\r')) {
                l.raw.chop(1);
                l.eol = "\r\n";
            } else {
                l.eol = "\n";
            }
            pos = nl + 1;
        }
        if (!eolSeen && !l.eol.isEmpty()) {
            d.eol = l.eol;
            eolSeen = true;
        }
        Classify(l);
        d.lines.push_back(std::move(l));
    }
    return d;
}

static QByteArray Serialize(const Doc& d)
{
    QByteArray out = d.bom;
    qsizetype size = out.size();
    for (const Line& l : d.lines) size += l.raw.size() + l.eol.size();
    out.reserve(size);
    for (const Line& l : d.lines) {
        out += l.raw;
        out += l.eol;
    }
    return out;
}

static bool SameName(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

// Header line of the first section of that name, or -1.
static int FindSection(const Doc& d, const QString& section)
{
    for (size_t i = 0; i < d.lines.size(); ++i)
        if (d.lines[i].kind == Kind::Section && SameName(d.lines[i].name, section)) return int(i);
    return -1;
}

// One past the last line of the section whose header is at h.
static int SectionEnd(const Doc& d, int h)
{
    size_t i = size_t(h) + 1;
    while (i < d.lines.size() && d.lines[i].kind != Kind::Section) ++i;
    return int(i);
}

static int FindKey(const Doc& d, int h, const QString& key)
{
    int end = SectionEnd(d, h);
    for (int i = h + 1; i < end; ++i)
        if (d.lines[size_t(i)].kind == Kind::Key && SameName(d.lines[size_t(i)].name, key)) return i;
    return -1;
}

static QByteArray RawValue(const Line& l) { return l.raw.mid(l.valueStart); }

static QStringList KeysOf(const Doc& d, int h)
{
    QStringList keys;
    if (h < 0) return keys;
    int end = SectionEnd(d, h);
    for (int i = h + 1; i < end; ++i) {
        const Line& l = d.lines[size_t(i)];
        if (l.kind != Kind::Key) continue;
        bool dup = false;
        for (const QString& k : keys)
            if (SameName(k, l.name)) { dup = true; break; }
        if (!dup) keys << l.name;
    }
    return keys;
}

static void InsertLine(Doc& d, size_t at, Line l)
{
    if (at == d.lines.size() && !d.lines.empty() && d.lines.back().eol.isEmpty()) {
        // Keep the file's way of ending: the new last line goes without a line end too.
        d.lines.back().eol = d.eol;
        l.eol.clear();
    } else {
        l.eol = d.eol;
    }
    Classify(l);
    d.lines.insert(d.lines.begin() + qsizetype(at), std::move(l));
}

static Line MakeLine(const QByteArray& raw)
{
    Line l;
    l.raw = raw;
    return l;
}

// Sets section/key to the raw value; false when the file already says so.
static bool SetValue(Doc& d, const QString& section, const QString& key, const QByteArray& value)
{
    int h = FindSection(d, section);
    if (h < 0) {
        if (!d.lines.empty()) {
            const QByteArray& last = d.lines.back().raw;
            bool blank = true;
            for (char c : last)
                if (!IsBlankByte(c)) { blank = false; break; }
            if (!blank) InsertLine(d, d.lines.size(), MakeLine(QByteArray()));
        }
        InsertLine(d, d.lines.size(), MakeLine("[" + section.toUtf8() + "]"));
        InsertLine(d, d.lines.size(), MakeLine(key.toUtf8() + "=" + value));
        return true;
    }
    int k = FindKey(d, h, key);
    if (k >= 0) {
        Line& l = d.lines[size_t(k)];
        int ws = l.valueStart;
        while (ws < l.raw.size() && IsBlankByte(l.raw[ws])) ++ws;
        QByteArray raw = l.raw.left(ws) + value;
        if (raw == l.raw) return false;
        l.raw = raw;
        Classify(l);
        return true;
    }
    int end = SectionEnd(d, h);
    int after = h;
    for (int i = h + 1; i < end; ++i)
        if (d.lines[size_t(i)].kind == Kind::Key) after = i;
    InsertLine(d, size_t(after) + 1, MakeLine(key.toUtf8() + "=" + value));
    return true;
}

// Removes every section the predicate accepts, with all its lines.
template <class Pred>
static bool EraseSections(Doc& d, Pred accept)
{
    bool changed = false;
    size_t i = 0;
    while (i < d.lines.size()) {
        if (d.lines[i].kind == Kind::Section && accept(d.lines[i].name)) {
            size_t end = size_t(SectionEnd(d, int(i)));
            d.lines.erase(d.lines.begin() + qsizetype(i), d.lines.begin() + qsizetype(end));
            changed = true;
        } else {
            ++i;
        }
    }
    return changed;
}

static bool DeleteKeys(Doc& d, const QString& section, const QString& key)
{
    bool changed = false;
    bool inSection = false;
    size_t i = 0;
    while (i < d.lines.size()) {
        const Line& l = d.lines[i];
        if (l.kind == Kind::Section) inSection = SameName(l.name, section);
        if (inSection && l.kind == Kind::Key && SameName(l.name, key)) {
            d.lines.erase(d.lines.begin() + qsizetype(i));
            changed = true;
        } else {
            ++i;
        }
    }
    return changed;
}

// ------------------------------------------------------------ the store
// A document bound to a file. Reads re-load the file when it changed on disk
// (another object or program wrote it); writes replace it atomically.

struct Stamp {
    dev_t dev = 0;
    ino_t ino = 0;
    off_t size = -1;
    struct timespec mtime {};
    struct timespec ctime {};
    bool operator==(const Stamp& o) const
    {
        return dev == o.dev && ino == o.ino && size == o.size && mtime.tv_sec == o.mtime.tv_sec &&
               mtime.tv_nsec == o.mtime.tv_nsec && ctime.tv_sec == o.ctime.tv_sec && ctime.tv_nsec == o.ctime.tv_nsec;
    }
};

static Stamp StampOf(const struct stat& st)
{
    Stamp s;
    s.dev = st.st_dev;
    s.ino = st.st_ino;
    s.size = st.st_size;
    s.mtime = st.st_mtim;
    s.ctime = st.st_ctim;
    return s;
}

class IniStore {
public:
    enum class State { Missing, Loaded, Unreadable };

    IniStore(const QString& path, bool createFolder) : FPath(path), FCreateFolder(createFolder) {}

    const Doc& Current() const
    {
        if (FHeld == 0) Refresh();
        return FDoc;
    }
    State CurrentState() const
    {
        if (FHeld == 0) Refresh();
        return FState;
    }

    // Writes the document in place of the file; false when that is not possible.
    // While held, the document is only kept (reads see it) until Release.
    bool Replace(const Doc& d);
    void Hold()
    {
        if (FHeld++ == 0) Refresh();
    }
    bool Held() const { return FHeld > 0; }
    // Ends one hold (none when not held); the last puts the held document on
    // the disk. False when that is not possible.
    bool Release()
    {
        if (FHeld == 0 || --FHeld > 0 || !FPending) return true;
        FPending = false;
        return Replace(FDoc);
    }

private:
    QString FPath;
    bool FCreateFolder;
    mutable Doc FDoc;
    mutable State FState = State::Missing;
    mutable Stamp FStamp;
    mutable bool FKnown = false;
    int FHeld = 0;
    bool FPending = false;

    void Refresh() const;
};

void IniStore::Refresh() const
{
    const QByteArray path = QFile::encodeName(FPath);
    struct stat st;
    if (path.isEmpty() || ::stat(path.constData(), &st) != 0) {
        State s = (path.isEmpty() || errno == ENOENT || errno == ENOTDIR) ? State::Missing : State::Unreadable;
        if (!FKnown || FState != s || !FDoc.lines.empty()) {
            FDoc = Doc();
            FState = s;
        }
        FKnown = true;
        FStamp = Stamp();
        return;
    }
    Stamp now = StampOf(st);
    if (FKnown && FState == State::Loaded && now == FStamp) return;
    FKnown = true;
    FStamp = now;
    FDoc = Doc();
    if (!S_ISREG(st.st_mode)) {
        FState = State::Unreadable;
        return;
    }
    QFile f(FPath);
    if (!f.open(QIODevice::ReadOnly)) {
        FState = State::Unreadable;
        return;
    }
    QByteArray data = f.readAll();
    if (f.error() != QFileDevice::NoError) {
        FState = State::Unreadable;
        return;
    }
    FDoc = Parse(data);
    FState = State::Loaded;
}

static bool WriteAll(int fd, const QByteArray& data)
{
    const char* p = data.constData();
    qsizetype left = data.size();
    while (left > 0) {
        ssize_t w = ::write(fd, p, size_t(left));
        if (w < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        p += w;
        left -= w;
    }
    return true;
}

bool IniStore::Replace(const Doc& d)
{
    if (FPath.isEmpty()) return false;
    if (FHeld > 0) {
        FDoc = d;
        FState = State::Loaded;
        FPending = true;
        return true;
    }
    QByteArray target = QFile::encodeName(FPath);
    // A settings file reached through a link is rewritten where it lies.
    if (char* real = ::realpath(target.constData(), nullptr)) {
        target = real;
        std::free(real);
    }
    struct stat st;
    const bool exists = ::stat(target.constData(), &st) == 0;
    mode_t mode;
    if (exists) {
        if (!S_ISREG(st.st_mode)) return false;
        // Read-only means no write bit at all (as a read-only attribute, also
        // for the super-user) or no write access for this user.
        if ((st.st_mode & 0222) == 0 || ::access(target.constData(), W_OK) != 0) return false;
        mode = st.st_mode & 07777;
    } else {
        if (errno != ENOENT) return false;
        mode_t um = ::umask(0);
        ::umask(um);
        mode = 0666 & ~um;
    }
    int slash = target.lastIndexOf('/');
    QByteArray dir = slash < 0 ? QByteArray(".") : (slash == 0 ? QByteArray("/") : target.left(slash));
    QByteArray base = slash < 0 ? target : target.mid(slash + 1);
    if (!exists && FCreateFolder) QDir().mkpath(QFile::decodeName(dir));

    QByteArray tmp = dir + "/." + base + ".XXXXXX";
    int fd = ::mkstemp(tmp.data());
    if (fd < 0) return false;
    bool ok = WriteAll(fd, Serialize(d)) && ::fsync(fd) == 0 && ::fchmod(fd, mode) == 0;
    if (ok && exists && ::geteuid() == 0) {
        // Keep the owner when the super-user rewrites somebody's file.
        if (::fchown(fd, st.st_uid, st.st_gid) != 0) { /* the content matters more than the owner */ }
    }
    ok = (::close(fd) == 0) && ok;
    if (ok) ok = ::rename(tmp.constData(), target.constData()) == 0;
    if (!ok) {
        ::unlink(tmp.constData());
        return false;
    }
    int dfd = ::open(dir.constData(), O_RDONLY | O_DIRECTORY);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
    FDoc = d;
    FState = State::Loaded;
    FKnown = true;
    struct stat now;
    if (::stat(QFile::encodeName(FPath).constData(), &now) == 0)
        FStamp = StampOf(now);
    else
        FKnown = false;   // re-read on the next access
    return true;
}

}   // namespace qv_ini_detail

using namespace qv_ini_detail;

// ------------------------------------------------------------ TCustomIniFile

bool IniTextToInt(const QString& Text, int& Value)
{
    const QString t = TrimBlanks(Text);
    auto hexDigit = [](QChar c) -> int {
        ushort u = c.unicode();
        if (u >= '0' && u <= '9') return u - '0';
        if (u >= 'a' && u <= 'f') return u - 'a' + 10;
        if (u >= 'A' && u <= 'F') return u - 'A' + 10;
        return -1;
    };
    if (t.size() > 2 && t[0] == QLatin1Char('0') && (t[1] == QLatin1Char('x') || t[1] == QLatin1Char('X'))) {
        quint64 v = 0;
        for (int i = 2; i < t.size(); ++i) {
            int h = hexDigit(t[i]);
            if (h < 0) return false;
            v = v * 16 + quint64(h);
            if (v > 0xFFFFFFFFull) return false;
        }
        Value = int(quint32(v));
        return true;
    }
    int i = 0;
    bool neg = false;
    if (i < t.size() && (t[i] == QLatin1Char('-') || t[i] == QLatin1Char('+'))) {
        neg = t[i] == QLatin1Char('-');
        ++i;
    }
    if (i >= t.size()) return false;
    qint64 v = 0;
    for (; i < t.size(); ++i) {
        ushort u = t[i].unicode();
        if (u < '0' || u > '9') return false;
        v = v * 10 + (u - '0');
        if (v > qint64(INT_MAX) + 1) return false;
    }
    if (neg) v = -v;
    if (v < INT_MIN || v > INT_MAX) return false;
    Value = int(v);
    return true;
}

int TCustomIniFile::ReadInteger(const QString& Section, const QString& Ident, int Default) const
{
    int v;
    return IniTextToInt(ReadString(Section, Ident, QString()), v) ? v : Default;
}

void TCustomIniFile::WriteInteger(const QString& Section, const QString& Ident, int Value)
{
    WriteString(Section, Ident, QString::number(Value));
}

bool TCustomIniFile::ReadBool(const QString& Section, const QString& Ident, bool Default) const
{
    return ReadInteger(Section, Ident, Default ? 1 : 0) != 0;
}

void TCustomIniFile::WriteBool(const QString& Section, const QString& Ident, bool Value)
{
    WriteString(Section, Ident, Value ? QStringLiteral("1") : QStringLiteral("0"));
}

void TCustomIniFile::ReadSectionValues(const QString& Section, TStrings* Strings) const
{
    TStringList keys;
    ReadSection(Section, &keys);
    Strings->BeginUpdate();
    Strings->Clear();
    for (int i = 0; i < keys.Count(); ++i)
        Strings->Add(keys[i] + QLatin1Char('=') + ReadString(Section, keys[i], QString()));
    Strings->EndUpdate();
}

static void FillStrings(TStrings* Strings, const QStringList& l)
{
    if (!Strings) return;
    Strings->SetFromStringList(l);
}

static bool HasLineBreak(const QString& s)
{
    return s.contains(QLatin1Char('\n')) || s.contains(QLatin1Char('\r'));
}

// A key a line can hold and give back.
static bool KeyFits(const QString& key)
{
    if (HasLineBreak(key) || key.contains(QLatin1Char('='))) return false;
    if (key.startsWith(QLatin1Char('[')) || key.startsWith(QLatin1Char(';'))) return false;
    return true;
}

// ------------------------------------------------------------ TIniFile

TIniFile::TIniFile(const QString& FileName) : TCustomIniFile(FileName), FStore(new IniStore(FileName, false)) {}

TIniFile::~TIniFile()
{
    // Writes still held go to the disk now; a failure here has nobody to tell.
    while (FStore->Held()) FStore->Release();
}

void TIniFile::HoldWrites() { FStore->Hold(); }

void TIniFile::FlushWrites()
{
    if (!FStore->Release()) WriteFailed();
}

void TIniFile::WriteFailed() const
{
    throw EIniFileException(QStringLiteral("Unable to write to %1").arg(FileName()));
}

bool TIniFile::SectionExists(const QString& Section) const
{
    return FindSection(FStore->Current(), TrimBlanks(Section)) >= 0;
}

bool TIniFile::ValueExists(const QString& Section, const QString& Ident) const
{
    const Doc& d = FStore->Current();
    int h = FindSection(d, TrimBlanks(Section));
    return h >= 0 && FindKey(d, h, TrimBlanks(Ident)) >= 0;
}

QString TIniFile::ReadString(const QString& Section, const QString& Ident, const QString& Default) const
{
    const Doc& d = FStore->Current();
    int h = FindSection(d, TrimBlanks(Section));
    if (h < 0) return Default;
    int k = FindKey(d, h, TrimBlanks(Ident));
    if (k < 0) return Default;
    QString v = TrimBlanks(QString::fromUtf8(RawValue(d.lines[size_t(k)])));
    if (v.size() >= 2 && (v[0] == QLatin1Char('"') || v[0] == QLatin1Char('\'')) && v.back() == v[0])
        v = v.mid(1, v.size() - 2);
    if (v.size() > MaxValueLength) {
        int n = MaxValueLength;
        if (v[n - 1].isHighSurrogate()) --n;   // never leave half a character
        v.truncate(n);
    }
    return v;
}

void TIniFile::WriteString(const QString& Section, const QString& Ident, const QString& Value)
{
    const QString section = TrimBlanks(Section), key = TrimBlanks(Ident);
    if (HasLineBreak(section) || !KeyFits(key) || HasLineBreak(Value)) WriteFailed();
    if (FStore->CurrentState() == IniStore::State::Unreadable) WriteFailed();
    Doc d = FStore->Current();
    if (!SetValue(d, section, key, Value.toUtf8())) return;
    if (!FStore->Replace(d)) WriteFailed();
}

void TIniFile::ReadSection(const QString& Section, TStrings* Strings) const
{
    const Doc& d = FStore->Current();
    FillStrings(Strings, KeysOf(d, FindSection(d, TrimBlanks(Section))));
}

void TIniFile::ReadSections(TStrings* Strings) const
{
    QStringList names;
    for (const Line& l : FStore->Current().lines) {
        if (l.kind != Kind::Section) continue;
        bool dup = false;
        for (const QString& n : names)
            if (SameName(n, l.name)) { dup = true; break; }
        if (!dup) names << l.name;
    }
    FillStrings(Strings, names);
}

void TIniFile::EraseSection(const QString& Section)
{
    const QString section = TrimBlanks(Section);
    if (FStore->CurrentState() == IniStore::State::Unreadable) WriteFailed();
    Doc d = FStore->Current();
    if (!EraseSections(d, [&](const QString& n) { return SameName(n, section); })) return;
    if (!FStore->Replace(d)) WriteFailed();
}

void TIniFile::DeleteKey(const QString& Section, const QString& Ident)
{
    if (FStore->CurrentState() == IniStore::State::Unreadable) WriteFailed();
    Doc d = FStore->Current();
    if (!DeleteKeys(d, TrimBlanks(Section), TrimBlanks(Ident))) return;
    if (!FStore->Replace(d)) WriteFailed();
}

// ------------------------------------------------------------ TRegIniFile

static QString& RegistryFileOverride()
{
    static QString s;
    return s;
}

QString TRegIniFile::StorageFileName()
{
    if (!RegistryFileOverride().isEmpty()) return RegistryFileOverride();
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (base.isEmpty()) base = QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/qorvane/registry.ini");
}

void TRegIniFile::SetStorageFileName(const QString& FileName) { RegistryFileOverride() = FileName; }

// Key path parts joined by one backslash, without empty parts.
static QString NormalizeKey(const QString& k)
{
    QStringList parts;
    for (const QString& p : k.split(QLatin1Char('\\'), Qt::SkipEmptyParts)) {
        QString t = TrimBlanks(p);
        if (!t.isEmpty()) parts << t;
    }
    return parts.join(QLatin1Char('\\'));
}

static QString JoinKey(const QString& a, const QString& b)
{
    if (a.isEmpty()) return b;
    if (b.isEmpty()) return a;
    return a + QLatin1Char('\\') + b;
}

static bool IsAtOrUnder(const QString& name, const QString& key)
{
    return SameName(name, key) ||
           (name.size() > key.size() && name[key.size()] == QLatin1Char('\\') &&
            SameName(name.left(key.size()), key));
}

static QByteArray EncodeRegValue(const QString& v)
{
    QString out;
    out.reserve(v.size() + 2);
    out += QLatin1Char('"');
    for (QChar c : v) {
        switch (c.unicode()) {
        case '\\': out += QLatin1String("\\\\"); break;
        case '"': out += QLatin1String("\\\""); break;
        case '\r': out += QLatin1String("\\r"); break;
        case '\n': out += QLatin1String("\\n"); break;
        case '\t': out += QLatin1String("\\t"); break;
        default: out += c;
        }
    }
    out += QLatin1Char('"');
    return out.toUtf8();
}

static QString DecodeRegValue(const QByteArray& raw)
{
    QString v = TrimBlanks(QString::fromUtf8(raw));
    if (v.size() < 2 || v[0] != QLatin1Char('"') || v.back() != QLatin1Char('"')) return v;   // edited by hand
    QString out;
    out.reserve(v.size());
    for (int i = 1; i < v.size() - 1; ++i) {
        QChar c = v[i];
        if (c == QLatin1Char('\\') && i + 1 < v.size() - 1) {
            QChar n = v[++i];
            switch (n.unicode()) {
            case 'r': out += QLatin1Char('\r'); break;
            case 'n': out += QLatin1Char('\n'); break;
            case 't': out += QLatin1Char('\t'); break;
            default: out += n;
            }
        } else {
            out += c;
        }
    }
    return out;
}

TRegIniFile::TRegIniFile(const QString& FileName, bool ReadOnly)
    : TCustomIniFile(FileName), FCurrentPath(NormalizeKey(FileName)), FReadOnly(ReadOnly),
      FStore(new IniStore(StorageFileName(), true))
{
}

TRegIniFile::~TRegIniFile() = default;

QString TRegIniFile::RootName() const
{
    switch (FRootKey) {
    case HKEY_CLASSES_ROOT: return QStringLiteral("HKEY_CLASSES_ROOT");
    case HKEY_LOCAL_MACHINE: return QStringLiteral("HKEY_LOCAL_MACHINE");
    case HKEY_USERS: return QStringLiteral("HKEY_USERS");
    case HKEY_CURRENT_CONFIG: return QStringLiteral("HKEY_CURRENT_CONFIG");
    case HKEY_DYN_DATA: return QStringLiteral("HKEY_DYN_DATA");
    default: return QStringLiteral("HKEY_CURRENT_USER");
    }
}

void TRegIniFile::SetRootKey(HKEY Root)
{
    if (Root == FRootKey) return;
    CloseKey();
    FRootKey = Root;
}

QString TRegIniFile::KeyPath(const QString& SubKey) const
{
    return JoinKey(JoinKey(RootName(), FCurrentPath), NormalizeKey(SubKey));
}

bool TRegIniFile::KeyExists(const QString& Key) const
{
    const QString path = Key.startsWith(QLatin1Char('\\')) ? JoinKey(RootName(), NormalizeKey(Key)) : KeyPath(Key);
    for (const Line& l : FStore->Current().lines)
        if (l.kind == Kind::Section && IsAtOrUnder(l.name, path)) return true;
    return false;
}

bool TRegIniFile::OpenKey(const QString& Key, bool CanCreate)
{
    const QString rel = Key.startsWith(QLatin1Char('\\')) ? NormalizeKey(Key) : JoinKey(FCurrentPath, NormalizeKey(Key));
    const QString path = JoinKey(RootName(), rel);
    if (!KeyExists(QLatin1Char('\\') + rel)) {
        if (!CanCreate || FReadOnly) return false;
        if (FStore->CurrentState() == IniStore::State::Unreadable) return false;
        Doc d = FStore->Current();
        Line header;
        header.raw = "[" + path.toUtf8() + "]";
        if (!d.lines.empty() && d.lines.back().eol.isEmpty()) d.lines.back().eol = d.eol;
        header.eol = d.eol;
        Classify(header);
        d.lines.push_back(std::move(header));
        if (!FStore->Replace(d)) return false;
    }
    FCurrentPath = rel;
    return true;
}

void TRegIniFile::CheckWritable(const QString& What) const
{
    if (FReadOnly || FStore->CurrentState() == IniStore::State::Unreadable)
        throw ERegistryException(QStringLiteral("Failed to set data for '%1'").arg(What));
}

bool TRegIniFile::SectionExists(const QString& Section) const { return KeyExists(Section); }

bool TRegIniFile::ValueExists(const QString& Section, const QString& Ident) const
{
    const Doc& d = FStore->Current();
    int h = FindSection(d, KeyPath(Section));
    return h >= 0 && FindKey(d, h, TrimBlanks(Ident)) >= 0;
}

QString TRegIniFile::ReadString(const QString& Section, const QString& Ident, const QString& Default) const
{
    const Doc& d = FStore->Current();
    int h = FindSection(d, KeyPath(Section));
    if (h < 0) return Default;
    int k = FindKey(d, h, TrimBlanks(Ident));
    if (k < 0) return Default;
    return DecodeRegValue(RawValue(d.lines[size_t(k)]));
}

void TRegIniFile::WriteString(const QString& Section, const QString& Ident, const QString& Value)
{
    const QString key = TrimBlanks(Ident);
    CheckWritable(Ident);
    if (HasLineBreak(Section) || !KeyFits(key))
        throw ERegistryException(QStringLiteral("Failed to set data for '%1'").arg(Ident));
    Doc d = FStore->Current();
    if (!SetValue(d, KeyPath(Section), key, EncodeRegValue(Value))) return;
    if (!FStore->Replace(d)) throw ERegistryException(QStringLiteral("Failed to set data for '%1'").arg(Ident));
}

void TRegIniFile::ReadSection(const QString& Section, TStrings* Strings) const
{
    const Doc& d = FStore->Current();
    FillStrings(Strings, KeysOf(d, FindSection(d, KeyPath(Section))));
}

void TRegIniFile::ReadSections(TStrings* Strings) const
{
    const QString base = KeyPath(QString());
    QStringList names;
    for (const Line& l : FStore->Current().lines) {
        if (l.kind != Kind::Section || l.name.size() <= base.size() + 1 || !IsAtOrUnder(l.name, base)) continue;
        QString child = l.name.mid(base.size() + 1).section(QLatin1Char('\\'), 0, 0);
        bool dup = false;
        for (const QString& n : names)
            if (SameName(n, child)) { dup = true; break; }
        if (!dup && !child.isEmpty()) names << child;
    }
    FillStrings(Strings, names);
}

void TRegIniFile::EraseSection(const QString& Section)
{
    const QString path = KeyPath(Section);
    if (FReadOnly || FStore->CurrentState() == IniStore::State::Unreadable)
        throw ERegistryException(QStringLiteral("Failed to delete key '%1'").arg(Section));
    Doc d = FStore->Current();
    if (!EraseSections(d, [&](const QString& n) { return IsAtOrUnder(n, path); })) return;
    if (!FStore->Replace(d)) throw ERegistryException(QStringLiteral("Failed to delete key '%1'").arg(Section));
}

void TRegIniFile::DeleteKey(const QString& Section, const QString& Ident)
{
    CheckWritable(Ident);
    Doc d = FStore->Current();
    if (!DeleteKeys(d, KeyPath(Section), TrimBlanks(Ident))) return;
    if (!FStore->Replace(d)) throw ERegistryException(QStringLiteral("Failed to set data for '%1'").arg(Ident));
}
