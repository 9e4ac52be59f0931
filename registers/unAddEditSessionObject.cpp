#include "registers/unAddEditSessionObject.h"

#include <QScopedValueRollback>

#include "components/DBDateEdit.h"
#include "components/DateUtil.h"
#include "components/QvDBCtrl.h"
#include "components/ToolEdit.h"
#include "data/unCommon.h"
#include "data/unDM.h"
#include "platform/ado/ADODB.h"
#include "platform/ado/JetSql.h"
#include "platform/core/DateTime.h"
#include "platform/core/SysUtils.h"
#include "platform/db/DB.h"
#include "platform/os/Guid.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/ComboBoxes.h"
#include "platform/ui/DBCtrls.h"
#include "platform/ui/StdCtrls.h"

namespace {

const QString kAdding = QStringLiteral("Добавление заседания");
const QString kDeputy = QStringLiteral("Зам. генерального директора");
const QString kDirector = QStringLiteral("Генеральный директор");
const QString kNoPayDate = QStringLiteral("Дата выплаты вознаграждений не указана или указана неправильно.   \r\n"
                                          "Укажите дату выплаты.");

// A date as the statement's literal, made from the date value.
QString DateLiteral(TDateTime d)
{
    return QStringLiteral("DateValue(") + SqlQuote(DateToStr(d), QLatin1Char('\'')) + QStringLiteral(")");
}

ado::RecordsetPtr Run(const QString& sql) { return DM->adoConnection->Execute(sql); }

// The first column of every row of the statement, in order.
QStringList Column(const QString& sql)
{
    QStringList out;
    ado::RecordsetPtr rs = Run(sql);
    for (qsizetype i = 0; rs && i < rs->RowCount(); ++i) out << rs->Text(i, 0);
    return out;
}

QString Cell(const ado::RecordsetPtr& rs, const char* column)
{
    const int c = rs->FindColumn(QString::fromLatin1(column));
    return c < 0 ? QString() : rs->Text(0, c);
}

// A label whose accelerator focuses the control.
TLabel* NewLabel(TWinControl* parent, const char* name, const QString& caption, int left, int top,
                 TWinControl* focus = nullptr)
{
    auto* l = new TLabel(parent->Owner());
    l->SetName(QString::fromLatin1(name));
    l->SetParent(parent);
    l->SetLeft(left);
    l->SetTop(top);
    l->SetCaption(caption);
    l->SetFocusControl(focus);
    return l;
}

template <class C>
C* Place(C* c, TWinControl* parent, const char* name, int left, int top, int width, int height, int tabOrder = -1)
{
    c->SetName(QString::fromLatin1(name));
    c->SetParent(parent);
    c->SetBounds(left, top, width, height);
    if (tabOrder >= 0) c->SetTabOrder(tabOrder);
    return c;
}

TDataSource* NewSource(TComponent* owner, const char* name, TDataSet* ds, bool autoEdit)
{
    auto* s = new TDataSource(owner);
    s->SetName(QString::fromLatin1(name));
    s->SetDataSet(ds);
    s->SetAutoEdit(autoEdit);
    return s;
}

TQvDBGrid* NewGrid(TWinControl* parent, const char* name, TDataSource* source, int left, int top, int width,
                   int height)
{
    auto* g = Place(new TQvDBGrid(parent->Owner()), parent, name, left, top, width, height);
    g->SetDataSource(source);
    g->SetTitleButtons(true);
    g->SetOptions(TDBGridOptions{dgEditing, dgTitles, dgIndicator, dgColumnResize, dgColLines, dgRowLines,
                                 dgCancelOnExit});
    return g;
}

// A data-aware control on one field of the source.
template <class C>
C* Bind(C* c, TDataSource* source, const char* field)
{
    c->SetDataSource(source);
    c->SetDataField(QString::fromLatin1(field));
    return c;
}

TDBLookupComboBox* NewLookup(TWinControl* parent, const char* name, TDataSource* source, const char* field,
                             TDataSource* list, int left, int top, int tabOrder)
{
    auto* c = Place(new TDBLookupComboBox(parent->Owner()), parent, name, left, top, 234, 21, tabOrder);
    Bind(c, source, field);
    c->SetListSource(list);
    c->SetKeyField(QStringLiteral("id"));
    c->SetListField(QStringLiteral("name"));
    return c;
}

TDBMemo* NewMemo(TWinControl* parent, const char* name, TDataSource* source, const char* field, int top, int tabOrder)
{
    auto* m = Bind(Place(new TDBMemo(parent->Owner()), parent, name, 9, top, 345, 70, tabOrder), source, field);
    m->SetScrollBars(ssVertical);
    return m;
}

// The navigators' hints, one per button from First to Refresh.
const char* const kNavigatorHints[] = {"К первой позиции",      "К предыдущей позиции", "К следующей позиции",
                                       "К последней позиции",   "Добавить позицию",     "Удалить позицию",
                                       "Редактировать позицию", "Сохранить",            "Отменить",
                                       "Обновить"};

TDBNavigator* NewNavigator(TWinControl* parent, const char* name, TDataSource* source, int left, int top, int width,
                           TButtonSet buttons)
{
    auto* n = Place(new TDBNavigator(parent->Owner()), parent, name, left, top, width, 18);
    n->SetDataSource(source);
    n->SetVisibleButtons(buttons);
    n->SetFlat(true);
    n->SetConfirmDelete(false);
    n->SetShowHint(true);
    TStringList hints;
    for (const char* h : kNavigatorHints) hints.Add(QString::fromUtf8(h));
    n->SetHints(&hints);
    return n;
}

}  // namespace

