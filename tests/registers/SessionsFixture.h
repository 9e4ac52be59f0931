#pragma once
// The sessions register opened from the main window over a small board:
// members 1..4 (4 has left the board), forms 11 and 12 (by name: "Заочная",
// "Очная"), place 21, sessions 31 (No. 1) and 32 (No. 2), question 41 with
// decisions 51 and 52 linked to session 32 and 53 linked to session 31.
#include <QAbstractScrollArea>
#include <QApplication>
#include <QStringList>
#include <QTabBar>
#include <QToolButton>
#include <functional>
#include <initializer_list>

#include "components/QvDBCtrl.h"
#include "platform/ado/ADODB.h"
#include "platform/core/DateTime.h"
#include "platform/core/SysUtils.h"
#include "platform/ui/ActnList.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/DBCtrls.h"
#include "platform/ui/StdCtrls.h"
#include "registers/unAddEditSessionObject.h"
#include "registers/unSessionObject.h"
#include "tests/app/AppFixture.h"
#include "tests/platform/ScreenInput.h"


inline QString Key(int n) { return QStringLiteral("{00000000-0000-0000-0000-%1}").arg(n, 12, 10, QLatin1Char('0')); }

constexpr int M1 = 1, M2 = 2, M3 = 3, SessionA = 31, SessionB = 32;

class Sessions : public AppFixture {
protected:
    TfmSessionObject* w = nullptr;

    void SetUp() override
    {
        AppFixture::SetUp();
        MakeDb();
        ShowMain();
        ASSERT_TRUE(DM->adoConnection->Connected());
        const char* rows[] = {
            "INSERT INTO REF_MEMBERS (id, fullname, enabled) VALUES ('%1', 'Алексеев Борис Петрович', 1)",
            "INSERT INTO REF_MEMBERS (id, fullname, enabled) VALUES ('%2', 'Белова Анна Ивановна', 1)",
            "INSERT INTO REF_MEMBERS (id, fullname, enabled) VALUES ('%3', 'Волков Иван Сергеевич', 1)",
            "INSERT INTO REF_MEMBERS (id, fullname, enabled) VALUES ('%4', 'Громов Олег Юрьевич', 0)",
            "INSERT INTO REF_FORMS (id, name, comment) VALUES ('%11', 'Заочная', 'Опросные листы до пятницы')",
            "INSERT INTO REF_FORMS (id, name, comment) VALUES ('%12', 'Очная', 'Собрание в большом зале')",
            "INSERT INTO REF_PLACES (id, name) VALUES ('%21', 'Большой зал')",
            "INSERT INTO OBJ_SESSIONS (id, pnumber, pdate, memberscount) VALUES ('%31', 1, 40000, 7)",
            "INSERT INTO OBJ_SESSIONS (id, pnumber, pdate, memberscount) VALUES ('%32', 2, 40100, 7)",
            "INSERT INTO OBJ_QUESTIONS (id, date, question) VALUES ('%41', 40000, 'Об отчете')",
            "INSERT INTO OBJ_DECISIONS (id, id_question, description) VALUES ('%51', '%41', 'Утвердить отчет')",
            "INSERT INTO OBJ_DECISIONS (id, id_question, description) VALUES ('%52', '%41', 'Отклонить отчет')",
            "INSERT INTO OBJ_DECISIONS (id, id_question, description) VALUES ('%53', '%41', 'Перенести')",
            "INSERT INTO LNK_SESSIONS_DECISIONS (id, id_session, id_decision) VALUES ('%61', '%32', '%51')",
            "INSERT INTO LNK_SESSIONS_DECISIONS (id, id_session, id_decision) VALUES ('%62', '%32', '%52')",
            "INSERT INTO LNK_SESSIONS_DECISIONS (id, id_session, id_decision) VALUES ('%63', '%31', '%53')",
            "UPDATE SYS_PARAMETERS SET val='Петров П. П.' WHERE name='zam_gen_director'",
            "UPDATE SYS_PARAMETERS SET val='Иванов И. И.' WHERE name='gen_director'",
            "UPDATE SYS_PARAMETERS SET val='Выплата в течение месяца' WHERE name='pay_reglament'"};
        for (const char* r : rows) {
            QString sql = QString::fromUtf8(r);
            for (int n : {63, 62, 61, 53, 52, 51, 41, 32, 31, 21, 12, 11, 4, 3, 2, 1})
                sql.replace(QLatin1Char('%') + QString::number(n), Key(n));
            DM->adoConnection->Execute(sql);
        }
        for (int i = 0; i < DM->ComponentCount(); ++i)
            if (auto* ds = dynamic_cast<TDataSet*>(DM->Components(i)); ds && ds->Active()) ds->Requery();
        fmMain->aOpenObjSessions->Execute();
        for (int i = 0; i < fmMain->MDIChildCount(); ++i)
            if (auto* f = dynamic_cast<TfmSessionObject*>(fmMain->MDIChildren(i))) w = f;
        ASSERT_NE(w, nullptr);
        w->Timer->Fire();
    }

