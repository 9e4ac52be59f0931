#pragma once
// Late-bound automation: objects reached by member name, as the system's code
// drives the spreadsheet and the word processor.
//
//   OleVariant Excel = CreateOleObject("Excel.Application");
//   OleVariant Book = Excel.Get("WorkBooks").Call("Add");
//   OleVariant Sheet = Book.Get("WorkSheets", {1});
//   Sheet.Get("Cells", {1, 1}).Set("Value", QStringLiteral("Title"));
//   OleVariant Area = Sheet.Get("Range", {Sheet.Get("Cells", {3, 1}), Sheet.Get("Cells", {10, 4})});
//   Area.Get("Font").Set("Bold", true);
//
// An OleVariant holds a plain value (Variant), an automation object
// (IDispatch) or a two-dimensional value array (VarArrayCreate). Members are
// found by name without regard to case. A member the object does not have, a
// wrong argument, or a refusal of the application behind the object raises
// EOleError with a readable message; nothing else escapes a call.
//
// Servers are found by their program identifier ("Excel.Application"). The
// real ones live over LibreOffice (LibreOffice.h); tests may register their
// own with RegisterOleServer.
#include <QString>
#include <functional>
#include <initializer_list>
#include <memory>
#include <vector>

#include "platform/core/SysUtils.h"
#include "platform/core/Variants.h"

class OleVariant;
using OleArgs = std::vector<OleVariant>;

// The two-dimensional value array of automation calls: indices run from the
// low to the high bound of each dimension, both included. Elements start
// unassigned.
class TVarArray {
public:
    TVarArray(int lowRow, int highRow, int lowCol, int highCol);
    int LowRow() const { return FLowRow; }
    int HighRow() const { return FHighRow; }
    int LowCol() const { return FLowCol; }
    int HighCol() const { return FHighCol; }
    int RowCount() const { return FRows; }
    int ColCount() const { return FCols; }
    // Raises EOleError for an index outside the bounds.
    const Variant& At(int row, int col) const;
    void Put(int row, int col, const Variant& v);
    // By position from the low bounds (0-based), unchecked.
    const Variant& Cell(int r, int c) const { return FData[size_t(r) * size_t(FCols) + size_t(c)]; }
    Variant& Cell(int r, int c) { return FData[size_t(r) * size_t(FCols) + size_t(c)]; }

private:
    int FLowRow, FHighRow, FLowCol, FHighCol, FRows, FCols;
    std::vector<Variant> FData;
    size_t Index(int row, int col) const;
};

// An automation object: a property read or written, or a method called, by name.
class IDispatch {
public:
    enum class TInvokeKind { Get, Put, Method };
    virtual ~IDispatch() = default;
    // Get and Method are the same for most members (a method called without
    // arguments reads like a property); Put passes the new value in Value.
    virtual OleVariant Invoke(TInvokeKind Kind, const QString& Name, const OleArgs& Args, const OleVariant& Value) = 0;
    // The object's kind for messages ("Range", "Workbook").
    virtual QString TypeName() const = 0;
    // What a member is, for callers that ask before they call (the office's
    // macro language does): None when the object does not say.
    enum class TMemberKind { None, Property, Method };
    virtual TMemberKind MemberKind(const QString& Name) const { (void)Name; return TMemberKind::None; }
    // The member read when the object is used as a plain value (a field's
    // Value); empty when there is none.
    virtual QString DefaultMember() const { return {}; }
};
using IDispatchPtr = std::shared_ptr<IDispatch>;

class OleVariant {
public:
    OleVariant() = default;
    OleVariant(const Variant& v) : FValue(v) {}
    OleVariant(const QString& s) : FValue(s) {}
    OleVariant(const char* s) : FValue(QString::fromUtf8(s)) {}
    OleVariant(int v) : FValue(v) {}
    OleVariant(qint64 v) : FValue(v) {}
    OleVariant(double v) : FValue(v) {}
    OleVariant(bool v) : FValue(v) {}
    OleVariant(IDispatchPtr d) : FDispatch(std::move(d)) {}
    OleVariant(std::shared_ptr<TVarArray> a) : FArray(std::move(a)) {}

    bool IsEmpty() const { return !FDispatch && !FArray && !FValue.isValid(); }
    bool IsDispatch() const { return bool(FDispatch); }
    bool IsArray() const { return bool(FArray); }
    const Variant& Value() const { return FValue; }
    IDispatch* Dispatch() const { return FDispatch.get(); }
    const IDispatchPtr& DispatchPtr() const { return FDispatch; }
    TVarArray* Array() const { return FArray.get(); }
    // The plain value converted; EOleError when this holds an object or array.
    QString ToString() const;
    double ToDouble() const;
    int ToInt() const;
    bool ToBool() const;

    // Late-bound calls on the object held (EOleError when this holds none).
    OleVariant Get(const QString& Name, const OleArgs& Args = {}) const;
    OleVariant Call(const QString& Name, const OleArgs& Args = {}) const;
    void Set(const QString& Name, const OleVariant& Value) const { Set(Name, {}, Value); }
    void Set(const QString& Name, const OleArgs& Args, const OleVariant& Value) const;

private:
    Variant FValue;
    IDispatchPtr FDispatch;
    std::shared_ptr<TVarArray> FArray;
    IDispatch* Target(const QString& Name) const;
};

// VarArrayCreate({0, R, 0, C}): a value array with rows 0..R and columns 0..C.
OleVariant VarArrayCreate(std::initializer_list<int> Bounds);

// The running instance of the server (EOleError when none is running).
OleVariant GetActiveOleObject(const QString& ProgId);
// A new instance of the server, started when needed (EOleError when it cannot
// be had: not installed, not starting, refused).
OleVariant CreateOleObject(const QString& ProgId);

// A server of one program identifier: Active gives the running instance or
// raises EOleError; Create gives one, starting it when needed.
struct TOleServer {
    std::function<OleVariant()> Active;
    std::function<OleVariant()> Create;
};
// Puts a server in place of the built-in one of that identifier (an empty
// server removes the replacement). For tests.
void RegisterOleServer(const QString& ProgId, TOleServer Server);

// Helpers for server implementations.
namespace ole {
// The error of a missing member.
[[noreturn]] void UnknownMember(const IDispatch* Object, const QString& Name);
// The error of a wrong argument count or type.
[[noreturn]] void BadArguments(const IDispatch* Object, const QString& Name);
bool Is(const QString& Name, const char* Member);
}
