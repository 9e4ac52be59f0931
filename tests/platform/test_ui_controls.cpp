// What standard controls show on a form: a tool button asked to hide leaves
// the bar (on its own and through its action), and a combo box in the simple
// style is a plain entry line (no arrow, nothing drops down) that becomes a
// list again when its style changes back; an edit's window made with a text
// already set, or a masked edit's made empty, announces no change.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QToolButton>

#include "platform/ui/ActnList.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/ComboBoxes.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Mask.h"
#include "platform/ui/StdCtrls.h"
#include "tests/platform/ScreenInput.h"
#include "tests/platform/ShownForm.h"

namespace {

using Shown = ShownForm<>;

}  // namespace

TEST(ToolButtons, HiddenButtonsAreNotOnTheBar)
{
    Shown s;
    auto* bar = new TToolBar(s.form);
    bar->SetParent(s.form);
    auto* list = new TActionList(s.form);
    auto* act = new TAction(s.form);
    act->SetActionList(list);
    auto* plain = new TToolButton(s.form);
    plain->SetToolBar(bar);
    auto* hidden = new TToolButton(s.form);
    hidden->SetToolBar(bar);
    hidden->SetVisible(false);   // before the bar is shown
    auto* bound = new TToolButton(s.form);
    bound->SetToolBar(bar);
    bound->SetAction(act);
    s.Show();
    EXPECT_TRUE(plain->QtButton()->isVisible());
    EXPECT_FALSE(hidden->QtButton()->isVisible());
    EXPECT_TRUE(bound->QtButton()->isVisible());

    // Hidden and shown again while the bar is on the screen; an invisible
    // action hides its button too.
    plain->SetVisible(false);
    act->SetVisible(false);
    hidden->SetVisible(true);
    Application->ProcessMessages();
    EXPECT_FALSE(plain->QtButton()->isVisible());
    EXPECT_FALSE(bound->QtButton()->isVisible());
    EXPECT_TRUE(hidden->QtButton()->isVisible());
    // The buttons that are left close up: the shown one is first on the bar.
    EXPECT_LT(hidden->QtButton()->x(), 10);
    act->SetVisible(true);
    Application->ProcessMessages();
    EXPECT_TRUE(bound->QtButton()->isVisible());
}

// A cool bar draws the edges it is given and maximises a band on the press
// it is told to.
namespace {
// A cool bar across the top of a shown form with bands of panels in it.
struct CoolBarOnForm {
    Shown s;
    TCoolBar* bar = new TCoolBar(s.form);
    CoolBarOnForm(int bands = 1)
    {
        bar->SetParent(s.form);
        bar->SetEdgeBorders({});
        for (int i = 0; i < bands; ++i) {
            auto* p = new TPanel(s.form);
            p->SetBounds(0, 0, 60 + 20 * i, 22);
            bar->AddBand(p, 22)->MinWidth = 20;
        }
        s.Show();
    }
};
}  // namespace

TEST(CoolBars, EdgesAreEtchedLinesOnTheSidesSetAndTheBandLiesInside)
{
    CoolBarOnForm f;
    const QRgb shadow = ColorToQColor(clBtnShadow).rgb(), light = ColorToQColor(clBtnHighlight).rgb();
    const QRgb face = ColorToQColor(clBtnFace).rgb();
    for (const TEdgeBorders edges : {TEdgeBorders{}, TEdgeBorders{ebTop}, TEdgeBorders{ebBottom},
                                     TEdgeBorders{ebTop, ebBottom}}) {
        f.bar->SetEdgeBorders(edges);
        Application->ProcessMessages();
        const bool top = edges.Contains(ebTop), bottom = edges.Contains(ebBottom);
        const int h = f.bar->Height();
        EXPECT_EQ(h, 22 + (top ? 2 : 0) + (bottom ? 2 : 0));   // AutoSize: the edges and the band
        TControl* band = f.bar->Bands(0)->Control;
        EXPECT_EQ(band->BoundsRect(), Rect(0, top ? 2 : 0, f.bar->Width(), h - (bottom ? 2 : 0)));
        // The lines across the bar, read from the screen left and right of
        // the band's control (over it, it covers them where they are not).
        f.bar->Bands(0)->Control->Hide();
        Application->ProcessMessages();
        const QImage img = screen::ScreenOf(f.bar->Widget());
        f.bar->Bands(0)->Control->Show();
        for (const int x : {3, img.width() / 2, img.width() - 3}) {
            EXPECT_EQ(img.pixel(x, 0), top ? shadow : face) << x;
            EXPECT_EQ(img.pixel(x, 1), top ? light : face) << x;
            EXPECT_EQ(img.pixel(x, h - 2), bottom ? shadow : face) << x;
            EXPECT_EQ(img.pixel(x, h - 1), bottom ? light : face) << x;
            EXPECT_EQ(img.pixel(x, h / 2), face) << x;
        }
    }
}

