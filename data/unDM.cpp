#include "data/unDM.h"

#include <utility>

#include "components/StrHolder.h"
#include "data/unCommon.h"
#include "platform/ado/JetSql.h"
#include "platform/os/Guid.h"
#include "platform/ui/Forms.h"

TDM* DM = nullptr;

namespace {

QString U(const char* s) { return QString::fromUtf8(s); }

// Field flags.
enum : unsigned { fHidden = 1, fReadOnly = 2 };

enum class FC { Guid, WStr, Memo, DateTime, Int, Small, Bool };

// One persistent field: data, calculated (calc set) or lookup (lookup set).
struct FieldSpec {
    const char* column;
    FC cls;
    int size;
    const char* label;
    int width;              // 0: the field's default width
    unsigned flags;
    bool calc = false;
    // lookup: key field, lookup dataset name, lookup key, result field
    const char* key = nullptr;
    const char* lookupDs = nullptr;
    const char* lookupKey = nullptr;
    const char* result = nullptr;
    const char* displayFormat = nullptr;
    const char* displayValues = nullptr;
};

FieldSpec Calc(const char* column, int size, const char* label, int width, unsigned flags)
{
    FieldSpec f{column, FC::WStr, size, label, width, flags};
    f.calc = true;
    return f;
}

FieldSpec Lookup(const char* column, int size, const char* label, int width, const char* key, const char* ds,
                 const char* lookupKey, const char* result, unsigned flags = 0)
{
    FieldSpec f{column, FC::WStr, size, label, width, flags};
    f.key = key;
    f.lookupDs = ds;
    f.lookupKey = lookupKey;
    f.result = result;
    return f;
}

FieldSpec Fmt(FieldSpec f, const char* displayFormat)
{
    f.displayFormat = displayFormat;
    return f;
}

const FieldSpec kId{"id", FC::Guid, 38, "", 0, fHidden};

// The columns of REF_MEMBERS as the member queries declare them (no labels).
std::vector<FieldSpec> MemberQueryFields()
{
    return {{"id", FC::Guid, 38, "", 0, 0},          {"date", FC::DateTime, 0, "", 0, 0},
            {"fullname", FC::WStr, 255, "", 0, 0},   {"birthday", FC::DateTime, 0, "", 0, 0},
            {"address", FC::WStr, 255, "", 0, 0},    {"passport", FC::WStr, 255, "", 0, 0},
            {"education", FC::WStr, 255, "", 0, 0},  {"share", FC::WStr, 100, "", 0, 0},
            {"postaddress", FC::WStr, 250, "", 0, 0}, {"workphone", FC::WStr, 50, "", 0, 0},
            {"workfax", FC::WStr, 50, "", 0, 0},     {"email", FC::WStr, 250, "", 0, 0},
            {"paymentinfo", FC::Memo, 0, "", 0, 0},  {"inn", FC::WStr, 30, "", 0, 0},
            {"pensionnum", FC::WStr, 50, "", 0, 0},  {"enabled", FC::Bool, 0, "", 0, 0}};
}

std::vector<FieldSpec> SessionQueryFields()
{
    return {{"id", FC::Guid, 38, "", 0, 0},
            {"pnumber", FC::Int, 0, "", 0, 0},
            {"pdate", FC::DateTime, 0, "", 0, 0},
            Calc("session", 250, "", 50, 0),
            {"id_place", FC::Guid, 38, "", 0, 0},
            {"id_form", FC::Guid, 38, "", 0, 0},
            {"fcomment", FC::Memo, 0, "", 0, 0},
            {"mcomment", FC::Memo, 0, "", 0, 0},
            {"signpost1", FC::WStr, 255, "", 0, 0},
            {"signname1", FC::WStr, 255, "", 0, 0},
            {"signpost2", FC::WStr, 255, "", 0, 0},
            {"signname2", FC::WStr, 255, "", 0, 0},
            {"memberscount", FC::Int, 0, "", 0, 0}};
}

}  // namespace

// ------------------------------------------------------------------ creation

