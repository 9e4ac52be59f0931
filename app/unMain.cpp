#include "app/unMain.h"

#include "app/unAbout.h"
#include "app/unChangePwd.h"
#include "app/unEnterPassword.h"
#include "app/unSysParams.h"
#include "components/DrawUtils.h"
#include "components/Placement.h"
#include "components/StrHolder.h"
#include "data/unDM.h"
#include "app/unSplash.h"
#include "registers/Registers.h"
#include "platform/ado/ADODB.h"
#include "platform/core/SysUtils.h"
#include "platform/os/ShellApi.h"
#include "platform/ui/ActnList.h"
#include "platform/ui/AppEvnts.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/ImgList.h"
#include "platform/ui/Menus.h"
#include "platform/ui/StdCtrls.h"

#ifndef QORVANE_WEB_ADDRESS
#define QORVANE_WEB_ADDRESS "https://www.velmora.example/"
#endif

TfmMain* fmMain = nullptr;
TReportList ExcelReports;
TReportList WordReports;
QString DbFileName;
QString DbPassword;
int LoginAttempts = 3;
const QString ProductWebAddress = QStringLiteral(QORVANE_WEB_ADDRESS);
QString AppFolderOverride;
QString AppFolder() { return AppFolderOverride.isEmpty() ? ExeFolder() : AppFolderOverride; }
const QString DbProviderName = QStringLiteral("Qorvane.SQLCipher.1");

// ----------------------------------------------------------------- helpers

QString NormalConnectionString(const QString& Password, const QString& FileName)
{
    return QStringLiteral("Provider=") + DbProviderName + QStringLiteral(";Jet OLEDB:Database Password=") +
           TADOConnection::QuoteConnectionStringValue(Password) + QStringLiteral(";Data Source=") +
           TADOConnection::QuoteConnectionStringValue(FileName) + QStringLiteral(";Persist Security Info=True");
}

QString ExclusiveConnectionString(const QString& Password, const QString& FileName)
{
    return QStringLiteral("Provider=") + DbProviderName + QStringLiteral(";Jet OLEDB:Database Password=") +
           TADOConnection::QuoteConnectionStringValue(Password) + QStringLiteral(";Data Source=") +
           TADOConnection::QuoteConnectionStringValue(FileName) +
           QStringLiteral(";Mode=Share Deny Read|Share Deny Write;Persist Security Info=True");
}

QString MainDateText(TDateTime Date)
{
    static const char* const months[12] = {"января", "февраля", "марта",    "апреля",  "мая",    "июня",
                                           "июля",   "августа", "сентября", "октября", "ноября", "декабря"};
    int y = 0, m = 0, d = 0;
    DecodeDate(Date, y, m, d);
    return QStringLiteral("%1 %2 %3 года").arg(d).arg(QString::fromUtf8(months[(m - 1) % 12])).arg(y, 4, 10, QLatin1Char('0'));
}

// ------------------------------------------------------------------ window

