// The dialog keys: in a modal dialog, Enter and Esc that the focused control
// does not claim reach the default and the cancel button after the control
// has seen them; a control that acts on them itself (a memo, an entry line,
// an open list, a grid's open editor, a focused button) keeps them. The keys
// go through the toolkit's delivery to the widget that has the keyboard (the
// open list's while one is dropped down).
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPlainTextEdit>
#include <functional>

#include "AdoTestUtil.h"
#include "UserKeys.h"
#include "platform/ado/ADODB.h"
#include "platform/ui/ComboBoxes.h"
#include "platform/ui/DBCtrls.h"
#include "platform/ui/DBGrids.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Forms.h"
#include "platform/ui/StdCtrls.h"

using namespace adotest;

namespace {

constexpr TModalResult StillOpen = mrIgnore;

class DialogKeys : public ::testing::Test {
protected:
    QTemporaryDir Dir;
    std::unique_ptr<TADOConnection> Db;
    TForm* Dlg = nullptr;
    TADOTable* Sessions = nullptr;
    TADOTable* Forms = nullptr;
    TDataSource* Src = nullptr;
    TDataSource* FormsSrc = nullptr;
    TButton* Ok = nullptr;
    TButton* Cancel = nullptr;
    int OkClicks = 0, CancelClicks = 0;
    TDialogRecorder Dialogs;

