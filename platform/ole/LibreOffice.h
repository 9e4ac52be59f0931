#pragma once
// The office behind the automation servers: LibreOffice, driven through UNO.
//
// "Excel.Application" is LibreOffice Calc (ExcelServer), "Word.Application"
// LibreOffice Writer (WordServer). The office used is
// the one this program started, on its own named pipe with its own profile,
// so an office the user runs is never attached to, and never ended. A later
// start of the program finds that office on the same pipe and uses it again
// ("the running instance"); when nothing answers there, CreateOleObject
// starts one and waits for it.
//
// Documents are built hidden. Setting Visible of the application shows the
// documents it built: in an office with a screen their windows come up; in a
// headless office (no display: no DISPLAY or WAYLAND_DISPLAY, or Headless
// forced) there is nothing to show, so each document is stored into
// OutputDir (a workbook as Workbook-<date>-<time>.xlsx, a word-processor
// document as Document-<date>-<time>.docx), closed, and its
// file named in OfficeShownDocuments(), for the user to open.
//
// Every call into the office is guarded by a watchdog: a call that does not
// come back within CallTimeoutMs breaks the connection (and ends the office
// when this program started it headless), and the call raises EOleError, so
// a hung or crashed office never hangs the program. The next call connects,
// or starts an office, again.
#include <QString>
#include <QStringList>

#include "platform/ole/ComObj.h"

struct TOfficeOptions {
    enum THeadless { hlAuto, hlAlways, hlNever };
    QString Program = QStringLiteral("soffice");   // the office's start command
    QString PipeName;      // empty: "qorvane-office-<user id>"
    QString ProfileDir;    // empty: <user cache>/qorvane/office-profile
    QString OutputDir;     // empty: the user's documents folder
    // Headless: store in the office's own format (.ods, .odt), as a user
    // saving the shown document from the office would, instead of .xlsx/.docx.
    bool StoreOwnFormat = false;
    THeadless Headless = hlAuto;
    int StartTimeoutMs = 60000;
    int CallTimeoutMs = 60000;
};

// Options take effect at the next connection (an open one is kept).
void SetOfficeOptions(const TOfficeOptions& Options);
TOfficeOptions OfficeOptions();

// Whether the program was built with the office client (the LibreOffice SDK).
bool OfficeSupported();
// Whether an office answers on this program's pipe now (connects when it does).
bool OfficeRunning();
// Whether documents are stored rather than shown (see above).
bool OfficeHeadless();
// The process id of the office this program started (0: none), for diagnostics.
int OfficeProcessId();
// The files of documents stored by Visible in a headless office, oldest first.
QStringList OfficeShownDocuments();
// How long storing them took at the last Visible of a headless office, in ms
// (diagnostics: the time a user with a screen would not wait for).
qint64 OfficeLastStoreMs();
// Ends the connection. The office itself is ended only when this program
// started it headless (a visible office now holds the user's documents), or
// always with Force (tests). Waits for it to exit, killing it after a grace time.
void OfficeShutdown(bool Force = false);
// The text of a stored document, as the office's plain-text export gives it:
// a word-processor document one paragraph (or table cell) a line, a
// spreadsheet's first sheet one row a line with its cells as shown, separated
// by ";". EOleError when it cannot be read. For tests and diagnostics.
QString OfficeDocumentText(const QString& File);
// A stored document exported to PDF as the office prints it (EOleError when
// it cannot be). For tests and diagnostics.
void OfficeExportPdf(const QString& File, const QString& Pdf);
// The number of documents open in the office (shown or hidden); 0 when no
// office answers. For tests and diagnostics.
int OfficeDocumentCount();

namespace office {
// Used by CreateOleObject / GetActiveOleObject: false when ProgId is not an
// office server; otherwise the server object in Result, or EOleError.
bool ActiveServer(const QString& ProgId, OleVariant& Result);
bool CreateServer(const QString& ProgId, OleVariant& Result);
}
