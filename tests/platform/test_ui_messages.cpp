// The message path of windows: Perform through a swappable window procedure,
// posted messages, handles that go with re-created windows, hidden windows.
#include <gtest/gtest.h>

#include <vector>

#include "platform/ui/Forms.h"

namespace {

class TProbe : public TWinControl {
    QV_CLASS(TProbe, TWinControl)
public:
    using TWinControl::TWinControl;
    std::vector<UINT> seen;
    void WndProc(TMessage& m) override
    {
        seen.push_back(m.Msg);
        if (m.Msg == WM_USER + 7) m.Result = 7;
        TWinControl::WndProc(m);
    }
    bool Saw(UINT msg) const { return std::find(seen.begin(), seen.end(), msg) != seen.end(); }
};

struct MessagesTest : ::testing::Test {
    TForm* form = nullptr;
    TProbe* probe = nullptr;
    void SetUp() override
    {
        form = NewForm<TForm>(nullptr);
        probe = new TProbe(form);
        probe->SetParent(form);
        form->HandleNeeded();
    }
    void TearDown() override { form->Free(); }
};

}  // namespace

TEST_F(MessagesTest, SwappedWindowProcedureSeesAndMayStopMessages)
{
    ASSERT_TRUE(probe->HandleAllocated());
    TWndMethod previous = probe->WindowProc;
    std::vector<UINT> watched;
    probe->WindowProc = [&](TMessage& m) {
        watched.push_back(m.Msg);
        if (m.Msg == WM_USER + 1) {
            m.Result = 99;   // answered here; the control never sees it
            return;
        }
        previous(m);
    };
    EXPECT_EQ(probe->Perform(WM_USER + 1), 99);
    EXPECT_FALSE(probe->Saw(WM_USER + 1));
    EXPECT_EQ(probe->Perform(WM_USER + 7), 7);
    EXPECT_TRUE(probe->Saw(WM_USER + 7));
    EXPECT_EQ(SendMessage(probe->Handle(), WM_USER + 7), 7);
    EXPECT_EQ(watched.size(), 3u);
    probe->WindowProc = previous;
}

TEST_F(MessagesTest, PostedMessagesArriveLaterInOrderThroughTheWindowProcedure)
{
    std::vector<WPARAM> order;
    TWndMethod previous = probe->WindowProc;
    probe->WindowProc = [&](TMessage& m) {
        if (m.Msg == WM_USER + 2) order.push_back(m.WParam);
        previous(m);
    };
    ASSERT_TRUE(PostMessage(probe->Handle(), WM_USER + 2, 1));
    ASSERT_TRUE(PostMessage(probe->Handle(), WM_USER + 2, 2));
    EXPECT_TRUE(order.empty());   // queued, not sent
    Application->ProcessMessages();
    EXPECT_EQ(order, (std::vector<WPARAM>{1, 2}));
    probe->WindowProc = previous;
}

TEST_F(MessagesTest, RecreatedWindowSendsDestroyAndDropsMessagesOfTheOldHandle)
{
    const HWND old = probe->Handle();
    ASSERT_TRUE(PostMessage(old, WM_USER + 3));
    probe->seen.clear();
    probe->RecreateWnd();
    EXPECT_TRUE(probe->Saw(WM_DESTROY));
    EXPECT_TRUE(probe->HandleAllocated());
    EXPECT_NE(probe->Handle(), old);
    EXPECT_FALSE(IsWindow(old));
    EXPECT_FALSE(PostMessage(old, WM_USER + 4));
    EXPECT_EQ(SendMessage(old, WM_USER + 7), 0);
    probe->seen.clear();
    Application->ProcessMessages();
    EXPECT_FALSE(probe->Saw(WM_USER + 3));   // its window had gone
    EXPECT_TRUE(probe->Widget());
}

TEST_F(MessagesTest, ParentRecreationTakesTheChildWindowsAlong)
{
    probe->seen.clear();
    form->RecreateWnd();
    EXPECT_TRUE(probe->Saw(WM_DESTROY));
    EXPECT_TRUE(probe->HandleAllocated());
    EXPECT_EQ(probe->Widget()->parentWidget(), form->ClientWidget());
}

TEST(Messages, HiddenWindowsAnswerUntilReleased)
{
    int got = 0;
    HWND h = AllocateHWnd([&](TMessage& m) {
        got = int(m.WParam);
        m.Result = 5;
    });
    EXPECT_EQ(SendMessage(h, WM_USER, 3), 5);
    EXPECT_EQ(got, 3);
    ASSERT_TRUE(PostMessage(h, WM_USER, 4));
    DeallocateHWnd(h);
    Application->ProcessMessages();
    EXPECT_EQ(got, 3);   // dropped with its window
    EXPECT_FALSE(PostMessage(h, WM_USER, 5));
    EXPECT_EQ(PendingPostedMessages(), 0);
}
