// The session edit dialog as the user meets it: its layout, the tabs it
// shows, and the data-aware controls through which a session is typed.
#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QToolButton>
#include <QWidget>

#include "components/DBDateEdit.h"
#include "components/QvDBCtrl.h"
#include "components/ToolEdit.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/ComboBoxes.h"
#include "platform/ui/DBCtrls.h"
#include "platform/ui/StdCtrls.h"
#include "tests/platform/WindowSystem.h"
#include "tests/registers/SessionsFixture.h"

namespace {

using SessionDialog = Sessions;

// Members who took part in the session, stored before the dialog opens.
void StoreParticipants(int session, std::initializer_list<int> members)
{
    for (int m : members)
        DM->adoConnection->Execute(QStringLiteral("INSERT INTO LNK_SESSIONS_MEMBERS (id, id_session, id_member) VALUES ('") +
                                   Key(100 + m) + QStringLiteral("', '") + Key(session) + QStringLiteral("', '") +
                                   Key(m) + QStringLiteral("')"));
    DM->adoLnkSessionsMembers->Requery();
}

TEST_F(SessionDialog, LayoutTextsAndTabOrderAreThoseOfTheForm)
{
    rec->OnModal = [&](TForm* f) {
        auto* d = static_cast<TfmAddEditSessionObject*>(f);
        EXPECT_EQ(d->ClientWidth(), 392);
        EXPECT_EQ(d->ClientHeight(), 379);
        EXPECT_EQ(d->BorderStyle(), bsDialog);
        struct Row {
            TControl* c;
            int left, top, width;
        } rows[] = {{d->tabParams, 10, 9, 372},         {d->btnOK, 219, 343, 75},
                    {d->btnCancel, 305, 343, 75},       {d->DBEdit1, 89, 9, 65},
                    {d->DBDateEdit1, 205, 9, 150},      {d->DBLookupComboBox1, 121, 42, 234},
                    {d->DBLookupComboBox2, 121, 75, 234}, {d->DBMemo1, 9, 121, 345},
                    {d->DBMemo2, 9, 215, 345},          {d->dbgMembers, 9, 26, 345},
                    {d->DBNavigator1, 234, 5, 120},     {d->dbgVotes, 9, 168, 345},
                    {d->DBNavigator2, 274, 147, 80},    {d->cbxSetPay, 8, 11, 176},
                    {d->dtePay, 185, 9, 170},           {d->dbgPayments, 9, 64, 345},
                    {d->DBNavigator3, 274, 43, 80},     {d->cmbSign, 89, 264, 266}};
        for (const Row& r : rows) {
            EXPECT_EQ(r.c->Left(), r.left) << r.c->Name().toStdString();
            EXPECT_EQ(r.c->Top(), r.top) << r.c->Name().toStdString();
            EXPECT_EQ(r.c->Width(), r.width) << r.c->Name().toStdString();
        }
        // The first tab's controls in their tab order, each reached by its
        // label's accelerator.
        const std::pair<TLabel*, TWinControl*> labels[] = {
            {d->Label1, d->DBEdit1},          {d->Label2, d->DBDateEdit1}, {d->Label3, d->DBLookupComboBox1},
            {d->Label4, d->DBLookupComboBox2}, {d->Label5, d->DBMemo1},     {d->Label6, d->DBMemo2}};
        int order = 0;
        for (const auto& [label, control] : labels) {
            EXPECT_EQ(label->FocusControl(), control);
            EXPECT_EQ(control->TabOrder(), order++);
        }
        EXPECT_EQ(d->Label5->Caption(), QStringLiteral("&Примечание к форме проведения (для уведомлений):"));
        EXPECT_EQ(d->cbxSetPay->Caption(), QStringLiteral(" Оформить &выплату от даты "));
        EXPECT_EQ(d->cmbSign->Items()->Count(), 2);
        EXPECT_EQ(d->DBNavigator2->Hints()->Strings(6), QStringLiteral("Редактировать позицию"));
        EXPECT_TRUE(d->DBNavigator1->ButtonVisible(nbInsert));
        EXPECT_FALSE(d->DBNavigator1->ButtonVisible(nbFirst));
        EXPECT_FALSE(d->DBNavigator2->ButtonVisible(nbInsert));
        EXPECT_FALSE(d->DBNavigator1->ConfirmDelete());
        // Adding: only the first tab, with the focus on the number.
        EXPECT_TRUE(d->TabSheet1->TabVisible());
        EXPECT_FALSE(d->TabSheet2->TabVisible());
        EXPECT_FALSE(d->TabSheet3->TabVisible());
        EXPECT_EQ(d->ActiveControl(), static_cast<TWinControl*>(d->DBEdit1));
        EXPECT_EQ(d->DBEdit1->Text(), QStringLiteral("3"));
        return int(mrCancel);
    };
    User([&] { w->ToolButton5->Click(); });
    EXPECT_EQ(Forms(QStringLiteral("TfmAddEditSessionObject")), 1);
}

// A session typed through the controls: the number, a form picked in the
// list (its comment fills the note), a place, a comment; OK stores it.
TEST_F(SessionDialog, SessionTypedThroughTheControlsIsStored)
{
    rec->OnModal = [&](TForm* f) {
        auto* d = static_cast<TfmAddEditSessionObject*>(f);
        d->DBEdit1->SetFocus();
        d->DBEdit1->LineEdit()->selectAll();
        // The number is an integer field: the letter is refused as typed.
        d->DBEdit1->TypeText(QStringLiteral("1a7"));
        EXPECT_EQ(d->DBEdit1->LineEdit()->text(), QStringLiteral("17"));
        // "Очная" is the second form by name.
        d->DBLookupComboBox1->SelectRow(1);
        EXPECT_EQ(d->DBMemo1->Text(), QStringLiteral("Собрание в большом зале"));
        d->DBLookupComboBox2->SelectRow(0);
        d->DBMemo2->SetFocus();
        for (QChar c : QStringLiteral("Кворум")) d->DBMemo2->TypeChar(c);
        Ok(d);
        return int(d->ModalResult());
    };
    User([&] { w->ToolButton5->Click(); });
    EXPECT_EQ(Value(QStringLiteral("SELECT fcomment FROM OBJ_SESSIONS WHERE pnumber=17")),
              QStringLiteral("Собрание в большом зале"));
    EXPECT_EQ(Value(QStringLiteral("SELECT mcomment FROM OBJ_SESSIONS WHERE pnumber=17")), QStringLiteral("Кворум"));
    EXPECT_EQ(Value(QStringLiteral("SELECT id_form FROM OBJ_SESSIONS WHERE pnumber=17")), Key(12));
    EXPECT_EQ(Value(QStringLiteral("SELECT id_place FROM OBJ_SESSIONS WHERE pnumber=17")), Key(21));
}

// Showing the tabs runs their handlers: the vote rows appear when the
// second tab comes up, the payment state when the third does.
TEST_F(SessionDialog, ShowingTheTabsKeepsVotesAndPaymentsInStep)
{
    StoreParticipants(SessionB, {M1, M2});
    Edit(SessionB, [&](TfmAddEditSessionObject* d) {
        EXPECT_TRUE(d->TabSheet2->TabVisible());
        EXPECT_TRUE(d->TabSheet3->TabVisible());
        EXPECT_EQ(Count(QStringLiteral("LNK_DECISIONS_MEMBERS")), 0);
        d->tabParams->SetActivePage(d->TabSheet2);
        Application->ProcessMessages();
        EXPECT_EQ(Count(QStringLiteral("LNK_DECISIONS_MEMBERS")), 4);
        EXPECT_EQ(d->dbgMembers->DataSource()->DataSet()->RecordCount(), 2);
        EXPECT_EQ(d->dbgVotes->DataSource()->DataSet()->RecordCount(), 2);
        d->tabParams->SetActivePage(d->TabSheet3);
        Application->ProcessMessages();
        EXPECT_FALSE(d->cbxSetPay->Checked());
        EXPECT_FALSE(d->DBNavigator3->Enabled());
        d->cbxSetPay->Click();
        EXPECT_TRUE(d->DBNavigator3->Enabled());
        EXPECT_EQ(d->dbgPayments->DataSource()->DataSet()->RecordCount(), 2);
        return int(mrCancel);
    });
    EXPECT_EQ(Count(QStringLiteral("LNK_DECISIONS_MEMBERS")), 0);
    EXPECT_EQ(Count(QStringLiteral("OBJ_PAYMENTS")), 0);
}

// The pages turned by the keys in the dialog opened by F2 in the register:
// Ctrl+Tab and Ctrl+PageDown forward, Ctrl+Shift+Tab and Ctrl+PageUp back,
// from a memo and from the grids (which take Tab themselves); the focus goes
// on to the first control of the page, and the page's own handler runs (the
// vote rows come with the second page).
TEST_F(SessionDialog, CtrlTabAndCtrlPageKeysTurnThePagesWhereverTheFocusIs)
{
    StoreParticipants(SessionB, {M1, M2});
    EditByKey(SessionB, [&](TfmAddEditSessionObject* d) {
        ActivateForm(d);
        TPageControl* pages = d->tabParams;
        const auto focusIn = [](TWinControl* c) {
            QWidget* f = QApplication::focusWidget();
            return f && (f == c->Widget() || c->Widget()->isAncestorOf(f));
        };
        ASSERT_EQ(pages->ActivePage(), d->TabSheet1);
        d->DBMemo2->SetFocus();
        Application->ProcessMessages();
        KeyboardKey(Qt::Key_Tab, Qt::ControlModifier, QStringLiteral("\t"));
        EXPECT_EQ(pages->ActivePage(), d->TabSheet2);
        EXPECT_TRUE(focusIn(d->dbgMembers));
        EXPECT_EQ(d->DBMemo2->Text(), QString());
        EXPECT_EQ(Count(QStringLiteral("LNK_DECISIONS_MEMBERS")), 4);

        KeyboardKey(Qt::Key_PageDown, Qt::ControlModifier);
        EXPECT_EQ(pages->ActivePage(), d->TabSheet3);
        EXPECT_TRUE(focusIn(d->cbxSetPay));
        KeyboardKey(Qt::Key_PageUp, Qt::ControlModifier);
        EXPECT_EQ(pages->ActivePage(), d->TabSheet2);

        d->dbgVotes->SetFocus();
        Application->ProcessMessages();
        const int column = d->dbgVotes->SelectedIndex();
        KeyboardKey(Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier, QStringLiteral("\t"));
        EXPECT_EQ(pages->ActivePage(), d->TabSheet1);
        EXPECT_TRUE(focusIn(d->DBEdit1));
        EXPECT_EQ(d->dbgVotes->SelectedIndex(), column);
        User([&] { d->btnCancel->Click(); });
    });
    EXPECT_EQ(Count(QStringLiteral("LNK_DECISIONS_MEMBERS")), 0);
}

// The navigators' buttons show their hints as the dialog's other controls
// do: as the tool tip, and in the main window's status bar while the mouse
// is over the button.
TEST_F(SessionDialog, NavigatorButtonsShowTheirHints)
{
    const char* const hints[] = {"К первой позиции",      "К предыдущей позиции", "К следующей позиции",
                                 "К последней позиции",   "Добавить позицию",     "Удалить позицию",
                                 "Редактировать позицию", "Сохранить",            "Отменить",
                                 "Обновить"};
    int checked = 0;
    Edit(SessionB, [&](TfmAddEditSessionObject* d) {
        User([&] { d->cbxSetPay->Click(); });   // the payment controls enabled
        for (TTabSheet* tab : {d->TabSheet2, d->TabSheet3}) {
            d->tabParams->SetActivePage(tab);
            Application->ProcessMessages();
            for (TDBNavigator* nav : {d->DBNavigator1, d->DBNavigator2, d->DBNavigator3}) {
                if (!nav->Showing()) continue;
                for (int b = nbFirst; b <= nbRefresh; ++b) {
                    if (!nav->ButtonVisible(TNavigateBtn(b))) continue;
                    SCOPED_TRACE(nav->Name().toStdString() + " " + hints[b]);
                    QToolButton* button = nav->Button(TNavigateBtn(b));
                    QEvent enter(QEvent::Enter), leave(QEvent::Leave);
                    QApplication::sendEvent(button, &enter);
                    EXPECT_EQ(button->toolTip(), QString::fromUtf8(hints[b]));
                    EXPECT_EQ(fmMain->stbMain->PanelText(1), QString::fromUtf8(hints[b]));
                    QApplication::sendEvent(button, &leave);
                    ++checked;
                }
            }
        }
        return int(mrCancel);
    });
    EXPECT_EQ(checked, 6 + 4 + 4);
}

}  // namespace
