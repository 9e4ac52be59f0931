// Login, the password dialog, the password change and its dialog.
#include "AppFixture.h"

#include <QFile>
#include <QFontMetrics>
#include <QLabel>

#include "app/unChangePwd.h"
#include "app/unEnterPassword.h"
#include "platform/ado/ADOConnection.h"
#include "platform/ui/StdCtrls.h"

namespace {
// Answers the password dialog with the texts in order; an empty optional
// text means Cancel.
std::function<int(TForm*)> TypePasswords(std::vector<QString> texts, int* asked)
{
    return [texts, asked](TForm* f) mutable -> int {
        auto* dlg = dynamic_cast<TfmEnterPassword*>(f);
        if (!dlg) return mrCancel;
        int i = (*asked)++;
        if (i >= int(texts.size()) || texts[size_t(i)] == QLatin1String("<cancel>")) return mrCancel;
        dlg->edPassword->SetText(texts[size_t(i)]);
        dlg->btOK->Click();
        return dlg->ModalResult();
    };
}

bool OpensWith(const QString& file, const QString& password)
{
    TADOConnection c;
    c.SetConnectionString(dbtool::ConnectionString(file, password));
    try {
        c.Open();
        c.Execute(QStringLiteral("SELECT COUNT(*) FROM SYS_PARAMETERS"));
        return true;
    } catch (const Exception&) {
        return false;
    }
}
}  // namespace

TEST_F(AppFixture, NoPasswordOpensWithoutDialogAndOpensTheDataSets)
{
    MakeDb();
    ShowMain();
    EXPECT_EQ(rec->Count(TDialogKind::ModalForm), 0);
    EXPECT_TRUE(DM->adoConnection->Connected());
    EXPECT_TRUE(DM->adoObjSessions->Active());
    EXPECT_TRUE(DM->adqRefVoteTypes->Active());
    EXPECT_EQ(ExcelReportsDir, folder + QStringLiteral("reports/excel/"));
    EXPECT_EQ(WordReportsDir, folder + QStringLiteral("reports/word/"));
    EXPECT_FALSE(Application->Terminated());
    EXPECT_EQ(LoginAttempts, 3);
}

TEST_F(AppFixture, PasswordDialogOutcomes)
{
    struct Case {
        std::vector<QString> typed;
        bool connected;
        int wrongMessages;
        int dialogs;
    };
    const Case cases[] = {
        {{QStringLiteral("<cancel>")}, false, 0, 1},
        {{QStringLiteral("x"), QStringLiteral("y"), QStringLiteral("z")}, false, 3, 3},
        {{QStringLiteral("x"), QStringLiteral("Секрет 1")}, true, 1, 2},
    };
    for (const Case& c : cases) {
        TearDown();
        SetUp();
        QFile::remove(DbFile());
        MakeDb(QStringLiteral("Секрет 1"));
        int asked = 0;
        rec->OnModal = TypePasswords(c.typed, &asked);
        ShowMain();
        EXPECT_EQ(asked, c.dialogs);
        EXPECT_EQ(Boxes(QStringLiteral("Неверный пароль")), c.wrongMessages);
        EXPECT_EQ(DM->adoConnection->Connected(), c.connected);
        // A failed login ends without the exit question.
        EXPECT_EQ(Boxes(QStringLiteral("Выход")), 0);
        if (!c.connected) {
            EXPECT_EQ(LoginAttempts, 0);
            EXPECT_TRUE(Application->Terminated());
        } else {
            EXPECT_EQ(DbPassword, QStringLiteral("Секрет 1"));
        }
    }
}

TEST_F(AppFixture, MissingDatabaseIsNamedOnceAndNeverCreated)
{
    ShowMain();
    ASSERT_EQ(rec->Count(TDialogKind::MessageBox), 1);
    EXPECT_TRUE(rec->Last().Text.contains(DbFile()));
    EXPECT_EQ(rec->Count(TDialogKind::ModalForm), 0);
    EXPECT_EQ(LoginAttempts, 0);
    EXPECT_FALSE(QFileInfo::exists(DbFile()));
}

