// A register window's grid columns as the user leaves them: a title dragged
// with the right button to another place and a column narrowed by its
// divider, the window closed and opened again. The settings file must hold
// what the window showed, and the reopened grid must show what the file
// holds. A settings file that claims more columns than it holds leaves the
// grid as it is, and the window opens.
#include <QAbstractScrollArea>
#include <QApplication>
#include <QFile>
#include <QMouseEvent>

#include "components/QvDBCtrl.h"
#include "platform/os/IniFiles.h"
#include "platform/ui/ActnList.h"
#include "platform/ui/ExtCtrls.h"
#include "registers/unMainReferenceMembers.h"
#include "registers/unSessionObject.h"
#include "tests/app/AppFixture.h"
#include "tests/platform/ScreenInput.h"

namespace {

class ColumnLayout : public FreshSettingsFixture {
protected:
    void Start()
    {
        MakeDb(QString(), true);
        ShowMain();
        ASSERT_TRUE(DM->adoConnection->Connected());
    }
    TfmSessionObject* OpenSessions() { return OpenRegister<TfmSessionObject>(fmMain->aOpenObjSessions); }
    TfmMainReferenceMembers* OpenMembers() { return OpenRegister<TfmMainReferenceMembers>(fmMain->aOpenRefMembers); }
    static void Close(TForm* w)
    {
        w->Close();
        Application->ProcessMessages();
    }

    static QWidget* Viewport(TDBGrid* g) { return qobject_cast<QAbstractScrollArea*>(g->Widget())->viewport(); }
    static void Mouse(QWidget* vp, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held)
    {
        QMouseEvent e(type, QPointF(at), vp->mapToGlobal(QPointF(at)), button, held, Qt::NoModifier);
        QApplication::sendEvent(vp, &e);
    }
    // A press of the button at one point, the mouse moved in steps to the
    // other and released there, as the toolkit delivers them to the grid.
    static void Drag(TDBGrid* g, QPoint from, QPoint to, Qt::MouseButton button)
    {
        QWidget* vp = Viewport(g);
        screen::GiveFocusForPress(vp);
        Mouse(vp, QEvent::MouseButtonPress, from, button, button);
        for (int i = 1; i <= 8; ++i)
            Mouse(vp, QEvent::MouseMove, from + (to - from) * i / 8, Qt::NoButton, button);
        Mouse(vp, QEvent::MouseButtonRelease, to, button, Qt::NoButton);
        Application->ProcessMessages();
    }
    // The data column's title cell (0 = the first data column).
    static TRect Title(TDBGrid* g, int col) { return g->CellRect(col + g->IndicatorOffset(), 0); }
    static int Find(TDBGrid* g, const QString& caption)
    {
        for (int i = 0; i < g->Columns()->Count(); ++i)
            if (g->Columns()->Items(i)->Title()->Caption() == caption) return i;
        return -1;
    }
    // The title taken with the right button and dropped on another column's title.
    static void MoveTitle(TDBGrid* g, int from, int onto)
    {
        const TRect a = Title(g, from), b = Title(g, onto);
        ASSERT_GT(a.Width(), 0);
        ASSERT_GT(b.Width(), 0);
        Drag(g, QPoint((a.Left + a.Right) / 2, (a.Top + a.Bottom) / 2),
             QPoint(b.Left + 6, (b.Top + b.Bottom) / 2), Qt::RightButton);
    }
    // The column's right divider dragged with the left button to the width.
    static void SizeColumn(TDBGrid* g, int col, int width)
    {
        const TRect r = Title(g, col);
        ASSERT_GT(r.Width(), 0);
        const int y = (r.Top + r.Bottom) / 2;
        Drag(g, QPoint(r.Right, y), QPoint(r.Left + width, y), Qt::LeftButton);
    }
    // What the grid shows: each column's title and its width on the screen.
    static std::string Shown(TDBGrid* g)
    {
        QStringList out;
        for (int i = 0; i < g->Columns()->Count(); ++i)
            out << QStringLiteral("%1:%2").arg(g->Columns()->Items(i)->Title()->Caption()).arg(Title(g, i).Width());
        return out.join(QStringLiteral(" | ")).toStdString();
    }
    // What the settings file holds for the grid's columns: each item's
    // field name and width.
    static std::string Stored(const QString& section, const QString& grid)
    {
        TIniFile ini(SettingsFile());
        const QString sub = section + QLatin1Char('.') + grid + QStringLiteral("_Columns");
        QStringList out;
        const int n = ini.ReadInteger(section, grid + QStringLiteral("_Columns.Count"), -1);
        for (int i = 0; i < n; ++i)
            out << ini.ReadString(sub, QStringLiteral("Item%1_FieldName").arg(i), QString()) + QLatin1Char(':') +
                       ini.ReadString(sub, QStringLiteral("Item%1_Width").arg(i), QString());
        return out.join(QStringLiteral(" | ")).toStdString();
    }
    static std::string Fields(TDBGrid* g)
    {
        QStringList out;
        for (int i = 0; i < g->Columns()->Count(); ++i)
            out << g->Columns()->Items(i)->FieldName() + QLatin1Char(':') +
                       QString::number(g->Columns()->Items(i)->Width());
        return out.join(QStringLiteral(" | ")).toStdString();
    }
};

const QString kSessions = QStringLiteral("TfmSessionObject_adoObjSessions");

}  // namespace