QString SignatoryName(const QString& Post)
{
    return DM->SysParamGet(Post == kDeputy ? QStringLiteral("zam_gen_director") : QStringLiteral("gen_director"));
}

TfmAddEditSessionObject::TfmAddEditSessionObject(TComponent* AOwner) : TForm(AOwner)
{
    SetName(QStringLiteral("fmAddEditSessionObject"));
    SetBorderStyle(bsDialog);
    SetPosition(poOwnerFormCenter);
    Font()->SetName(QStringLiteral("Tahoma"));
    Font()->SetSize(8);
    SetClientWidth(392);
    SetClientHeight(379);

    dsoMain = NewSource(this, "dsoMain", DM->adoObjSessions, false);
    dsoPlaces = NewSource(this, "dsoPlaces", DM->adqRefPlaces, false);
    dsoForms = NewSource(this, "dsoForms", DM->adqRefForms, false);
    dsoLnkSessionsMembers = NewSource(this, "dsoLnkSessionsMembers", DM->adoLnkSessionsMembers, true);
    dsoLnkDecisionsMembers = NewSource(this, "dsoLnkDecisionsMembers", DM->adoLnkDecisionsMembers, true);
    dsoPayments = NewSource(this, "dsoPayments", DM->adoObjPayments2, true);
    dsoForms->OnDataChange = [this](TObject* s, TField* f) { dsoFormsDataChange(s, f); };
    dsoForms->OnStateChange = [this](TObject* s) { dsoFormsStateChange(s); };
    // The note follows the form the session holds, whichever way it was chosen.
    dsoMain->OnDataChange = [this](TObject*, TField* f) {
        if (f && f->FieldName() == QLatin1String("id_form")) CopyFormComment();
    };

    tabParams = Place(new TPageControl(this), this, "tabParams", 10, 9, 372, 325, 0);
    auto sheet = [this](const char* name, const QString& caption) {
        auto* t = new TTabSheet(this);
        t->SetName(QString::fromLatin1(name));
        t->SetPageControl(tabParams);
        t->SetCaption(caption);
        return t;
    };
    TabSheet1 = sheet("TabSheet1", QStringLiteral("&Заседание"));
    TabSheet2 = sheet("TabSheet2", QStringLiteral("&Участники и голоса"));
    TabSheet3 = sheet("TabSheet3", QStringLiteral("&Вознаграждения"));

    btnOK = Place(new TButton(this), this, "btnOK", 219, 343, 75, 25, 1);
    btnOK->SetCaption(QStringLiteral("OK"));
    btnOK->SetDefault(true);
    btnOK->SetAnchors(TAnchors{akRight, akBottom});
    btnOK->OnClick = [this](TObject* s) { btnOKClick(s); };
    btnCancel = Place(new TButton(this), this, "btnCancel", 305, 343, 75, 25, 2);
    btnCancel->SetCaption(QStringLiteral("Отмена"));
    btnCancel->SetCancel(true);
    btnCancel->SetModalResult(mrCancel);

    // ---- the session
    DBEdit1 = Bind(Place(new TDBEdit(this), TabSheet1, "DBEdit1", 89, 9, 65, 21, 0), dsoMain, "pnumber");
    DBDateEdit1 = Place(new TDBDateEdit(this), TabSheet1, "DBDateEdit1", 205, 9, 150, 21, 1);
    DBDateEdit1->SetDataSource(dsoMain);
    DBDateEdit1->SetDataField(QStringLiteral("pdate"));
    DBDateEdit1->SetButtonHint(QStringLiteral("Уточнить"));
    DBDateEdit1->SetDialogTitle(QStringLiteral("Выбор даты"));
    DBDateEdit1->SetButtonWidth(20);
    DBDateEdit1->SetWeekends(TDaysOfWeek{Sun, Sat});
    DBDateEdit1->SetYearDigits(dyFour);
    DBLookupComboBox1 = NewLookup(TabSheet1, "DBLookupComboBox1", dsoMain, "id_form", dsoForms, 121, 42, 2);
    DBLookupComboBox2 = NewLookup(TabSheet1, "DBLookupComboBox2", dsoMain, "id_place", dsoPlaces, 121, 75, 3);
    DBMemo1 = NewMemo(TabSheet1, "DBMemo1", dsoMain, "fcomment", 121, 4);
    DBMemo2 = NewMemo(TabSheet1, "DBMemo2", dsoMain, "mcomment", 215, 5);
    Label1 = NewLabel(TabSheet1, "Label1", QStringLiteral("&№ заседания:"), 9, 13, DBEdit1);
    Label2 = NewLabel(TabSheet1, "Label2", QStringLiteral("&Дата:"), 170, 13, DBDateEdit1);
    Label3 = NewLabel(TabSheet1, "Label3", QStringLiteral("&Форма проведения:"), 9, 46, DBLookupComboBox1);
    Label4 = NewLabel(TabSheet1, "Label4", QStringLiteral("&Место проведения:"), 9, 79, DBLookupComboBox2);
    Label5 = NewLabel(TabSheet1, "Label5", QStringLiteral("&Примечание к форме проведения (для уведомлений):"), 9,
                      105, DBMemo1);
    Label6 = NewLabel(TabSheet1, "Label6",
                      QStringLiteral("&Комментарий к числу присутствующих / отсутствующих:"), 9, 199, DBMemo2);
    TabSheet1->OnShow = [this](TObject* s) { TabSheet1Show(s); };

    // ---- participants and votes
    Label7 = NewLabel(TabSheet2, "Label7", QStringLiteral("&Члены совета, принимавшие участие:"), 9, 9);
    dbgMembers = NewGrid(TabSheet2, "dbgMembers", dsoLnkSessionsMembers, 9, 26, 345, 117);
    Label7->SetFocusControl(dbgMembers);
    DBNavigator1 = NewNavigator(TabSheet2, "DBNavigator1", dsoLnkSessionsMembers, 234, 5, 120,
                                TButtonSet{nbInsert, nbDelete, nbEdit, nbPost, nbCancel, nbRefresh});
    Label8 = NewLabel(TabSheet2, "Label8", QStringLiteral("&Голоса по каждому из вопросов:"), 9, 151);
    dbgVotes = NewGrid(TabSheet2, "dbgVotes", dsoLnkDecisionsMembers, 9, 168, 345, 117);
    dbgVotes->OnKeyDown = [this](TObject* s, WORD& k, TShiftState sh) { dbgVotesKeyDown(s, k, sh); };
    Label8->SetFocusControl(dbgVotes);
    DBNavigator2 = NewNavigator(TabSheet2, "DBNavigator2", dsoLnkDecisionsMembers, 274, 147, 80,
                                TButtonSet{nbEdit, nbPost, nbCancel, nbRefresh});
    TabSheet2->OnShow = [this](TObject* s) { TabSheet2Show(s); };

    // ---- payments
    cbxSetPay = Place(new TCheckBox(this), TabSheet3, "cbxSetPay", 8, 11, 176, 17, 0);
    cbxSetPay->SetCaption(QStringLiteral(" Оформить &выплату от даты "));
    cbxSetPay->OnClick = [this](TObject* s) { cbxSetPayClick(s); };
    dtePay = Place(new TDateEdit(this), TabSheet3, "dtePay", 185, 9, 170, 21, 1);
    dtePay->SetButtonHint(QStringLiteral("Выбрать дату"));
    dtePay->SetCheckOnExit(true);
    dtePay->SetDefaultToday(true);
    dtePay->SetDialogTitle(QStringLiteral("Выбор даты"));
    dtePay->SetWeekends(TDaysOfWeek{Sun, Sat});
    dtePay->SetYearDigits(dyFour);
    dtePay->OnChange = [this](TObject* s) { dtePayChange(s); };
    dbgPayments = NewGrid(TabSheet3, "dbgPayments", dsoPayments, 9, 64, 345, 188);
    dbgPayments->SetTabOrder(2);
    dbgPayments->OnKeyDown = [this](TObject* s, WORD& k, TShiftState sh) { dbgVotesKeyDown(s, k, sh); };
    Label9 = NewLabel(TabSheet3, "Label9", QStringLiteral("&Вознаграждения:"), 9, 47, dbgPayments);
    DBNavigator3 = NewNavigator(TabSheet3, "DBNavigator3", dsoPayments, 274, 43, 80,
                                TButtonSet{nbEdit, nbPost, nbCancel, nbRefresh});
    cmbSign = Place(new TComboBox(this), TabSheet3, "cmbSign", 89, 264, 266, 21, 4);
    cmbSign->SetStyle(csDropDownList);
    cmbSign->Items()->Add(kDeputy);
    cmbSign->Items()->Add(kDirector);
    cmbSign->SetItemIndex(0);
    cmbSign->OnSelect = [this](TObject* s) { cmbSignChange(s); };
    Label10 = NewLabel(TabSheet3, "Label10", QStringLiteral("За &подписью:"), 9, 268, cmbSign);
    SetPaymentControls(false);
    TabSheet3->OnShow = [this](TObject* s) { TabSheet3Show(s); };
}

