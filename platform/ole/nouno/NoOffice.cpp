// Built when the LibreOffice SDK was not found: the office servers exist by
// name but cannot be had, so callers show their own "not installed" message.
#include <mutex>

#include "platform/ole/LibreOffice.h"

namespace {
std::mutex g_lock;
TOfficeOptions g_options;

bool IsOfficeServer(const QString& progId)
{
    return ole::Is(progId, "Excel.Application") || ole::Is(progId, "Word.Application");
}
}  // namespace

void SetOfficeOptions(const TOfficeOptions& Options) { std::lock_guard<std::mutex> l(g_lock); g_options = Options; }
TOfficeOptions OfficeOptions() { std::lock_guard<std::mutex> l(g_lock); return g_options; }
bool OfficeSupported() { return false; }
bool OfficeRunning() { return false; }
bool OfficeHeadless() { return true; }
QStringList OfficeShownDocuments() { return {}; }
qint64 OfficeLastStoreMs() { return 0; }
int OfficeProcessId() { return 0; }
void OfficeShutdown(bool) {}
int OfficeDocumentCount() { return 0; }
QString OfficeDocumentText(const QString&) { throw EOleError(QStringLiteral("The program was built without the office client")); }
void OfficeExportPdf(const QString&, const QString&) { throw EOleError(QStringLiteral("The program was built without the office client")); }

namespace office {
bool ActiveServer(const QString& ProgId, OleVariant&)
{
    if (!IsOfficeServer(ProgId)) return false;
    throw EOleError(QStringLiteral("Operation unavailable: %1 is not running").arg(ProgId));
}

bool CreateServer(const QString& ProgId, OleVariant&)
{
    if (!IsOfficeServer(ProgId)) return false;
    throw EOleError(QStringLiteral("%1 is not available: the program was built without the office client").arg(ProgId));
}
}  // namespace office
