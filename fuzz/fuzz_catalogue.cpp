// Feeds arbitrary bytes to the report catalogue reader as a reports.dat file
// beside a template, and each decoded line to the parameter-line reader, and
// checks what a loaded report promises: a caption, an existing template, SQL,
// and parameters with a name, a kind and a caption.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "FuzzUtil.h"

#include <cstddef>
#include <cstdint>

#include "reports/unReports.h"


namespace {

void CheckParams(const TReportParams& params)
{
    for (const TReportParam& p : params) CHECK(!p.Name.isEmpty() && !p.Kind.isEmpty() && !p.Caption.isEmpty());
}

}   // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 16384) return 0;
    const QTemporaryDir& dir = ScratchDir();
    static const bool made = [] {
        QFile t(ScratchDir().filePath(QStringLiteral("t.ods")));
        return t.open(QIODevice::WriteOnly) && t.write("x") == 1;
    }();
    CHECK(made);
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));

    const QStringList lines = DecodeCatalogueLines(bytes);
    for (const QString& line : lines) {
        CHECK(!line.contains(QLatin1Char('\r')) && !line.contains(QLatin1Char('\n')));
        TReportParams all, filtered;
        ParseReportParams(line, QString(), all);
        CheckParams(all);
        ParseReportParams(line, QStringLiteral("OBJ_SESSIONS"), filtered);
        CheckParams(filtered);
        CHECK(filtered.Empty() || filtered.Length() == all.Length());
        for (const TReportParam& p : filtered) (void)p;
    }

    {
        QFile f(ReportCatalogueFile(dir.path()));
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 0;
        f.write(bytes);
    }
    for (const QString& filter : {QString(), QStringLiteral("OBJ_SESSIONS")}) {
        const TReportList reports = LoadReports(dir.path(), filter);
        for (const TReport& r : reports) {
            CHECK(!r.Caption.isEmpty() && !r.FileName.isEmpty() && !r.Sql.isEmpty());
            CHECK(QFileInfo(ReportTemplateFile(dir.path(), r.FileName)).isFile());
            CheckParams(r.Params);
            if (!filter.isEmpty()) CHECK(!r.Params.Empty());
        }
    }
    return 0;
}
