// The month calendar: where a month starts, navigation across month ends and
// leap days, keys, weekend colours.
#include "GuiFixture.h"

#include <QHelpEvent>
#include <QToolTip>

#include "components/PickDate.h"
#include "platform/ui/StdCtrls.h"

namespace {

TEST(Calendar, MonthStartColumn)
{
    TApplication::EnsureQtApplication();
    TQvCalendar c;
    struct Case { int y, m; TDayOfWeekName start; int col; int row; };
    const Case cases[] = {
        {2024, 9, Mon, 6, 1},   // 1 September 2024 is a Sunday: last column of row 1
        {2024, 4, Mon, 0, 1},   // 1 April 2024 is a Monday
        {2024, 9, Sun, 0, 1},
        {2024, 5, Mon, 2, 1},
    };
    for (const Case& k : cases) {
        c.SetStartOfWeek(k.start);
        c.SetCalendarDate(EncodeDate(k.y, k.m, 1));
        EXPECT_EQ(c.Col(), k.col) << k.y << "-" << k.m;
        EXPECT_EQ(c.Row(), k.row);
        EXPECT_EQ(c.CellText(k.col, k.row), QStringLiteral("1"));
    }
    c.SetStartOfWeek(Mon);
    EXPECT_EQ(c.CellText(0, 0), FormatSettings().ShortDayNames.value(1));
}

TEST(Calendar, NavigationAcrossMonthEndsAndLeapDays)
{
    TApplication::EnsureQtApplication();
    TQvCalendar c;
    struct Case { TDateTime from; void (TQvCalendar::*step)(); TDateTime want; };
    const Case cases[] = {
        {EncodeDate(2023, 1, 31), &TQvCalendar::NextMonth, EncodeDate(2023, 2, 28)},
        {EncodeDate(2024, 1, 31), &TQvCalendar::NextMonth, EncodeDate(2024, 2, 29)},
        {EncodeDate(2024, 3, 31), &TQvCalendar::PrevMonth, EncodeDate(2024, 2, 29)},
        {EncodeDate(2024, 12, 15), &TQvCalendar::NextMonth, EncodeDate(2025, 1, 15)},
        {EncodeDate(2024, 2, 29), &TQvCalendar::NextYear, EncodeDate(2025, 2, 28)},
        {EncodeDate(2024, 2, 29), &TQvCalendar::PrevYear, EncodeDate(2023, 2, 28)},
    };
    for (const Case& k : cases) {
        c.SetCalendarDate(k.from);
        (c.*k.step)();
        EXPECT_EQ(c.CalendarDate(), k.want) << DateToStr(k.from).toStdString();
    }
    // Setting Year on 29 February never builds an impossible date.
    c.SetCalendarDate(EncodeDate(2024, 2, 29));
    c.SetYear(2023);
    EXPECT_EQ(c.CalendarDate(), EncodeDate(2023, 2, 28));
    c.SetMonth(13);
    c.SetDay(31);
    EXPECT_EQ(c.CalendarDate(), EncodeDate(2023, 2, 28));
}

TEST(Calendar, KeysMoveDaysAndWeeks)
{
    TApplication::EnsureQtApplication();
    TQvCalendar c;
    int changes = 0;
    c.OnChange = [&](TObject*) { ++changes; };
    c.SetCalendarDate(EncodeDate(2024, 3, 31));
    c.DoKey(VK_RIGHT, {}, QChar());
    EXPECT_EQ(c.CalendarDate(), EncodeDate(2024, 4, 1));
    c.DoKey(VK_LEFT, {}, QChar());
    c.DoKey(VK_LEFT, {}, QChar());
    EXPECT_EQ(c.CalendarDate(), EncodeDate(2024, 3, 30));
    c.DoKey(VK_UP, {}, QChar());
    EXPECT_EQ(c.CalendarDate(), EncodeDate(2024, 3, 23));
    c.SetCalendarDate(EncodeDate(2024, 3, 2));
    c.DoKey(VK_UP, {}, QChar());
    EXPECT_EQ(c.CalendarDate(), EncodeDate(2024, 3, 2)) << "the week above is outside the month";
    c.DoKey(0, {}, QLatin1Char('t'));
    EXPECT_EQ(c.CalendarDate(), ::Date());
    EXPECT_GT(changes, 4);
}

TEST(Calendar, WeekendColumnsInWeekendColourExceptSelected)
{
    TApplication::EnsureQtApplication();
    TQvCalendar c;
    c.SetBounds(0, 0, 7 * 30 + 6, 7 * 20 + 6);
    c.SetWeekends(TDaysOfWeek{Sun, Sat});
    c.SetWeekendColor(clRed);
    c.SetCalendarDate(EncodeDate(2024, 9, 1));   // a Sunday, selected, in column 6
    QImage img = c.PaintTo();
    auto hasRed = [&](int col, int row) {
        const TRect r = c.CellRect(col, row);
        for (int y = r.Top; y < r.Bottom; ++y)
            for (int x = r.Left; x < r.Right; ++x) {
                const QRgb p = img.pixel(x, y);
                if (qRed(p) > 200 && qGreen(p) < 80 && qBlue(p) < 80) return true;
            }
        return false;
    };
    EXPECT_TRUE(hasRed(5, 0)) << "header of Saturday";
    EXPECT_TRUE(hasRed(6, 0));
    EXPECT_TRUE(hasRed(5, 2));
    EXPECT_FALSE(hasRed(6, 1)) << "the selected cell";
    EXPECT_FALSE(hasRed(0, 2));
}

class PopupCalendarTest : public GuiTest {};

TEST_F(PopupCalendarTest, ValuesAndArrowButtons)
{
    auto* ed = new TDateEdit(Form);
    ed->SetParent(Form);
    auto* p = dynamic_cast<TPopupCalendar*>(ed->Popup());
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->Width(), 187);
    EXPECT_EQ(p->Height(), 124);
    for (const Variant& v : {VarNull(), Variant(QStringLiteral(" . . ")), Variant(QStringLiteral("junk"))}) {
        p->SetValue(v);
        EXPECT_EQ(p->GetValue().toDouble(), ::Date());
    }
    p->SetValue(EncodeDate(2024, 2, 29));
    EXPECT_EQ(p->Calendar()->CalendarDate(), EncodeDate(2024, 2, 29));
    ed->HandleNeeded();
    ed->SetFocus();
    ed->SetDate(EncodeDate(2024, 2, 29));
    ed->Button()->Click();
    ASSERT_TRUE(ed->PopupVisible());
    MouseClick(p->Buttons(3)->Widget(), QPoint(3, 3));   // next year
    EXPECT_EQ(p->Calendar()->CalendarDate(), EncodeDate(2025, 2, 28));
    MouseClick(p->Buttons(1)->Widget(), QPoint(3, 3));   // previous month
    EXPECT_EQ(p->Calendar()->CalendarDate(), EncodeDate(2025, 1, 28));
    EXPECT_EQ(p->Buttons(0)->Hint(), QStringLiteral("Previous Year|"));
    EXPECT_TRUE(ed->PopupVisible()) << "the arrows do not close the pop-up";
}

