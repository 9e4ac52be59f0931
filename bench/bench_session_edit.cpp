// The session edit dialog ended by OK and by Cancel, side by side, in the
// sessions register opened from the main window over a copy of a generated
// database (the copy is private: OK writes to it):
//   F2 on the newest session, then OK or Cancel at once
//   F2, the votes tab shown (it adds the vote rows that are missing), one
//     vote changed and stored, then OK or Cancel
// A figure is the time from the user's OK or Cancel until the program is
// idle again (the dialog closed, the transaction ended, the windows up to
// date); the whole F2 ... idle time is printed beside it. OK and Cancel runs
// alternate, so a loaded machine weighs on both alike; medians are printed.
// Resident memory is read after the first Cancel and after ten.
//   the large database: 100,000 sessions, 1,000,000 votes, 1,000 members
//   a realistic board: 15 members, 600 sessions, 10 questions a session,
//     2 decisions a question, every participant voting and paid
// The generated files are shared with qorvane-bench-dm (made in /tmp on the
// first run, reused later); QORVANE_BENCH_ENCRYPTED=1 adds the encrypted
// large file, QORVANE_BENCH_ENCRYPTED=only measures it alone.
//   cmake -B build-x -DQORVANE_BENCH=ON && cmake --build build-x --target qorvane-bench-session
//   build-x/bench/qorvane-bench-session
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "app/unEnterPassword.h"
#include "app/unMain.h"
#include "bench/BenchCommon.h"
#include "data/unDM.h"
#include "dbtool/DbBuilder.h"
#include "platform/ado/ADOConnection.h"
#include "platform/ado/ADODB.h"
#include "platform/core/SysUtils.h"
#include "platform/ui/ActnList.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/DBCtrls.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Forms.h"
#include "platform/ui/StdCtrls.h"
#include "registers/unAddEditSessionObject.h"
#include "registers/unSessionObject.h"

namespace {

using bench::Median;
using bench::Ms;

// Resident memory of this process now, in MB.
double RssMb() { return bench::StatusMb("VmRSS:"); }

struct Db {
    const char* title;
    QString file, password;
    dbtool::BenchOptions sizes;
};

// One end of the dialog, timed from the user's OK or Cancel.
struct Timing {
    double close = 0, whole = 0;
};

class Bench {
public:
    explicit Bench(const Db& db)
    {
        const QString folder = dir.path() + QLatin1Char('/');
        QFile::copy(db.file, folder + QStringLiteral("qorvane.db"));
        AppFolderOverride = folder;
        LoginAttempts = 1;
        Application->CreateForm(fmMain);
        Application->SetMainForm(fmMain);
        Application->CreateForm(DM);
        // The login asks an encrypted file's password.
        rec.OnModal = [&](TForm* f) {
            auto* p = dynamic_cast<TfmEnterPassword*>(f);
            if (!p) return int(mrCancel);
            p->edPassword->SetText(db.password);
            return int(mrOk);
        };
        fmMain->Show();
        Application->ProcessMessages();
        rec.OnModal = nullptr;
        fmMain->aOpenObjSessions->Execute();
        Application->ProcessMessages();
        for (int i = 0; i < fmMain->MDIChildCount(); ++i)
            if (auto* f = dynamic_cast<TfmSessionObject*>(fmMain->MDIChildren(i))) w = f;
        if (!w || !DM->adoObjSessions->Active()) {
            std::fprintf(stderr, "the sessions register did not open\n");
            std::exit(1);
        }
        w->Timer->Fire();
    }
    ~Bench()
    {
        while (fmMain && fmMain->MDIChildCount() > 0) fmMain->MDIChildren(0)->Free();
        if (fmMain) fmMain->Free();
        fmMain = nullptr;
        delete DM;
        DM = nullptr;
        AppFolderOverride.clear();
    }

    // F2 on the current session; work runs in the shown dialog and ends it
    // (a click on OK, or the Cancel answer).
    Timing Edit(bool ok, bool changeVote)
    {
        Timing t;
        QElapsedTimer whole, close;
        whole.start();
        rec.OnModal = [&](TForm* f) {
            auto* d = dynamic_cast<TfmAddEditSessionObject*>(f);
            if (!d) return int(mrCancel);
            Application->ProcessMessages();
            if (changeVote) {
                d->tabParams->SetActivePage(d->TabSheet2);
                Application->ProcessMessages();
                TDataSet* votes = d->dsoLnkDecisionsMembers->DataSet();
                if (votes->RecordCount() > 0) {
                    TField* vote = votes->FieldByName(QStringLiteral("vote"));
                    votes->Edit();
                    vote->SetAsInteger(vote->AsInteger() % 3 + 1);
                    votes->Post();
                }
            }
            close.start();
            if (!ok) return int(mrCancel);
            d->btnOK->Click();
            return int(d->ModalResult());
        };
        w->aNEdit->Execute();
        Application->ProcessMessages();
        rec.OnModal = nullptr;
        t.close = Ms(close);
        t.whole = Ms(whole);
        if (DM->adoConnection->InTransaction()) {
            std::fprintf(stderr, "the transaction was left open\n");
            std::exit(1);
        }
        return t;
    }