QString TfmAddEditSessionObject::SessionId() const
{
    return dsoMain->DataSet()->FieldByName(QStringLiteral("id"))->AsString();
}

bool TfmAddEditSessionObject::Adding() const { return Caption() == kAdding; }

// ---------------------------------------------------------------- OK

void TfmAddEditSessionObject::btnOKClick(TObject*)
{
    TDataSet* session = dsoMain->DataSet();
    // The payments carry the date the field shows; with none there, nothing
    // is kept until one is given.
    if (cbxSetPay->Checked() && PayDateShown() == NullDate) {
        Application->MessageBox(kNoPayDate, QStringLiteral("Оформление выплаты"), MB_OK | MB_ICONWARNING);
        if (tabParams->ActivePage() != TabSheet3) tabParams->SetActivePage(TabSheet3);
        if (dtePay->CanFocus()) {
            dtePay->SetFocus();
            dtePay->SelectAll();
        }
        return;
    }
    // The member count records the quorum when the session is entered; an
    // edit keeps what was stored.
    if (session->State() == dsInsert) {
        int count = 0;
        try {
            ado::RecordsetPtr rs = Run(QStringLiteral("SELECT COUNT(*) FROM REF_MEMBERS WHERE enabled=true"));
            if (rs && rs->RowCount() > 0) count = rs->Value(0, 0).toInt();
        } catch (const Exception&) {
            count = 0;
        }
        session->FieldByName(QStringLiteral("memberscount"))->SetAsInteger(count);
    }
    // A post that fails leaves the dialog open; the next OK posts only what
    // is still pending, so OK can be pressed again until everything is kept.
    for (TDataSource* s : {dsoMain, dsoLnkSessionsMembers, dsoLnkDecisionsMembers, dsoPayments})
        if (IsEditing(s->DataSet())) s->DataSet()->Post();
    if (!IsEditing(session)) SetModalResult(mrOk);
}