    void SetUp() override
    {
        Db = CreateDb(Dir.filePath(QStringLiteral("k.db")), QString(),
                      {QStringLiteral("CREATE TABLE OBJ_SESSIONS (id CHAR(38), pnumber VARCHAR(5), id_form CHAR(38), "
                                      "mcomment MEMO TEXT)"),
                       QStringLiteral("CREATE TABLE REF_FORMS (id CHAR(38), name VARCHAR(255))")});
        Db->Execute(QStringLiteral("INSERT INTO OBJ_SESSIONS VALUES (\"s1\", \"12\", \"f1\", \"раз\")"));
        Db->Execute(QStringLiteral("INSERT INTO REF_FORMS VALUES (\"f1\", \"Очная\")"));
        Db->Execute(QStringLiteral("INSERT INTO REF_FORMS VALUES (\"f2\", \"Заочная\")"));
        Dlg = NewForm<TForm>(nullptr);
        Dlg->SetBorderStyle(bsDialog);
        Dlg->SetBounds(0, 0, 420, 300);
        Sessions = Table(QStringLiteral("OBJ_SESSIONS"));
        Forms = Table(QStringLiteral("REF_FORMS"));
        Src = new TDataSource(Dlg);
        Src->SetDataSet(Sessions);
        FormsSrc = new TDataSource(Dlg);
        FormsSrc->SetDataSet(Forms);
        Ok = NewButton(QStringLiteral("OK"), 240, mrOk, OkClicks);
        Ok->SetDefault(true);
        Cancel = NewButton(QStringLiteral("Отмена"), 330, mrCancel, CancelClicks);
        Cancel->SetCancel(true);
    }
    void TearDown() override
    {
        if (Sessions->State() != dsBrowse) Sessions->Cancel();
        Dlg->Free();
        Db.reset();
    }
    TADOTable* Table(const QString& name)
    {
        auto* t = new TADOTable(Dlg);
        t->SetConnection(Db.get());
        t->SetTableName(name);
        t->Open();
        return t;
    }
    TButton* NewButton(const QString& caption, int left, TModalResult result, int& clicks)
    {
        auto* b = new TButton(Dlg);
        b->SetParent(Dlg);
        b->SetBounds(left, 260, 75, 25);
        b->SetCaption(caption);
        b->SetModalResult(result);
        b->OnClick = [&clicks](TObject*) { ++clicks; };
        return b;
    }
    template <class C>
    C* Make(int height = 21)
    {
        auto* c = new C(Dlg);
        c->SetParent(Dlg);
        c->SetBounds(10, 10, 300, height);
        return c;
    }
    // Shows the dialog modally, focuses the control, runs the preparation
    // (keys that come before), presses the key; StillOpen when the dialog
    // did not close.
    TModalResult Press(TWinControl* control, int key, Qt::KeyboardModifiers mods = Qt::NoModifier,
                       const std::function<void()>& before = {})
    {
        Dialogs.OnModal = [&](TForm* f) {
            ActivateForm(f);
            control->SetFocus();
            Application->ProcessMessages();
            EXPECT_TRUE(control->Widget()->isAncestorOf(QApplication::focusWidget()) ||
                        control->Widget() == QApplication::focusWidget());
            if (before) before();
            EXPECT_TRUE(PressKey(key, mods));
            return f->ModalResult() == mrNone ? StillOpen : mrNone;
        };
        return Dlg->ShowModal();
    }
};

struct Case {
    const char* control;
    int key;
    Qt::KeyboardModifiers mods;
    TModalResult result;
};

TEST_F(DialogKeys, EnterAndEscReachTheButtonsUnlessTheFocusedControlClaimsThem)
{
    const Qt::KeyboardModifiers none = Qt::NoModifier;
    const Case cases[] = {
        {"edit", Qt::Key_Return, none, mrOk},
        {"edit", Qt::Key_Escape, none, mrCancel},
        {"edit", Qt::Key_Return, Qt::ShiftModifier, StillOpen},   // a shift key: no button's key
        {"memo", Qt::Key_Return, none, StillOpen},                 // breaks the line
        {"memo", Qt::Key_Escape, none, mrCancel},
        {"check box", Qt::Key_Return, none, mrOk},
        {"check box", Qt::Key_Escape, none, mrCancel},
        {"closed list", Qt::Key_Return, none, mrOk},
        {"closed list", Qt::Key_Escape, none, mrCancel},
        {"entry line", Qt::Key_Return, none, StillOpen},           // the line's own Enter
        {"entry line", Qt::Key_Escape, none, mrCancel},
        {"open list", Qt::Key_Return, none, StillOpen},            // picks the row
        {"open list", Qt::Key_Escape, none, StillOpen},            // closes the list
        {"OK focused", Qt::Key_Return, none, mrOk},
        {"Cancel focused", Qt::Key_Return, none, mrCancel},        // the focused button is pressed
        {"data edit", Qt::Key_Return, none, mrOk},
        {"data edit", Qt::Key_Escape, none, mrCancel},
        {"data memo", Qt::Key_Return, none, StillOpen},
        {"data memo", Qt::Key_Escape, none, mrCancel},
        {"grid", Qt::Key_Return, none, mrOk},
        {"grid", Qt::Key_Escape, none, mrCancel},
        {"grid editor", Qt::Key_Return, none, StillOpen},
        {"grid editor", Qt::Key_Escape, none, StillOpen},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.control) + (c.key == Qt::Key_Return ? " Enter" : " Esc"));
        const QString name = QString::fromLatin1(c.control);
        OkClicks = CancelClicks = 0;
        TWinControl* control = nullptr;
        std::function<void()> before;
        if (name == QLatin1String("edit")) {
            control = Make<TEdit>();
        } else if (name == QLatin1String("memo")) {
            control = Make<TMemo>(60);
        } else if (name == QLatin1String("check box")) {
            control = Make<TCheckBox>();
        } else if (name == QLatin1String("closed list") || name == QLatin1String("entry line")) {
            auto* box = Make<TComboBox>();
            box->SetStyle(name == QLatin1String("entry line") ? csSimple : csDropDownList);
            box->Items()->Add(QStringLiteral("Зам. генерального директора"));
            box->Items()->Add(QStringLiteral("Генеральный директор"));
            control = box;
        } else if (name == QLatin1String("open list")) {
            auto* box = Make<TDBLookupComboBox>();
            box->SetDataSource(Src);
            box->SetDataField(QStringLiteral("id_form"));
            box->SetListSource(FormsSrc);
            box->SetKeyField(QStringLiteral("id"));
            box->SetListField(QStringLiteral("name"));
            control = box;
            before = [box] {
                box->DropDown();
                Application->ProcessMessages();
                ASSERT_TRUE(box->ListVisible());
            };
        } else if (name == QLatin1String("OK focused")) {
            control = Ok;
        } else if (name == QLatin1String("Cancel focused")) {
            control = Cancel;
        } else if (name == QLatin1String("data edit")) {
            auto* ed = Make<TDBEdit>();
            ed->SetDataSource(Src);
            ed->SetDataField(QStringLiteral("pnumber"));
            control = ed;
            before = [] { TypeKeys(QStringLiteral("9")); };   // an edit under way
        } else if (name == QLatin1String("data memo")) {
            auto* m = Make<TDBMemo>(60);
            m->SetDataSource(Src);
            m->SetDataField(QStringLiteral("mcomment"));
            control = m;
        } else {
            auto* g = Make<TDBGrid>(120);
            g->SetDataSource(Src);
            control = g;
            if (name == QLatin1String("grid editor")) before = [] { PressKey(Qt::Key_F2); };
        }
        EXPECT_EQ(Press(control, c.key, c.mods, before), c.result);
        EXPECT_EQ(OkClicks, c.result == mrOk ? 1 : 0);
        EXPECT_EQ(CancelClicks, c.result == mrCancel ? 1 : 0);
        if (name == QLatin1String("memo")) {
            EXPECT_EQ(static_cast<TMemo*>(control)->Text().count(QStringLiteral("\r\n")), c.key == Qt::Key_Return ? 1 : 0);
        } else if (name == QLatin1String("data edit") && c.key == Qt::Key_Escape) {   // reset to the field's value as well
            EXPECT_EQ(static_cast<TDBEdit*>(control)->Text(), QStringLiteral("12"));
        } else if (name == QLatin1String("grid editor")) {
            EXPECT_FALSE(static_cast<TDBGrid*>(control)->EditorMode());
        } else if (name == QLatin1String("open list")) {
            EXPECT_FALSE(static_cast<TDBLookupComboBox*>(control)->ListVisible());
        }
        if (Sessions->State() != dsBrowse) Sessions->Cancel();
        if (control != Ok && control != Cancel) control->Free();
    }
    EXPECT_EQ(Query(Db.get(), QStringLiteral("SELECT pnumber FROM OBJ_SESSIONS")), QStringLiteral("12"));
}

