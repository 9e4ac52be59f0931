#include "platform/ui/EventBridge.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <cstdio>
#include <exception>

#include "platform/ui/Forms.h"

namespace {
unsigned g_reported = 0;
}  // namespace

unsigned ReportedHandlerErrors() noexcept { return g_reported; }

void ReportHandlerException(TObject* Sender) noexcept
{
    ++g_reported;
    try {
        Application->HandleException(Sender);
    } catch (...) {
        // The error display itself failed (no screen, a broken hook): the
        // handler's error is still not allowed to end the program.
        std::fputs("qorvane: an error could not be displayed\n", stderr);
    }
}

void ReportHandlerExceptionLater() noexcept
{
    try {
        const std::exception_ptr error = std::current_exception();
        // The sender may be gone by the time the loop comes back: none is passed.
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [error] {
                try {
                    std::rethrow_exception(error);
                } catch (...) {
                    ReportHandlerException(nullptr);
                }
            },
            Qt::QueuedConnection);
    } catch (...) {
        std::fputs("qorvane: an error could not be displayed\n", stderr);
    }
}
