#include "platform/ole/ComObj.h"

#include <QHash>
#include <mutex>

#include "platform/ole/LibreOffice.h"

// ------------------------------------------------------------------ TVarArray

TVarArray::TVarArray(int lowRow, int highRow, int lowCol, int highCol)
    : FLowRow(lowRow), FHighRow(highRow), FLowCol(lowCol), FHighCol(highCol),
      FRows(highRow - lowRow + 1), FCols(highCol - lowCol + 1)
{
    if (FRows < 0 || FCols < 0) throw EOleError(QStringLiteral("Invalid array bounds"));
    FData.resize(size_t(FRows) * size_t(FCols));
}

size_t TVarArray::Index(int row, int col) const
{
    if (row < FLowRow || row > FHighRow || col < FLowCol || col > FHighCol)
        throw EOleError(QStringLiteral("Array index (%1, %2) out of bounds").arg(row).arg(col));
    return size_t(row - FLowRow) * size_t(FCols) + size_t(col - FLowCol);
}

const Variant& TVarArray::At(int row, int col) const { return FData[Index(row, col)]; }

void TVarArray::Put(int row, int col, const Variant& v) { FData[Index(row, col)] = v; }

OleVariant VarArrayCreate(std::initializer_list<int> Bounds)
{
    if (Bounds.size() != 4) throw EOleError(QStringLiteral("Only two-dimensional arrays are supported"));
    auto b = Bounds.begin();
    return OleVariant(std::make_shared<TVarArray>(b[0], b[1], b[2], b[3]));
}

// ------------------------------------------------------------------ OleVariant

static void CheckPlain(const OleVariant& v)
{
    if (v.IsDispatch() || v.IsArray()) throw EOleError(QStringLiteral("Type mismatch: an object is not a value"));
}

QString OleVariant::ToString() const { CheckPlain(*this); return FValue.toString(); }

double OleVariant::ToDouble() const
{
    CheckPlain(*this);
    bool ok = false;
    const double d = FValue.toDouble(&ok);
    if (!ok && FValue.isValid()) throw EOleError(QStringLiteral("Type mismatch: not a number"));
    return d;
}

int OleVariant::ToInt() const
{
    const double d = ToDouble();
    return int(d < 0 ? d - 0.5 : d + 0.5);
}

bool OleVariant::ToBool() const
{
    CheckPlain(*this);
    if (FValue.typeId() == QMetaType::QString) {
        const QString s = FValue.toString();
        if (SameText(s, QStringLiteral("true"))) return true;
        if (SameText(s, QStringLiteral("false"))) return false;
    }
    return FValue.toBool();
}

IDispatch* OleVariant::Target(const QString& Name) const
{
    if (!FDispatch) throw EOleError(QStringLiteral("Variant does not reference an automation object (member %1)").arg(Name));
    return FDispatch.get();
}

OleVariant OleVariant::Get(const QString& Name, const OleArgs& Args) const
{
    return Target(Name)->Invoke(IDispatch::TInvokeKind::Get, Name, Args, OleVariant());
}

OleVariant OleVariant::Call(const QString& Name, const OleArgs& Args) const
{
    return Target(Name)->Invoke(IDispatch::TInvokeKind::Method, Name, Args, OleVariant());
}

void OleVariant::Set(const QString& Name, const OleArgs& Args, const OleVariant& Value) const
{
    Target(Name)->Invoke(IDispatch::TInvokeKind::Put, Name, Args, Value);
}

// ------------------------------------------------------------------ servers

namespace {
std::mutex g_serversLock;
QHash<QString, TOleServer>& Replacements()
{
    static QHash<QString, TOleServer> h;
    return h;
}

bool Replacement(const QString& progId, TOleServer& out)
{
    std::lock_guard<std::mutex> lock(g_serversLock);
    auto it = Replacements().constFind(progId.toLower());
    if (it == Replacements().constEnd()) return false;
    out = it.value();
    return true;
}

[[noreturn]] void NoServer(const QString& progId)
{
    throw EOleError(QStringLiteral("Invalid class string: no automation server \"%1\"").arg(progId));
}
}  // namespace

void RegisterOleServer(const QString& ProgId, TOleServer Server)
{
    std::lock_guard<std::mutex> lock(g_serversLock);
    if (!Server.Active && !Server.Create)
        Replacements().remove(ProgId.toLower());
    else
        Replacements().insert(ProgId.toLower(), std::move(Server));
}

OleVariant GetActiveOleObject(const QString& ProgId)
{
    TOleServer s;
    if (Replacement(ProgId, s)) {
        if (!s.Active) throw EOleError(QStringLiteral("Operation unavailable"));
        return s.Active();
    }
    if (OleVariant v; office::ActiveServer(ProgId, v)) return v;
    NoServer(ProgId);
}

OleVariant CreateOleObject(const QString& ProgId)
{
    TOleServer s;
    if (Replacement(ProgId, s)) {
        if (!s.Create) NoServer(ProgId);
        return s.Create();
    }
    if (OleVariant v; office::CreateServer(ProgId, v)) return v;
    NoServer(ProgId);
}

// ------------------------------------------------------------------ helpers

namespace ole {
void UnknownMember(const IDispatch* Object, const QString& Name)
{
    throw EOleError(QStringLiteral("Unknown name: %1 has no member \"%2\"").arg(Object->TypeName(), Name));
}

void BadArguments(const IDispatch* Object, const QString& Name)
{
    throw EOleError(QStringLiteral("Invalid number of parameters or type mismatch: %1.%2").arg(Object->TypeName(), Name));
}

bool Is(const QString& Name, const char* Member)
{
    return Name.compare(QLatin1String(Member), Qt::CaseInsensitive) == 0;
}
}  // namespace ole
