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
