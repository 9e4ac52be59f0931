#include "reports/unReports.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <memory>
#include <utility>

#include "data/unCommon.h"
#include "data/unDM.h"
#include "platform/ado/ADOConnection.h"
#include "platform/ado/ADODB.h"
#include "platform/core/ScopeGuard.h"
#include "platform/core/SysUtils.h"
#include "platform/ole/ComObj.h"
#include "platform/ole/OleRecordset.h"
#include "platform/ui/ActnList.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Menus.h"

QString ExcelReportsDir;
QString WordReportsDir;
TReport CurrentReport;
QString CurrentSql;
TReportParamsDialogProc ReportParamsDialog;
TGenerateReportProc GenerateReportProc;

// ------------------------------------------------------- runs and menus
//
// A report run shows modal dialogs; meanwhile the application or a register
// window may be activated and rebuild its report menu, which would free the
// action (and the menu item) whose handler is running the report. While a
// run lasts, rebuilds wait: the latest one asked for each menu is made when
// the run ends, for the menus whose action lists and items still exist.
namespace {
int ReportRunDepth = 0;

struct TMenuRebuild {
    TActionList* ActionList;
    TMenuItem* Menu;
    TReportList ExcelReports, WordReports;
    int ExcelImage, WordImage;
    TNotifyEvent OnExecute;
};

// The rebuilds waiting for the run's end; told when a list or menu goes.
class TWaitingMenus : public TComponent {
public:
    std::vector<TMenuRebuild> Items;
    void Add(TMenuRebuild r)
    {
        std::erase_if(Items, [&](const TMenuRebuild& o) { return o.ActionList == r.ActionList && o.Menu == r.Menu; });
        r.ActionList->FreeNotification(this);
        r.Menu->FreeNotification(this);
        Items.push_back(std::move(r));
    }

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override
    {
        TComponent::Notification(AComponent, Operation);
        if (Operation == opRemove)
            std::erase_if(Items, [&](const TMenuRebuild& o) { return o.ActionList == AComponent || o.Menu == AComponent; });
    }
};
TWaitingMenus* WaitingMenus = nullptr;

void RebuildWaitingMenus()
{
    std::unique_ptr<TWaitingMenus> waiting(std::exchange(WaitingMenus, nullptr));
    if (!waiting) return;
    const std::vector<TMenuRebuild> items = std::move(waiting->Items);
    waiting.reset();
    for (const TMenuRebuild& r : items)
        BuildReportsMenu(r.ActionList, r.Menu, r.ExcelReports, r.WordReports, r.ExcelImage, r.WordImage, r.OnExecute);
}
}  // namespace

bool ReportRunning() { return ReportRunDepth > 0; }

