#pragma once
// The sessions register: the register window over the data module's
// adoObjSessions, listed by descending number. Sessions are never edited in
// the grid: adding and editing go through the modal session edit dialog,
// and an edit runs inside one transaction of the connection that the
// dialog's OK commits and anything else undoes (see SessionEditScope in the
// .cpp). Deleting is the template's: after the data module's confirmation
// only the session row goes; its participants, votes, payments and decision
// links stay in their tables.
#include "registers/ObjectRegister.h"

class TfmAddEditSessionObject;

class TfmSessionObject : public TObjectRegisterWindow {
    QV_CLASS(TfmSessionObject, TObjectRegisterWindow)
public:
    explicit TfmSessionObject(TComponent* AOwner = nullptr);

    void FormShow(TObject* Sender) override;
    void aNAddExecute(TObject* Sender) override;
    void aNEditExecute(TObject* Sender) override;
};

