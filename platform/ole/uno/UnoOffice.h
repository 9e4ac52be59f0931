#pragma once
// Inside the office servers: the one connection to the office and the guard
// round every call. Not for use above platform/ole.
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

// The Calc server (ExcelServer.cpp).
IDispatchPtr NewExcelApplication();

}  // namespace unooffice
