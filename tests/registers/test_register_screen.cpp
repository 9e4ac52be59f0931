// What the places window shows on the screen after the user acts: the grid's
// pixels are read back from the window's backing store (what the normal
// repaint path put there once the event loop ran) and must equal a fresh
// paint of the grid, after an add, a delete, a refresh that finds a row
// another program wrote, a title-click sort, a search hit and the Down key.
// A data-link event that does not invalidate what it changes leaves stale
// pixels and fails here. The window's keys go the way a user's do.
#include <QAbstractScrollArea>
#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScreen>

#include "components/QvCtrls.h"
#include "platform/ado/ADODB.h"
#include "platform/ui/ActnList.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/ComboBoxes.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/StdCtrls.h"
#include "registers/unMainReference.h"
#include "registers/unPanSearch.h"
#include "tests/app/AppFixture.h"

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
    // The grid's area as the screen holds it now.
    QImage Shown() const
    {
        QWidget* vp = Viewport();
        QWidget* top = vp->window();
        const QPoint at = vp->mapTo(top, QPoint(0, 0));
        return QGuiApplication::primaryScreen()
            ->grabWindow(top->winId(), at.x(), at.y(), vp->width(), vp->height())
            .toImage()
            .convertToFormat(QImage::Format_RGB32);
    }
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
    void Key(QWidget* target, int key, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QKeyEvent press(QEvent::KeyPress, key, mods);
        QKeyEvent release(QEvent::KeyRelease, key, mods);
        QApplication::sendEvent(target, &press);
        QApplication::sendEvent(target, &release);
    }
    void ClickTitle(int dataCol)
    {
        const TRect r = w->DBGrid->CellRect(dataCol, 0);
        const QPointF at((r.Left + r.Right) / 2.0, (r.Top + r.Bottom) / 2.0);
        QWidget* vp = Viewport();
        QMouseEvent press(QEvent::MouseButtonPress, at, vp->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QMouseEvent release(QEvent::MouseButtonRelease, at, vp->mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                            Qt::NoModifier);
        QApplication::sendEvent(vp, &press);
        QApplication::sendEvent(vp, &release);
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

    for (int i = 0; i < w->ToolBar->ButtonCount(); ++i)
        if (QWidget* b = w->ToolBar->Buttons(i)->QtButton())
            EXPECT_EQ(b->focusPolicy(), Qt::NoFocus) << w->ToolBar->Buttons(i)->Name().toStdString();
}