TfmMain::TfmMain(TComponent* AOwner) : TForm(AOwner)
{
    InitAppResources();
    // The register window classes the open commands create.
    RegisterRegisterWindows();
    SetName(QStringLiteral("fmMain"));
    SetFormStyle(fsMDIForm);
    SetCaption(QStringLiteral("Velmora"));
    SetPosition(poScreenCenter);
    Constraints()->SetMinWidth(730);
    Constraints()->SetMinHeight(555);
    SetBounds(0, 0, 730, 555);
    SetColor(clAppWorkSpace);
    Font()->SetName(QStringLiteral("Tahoma"));
    Font()->SetSize(8);
    Font()->SetCharset(RUSSIAN_CHARSET);
    Clock = [] { return Now(); };

    imlActions = new TImageList(16, 16, this);
    imlActions->SetName(QStringLiteral("imlActions"));
    BuildImages();

    amnMain = new TActionManager(this);
    amnMain->SetName(QStringLiteral("amnMain"));
    amnMain->SetImages(imlActions);

    auto act = [this](TAction*& a, const char* name, const char* category, const char* caption, const char* hint,
                      int image, void (TfmMain::*execute)(TObject*)) {
        a = new TAction(this);
        a->SetName(QString::fromLatin1(name));
        a->SetCategory(QString::fromUtf8(category));
        a->SetCaption(QString::fromUtf8(caption));
        a->SetHint(QString::fromUtf8(hint));
        a->SetImageIndex(image);
        if (execute) a->OnExecute = [this, execute](TObject* s) { (this->*execute)(s); };
        a->SetActionList(amnMain);
    };
    act(aOpenObjSessions, "aOpenObjSessions", "Объекты", "&Заседания совета", "Заседания совета директоров", 23,
        &TfmMain::aOpenObjSessionsExecute);
    act(aOpenObjQuestions, "aOpenObjQuestions", "Объекты", "&Вопросы заседаний",
        "Вопросы, обсуждаемые на заседаниях совета директоров", 23, &TfmMain::aOpenObjQuestionsExecute);
    act(aOpenObjDecisions, "aOpenObjDecisions", "Объекты", "&Проекты решений",
        "Проекты решений по обсуждаемым вопросам", 23, &TfmMain::aOpenObjDecisionsExecute);
    act(aOpenObjPayments, "aOpenObjPayments", "Объекты", "Вознагра&ждения",
        "Выплата вознаграждений за участие в заседаниях", 23, &TfmMain::aOpenObjPaymentsExecute);
    act(aOpenRefMembers, "aOpenRefMembers", "Справочники", "&Члены совета", "Члена совета директоров", 21,
        &TfmMain::aOpenRefMembersExecute);
    act(aOpenRefForms, "aOpenRefForms", "Справочники", "&Формы проведения заседаний", "", 21,
        &TfmMain::aOpenRefFormsExecute);
    act(aOpenRefPlaces, "aOpenRefPlaces", "Справочники", "&Места проведения заседаний", "Места проведения заседаний",
        21, &TfmMain::aOpenRefPlacesExecute);
    act(aChangePassword, "aChangePassword", "Файл", "&Изменить пароль...", "Изменить пароль пользователя", 25,
        &TfmMain::aChangePasswordExecute);
    act(aParameters, "aParameters", "Файл", "&Параметры...", "Изменить параметры системы", 69,
        &TfmMain::aParametersExecute);
    act(aExit, "aExit", "Файл", "В&ыход", "Выход|Выход из Velmora", 4, &TfmMain::aExitExecute);
    aExit->SetShortCut(32883);   // Alt+F4
    act(aHelp, "aHelp", "Справка", "&Справка: Velmora", "Вызов справки|Справка по Velmora", 0,
        &TfmMain::aHelpExecute);
    aHelp->SetShortCut(112);   // F1
    act(aCompanyInWWW, "aCompanyInWWW", "Справка", "Веб-страница продукта в &интернете",
        "Открыть веб-страницу продукта", 1, &TfmMain::aCompanyInWWWExecute);
    act(aAboutProgramm, "aAboutProgramm", "Справка", "&О программе...", "Информация о Velmora", -1,
        &TfmMain::aAboutProgrammExecute);
    act(aWTopToBottom, "aWTopToBottom", "Окно", "Св&ерху вниз", "Расположить окна сверху вниз", 10,
        &TfmMain::aWTopToBottomExecute);
    act(aWLeftToRight, "aWLeftToRight", "Окно", "С&лева направо", "Расположить окна слева направо", 7,
        &TfmMain::aWLeftToRightExecute);
    act(aWCascade, "aWCascade", "Окно", "&Каскадом", "Расположить окна каскадом", 9, &TfmMain::aWCascadeExecute);
    act(aWArrange, "aWArrange", "Окно", "&Упорядочить значки", "Упорядочить значки свернутых окон", 14,
        &TfmMain::aWArrangeExecute);
    act(aWMinimizeAll, "aWMinimizeAll", "Окно", "&Свернуть все", "Свернуть все окна", -1,
        &TfmMain::aWMinimizeAllExecute);
    act(aWClose, "aWClose", "Окно", "&Закрыть", "Закрыть текущее окно", -1, &TfmMain::aWCloseExecute);
    act(aToggleToolbarView, "aToggleToolbarView", "Вид", "&Панель инструментов",
        "Показать/скрыть панель инструментов", -1, &TfmMain::aToggleToolbarViewExecute);
    act(aToggleStatusbarView, "aToggleStatusbarView", "Вид", "&Строка состояния", "Показать/скрыть строку состояния",
        -1, &TfmMain::aToggleStatusbarViewExecute);
    act(aObjects, "aObjects", "", "Объекты", "Объекты системы", 23, nullptr);
    act(aReferences, "aReferences", "", "Справочники", "Справочники системы", 21, nullptr);
    act(AReports, "AReports", "", "Документы", "Документы системы", 22, nullptr);
    for (TAction* a : {aWTopToBottom, aWLeftToRight, aWCascade, aWArrange, aWMinimizeAll, aWClose})
        a->SetEnabled(false);
    for (TAction* a : {aToggleToolbarView, aToggleStatusbarView}) {
        a->SetAutoCheck(true);
        a->SetChecked(true);
    }

    // Main menu.
    mnuMain = new TMainMenu(this);
    mnuMain->SetName(QStringLiteral("mnuMain"));
    mnuMain->SetImages(imlActions);
    auto top = [this](TMenuItem*& m, const char* name, const char* caption) {
        m = NewMenuItem(this, QString::fromLatin1(name), nullptr, QString::fromUtf8(caption));
        mnuMain->Items()->Add(m);
    };
    auto sub = [this](TMenuItem* parent, TAction* a) {
        TMenuItem* i = a ? NewMenuItem(this, QString(), a) : NewMenuItem(this, QString(), nullptr, QStringLiteral("-"));
        parent->Add(i);
    };
    top(mnuFile, "mnuFile", "&Файл");
    sub(mnuFile, aChangePassword);
    sub(mnuFile, aParameters);
    sub(mnuFile, nullptr);
    sub(mnuFile, aExit);
    top(mnuView, "mnuView", "&Вид");
    sub(mnuView, aToggleToolbarView);
    sub(mnuView, aToggleStatusbarView);
    top(mnuObjects, "mnuObjects", "Об&ъекты");
    for (TAction* a : {aOpenObjSessions, aOpenObjQuestions, aOpenObjDecisions, aOpenObjPayments}) sub(mnuObjects, a);
    top(mnuReferences, "mnuReferences", "С&правочники");
    for (TAction* a : {aOpenRefMembers, aOpenRefForms, aOpenRefPlaces}) sub(mnuReferences, a);
    top(N6, "N6", "&Документы");
    N6->QtMenu();
    top(mnuWindow, "mnuWindow", "&Окно");
    for (TAction* a : {aWTopToBottom, aWLeftToRight, aWCascade, aWArrange}) sub(mnuWindow, a);
    sub(mnuWindow, nullptr);
    sub(mnuWindow, aWMinimizeAll);
    sub(mnuWindow, aWClose);
    top(mnuHelp, "mnuHelp", "&Справка");
    sub(mnuHelp, aHelp);
    sub(mnuHelp, aCompanyInWWW);
    sub(mnuHelp, nullptr);
    sub(mnuHelp, aAboutProgramm);
    mnuMain->SetWindowMenu(mnuWindow);
    mnuMain->SetForm(this);

    // Tool bar in the cool bar.
    CoolBar1 = new TCoolBar(this);
    CoolBar1->SetName(QStringLiteral("CoolBar1"));
    CoolBar1->SetParent(this);
    CoolBar1->SetEdgeBorders(TEdgeBorders{ebBottom});
    ToolBar1 = new TToolBar(this);
    ToolBar1->SetName(QStringLiteral("ToolBar1"));
    ToolBar1->SetFlat(true);
    ToolBar1->SetTransparent(true);
    ToolBar1->SetImages(imlActions);
    ToolBar1->SetShowHint(true);
    CoolBar1->AddBand(ToolBar1, 22);
    auto button = [this](TAction* a, TToolButtonStyle style = tbsButton) {
        auto* b = new TToolButton(this);
        b->SetStyle(style);
        if (a) b->SetAction(a);
        b->SetToolBar(ToolBar1);
        return b;
    };
    button(aChangePassword);
    button(aParameters);
    button(nullptr, tbsSeparator);
    tbObjects = button(nullptr, tbsDropDown);
    tbObjects->SetName(QStringLiteral("tbObjects"));
    tbObjects->SetCaption(QStringLiteral("Об&ъекты"));
    tbReferences = button(nullptr, tbsDropDown);
    tbReferences->SetName(QStringLiteral("tbReferences"));
    tbReferences->SetCaption(QStringLiteral("С&правочники"));
    button(nullptr, tbsSeparator);
    tbReports = button(nullptr, tbsDropDown);
    tbReports->SetName(QStringLiteral("tbReports"));
    tbReports->SetCaption(QStringLiteral("&Документы"));
    button(nullptr, tbsSeparator);
    button(aHelp);
    button(aCompanyInWWW);
    button(nullptr, tbsSeparator);
    button(aExit);

    stbMain = new TStatusBar(this);
    stbMain->SetName(QStringLiteral("stbMain"));
    stbMain->SetParent(this);
    stbMain->AddPanel(140);
    stbMain->AddPanel(50);

    fstMain = new TFormStorage(this);
    fstMain->BeginLoading();
    fstMain->SetName(QStringLiteral("fstMain"));
    fstMain->SetIniFileName(QStringLiteral("qorvane.ini"));
    fstMain->SetIniSection(QStringLiteral("Qorvane"));
    {
        TStringList props;
        props.Add(QStringLiteral("aToggleStatusbarView.Checked"));
        props.Add(QStringLiteral("aToggleToolbarView.Checked"));
        props.Add(QStringLiteral("stbMain.Visible"));
        props.Add(QStringLiteral("CoolBar1.Visible"));
        fstMain->SetStoredProps(&props);
    }

    MainTimer = new TTimer(this);
    MainTimer->SetName(QStringLiteral("MainTimer"));
    MainTimer->SetInterval(50);
    MainTimer->OnTimer = [this](TObject* s) { MainTimerTimer(s); };

    AppEvt = new TApplicationEvents(this);
    AppEvt->SetName(QStringLiteral("AppEvt"));
    AppEvt->OnActivate = [this](TObject* s) { AppEvtActivate(s); };
    AppEvt->OnHint = [this](TObject* s) { AppEvtHint(s); };

    OnShow = [this](TObject* s) { FormShow(s); };
    OnCloseQuery = [this](TObject* s, bool& c) { FormCloseQuery(s, c); };
}