// Files the program cannot work with: one message, the program ends at the
// login without the exit question, and the file stays as it was. A file that
// could be an encrypted database (a size in whole pages, no plain header)
// is asked for its password first, as any encrypted one is.
TEST_F(AppFixture, HostileDatabaseFilesGiveOneMessageAndStayUnchanged)
{
    const QString damaged = QStringLiteral("Поврежденный файл базы данных");
    const QString unknown = QStringLiteral("Неизвестная структура базы данных");
    auto bytes = [this] {
        QFile f(DbFile());
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    };
    // A database made by the installation (with the password, and the
    // demonstration board when demo), then changed by the statements.
    auto made = [&](const QString& password, bool demo, const QStringList& statements = {}) {
        dbtool::CreateDatabase(DbFile(), password, demo);
        TADOConnection c;
        c.SetConnectionString(dbtool::ConnectionString(DbFile(), password));
        c.Open();
        for (const QString& sql : statements) c.Execute(sql);
        c.Close();
        return bytes();
    };
    struct Case {
        const char* name;
        std::function<QByteArray()> make;   // the file's bytes
        std::vector<QString> typed;         // passwords typed into the dialog
        QString caption;
    };
    const Case cases[] = {
        {"text file", [] { return QByteArray("Это не база данных.\r\n"); }, {}, damaged},
        {"plain database cut short", [&] { QByteArray b = made({}, true); return b.left(b.size() / 2 + 100); }, {}, damaged},
        {"plain database cut to whole pages", [&] { QByteArray b = made({}, true); return b.left(b.size() / 2 / 4096 * 4096); }, {}, damaged},
        {"plain database with a damaged first page",
         [&] { QByteArray b = made({}, true); for (int i = 100; i < 4000; i += 7) b[i] = char(0x5A); return b; }, {}, damaged},
        {"empty file", [] { return QByteArray(); }, {}, unknown},
        {"database of another program",
         [&] {
             QStringList drop;
             for (const char* t : {"REF_MEMBERS", "REF_POSTS", "REF_OTHER_MANAGEMENT", "REF_FORMS", "REF_PLACES", "REF_VOTE_TYPES",
                                   "OBJ_SESSIONS", "OBJ_QUESTIONS", "OBJ_DECISIONS", "OBJ_PAYMENTS", "LNK_SESSIONS_MEMBERS",
                                   "LNK_SESSIONS_DECISIONS", "LNK_DECISIONS_MEMBERS", "SYS_PARAMETERS"})
                 drop << QStringLiteral("DROP TABLE ") + QLatin1String(t);
             return made({}, false, drop << QStringLiteral("CREATE TABLE CUSTOMERS (id INTEGER, name VARCHAR(50))"));
         }, {}, unknown},
        {"sessions table without a column",
         [&] {
             return made({}, false, {QStringLiteral("DROP TABLE OBJ_SESSIONS"),
                                     QStringLiteral("CREATE TABLE OBJ_SESSIONS (id CHAR(38), pnumber INTEGER)")});
         }, {}, unknown},
        {"encrypted database cut to whole pages, right password",
         [&] { QByteArray b = made(QStringLiteral("Секрет"), true); return b.left(b.size() / 2 / 1024 * 1024); },
         {QStringLiteral("Секрет")}, damaged},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        QFile::remove(DbFile());
        const QByteArray before = c.make();
        {
            QFile f(DbFile());
            ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(before);
        }
        int asked = 0;
        rec->OnModal = TypePasswords(c.typed, &asked);
        ShowMain();
        EXPECT_EQ(asked, int(c.typed.size()));
        ASSERT_EQ(rec->Count(TDialogKind::MessageBox), 1);
        EXPECT_EQ(rec->Last().Caption, c.caption);
        EXPECT_TRUE(rec->Last().Text.contains(DbFile()));
        EXPECT_TRUE(rec->Last().Text.endsWith(QStringLiteral("Работа программы будет завершена.")));
        EXPECT_EQ(LoginAttempts, 0);
        EXPECT_TRUE(Application->Terminated());
        EXPECT_FALSE(DM->adoConnection->Connected());
        EXPECT_TRUE(bytes() == before) << "the file was changed";
    }
}

