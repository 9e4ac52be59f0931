#pragma once
// Inside the office servers: the one connection to the office and the guard
// round every call. Not for use above platform/ole.
#include <QDateTime>
#include <QString>

#include <com/sun/star/frame/XDesktop2.hpp>
#include <com/sun/star/lang/XComponent.hpp>
#include <com/sun/star/uno/XComponentContext.hpp>
#include <rtl/ustring.hxx>

#include "platform/ole/LibreOffice.h"

namespace unooffice {

namespace css = ::com::sun::star;
using css::uno::Reference;

inline rtl::OUString OU(const QString& s)
{
    return rtl::OUString(reinterpret_cast<const sal_Unicode*>(s.utf16()), sal_Int32(s.size()));
}
inline QString QS(const rtl::OUString& s)
{
    return QString(reinterpret_cast<const QChar*>(s.getStr()), int(s.getLength()));
}

// The desktop of the connected office (EOleError when not connected).
Reference<css::frame::XDesktop2> Desktop();
// Connects to the office on this program's pipe, starting one when Start and
// nothing answers. False when nothing answers and not Start; EOleError when
// the office cannot be started or reached.
bool Connect(bool Start);
// Documents built hidden and not shown yet; Visible shows them.
void AddHiddenDocument(const Reference<css::lang::XComponent>& Doc);
void ShowHiddenDocuments();
void ForgetDocument(const Reference<css::lang::XComponent>& Doc);

// The application-wide flag of event handling (EnableEvents).
bool EventsEnabled();
void SetEventsEnabled(bool v);

// Arms the watchdog for the calls made while it lives (nested guards share
// the outermost one's deadline). Timeout 0: the configured CallTimeoutMs.
class TCallGuard {
public:
    explicit TCallGuard(int timeoutMs = 0);
    ~TCallGuard();
    TCallGuard(const TCallGuard&) = delete;
    TCallGuard& operator=(const TCallGuard&) = delete;
};

// Turns the exception being handled into EOleError: UNO exceptions with
// their message (or the watchdog's timeout), our own exceptions unchanged.
[[noreturn]] void RethrowAsOleError(const QString& Context);

// Runs f under a call guard, with every failure raised as EOleError.
template <class F>
auto Guarded(const QString& Context, F&& f) -> decltype(f())
{
    try {
        TCallGuard guard;
        return f();
    } catch (...) {
        RethrowAsOleError(Context);
    }
}

// The Calc server (ExcelServer.cpp) and the Writer server (WordServer.cpp).
IDispatchPtr NewExcelApplication();
IDispatchPtr NewWordApplication();

// The members both applications have: Visible (shows the documents built
// hidden), Run, Quit and Name. Invoke of a server's application answers its
// own members and hands the others here.
class TOfficeApplication : public IDispatch {
public:
    explicit TOfficeApplication(QString name) : FName(std::move(name)) {}
    QString TypeName() const override { return QStringLiteral("Application"); }

protected:
    OleVariant SharedMember(IDispatch::TInvokeKind k, const QString& n, const OleArgs& a, const OleVariant& v);

private:
    QString FName;
    bool FVisible = false;
};

// A server's collection of documents: Add [template] (a new hidden
// document, empty or from the template, whose macros may run) and Open file
// (read-only). The server says which documents it takes and wraps them.
class TOfficeDocuments : public IDispatch {
public:
    OleVariant Invoke(IDispatch::TInvokeKind k, const QString& n, const OleArgs& a, const OleVariant& v) override;

protected:
    virtual QString Factory() const = 0;   // the URL of a new empty document
    virtual bool Takes(const Reference<css::lang::XComponent>& Doc) const = 0;
    virtual IDispatchPtr Wrap(const Reference<css::lang::XComponent>& Doc) const = 0;

private:
    OleVariant Load(const QString& Url, bool AsTemplate, bool ReadOnly);
};

// Raises the automation's error for wrong arguments unless the member was
// given lo to hi of them.
void NeedArgs(const IDispatch* o, const QString& name, const OleArgs& a, size_t lo, size_t hi);

// The file a document was loaded from or saved to; empty for a new one.
QString DocumentFileName(const Reference<css::lang::XComponent>& Doc);

// Close [SaveChanges] of a document object: a new document has no file to
// be saved to; closing never asks.
void CloseDocument(const IDispatch* Object, const Reference<css::lang::XComponent>& Doc, const OleArgs& a);

// A document object of a server (a workbook, a word-processor document).
class TOfficeDocument {
public:
    virtual ~TOfficeDocument() = default;
    virtual Reference<css::lang::XComponent> Component() const = 0;
};

// Application.Run (Macros.cpp): Args[0] is the macro's name, the rest its
// arguments; the macro is looked for in the document passed among them.
OleVariant RunMacro(const IDispatch* App, const OleArgs& Args);
// The document's macros taken out (its Basic modules and dialogs), so that
// the office does not warn of macros when the saved document is opened again.
void RemoveMacros(const Reference<css::lang::XComponent>& Doc);
// Application.Quit: ends the office only when this program started it and
// it holds no document; otherwise the office and its documents stay.
void QuitOffice();
// A new hidden document from a template (or empty, from a factory URL), with
// the template's macros allowed to run; null when it is not a document the
// check accepts.
Reference<css::lang::XComponent> LoadHidden(const QString& Url, bool AsTemplate, bool ReadOnly);
// The file URL of a path; EOleError when the file does not exist.
QString ExistingFileUrl(const QString& Path);

}  // namespace unooffice