TDM::TDM(TComponent* AOwner) : TDataModule(AOwner)
{
    SetName(QStringLiteral("DM"));
    auto table = [this](const char* name, const char* tableName, int tag, TCursorType cursor) {
        auto* t = new TADOTable(this);
        t->SetName(U(name));
        t->SetConnection(adoConnection);
        t->SetTableName(U(tableName));
        t->SetTableDirect(true);
        t->SetTag(tag);
        t->SetCursorType(cursor);
        return t;
    };
    auto query = [this](const char* name, const char* sql, TCursorType cursor) {
        auto* q = new TADOQuery(this);
        q->SetName(U(name));
        q->SetConnection(adoConnection);
        q->SQL()->SetText(U(sql));
        q->SetTag(-1);
        q->SetCursorType(cursor);
        return q;
    };
    auto holder = [this](const char* name, std::initializer_list<const char*> items) {
        auto* h = new TStrHolder(this);
        h->SetName(U(name));
        h->SetCapacity(8);
        h->SetDuplicates(dupError);
        for (const char* s : items) h->Strings()->Add(U(s));
        return h;
    };

    adoConnection = new TADOConnection(this);
    adoConnection->SetName(QStringLiteral("adoConnection"));
    adoConnection->SetLoginPrompt(false);
    adoConnection->SetConnectionTimeout(30);
    adoConnection->SetConnectionString(QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0"));

    adoSysParams = query("adoSysParams", "SELECT * FROM SYS_PARAMETERS ORDER BY ord ASC, category ASC", ctStatic);

    MainFields = holder("MainFields", {"reportfield", "qpreview", "dpreview", "reportfield", "fullname", "name", "name"});
    SelectFromCaptions = holder("SelectFromCaptions",
                                {"Выбор заседания совета=Выбор заседаний совета", "Выбор вопроса=Выбор вопросов",
                                 "Выбор проекта решения=Выбор проектов решений",
                                 "Выбор вознаграждения=Выбор вознаграждений", "Выбор члена совета=Выбор членов совета",
                                 "Выбор формы заседания=Выбор форм заседаний",
                                 "Выбор места заседания=Выбор мест заседаний"});
    FormsCaptions = holder("FormsCaptions",
                           {"Объект «Заседания совета»", "Объект «Вопросы заседаний»", "Объект «Проекты решений»",
                            "Объект «Вознаграждения»", "Справочник «Члены совета»",
                            "Справочник «Формы проведения заседаний»", "Справочник «Места проведения заседаний»"});

    adoRefMembers = table("adoRefMembers", "REF_MEMBERS", 4, ctKeyset);
    adoObjSessions = table("adoObjSessions", "OBJ_SESSIONS", 0, ctStatic);
    adoObjQuestions = table("adoObjQuestions", "OBJ_QUESTIONS", 1, ctKeyset);
    adoObjDecisions = table("adoObjDecisions", "OBJ_DECISIONS", 2, ctKeyset);
    adoObjPayments = table("adoObjPayments", "OBJ_PAYMENTS", 3, ctStatic);
    adoRefForms = table("adoRefForms", "REF_FORMS", 5, ctKeyset);
    adoRefPlaces = table("adoRefPlaces", "REF_PLACES", 6, ctKeyset);
    adoRefPosts = table("adoRefPosts", "REF_POSTS", -1, ctKeyset);
    adoRefOtherManagement = table("adoRefOtherManagement", "REF_OTHER_MANAGEMENT", -1, ctKeyset);
    adoLnkSessionsMembers = table("adoLnkSessionsMembers", "LNK_SESSIONS_MEMBERS", -1, ctKeyset);
    adoLnkSessionsDecisions = table("adoLnkSessionsDecisions", "LNK_SESSIONS_DECISIONS", -1, ctKeyset);
    adoLnkDecisionsMembers = table("adoLnkDecisionsMembers", "LNK_DECISIONS_MEMBERS", -1, ctStatic);

    dsoRefMembers = new TDataSource(this);
    dsoRefMembers->SetName(QStringLiteral("dsoRefMembers"));
    dsoRefMembers->SetDataSet(adoRefMembers);

    adqRefPlaces = query("adqRefPlaces", "SELECT * FROM REF_PLACES ORDER BY name ASC", ctStatic);
    adqRefForms = query("adqRefForms", "SELECT * FROM REF_FORMS ORDER BY name ASC", ctStatic);
    adqRefMembers = query("adqRefMembers", "SELECT * FROM REF_MEMBERS ORDER BY fullname ASC", ctKeyset);
    adqObjQuestions = query("adqObjQuestions", "SELECT * FROM OBJ_QUESTIONS ORDER BY question ASC", ctStatic);
    adqObjQuestions2 = query("adqObjQuestions2",
                             "SELECT id, date, LEFT(question, 37) as question FROM OBJ_QUESTIONS ORDER BY question ASC",
                             ctStatic);
    adqObjSessions = query("adqObjSessions", "SELECT * FROM OBJ_SESSIONS ORDER BY pnumber ASC, pdate  ASC", ctStatic);
    adqObjSessions2 = query("adqObjSessions2",
                            "SELECT* FROM OBJ_SESSIONS INNER JOIN LNK_SESSIONS_DECISIONS ON "
                            "OBJ_SESSIONS.id=LNK_SESSIONS_DECISIONS.id_session",
                            ctStatic);
    adqRefMembers2 = query("adqRefMembers2", "SELECT * FROM REF_MEMBERS ORDER BY fullname ASC", ctStatic);
    adqObjSessions3 = query("adqObjSessions3", "SELECT * FROM OBJ_SESSIONS ORDER BY pnumber ASC, pdate  ASC", ctStatic);
    adqRefMembers3 = query("adqRefMembers3", "SELECT * FROM REF_MEMBERS WHERE enabled=true ORDER BY fullname ASC",
                           ctStatic);
    adqRefVoteTypes = query("adqRefVoteTypes", "SELECT* FROM REF_VOTE_TYPES", ctStatic);
    adqLnkDecisionsMembers = query("adqLnkDecisionsMembers", "SELECT * FROM LNK_DECISIONS_MEMBERS", ctStatic);
    adoObjPayments2 = table("adoObjPayments2", "OBJ_PAYMENTS", -1, ctKeyset);
    adqObjPayments = query("adqObjPayments", "SELECT* FROM OBJ_PAYMENTS", ctStatic);

    adoRefPosts->SetMasterSource(dsoRefMembers);
    adoRefPosts->SetMasterFields(QStringLiteral("id"));
    adoRefPosts->SetIndexFieldNames(QStringLiteral("id_member"));
    adoRefOtherManagement->SetMasterSource(dsoRefMembers);
    adoRefOtherManagement->SetMasterFields(QStringLiteral("id"));
    adoRefOtherManagement->SetIndexFieldNames(QStringLiteral("id_member"));

    CreateFields();
    BindEvents();
}

TDM::~TDM()
{
    if (DM == this) DM = nullptr;
}

void TDM::CreateFields()
{
    // Fields of the main datasets are named after the dataset and the column;
    // those of a few auxiliary views carry no name and are found by column.
    auto make = [this](TDataSet* ds, const std::vector<FieldSpec>& specs, bool named) {
        for (const FieldSpec& s : specs) {
            TField* f = nullptr;
            switch (s.cls) {
            case FC::Guid: {
                auto* g = new TGuidField(this);
                g->SetFixedChar(true);
                f = g;
                break;
            }
            case FC::WStr: f = new TWideStringField(this); break;
            case FC::Memo: f = new TMemoField(this); break;
            case FC::DateTime: f = new TDateTimeField(this); break;
            case FC::Int: f = new TIntegerField(this); break;
            case FC::Small: f = new TSmallintField(this); break;
            case FC::Bool: f = new TBooleanField(this); break;
            }
            const QString column = U(s.column);
            if (named) {
                QString n = ds->Name() + column;
                f->SetName(n.remove(QLatin1Char('.')));
            }
            f->SetFieldName(column);
            if (s.size) f->SetSize(s.size);
            if (*s.label) f->SetDisplayLabel(U(s.label));
            if (s.width) f->SetDisplayWidth(s.width);
            f->SetVisible(!(s.flags & fHidden));
            if (s.flags & fReadOnly) f->SetReadOnly(true);
            if (s.calc) f->SetFieldKind(fkCalculated);
            if (s.lookupDs) {
                f->SetFieldKind(fkLookup);
                f->SetKeyFields(U(s.key));
                f->SetLookupDataSet(static_cast<TDataSet*>(FindComponent(U(s.lookupDs))));
                f->SetLookupKeyFields(U(s.lookupKey));
                f->SetLookupResultField(U(s.result));
            }
            if (s.displayFormat) static_cast<TNumericField*>(f)->SetDisplayFormat(U(s.displayFormat));
            if (s.displayValues) static_cast<TBooleanField*>(f)->SetDisplayValues(U(s.displayValues));
            f->SetDataSet(ds);
        }
    };

    FieldSpec enabled{"enabled", FC::Bool, 0, "Активный", 14, 0};
    enabled.displayValues = "Да;Нет";
    make(adoRefMembers,
         {kId,
          {"fullname", FC::WStr, 255, "Ф.И.О. члена совета", 30, 0},
          {"birthday", FC::DateTime, 0, "Дата рождения", 18, 0},
          {"address", FC::WStr, 255, "Адрес прописки", 35, 0},
          {"passport", FC::WStr, 255, "Паспортные данные", 35, 0},
          {"education", FC::WStr, 255, "Образование", 35, 0},
          {"share", FC::WStr, 100, "Доля участия", 35, 0},
          {"postaddress", FC::WStr, 250, "Почтовый адрес", 35, 0},
          {"workphone", FC::WStr, 50, "Рабочий телефон", 20, 0},
          {"workfax", FC::WStr, 50, "Рабочий факс", 20, 0},
          {"email", FC::WStr, 250, "Эл. почта", 20, 0},
          {"paymentinfo", FC::Memo, 0, "Реквизиты для вознагр.", 35, fHidden},
          {"inn", FC::WStr, 30, "ИНН", 20, 0},
          {"pensionnum", FC::WStr, 50, "№ пенс. свид.", 25, 0},
          {"date", FC::DateTime, 0, "Дата заполнения", 30, 0},
          enabled},
         true);

    make(adoObjSessions,
         {kId,
          {"id_place", FC::Guid, 38, "", 0, fHidden},
          {"id_form", FC::Guid, 38, "", 0, fHidden},
          {"pnumber", FC::Int, 0, "№ заседания", 18, 0},
          {"pdate", FC::DateTime, 0, "Дата заседания", 18, 0},
          Lookup("place", 250, "Место проведения", 30, "id_place", "adqRefPlaces", "id", "name"),
          Lookup("form", 250, "Форма проведения", 30, "id_form", "adqRefForms", "id", "name"),
          {"fcomment", FC::Memo, 0, "", 0, fHidden},
          {"mcomment", FC::Memo, 0, "", 0, fHidden},
          {"signpost1", FC::WStr, 255, "", 0, fHidden},
          {"signname1", FC::WStr, 255, "", 0, fHidden},
          {"signpost2", FC::WStr, 255, "", 0, fHidden},
          {"signname2", FC::WStr, 255, "", 0, fHidden},
          {"memberscount", FC::Int, 0, "", 0, fHidden},
          Calc("reportfield", 250, "", 0, fHidden)},
         true);

    make(adoObjQuestions,
         {kId,
          {"date", FC::DateTime, 0, "Дата внесения", 0, 0},
          Calc("qpreview", 250, "Вопрос", 57, 0),
          {"question", FC::Memo, 0, "", 0, fHidden},
          {"information", FC::Memo, 0, "", 0, fHidden}},
         true);

    make(adoObjDecisions,
         {kId,
          {"id_question", FC::Guid, 38, "", 0, fHidden},
          {"description", FC::Memo, 0, "Проект решения", 0, fHidden},
          Calc("session", 250, "На заседание", 20, 0),
          Calc("qpreview", 255, "По вопросу", 51, 0),
          Calc("dpreview", 255, "Проект решения", 51, 0)},
         true);

    make(adoObjPayments,
         {kId,
          {"id_session", FC::Guid, 38, "", 0, fHidden},
          {"id_member", FC::Guid, 38, "", 0, fHidden},
          {"paymentdate", FC::DateTime, 0, "Срок платежа", 0, 0},
          Calc("session", 255, "По заседанию", 25, 0),
          Lookup("member", 255, "Ф.И.О. члена совета", 50, "id_member", "adqRefMembers2", "id", "fullname"),
          Fmt({"suma", FC::Int, 0, "Сумма, руб.", 16, 0}, "0.00"),
          {"reglament", FC::Memo, 0, "", 0, fHidden},
          {"signpost", FC::WStr, 255, "", 0, fHidden},
          {"signname", FC::WStr, 255, "", 0, fHidden},
          Calc("reportfield", 250, "", 0, fHidden)},
         true);
    // The amount's field object is named after its label, not its column.
    adoObjPayments->FieldByName(QStringLiteral("suma"))->SetName(QStringLiteral("adoObjPaymentssum"));

    make(adoRefForms,
         {kId,
          {"name", FC::WStr, 255, "Форма заседания", 70, 0},
          {"comment", FC::Memo, 0, "Примечание к форме проведения (шаблон)", 15, fHidden}},
         true);
    make(adoRefPlaces, {kId, {"name", FC::WStr, 250, "Место проведения", 77, 0}}, true);
    make(adoRefPosts,
         {kId,
          {"id_member", FC::Guid, 38, "", 0, fHidden},
          {"postname", FC::WStr, 100, "Должность", 25, 0},
          {"orgname", FC::WStr, 100, "Организация", 25, 0},
          {"orgaddress", FC::WStr, 250, "Адрес организации", 25, 0},
          {"startdate", FC::DateTime, 0, "Дата вступления", 0, 0},
          {"enddate", FC::DateTime, 0, "Дата ухода", 0, 0}},
         true);
    make(adoRefOtherManagement,
         {kId,
          {"id_member", FC::Guid, 38, "", 0, fHidden},
          {"post", FC::WStr, 100, "Должность", 25, 0},
          {"orgname", FC::WStr, 100, "Организация", 25, 0},
          {"startdate", FC::DateTime, 0, "Дата избрания", 0, 0}},
         true);
    make(adoLnkSessionsMembers,
         {kId,
          {"id_session", FC::Guid, 38, "", 0, fHidden},
          {"id_member", FC::Guid, 38, "", 0, fHidden},
          Lookup("member", 255, "Ф.И.О. члена совета", 51, "id_member", "adqRefMembers3", "id", "fullname")},
         true);
    make(adoLnkSessionsDecisions,
         {{"id", FC::Guid, 38, "", 0, 0}, {"id_session", FC::Guid, 38, "", 0, 0}, {"id_decision", FC::Guid, 38, "", 0, 0}},
         true);
    make(adoLnkDecisionsMembers,
         {kId,
          {"id_decision", FC::Guid, 38, "", 0, fHidden},
          {"id_member", FC::Guid, 38, "", 0, fHidden},
          {"vote", FC::Int, 0, "Голос", 13, fHidden},
          Calc("question", 255, "Вопрос", 18, 0),
          Calc("decision", 250, "Проект решения", 18, 0),
          Lookup("vvote", 50, "Голос", 13, "vote", "adqRefVoteTypes", "id", "name")},
         true);

    make(adqRefPlaces, {{"id", FC::Guid, 38, "", 0, 0}, {"name", FC::WStr, 250, "", 0, 0}}, true);
    make(adqRefForms,
         {{"id", FC::Guid, 38, "", 0, 0}, {"name", FC::WStr, 255, "", 0, 0}, {"comment", FC::Memo, 0, "", 0, 0}}, true);
    make(adqRefMembers, MemberQueryFields(), true);
    make(adqObjQuestions,
         {{"id", FC::Guid, 38, "", 0, 0},
          {"date", FC::DateTime, 0, "", 0, 0},
          {"question", FC::Memo, 0, "", 0, 0},
          {"information", FC::Memo, 0, "", 0, 0}},
         true);
    make(adqObjQuestions2,
         {{"id", FC::Guid, 38, "", 0, 0}, {"question", FC::WStr, 255, "", 0, fReadOnly}, {"date", FC::DateTime, 0, "", 0, 0}},
         true);
    make(adqObjSessions, SessionQueryFields(), true);
    make(adqObjSessions2,
         {{"OBJ_SESSIONS.id", FC::Guid, 38, "", 0, 0},
          {"pnumber", FC::Int, 0, "", 0, 0},
          {"pdate", FC::DateTime, 0, "", 0, 0},
          {"id_place", FC::Guid, 38, "", 0, 0},
          {"id_form", FC::Guid, 38, "", 0, 0},
          {"fcomment", FC::Memo, 0, "", 0, 0},
          {"mcomment", FC::Memo, 0, "", 0, 0},
          {"signpost1", FC::WStr, 255, "", 0, 0},
          {"signname1", FC::WStr, 255, "", 0, 0},
          {"signpost2", FC::WStr, 255, "", 0, 0},
          {"signname2", FC::WStr, 255, "", 0, 0},
          {"LNK_SESSIONS_DECISIONS.id", FC::Guid, 38, "", 0, 0},
          {"id_session", FC::Guid, 38, "", 0, 0},
          {"id_decision", FC::Guid, 38, "", 0, 0},
          {"memberscount", FC::Int, 0, "", 0, 0}},
         true);
    make(adqRefMembers2, MemberQueryFields(), false);
    make(adqObjSessions3, SessionQueryFields(), false);
    make(adqRefMembers3, MemberQueryFields(), false);
    make(adqRefVoteTypes, {{"id", FC::Small, 0, "", 0, 0}, {"name", FC::WStr, 50, "", 0, 0}}, true);
    make(adqLnkDecisionsMembers,
         {{"id", FC::Guid, 38, "", 0, 0},
          {"id_decision", FC::Guid, 38, "", 0, 0},
          {"id_member", FC::Guid, 38, "", 0, 0},
          {"vote", FC::Int, 0, "", 0, 0}},
         true);
    make(adoObjPayments2,
         {kId,
          {"id_session", FC::Guid, 38, "", 0, fHidden},
          {"id_member", FC::Guid, 38, "", 0, fHidden},
          {"paymentdate", FC::DateTime, 0, "Срок платежа", 0, fHidden},
          Lookup("member", 255, "Ф.И.О. члена совета", 35, "id_member", "adqRefMembers2", "id", "fullname", fReadOnly),
          Fmt({"suma", FC::Int, 0, "Сумма, руб.", 15, 0}, "0.00"),
          {"reglament", FC::Memo, 0, "", 0, fHidden},
          {"signpost", FC::WStr, 255, "", 0, fHidden},
          {"signname", FC::WStr, 255, "", 0, fHidden}},
         false);
    make(adqObjPayments,
         {{"id", FC::Guid, 38, "", 0, 0},
          {"id_session", FC::Guid, 38, "", 0, 0},
          {"id_member", FC::Guid, 38, "", 0, 0},
          {"suma", FC::Int, 0, "", 0, 0},
          {"paymentdate", FC::DateTime, 0, "", 0, 0},
          {"reglament", FC::Memo, 0, "", 0, 0},
          {"signpost", FC::WStr, 255, "", 0, 0},
          {"signname", FC::WStr, 255, "", 0, 0}},
         true);
}

// ------------------------------------------------------------------ services

namespace {

int Ask(const QString& text, const QString& caption, int flags)
{
    return Application->MessageBox(text, caption, flags);
}

QString NewKey() { return NewGUIDString(); }

// A value written into a statement: in double quotes, a double quote inside doubled.
QString Q(const QString& v) { return SqlQuote(v, QLatin1Char('"')); }

QString FieldText(TDataSet* ds, const char* name) { return ds->FieldByName(QString::fromLatin1(name))->AsString(); }

void SetField(TDataSet* ds, const char* name, const Variant& v) { ds->FieldByName(QString::fromLatin1(name))->SetValue(v); }

void RequeryIfOpen(TDataSet* ds)
{
    if (ds->Active()) ds->Requery();
}

void ShowPostError(TDataAction& Action)
{
    Ask(U("Невозможно выполнить сохранение введенных данных. Возможно,   \r\n"
          "не все обязательные поля заполнены или заполнены неправильно.  "),
        U("Ошибка сохранения данных"), MB_OK | MB_ICONERROR);
    Action = daAbort;
}

// Asks the deletion question; No stops the delete silently.
void ConfirmDelete(const QString& text)
{
    if (Ask(text, U("Подтверждение удаления"), MB_YESNO | MB_ICONQUESTION) == IDNO) Abort();
}

// "№" + number + " от " + date, as the record's fields show them (the time
// follows the date when it is not midnight).
QString SessionTextOf(TDataSet* ds) { return U("№") + FieldText(ds, "pnumber") + U(" от ") + FieldText(ds, "pdate"); }

const char* kDeleteQuestion = "Вы действительно хотите удалить текущую запись?";

}  // namespace


QString PreviewText(const QString& Text, int Count)
{
    QString t = Text;
    t.replace(QLatin1String("\r\n"), QLatin1String(" "));
    return t.left(Count) + QLatin1String("...");
}

TDataSet* TDM::FindDataSetByTable(const QString& TableName)
{
    for (int i = ComponentCount() - 1; i >= 0; --i) {
        TComponent* c = Components(i);
        if (c->ClassName() == QLatin1String("TADOTable")) {
            auto* t = static_cast<TADOTable*>(c);
            if (t->Tag() > -1 && t->TableName() == TableName) return t;
        } else if (c->ClassName() == QLatin1String("TADOQuery")) {
            auto* q = static_cast<TADOQuery*>(c);
            if (q->Tag() > -1 && q->SQL()->Text().contains(TableName)) return q;
        }
    }
    return nullptr;
}

void TDM::SysParamSet(int Ord, const QString& Value)
{
    if (!adoConnection->Connected()) return;
    QString v = Value;
    v.remove(QLatin1Char('"'));
    adoConnection->Execute(QStringLiteral("UPDATE SYS_PARAMETERS SET val=") + Q(v) + QStringLiteral(" WHERE ord=") +
                           QString::number(Ord));
}

QString TDM::SysParamGet(const QString& ParamName)
{
    QString result;
    if (!adoConnection->Connected()) return result;
    TADOQuery q(nullptr);
    q.SetConnection(adoConnection);
    q.SQL()->SetText(QStringLiteral("SELECT val FROM SYS_PARAMETERS WHERE name=") + Q(ParamName));
    q.Open();
    if (q.RecordCount() > 0) result = q.FieldByName(QStringLiteral("val"))->AsString();
    result.remove(QLatin1Char('"'));
    result.remove(QLatin1Char('\''));
    return result;
}

void TDM::DataSetPostError(TDataSet*, EDatabaseError&, TDataAction& Action) { ShowPostError(Action); }
void TDM::adoRefMembersPostError(TDataSet*, EDatabaseError&, TDataAction& Action) { ShowPostError(Action); }

// ---------------------------------------------------------------- the rules

void TDM::BindEvents()
{
    auto on = [this](void (TDM::*h)(TDataSet*)) { return [this, h](TDataSet* ds) { (this->*h)(ds); }; };
    auto onError = [this](void (TDM::*h)(TDataSet*, EDatabaseError&, TDataAction&)) {
        return [this, h](TDataSet* ds, EDatabaseError& e, TDataAction& a) { (this->*h)(ds, e, a); };
    };

    adoSysParams->OnPostError = onError(&TDM::DataSetPostError);

    adoRefMembers->AfterInsert = on(&TDM::adoRefMembersAfterInsert);
    adoRefMembers->BeforePost = on(&TDM::DataSetBeforePost);
    adoRefMembers->AfterPost = on(&TDM::adoRefMembersAfterPost);
    adoRefMembers->BeforeDelete = on(&TDM::DataSetBeforeDelete);
    adoRefMembers->OnPostError = onError(&TDM::adoRefMembersPostError);

    adoObjSessions->AfterInsert = on(&TDM::adoObjSessionsAfterInsert);
    adoObjSessions->AfterPost = on(&TDM::adoObjSessionsAfterPost);
    adoObjSessions->BeforeDelete = on(&TDM::DataSetBeforeDelete);
    adoObjSessions->OnCalcFields = on(&TDM::adoObjSessionsCalcFields);
    adoObjSessions->OnPostError = onError(&TDM::adoRefMembersPostError);

    adoObjQuestions->AfterInsert = on(&TDM::adoObjQuestionsAfterInsert);
    adoObjQuestions->AfterPost = on(&TDM::adoObjQuestionsAfterPost);
    adoObjQuestions->BeforeDelete = on(&TDM::DataSetBeforeDelete);
    adoObjQuestions->OnCalcFields = on(&TDM::adoObjQuestionsCalcFields);
    adoObjQuestions->OnPostError = onError(&TDM::adoRefMembersPostError);

    adoObjDecisions->AfterInsert = on(&TDM::adoObjDecisionsAfterInsert);
    adoObjDecisions->BeforeDelete = on(&TDM::WarningBeforeDelete);
    adoObjDecisions->OnCalcFields = on(&TDM::adoObjDecisionsCalcFields);
    adoObjDecisions->OnPostError = onError(&TDM::DataSetPostError);

    adoObjPayments->AfterInsert = on(&TDM::adoObjPaymentsAfterInsert);
    adoObjPayments->AfterPost = on(&TDM::adoObjPaymentsAfterPost);
    adoObjPayments->OnCalcFields = on(&TDM::adoObjPaymentsCalcFields);
    adoObjPayments->OnPostError = onError(&TDM::DataSetPostError);

    for (TADOTable* t : {adoRefForms, adoRefPlaces, adoRefPosts, adoRefOtherManagement}) {
        t->BeforePost = on(&TDM::DataSetBeforePost);
        t->BeforeDelete = on(&TDM::DataSetBeforeDelete);
        t->OnPostError = onError(&TDM::adoRefMembersPostError);
    }
    adoRefForms->AfterPost = on(&TDM::adoRefFormsAfterPost);
    adoRefPosts->BeforeInsert = on(&TDM::MemberDetailBeforeInsert);
    adoRefOtherManagement->BeforeInsert = on(&TDM::MemberDetailBeforeInsert);
    adoRefPlaces->AfterPost = on(&TDM::adoRefPlacesAfterPost);

    adoLnkSessionsMembers->AfterInsert = on(&TDM::adoLnkSessionsMembersAfterInsert);
    adoLnkSessionsMembers->BeforePost = on(&TDM::adoLnkSessionsMembersBeforePost);
    adoLnkSessionsMembers->AfterPost = on(&TDM::adoLnkSessionsMembersAfterPost);
    adoLnkSessionsMembers->BeforeDelete = on(&TDM::adoLnkSessionsMembersBeforeDelete);
    adoLnkSessionsMembers->AfterScroll = on(&TDM::adoLnkSessionsMembersAfterScroll);
    adoLnkSessionsMembers->OnPostError = onError(&TDM::DataSetPostError);

    adoLnkSessionsDecisions->AfterInsert = on(&TDM::adoLnkSessionsDecisionsAfterInsert);
    adoLnkSessionsDecisions->OnPostError = onError(&TDM::DataSetPostError);

    adoLnkDecisionsMembers->AfterInsert = on(&TDM::adoLnkDecisionsMembersAfterInsert);
    adoLnkDecisionsMembers->AfterPost = on(&TDM::adoLnkDecisionsMembersAfterPost);
    adoLnkDecisionsMembers->OnCalcFields = on(&TDM::adoLnkDecisionsMembersCalcFields);

    adqObjSessions->OnCalcFields = on(&TDM::adqObjSessionsCalcFields);
    adqObjSessions3->OnCalcFields = on(&TDM::adqObjSessionsCalcFields);

    adoObjPayments2->AfterInsert = on(&TDM::adoObjPaymentsAfterInsert);
}

// Key on post: a record without a key gets one; a key is never replaced.
void TDM::DataSetBeforePost(TDataSet* DataSet)
{
    TField* id = DataSet->FieldByName(QStringLiteral("id"));
    if (id->IsNull() || id->AsString().isEmpty()) id->SetAsString(NewKey());
}

void TDM::adoRefMembersAfterInsert(TDataSet* DataSet)
{
    TField* date = DataSet->FieldByName(QStringLiteral("date"));
    if (date->IsNull()) date->SetAsDateTime(Date());
    TField* enabled = DataSet->FieldByName(QStringLiteral("enabled"));
    if (enabled->IsNull()) enabled->SetAsBoolean(true);
}

// A post or a seat takes the current member's key when it is inserted: a
// member still being entered is saved first (his key is made then); without
// any member the row would belong to nobody and is refused.
void TDM::MemberDetailBeforeInsert(TDataSet*)
{
    if (IsEditing(adoRefMembers)) adoRefMembers->Post();
    if (!adoRefMembers->Active() || adoRefMembers->IsEmpty()) {
        Ask(U("Сначала добавьте члена совета директоров: должности и участие в управлении   \r\n"
              "записываются к выбранному члену совета."),
            U("Добавление записи"), MB_OK | MB_ICONWARNING);
        Abort();
    }
}

void TDM::adoObjSessionsAfterInsert(TDataSet* DataSet)
{
    const QString key = NewKey();
    // The next number is the highest stored one plus 1; 1 when there is none
    // or the count cannot be made.
    int next = 1;
    try {
        ado::RecordsetPtr rs = adoConnection->Execute(QStringLiteral("SELECT MAX(pnumber) FROM OBJ_SESSIONS"));
        if (rs && rs->RowCount() > 0 && !rs->IsNull(0, 0)) next = rs->Value(0, 0).toInt() + 1;
    } catch (const Exception&) {
        next = 1;
    }
    int members = 0;
    try {
        ado::RecordsetPtr rs = adoConnection->Execute(QStringLiteral("SELECT COUNT(*) FROM REF_MEMBERS WHERE enabled=true"));
        if (rs && rs->RowCount() > 0) members = rs->Value(0, 0).toInt();
    } catch (const Exception&) {
        members = 0;
    }
    SetField(DataSet, "id", key);
    SetField(DataSet, "pnumber", next);
    DataSet->FieldByName(QStringLiteral("pdate"))->SetAsDateTime(Date());
    SetField(DataSet, "signpost1", U("Председатель Совета директоров"));
    SetField(DataSet, "signname1", SysParamGet(QStringLiteral("predsedatel_name")));
    SetField(DataSet, "signpost2", U("Секретарь Совета директоров"));
    SetField(DataSet, "signname2", SysParamGet(QStringLiteral("secretar_name")));
    SetField(DataSet, "memberscount", members);
}

void TDM::adoObjQuestionsAfterInsert(TDataSet* DataSet)
{
    SetField(DataSet, "id", NewKey());
    DataSet->FieldByName(QStringLiteral("date"))->SetAsDateTime(Date());
}

void TDM::adoObjDecisionsAfterInsert(TDataSet* DataSet) { SetField(DataSet, "id", NewKey()); }

void TDM::adoLnkSessionsDecisionsAfterInsert(TDataSet* DataSet)
{
    SetField(DataSet, "id", NewKey());
    if (adoObjDecisions->State() == dsInsert) SetField(DataSet, "id_decision", FieldText(adoObjDecisions, "id"));
}

void TDM::adoObjPaymentsAfterInsert(TDataSet* DataSet)
{
    SetField(DataSet, "id", NewKey());
    SetField(DataSet, "reglament", SysParamGet(QStringLiteral("pay_reglament")));
}

void TDM::adoLnkSessionsMembersAfterInsert(TDataSet* DataSet)
{
    SetField(DataSet, "id", NewKey());
    SetField(DataSet, "id_session", FieldText(adoObjSessions, "id"));
}

void TDM::adoLnkDecisionsMembersAfterInsert(TDataSet* DataSet) { SetField(DataSet, "id", NewKey()); }

// A participant is stored only with a member who is not yet in the session.
// Nothing else is written before the row itself is stored: what the row
// brings along (see the after-post) would otherwise stay behind when the
// database refuses the row.
void TDM::adoLnkSessionsMembersBeforePost(TDataSet* DataSet)
{
    FParticipantPost = {};
    const QString member = FieldText(DataSet, "id_member");
    if (member.isEmpty()) {
        DataSet->Cancel();
        Abort();
    }
    const QString session = FieldText(DataSet, "id_session");
    ado::RecordsetPtr found = adoConnection->Execute(QStringLiteral("SELECT * FROM LNK_SESSIONS_MEMBERS WHERE id_member=") +
                                                     Q(member) + QStringLiteral(" and id_session=") + Q(session));
    if (found && found->RowCount() > 0) {
        DataSet->Cancel();
        Abort();
    }
    ParticipantPost post;
    post.Inserted = DataSet->State() == dsInsert;
    post.Id = FieldText(DataSet, "id");
    post.Member = member;
    post.Session = session;
    // The participation as stored, when the row is being edited.
    if (!post.Inserted) {
        ado::RecordsetPtr stored = adoConnection->Execute(
            QStringLiteral("SELECT id_member, id_session FROM LNK_SESSIONS_MEMBERS WHERE id=") + Q(post.Id));
        if (stored && stored->RowCount() > 0) {
            post.StoredMember = stored->Text(0, 0);
            post.StoredSession = stored->Text(0, 1);
        }
    }
    post.Pending = true;
    FParticipantPost = post;
}

// Once the row is stored, the participant gets a vote row (vote 0) for every
// decision linked to the session. A stored row whose member is changed hands
// the participation over: the votes and the payment belong to the
// participation, so the old member's go as when his row is deleted, and the
// new member is paid like the others when the session has payments. All of
// it or none: when any of it fails, the row goes back as it was stored
// before, and the failure is a failed post of the row.
void TDM::adoLnkSessionsMembersAfterPost(TDataSet* DataSet)
{
    const ParticipantPost post = std::exchange(FParticipantPost, ParticipantPost{});
    if (!post.Pending) return;
    const bool handedOver =
        !post.StoredMember.isEmpty() && (post.StoredMember != post.Member || post.StoredSession != post.Session);
    const bool outer = adoConnection->InTransaction();
    adoConnection->BeginTrans();
    try {
        if (handedOver) {
            PayNewParticipant(post.Member, post.Session, post.StoredMember);
            RemoveParticipation(post.StoredMember, post.StoredSession, post.StoredSession);
        }
        AddMissingVotes(post.Member, post.Session);
        adoConnection->CommitTrans();
    } catch (EDatabaseError& e) {
        UndoParticipantPost(DataSet, post, outer);
        TDataAction action = daFail;
        if (DataSet->OnPostError) DataSet->OnPostError(DataSet, e, action);
        if (action == daFail) throw;
        Abort();
    } catch (...) {
        UndoParticipantPost(DataSet, post, outer);
        throw;
    }
    RequeryIfOpen(adqLnkDecisionsMembers);
    // The vote list follows the row: the new participant's votes at once.
    adoLnkSessionsMembersAfterScroll(DataSet);
}

// The statements of the participation are undone by the savepoint; the row,
// stored before it, by a statement of its own. When the engine has undone the
// whole transaction around them (the row with it), there is nothing left to
// put back.
void TDM::UndoParticipantPost(TDataSet* DataSet, const ParticipantPost& Post, bool InOuterTransaction)
{
    try {
        adoConnection->RollbackTrans();
    } catch (const Exception&) {
    }
    if (!InOuterTransaction || adoConnection->InTransaction()) {
        try {
            if (Post.Inserted)
                adoConnection->Execute(QStringLiteral("DELETE * FROM LNK_SESSIONS_MEMBERS WHERE id=") + Q(Post.Id));
            else if (!Post.StoredMember.isEmpty())
                adoConnection->Execute(QStringLiteral("UPDATE LNK_SESSIONS_MEMBERS SET id_member=") +
                                       Q(Post.StoredMember) + QStringLiteral(", id_session=") + Q(Post.StoredSession) +
                                       QStringLiteral(" WHERE id=") + Q(Post.Id));
        } catch (const Exception&) {
            // The failure that brought us here is the one reported.
        }
    }
    // Every list shows the rows as they are again.
    RequeryIfOpen(adoObjPayments);
    RequeryIfOpen(adoObjPayments2);
    RequeryIfOpen(adqLnkDecisionsMembers);
    if (!DataSet->Active()) return;
    DataSet->Requery();
    if (!Post.Inserted) DataSet->Locate(QStringLiteral("id"), Variant(Post.Id));
}

// Only the decisions of the session the member has no row on, each once
// (a decision linked to the session twice is one decision).
void TDM::AddMissingVotes(const QString& Member, const QString& Session)
{
    ado::RecordsetPtr missing = adoConnection->Execute(
        QStringLiteral("SELECT DISTINCT id_decision FROM LNK_SESSIONS_DECISIONS WHERE id_session=") + Q(Session) +
        QStringLiteral(" AND id_decision NOT IN (SELECT id_decision FROM LNK_DECISIONS_MEMBERS WHERE id_member=") +
        Q(Member) + QStringLiteral(" AND id_decision IS NOT NULL)"));
    for (qsizetype i = 0; missing && i < missing->RowCount(); ++i)
        adoConnection->Execute(QStringLiteral("INSERT INTO LNK_DECISIONS_MEMBERS (id, id_decision, id_member, vote) VALUES (") +
                               Q(NewKey()) + QStringLiteral(", ") + Q(missing->Text(i, 0)) + QStringLiteral(", ") +
                               Q(Member) + QStringLiteral(", 0)"));
}

// The new participant's payment for a session that has payments: a copy of
// the old member's row, or of any row of the session, with the amount 0, so
// it carries the date, the signatory and the rules of the others. A member
// who already has a payment there keeps it alone.
void TDM::PayNewParticipant(const QString& Member, const QString& Session, const QString& OldMember)
{
    ado::RecordsetPtr rs = adoConnection->Execute(
        QStringLiteral("SELECT id, id_member FROM OBJ_PAYMENTS WHERE id_session=") + Q(Session));
    QString model;
    for (qsizetype i = 0; rs && i < rs->RowCount(); ++i) {
        if (rs->Text(i, 1) == Member) return;
        if (model.isEmpty() || rs->Text(i, 1) == OldMember) model = rs->Text(i, 0);
    }
    if (model.isEmpty()) return;
    adoConnection->Execute(
        QStringLiteral("INSERT INTO OBJ_PAYMENTS (id, id_session, id_member, suma, paymentdate, reglament, signpost, "
                       "signname) SELECT ") +
        Q(NewKey()) + QStringLiteral(", id_session, ") + Q(Member) +
        QStringLiteral(", 0, paymentdate, reglament, signpost, signname FROM OBJ_PAYMENTS WHERE id=") + Q(model));
}

void TDM::DataSetBeforeDelete(TDataSet*) { ConfirmDelete(U(kDeleteQuestion)); }

void TDM::WarningBeforeDelete(TDataSet*)
{
    ConfirmDelete(U("ВСЕ ДАННЫЕ, связанные с выбранной позицией будут также удалены.   \r\n") + U(kDeleteQuestion));
}

// Removing a participant removes his votes on the session's decisions and
// his payments for the session.
void TDM::adoLnkSessionsMembersBeforeDelete(TDataSet* DataSet)
{
    ConfirmDelete(U(kDeleteQuestion));
    RemoveParticipation(FieldText(DataSet, "id_member"), FieldText(DataSet, "id_session"),
                        FieldText(adoObjSessions, "id"));
}

// The member's votes on the decisions of Session and his payments for
// PaymentSession (on delete, the session being edited).
void TDM::RemoveParticipation(const QString& Member, const QString& Session, const QString& PaymentSession)
{
    if (!Session.isEmpty()) {
        ado::RecordsetPtr decisions = adoConnection->Execute(
            QStringLiteral("SELECT id_decision FROM LNK_SESSIONS_DECISIONS WHERE id_session=") + Q(Session));
        for (qsizetype i = 0; decisions && i < decisions->RowCount(); ++i)
            adoConnection->Execute(QStringLiteral("DELETE * FROM LNK_DECISIONS_MEMBERS WHERE id_decision=") +
                                   Q(decisions->Text(i, 0)) + QStringLiteral(" and id_member=") + Q(Member));
        RequeryIfOpen(adoLnkDecisionsMembers);
    }
    adoConnection->Execute(QStringLiteral("DELETE * FROM OBJ_PAYMENTS WHERE id_session=") + Q(PaymentSession) +
                           QStringLiteral(" and id_member=") + Q(Member));
    RequeryIfOpen(adoObjPayments);
    RequeryIfOpen(adoObjPayments2);
}

// The vote list follows the current participant: his votes on the decisions
// of the current session, or nothing.
void TDM::adoLnkSessionsMembersAfterScroll(TDataSet* DataSet)
{
    const QString nothing = NewKey();
    QString filter;
    const QString member = FieldText(DataSet, "id_member");
    if (!member.isEmpty() && adoObjSessions->Active()) {
        TADOQuery q(nullptr);
        q.SetConnection(adoConnection);
        q.SQL()->SetText(QStringLiteral("SELECT DISTINCT id_decision FROM LNK_SESSIONS_DECISIONS WHERE id_session=") +
                         Q(FieldText(adoObjSessions, "id")));
        q.Open();
        QStringList decisions;
        TField* d = q.FieldByName(QStringLiteral("id_decision"));
        for (q.First(); !q.Eof(); q.Next()) decisions << d->AsString();
        if (!decisions.isEmpty()) {
            // Values go between apostrophes; an apostrophe inside is doubled.
            const QString m = QString(member).replace(QLatin1Char('\''), QLatin1String("''"));
            for (QString& j : decisions) j.replace(QLatin1Char('\''), QLatin1String("''"));
            filter = QStringLiteral("(id_member = '") + m + QStringLiteral("' AND id_decision = '") +
                     JoinStrings(QStringLiteral("') OR (id_member = '") + m + QStringLiteral("' AND id_decision = '"),
                                 decisions) +
                     QStringLiteral("')");
        }
    }
    if (Trim(filter).isEmpty()) filter = QStringLiteral("id_member = ") + nothing;
    adoLnkDecisionsMembers->SetFilter(filter);
    adoLnkDecisionsMembers->SetFiltered(true);
    RequeryIfOpen(adoLnkDecisionsMembers);
}

void TDM::adoObjSessionsCalcFields(TDataSet* DataSet)
{
    SetField(DataSet, "reportfield", SessionTextOf(DataSet));
}

void TDM::adqObjSessionsCalcFields(TDataSet* DataSet)
{
    SetField(DataSet, "session", SessionTextOf(DataSet));
}

void TDM::adoObjQuestionsCalcFields(TDataSet* DataSet)
{
    SetField(DataSet, "qpreview", PreviewText(FieldText(DataSet, "question"), 53));
}

void TDM::adoObjDecisionsCalcFields(TDataSet* DataSet)
{
    QString q;
    if (adqObjQuestions->Active() &&
        adqObjQuestions->Locate(QStringLiteral("id"), FieldText(DataSet, "id_question")))
        q = PreviewText(FieldText(adqObjQuestions, "question"), 50);
    SetField(DataSet, "qpreview", q);
    SetField(DataSet, "dpreview", PreviewText(FieldText(DataSet, "description"), 50));
    QString session;
    if (adqObjSessions2->Active() &&
        adqObjSessions2->Locate(QStringLiteral("id_decision"), FieldText(DataSet, "id")))
        session = SessionTextOf(adqObjSessions2);
    SetField(DataSet, "session", session);
}

void TDM::adoObjPaymentsCalcFields(TDataSet* DataSet)
{
    QString session;
    if (adqObjSessions3->Active() &&
        adqObjSessions3->Locate(QStringLiteral("id"), FieldText(DataSet, "id_session")))
        session = FieldText(adqObjSessions3, "session");
    SetField(DataSet, "session", session);
    SetField(DataSet, "reportfield", U("Заседание ") + session + U("; ") + FieldText(DataSet, "member"));
}

void TDM::adoLnkDecisionsMembersCalcFields(TDataSet* DataSet)
{
    QString description, question;
    ado::RecordsetPtr d = adoConnection->Execute(QStringLiteral("SELECT id_question, description FROM OBJ_DECISIONS WHERE id=") +
                                                 Q(FieldText(DataSet, "id_decision")));
    if (d && d->RowCount() > 0) {
        description = d->Text(0, 1);
        ado::RecordsetPtr q = adoConnection->Execute(QStringLiteral("SELECT question FROM OBJ_QUESTIONS WHERE id=") +
                                                     Q(d->Text(0, 0)));
        if (q && q->RowCount() > 0) question = q->Text(0, 0);
    }
    SetField(DataSet, "decision", PreviewText(description, 100));
    SetField(DataSet, "question", PreviewText(question, 100));
}

void TDM::adoRefMembersAfterPost(TDataSet*)
{
    for (TDataSet* q : {adqRefMembers, adqRefMembers2, adqRefMembers3}) RequeryIfOpen(q);
}

void TDM::adoObjSessionsAfterPost(TDataSet*)
{
    for (TDataSet* q : {adqObjSessions, adqObjSessions2, adqObjSessions3}) RequeryIfOpen(q);
}

void TDM::adoObjQuestionsAfterPost(TDataSet*)
{
    for (TDataSet* q : {adqObjQuestions, adqObjQuestions2}) RequeryIfOpen(q);
}

void TDM::adoObjPaymentsAfterPost(TDataSet*)
{
    for (TDataSet* q : {static_cast<TDataSet*>(adoObjPayments2), static_cast<TDataSet*>(adqObjPayments)})
        RequeryIfOpen(q);
}

void TDM::adoRefPlacesAfterPost(TDataSet*) { RequeryIfOpen(adqRefPlaces); }
void TDM::adoRefFormsAfterPost(TDataSet*) { RequeryIfOpen(adqRefForms); }
void TDM::adoLnkDecisionsMembersAfterPost(TDataSet*) { RequeryIfOpen(adqLnkDecisionsMembers); }
