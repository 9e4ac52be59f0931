#include "reports/unReports.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include "platform/ui/ActnList.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Menus.h"

TGenerateReportProc GenerateReportProc;
TReport CurrentReport;
QString CurrentSql;
QString ExcelReportsDir;
QString WordReportsDir;

void RunReport(const TReport& Report, const QString& FilterTable, const QString& FilterValue, bool IsExcel)
{
    if (!GenerateReportProc) {
        Application->MessageBox(QStringLiteral("Формирование документов в этой версии программы недоступно."),
                                QStringLiteral("Документы"), MB_OK | MB_ICONWARNING);
        return;
    }
    GenerateReportProc(Report, FilterTable, FilterValue, IsExcel);
}

// --------------------------------------------------------------- decoding

static const char16_t Cp1251High[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039, 0x040A,
    0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0xFFFD, 0x2122,
    0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6,
    0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456,
    0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457};

static QString FromCp1251(const QByteArray& b)
{
    QString s;
    s.reserve(b.size());
    for (char ch : b) {
        auto c = uchar(ch);
        if (c < 0x80)
            s += QChar(c);
        else if (c < 0xC0)
            s += QChar(Cp1251High[c - 0x80]);
        else
            s += QChar(char16_t(0x0410 + (c - 0xC0)));
    }
    return s;
}

QStringList DecodeCatalogueLines(const QByteArray& bytes)
{
    QString text;
    QByteArray b = bytes;
    bool utf8 = false;
    if (b.startsWith("\xEF\xBB\xBF")) {
        b = b.mid(3);
        utf8 = true;
    } else {
        QStringDecoder dec(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        QString t = dec(b);
        utf8 = !dec.hasError();
        if (utf8) text = t;
    }
    if (utf8 && text.isEmpty()) text = QString::fromUtf8(b);
    if (!utf8) text = FromCp1251(b);
    // Lines end with CR LF, LF or CR; a line end at the very end starts no line.
    QStringList lines;
    QString cur;
    for (int i = 0; i < text.size(); ++i) {
        QChar c = text[i];
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            lines << cur;
            cur.clear();
            if (c == QLatin1Char('\r') && i + 1 < text.size() && text[i + 1] == QLatin1Char('\n')) ++i;
        } else {
            cur += c;
        }
    }
    if (!cur.isEmpty()) lines << cur;
    return lines;
}

// ----------------------------------------------------------- parameter line

// Splits by the separator outside apostrophes and double quotes; parts are
// trimmed and empty parts dropped.
static QStringList SplitQuoted(const QString& s, QChar sep)
{
    QStringList out;
    QString cur;
    QChar quote;
    auto flush = [&] {
        QString t = cur.trimmed();
        if (!t.isEmpty()) out << t;
        cur.clear();
    };
    for (QChar c : s) {
        if (!quote.isNull()) {
            if (c == quote) quote = QChar();
            cur += c;
        } else if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            quote = c;
            cur += c;
        } else if (c == sep) {
            flush();
        } else {
            cur += c;
        }
    }
    flush();
    return out;
}

static QString Unquote(const QString& f)
{
    if (!f.startsWith(QLatin1Char('\''))) return QString();
    QString out;
    for (int i = 1; i < f.size(); ++i) {
        if (f[i] == QLatin1Char('\'')) {
            if (i + 1 < f.size() && f[i + 1] == QLatin1Char('\'')) {
                out += QLatin1Char('\'');
                ++i;
                continue;
            }
            break;
        }
        out += f[i];
    }
    return out;
}

static bool ParseBool(const QString& f)
{
    QString t = f.trimmed();
    if (t.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0) return true;
    bool ok = false;
    qlonglong n = t.toLongLong(&ok);
    return ok && n != 0;
}

void ParseReportParams(const QString& Line, const QString& FilterTable, TReportParams& Params)
{
    Params = TReportParams();
    TReportParams parsed;
    bool match = false;
    for (const QString& item : SplitQuoted(Line, QLatin1Char(';'))) {
        QStringList f = SplitQuoted(item, QLatin1Char(','));
        if (f.size() < 7) return;
        TReportParam p;
        p.Name = Unquote(f[0]);
        p.Kind = f[1].trimmed();
        p.Caption = Unquote(f[2]);
        p.Required = ParseBool(f[3]);
        p.RefTable = Unquote(f[4]);
        p.MultiSelect = ParseBool(f[5]);
        p.Default = Unquote(f[6]);
        if (p.Name.isEmpty() || p.Kind.isEmpty() || p.Caption.isEmpty()) return;
        if (!FilterTable.isEmpty() && p.RefTable == FilterTable) match = true;
        parsed.Add(p);
    }
    if (FilterTable.isEmpty() || match) Params = parsed;
}