TEST_F(ColumnLayout, AMovedAndNarrowedSessionsColumnComesBackAndIsWrittenBackAsShown)
{
    Start();
    TfmSessionObject* w = OpenSessions();
    ASSERT_NE(w, nullptr);
    TQvDBGrid* g = w->DBGrid;
    const int date = Find(g, QStringLiteral("Дата заседания"));
    const int place = Find(g, QStringLiteral("Место проведения"));
    ASSERT_GE(date, 0);
    ASSERT_GT(place, date);
    const QString sort = DM->adoObjSessions->Sort();
    MoveTitle(g, place, date);
    EXPECT_EQ(Find(g, QStringLiteral("Место проведения")), date);
    EXPECT_EQ(Find(g, QStringLiteral("Дата заседания")), date + 1);
    SizeColumn(g, 0, 76);
    ASSERT_EQ(Title(g, 0).Width(), 76);
    EXPECT_EQ(DM->adoObjSessions->Sort(), sort);   // neither drag was a title click
    const std::string shown = Shown(g), fields = Fields(g);
    Close(w);
    EXPECT_EQ(Stored(kSessions, QStringLiteral("DBGrid")), fields);

    w = OpenSessions();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(Shown(w->DBGrid), shown);
    // Closed again untouched, the file keeps the user's layout.
    Close(w);
    EXPECT_EQ(Stored(kSessions, QStringLiteral("DBGrid")), fields);
    w = OpenSessions();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(Shown(w->DBGrid), shown);
}

TEST_F(ColumnLayout, TheMembersDirectoryKeepsTheLayoutOfEachOfItsThreeGrids)
{
    Start();
    TfmMainReferenceMembers* w = OpenMembers();
    ASSERT_NE(w, nullptr);
    w->SetBounds(0, 0, 1000, 640);
    w->Panel2->SetWidth(640);   // the detail grids' side, as wide as the splitter lets it
    Application->ProcessMessages();
    const QString section = QStringLiteral("TfmMainReferenceMembers_adoRefMembers");
    struct Grid {
        const char* name;
        std::string shown, fields;
    } grids[] = {{"DBGrid", {}, {}}, {"DBGrid1", {}, {}}, {"DBGrid2", {}, {}}};
    auto grid = [&](TfmMainReferenceMembers* f, const char* name) {
        return dynamic_cast<TQvDBGrid*>(f->FindComponent(QString::fromLatin1(name)));
    };
    for (Grid& d : grids) {
        TQvDBGrid* g = grid(w, d.name);
        ASSERT_NE(g, nullptr) << d.name;
        // The last title the grid shows whole, dropped on the first.
        int last = g->Columns()->Count() - 1;
        while (last > 0 && (Title(g, last).Width() == 0 || Title(g, last).Right > Viewport(g)->width())) --last;
        ASSERT_GE(last, 1) << d.name;
        const QString caption = g->Columns()->Items(last)->Title()->Caption();
        MoveTitle(g, last, 0);
        ASSERT_EQ(Find(g, caption), 0) << d.name;
        SizeColumn(g, 0, 41);
        ASSERT_EQ(Title(g, 0).Width(), 41) << d.name;
        d.shown = Shown(g);
        d.fields = Fields(g);
    }
    Close(w);
    for (const Grid& d : grids) EXPECT_EQ(Stored(section, QString::fromLatin1(d.name)), d.fields) << d.name;

    w = OpenMembers();
    ASSERT_NE(w, nullptr);
    for (const Grid& d : grids) EXPECT_EQ(Shown(grid(w, d.name)), d.shown) << d.name;
    Close(w);
    for (const Grid& d : grids) EXPECT_EQ(Stored(section, QString::fromLatin1(d.name)), d.fields) << d.name;
}

TEST_F(ColumnLayout, ASettingsFileClaimingMoreColumnsThanItHoldsLeavesTheGridAsItIs)
{
    Start();
    TfmSessionObject* w = OpenSessions();
    ASSERT_NE(w, nullptr);
    const std::string fresh = Shown(w->DBGrid), stored = Fields(w->DBGrid);
    Close(w);
    ASSERT_EQ(Stored(kSessions, QStringLiteral("DBGrid")), stored);

    // The count alone (the placement keys stay), and a count beyond what the
    // file's items back.
    for (const char* count : {"999999", "2147483647", "5", "-3"}) {
        {
            TIniFile ini(SettingsFile());
            ini.WriteString(kSessions, QStringLiteral("DBGrid_Columns.Count"), QString::fromLatin1(count));
        }
        w = OpenSessions();
        ASSERT_NE(w, nullptr) << count;
        EXPECT_EQ(Shown(w->DBGrid), fresh) << count;
        Close(w);
        EXPECT_EQ(Stored(kSessions, QStringLiteral("DBGrid")), stored) << count;
    }
}