    TDataSet* S() const { return DM->adoObjSessions; }
    QString Field(TDataSet* ds, const char* name) const
    {
        return ds->FieldByName(QString::fromLatin1(name))->AsString();
    }
    bool GoTo(int session)
    {
        const bool ok = S()->Locate(QStringLiteral("id"), Variant(Key(session)));
        w->Timer->Fire();
        return ok;
    }
    int Count(const QString& sql) const
    {
        ado::RecordsetPtr rs = DM->adoConnection->Execute(QStringLiteral("SELECT COUNT(*) FROM ") + sql);
        return rs->Value(0, 0).toInt();
    }
    QString Value(const QString& sql) const
    {
        ado::RecordsetPtr rs = DM->adoConnection->Execute(sql);
        return rs && rs->RowCount() > 0 ? rs->Text(0, 0) : QString();
    }
    // Every row of the table, as text, in the order of the keys.
    QString Rows(const QString& table) const
    {
        ado::RecordsetPtr rs =
            DM->adoConnection->Execute(QStringLiteral("SELECT * FROM ") + table + QStringLiteral(" ORDER BY id"));
        QString out;
        for (qsizetype r = 0; r < rs->RowCount(); ++r) {
            for (int c = 0; c < rs->ColumnCount(); ++c) out += rs->Text(r, c) + QLatin1Char('|');
            out += QLatin1Char('\n');
        }
        return out;
    }
    // Every row of every table the dialog may write, as text.
    QString Snapshot() const
    {
        QString out;
        for (const char* t : {"OBJ_SESSIONS", "LNK_SESSIONS_MEMBERS", "LNK_SESSIONS_DECISIONS", "LNK_DECISIONS_MEMBERS",
                              "OBJ_PAYMENTS", "OBJ_DECISIONS", "OBJ_QUESTIONS"})
            out += QString::fromLatin1(t) + QLatin1Char('\n') + Rows(QString::fromLatin1(t));
        return out;
    }
    // What the event loop does with an exception escaping a user's action.
    static void User(const std::function<void()>& f)
    {
        try {
            f();
        } catch (...) {
            Application->HandleException(nullptr);
        }
    }
    // Adds a participant through the participants grid's dataset.
    static void AddParticipant(TfmAddEditSessionObject* d, int member)
    {
        TDataSet* p = d->dsoLnkSessionsMembers->DataSet();
        p->Append();
        p->FieldByName(QStringLiteral("id_member"))->SetAsString(Key(member));
        p->Post();
    }
    // Participants added, then payments switched on for them.
    static void PaymentsOn(TfmAddEditSessionObject* d, std::initializer_list<int> members)
    {
        for (int m : members) AddParticipant(d, m);
        d->TabSheet3Show(d->TabSheet3);
        User([&] { d->cbxSetPay->Click(); });
    }
    // The edit dialog of the session, worked by the function, which returns
    // the modal result the user gives.
    void Edit(int session, const std::function<int(TfmAddEditSessionObject*)>& work)
    {
        ASSERT_TRUE(GoTo(session));
        rec->OnModal = [&](TForm* f) {
            auto* d = dynamic_cast<TfmAddEditSessionObject*>(f);
            EXPECT_NE(d, nullptr);
            return d ? work(d) : int(mrCancel);
        };
        User([&] { w->ToolButton7->Click(); });
        rec->OnModal = nullptr;
    }
    static void Ok(TfmAddEditSessionObject* d) { User([&] { d->btnOK->Click(); }); }

