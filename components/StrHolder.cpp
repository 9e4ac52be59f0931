#include "components/StrHolder.h"

#include <climits>
#include <cmath>
#include <utility>
#include <vector>

#include "components/qvStrUtils.h"
#include "platform/core/SysUtils.h"

// ------------------------------------------------------------------ macros

namespace {

bool IsQuote(QChar c) { return c == QLatin1Char('\'') || c == QLatin1Char('"'); }

bool IsNameDelimiter(QChar c)
{
    switch (c.unicode()) {
    case ' ': case ',': case ';': case ')': case '\r': case '\n': case '.': return true;
    default: return false;
    }
}

// Walks Text for macros introduced by M and returns it with each macro
// replaced by what onMacro(name) gives. Quotes (either kind) toggle one
// literal flag, and nothing inside a literal is a macro; M M stands for one M.
// A name runs to a delimiter outside a literal; a quoted name ('a b' or "a b")
// loses its enclosing quotes. A macro character with no name after it is
// left as it is.
template <class OnMacro>
QString ScanMacros(const QString& Text, QChar M, OnMacro onMacro)
{
    if (M.isNull()) return Text;
    QString out;
    out.reserve(Text.size());
    bool literal = false;
    const int n = Text.size();
    int i = 0;
    while (i < n) {
        const QChar c = Text[i];
        if (IsQuote(c)) {
            literal = !literal;
            out += c;
            ++i;
            continue;
        }
        if (literal || c != M) {
            out += c;
            ++i;
            continue;
        }
        if (i + 1 < n && Text[i + 1] == M) {
            out += M;
            i += 2;
            continue;
        }
        int j = i + 1;
        while (j < n) {
            const QChar d = Text[j];
            if (IsQuote(d))
                literal = !literal;
            else if (!literal && IsNameDelimiter(d))
                break;
            ++j;
        }
        const QString raw = Text.mid(i + 1, j - i - 1);
        QString name = raw;
        if (!name.isEmpty() && IsQuote(name[0])) {
            for (QChar q : {QLatin1Char('\''), QLatin1Char('"')}) {
                if (name.startsWith(q)) name.remove(0, 1);
                if (name.endsWith(q)) name.chop(1);
            }
        }
        if (name.isEmpty())
            out += M + raw;
        else
            out += onMacro(name, raw);
        i = j;
    }
    return out;
}

}   // namespace

TMacro::TMacro(TCollection* Collection) : TCollectionItem(Collection) {}

void TMacro::SetName(const QString& Value)
{
    if (!Value.isEmpty() && !SameText(Value, FName)) {
        if (auto* owner = dynamic_cast<TMacros*>(Collection()); owner && owner->IndexOf(Value) >= 0)
            throw EStringListError(QStringLiteral("String list does not allow duplicates"));
    }
    FName = Value;
}

QString TMacro::Text() const { return VarIsNull(FData) ? QString() : FData.toString(); }

QString TMacro::DisplayName() const { return FName.isEmpty() ? TCollectionItem::DisplayName() : FName; }

void TMacro::Assign(TPersistent* Source)
{
    if (auto* m = dynamic_cast<TMacro*>(Source)) {
        FData = VarIsEmpty(m->FData) ? Variant() : m->FData;
        SetName(m->FName);
    }
}

TMacros::TMacros(TPersistent* AOwner)
    : TOwnedCollection(AOwner, [](TCollection* c) -> TCollectionItem* { return new TMacro(c); })
{
}

int TMacros::IndexOf(const QString& Name) const
{
    for (int i = 0; i < Count(); ++i)
        if (SameText(Items(i)->Name(), Name)) return i;
    return -1;
}

TMacro* TMacros::FindMacro(const QString& Name) const
{
    int i = IndexOf(Name);
    return i < 0 ? nullptr : Items(i);
}

TMacro* TMacros::Add(const QString& Name)
{
    auto* m = static_cast<TMacro*>(TCollection::Add());
    try {
        m->SetName(Name);
    } catch (...) {
        delete m;   // a failed add leaves the collection as it was
        throw;
    }
    return m;
}

