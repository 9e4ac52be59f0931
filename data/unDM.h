#pragma once
// The data module: the one connection, every table and query of the database
// with their persistent fields, the caption lists of the registers, the
// system-parameter routines, and the record rules that hold for every record
// written, whatever window writes it.
#include <QString>

#include "platform/ado/ADOConnection.h"
#include "platform/ado/ADODB.h"
#include "platform/core/Classes.h"
#include "platform/db/DB.h"
#include "platform/ui/Forms.h"

class TStrHolder;

class TDM : public TDataModule {
    QV_CLASS(TDM, TDataModule)
public:
    explicit TDM(TComponent* AOwner = nullptr);
    ~TDM() override;

    // In the order of creation (the login opens the datasets last first and
    // FindDataSetByTable searches them last first).
    TADOConnection* adoConnection;
    TADOQuery* adoSysParams;
    TStrHolder* MainFields;
    TStrHolder* SelectFromCaptions;
    TStrHolder* FormsCaptions;
    TADOTable* adoRefMembers;
    TADOTable* adoObjSessions;
    TADOTable* adoObjQuestions;
    TADOTable* adoObjDecisions;
    TADOTable* adoObjPayments;
    TADOTable* adoRefForms;
    TADOTable* adoRefPlaces;
    TADOTable* adoRefPosts;
    TADOTable* adoRefOtherManagement;
    TADOTable* adoLnkSessionsMembers;
    TADOTable* adoLnkSessionsDecisions;
    TADOTable* adoLnkDecisionsMembers;
    TDataSource* dsoRefMembers;
    TADOQuery* adqRefPlaces;
    TADOQuery* adqRefForms;
    TADOQuery* adqRefMembers;
    TADOQuery* adqObjQuestions;
    TADOQuery* adqObjQuestions2;
    TADOQuery* adqObjSessions;
    TADOQuery* adqObjSessions2;
    TADOQuery* adqRefMembers2;
    TADOQuery* adqObjSessions3;
    TADOQuery* adqRefMembers3;
    TADOQuery* adqRefVoteTypes;
    TADOQuery* adqLnkDecisionsMembers;
    TADOTable* adoObjPayments2;
    TADOQuery* adqObjPayments;

    // The register dataset showing a table, or nullptr (see the .cpp).
    TDataSet* FindDataSetByTable(const QString& TableName);
    // Writes the value of the parameter in row Ord (double quotes dropped).
    void SysParamSet(int Ord, const QString& Value);
    // The value of the named parameter (double quotes and apostrophes dropped);
    // empty when not connected or missing.
    QString SysParamGet(const QString& ParamName);

    // Post-error handlers: one message, then a silent abort.
    void DataSetPostError(TDataSet* DataSet, EDatabaseError& E, TDataAction& Action);
    void adoRefMembersPostError(TDataSet* DataSet, EDatabaseError& E, TDataAction& Action);

    // Record rules.
    void DataSetBeforePost(TDataSet* DataSet);
    void adoRefMembersAfterInsert(TDataSet* DataSet);
    void MemberDetailBeforeInsert(TDataSet* DataSet);
    void adoObjSessionsAfterInsert(TDataSet* DataSet);
    void adoObjQuestionsAfterInsert(TDataSet* DataSet);
    void adoObjDecisionsAfterInsert(TDataSet* DataSet);
    void adoLnkSessionsDecisionsAfterInsert(TDataSet* DataSet);
    void adoObjPaymentsAfterInsert(TDataSet* DataSet);
    void adoLnkSessionsMembersAfterInsert(TDataSet* DataSet);
    void adoLnkDecisionsMembersAfterInsert(TDataSet* DataSet);
    void adoLnkSessionsMembersBeforePost(TDataSet* DataSet);
    void adoLnkSessionsMembersAfterPost(TDataSet* DataSet);
    void DataSetBeforeDelete(TDataSet* DataSet);
    void WarningBeforeDelete(TDataSet* DataSet);
    void adoLnkSessionsMembersBeforeDelete(TDataSet* DataSet);
    void adoLnkSessionsMembersAfterScroll(TDataSet* DataSet);
    void adoObjSessionsCalcFields(TDataSet* DataSet);
    void adqObjSessionsCalcFields(TDataSet* DataSet);
    void adoObjQuestionsCalcFields(TDataSet* DataSet);
    void adoObjDecisionsCalcFields(TDataSet* DataSet);
    void adoObjPaymentsCalcFields(TDataSet* DataSet);
    void adoLnkDecisionsMembersCalcFields(TDataSet* DataSet);
    void adoRefMembersAfterPost(TDataSet* DataSet);
    void adoObjSessionsAfterPost(TDataSet* DataSet);
    void adoObjQuestionsAfterPost(TDataSet* DataSet);
    void adoObjPaymentsAfterPost(TDataSet* DataSet);
    void adoRefPlacesAfterPost(TDataSet* DataSet);
    void adoRefFormsAfterPost(TDataSet* DataSet);
    void adoLnkDecisionsMembersAfterPost(TDataSet* DataSet);

    // Gives the member a vote row (vote 0) on every decision of the session
    // he has none on, and on those only: a decision never gets a second row
    // of one member. The vote lists are the caller's to re-query.
    void AddMissingVotes(const QString& Member, const QString& Session);

private:
    void CreateFields();
    void BindEvents();
    // The participant cascade: a member's votes and payments in a session.
    void RemoveParticipation(const QString& Member, const QString& Session, const QString& PaymentSession);
    // A payment for the member who takes the old member's place.
    void PayNewParticipant(const QString& Member, const QString& Session, const QString& OldMember);
    // The participant row being posted, as the before-post found it: the
    // after-post completes the participation once the row is stored.
    struct ParticipantPost {
        bool Pending = false;
        bool Inserted = false;
        QString Id, Member, Session, StoredMember, StoredSession;
    };
    ParticipantPost FParticipantPost;
    // A participation that could not be completed: the row back as it was.
    void UndoParticipantPost(TDataSet* DataSet, const ParticipantPost& Post, bool InOuterTransaction);
};

// The one data module of the program.
extern TDM* DM;

// Every CR LF replaced by a blank, the first Count characters, then "...".
QString PreviewText(const QString& Text, int Count);
