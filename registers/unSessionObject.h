#pragma once
// The sessions register: the register window over the data module's
// adoObjSessions, listed by descending number. Sessions are never edited in
// the grid: adding and editing go through the modal session edit dialog,
// and an edit runs inside one transaction of the connection that the
// dialog's OK commits and anything else undoes (see SessionEditScope in the
// .cpp). Deleting a session takes its participants (with their votes on the
// session's decisions), decision links and payments with it.
#include "registers/ObjectRegister.h"

class TfmAddEditSessionObject;

class TfmSessionObject : public TObjectRegisterWindow {
    QV_CLASS(TfmSessionObject, TObjectRegisterWindow)
public:
    explicit TfmSessionObject(TComponent* AOwner = nullptr);

    void FormShow(TObject* Sender) override;
    void aNAddExecute(TObject* Sender) override;
    void aNEditExecute(TObject* Sender) override;
    void aNDeleteExecute(TObject* Sender) override;
};

// Removes the session with the key and everything that belongs to it alone:
// its participants with their votes on the session's decisions, its links to
// decisions and its payments (the decisions and questions stay). Runs on the
// data module's connection inside the caller's transaction.
void DeleteSessionRows(const QString& SessionId);