    // The vote rows read again whole, as after a statement that changed
    // many of them (here 200,000, changed to what they were); ms.
    double RereadVotes()
    {
        DM->adoConnection->Execute(QStringLiteral("UPDATE LNK_DECISIONS_MEMBERS SET vote = vote WHERE rowid <= 200000"));
        QElapsedTimer t;
        t.start();
        DM->adoLnkDecisionsMembers->Requery();
        DM->adoLnkDecisionsMembers->RecordCount();
        return Ms(t);
    }

private:
    QTemporaryDir dir;
    TDialogRecorder rec;
    TfmSessionObject* w = nullptr;
};

void Run(const Db& db, int runs)
{
    std::printf("%s\n", db.title);
    std::fflush(stdout);
    Bench b(db);
    std::printf("  resident memory with the register open                 %8.1f MB\n", RssMb());
    for (const bool vote : {false, true}) {
        std::vector<double> okClose, okWhole, cancelClose, cancelWhole;
        double afterFirst = 0, afterTen = 0;
        int cancels = 0;
        for (int i = 0; i < runs; ++i) {
            const Timing c = b.Edit(false, vote);
            cancelClose.push_back(c.close);
            cancelWhole.push_back(c.whole);
            if (++cancels == 1) afterFirst = RssMb();
            if (cancels == 10) afterTen = RssMb();
            const Timing o = b.Edit(true, vote);
            okClose.push_back(o.close);
            okWhole.push_back(o.whole);
        }
        const double tenMore = [&] {
            for (int i = 0; i < 10; ++i) b.Edit(false, vote);
            return RssMb();
        }();
        const char* what = vote ? "F2, votes tab, a vote changed," : "F2 at once,";
        std::printf("  %-32s OK:     close %8.2f ms, F2 to idle %8.2f ms\n", what, Median(okClose), Median(okWhole));
        std::printf("  %-32s Cancel: close %8.2f ms, F2 to idle %8.2f ms\n", what, Median(cancelClose),
                    Median(cancelWhole));
        std::printf("  %-32s resident memory after 1 Cancel %.1f MB, after 10 %.1f MB, after 20 %.1f MB\n", what,
                    afterFirst, afterTen, tenMore);
        std::fflush(stdout);
    }
    std::vector<double> reread, rss;
    for (int i = 0; i < 10; ++i) {
        reread.push_back(b.RereadVotes());
        rss.push_back(RssMb());
    }
    std::printf("  the votes read again whole: %8.2f ms; resident memory after 1 %.1f MB, after 10 %.1f MB\n",
                Median(reread), rss.front(), rss.back());
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_LOGGING_RULES", "qt.qpa.*=false");
    QApplication app(argc, argv);
    try {
        using bench::MakeFile;
        const dbtool::BenchOptions big = bench::Large(), board = bench::Board();
        const QString bigName = bench::LargeName(), boardName = bench::BoardName();
        // QORVANE_BENCH_ENCRYPTED=1 adds the encrypted large file, =only runs it alone.
        const QByteArray encrypted = qgetenv("QORVANE_BENCH_ENCRYPTED");
        std::vector<std::pair<Db, int>> dbs;
        if (encrypted != "only") {
            dbs.push_back({{"realistic board (600 sessions, 180,000 votes), plain",
                            MakeFile(boardName + QStringLiteral(".db"), QString(), board), QString(), board},
                           11});
            dbs.push_back({{"large (100,000 sessions, 1,000,000 votes), plain",
                            MakeFile(bigName + QStringLiteral(".db"), QString(), big), QString(), big},
                           11});
        }
        if (!encrypted.isEmpty())
            dbs.push_back({{"large (100,000 sessions, 1,000,000 votes), encrypted",
                            MakeFile(bigName + QStringLiteral("-enc.db"), QStringLiteral("bench"), big),
                            QStringLiteral("bench"), big},
                           11});
        for (const auto& [db, runs] : dbs) Run(db, runs);
    } catch (const Exception& e) {
        std::fprintf(stderr, "bench: %s\n", e.what());
        return 1;
    }
    return 0;
}
