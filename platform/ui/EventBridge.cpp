#include "platform/ui/EventBridge.h"

#include <cstdio>

#include "platform/ui/Forms.h"

void ReportHandlerException(TObject* Sender) noexcept
{
    try {
        Application->HandleException(Sender);
    } catch (...) {
        // The error display itself failed (no screen, a broken hook): the
        // handler's error is still not allowed to end the program.
        std::fputs("qorvane: an error could not be displayed\n", stderr);
    }
}