// ---------------------------------------------------------------- the session

void TfmAddEditSessionObject::TabSheet1Show(TObject*) { DM->adqRefForms->Requery(); }

void TfmAddEditSessionObject::dsoFormsDataChange(TObject*, TField*) { CopyFormComment(); }
void TfmAddEditSessionObject::dsoFormsStateChange(TObject*) { CopyFormComment(); }

void TfmAddEditSessionObject::CopyFormComment()
{
    TDataSet* session = dsoMain->DataSet();
    if (FCopyingComment || !Adding() || !session || session->State() != dsInsert) return;
    TField* note = session->FieldByName(QStringLiteral("fcomment"));
    if (!note->AsString().isEmpty() || !DBMemo1->Text().isEmpty()) return;
    const QString form = session->FieldByName(QStringLiteral("id_form"))->AsString();
    if (form.isEmpty() || !DM->adqRefForms->Active()) return;
    const Variant comment = DM->adqRefForms->Lookup(QStringLiteral("id"), Variant(form), QStringLiteral("comment"));
    if (VarIsNull(comment) || comment.toString().isEmpty()) return;
    QScopedValueRollback<bool> busy(FCopyingComment, true);
    note->SetAsString(comment.toString());
}

// ---------------------------------------------------------------- participants and votes

// Every participant has a vote row on every decision of the session, once.
void TfmAddEditSessionObject::TabSheet2Show(TObject*)
{
    const QString id = SessionId();
    for (const QString& m :
         Column(QStringLiteral("SELECT DISTINCT id_member FROM LNK_SESSIONS_MEMBERS WHERE id_session=") + SqlQuote(id)))
        DM->AddMissingVotes(m, id);
    DM->adoLnkDecisionsMembers->Requery();
    DM->adqLnkDecisionsMembers->Requery();
    DM->adoLnkSessionsMembersAfterScroll(DM->adoLnkSessionsMembers);
}

