// The combo edit and the date edit worked through their widgets: typing,
// the button, the pop-up calendar, leaving with a bad date.
#include <QLineEdit>
#include <cmath>

#include "GuiFixture.h"
#include "components/PickDate.h"
#include "components/ToolEdit.h"
#include "platform/core/SysUtils.h"
#include "tests/platform/ScreenBoxes.h"
#include "tests/platform/ScreenInput.h"

namespace {

class DateEditTest : public GuiTest {
protected:
    TDateEdit* Edit = nullptr;
    void SetUp() override
    {
        GuiTest::SetUp();
        Edit = new TDateEdit(Form);
        Edit->SetParent(Form);
        Edit->SetBounds(10, 10, 120, 21);
        Edit->SetYearDigits(dyFour);
        Edit->HandleNeeded();
        Edit->SetFocus();
        Events();
    }
    TPopupCalendar* Popup() const { return dynamic_cast<TPopupCalendar*>(Edit->Popup()); }
    QWidget* ButtonWidget() const { return Edit->Button()->Widget(); }
};

TEST_F(DateEditTest, EmptyEditIsTheNullDateAndSetDateFormats)
{
    EXPECT_EQ(Edit->Date(), NullDate);
    EXPECT_FALSE(Edit->TextStored());
    Edit->SetDate(EncodeDate(2024, 3, 5));
    EXPECT_EQ(Edit->Text(), QStringLiteral("05.03.2024"));
    EXPECT_EQ(Edit->Date(), EncodeDate(2024, 3, 5));
    Edit->SetDate(0);
    EXPECT_FALSE(Edit->TextStored());
    EXPECT_EQ(Edit->Date(), NullDate);
    Edit->SetDefaultToday(true);
    EXPECT_EQ(Edit->Date(), ::Date());
    Edit->SetDate(0);
    EXPECT_EQ(Edit->Text(), FormatDateTime(QStringLiteral("dd.mm.yyyy"), ::Date()));
}

TEST_F(DateEditTest, MaskTakesDigitsOnly)
{
    EXPECT_EQ(Edit->EditMask(), QStringLiteral("!99/99/9999;1; "));
    Edit->SelectAll();
    Edit->TypeText(QStringLiteral("1x2a0b3q2024"));
    EXPECT_EQ(Edit->Text(), QStringLiteral("12.03.2024"));
    EXPECT_EQ(Edit->Date(), EncodeDate(2024, 3, 12));
}

TEST_F(DateEditTest, KeypadPlusOnEmptyGivesTomorrowAndTGivesToday)
{
    Edit->TypeKey(VK_ADD, {}, QLatin1Char('+'));
    EXPECT_EQ(Edit->Date(), ::Date() + 1);
    Edit->TypeKey(VK_SUBTRACT, {}, QLatin1Char('-'));
    Edit->TypeKey(VK_SUBTRACT, {}, QLatin1Char('-'));
    EXPECT_EQ(Edit->Date(), ::Date() - 1);
    Edit->TypeKey('T', {}, QLatin1Char('t'));
    EXPECT_EQ(Edit->Date(), ::Date());
}

TEST_F(DateEditTest, BadDateOnExitRaisesAndKeepsTheFocus)
{
    Edit->SetCheckOnExit(true);
    auto* other = new TDateEdit(Form);
    other->SetParent(Form);
    other->SetBounds(10, 60, 120, 21);
    other->HandleNeeded();
    Edit->SetFocus();
    Events();
    Edit->SelectAll();
    Edit->TypeText(QStringLiteral("31022024"));
    ASSERT_EQ(Edit->Text(), QStringLiteral("31.02.2024"));
    TDialogRecorder rec;
    other->SetFocus();
    Events();
    ASSERT_EQ(rec.Count(TDialogKind::MessageBox) + rec.Count(TDialogKind::MessageDlg), 1);
    // The text in one apostrophe on each side; the box ends the sentence
    // with a full stop.
    EXPECT_EQ(rec.Last().Text, QStringLiteral("'31.02.2024' is not a valid date."));
    EXPECT_TRUE(Edit->TWinControl::Focused());
    // A good date leaves quietly.
    Edit->SelectAll();
    Edit->TypeText(QStringLiteral("29022024"));
    other->SetFocus();
    Events();
    EXPECT_EQ(rec.Calls.size(), 1u);
    EXPECT_TRUE(other->TWinControl::Focused());
}

// On the screen the error box takes the focus from the edit while it is up:
// that is no second leaving of the edit, so one box per invalid date,
// whichever way the edit is left, and the edit keeps the focus and its text.
TEST_F(DateEditTest, AnInvalidDateShowsOneBoxWhenTheBoxTakesTheFocus)
{
    Edit->SetCheckOnExit(true);
    auto* other = new TDateEdit(Form);
    other->SetParent(Form);
    other->SetBounds(10, 60, 120, 21);
    other->HandleNeeded();
    int entered = 0;
    other->OnEnter = [&](TObject*) { ++entered; };
    for (const char* way : {"Tab", "focus"}) {
        SCOPED_TRACE(way);
        Edit->SetFocus();
        Events();
        Edit->SelectAll();
        Edit->TypeText(QStringLiteral("31022024"));
        TScreenBoxes boxes;
        if (QLatin1String(way) == QLatin1String("Tab"))
            PressKey(Qt::Key_Tab);
        else
            other->SetFocus();
        Events();
        ASSERT_EQ(boxes.Texts.size(), 1) << boxes.Texts.join(QLatin1Char('\n')).toStdString();
        EXPECT_TRUE(boxes.Texts[0].startsWith(QStringLiteral("'31.02.2024' is not a valid date")));
        EXPECT_TRUE(Edit->TWinControl::Focused());
        EXPECT_EQ(Edit->Text(), QStringLiteral("31.02.2024"));
        EXPECT_EQ(entered, 0);
    }
    Edit->SetText(QString());
}

// A date typed short (a two-digit year, a one-digit day or month) is written
// out when the edit is left by Tab and when Enter is pressed in it, and the
// written-out text is announced as a change, so whoever follows the text
// sees what the edit shows.
TEST_F(DateEditTest, AShortDateIsWrittenOutOnLeavingAndOnEnterAsAChange)
{
    Edit->SetCheckOnExit(true);
    auto* other = new TDateEdit(Form);
    other->SetParent(Form);
    other->SetBounds(10, 60, 120, 21);
    other->HandleNeeded();
    QStringList seen;
    Edit->OnChange = [&](TObject*) { seen << Edit->Text(); };
    const struct {
        const char* typed;
        const char* shown;
        const char* written;
    } cases[] = {{"201226", "20.12.26  ", "20.12.2026"}, {"1.2.26", "1 .2 .26  ", "01.02.2026"}};
    for (const auto& c : cases)
        for (int key : {Qt::Key_Tab, Qt::Key_Return}) {
            SCOPED_TRACE(std::string(c.typed) + (key == Qt::Key_Tab ? " Tab" : " Enter"));
            Edit->SetFocus();
            Events();
            Edit->SelectAll();
            TypeKeys(QString::fromLatin1(c.typed));
            ASSERT_EQ(Edit->Text(), QString::fromLatin1(c.shown));
            seen.clear();
            PressKey(key);
            EXPECT_EQ(Edit->Text(), QString::fromLatin1(c.written));
            EXPECT_EQ(seen, QStringList{QString::fromLatin1(c.written)});
            EXPECT_EQ(Edit->TWinControl::Focused(), key == Qt::Key_Return);
        }
}

// The calendar closes, taking no date, when another window takes the focus;
// that is no leaving of the edit (no exit), and the edit has the focus again
// when its window comes back.
TEST_F(DateEditTest, TheCalendarClosesWhenAnotherWindowTakesTheFocus)
{
    Edit->SetCheckOnExit(true);
    Edit->SetDate(EncodeDate(2024, 5, 10));
    int exits = 0;
    Edit->OnExit = [&](TObject*) { ++exits; };
    MouseClick(ButtonWidget(), QPoint(5, 5));
    Events();
    ASSERT_TRUE(Edit->PopupVisible());
    Popup()->Calendar()->SetCalendarDate(EncodeDate(2024, 5, 20));
    TForm* elsewhere = NewForm<TForm>(Application);
    elsewhere->SetBounds(600, 100, 200, 100);
    elsewhere->Show();
    QWidget* w = elsewhere->OuterWidget();
    w->activateWindow();
    QApplication::setActiveWindow(w);
    Events();
    EXPECT_FALSE(Edit->PopupVisible());
    EXPECT_FALSE(Popup()->Widget()->isVisible());
    EXPECT_EQ(Edit->Date(), EncodeDate(2024, 5, 10));
    Activate();
    EXPECT_TRUE(Edit->TWinControl::Focused());
    EXPECT_EQ(exits, 0);
    elsewhere->Free();
    Events();
}

TEST_F(DateEditTest, ButtonOpensCalendarUnderEditOnInvalidTextShowsToday)
{
    Edit->SetPopupAlign(epaLeft);
    int exits = 0;
    Edit->OnExit = [&](TObject*) { ++exits; };
    MouseClick(ButtonWidget(), QPoint(5, 5));
    Events();
    EXPECT_EQ(exits, 0);
    ASSERT_TRUE(Edit->PopupVisible());
    const TPoint p = Edit->ClientToScreen(Point(0, 0));
    EXPECT_EQ(Popup()->Left(), p.X);
    EXPECT_EQ(Popup()->Top(), p.Y + Edit->Height());
    EXPECT_EQ(Popup()->Calendar()->CalendarDate(), ::Date());
    EXPECT_TRUE(Edit->TWinControl::Focused()) << "the pop-up never takes the focus";
    Screenshot(Grab(Popup()->Widget()), "popup_calendar");
    // Esc closes without a date.
    Edit->TypeKey(VK_ESCAPE, {}, QChar(27));
    EXPECT_FALSE(Edit->PopupVisible());
    EXPECT_EQ(Edit->Date(), NullDate);
}

TEST_F(DateEditTest, RightAlignLinesUpRightEdgesAndNearBottomOpensAbove)
{
    Edit->SetWidth(100);
    MouseClick(ButtonWidget(), QPoint(5, 5));
    ASSERT_TRUE(Edit->PopupVisible());
    const TPoint p = Edit->ClientToScreen(Point(0, 0));
    EXPECT_EQ(Popup()->Left() + Popup()->Width(), p.X + Edit->Width());
    Edit->TypeKey(VK_ESCAPE, {}, QChar(27));
    Screen->SetMetricsOverride(0, p.Y + Edit->Height() + 50, 0);
    MouseClick(ButtonWidget(), QPoint(5, 5));
    EXPECT_EQ(Popup()->Top(), p.Y - Popup()->Height());
    Edit->TypeKey(VK_ESCAPE, {}, QChar(27));
    Screen->ClearMetricsOverride();
}

TEST_F(DateEditTest, ClickOnADayClosesWithThatDate)
{
    Edit->SetDate(EncodeDate(2024, 5, 10));
    MouseClick(ButtonWidget(), QPoint(5, 5));
    ASSERT_TRUE(Edit->PopupVisible());
    TLocCalendar* cal = Popup()->Calendar();
    EXPECT_EQ(cal->CalendarDate(), EncodeDate(2024, 5, 10));
    Screenshot(Grab(Form->OuterWidget()), "date_edit_form");
    // May 2024 begins on a Wednesday: with Monday first, the 1st is in column 2.
    EXPECT_EQ(cal->CellText(2, 1), QStringLiteral("1"));
    EXPECT_EQ(cal->CellText(1, 1), QString());
    // An empty cell neither selects nor closes.
    TRect r = cal->CellRect(0, 1);
    MouseClick(cal->Widget(), QPoint(r.Left + 2, r.Top + 2));
    EXPECT_TRUE(Edit->PopupVisible());
    EXPECT_EQ(cal->CalendarDate(), EncodeDate(2024, 5, 10));
    r = cal->CellRect(3, 3);   // 16 May
    MouseClick(cal->Widget(), QPoint(r.Left + 2, r.Top + 2));
    EXPECT_FALSE(Edit->PopupVisible());
    EXPECT_EQ(Edit->Date(), EncodeDate(2024, 5, 16));
    EXPECT_TRUE(Edit->Modified());
}

TEST_F(DateEditTest, KeysGoToTheOpenCalendarAndEnterAccepts)
{
    Edit->SetDate(EncodeDate(2024, 1, 31));
    int changes = 0;
    Edit->OnChange = [&](TObject*) { ++changes; };
    Edit->TypeKey(VK_DOWN, {ssAlt});   // ClickKey Alt+Down
    ASSERT_TRUE(Edit->PopupVisible());
    Edit->TypeKey(VK_NEXT);            // next month from 31 January
    EXPECT_EQ(Popup()->Calendar()->CalendarDate(), EncodeDate(2024, 2, 29));
    Edit->TypeKey(VK_RIGHT);
    EXPECT_EQ(Popup()->Calendar()->CalendarDate(), EncodeDate(2024, 3, 1));
    EXPECT_EQ(Popup()->Title(), FormatDateTime(QStringLiteral("MMMM, YYYY"), EncodeDate(2024, 3, 1)));
    EXPECT_EQ(Edit->Date(), EncodeDate(2024, 1, 31)) << "the edit changes only on acceptance";
    Edit->TypeKey(VK_RETURN, {}, QLatin1Char('\r'));
    EXPECT_FALSE(Edit->PopupVisible());
    EXPECT_EQ(Edit->Date(), EncodeDate(2024, 3, 1));
    EXPECT_EQ(changes, 1);
}

TEST_F(DateEditTest, ButtonWhileOpenAcceptsAndFollowingClickDoesNotReopen)
{
    MouseClick(ButtonWidget(), QPoint(5, 5));
    ASSERT_TRUE(Edit->PopupVisible());
    Popup()->Calendar()->SetCalendarDate(EncodeDate(2023, 7, 4));
    MouseClick(ButtonWidget(), QPoint(5, 5));
    EXPECT_FALSE(Edit->PopupVisible());
    EXPECT_EQ(Edit->Date(), EncodeDate(2023, 7, 4));
}

TEST_F(DateEditTest, NoDirectInputRefusesTypingButTheCalendarStillSetsTheDate)
{
    Edit->SetDirectInput(false);
    Edit->TypeText(QStringLiteral("01"));
    Edit->TypeKey(VK_ADD, {}, QLatin1Char('+'));
    EXPECT_EQ(Edit->Date(), NullDate);
    Edit->TypeKey(VK_DOWN, {ssAlt});
    ASSERT_TRUE(Edit->PopupVisible());
    Popup()->Calendar()->SetCalendarDate(EncodeDate(2022, 12, 1));
    Edit->TypeKey(VK_RETURN, {}, QLatin1Char('\r'));
    EXPECT_EQ(Edit->Date(), EncodeDate(2022, 12, 1));
}

TEST_F(DateEditTest, ReadOnlyKeepsThePopupShut)
{
    Edit->SetReadOnly(true);
    MouseClick(ButtonWidget(), QPoint(5, 5));
    Edit->TypeKey(VK_DOWN, {ssAlt});
    EXPECT_FALSE(Edit->PopupVisible());
}

TEST_F(DateEditTest, DefaultGlyphGivesWidth21AndHintsStopAtFour)
{
    EXPECT_EQ(Edit->ButtonWidth(), 21);
    EXPECT_EQ(Edit->NumGlyphs(), 2);
    EXPECT_EQ(Edit->Glyph()->Width(), 28);
    for (int i = 0; i < 6; ++i) Edit->CalendarHints()->Add(i == 1 ? QString() : QStringLiteral("h%1|").arg(i));
    EXPECT_EQ(Edit->CalendarHints()->Count(), 4);
    EXPECT_EQ(Popup()->Buttons(0)->Hint(), QStringLiteral("h0|"));
    EXPECT_EQ(Popup()->Buttons(1)->Hint(), QStringLiteral("Previous Month|")) << "empty lines keep the built-in";
    EXPECT_EQ(Popup()->Buttons(3)->Hint(), QStringLiteral("h3|"));
}

TEST_F(DateEditTest, DialogStyleAsksThroughSelectDate)
{
    Edit->SetCalendarStyle(csDialog);
    EXPECT_EQ(Edit->Popup(), nullptr);
    TDialogRecorder rec;
    rec.OnModal = [](TForm* f) {
        auto* d = dynamic_cast<TSelectDateDlg*>(f);
        EXPECT_NE(d, nullptr);
        EXPECT_EQ(f->Caption(), QStringLiteral("Выбор даты"));
        d->Calendar->SetCalendarDate(EncodeDate(2021, 6, 15));
        return mrOk;
    };
    Edit->SetDialogTitle(QStringLiteral("Выбор даты"));
    MouseClick(ButtonWidget(), QPoint(5, 5));
    EXPECT_EQ(rec.Count(TDialogKind::ModalForm), 1);
    EXPECT_EQ(Edit->Date(), EncodeDate(2021, 6, 15));
}

class ComboEditTest : public GuiTest {};

TEST_F(ComboEditTest, ButtonAndClickKeyRunTheHandlerUnlessReadOnlyOrHidden)
{
    auto* e = new TComboEdit(Form);
    e->SetParent(Form);
    e->SetBounds(10, 10, 150, 21);
    e->HandleNeeded();
    e->SetFocus();
    e->SetClickKey(ShortCut(VK_F2, {}));
    int clicks = 0;
    e->OnButtonClick = [&](TObject*) { ++clicks; };
    MouseClick(e->Button()->Widget(), QPoint(3, 3));
    e->TypeKey(VK_F2);
    EXPECT_EQ(clicks, 2);
    e->SetReadOnly(true);
    e->TypeKey(VK_F2);
    EXPECT_EQ(clicks, 2);
    e->SetReadOnly(false);
    e->SetButtonWidth(0);
    EXPECT_FALSE(e->ButtonPanel()->Visible());
    e->TypeKey(VK_F2);
    EXPECT_EQ(clicks, 2);
    e->SetButtonWidth(1);
    EXPECT_FALSE(e->ButtonPanel()->Visible());
    e->SetButtonWidth(19);
    EXPECT_TRUE(e->ButtonPanel()->Visible());
    e->SetDirectInput(false);
    e->TypeText(QStringLiteral("abc"));
    EXPECT_EQ(e->Text(), QString());
    e->TypeKey(VK_F2);
    EXPECT_EQ(clicks, 3);
}

}  // namespace