TfmMain::~TfmMain()
{
    if (fmMain == this) fmMain = nullptr;
}

void TfmMain::BuildImages()
{
    // The pictures at the indexes the actions name; the window arrangements
    // are drawn as what they do.
    LoadActionPictures(imlActions, 72,
                       {{0, "help"},       {1, "web"},       {4, "exit"},    {21, "references"}, {22, "documents"},
                        {23, "objects"},   {25, "password"}, {69, "parameters"}, {70, "spreadsheet"},
                        {71, "text-document"}});
    DrawWindowsPicture(imlActions, 7, {Rect(0, 1, 8, 15), Rect(8, 1, 16, 15)});    // left to right
    DrawWindowsPicture(imlActions, 10, {Rect(1, 0, 15, 8), Rect(1, 8, 15, 16)});   // top to bottom
    DrawWindowsPicture(imlActions, 9, {Rect(0, 0, 10, 9), Rect(3, 3, 13, 12), Rect(6, 6, 16, 15)});   // cascade
    DrawWindowsPicture(imlActions, 14, {Rect(0, 11, 7, 16), Rect(8, 11, 15, 16)});   // arranged icons
}

// ------------------------------------------------------------ register windows

void TfmMain::OpenRegisterWindow(TDataSet* DataSet, const TFormClass& FormClass)
{
    if (!DataSet || !DM) return;
    const QString caption = DM->FormsCaptions->Strings()->Strings(DataSet->Tag());
    for (int i = 0; i < MDIChildCount(); ++i) {
        TForm* f = MDIChildren(i);
        if (f->Caption() == caption) {
            if (f->WindowState() == wsMinimized) f->SetWindowState(wsNormal);
            f->BringToFront();
            f->SetFocus();
            return;
        }
    }
    TForm* f = FormClass.Create(Application);
    f->SetName(FormClass.ClassName + QLatin1Char('_') + DataSet->Name());
    if (!DataSet->Active()) DataSet->Open();
    if (auto* ds = dynamic_cast<TDataSource*>(f->FindComponent(QStringLiteral("DataSource")))) ds->SetDataSet(DataSet);
    f->SetCaption(caption);
    if (f->OnShow) f->OnShow(this);
}