void TMacros::AssignValues(TMacros* Value)
{
    if (!Value) return;
    BeginUpdate();
    try {
        for (int i = 0; i < Value->Count(); ++i)
            if (TMacro* mine = FindMacro(Value->Items(i)->Name())) mine->Assign(Value->Items(i));
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

QString TMacros::ParseString(const QString& Value, bool DoCreate, QChar SpecialChar)
{
    TMacros found(nullptr);
    QString result = ScanMacros(Value, SpecialChar, [&](const QString& name, const QString&) {
        if (found.IndexOf(name) < 0) found.Add(name);
        return QStringLiteral("?");
    });
    if (DoCreate) {
        found.AssignValues(this);
        Assign(&found);
    }
    return result;
}

// ------------------------------------------------------------------ holder

TStrHolder::TStrHolder(TComponent* AOwner) : TComponent(AOwner), FStrings(new TStringList), FMacros(new TMacros(this))
{
    FStrings->OnChange = [this](TObject*) { StringsChanged(); };
    FStrings->OnChanging = [this](TObject*) { StringsChanging(); };
}

TStrHolder::~TStrHolder()
{
    Destroying();
    FStrings->OnChange = nullptr;
    FStrings->OnChanging = nullptr;
    delete FMacros;
    delete FStrings;
}

void TStrHolder::SetStrings(const TStrings& Value)
{
    if (&Value == FStrings) return;
    FStrings->Assign(const_cast<TStrings*>(&Value));   // Assign only reads its source
}

int TStrHolder::Capacity() const { return FCapacity > FStrings->Count() ? FCapacity : FStrings->Count(); }

void TStrHolder::SetCapacity(int Value)
{
    if (Value < FStrings->Count())
        throw EStringListError(QStringLiteral("List capacity out of bounds (%1)").arg(Value));
    FCapacity = Value;
}

bool TStrHolder::Sorted() const { return FStrings->Sorted(); }
void TStrHolder::SetSorted(bool Value) { FStrings->SetSorted(Value); }
TDuplicates TStrHolder::Duplicates() const { return FStrings->Duplicates(); }
void TStrHolder::SetDuplicates(TDuplicates Value) { FStrings->SetDuplicates(Value); }

void TStrHolder::SetMacroChar(QChar Value)
{
    if (Value == FMacroChar) return;
    FMacroChar = Value;
    RecreateMacros();
}

void TStrHolder::SetMacros(TMacros* Value) { FMacros->AssignValues(Value); }

void TStrHolder::RecreateMacros()
{
    if (!IsLoading()) FMacros->ParseString(FStrings->Text(), true, FMacroChar);
}

void TStrHolder::StringsChanged()
{
    if (FStrings->Count() > FCapacity) FCapacity = FStrings->Count();
    if (IsLoading()) return;
    RecreateMacros();
    Changed();
}

void TStrHolder::StringsChanging()
{
    if (!IsLoading()) Changing();
}

void TStrHolder::Changed()
{
    if (OnChange) OnChange(this);
}

void TStrHolder::Changing()
{
    if (OnChanging) OnChanging(this);
}

QString TStrHolder::ExpandedText() const
{
    return ScanMacros(FStrings->Text(), FMacroChar, [&](const QString& name, const QString& raw) {
        if (TMacro* m = FMacros->FindMacro(name)) return m->Text();
        return FMacroChar + raw;   // not a known macro: as written
    });
}

void TStrHolder::Assign(TPersistent* Source)
{
    if (auto* s = dynamic_cast<TStrings*>(Source)) {
        FStrings->Assign(s);
        return;
    }
    if (auto* h = dynamic_cast<TStrHolder*>(Source)) {
        FStrings->Assign(h->FStrings);
        return;
    }
    TComponent::Assign(Source);
}

void TStrHolder::AssignTo(TPersistent* Dest)
{
    if (auto* s = dynamic_cast<TStrings*>(Dest)) {
        s->Assign(FStrings);
        return;
    }
    TComponent::AssignTo(Dest);
}

// ------------------------------------------------------------------ stored data

void TStrHolder::ReadStrData(const QStringList& Items)
{
    if (!Items.isEmpty()) FKeyString = Items.first();
    FStrings->Clear();
    const QByteArray key = FKeyString.toUtf8();
    for (int i = 1; i < Items.size(); ++i) {
        const QString& item = Items[i];
        if (FSVer >= 1)
            FStrings->Add(XorDecode(FKeyString, item));
        else if (key.isEmpty())
            FStrings->Add(item);
        else
            FStrings->Add(QString::fromUtf8(XorString(key, item.toLatin1())));
    }
}

QStringList TStrHolder::WriteStrData() const
{
    QStringList items;
    items << FKeyString;
    for (int i = 0; i < FStrings->Count(); ++i) items << XorEncode(FKeyString, FStrings->Strings(i));
    return items;
}

static bool SameTextAscii(const QString& a, const QString& b)
{
    if (a.size() != b.size()) return false;
    for (int i = 0; i < a.size(); ++i) {
        ushort x = a[i].unicode(), y = b[i].unicode();
        if (x >= 'a' && x <= 'z') x -= 32;
        if (y >= 'a' && y <= 'z') y -= 32;
        if (x != y) return false;
    }
    return true;
}

bool TStrHolder::StrDataStored(const TStrHolder* Ancestor) const
{
    const int n = FStrings->Count();
    if (!Ancestor) return n > 0 || !FKeyString.isEmpty();
    if (Ancestor->FStrings->Count() != n || Ancestor->FKeyString != FKeyString) {
        // Written even when emptied: otherwise the ancestor's strings would come back on reading.
        return true;
    }
    for (int i = 0; i < n; ++i)
        if (!SameTextAscii(FStrings->Strings(i), Ancestor->FStrings->Strings(i))) return true;
    return false;
}

// ------------------------------------------------------------------ text form

namespace {

const char* DuplicatesName(TDuplicates d)
{
    switch (d) {
    case dupAccept: return "dupAccept";
    case dupError: return "dupError";
    default: return "dupIgnore";
    }
}

QString QuoteString(const QString& s)
{
    if (s.isEmpty()) return QStringLiteral("''");
    QString out;
    bool open = false;
    for (QChar c : s) {
        ushort u = c.unicode();
        if (u < 32 || u == 127) {
            if (open) out += QLatin1Char('\'');
            open = false;
            out += QLatin1Char('#') + QString::number(u);
            continue;
        }
        if (!open) out += QLatin1Char('\'');
        open = true;
        out += c;
        if (c == QLatin1Char('\'')) out += c;
    }
    if (open) out += QLatin1Char('\'');
    return out;
}

QString VariantText(const Variant& v)
{
    if (!v.isValid()) return QString();
    if (v.isNull()) return QStringLiteral("Null");
    switch (v.metaType().id()) {
    case QMetaType::Bool: return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case QMetaType::Int: case QMetaType::UInt: case QMetaType::LongLong: case QMetaType::Short:
    case QMetaType::UShort: case QMetaType::Char: case QMetaType::SChar: case QMetaType::UChar:
        return QString::number(v.toLongLong());
    case QMetaType::Double: case QMetaType::Float: {
        double d = v.toDouble();
        if (!std::isfinite(d)) break;
        QString t = QString::number(d, 'g', 17);
        if (!t.contains(QLatin1Char('.')) && !t.contains(QLatin1Char('e'))) t += QStringLiteral(".0");
        return t;
    }
    default: break;
    }
    return QuoteString(v.toString());
}

// A parsed value of the text form.
struct SValue {
    enum Kind { Int, Float, Str, Ident, List, Collection } kind = Int;
    qint64 i = 0;
    double f = 0;
    QString s;
    std::vector<SValue> items;                                        // List
    std::vector<std::vector<std::pair<QString, SValue>>> collection;   // Collection
};
using SProps = std::vector<std::pair<QString, SValue>>;

[[noreturn]] void Invalid(const QString& why) { throw EReadError(QStringLiteral("Invalid stream format: %1").arg(why)); }

class Parser {
public:
    explicit Parser(const QString& t) : T(t) {}

    // object [Name] : Class  props  end
    void ReadObject(QString& name, QString& cls, SProps& props)
    {
        if (!ReadIdentIs("object")) Invalid(QStringLiteral("'object' expected"));
        Skip();
        if (Peek() != QLatin1Char(':')) name = ReadIdent();
        Expect(':');
        cls = ReadIdent();
        props = ReadProps();
        if (!ReadIdentIs("end")) Invalid(QStringLiteral("'end' expected"));
        Skip();
        if (P < T.size()) Invalid(QStringLiteral("text after 'end'"));
    }

private:
    const QString& T;
    int P = 0;
    int Depth = 0;

    void Skip()
    {
        while (P < T.size() && T[P].unicode() <= ' ') ++P;
    }
    QChar Peek()
    {
        Skip();
        return P < T.size() ? T[P] : QChar();
    }
    void Expect(char c)
    {
        if (Peek() != QLatin1Char(c)) Invalid(QStringLiteral("'%1' expected").arg(QLatin1Char(c)));
        ++P;
    }
    static bool IdentStart(QChar c) { return c.isLetter() || c == QLatin1Char('_'); }
    QString ReadIdent()
    {
        Skip();
        if (P >= T.size() || !IdentStart(T[P])) Invalid(QStringLiteral("name expected"));
        int s = P;
        while (P < T.size() && (T[P].isLetterOrNumber() || T[P] == QLatin1Char('_') || T[P] == QLatin1Char('.'))) ++P;
        return T.mid(s, P - s);
    }
    bool PeekIdentIs(const char* word)
    {
        Skip();
        int save = P;
        if (P >= T.size() || !IdentStart(T[P])) return false;
        bool is = ReadIdent().compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
        P = save;
        return is;
    }
    bool ReadIdentIs(const char* word)
    {
        if (!PeekIdentIs(word)) return false;
        ReadIdent();
        return true;
    }

    SProps ReadProps()
    {
        SProps props;
        while (!PeekIdentIs("end")) {
            if (Peek().isNull()) Invalid(QStringLiteral("unexpected end of text"));
            QString name = ReadIdent();
            Expect('=');
            props.emplace_back(name, ReadValue());
        }
        return props;
    }

    QString ReadStringToken()
    {
        QString s;
        bool any = false;
        while (P < T.size()) {
            if (T[P] == QLatin1Char('\'')) {
                ++P;
                for (;;) {
                    if (P >= T.size()) Invalid(QStringLiteral("unterminated string"));
                    if (T[P] == QLatin1Char('\'')) {
                        if (P + 1 < T.size() && T[P + 1] == QLatin1Char('\'')) {
                            s += QLatin1Char('\'');
                            P += 2;
                            continue;
                        }
                        ++P;
                        break;
                    }
                    s += T[P++];
                }
                any = true;
            } else if (T[P] == QLatin1Char('#')) {
                ++P;
                int st = P;
                uint code = 0;
                while (P < T.size() && T[P].unicode() >= '0' && T[P].unicode() <= '9' && P - st < 6)
                    code = code * 10 + (T[P++].unicode() - '0');
                if (P == st || code > 0xFFFF) Invalid(QStringLiteral("bad character code"));
                s += QChar(char16_t(code));
                any = true;
            } else {
                break;
            }
        }
        if (!any) Invalid(QStringLiteral("string expected"));
        return s;
    }

    SValue ReadValue()
    {
        if (++Depth > 64) Invalid(QStringLiteral("nested too deep"));
        SValue v;
        QChar c = Peek();
        if (c == QLatin1Char('\'') || c == QLatin1Char('#')) {
            v.kind = SValue::Str;
            v.s = ReadStringToken();
        } else if (c == QLatin1Char('(')) {
            ++P;
            v.kind = SValue::List;
            while (Peek() != QLatin1Char(')')) {
                if (Peek().isNull()) Invalid(QStringLiteral("')' expected"));
                v.items.push_back(ReadValue());
            }
            ++P;
        } else if (c == QLatin1Char('<')) {
            ++P;
            v.kind = SValue::Collection;
            while (Peek() != QLatin1Char('>')) {
                if (!ReadIdentIs("item")) Invalid(QStringLiteral("'item' expected"));
                v.collection.push_back(ReadProps());
                ReadIdent();   // end
            }
            ++P;
        } else if (c == QLatin1Char('-') || c == QLatin1Char('+') || (c.unicode() >= '0' && c.unicode() <= '9')) {
            int s = P++;
            while (P < T.size() && (T[P].isDigit() || T[P] == QLatin1Char('.') || T[P] == QLatin1Char('e') ||
                                    T[P] == QLatin1Char('E') ||
                                    ((T[P] == QLatin1Char('-') || T[P] == QLatin1Char('+')) &&
                                     (T[P - 1] == QLatin1Char('e') || T[P - 1] == QLatin1Char('E')))))
                ++P;
            const QString num = T.mid(s, P - s);
            bool ok = false;
            if (num.contains(QLatin1Char('.')) || num.contains(QLatin1Char('e')) || num.contains(QLatin1Char('E'))) {
                v.kind = SValue::Float;
                v.f = num.toDouble(&ok);
            } else {
                v.kind = SValue::Int;
                v.i = num.toLongLong(&ok);
            }
            if (!ok) Invalid(QStringLiteral("bad number %1").arg(num));
        } else if (!c.isNull() && IdentStart(c)) {
            v.kind = SValue::Ident;
            v.s = ReadIdent();
        } else {
            Invalid(QStringLiteral("value expected"));
        }
        --Depth;
        return v;
    }
};

[[noreturn]] void BadValue(const QString& prop) { throw EReadError(QStringLiteral("Invalid property value: %1").arg(prop)); }

int IntOf(const QString& prop, const SValue& v)
{
    if (v.kind != SValue::Int || v.i < INT_MIN || v.i > INT_MAX) BadValue(prop);
    return int(v.i);
}

bool BoolOf(const QString& prop, const SValue& v)
{
    if (v.kind == SValue::Ident) {
        if (v.s.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0) return true;
        if (v.s.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0) return false;
    }
    BadValue(prop);
}

Variant VariantOf(const QString& prop, const SValue& v)
{
    switch (v.kind) {
    case SValue::Str: return v.s;
    case SValue::Int: return v.i >= INT_MIN && v.i <= INT_MAX ? Variant(int(v.i)) : Variant(v.i);
    case SValue::Float: return v.f;
    case SValue::Ident:
        if (v.s.compare(QLatin1String("Null"), Qt::CaseInsensitive) == 0) return VarNull();
        return BoolOf(prop, v);
    default: BadValue(prop);
    }
}

}   // namespace

QString TStrHolder::SaveToText(const TStrHolder* Ancestor) const
{
    QString out;
    auto line = [&](int indent, const QString& s) { out += QString(indent * 2, QLatin1Char(' ')) + s + QLatin1Char('\n'); };
    line(0, QStringLiteral("object %1: %2").arg(Name(), ClassName()));

    const int capacity = Capacity();
    if (capacity != (Ancestor ? Ancestor->Capacity() : 0))
        line(1, QStringLiteral("Capacity = %1").arg(capacity));
    if (FMacroChar != (Ancestor ? Ancestor->FMacroChar : QChar(QLatin1Char('%'))))
        line(1, QStringLiteral("MacroChar = ") + QuoteString(QString(FMacroChar)));

    bool macrosEqual = Ancestor && Ancestor->FMacros->Count() == FMacros->Count();
    for (int i = 0; macrosEqual && i < FMacros->Count(); ++i)
        macrosEqual = Ancestor->FMacros->Items(i)->Name() == FMacros->Items(i)->Name() &&
                      Ancestor->FMacros->Items(i)->Value() == FMacros->Items(i)->Value();
    if (!macrosEqual) {
        if (FMacros->Count() == 0) {
            line(1, QStringLiteral("Macros = <>"));
        } else {
            line(1, QStringLiteral("Macros = <"));
            for (int i = 0; i < FMacros->Count(); ++i) {
                const TMacro* m = FMacros->Items(i);
                line(2, QStringLiteral("item"));
                line(3, QStringLiteral("Name = ") + QuoteString(m->Name()));
                if (!VarIsEmpty(m->Value())) line(3, QStringLiteral("Value = ") + VariantText(m->Value()));
                out += QString(4, QLatin1Char(' ')) + (i + 1 < FMacros->Count() ? QStringLiteral("end\n") : QStringLiteral("end>\n"));
            }
        }
    }
    if (Duplicates() != (Ancestor ? Ancestor->Duplicates() : dupIgnore))
        line(1, QStringLiteral("Duplicates = %1").arg(QLatin1String(DuplicatesName(Duplicates()))));
    if (Sorted() != (Ancestor ? Ancestor->Sorted() : false))
        line(1, Sorted() ? QStringLiteral("Sorted = True") : QStringLiteral("Sorted = False"));

    if (!Ancestor) line(1, QStringLiteral("InternalVer = 1"));
    if (StrDataStored(Ancestor)) {
        const QStringList items = WriteStrData();
        line(1, QStringLiteral("StrData = ("));
        for (int i = 0; i < items.size(); ++i)
            line(2, QuoteString(items[i]) + (i + 1 == items.size() ? QStringLiteral(")") : QString()));
    }
    line(0, QStringLiteral("end"));
    return out;
}

void TStrHolder::SaveToStrings(TStrings* Dest, const TStrHolder* Ancestor) const { Dest->SetText(SaveToText(Ancestor)); }

void TStrHolder::LoadFromText(const QString& Text)
{
    QString name, cls;
    SProps props;
    Parser(Text).ReadObject(name, cls, props);
    if (cls != ClassName()) throw EReadError(QStringLiteral("Invalid stream format: %1 expected").arg(ClassName()));

    // Reading with events and macro rebuilding off, as a component read from its form.
    struct LoadingScope {
        TStrHolder* h;
        ~LoadingScope() { h->Loaded(); }
    };
    BeginLoading();
    LoadingScope scope{this};
    if (!name.isEmpty() && name != Name()) SetName(name);
    for (const auto& [prop, v] : props) {
        if (prop == QLatin1String("Capacity")) {
            SetCapacity(IntOf(prop, v));
        } else if (prop == QLatin1String("MacroChar")) {
            if (v.kind != SValue::Str || v.s.size() > 1) BadValue(prop);
            SetMacroChar(v.s.isEmpty() ? QChar() : v.s[0]);
        } else if (prop == QLatin1String("Macros")) {
            if (v.kind != SValue::Collection) BadValue(prop);
            FMacros->Clear();
            for (const SProps& item : v.collection) {
                auto* m = static_cast<TMacro*>(FMacros->TCollection::Add());
                for (const auto& [ip, iv] : item) {
                    if (ip == QLatin1String("Name")) {
                        if (iv.kind != SValue::Str) BadValue(ip);
                        m->SetName(iv.s);
                    } else if (ip == QLatin1String("Value")) {
                        m->SetValue(VariantOf(ip, iv));
                    } else {
                        throw EReadError(QStringLiteral("Property %1 does not exist").arg(ip));
                    }
                }
            }
        } else if (prop == QLatin1String("Duplicates")) {
            if (v.kind != SValue::Ident) BadValue(prop);
            if (v.s == QLatin1String("dupIgnore")) SetDuplicates(dupIgnore);
            else if (v.s == QLatin1String("dupAccept")) SetDuplicates(dupAccept);
            else if (v.s == QLatin1String("dupError")) SetDuplicates(dupError);
            else BadValue(prop);
        } else if (prop == QLatin1String("Sorted")) {
            SetSorted(BoolOf(prop, v));
        } else if (prop == QLatin1String("Left") || prop == QLatin1String("Top")) {
            IntOf(prop, v);   // designer position: nothing to keep it in
        } else if (prop == QLatin1String("InternalVer")) {
            FSVer = IntOf(prop, v);
        } else if (prop == QLatin1String("StrData")) {
            if (v.kind != SValue::List) BadValue(prop);
            QStringList items;
            for (const SValue& it : v.items) {
                if (it.kind != SValue::Str) BadValue(prop);
                items << it.s;
            }
            ReadStrData(items);
        } else {
            throw EReadError(QStringLiteral("Property %1 does not exist").arg(prop));
        }
    }
}

void TStrHolder::LoadFromStrings(const TStrings* Source) { LoadFromText(Source->Text()); }