TEST(CoolBars, ABandIsMaximisedByThePressItsBarIsToldTo)
{
    struct Case {
        TCoolBandMaximize how;
        bool doubleClick, maximised;
    };
    for (const Case& c : {Case{bmDblClick, true, true}, Case{bmDblClick, false, false}, Case{bmClick, false, true},
                          Case{bmNone, true, false}, Case{bmNone, false, false}}) {
        CoolBarOnForm f(2);
        f.bar->SetBandMaximize(c.how);
        const int grip = f.bar->GripWidth(), row = f.bar->Width();
        ASSERT_GT(grip, 0);   // more than one band: each has its grip
        EXPECT_EQ(f.bar->BandRect(0), Rect(0, 0, grip + 60, 22));
        EXPECT_EQ(f.bar->BandRect(1), Rect(grip + 60, 0, row, 22));
        // A press on the first band's grip.
        screen::Click(f.bar->Widget(), QPointF(3, 10), c.doubleClick);
        Application->ProcessMessages();
        const int first = c.maximised ? row - (grip + 20) : grip + 60;
        EXPECT_EQ(f.bar->BandRect(0), Rect(0, 0, first, 22)) << c.how << c.doubleClick;
        EXPECT_EQ(f.bar->BandRect(1), Rect(first, 0, row, 22)) << c.how << c.doubleClick;
        // The band's control follows its band.
        EXPECT_EQ(f.bar->Bands(1)->Control->BoundsRect(), Rect(first + grip, 0, row, 22));
    }
}

TEST(ComboBoxes, TheSimpleStyleIsAnEntryLineWithoutArrow)
{
    Shown s;
    auto* cb = new TComboBox(s.form);
    cb->SetParent(s.form);
    cb->SetBounds(10, 10, 200, 21);
    cb->Items()->Add(QStringLiteral("Да"));
    cb->SetStyle(csSimple);
    s.Show();
    auto* q = qobject_cast<QComboBox*>(cb->Widget());
    ASSERT_NE(q, nullptr);
    ASSERT_NE(q->lineEdit(), nullptr);
    // The entry line spans the whole box but its frame: no room left for an arrow.
    EXPECT_GE(q->lineEdit()->geometry().right(), q->width() - 5);
    EXPECT_LE(q->lineEdit()->x(), 4);
    q->showPopup();
    Application->ProcessMessages();
    EXPECT_FALSE(q->view()->isVisible());
    for (QChar c : QStringLiteral("12")) cb->TypeChar(c);
    EXPECT_EQ(cb->Text(), QStringLiteral("12"));
    // Still after a resize.
    cb->SetWidth(300);
    Application->ProcessMessages();
    EXPECT_GE(q->lineEdit()->geometry().right(), q->width() - 5);

    // Back to a closed list: the arrow and its list return.
    cb->SetStyle(csDropDownList);
    Application->ProcessMessages();
    EXPECT_EQ(q->lineEdit(), nullptr);
    EXPECT_EQ(q->count(), 1);
    cb->SetStyle(csDropDown);
    Application->ProcessMessages();
    ASSERT_NE(q->lineEdit(), nullptr);
    EXPECT_LT(q->lineEdit()->geometry().right(), q->width() - 12);   // beside the arrow
}