void TfmMain::aOpenObjSessionsExecute(TObject*)
{
    OpenRegisterWindow(DM->adoObjSessions, FindWindowClass(QStringLiteral("TfmSessionObject")));
}
void TfmMain::aOpenObjQuestionsExecute(TObject*)
{
    OpenRegisterWindow(DM->adoObjQuestions, FindWindowClass(QStringLiteral("TfmQuestionObject")));
}
void TfmMain::aOpenObjDecisionsExecute(TObject*)
{
    OpenRegisterWindow(DM->adoObjDecisions, FindWindowClass(QStringLiteral("TfmDecisionObject")));
}
void TfmMain::aOpenObjPaymentsExecute(TObject*)
{
    OpenRegisterWindow(DM->adoObjPayments, FindWindowClass(QStringLiteral("TfmPaymentObject")));
}
void TfmMain::aOpenRefMembersExecute(TObject*)
{
    OpenRegisterWindow(DM->adoRefMembers, FindWindowClass(QStringLiteral("TfmMainReferenceMembers")));
}
void TfmMain::aOpenRefFormsExecute(TObject*)
{
    OpenRegisterWindow(DM->adoRefForms, FindWindowClass(QStringLiteral("TfmMainReferenceMemo")));
}
void TfmMain::aOpenRefPlacesExecute(TObject*)
{
    OpenRegisterWindow(DM->adoRefPlaces, FindWindowClass(QStringLiteral("TfmMainReference")));
}

