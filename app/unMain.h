#pragma once
// The main window: the MDI frame with the main menu, the tool bar, the status
// bar and every application-wide command; it opens the register windows,
// runs the login when first shown, and rebuilds the Documents menu from the
// report catalogues whenever the application is activated.
#include <QString>
#include <functional>

#include "platform/core/DateTime.h"
#include "platform/ui/Forms.h"
#include "registers/Registers.h"
#include "reports/unReports.h"

class TAction;
class TActionManager;
class TApplicationEvents;
class TCoolBar;
class TDataSet;
class TFormStorage;
class TImageList;
class TMainMenu;
class TMenuItem;
class TStatusBar;
class TTimer;
class TToolBar;
class TToolButton;

// The provider named in the connection strings.
extern const QString DbProviderName;
// Connection strings of the login (normal) and of the password change
// (exclusive); the password and the file are quoted when they need it.
QString NormalConnectionString(const QString& Password, const QString& FileName);
QString ExclusiveConnectionString(const QString& Password, const QString& FileName);
// The status bar's date: "1 мая 2007 года".
QString MainDateText(TDateTime Date);

class TfmMain : public TForm {
    QV_CLASS(TfmMain, TForm)
public:
    explicit TfmMain(TComponent* AOwner = nullptr);
    ~TfmMain() override;

    TStatusBar* stbMain;
    TCoolBar* CoolBar1;
    TToolBar* ToolBar1;
    TToolButton* tbObjects;
    TToolButton* tbReferences;
    TToolButton* tbReports;
    TMainMenu* mnuMain;
    TMenuItem* mnuFile;
    TMenuItem* mnuView;
    TMenuItem* mnuObjects;
    TMenuItem* mnuReferences;
    TMenuItem* N6;
    TMenuItem* mnuWindow;
    TMenuItem* mnuHelp;
    TActionManager* amnMain;
    TImageList* imlActions;
    TFormStorage* fstMain;
    TTimer* MainTimer;
    TApplicationEvents* AppEvt;

    TAction* aOpenObjSessions;
    TAction* aOpenObjQuestions;
    TAction* aOpenObjDecisions;
    TAction* aOpenObjPayments;
    TAction* aOpenRefMembers;
    TAction* aOpenRefForms;
    TAction* aOpenRefPlaces;
    TAction* aChangePassword;
    TAction* aParameters;
    TAction* aExit;
    TAction* aHelp;
    TAction* aCompanyInWWW;
    TAction* aAboutProgramm;
    TAction* aWTopToBottom;
    TAction* aWLeftToRight;
    TAction* aWCascade;
    TAction* aWArrange;
    TAction* aWMinimizeAll;
    TAction* aWClose;
    TAction* aToggleToolbarView;
    TAction* aToggleStatusbarView;
    TAction* aObjects;
    TAction* aReferences;
    TAction* AReports;

    void OpenRegisterWindow(TDataSet* DataSet, const TFormClass& FormClass);
    void RunReport(const TReport& Report, const QString& FilterTable, const QString& FilterValue, bool IsExcel);
    void ReportActionExecute(TObject* Sender);
    void RefreshChildReportMenus();

    void FormShow(TObject* Sender);
    void FormCloseQuery(TObject* Sender, bool& CanClose);
    void MainTimerTimer(TObject* Sender);
    void AppEvtHint(TObject* Sender);
    void AppEvtActivate(TObject* Sender);

    void aOpenObjSessionsExecute(TObject* Sender);
    void aOpenObjQuestionsExecute(TObject* Sender);
    void aOpenObjDecisionsExecute(TObject* Sender);
    void aOpenObjPaymentsExecute(TObject* Sender);
    void aOpenRefMembersExecute(TObject* Sender);
    void aOpenRefFormsExecute(TObject* Sender);
    void aOpenRefPlacesExecute(TObject* Sender);
    void aChangePasswordExecute(TObject* Sender);
    void aParametersExecute(TObject* Sender);
    void aExitExecute(TObject* Sender);
    void aHelpExecute(TObject* Sender);
    void aCompanyInWWWExecute(TObject* Sender);
    void aAboutProgrammExecute(TObject* Sender);
    void aWTopToBottomExecute(TObject* Sender);
    void aWLeftToRightExecute(TObject* Sender);
    void aWCascadeExecute(TObject* Sender);
    void aWArrangeExecute(TObject* Sender);
    void aWMinimizeAllExecute(TObject* Sender);
    void aWCloseExecute(TObject* Sender);
    void aToggleToolbarViewExecute(TObject* Sender);
    void aToggleStatusbarViewExecute(TObject* Sender);

    // The clock the timer reads (tests set a fixed date).
    std::function<TDateTime()> Clock;

private:
    bool Login();
    void RefuseDatabase(const QString& Reason);
    void OpenDataSets();
    void ReconnectWith(const QString& Password);
    void BuildImages();
};

extern TfmMain* fmMain;
extern TReportList ExcelReports;
extern TReportList WordReports;
extern QString DbFileName;
extern QString DbPassword;
extern int LoginAttempts;
// The folder the program's files lie in: the executable's folder, unless a
// test points it elsewhere (AppFolderOverride, with its trailing separator).
extern QString AppFolderOverride;
QString AppFolder();
// The product's web page (set at build time, see app/CMakeLists.txt).
extern const QString ProductWebAddress;