// The tool tip the toolkit shows when the mouse rests on the widget (empty
// when none shows).
QString ToolTipShown(QWidget* w)
{
    QToolTip::hideText();
    QHelpEvent e(QEvent::ToolTip, QPoint(3, 3), w->mapToGlobal(QPoint(3, 3)));
    QApplication::sendEvent(w, &e);
    const QString shown = QToolTip::isVisible() ? QToolTip::text() : QString();
    QToolTip::hideText();
    return shown;
}

// The pop-up's own hint switch is the editor's at the time it makes the
// pop-up (on for a pop-up of no editor); the arrows are speed buttons that
// show their hints whatever their parent's switch.
TEST_F(PopupCalendarTest, HintSwitchIsTheEditorsAndTheArrowsShowTheirHints)
{
    struct Case { const char* what; bool editor, editorHints, popupHints; };
    const Case cases[] = {
        {"editor without hints", true, false, false},
        {"editor showing hints", true, true, true},
        {"no editor", false, false, true},
    };
    for (const Case& c : cases) {
        TEdit* editor = nullptr;
        if (c.editor) {
            editor = new TEdit(Form);
            editor->SetParent(Form);
            editor->SetShowHint(c.editorHints);
        }
        auto* p = static_cast<TPopupCalendar*>(CreatePopupCalendar(editor));
        EXPECT_EQ(p->ShowHint(), c.popupHints) << c.what;
        if (editor) {
            p->Show(Form->ClientToScreen(Point(10, 40)));
            Events();
            ASSERT_TRUE(p->PopupShowing()) << c.what;
            EXPECT_EQ(ToolTipShown(p->Buttons(0)->Widget()), QStringLiteral("Previous Year")) << c.what;
            EXPECT_EQ(ToolTipShown(p->Buttons(3)->Widget()), QStringLiteral("Next Year")) << c.what;
            p->Hide();
        }
        delete p;
        delete editor;
    }
}

TEST_F(PopupCalendarTest, DialogPicture)
{
    TSelectDateDlg* d = NewForm<TSelectDateDlg>(Application);
    d->SetDate(EncodeDate(2024, 9, 12));
    EXPECT_EQ(d->TitleText(), FormatDateTime(QStringLiteral("MMMM, YYYY"), EncodeDate(2024, 9, 12)));
    d->SetDate(0);
    EXPECT_EQ(d->Date(), ::Date());
    d->SetDate(EncodeDate(2024, 9, 12));
    d->Show();
    Events();
    Screenshot(Grab(d->OuterWidget()), "select_date_dialog");
    d->Free();
}

}  // namespace