// -------------------------------------------------------------------- reports

void TfmMain::RunReport(const TReport& Report, const QString& FilterTable, const QString& FilterValue, bool IsExcel)
{
    ::RunReport(Report, FilterTable, FilterValue, IsExcel);
}

void TfmMain::ReportActionExecute(TObject* Sender)
{
    auto* c = dynamic_cast<TComponent*>(Sender);
    if (!c) return;
    const QString prefix = c->Name().left(8);
    const int n = StrToIntDef(c->Name().mid(8), -1);
    if (prefix == QLatin1String("aEReport")) {
        if (n >= 0 && n < int(ExcelReports.size())) RunReport(ExcelReports[size_t(n)], QString(), QString(), true);
    } else if (prefix == QLatin1String("aWReport")) {
        if (n >= 0 && n < int(WordReports.size())) RunReport(WordReports[size_t(n)], QString(), QString(), false);
    }
}

void TfmMain::AppEvtActivate(TObject*)
{
    ExcelReports = LoadReports(ExcelReportsDir, QString());
    WordReports = LoadReports(WordReportsDir, QString());
    BuildReportsMenu(amnMain, N6, ExcelReports, WordReports, 70, 71,
                     [this](TObject* s) { ReportActionExecute(s); });
    RefreshChildReportMenus();
}

void TfmMain::RefreshChildReportMenus()
{
    auto refresh = [](TForm* f) {
        if (!f) return;
        if (auto* ds = dynamic_cast<TDataSource*>(f->FindComponent(QStringLiteral("DataSource"))))
            if (IsEditing(ds->DataSet())) return;
        if (f->FindComponent(QStringLiteral("aCallReport")) && f->OnActivate) f->OnActivate(nullptr);
    };
    for (int i = MDIChildCount() - 1; i >= 0; --i) refresh(MDIChildren(i));
    refresh(ActiveMDIChild());
}

// ------------------------------------------------------------ login, timer, hints

void TfmMain::OpenDataSets()
{
    for (int i = DM->ComponentCount() - 1; i >= 0; --i) {
        TComponent* c = DM->Components(i);
        const QString cls = c->ClassName();
        if (cls != QLatin1String("TADOTable") && cls != QLatin1String("TADOQuery")) continue;
        auto* ds = static_cast<TCustomADODataSet*>(c);
        if (ds->Connection() == DM->adoConnection) ds->SetActive(true);
    }
}

bool TfmMain::Login()
{
    DbPassword = QString();
    DbFileName = AppFolder() + QStringLiteral("qorvane.db");
    TADOConnection* con = DM->adoConnection;
    // The program never creates the database: without the file there is
    // nothing to log into, and no password would help.
    if (!FileExists(DbFileName)) {
        Application->MessageBox(QStringLiteral("Файл базы данных %1 не найден. Работа программы будет завершена.")
                                    .arg(DbFileName),
                                QStringLiteral("Отсутствует файл базы данных"), MB_OK | MB_ICONERROR);
        LoginAttempts = 0;
        return false;
    }
    bool connected = false;
    try {
        con->Close();
        con->SetConnectionString(NormalConnectionString(QString(), DbFileName));
        con->Open();
        connected = true;
    } catch (const Exception&) {
    }
    // No password opens a plain file that does not open, or a file that is
    // no database at all: say so instead of asking for one.
    if (!connected && DatabaseFileKind(DbFileName) != TDatabaseFileKind::PossiblyEncrypted) {
        RefuseDatabase(QString());
        return false;
    }
    while (!connected && LoginAttempts > 0) {
        auto* dlg = new TfmEnterPassword(Application);
        dlg->AfterConstruction();
        if (dlg->ShowModal() == mrOk) {
            con->Close();
            DbPassword = dlg->edPassword->Text();
            con->SetConnectionString(NormalConnectionString(DbPassword, DbFileName));
            dlg->Free();
            try {
                con->Open();
                connected = true;
            } catch (const EInvalidPassword&) {
                Application->MessageBox(QStringLiteral("Введенный вами пароль неверен. Повторите ввод пароля."),
                                        QStringLiteral("Неверный пароль"), MB_OK | MB_ICONERROR);
                --LoginAttempts;
            } catch (const Exception&) {
                // The password opened the file, but the file does not read.
                RefuseDatabase(QString());
                return false;
            }
        } else {
            dlg->Free();
            LoginAttempts = 0;
        }
    }
    if (!connected) DbPassword = QString();
    return connected;
}