void TfmAddEditSessionObject::dbgVotesKeyDown(TObject* Sender, WORD& Key, TShiftState)
{
    auto* grid = dynamic_cast<TQvDBGrid*>(Sender);
    TDataSet* ds = grid && grid->DataSource() ? grid->DataSource()->DataSet() : nullptr;
    const bool onLast = ds && ds->Active() && ds->RecNo() == ds->RecordCount();
    if ((Key == VK_DOWN && onLast) || Key == VK_INSERT || Key == VK_DELETE) Key = VK_CLEAR;
}

// ---------------------------------------------------------------- payments

void TfmAddEditSessionObject::SetPaymentControls(bool Enabled)
{
    for (TControl* c : std::initializer_list<TControl*>{dtePay, Label9, dbgPayments, DBNavigator3, Label10, cmbSign})
        c->SetEnabled(Enabled);
    dbgPayments->SetColor(Enabled ? clWindow : clBtnFace);
    cmbSign->SetColor(Enabled ? clWindow : clBtnFace);
}

void TfmAddEditSessionObject::SetPayChecked(bool Checked)
{
    cbxSetPay->SetCheckedWithoutClick(Checked);
}

// Showing the stored date, or today once the payments are switched on or
// off, is no change of the payments: only the user's date is written.
void TfmAddEditSessionObject::SetPayDate(double Date)
{
    QScopedValueRollback<bool> busy(FSettingPayDate, true);
    dtePay->SetDate(Date);
}

void TfmAddEditSessionObject::RequeryPayments()
{
    DM->adoObjPayments2->Requery();
    if (DM->adoObjPayments->Active()) DM->adoObjPayments->Requery();
}

void TfmAddEditSessionObject::TabSheet3Show(TObject*)
{
    const QString id = SessionId();
    TDataSet* pay = dsoPayments->DataSet();
    pay->SetFilter(QStringLiteral("id_session=") + SqlQuote(id, QLatin1Char('\'')));
    pay->SetFiltered(true);
    const QString select = QStringLiteral("SELECT * FROM OBJ_PAYMENTS WHERE id_session=") + SqlQuote(id);
    ado::RecordsetPtr rs = Run(select);
    if (rs && rs->RowCount() > 0) {
        SetPayChecked(true);
        GeneratePayments();
        SetPaymentControls(true);
        rs = Run(select);
        if (rs && rs->RowCount() > 0) {
            cmbSign->SetItemIndex(Cell(rs, "signpost") == kDeputy ? 0 : 1);
            const int c = rs->FindColumn(QStringLiteral("paymentdate"));
            SetPayDate(c < 0 || rs->IsNull(0, c) ? NullDate : rs->Value(0, c).toDouble());
        } else {
            cmbSign->SetItemIndex(0);
            SetPayDate(Date());
        }
    } else {
        SetPayChecked(false);
        SetPaymentControls(false);
        cmbSign->SetItemIndex(0);
        SetPayDate(Date());
    }
}

