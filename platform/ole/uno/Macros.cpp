// Application.Run: a macro of a document's Basic libraries called with the
// program's own values and objects.
//
// Arguments cross over as the macro language expects them: texts, numbers,
// Booleans, dates (as dates), Empty; a list of texts as an array of texts; a
// value array as an array of rows; a server's document as that document;
// any other automation object (the recordset) as an object whose members
// the macro reaches by name, calling back into this program.
//
// The macro is not called directly: a small runner function is put into the
// macro's library for the time of the call. It calls the macro under an
// error handler and returns "ok" or the error's number, line and text, so a
// runtime error in the macro comes back here as a failure of Run at once,
// in a headless office (which would return nothing) as in one with a screen
// (which would stop in a modal error box). The runner is taken out again on
// every path.
#include <QDateTime>
#include <QRegularExpression>

#include <cppuhelper/implbase2.hxx>
#include <cppuhelper/implbase1.hxx>
#include <com/sun/star/bridge/oleautomation/Date.hpp>
#include <com/sun/star/container/XNameContainer.hpp>
#include <com/sun/star/document/XEmbeddedScripts.hpp>
#include <com/sun/star/script/XDefaultProperty.hpp>
#include <com/sun/star/script/XInvocation.hpp>
#include <com/sun/star/script/XLibraryContainer.hpp>
#include <com/sun/star/script/provider/XScript.hpp>
#include <com/sun/star/script/provider/XScriptProviderSupplier.hpp>
#include <com/sun/star/uno/RuntimeException.hpp>

#include "platform/core/DateTime.h"
#include "platform/core/ScopeGuard.h"
#include "platform/ole/uno/UnoOffice.h"