TEST_F(AppFixture, ChangeDialogChecks)
{
    DbPassword = QStringLiteral("Old");
    auto* dlg = new TfmChangePwd(Application);
    dlg->AfterConstruction();
    struct Case {
        const char* oldPwd;
        const char* newPwd;
        const char* confirm;
        const char* message;   // nullptr: the dialog closes with OK
    };
    const Case cases[] = {
        {"old", "a", "a", "Неверный старый пароль. Пароли вводятся с учетом регистра."},
        {"Old", "a", "b", "Введенные пароли не совпадают. Введите в оба поля один и тот же пароль."},
        {"Old", "Old", "Old", "Введенный пароль совпадает с текущим. Введите пароль, отличный от текущего."},
        {"Old", "New", "New", nullptr},
    };
    for (const Case& c : cases) {
        rec->Calls.clear();
        rec->OnModal = [&](TForm*) {
            dlg->edOldPwd->SetText(QString::fromUtf8(c.oldPwd));
            dlg->edNewPwd->SetText(QString::fromUtf8(c.newPwd));
            dlg->edConfirmPwd->SetText(QString::fromUtf8(c.confirm));
            dlg->btOK->Click();
            return dlg->ModalResult() == mrNone ? mrCancel : dlg->ModalResult();
        };
        int r = dlg->ShowModal();
        if (c.message) {
            ASSERT_EQ(rec->Count(TDialogKind::MessageBox), 1) << c.message;
            EXPECT_EQ(rec->Calls.back().Text, QString::fromUtf8(c.message));
            EXPECT_EQ(rec->Calls.back().Caption, QStringLiteral("Изменение пароля"));
            EXPECT_EQ(rec->Calls.back().Flags, MB_OK | MB_ICONWARNING);
            EXPECT_EQ(r, mrCancel);
        } else {
            EXPECT_EQ(rec->Count(TDialogKind::MessageBox), 0);
            EXPECT_EQ(r, mrOk);
        }
    }
    EXPECT_EQ(dlg->edOldPwd->MaxLength(), 250);
    EXPECT_EQ(dlg->edConfirmPwd->MaxLength(), 250);
    dlg->Free();
    TfmEnterPassword enter(nullptr);
    EXPECT_EQ(enter.edPassword->MaxLength(), 200);
    DbPassword.clear();
}

TEST_F(AppFixture, ChangeDialogShowsItsNoteInTwoLinesAsLaidOut)
{
    auto* dlg = new TfmChangePwd(Application);
    bool shown = false;
    rec->OnModal = [&](TForm*) {
        shown = true;
        Application->ProcessMessages();
        auto* note = qobject_cast<QLabel*>(dlg->lbInfo->Widget());
        EXPECT_TRUE(note && note->isVisible());
        if (!note) return mrCancel;
        const int line = QFontMetrics(note->font()).lineSpacing();
        EXPECT_EQ(note->text().count(QLatin1Char('\n')), 1);
        EXPECT_LT(note->height(), 3 * line) << "the note wraps to a third line";
        EXPECT_GE(note->height(), note->heightForWidth(note->width())) << "the note is cut";
        EXPECT_LE(note->geometry().right(), dlg->ClientWidth() - 1);
        // Nothing below had to move down for it.
        EXPECT_EQ(dlg->ClientHeight(), 221);
        EXPECT_EQ(dlg->edOldPwd->Top(), 62);
        EXPECT_EQ(dlg->btOK->Top(), 190);
        return mrCancel;
    };
    EXPECT_EQ(dlg->ShowModal(), mrCancel);
    EXPECT_TRUE(shown);
    dlg->Free();
}