TEST(Colours, ALabelsFontColourAndAnEditsColourShowWhenSetAfterCreation)
{
    Shown s;
    auto* label = new TLabel(s.form);
    label->SetParent(s.form);
    label->SetCaption(QStringLiteral("Заседание"));
    auto* edit = new TCustomMaskEdit(s.form);
    edit->SetParent(s.form);
    edit->SetTop(30);
    s.Show();
    label->Font()->SetColor(clHotLight);
    edit->SetColor(clBtnFace);
    Application->ProcessMessages();
    EXPECT_EQ(label->Widget()->palette().color(QPalette::WindowText), ColorToQColor(clHotLight));
    EXPECT_EQ(edit->LineEdit()->palette().color(QPalette::Base), ColorToQColor(clBtnFace));
    EXPECT_NE(ColorToQColor(clHotLight), ColorToQColor(clWindowText));
}

// A text given before the form's window exists reaches the new widget
// without a change notification: making the window changes no text. A text
// set afterwards notifies once.
template <class E>
void ExpectNoChangeOnCreation()
{
    Shown s;
    auto* edit = new E(s.form);
    edit->SetParent(s.form);
    int changes = 0;
    edit->OnChange = [&](TObject*) { ++changes; };
    edit->SetText(QStringLiteral("27.07.2024"));
    EXPECT_EQ(changes, 1);
    s.Show();
    QWidget* w = edit->Widget();
    ASSERT_NE(w, nullptr);
    auto* line = qobject_cast<QLineEdit*>(w);
    auto* plain = qobject_cast<QPlainTextEdit*>(w);
    EXPECT_EQ(line ? line->text() : plain ? plain->toPlainText() : QString(), QStringLiteral("27.07.2024"));
    EXPECT_EQ(changes, 1) << edit->ClassName().toStdString();
    edit->SetText(QStringLiteral("28.07.2024"));
    EXPECT_EQ(changes, 2) << edit->ClassName().toStdString();
}

TEST(Edits, MakingTheWindowIsNoChangeOfTheText)
{
    ExpectNoChangeOnCreation<TEdit>();
    ExpectNoChangeOnCreation<TCustomMaskEdit>();
    ExpectNoChangeOnCreation<TMemo>();
}

// A masked edit made empty, whose mask shapes the empty text (a date mask
// shows its separators), announces no change either when its window is
// made; the first key typed does.
TEST(Edits, MakingAnEmptyMaskedEditsWindowIsNoChange)
{
    Shown s;
    auto* edit = new TCustomMaskEdit(s.form);
    edit->SetParent(s.form);
    edit->SetEditMask(QStringLiteral("!99/99/9999;1; "));
    int changes = 0;
    edit->OnChange = [&](TObject*) { ++changes; };
    s.Show();
    ASSERT_NE(edit->LineEdit(), nullptr);
    EXPECT_EQ(edit->LineEdit()->displayText(), QStringLiteral("  .  .    "));
    EXPECT_EQ(edit->Text(), QStringLiteral("  .  .    "));
    EXPECT_EQ(changes, 0);
    EXPECT_FALSE(edit->Modified());
    edit->TypeText(QStringLiteral("2"));
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(edit->Text(), QStringLiteral("2 .  .    "));
}

// A disabled label is drawn in the greyed text colour, not its font colour.
TEST(Labels, DisabledLabelShowsGreyedText)
{
    ShownForm<> f;
    auto* l = new TLabel(f.form);
    l->SetParent(f.form);
    l->SetCaption(QStringLiteral("&Вознаграждения:"));
    f.Show();
    const QPalette& p = l->Widget()->palette();
    const QColor enabled = p.color(QPalette::Active, QPalette::WindowText);
    l->SetEnabled(false);
    Application->ProcessMessages();
    EXPECT_FALSE(l->Widget()->isEnabled());
    EXPECT_NE(l->Widget()->palette().color(QPalette::Disabled, QPalette::WindowText), enabled);
}