// Ends the login with one message on a file the program cannot work with;
// Reason is the engine's text when the datasets did not open over the file.
// The file is left as it is.
void TfmMain::RefuseDatabase(const QString& Reason)
{
    TADOConnection* con = DM->adoConnection;
    // A file whose pages all read back is whole: it is of another structure.
    const bool damaged = Reason.isEmpty() || !con->Connected() || !con->CheckFile().isEmpty();
    con->Close();
    LoginAttempts = 0;
    DbPassword = QString();
    if (!damaged)
        Application->MessageBox(QStringLiteral("Файл базы данных %1 не подходит к этой версии программы (%2). "
                                               "Работа программы будет завершена.")
                                    .arg(DbFileName, Reason),
                                QStringLiteral("Неизвестная структура базы данных"), MB_OK | MB_ICONERROR);
    else
        Application->MessageBox(QStringLiteral("Файл базы данных %1 поврежден или не является базой данных. "
                                               "Работа программы будет завершена.")
                                    .arg(DbFileName),
                                QStringLiteral("Поврежденный файл базы данных"), MB_OK | MB_ICONERROR);
}

void TfmMain::FormShow(TObject*)
{
    if (!Login()) {
        Close();
        return;
    }
    try {
        OpenDataSets();
    } catch (const Exception& e) {
        RefuseDatabase(e.Message());
        Close();
        return;
    }
    tbObjects->SetMenuItem(mnuObjects);
    tbObjects->SetImageIndex(aObjects->ImageIndex());
    tbObjects->SetHint(aObjects->Hint());
    tbReferences->SetMenuItem(mnuReferences);
    tbReferences->SetImageIndex(aReferences->ImageIndex());
    tbReferences->SetHint(aReferences->Hint());
    tbReports->SetMenuItem(N6);
    tbReports->SetImageIndex(AReports->ImageIndex());
    tbReports->SetHint(AReports->Hint());
    ExcelReportsDir = AppFolder() + QStringLiteral("reports/excel/");
    WordReportsDir = AppFolder() + QStringLiteral("reports/word/");
    // The first activation may have come before the folders were known.
    if (Application->Active()) AppEvtActivate(this);
}

