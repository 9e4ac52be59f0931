// The writer the kill tests kill: it opens what it writes, prints "ready",
// and repeats one kind of write for ever, until the test kills it with
// SIGKILL. The test then checks what the files hold.
//
//   qorvane-killchild session FILE SESSION_ID
//       In one transaction of the data module's connection, through its
//       datasets and record rules: the session's number set to the pass
//       number N, a new member "kill N" made a participant (which gives him a
//       vote row for each of the session's decisions), his votes set to 1, and
//       a payment of N to him for the session.
//   qorvane-killchild password FILE PASSWORD_A PASSWORD_B
//       The file's password changed from A to B and back (empty: none).
//   qorvane-killchild settings FILE
//       The value [Kill] Value of the settings file rewritten with
//       SettingsValue(N).
#include <cstdio>

#include "data/unDM.h"
#include "dbtool/DbBuilder.h"
#include "platform/ado/ADOConnection.h"
#include "platform/ado/ADODB.h"
#include "platform/os/IniFiles.h"
#include "platform/ui/Dialogs.h"
#include "KillChild.h"

namespace {

void Say(const char* what)
{
    std::fputs(what, stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

void SetText(TDataSet* ds, const char* field, const QString& v) { ds->FieldByName(QString::fromLatin1(field))->SetAsString(v); }

int Session(const QString& file, const QString& session)
{
    SetMessageBoxHook([](const QString&, const QString&, int) { return IDYES; });
    TDM dm(nullptr);
    DM = &dm;
    dm.adoConnection->SetConnectionString(dbtool::ConnectionString(file, QString()));
    dm.adoConnection->Open();
    for (int i = dm.ComponentCount() - 1; i >= 0; --i) {
        auto* ds = dynamic_cast<TCustomADODataSet*>(dm.Components(i));
        if (ds && ds->Connection() == dm.adoConnection) ds->Open();
    }
    TADOQuery votes(nullptr);
    votes.SetConnection(dm.adoConnection);
    Say("ready");
    for (int n = 1;; ++n) {
        dm.adoConnection->BeginTrans();
        if (!dm.adoObjSessions->Locate(QStringLiteral("id"), session)) return 3;
        dm.adoObjSessions->Edit();
        dm.adoObjSessions->FieldByName(QStringLiteral("pnumber"))->SetAsInteger(n);
        dm.adoObjSessions->Post();

        dm.adoRefMembers->Append();
        SetText(dm.adoRefMembers, "fullname", KillMemberName(n));
        dm.adoRefMembers->Post();
        const QString member = dm.adoRefMembers->FieldByName(QStringLiteral("id"))->AsString();

        dm.adoLnkSessionsMembers->Insert();
        SetText(dm.adoLnkSessionsMembers, "id_member", member);
        dm.adoLnkSessionsMembers->Post();

        votes.Close();
        votes.SQL()->SetText(QStringLiteral("SELECT * FROM LNK_DECISIONS_MEMBERS WHERE id_member = ") + SqlQuote(member));
        votes.Open();
        for (votes.First(); !votes.Eof(); votes.Next()) {
            votes.Edit();
            votes.FieldByName(QStringLiteral("vote"))->SetAsInteger(1);
            votes.Post();
        }

        dm.adoObjPayments->Insert();
        SetText(dm.adoObjPayments, "id_session", session);
        SetText(dm.adoObjPayments, "id_member", member);
        dm.adoObjPayments->FieldByName(QStringLiteral("suma"))->SetAsInteger(n);
        dm.adoObjPayments->Post();
        dm.adoConnection->CommitTrans();
    }
}

int Password(const QString& file, const QString& a, const QString& b)
{
    TADOConnection c;
    c.SetConnectionString(KillExclusiveConnectionString(file, a));
    c.Open();
    Say("ready");
    for (;;) {
        c.ChangePassword(b, a);
        c.ChangePassword(a, b);
    }
}

int Settings(const QString& file)
{
    TIniFile ini(file);
    ini.ReadString(QStringLiteral("Kill"), QStringLiteral("Value"), QString());
    Say("ready");
    for (int n = 1;; ++n) ini.WriteString(QStringLiteral("Kill"), QStringLiteral("Value"), KillSettingsValue(n));
}

}   // namespace

int main(int argc, char** argv)
{
    QStringList a;
    for (int i = 1; i < argc; ++i) a << QString::fromLocal8Bit(argv[i]);
    try {
        if (a.size() == 3 && a[0] == QLatin1String("session")) return Session(a[1], a[2]);
        if (a.size() == 4 && a[0] == QLatin1String("password")) return Password(a[1], a[2], a[3]);
        if (a.size() == 2 && a[0] == QLatin1String("settings")) return Settings(a[1]);
    } catch (const Exception& e) {
        std::fprintf(stderr, "%s\n", e.Message().toLocal8Bit().constData());
        return 1;
    }
    std::fprintf(stderr, "usage: qorvane-killchild session FILE ID | password FILE A B | settings FILE\n");
    return 2;
}