    // The user's keys and clicks, delivered the way the toolkit delivers
    // them; the event loop runs after each.
    static void Press(int key, Qt::KeyboardModifiers mods = Qt::NoModifier, const QString& text = QString())
    {
        ASSERT_TRUE(PressKey(key, mods, text));
    }
    static void Type(const QString& text) { TypeKeys(text); }
    static void ClickAt(QWidget* w, const QPoint& at)
    {
        screen::Click(w, at);
        Application->ProcessMessages();
    }
    static void ClickOn(TControl* c) { ClickAt(c->Widget(), c->Widget()->rect().center()); }
    // A click on the tab of the page.
    static void ClickTab(TfmAddEditSessionObject* d, TTabSheet* page)
    {
        QTabBar* bar = d->tabParams->TabBar();
        ClickAt(bar, bar->tabRect(page->PageIndex()).center());
    }
    // A click on the navigator's button.
    static void ClickButton(TDBNavigator* n, TNavigateBtn button)
    {
        QToolButton* b = n->Button(button);
        ClickAt(b, b->rect().center());
    }
    // The member of the participants grid's current row chosen as a user
    // does: a click on the cell (the current cell: its editor opens), the
    // first letters of the name, Enter.
    static void ChooseMember(TfmAddEditSessionObject* d, const QString& letters)
    {
        TQvDBGrid* g = d->dbgMembers;
        const TRect cell = g->CellRect(g->IndicatorOffset(), g->Row());
        ClickAt(qobject_cast<QAbstractScrollArea*>(g->Widget())->viewport(),
                QPoint((cell.Left + cell.Right) / 2, (cell.Top + cell.Bottom) / 2));
        ASSERT_TRUE(g->EditorMode());
        for (QChar c : letters) Press(0, Qt::NoModifier, QString(c));
        Press(Qt::Key_Return);
    }
    // The register shown, on the session, with the focus in its grid (the
    // window active again, as after a dialog closed on the screen).
    void FocusGrid(int session)
    {
        w->Show();
        w->Widget()->window()->activateWindow();
        Application->ProcessMessages();
        ASSERT_TRUE(GoTo(session));
        w->DBGrid->SetFocus();
        Application->ProcessMessages();
        ASSERT_EQ(QApplication::focusWidget(), w->DBGrid->Widget());
    }
    // The edit dialog of the session opened by F2 in the register's grid and
    // worked by the function once it is shown; the function ends it by a
    // click on OK or Cancel.
    void EditByKey(int session, const std::function<void(TfmAddEditSessionObject*)>& work)
    {
        FocusGrid(session);
        bool shown = false;
        rec->OnModal = [&](TForm* f) {
            auto* d = dynamic_cast<TfmAddEditSessionObject*>(f);
            EXPECT_NE(d, nullptr);
            if (!d) return int(mrCancel);
            shown = true;
            Application->ProcessMessages();
            work(d);
            return int(d->ModalResult());
        };
        Press(Qt::Key_F2);
        rec->OnModal = nullptr;
        EXPECT_TRUE(shown);
        EXPECT_FALSE(DM->adoConnection->InTransaction());
    }
    int Errors() const
    {
        int n = 0;
        for (const auto& c : rec->Calls)
            if (c.Kind == TDialogKind::MessageBox && (c.Flags & MB_ICONMASK) == MB_ICONSTOP) ++n;
        return n;
    }
};