// ---------------------------------------------------------------- catalogue

static QString FolderBase(const QString& Folder)
{
    QString f = Folder;
    if (f.endsWith(QLatin1Char('\\')) || f.endsWith(QLatin1Char('/'))) f.chop(1);
    return f;
}

QString ReportCatalogueFile(const QString& Folder) { return FolderBase(Folder) + QStringLiteral("/reports.dat"); }

QString ReportTemplateFile(const QString& Folder, const QString& FileName)
{
    return FolderBase(Folder) + QLatin1Char('/') + FileName;
}

TReportList LoadReports(const QString& Folder, const QString& FilterTable)
{
    TReportList result;
    QFile file(ReportCatalogueFile(Folder));
    if (!file.exists() || !file.open(QIODevice::ReadOnly)) return result;
    QStringList lines = DecodeCatalogueLines(file.readAll());
    if (lines.isEmpty()) return result;
    lines << QString() << QString();
    TReport cur;
    int state = 1;
    for (const QString& line : lines) {
        if (line.startsWith(QLatin1Char(';'))) continue;
        if (line.isEmpty()) {
            bool keep = !cur.Caption.isEmpty() && QFileInfo(ReportTemplateFile(Folder, cur.FileName)).isFile() &&
                        !cur.FileName.isEmpty() && !cur.Sql.isEmpty() &&
                        (!cur.Params.Empty() || FilterTable.isEmpty());
            if (keep) result.push_back(cur);
            cur = TReport();
            state = 1;
            continue;
        }
        switch (state) {
        case 1: cur.Caption = line; break;
        case 2: ParseReportParams(line, FilterTable, cur.Params); break;
        case 3: cur.FileName = line; break;
        default: cur.Sql += QLatin1Char(' ') + line; break;
        }
        if (state < 4) ++state;
    }
    return result;
}

// -------------------------------------------------------------------- menus

void BuildReportsMenu(TActionList* ActionList, TMenuItem* Menu, const TReportList& ExcelReports,
                      const TReportList& WordReports, int ExcelImage, int WordImage, TNotifyEvent OnExecute)
{
    std::vector<TAction*> old;
    for (int i = 0; i < ActionList->ActionCount(); ++i) {
        TAction* a = ActionList->Actions(i);
        const QString& n = a->Name();
        if (n.size() > 8 && (n.startsWith(QLatin1String("aEReport")) || n.startsWith(QLatin1String("aWReport"))))
            old.push_back(a);
    }
    for (TAction* a : old) delete a;
    for (int i = Menu->Count() - 1; i >= 0; --i) {
        TMenuItem* item = Menu->Items(i);
        Menu->Remove(item);
        delete item;
    }

    TComponent* owner = ActionList->Owner() ? ActionList->Owner() : ActionList;
    auto add = [&](const TReport& r, int k, const QString& prefix, int image) {
        auto* a = new TAction(owner);
        a->SetTag(k);
        a->SetName(prefix + QString::number(k));
        a->SetCategory(QStringLiteral("Отчеты"));
        a->SetCaption(r.Caption);
        a->SetHint(QStringLiteral("Создать документ «") + r.Caption + QStringLiteral("»"));
        a->SetImageIndex(image);
        a->OnExecute = OnExecute;
        a->SetActionList(ActionList);
        auto* item = new TMenuItem(Menu);
        item->SetAction(a);
        Menu->Add(item);
    };
    bool madeExcel = false;
    for (size_t k = 0; k < ExcelReports.size(); ++k) {
        add(ExcelReports[k], int(k), QStringLiteral("aEReport"), ExcelImage);
        madeExcel = true;
    }
    if (!WordReports.empty()) {
        if (!ExcelReports.empty() && madeExcel) {
            auto* line = new TMenuItem(Menu);
            line->SetCaption(QStringLiteral("-"));
            Menu->Add(line);
        }
        for (size_t k = 0; k < WordReports.size(); ++k)
            add(WordReports[k], int(k), QStringLiteral("aWReport"), WordImage);
    }
}