void RunReport(const TReport& Report, const QString& FilterTable, const QString& FilterValue, bool IsExcel)
{
    // The report is copied first: the list it comes from is read again when
    // a window is activated during the run.
    const TReport report = Report;
    ++ReportRunDepth;
    auto runEnd = Finally([] {
        if (--ReportRunDepth > 0) return;
        try {
            RebuildWaitingMenus();
        } catch (...) {
            Application->HandleException(nullptr);
        }
    });
    (GenerateReportProc ? GenerateReportProc : GenerateReport)(report, FilterTable, FilterValue, IsExcel);
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
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        // Saved as "Unicode" by a text editor: UTF-16 with its byte-order mark.
        QStringDecoder dec(bytes.startsWith("\xFF\xFE") ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE);
        text = dec(QByteArrayView(bytes).sliced(2));
    } else if (bytes.startsWith("\xEF\xBB\xBF")) {
        text = QString::fromUtf8(QByteArrayView(bytes).sliced(3));
    } else {
        QStringDecoder dec(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        text = dec(bytes);
        if (dec.hasError()) text = FromCp1251(bytes);
    }
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

bool ReportParamBool(const QString& f)
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
        p.Required = ReportParamBool(f[3]);
        p.RefTable = Unquote(f[4]);
        p.MultiSelect = ReportParamBool(f[5]);
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
    if (ReportRunning()) {
        if (!WaitingMenus) WaitingMenus = new TWaitingMenus;
        WaitingMenus->Add({ActionList, Menu, ExcelReports, WordReports, ExcelImage, WordImage, OnExecute});
        return;
    }
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

// --------------------------------------------------------- document generation

QString RemoveApostrophes(const QString& S)
{
    if (S.isEmpty()) return S;
    QString r = S;
    r.remove(QLatin1Char('\''));
    return r.isEmpty() ? S : r;
}

void LoadSysParamPairs(TStringArray& Pairs)
{
    Pairs.clear();
    TADOQuery q(nullptr);
    q.SetConnection(DM->adoConnection);
    q.SQL()->SetText(QStringLiteral("SELECT name, val FROM SYS_PARAMETERS"));
    q.Open();
    for (q.First(); !q.Eof(); q.Next())
        Pairs.append(q.FieldByName(QStringLiteral("name"))->AsString() + ReportPairSeparator +
                     q.FieldByName(QStringLiteral("val"))->AsString());
}

namespace {

// The document the user keeps carries no macros (the office would warn of
// them each time it is opened again); the template keeps them. The document
// is made by then: when the office refuses to take them out (a library it
// holds read-only, say), the document is still given to the user, macros
// and all, and the reason goes to the log.
void RemoveMacrosFrom(const OleVariant& Doc)
{
    try {
        Doc.Call(QStringLiteral("RemoveMacros"));
    } catch (const Exception& e) {
        qWarning("The macros were left in the document: %s", qUtf8Printable(e.Message()));
    }
}

// Builds the document in the application: a new document from the template,
// the macro run in it and then taken out of it, the application shown. On
// failure the half-made document is closed unsaved and the application asked
// to quit (which ends the office only when this program started it and
// nothing else is open in it), and the message is shown.
void BuildDocument(const OleVariant& App, bool IsExcel, const QString& Template, const OleVariant& Data,
                   const TStringArray& ParamPairs, const TStringArray& SysPairs)
{
    OleVariant Doc;
    try {
        if (IsExcel) {
            App.Get(QStringLiteral("Application")).Set(QStringLiteral("EnableEvents"), false);
            Doc = App.Get(QStringLiteral("WorkBooks")).Call(QStringLiteral("Add"), {Template});
        } else {
            Doc = App.Get(QStringLiteral("Documents")).Call(QStringLiteral("Add"), {Template});
        }
        App.Call(QStringLiteral("Run"), {QStringLiteral("BuildReport"), Doc, Data, OleVariant(Variant(ParamPairs)),
                                         OleVariant(Variant(SysPairs))});
        RemoveMacrosFrom(Doc);
        if (IsExcel) App.Get(QStringLiteral("Application")).Set(QStringLiteral("EnableEvents"), true);
        App.Set(QStringLiteral("Visible"), true);
    } catch (const Exception& e) {
        // The office's reason goes to the log; the user sees the message.
        qWarning("Document generation failed: %s", qUtf8Printable(e.Message()));
        auto quietly = [](auto&& f) {
            try {
                f();
            } catch (const Exception&) {
            }
        };
        if (!Doc.IsEmpty()) quietly([&] { Doc.Call(QStringLiteral("Close"), {false}); });
        if (IsExcel) quietly([&] { App.Get(QStringLiteral("Application")).Set(QStringLiteral("EnableEvents"), true); });
        quietly([&] { App.Call(QStringLiteral("Quit")); });
        ShowAutomationError(IsExcel);
    }
}

}  // namespace

void GenerateReport(TReport Report, const QString& FilterTable, const QString& FilterValue, bool IsExcel)
{
    TStringArray ParamPairs, SysPairs;
    for (TReportParam& p : Report.Params) p.Value.clear();
    if (!FilterTable.isEmpty() && !FilterValue.isEmpty())
        for (TReportParam& p : Report.Params)
            if (p.RefTable == FilterTable) p.Value = QLatin1Char('\'') + FilterValue + QLatin1Char('\'');
    QString sql = Report.Sql;

    if (!Report.Params.Empty()) {
        CurrentReport = Report;
        CurrentSql = sql;
        const QString caption = QStringLiteral("Параметры документа «") + Report.Caption + QStringLiteral("»");
        const int result = ReportParamsDialog ? ReportParamsDialog(caption) : ShowReportParamsDialog(caption);
        if (result != mrOk) return;
        sql = CurrentSql;
    }
    if (sql.isEmpty()) return;

    // The rows, on a connection of their own; an SQL error goes on to the
    // general error display. The recordset object handed to the macro lets
    // go of the rows and that connection when the run ends, whatever a
    // macro may still hold.
    OleVariant Data = CreateRecordsetObject(
        ado::Recordset::OpenWithConnectionString(DM->adoConnection->ConnectionString(), sql));
    auto release = Finally([&Data] { ReleaseRecordsetObject(Data); });

    for (const TReportParam& p : Report.Params)
        ParamPairs.append(RemoveApostrophes(p.Name) + ReportPairSeparator + RemoveApostrophes(p.Value));
    const QString folder = IsExcel ? ExcelReportsDir : WordReportsDir;
    const QString Template = ReportTemplateFile(folder, Report.FileName);
    LoadSysParamPairs(SysPairs);

    const OleVariant App = ReachAutomationServer(IsExcel ? QStringLiteral("Excel.Application") : QStringLiteral("Word.Application"));
    if (App.IsEmpty()) {
        ShowAutomationError(IsExcel);
        return;
    }
    BuildDocument(App, IsExcel, Template, Data, ParamPairs, SysPairs);
}
