// Window placement mapped onto Qt: normal rectangle kept through maximise and
// minimise, show commands, placement of hidden windows and of MDI children.
#include <gtest/gtest.h>

#include "platform/ui/Forms.h"

namespace {

TWindowPlacement Get(TForm* f)
{
    TWindowPlacement wp;
    EXPECT_TRUE(GetWindowPlacement(f->Handle(), &wp));
    return wp;
}

struct PlacementTest : ::testing::Test {
    TForm* form = nullptr;
    void SetUp() override
    {
        form = NewForm<TForm>(nullptr);
        form->SetBounds(100, 80, 400, 300);
    }
    void TearDown() override { form->Free(); }
};

}  // namespace

TEST_F(PlacementTest, HiddenWindowTakesThePlacementWithoutShowing)
{
    TWindowPlacement wp = Get(form);
    EXPECT_EQ(wp.showCmd, SW_SHOWNORMAL);
    EXPECT_EQ(wp.rcNormalPosition, Rect(100, 80, 500, 380));
    wp.showCmd = SW_HIDE;
    wp.rcNormalPosition = Rect(50, 60, 350, 260);
    wp.ptMaxPosition = Point(-4, -4);
    ASSERT_TRUE(SetWindowPlacement(form->Handle(), &wp));
    EXPECT_FALSE(form->Visible());
    EXPECT_FALSE(IsWindowVisible(form->Handle()));
    EXPECT_EQ(form->BoundsRect(), Rect(50, 60, 350, 260));
    TWindowPlacement back = Get(form);
    EXPECT_EQ(back.rcNormalPosition, Rect(50, 60, 350, 260));
    EXPECT_EQ(back.ptMaxPosition, Point(-4, -4));
}

TEST_F(PlacementTest, MaximisedAndMinimisedWindowsKeepTheirNormalRectangle)
{
    form->Show();
    form->SetWindowState(wsMaximized);
    Application->ProcessMessages();
    TWindowPlacement wp = Get(form);
    EXPECT_EQ(wp.showCmd, SW_SHOWMAXIMIZED);
    EXPECT_TRUE(IsZoomed(form->Handle()));
    EXPECT_EQ(wp.rcNormalPosition, Rect(100, 80, 500, 380));
    EXPECT_NE(form->Width(), 400);   // the window itself is large now
    // Bounds set while maximised are where the window returns to.
    form->SetBounds(120, 90, 300, 200);
    form->SetWindowState(wsNormal);
    Application->ProcessMessages();
    EXPECT_EQ(form->BoundsRect(), Rect(120, 90, 420, 290));
    form->SetWindowState(wsMinimized);
    Application->ProcessMessages();
    EXPECT_EQ(Get(form).showCmd, SW_SHOWMINIMIZED);
    EXPECT_TRUE(IsIconic(form->Handle()));
    EXPECT_EQ(Get(form).rcNormalPosition, Rect(120, 90, 420, 290));
}

TEST_F(PlacementTest, ShowCommandsOfSetWindowPlacement)
{
    int shows = 0;
    form->OnShow = [&](TObject*) { ++shows; };
    TWindowPlacement wp = Get(form);
    wp.showCmd = SW_SHOWMAXIMIZED;
    wp.rcNormalPosition = Rect(10, 20, 310, 220);
    SetWindowPlacement(form->Handle(), &wp);   // shows the hidden form, through its show
    Application->ProcessMessages();
    EXPECT_EQ(shows, 1);
    EXPECT_EQ(form->WindowState(), wsMaximized);
    EXPECT_EQ(Get(form).rcNormalPosition, Rect(10, 20, 310, 220));
    wp.showCmd = SW_SHOWMINIMIZED;
    wp.flags = WPF_RESTORETOMAXIMIZED;
    SetWindowPlacement(form->Handle(), &wp);
    Application->ProcessMessages();
    TWindowPlacement min = Get(form);
    EXPECT_EQ(min.showCmd, SW_SHOWMINIMIZED);
    EXPECT_EQ(min.flags & WPF_RESTORETOMAXIMIZED, WPF_RESTORETOMAXIMIZED);
    wp.showCmd = SW_RESTORE;
    wp.flags = 0;
    SetWindowPlacement(form->Handle(), &wp);
    Application->ProcessMessages();
    EXPECT_EQ(form->WindowState(), wsNormal);
    EXPECT_EQ(form->BoundsRect(), Rect(10, 20, 310, 220));
    EXPECT_EQ(shows, 1);
}

TEST(Placement, MdiChildRectangleIsInTheClientArea)
{
    auto* frame = NewForm<TForm>(nullptr);
    frame->SetFormStyle(fsMDIForm);
    frame->SetBounds(0, 0, 800, 600);
    Application->SetMainForm(frame);
    frame->Show();
    auto* child = new TForm(nullptr);
    child->SetFormStyle(fsMDIChild);
    child->SetBounds(30, 40, 300, 200);
    child->AfterConstruction();   // an MDI child shows itself
    EXPECT_TRUE(child->WindowVisible());
    TWindowPlacement wp = Get(child);
    EXPECT_EQ(wp.rcNormalPosition, Rect(30, 40, 330, 240));
    EXPECT_EQ(child->OuterWidget()->parentWidget(), frame->MdiArea()->viewport());
    EXPECT_LT(child->ClientWidth(), child->Width());
    child->SetWindowState(wsMaximized);
    Application->ProcessMessages();
    EXPECT_EQ(Get(child).showCmd, SW_SHOWMAXIMIZED);
    EXPECT_EQ(Get(child).rcNormalPosition, Rect(30, 40, 330, 240));
    child->Free();
    Application->SetMainForm(nullptr);
    frame->Free();
}