namespace unooffice {

using namespace css;
using namespace css::uno;

namespace {

Any ToAny(const OleVariant& v);
OleVariant FromAny(const Any& a);

// An automation object of this program, reached from the macro by name.
template <class Base>
class TInvocationOf : public Base {
public:
    explicit TInvocationOf(IDispatchPtr obj) : FObj(std::move(obj)) {}
    Reference<beans::XIntrospectionAccess> SAL_CALL getIntrospection() override { return {}; }
    Any SAL_CALL invoke(const rtl::OUString& n, const Sequence<Any>& p, Sequence<sal_Int16>& oi, Sequence<Any>& op) override
    {
        oi.realloc(0);
        op.realloc(0);
        OleArgs args;
        for (const Any& a : p) args.push_back(FromAny(a));
        return Call(IDispatch::TInvokeKind::Method, n, args, OleVariant());
    }
    void SAL_CALL setValue(const rtl::OUString& n, const Any& v) override
    {
        Call(IDispatch::TInvokeKind::Put, n, {}, FromAny(v));
    }
    Any SAL_CALL getValue(const rtl::OUString& n) override { return Call(IDispatch::TInvokeKind::Get, n, {}, OleVariant()); }
    sal_Bool SAL_CALL hasMethod(const rtl::OUString& n) override
    {
        return FObj->MemberKind(QS(n)) == IDispatch::TMemberKind::Method;
    }
    sal_Bool SAL_CALL hasProperty(const rtl::OUString& n) override
    {
        return FObj->MemberKind(QS(n)) == IDispatch::TMemberKind::Property;
    }

protected:
    IDispatchPtr FObj;

private:
    Any Call(IDispatch::TInvokeKind k, const rtl::OUString& n, const OleArgs& args, const OleVariant& v)
    {
        try {
            return ToAny(FObj->Invoke(k, QS(n), args, v));
        } catch (const ::Exception& e) {
            throw RuntimeException(OU(e.Message()));
        } catch (const std::exception& e) {
            throw RuntimeException(OU(QString::fromLocal8Bit(e.what())));
        }
    }
};

using TInvocation = TInvocationOf<cppu::WeakImplHelper1<script::XInvocation>>;

class TInvocationWithDefault
    : public TInvocationOf<cppu::WeakImplHelper2<script::XInvocation, script::XDefaultProperty>> {
public:
    using TInvocationOf::TInvocationOf;
    rtl::OUString SAL_CALL getDefaultPropertyName() override { return OU(FObj->DefaultMember()); }
};

Any PlainToAny(const Variant& v)
{
    if (!v.isValid() || v.isNull()) return Any();
    switch (v.typeId()) {
    case QMetaType::Bool: return Any(v.toBool());
    case QMetaType::Int: case QMetaType::Short: case QMetaType::UShort: return Any(sal_Int32(v.toInt()));
    case QMetaType::UInt: case QMetaType::LongLong: case QMetaType::ULongLong: {
        const qint64 i = v.toLongLong();
        if (i >= SAL_MIN_INT32 && i <= SAL_MAX_INT32) return Any(sal_Int32(i));
        return Any(double(i));
    }
    case QMetaType::Double: case QMetaType::Float: return Any(v.toDouble());
    case QMetaType::QDate: return Any(bridge::oleautomation::Date(QDateToDateTime(v.toDate())));
    case QMetaType::QDateTime: return Any(bridge::oleautomation::Date(QDateTimeToDateTime(v.toDateTime())));
    case QMetaType::QStringList: {
        const QStringList l = v.toStringList();
        Sequence<rtl::OUString> seq(l.size());
        for (int i = 0; i < l.size(); ++i) seq.getArray()[i] = OU(l[i]);
        return Any(seq);
    }
    default: return Any(OU(v.toString()));
    }
}

Any ToAny(const OleVariant& v)
{
    if (const TVarArray* arr = v.Array()) {
        Sequence<Sequence<Any>> rows(arr->RowCount());
        for (int r = 0; r < arr->RowCount(); ++r) {
            Sequence<Any>& row = rows.getArray()[r];
            row.realloc(arr->ColCount());
            for (int c = 0; c < arr->ColCount(); ++c) row.getArray()[c] = PlainToAny(arr->Cell(r, c));
        }
        return Any(rows);
    }
    if (v.IsDispatch()) {
        if (auto* doc = dynamic_cast<const TOfficeDocument*>(v.Dispatch())) return Any(doc->Component());
        Reference<script::XInvocation> inv;
        if (v.Dispatch()->DefaultMember().isEmpty())
            inv = new TInvocation(v.DispatchPtr());
        else
            inv = new TInvocationWithDefault(v.DispatchPtr());
        return Any(inv);
    }
    return PlainToAny(v.Value());
}

OleVariant FromAny(const Any& a)
{
    switch (a.getValueTypeClass()) {
    case TypeClass_VOID: return OleVariant();
    case TypeClass_BOOLEAN: return OleVariant(bool(*static_cast<const sal_Bool*>(a.getValue())));
    case TypeClass_BYTE: case TypeClass_SHORT: case TypeClass_UNSIGNED_SHORT: case TypeClass_LONG: {
        sal_Int32 i = 0;
        a >>= i;
        return OleVariant(int(i));
    }
    case TypeClass_HYPER: case TypeClass_UNSIGNED_LONG: {
        sal_Int64 i = 0;
        a >>= i;
        return OleVariant(qint64(i));
    }
    case TypeClass_FLOAT: case TypeClass_DOUBLE: {
        double d = 0;
        a >>= d;
        return OleVariant(d);
    }
    case TypeClass_STRING: {
        rtl::OUString s;
        a >>= s;
        return OleVariant(QS(s));
    }
    case TypeClass_STRUCT: {
        bridge::oleautomation::Date d;
        if (a >>= d) return OleVariant(Variant(DateTimeToQDateTime(d.Value)));
        break;
    }
    default: break;
    }
    throw RuntimeException("an argument of type " + a.getValueTypeName() + " cannot be passed here");
}

const QRegularExpression& Identifier()
{
    static const QRegularExpression re(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    return re;
}

struct TMacroPlace {
    rtl::OUString Library, Module;
};

// The library and module of the document's Basic code that define Proc
// (optionally in the module named Module).
bool FindMacro(const Reference<lang::XComponent>& doc, const QString& proc, const QString& module, TMacroPlace& out,
               Reference<container::XNameContainer>& lib)
{
    Reference<document::XEmbeddedScripts> es(doc, UNO_QUERY);
    if (!es.is()) return false;
    Reference<script::XLibraryContainer> libs(es->getBasicLibraries(), UNO_QUERY);
    if (!libs.is()) return false;
    Reference<container::XNameAccess> names(libs, UNO_QUERY_THROW);
    const QRegularExpression def(QStringLiteral("^[ \\t]*(?:(?:public|private|static)[ \\t]+)*(?:sub|function)[ \\t]+%1\\b")
                                     .arg(proc),
                                 QRegularExpression::CaseInsensitiveOption | QRegularExpression::MultilineOption);
    for (const rtl::OUString& libName : names->getElementNames()) {
        libs->loadLibrary(libName);
        Reference<container::XNameContainer> modules(names->getByName(libName), UNO_QUERY);
        if (!modules.is()) continue;
        for (const rtl::OUString& modName : modules->getElementNames()) {
            if (!module.isEmpty() && QS(modName).compare(module, Qt::CaseInsensitive) != 0) continue;
            rtl::OUString source;
            modules->getByName(modName) >>= source;
            if (def.match(QS(source)).hasMatch()) {
                out = {libName, modName};
                lib = modules;
                return true;
            }
        }
    }
    return false;
}

QString RunnerSource(const QString& runner, const QString& proc, int argc)
{
    QStringList params;
    for (int i = 0; i < argc; ++i) params << QStringLiteral("a%1").arg(i);
    const QString list = params.join(QStringLiteral(", "));
    return QStringLiteral(
               "Function %1(%3)\n"
               "  On Error GoTo Failed\n"
               "  %2 %3\n"
               "  %1 = \"ok\"\n"
               "  Exit Function\n"
               "Failed:\n"
               "  %1 = \"Basic error \" & Err & \": \" & Error$\n"
               "End Function\n")
        .arg(runner, proc, list);
}

}  // namespace

void RemoveMacros(const Reference<lang::XComponent>& Doc)
{
    Reference<document::XEmbeddedScripts> es(Doc, UNO_QUERY);
    if (!es.is()) return;
    // Basic modules and dialogs alike: the office warns of either.
    for (const Reference<script::XLibraryContainer>& libs :
         {Reference<script::XLibraryContainer>(es->getBasicLibraries(), UNO_QUERY),
          Reference<script::XLibraryContainer>(es->getDialogLibraries(), UNO_QUERY)}) {
        if (!libs.is()) continue;
        Reference<container::XNameAccess> names(libs, UNO_QUERY_THROW);
        for (const rtl::OUString& libName : names->getElementNames()) {
            // "Standard" always exists; emptied, it counts as no macros.
            if (libName != "Standard") {
                libs->removeLibrary(libName);
                continue;
            }
            libs->loadLibrary(libName);
            Reference<container::XNameContainer> modules(names->getByName(libName), UNO_QUERY);
            if (!modules.is()) continue;
            for (const rtl::OUString& module : modules->getElementNames()) modules->removeByName(module);
        }
    }
}

OleVariant RunMacro(const IDispatch* App, const OleArgs& Args)
{
    if (Args.empty()) ole::BadArguments(App, QStringLiteral("Run"));
    const QString name = Args[0].ToString();
    // "Proc" or "Module.Proc".
    const QStringList parts = name.split(QLatin1Char('.'));
    const QString proc = parts.last();
    const QString module = parts.size() > 1 ? parts[parts.size() - 2] : QString();
    if (parts.size() > 2 || !Identifier().match(proc).hasMatch() || (!module.isEmpty() && !Identifier().match(module).hasMatch()))
        throw EOleError(QStringLiteral("The macro \"%1\" cannot be found").arg(name));

    Reference<lang::XComponent> doc;
    for (size_t i = 1; i < Args.size() && !doc.is(); ++i)
        if (auto* d = dynamic_cast<const TOfficeDocument*>(Args[i].Dispatch())) doc = d->Component();
    if (!doc.is()) throw EOleError(QStringLiteral("The macro \"%1\" cannot be found: no document is passed to it").arg(name));

    TMacroPlace place;
    Reference<container::XNameContainer> lib;
    if (!FindMacro(doc, proc, module, place, lib))
        throw EOleError(QStringLiteral("The macro \"%1\" cannot be found in the document").arg(name));

    const int argc = int(Args.size()) - 1;
    Sequence<Any> in(argc);
    for (int i = 0; i < argc; ++i) in.getArray()[i] = ToAny(Args[size_t(i) + 1]);

    rtl::OUString runnerModule = "QorvaneRun";
    for (int n = 1; lib->hasByName(runnerModule); ++n) runnerModule = "QorvaneRun" + rtl::OUString::number(n);
    const QString runner = QStringLiteral("QorvaneRunMacro");
    lib->insertByName(runnerModule, Any(OU(RunnerSource(runner, proc, argc))));
    auto remove = Finally([&] {
        try {
            if (lib->hasByName(runnerModule)) lib->removeByName(runnerModule);
        } catch (...) {
        }
    });

    Reference<script::provider::XScriptProviderSupplier> sps(doc, UNO_QUERY_THROW);
    Reference<script::provider::XScript> script = sps->getScriptProvider()->getScript(
        "vnd.sun.star.script:" + place.Library + "." + runnerModule + "." + OU(runner) + "?language=Basic&location=document");
    Sequence<sal_Int16> outIndex;
    Sequence<Any> out;
    const Any result = script->invoke(in, outIndex, out);
    rtl::OUString status;
    if (!(result >>= status) || status.isEmpty())
        throw EOleError(QStringLiteral("The macro \"%1\" did not run to its end").arg(name));
    if (status != "ok") throw EOleError(QStringLiteral("The macro \"%1\" failed: %2").arg(name, QS(status)));
    return OleVariant();
}

}  // namespace unooffice
