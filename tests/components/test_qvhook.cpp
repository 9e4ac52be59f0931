// Window-procedure hooks: before-watchers stopping messages, WM_DESTROY
// always reaching the window, last added called first, re-hooking after the
// window is made again, and leaving a later subclasser in place.
#include <gtest/gtest.h>

#include "components/QvHook.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Forms.h"

namespace {

class TfmHooked : public TForm {
    QV_CLASS(TfmHooked, TForm)
public:
    using TForm::TForm;
    std::vector<UINT> seen;
    void WndProc(TMessage& m) override
    {
        seen.push_back(m.Msg);
        TForm::WndProc(m);
    }
    bool Saw(UINT msg) const { return std::find(seen.begin(), seen.end(), msg) != seen.end(); }
};

constexpr UINT WM_PROBE = WM_USER + 11;

struct HookTest : ::testing::Test {
    TfmHooked* form = nullptr;
    std::vector<QString> log;
    void SetUp() override { form = NewForm<TfmHooked>(nullptr); }
    void TearDown() override
    {
        form->Free();
        Application->ProcessMessages();
    }
    TQvWindowHook* Watch(const QString& name, bool stopBefore = false)
    {
        auto* h = new TQvWindowHook(form);
        h->BeforeMessage = [this, name, stopBefore](TObject*, TMessage& m, bool& handled) {
            if (m.Msg != WM_PROBE && m.Msg != WM_DESTROY) return;
            log.push_back(name + QStringLiteral(":before"));
            if (stopBefore) handled = true;
        };
        h->AfterMessage = [this, name](TObject*, TMessage& m, bool&) {
            if (m.Msg == WM_PROBE || m.Msg == WM_DESTROY) log.push_back(name + QStringLiteral(":after"));
        };
        h->SetWinControl(form);
        return h;
    }
};

}  // namespace

TEST_F(HookTest, WatchersRunAroundTheWindowLastAddedFirst)
{
    Watch(QStringLiteral("one"));
    Watch(QStringLiteral("two"));
    form->seen.clear();
    form->Perform(WM_PROBE);
    EXPECT_TRUE(form->Saw(WM_PROBE));
    EXPECT_EQ(log, (std::vector<QString>{"two:before", "one:before", "two:after", "one:after"}));
}

TEST_F(HookTest, BeforeWatcherStopsAMessageButNeverWmDestroy)
{
    Watch(QStringLiteral("late"));
    Watch(QStringLiteral("stopper"), true);
    form->seen.clear();
    form->Perform(WM_PROBE);
    EXPECT_FALSE(form->Saw(WM_PROBE));
    EXPECT_EQ(log, (std::vector<QString>{"stopper:before"}));   // neither the other nor any after-watcher

    log.clear();
    form->RecreateWnd();
    EXPECT_TRUE(form->Saw(WM_DESTROY));   // reached the window all the same
    EXPECT_EQ(log, (std::vector<QString>{"stopper:before", "stopper:after"}));
}

TEST_F(HookTest, ReCreatedWindowIsHookedAgainAfterItsDestroyReturned)
{
    TQvWindowHook* h = Watch(QStringLiteral("w"));
    ASSERT_TRUE(h->ControlHook());
    EXPECT_TRUE(h->ControlHook()->Installed());
    form->RecreateWnd();
    EXPECT_FALSE(h->ControlHook()->Installed());
    log.clear();
    form->Perform(WM_PROBE);
    EXPECT_TRUE(log.empty());   // not yet: the re-hook is posted
    Application->ProcessMessages();
    EXPECT_TRUE(h->ControlHook()->Installed());
    form->Perform(WM_PROBE);
    EXPECT_EQ(log, (std::vector<QString>{"w:before", "w:after"}));
    // Border changes re-create the window in the same way.
    form->SetBorderStyle(bsDialog);
    Application->ProcessMessages();
    log.clear();
    form->Perform(WM_PROBE);
    EXPECT_EQ(log.size(), 2u);
}

TEST_F(HookTest, DetachingLeavesALaterSubclasserInPlace)
{
    const TWndMethod original = form->WindowProc;
    TQvWindowHook* h = Watch(QStringLiteral("w"));
    TWndMethod below = form->WindowProc;
    int later = 0;
    form->WindowProc = [&later, below](TMessage& m) {
        if (m.Msg == WM_PROBE) ++later;
        below(m);
    };
    h->SetActive(false);
    form->seen.clear();
    log.clear();
    form->Perform(WM_PROBE);
    EXPECT_EQ(later, 1);                 // still first in the chain
    EXPECT_TRUE(form->Saw(WM_PROBE));    // and the message still gets through
    EXPECT_TRUE(log.empty());
    form->WindowProc = original;
    // A watcher that moves away from the control leaves its control hook to
    // be freed from the queue.
    h->SetActive(true);
    ASSERT_TRUE(GetHookList()->FindControlHook(form));
    h->SetWinControl(nullptr);
    EXPECT_TRUE(GetHookList()->FindControlHook(form));
    Application->ProcessMessages();
    EXPECT_FALSE(GetHookList()->FindControlHook(form));
}

TEST_F(HookTest, WatcherErrorsGoToTheErrorDisplayAndTheMessageGoesOn)
{
    TDialogRecorder dialogs;
    auto* h = new TQvWindowHook(form);
    h->BeforeMessage = [](TObject*, TMessage& m, bool&) {
        if (m.Msg == WM_PROBE) throw EConvertError(QStringLiteral("watcher failed"));
    };
    h->SetWinControl(form);
    form->seen.clear();
    form->Perform(WM_PROBE);
    EXPECT_TRUE(form->Saw(WM_PROBE));
    ASSERT_EQ(dialogs.Calls.size(), 1u);
    EXPECT_EQ(dialogs.Last().Text, QStringLiteral("watcher failed."));
}

TEST(Hook, FreedWatchedControlLeavesNothingBehind)
{
    auto* form = NewForm<TForm>(nullptr);
    auto* panel = new TWinControl(form);
    panel->SetParent(form);
    TQvWindowHook watcher;
    int seen = 0;
    watcher.AfterMessage = [&](TObject*, TMessage&, bool&) { ++seen; };
    watcher.SetWinControl(panel);
    panel->Perform(WM_PROBE);
    EXPECT_GT(seen, 0);
    delete panel;
    EXPECT_EQ(watcher.WinControl(), nullptr);
    Application->ProcessMessages();   // nothing posted may reach the freed control
    watcher.SetWinControl(form);
    form->Perform(WM_PROBE);
    form->Free();
    EXPECT_EQ(watcher.WinControl(), nullptr);
    Application->ProcessMessages();
}
