#pragma once
// The event bridge: every call from the toolkit into the program's handlers
// (a click, a key, a mouse event, a menu choice, a timer, a posted message,
// a combo-box selection, a scroll) goes through CallHandler. An exception
// that escapes a handler reaches the application's error display once
// (TApplication::HandleException: a message box with its message; the silent
// abort shows nothing) and goes no further: it never unwinds through the
// toolkit's own frames, so the program goes on and a modal loop keeps
// running.
//
// Code that calls a handler itself (Click(), Execute(), a dataset operation
// firing its events) lets the exception travel to its own caller as usual;
// only the outermost call from the toolkit catches it.
#include <utility>

class TObject;

// Reports the exception being handled (call it inside a catch block).
void ReportHandlerException(TObject* Sender) noexcept;
// How many handler errors have been reported so far: an event whose handler
// raised goes no further (a key's dialog-key step, Forms.h).
unsigned ReportedHandlerErrors() noexcept;
// The same, from the event loop once the current event is over.
void ReportHandlerExceptionLater() noexcept;

// Runs f; true when it returned normally, false when it raised.
template <class F>
bool CallHandler(TObject* Sender, F&& f) noexcept
{
    try {
        std::forward<F>(f)();
        return true;
    } catch (...) {
        ReportHandlerException(Sender);
        return false;
    }
}

// Painting: a message box opened inside a paint would paint the same control
// again from its own modal loop, raise again and stack box on box. A paint
// that raises is reported after the paint, and only once until the control
// next paints without an error (Failed is the control's own flag).
template <class F>
void CallPaintHandler(bool& Failed, F&& f) noexcept
{
    try {
        std::forward<F>(f)();
        Failed = false;
    } catch (...) {
        if (!Failed) ReportHandlerExceptionLater();
        Failed = true;
    }
}
