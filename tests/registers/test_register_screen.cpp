// What the places window shows on the screen after the user acts: the grid's
// pixels are read back from the window's backing store (what the normal
// repaint path put there once the event loop ran) and must equal a fresh
// paint of the grid, after an add, a delete, a refresh that finds a row
// another program wrote, a title-click sort, a search hit and the Down key.
// A data-link event that does not invalidate what it changes leaves stale
// pixels and fails here. The window's keys go the way a user's do. The cool
// bar's edges are read from the screen too: the top one only while the
// status bar shows.
#include <QAbstractScrollArea>
#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QComboBox>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScreen>
#include <QSet>
#include <QToolButton>

#include "components/QvCtrls.h"
#include "platform/ado/ADODB.h"
#include "platform/ui/ActnList.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/ComboBoxes.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/StdCtrls.h"
#include "registers/unMainReference.h"
#include "registerbase/unPanSearch.h"
#include "tests/app/AppFixture.h"
#include "tests/platform/ScreenInput.h"

using namespace screen;

namespace {

class PlacesOnScreen : public AppFixture {
protected:
    TfmMainReference* w = nullptr;
    TADOTable* ds() const { return DM->adoRefPlaces; }
    QWidget* Viewport() const { return qobject_cast<QAbstractScrollArea*>(w->DBGrid->Widget())->viewport(); }

    void Open(const QStringList& names)
    {
        MakeDb();
        ShowMain();
        ASSERT_TRUE(DM->adoConnection->Connected());
        for (const QString& n : names) Insert(n);
        fmMain->aOpenRefPlacesExecute(nullptr);
        ASSERT_EQ(fmMain->MDIChildCount(), 1);
        w = dynamic_cast<TfmMainReference*>(fmMain->MDIChildren(0));
        ASSERT_NE(w, nullptr);
        Settle();
    }
    // A row written past the window (another program on the same file).
    void Insert(const QString& name)
    {
        static int n = 0;
        DM->adoConnection->Execute(QStringLiteral("INSERT INTO REF_PLACES (id, name) VALUES ('{%1}', '%2')")
                                       .arg(QString::number(++n).rightJustified(36, QLatin1Char('0')), name));
    }
    // The event loop runs until nothing is pending: posted repaints happen.
    void Settle()
    {
        w->Timer->Fire();
        for (int i = 0; i < 3; ++i) Application->ProcessMessages();
    }
    QImage Shown() const { return ScreenOf(Viewport()); }
    QString FilterText() { w->Timer->Fire(); return w->StatusBar->PanelText(1); }
    QImage Fresh() const { return Viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32); }
    // After the step ran and the loop settled, the screen shows what a fresh
    // paint shows.
    void ExpectUpToDate(const char* step)
    {
        Settle();
        const QImage shown = Shown(), fresh = Fresh();
        ASSERT_FALSE(shown.isNull()) << step;
        EXPECT_TRUE(shown == fresh) << step << ": the grid shows stale pixels";
    }
    void ClickTitle(int dataCol)
    {
        const TRect r = w->DBGrid->CellRect(dataCol, 0);
        Click(Viewport(), QPointF((r.Left + r.Right) / 2.0, (r.Top + r.Bottom) / 2.0));
    }
};

}  // namespace

TEST_F(PlacesOnScreen, TheGridRepaintsAfterEveryChangeOfItsData)
{
    Open({QStringLiteral("Бишкек"), QStringLiteral("Алматы"), QStringLiteral("Ташкент")});
    ExpectUpToDate("open");

    Key(Viewport(), Qt::Key_Down);
    EXPECT_EQ(ds()->RecNo(), 2);
    ExpectUpToDate("Down key");

    ClickTitle(1);
    EXPECT_EQ(ds()->Sort(), QStringLiteral("name ASC"));
    ExpectUpToDate("title click");

    w->aNAdd->Execute();
    ExpectUpToDate("add");
    ds()->FieldByName(QStringLiteral("name"))->SetAsString(QStringLiteral("Душанбе"));
    w->aNPost->Execute();
    ExpectUpToDate("post");

    rec->Answers.push_back(IDYES);
    w->aNDelete->Execute();
    EXPECT_EQ(ds()->RecordCount(), 3);
    ExpectUpToDate("delete");

    Insert(QStringLiteral("Астана"));
    w->aNRefresh->Execute();
    EXPECT_EQ(ds()->RecordCount(), 4);
    ExpectUpToDate("refresh");

    w->aSearch->Execute();
    w->edSearch->SetText(QStringLiteral("Таш"));
    w->PanelSearch()->EditChange(w->edSearch);
    EXPECT_EQ(ds()->FieldByName(QStringLiteral("name"))->AsString(), QStringLiteral("Ташкент"));
    ExpectUpToDate("search hit");
}