void TfmAddEditSessionObject::GeneratePayments()
{
    const QString id = SessionId();
    const QString s = SqlQuote(id);
    const QStringList members =
        Column(QStringLiteral("SELECT DISTINCT id_member FROM LNK_SESSIONS_MEMBERS WHERE id_session=") + s);
    ado::RecordsetPtr rs = Run(QStringLiteral("SELECT * FROM OBJ_PAYMENTS WHERE id_session=") + s);
    TDateTime date = Date();
    QString post = kDeputy, name, rules;
    if (rs && rs->RowCount() > 0) {
        post = Cell(rs, "signpost");
        name = SignatoryName(post);
        const int c = rs->FindColumn(QStringLiteral("paymentdate"));
        if (c >= 0 && !rs->IsNull(0, c)) date = rs->Value(0, c).toDouble();
        rules = RemoveLineBreaks(Cell(rs, "reglament")).trimmed();
    } else {
        name = RemoveLineBreaks(SignatoryName(post));
    }
    if (rules.isEmpty()) rules = RemoveLineBreaks(DM->SysParamGet(QStringLiteral("pay_reglament")));
    TDataSet* all = DM->adqObjPayments;
    all->Requery();
    for (const QString& m : members)
        if (!all->Locate(QStringLiteral("id_member;id_session"), VarArrayOf({Variant(m), Variant(id)})))
            Run(QStringLiteral("INSERT INTO OBJ_PAYMENTS (id, id_session, id_member, suma, paymentdate, reglament, "
                               "signpost, signname) VALUES (") +
                SqlQuote(NewGUIDString()) + QStringLiteral(", ") + s + QStringLiteral(", ") + SqlQuote(m) +
                QStringLiteral(", 0, ") + DateLiteral(date) + QStringLiteral(", ") + SqlQuote(rules) +
                QStringLiteral(", ") + SqlQuote(post) + QStringLiteral(", ") + SqlQuote(name) + QStringLiteral(")"));
    RequeryPayments();
}

void TfmAddEditSessionObject::cbxSetPayClick(TObject*)
{
    TDataSet* pay = dsoPayments->DataSet();
    if (cbxSetPay->Checked()) {
        SetPaymentControls(true);
        GeneratePayments();
        cmbSign->SetItemIndex(0);
        SetPayDate(Date());
        RequeryPayments();
        return;
    }
    const int answer = Application->MessageBox(
        QStringLiteral("Отключение выплат повлечет за собой сброс сумм вознаграждений по данному заседанию.   \r\n"
                       "Вы действительно желаете отключить выплаты?"),
        QStringLiteral("Сброс вознаграждений"), MB_YESNO | MB_ICONQUESTION);
    if (answer != IDYES) {
        SetPayChecked(true);
        return;
    }
    SetPaymentControls(false);
    // The rows go by statement: an amount being typed goes with them.
    if (IsEditing(pay)) pay->Cancel();
    Run(QStringLiteral("DELETE * FROM OBJ_PAYMENTS WHERE id_session=") + SqlQuote(SessionId()));
    cmbSign->SetItemIndex(0);
    SetPayDate(Date());
    RequeryPayments();
}

TDateTime TfmAddEditSessionObject::PayDateShown() const
{
    if (!dtePay->TextStored()) return NullDate;
    return StrToDateDef(dtePay->DateFormat(), dtePay->Text(), NullDate);
}

// Whenever the edit's text reads as a date (the date the edit completes it
// to on leaving: 20.12.26 is 20.12.2026), that date goes on every payment of
// the session, so OK stores what the field shows; a text that is no date
// writes nothing. The date goes into the statement as a date value, never as
// the typed text.
void TfmAddEditSessionObject::dtePayChange(TObject*)
{
    if (FSettingPayDate) return;
    const TDateTime date = PayDateShown();
    if (date == NullDate) return;
    // An amount being typed is kept before the rows are rewritten.
    if (IsEditing(dsoPayments->DataSet())) dsoPayments->DataSet()->Post();
    Run(QStringLiteral("UPDATE OBJ_PAYMENTS SET paymentdate=") + DateLiteral(date) +
        QStringLiteral(" WHERE id_session=") + SqlQuote(SessionId()));
    RequeryPayments();
}

void TfmAddEditSessionObject::cmbSignChange(TObject*)
{
    const QString post = cmbSign->ItemIndex() != 0 ? kDirector : kDeputy;
    const QString name = SignatoryName(post);
    if (IsEditing(dsoPayments->DataSet())) dsoPayments->DataSet()->Post();
    Run(QStringLiteral("UPDATE OBJ_PAYMENTS SET signpost=") + SqlQuote(post) + QStringLiteral(", signname=") + SqlQuote(name) +
        QStringLiteral(" WHERE id_session=") + SqlQuote(SessionId()));
    RequeryPayments();
}
