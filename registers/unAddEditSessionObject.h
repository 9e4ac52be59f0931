#pragma once
// The session edit dialog: one board session's number, date, form of
// holding, place and two comments (first tab); the members who took part and
// their votes on the session's draft decisions (second tab); the
// remuneration of each participant with one payment date and signatory
// (third tab). It edits the data module's datasets directly through its data
// sources and keeps participants, votes and payments in step by statements
// on the data module's connection. The sessions register creates it, puts
// the session into insert or edit state, picks the visible tabs, shows it
// modally and owns the transaction of an edit (unSessionObject).
//
// The dialog tells adding from editing by its caption.
#include <QString>

#include "platform/ui/Forms.h"

class TButton;
class TCheckBox;
class TComboBox;
class TDataSet;
class TDataSource;
class TDateEdit;
class TDBDateEdit;
class TDBEdit;
class TDBLookupComboBox;
class TDBMemo;
class TDBNavigator;
class TField;
class TLabel;
class TPageControl;
class TQvDBGrid;
class TTabSheet;

class TfmAddEditSessionObject : public TForm {
    QV_CLASS(TfmAddEditSessionObject, TForm)
public:
    explicit TfmAddEditSessionObject(TComponent* AOwner = nullptr);

    TDataSource* dsoMain;
    TDataSource* dsoPlaces;
    TDataSource* dsoForms;
    TDataSource* dsoLnkSessionsMembers;
    TDataSource* dsoLnkDecisionsMembers;
    TDataSource* dsoPayments;

    TPageControl* tabParams;
    TTabSheet* TabSheet1;
    TTabSheet* TabSheet2;
    TTabSheet* TabSheet3;
    TButton* btnOK;
    TButton* btnCancel;

    TLabel* Label1;
    TDBEdit* DBEdit1;
    TLabel* Label2;
    TDBDateEdit* DBDateEdit1;
    TLabel* Label3;
    TDBLookupComboBox* DBLookupComboBox1;
    TLabel* Label4;
    TDBLookupComboBox* DBLookupComboBox2;
    TLabel* Label5;
    TDBMemo* DBMemo1;
    TLabel* Label6;
    TDBMemo* DBMemo2;

    TLabel* Label7;
    TQvDBGrid* dbgMembers;
    TDBNavigator* DBNavigator1;
    TLabel* Label8;
    TQvDBGrid* dbgVotes;
    TDBNavigator* DBNavigator2;

    TCheckBox* cbxSetPay;
    TDateEdit* dtePay;
    TLabel* Label9;
    TQvDBGrid* dbgPayments;
    TDBNavigator* DBNavigator3;
    TLabel* Label10;
    TComboBox* cmbSign;

    // ---- handlers
    void btnOKClick(TObject* Sender);
    void TabSheet1Show(TObject* Sender);
    void TabSheet2Show(TObject* Sender);
    void TabSheet3Show(TObject* Sender);
    void dsoFormsDataChange(TObject* Sender, TField* Field);
    void dsoFormsStateChange(TObject* Sender);
    void dbgVotesKeyDown(TObject* Sender, WORD& Key, TShiftState Shift);
    void cbxSetPayClick(TObject* Sender);
    void dtePayChange(TObject* Sender);
    void cmbSignChange(TObject* Sender);

    // The session's key, read from dsoMain's dataset.
    QString SessionId() const;
    bool Adding() const;

private:
    void GeneratePayments();
    // The six payment controls enabled or disabled together.
    void SetPaymentControls(bool Enabled);
    // The check box and the date edit changed by the dialog itself, without
    // their handlers.
    void SetPayChecked(bool Checked);
    void SetPayDate(double Date);
    // The date the payment date edit's text reads as (as the edit completes
    // it on leaving); NullDate when it reads as none or is empty.
    double PayDateShown() const;
    // The comment of the session's form of holding into the empty note of a
    // new session.
    void CopyFormComment();
    void RequeryPayments();
    bool FCopyingComment = false;
    bool FSettingPayDate = false;
};

// The signatory name for the post: "zam_gen_director" for the deputy,
// "gen_director" otherwise.
QString SignatoryName(const QString& Post);