TEST_F(PlacesOnScreen, TheWindowsKeysWorkFromEachOfItsControlsAndToolButtonsLeaveTheFocus)
{
    Open({QStringLiteral("Бишкек")});
    Key(Viewport(), Qt::Key_F, Qt::ControlModifier);
    EXPECT_TRUE(w->panSearch->Visible());

    Insert(QStringLiteral("Астана"));
    w->FilterRows()[0].cmbField->Select(1);
    w->FilterRows()[0].cmbExp->Select(1);
    Key(w->FilterRows()[0].cmbValue->Widget(), Qt::Key_F5);
    EXPECT_EQ(ds()->RecordCount(), 2);
    ExpectUpToDate("F5 in the filter value box");

    // A click on a tool button gives the focus to the first widget from the
    // button up to the window that takes it on a click: there must be none,
    // so the keys still go to the control the user was in.
    for (int i = 0; i < w->ToolBar->ButtonCount(); ++i)
        for (QWidget* b = w->ToolBar->Buttons(i)->QtButton(); b && !b->isWindow(); b = b->parentWidget())
            EXPECT_FALSE(b->focusPolicy() & Qt::ClickFocus)
                << w->ToolBar->Buttons(i)->Name().toStdString() << " " << b->metaObject()->className();
}

// The tool bar's edit command pressed while the cell's editor is open (F2)
// leaves the keyboard with the editor: what is typed next goes into the cell.
TEST_F(PlacesOnScreen, TheEditCommandPressedWhileTheCellsEditorIsOpenKeepsTheKeys)
{
    Open({QStringLiteral("Бишкек")});
    w->Widget()->window()->activateWindow();
    QApplication::setActiveWindow(w->Widget()->window());
    w->DBGrid->SetSelectedField(ds()->FieldByName(QStringLiteral("name")));
    w->DBGrid->SetFocus();
    Settle();
    ASSERT_EQ(QApplication::focusWidget(), w->DBGrid->Widget());
    Key(QApplication::focusWidget(), Qt::Key_F2);
    ASSERT_TRUE(w->DBGrid->EditorMode());
    ASSERT_EQ(ds()->State(), dsBrowse);
    Click(w->ToolButton7->QtButton());   // "Редактировать"
    Settle();
    EXPECT_EQ(ds()->State(), dsEdit);
    ASSERT_NE(QApplication::focusWidget(), nullptr);
    EXPECT_EQ(QApplication::focusWidget(), w->DBGrid->InplaceEditor()->Widget());
    Type(QApplication::focusWidget(), QStringLiteral("Ош"));
    Key(QApplication::focusWidget(), Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    Click(w->ToolButton8->QtButton());   // "Сохранить изменения"
    Settle();
    EXPECT_EQ(ds()->State(), dsBrowse);
    EXPECT_EQ(DM->adoConnection->Execute(QStringLiteral("SELECT name FROM REF_PLACES"))->Text(0, 0), QStringLiteral("Ош"));
}

TEST_F(PlacesOnScreen, TheFilterValueBoxSwallowsATypedApostropheAndEnterApplies)
{
    Open({QStringLiteral("Бишкек"), QStringLiteral("Ташкент")});
    const FilterRow& row = w->FilterRows()[0];
    row.cmbField->Select(1);
    row.cmbExp->Select(row.cmbExp->Items()->IndexOf(QStringLiteral("Содержит")));
    // The combo box has the focus for its entry line: the keys come to it.
    QWidget* box = row.cmbValue->Widget();
    Type(box, QStringLiteral("Таш'"));
    EXPECT_EQ(row.cmbValue->Text(), QStringLiteral("Таш"));
    EXPECT_EQ(qobject_cast<QComboBox*>(box)->lineEdit()->text(), QStringLiteral("Таш"));
    Key(box, Qt::Key_Return);
    EXPECT_TRUE(w->Filter->Active());
    EXPECT_EQ(ds()->RecordCount(), 1);
    EXPECT_EQ(FilterText(), QStringLiteral("Фильтр"));
    ExpectUpToDate("filter applied");
    // The indicator stands in the middle of its panel.
    {
        const QImage bar = ScreenOf(w->StatusBar->Widget());
        const int left = w->StatusBar->PanelWidth(0) + 3, right = left + w->StatusBar->PanelWidth(1) - 8;
        int first = -1, last = -1;
        for (int x = left; x < right; ++x)
            for (int y = 4; y < bar.height() - 3; ++y)
                if (qGray(bar.pixel(x, y)) < 80) {
                    if (first < 0) first = x;
                    last = x;
                }
        ASSERT_GE(first, 0);
        EXPECT_LE(std::abs((first - left) - (right - 1 - last)), 3);
    }
    // A pasted apostrophe filters literally.
    row.cmbValue->SetText(QStringLiteral("Таш'кент"));
    Key(box, Qt::Key_Return);
    EXPECT_TRUE(rec->Calls.empty());
    EXPECT_EQ(ds()->RecordCount(), 0);
}

TEST_F(PlacesOnScreen, TheSearchLineTurnsRedWhileNothingMatches)
{
    Open({QStringLiteral("Бишкек"), QStringLiteral("Ташкент")});
    Key(Viewport(), Qt::Key_F, Qt::ControlModifier);
    ASSERT_TRUE(w->panSearch->Visible());
    QWidget* line = w->edSearch->Widget();
    // Whether the line's text is drawn in red on the screen.
    auto red = [&] {
        Settle();
        const QImage img = ScreenOf(line);
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x) {
                const QColor c = img.pixelColor(x, y);
                if (c.red() > 180 && c.green() < 90 && c.blue() < 90) return true;
            }
        return false;
    };
    Type(line, QStringLiteral("Таш"));
    EXPECT_EQ(ds()->FieldByName(QStringLiteral("name"))->AsString(), QStringLiteral("Ташкент"));
    EXPECT_FALSE(red());
    Type(line, QStringLiteral("zz"));
    EXPECT_TRUE(red());
    Key(line, Qt::Key_Backspace);
    Key(line, Qt::Key_Backspace);
    EXPECT_FALSE(red());
}