TEST_F(AppFixture, PasswordChangeToOneAndBackRekeysTheFile)
{
    MakeDb();
    ShowMain();
    ASSERT_TRUE(DM->adoConnection->Connected());
    // Blanks, quotes and semicolons: nothing of it goes into a statement.
    const QString pwd = QStringLiteral("a b'c\";d ");
    auto change = [&](const QString& from, const QString& to) {
        rec->OnModal = [=](TForm* f) {
            auto* d = dynamic_cast<TfmChangePwd*>(f);
            if (!d) return int(mrCancel);
            d->edOldPwd->SetText(from);
            d->edNewPwd->SetText(to);
            d->edConfirmPwd->SetText(to);
            d->btOK->Click();
            return d->ModalResult();
        };
        fmMain->aChangePasswordExecute(nullptr);
    };
    fmMain->aOpenObjSessionsExecute(nullptr);
    ASSERT_EQ(fmMain->MDIChildCount(), 1);

    change(QString(), pwd);
    Application->ProcessMessages();
    EXPECT_EQ(DbPassword, pwd);
    EXPECT_TRUE(DM->adoConnection->Connected());
    EXPECT_TRUE(DM->adoObjSessions->Active());
    EXPECT_FALSE(DM->adoConnection->Exclusive());
    EXPECT_EQ(fmMain->MDIChildCount(), 0);   // the register windows were closed
    EXPECT_FALSE(OpensWith(DbFile(), QString()));
    EXPECT_TRUE(OpensWith(DbFile(), pwd));

    change(pwd, QString());
    EXPECT_TRUE(DbPassword.isEmpty());
    EXPECT_TRUE(DM->adoConnection->Connected());
    EXPECT_TRUE(OpensWith(DbFile(), QString()));
    EXPECT_EQ(Boxes(QStringLiteral("Изменение пароля")), 0);
}

TEST_F(AppFixture, FailedPasswordChangeKeepsTheOldPasswordAndTheWork)
{
    MakeDb(QStringLiteral("old"));
    int asked = 0;
    rec->OnModal = TypePasswords({QStringLiteral("old")}, &asked);
    ShowMain();
    ASSERT_TRUE(DM->adoConnection->Connected());
    // Another connection holds the file, so the exclusive reconnect fails.
    TADOConnection other;
    other.SetConnectionString(dbtool::ConnectionString(DbFile(), QStringLiteral("old")));
    other.Open();
    other.BeginTrans();
    other.Execute(QStringLiteral("UPDATE SYS_PARAMETERS SET val = val WHERE ord = 1"));
    rec->OnModal = [](TForm* f) {
        auto* d = dynamic_cast<TfmChangePwd*>(f);
        if (!d) return int(mrCancel);
        d->edOldPwd->SetText(QStringLiteral("old"));
        d->edNewPwd->SetText(QStringLiteral("new"));
        d->edConfirmPwd->SetText(QStringLiteral("new"));
        d->btOK->Click();
        return d->ModalResult();
    };
    fmMain->aChangePasswordExecute(nullptr);
    EXPECT_EQ(Boxes(QStringLiteral("Изменение пароля")), 1);
    other.RollbackTrans();
    other.Close();
    EXPECT_EQ(DbPassword, QStringLiteral("old"));
    EXPECT_TRUE(DM->adoConnection->Connected());
    EXPECT_TRUE(DM->adoObjSessions->Active());
    EXPECT_TRUE(OpensWith(DbFile(), QStringLiteral("old")));
}

TEST(ConnectionStrings, HaveTheShapeAndSurviveAnyPassword)
{
    EXPECT_EQ(NormalConnectionString(QString(), QStringLiteral("/x/qorvane.db")),
              QStringLiteral("Provider=Qorvane.SQLCipher.1;Jet OLEDB:Database Password=;Data Source=/x/qorvane.db;"
                             "Persist Security Info=True"));
    EXPECT_EQ(ExclusiveConnectionString(QStringLiteral("p"), QStringLiteral("/x/qorvane.db")),
              QStringLiteral("Provider=Qorvane.SQLCipher.1;Jet OLEDB:Database Password=p;Data Source=/x/qorvane.db;"
                             "Mode=Share Deny Read|Share Deny Write;Persist Security Info=True"));
    const QString odd = QStringLiteral(" a;b'c\"d ");
    EXPECT_EQ(TADOConnection::ConnectionStringValue(NormalConnectionString(odd, QStringLiteral("/f")),
                                                    QStringLiteral("Jet OLEDB:Database Password")),
              odd);
}