// A refusal shows one message and keeps the dialog open: OK's handler that
// raises, or the focused control's own key handler that raises (the key
// then goes no further); the next Enter tries again.
TEST_F(DialogKeys, ARefusalKeepsTheDialogOpen)
{
    Ok->SetModalResult(mrNone);
    bool refuseOk = true, refuseKey = false;
    Ok->OnClick = [&](TObject*) {
        ++OkClicks;
        if (refuseOk) throw Exception(QStringLiteral("Не заполнено поле"));
        Dlg->SetModalResult(mrOk);
    };
    auto* ed = Make<TEdit>();
    ed->OnKeyDown = [&](TObject*, WORD& key, TShiftState) {
        if (refuseKey && key == VK_RETURN) throw Exception(QStringLiteral("Неверная дата"));
    };
    EXPECT_EQ(Press(ed, Qt::Key_Return), StillOpen);
    EXPECT_EQ(OkClicks, 1);
    EXPECT_EQ(Dialogs.Count(TDialogKind::MessageBox), 1);
    refuseOk = false;
    refuseKey = true;
    EXPECT_EQ(Press(ed, Qt::Key_Return), StillOpen);
    EXPECT_EQ(OkClicks, 1);
    EXPECT_EQ(Dialogs.Count(TDialogKind::MessageBox), 2);
    refuseKey = false;
    EXPECT_EQ(Press(ed, Qt::Key_Return), mrOk);
}

}  // namespace