TEST_F(PlacesOnScreen, ToolBarsShowPicturesAndTheWindowTheProgramsIcon)
{
    Open({QStringLiteral("Бишкек")});
    // Every button with an action shows a picture with soft edges (an icon,
    // not a drawn placeholder), and no two meanings share one.
    QSet<QByteArray> seen;
    for (int i = 0; i < w->ToolBar->ButtonCount(); ++i) {
        TToolButton* b = w->ToolBar->Buttons(i);
        if (!b->Action()) continue;
        const QImage img = w->ImageList->Picture(b->Action()->ImageIndex());
        bool soft = false;
        for (int y = 0; y < img.height() && !soft; ++y)
            for (int x = 0; x < img.width() && !soft; ++x) soft = qAlpha(img.pixel(x, y)) > 0 && qAlpha(img.pixel(x, y)) < 255;
        EXPECT_TRUE(soft) << b->Name().toStdString();
        EXPECT_FALSE(b->QtButton()->icon().isNull()) << b->Name().toStdString();
        const QByteArray bits(reinterpret_cast<const char*>(img.constBits()), int(img.sizeInBytes()));
        EXPECT_FALSE(seen.contains(bits)) << b->Name().toStdString();
        seen.insert(bits);
    }
    const QIcon program = QApplication::windowIcon();
    ASSERT_FALSE(program.isNull());
    EXPECT_EQ(w->OuterWidget()->windowIcon().pixmap(16).toImage(), program.pixmap(16).toImage());
}

TEST_F(PlacesOnScreen, TheCoolBarHasItsTopEdgeOnlyWhileTheStatusBarShows)
{
    Open({QStringLiteral("Бишкек")});
    EXPECT_EQ(w->CoolBar->Height(), 30);
    EXPECT_EQ(w->CoolBar->BandCount(), 1);
    EXPECT_EQ(w->CoolBar->Bands(0)->MinHeight, 22);
    EXPECT_EQ(w->CoolBar->BandMaximize(), bmDblClick);
    const QRgb shadow = ColorToQColor(clBtnShadow).rgb(), light = ColorToQColor(clBtnHighlight).rgb();
    // Whether the bar shows an etched line at its top and at its bottom,
    // read from the screen at its right end, past the tool buttons.
    auto edges = [&] {
        Settle();
        const QImage img = ScreenOf(w->CoolBar->Widget());
        const int x = img.width() - 4, h = img.height();
        const bool top = img.pixel(x, 0) == shadow && img.pixel(x, 1) == light;
        const bool bottom = img.pixel(x, h - 2) == shadow && img.pixel(x, h - 1) == light;
        return std::pair{top, bottom};
    };
    EXPECT_TRUE(w->StatusBar->Visible());
    EXPECT_EQ(edges(), std::pair(true, true));
    // The tool bar lies between the edges.
    EXPECT_EQ(w->ToolBar->BoundsRect(), Rect(0, 2, w->CoolBar->Width(), 28));

    w->SetWindowState(wsMaximized);
    Settle();
    EXPECT_FALSE(w->StatusBar->Visible());
    EXPECT_EQ(edges(), std::pair(false, true));
    EXPECT_EQ(w->ToolBar->Top(), 0);
}