void TfmMain::FormCloseQuery(TObject*, bool& CanClose)
{
    if (LoginAttempts == 0) return;
    CanClose = Application->MessageBox(QStringLiteral("Вы действительно хотите выйти из приложения?"),
                                       QStringLiteral("Выход"), MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void TfmMain::MainTimerTimer(TObject*)
{
    const bool any = MDIChildCount() > 0;
    for (TAction* a : {aWTopToBottom, aWLeftToRight, aWCascade, aWArrange, aWMinimizeAll, aWClose}) a->SetEnabled(any);
    const QString date = MainDateText(Clock());
    if (stbMain->PanelText(0) != date) stbMain->SetPanelText(0, date);
    if (stbMain->PanelText(1).isEmpty()) stbMain->SetPanelText(1, QStringLiteral("Для вызова справки нажмите F1"));
}

void TfmMain::AppEvtHint(TObject*) { stbMain->SetPanelText(1, Application->Hint()); }

// ------------------------------------------------------------ password change

void TfmMain::ReconnectWith(const QString& Password)
{
    TADOConnection* con = DM->adoConnection;
    con->Close();
    con->SetConnectionString(NormalConnectionString(Password, DbFileName));
    con->Open();
    OpenDataSets();
}

void TfmMain::aChangePasswordExecute(TObject*)
{
    auto* dlg = new TfmChangePwd(Application);
    dlg->AfterConstruction();
    struct FreeDialog {
        TfmChangePwd* d;
        ~FreeDialog() { d->Free(); }
    } freeDialog{dlg};
    if (dlg->ShowModal() != mrOk) return;

    TADOConnection* con = DM->adoConnection;
    const QString oldPassword = DbPassword;   // empty: no password (NULL)
    const QString newPassword = dlg->edNewPwd->Text();
    try {
        con->Close();
        con->SetConnectionString(ExclusiveConnectionString(DbPassword, DbFileName));
        con->Open();
        DbPassword = newPassword;
        // The key is changed through the connection itself, never through a
        // statement text built from the passwords.
        con->ChangePassword(newPassword, oldPassword);
    } catch (...) {
        // The file keeps its old password: work goes on with it, and the
        // user learns why the change did not happen.
        DbPassword = oldPassword;
        QString reason;
        try {
            throw;
        } catch (const Exception& e) {
            reason = e.Message();
        } catch (const std::exception& e) {
            reason = QString::fromUtf8(e.what());
        } catch (...) {
        }
        try {
            ReconnectWith(oldPassword);
        } catch (...) {
            Application->HandleException(this);
        }
        Application->MessageBox(QStringLiteral("Не удалось изменить пароль: %1\r\nПароль базы данных остался прежним.")
                                    .arg(reason),
                                QStringLiteral("Изменение пароля"), MB_OK | MB_ICONERROR);
        return;
    }
    for (int i = MDIChildCount() - 1; i >= 0; --i) {
        TForm* f = MDIChildren(i);
        f->Close();
    }
    try {
        ReconnectWith(DbPassword);
    } catch (...) {
        Application->HandleException(this);
    }
}

// ------------------------------------------------------------- parameters

void TfmMain::aParametersExecute(TObject*)
{
    DM->adoSysParams->Requery();
    auto* dlg = new TfmSysParams(Application);
    dlg->AfterConstruction();
    struct FreeDialog {
        TfmSysParams* d;
        ~FreeDialog() { d->Free(); }
    } freeDialog{dlg};
    dlg->BuildFrom(DM->adoSysParams);
    if (dlg->ShowModal() == mrOk) dlg->WriteBack([](int ord, const QString& v) { DM->SysParamSet(ord, v); });
}

// ------------------------------------------------------------- the rest

void TfmMain::aExitExecute(TObject*) { Close(); }

void TfmMain::aHelpExecute(TObject*)
{
    const QString path = AppFolder() + QStringLiteral("qorvane.chm");
    if (FileExists(path))
        ShellExecuteOpen(path);
    else
        Application->MessageBox(QStringLiteral("Файл справки QORVANE.CHM не найден."),
                                QStringLiteral("Отсутствует файл справки"), MB_OK | MB_ICONERROR);
}

void TfmMain::aCompanyInWWWExecute(TObject*) { ShellExecuteOpen(ProductWebAddress); }

void TfmMain::aAboutProgrammExecute(TObject*)
{
    auto* f = new TfmAbout(nullptr);
    f->AfterConstruction();
    f->ShowModal();
    f->Free();
}

void TfmMain::aWTopToBottomExecute(TObject*)
{
    SetTileMode(tbHorizontal);
    Tile();
}

void TfmMain::aWLeftToRightExecute(TObject*)
{
    SetTileMode(tbVertical);
    Tile();
}

void TfmMain::aWCascadeExecute(TObject*) { Cascade(); }
void TfmMain::aWArrangeExecute(TObject*) { ArrangeIcons(); }

void TfmMain::aWMinimizeAllExecute(TObject*)
{
    // Minimising a child activates another and so reorders the children:
    // take the list first.
    std::vector<TForm*> children;
    for (int i = MDIChildCount() - 1; i >= 0; --i) children.push_back(MDIChildren(i));
    for (TForm* f : children) f->SetWindowState(wsMinimized);
}

void TfmMain::aWCloseExecute(TObject*)
{
    if (MDIChildCount() > 0 && ActiveMDIChild()) ActiveMDIChild()->Close();
}

void TfmMain::aToggleToolbarViewExecute(TObject*) { CoolBar1->SetVisible(aToggleToolbarView->Checked()); }
void TfmMain::aToggleStatusbarViewExecute(TObject*) { stbMain->SetVisible(aToggleStatusbarView->Checked()); }
