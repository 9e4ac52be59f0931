#include "platform/ui/ActnList.h"

#include <QPixmap>
#include <algorithm>

#include "platform/ui/ImgList.h"

QKeySequence ShortCutToKeySequence(TShortCut sc)
{
    const int vk = sc & 0xFF;
    if (vk == 0) return QKeySequence();
    int key = 0;
    if (vk >= 0x70 && vk <= 0x87)
        key = Qt::Key_F1 + (vk - 0x70);
    else if ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9'))
        key = vk;
    else {
        switch (vk) {
        case 0x08: key = Qt::Key_Backspace; break;
        case 0x09: key = Qt::Key_Tab; break;
        case 0x0D: key = Qt::Key_Return; break;
        case 0x1B: key = Qt::Key_Escape; break;
        case 0x20: key = Qt::Key_Space; break;
        case 0x2D: key = Qt::Key_Insert; break;
        case 0x2E: key = Qt::Key_Delete; break;
        case 0x21: key = Qt::Key_PageUp; break;
        case 0x22: key = Qt::Key_PageDown; break;
        case 0x23: key = Qt::Key_End; break;
        case 0x24: key = Qt::Key_Home; break;
        case 0x25: key = Qt::Key_Left; break;
        case 0x26: key = Qt::Key_Up; break;
        case 0x27: key = Qt::Key_Right; break;
        case 0x28: key = Qt::Key_Down; break;
        default: return QKeySequence();
        }
    }
    int mods = 0;
    if (sc & scShift) mods |= Qt::SHIFT;
    if (sc & scCtrl) mods |= Qt::CTRL;
    if (sc & scAlt) mods |= Qt::ALT;
    return QKeySequence(key | mods);
}

QIcon ImageListIcon(const TImageList* list, int index)
{
    if (!list || !list->ValidIndex(index)) return QIcon();
    return QIcon(QPixmap::fromImage(list->Picture(index)));
}

// ----------------------------------------------------------------- TAction

TAction::TAction(TComponent* AOwner) : TComponent(AOwner) {}

TAction::~TAction()
{
    Destroying();
    SetActionList(nullptr);
}

void TAction::SetActionList(TActionList* list)
{
    if (list == FActionList) return;
    if (FActionList) {
        auto& v = FActionList->FActions;
        v.erase(std::remove(v.begin(), v.end(), this), v.end());
    }
    FActionList = list;
    if (list) list->FActions.push_back(this);
    Changed();
}

int TAction::Index() const
{
    if (!FActionList) return -1;
    auto& v = FActionList->FActions;
    auto it = std::find(v.begin(), v.end(), this);
    return it == v.end() ? -1 : int(it - v.begin());
}

void TAction::SetChecked(bool v)
{
    if (v == FChecked) return;
    FChecked = v;
    Changed();
}

void TAction::SetEnabled(bool v)
{
    if (v == FEnabled) return;
    FEnabled = v;
    Changed();
}

bool TAction::Execute()
{
    if (!FEnabled) return false;
    if (FAutoCheck) SetChecked(!FChecked);
    if (OnExecute) OnExecute(this);
    return true;
}

int TAction::AddChangeListener(std::function<void()> f)
{
    int id = FNextListener++;
    FListeners.emplace_back(id, std::move(f));
    return id;
}

void TAction::RemoveChangeListener(int id)
{
    FListeners.erase(std::remove_if(FListeners.begin(), FListeners.end(), [id](auto& p) { return p.first == id; }),
                     FListeners.end());
}

void TAction::Changed()
{
    if (IsDestroying()) return;
    auto copy = FListeners;
    for (auto& p : copy) p.second();
}

// ------------------------------------------------------------- TActionList

TActionList::TActionList(TComponent* AOwner) : TComponent(AOwner) {}

TActionList::~TActionList()
{
    Destroying();
    for (TAction* a : FActions) a->FActionList = nullptr;
    FActions.clear();
}

void TActionList::SetImages(TImageList* v)
{
    if (FImages) FImages->RemoveFreeNotification(this);
    FImages = v;
    if (v) v->FreeNotification(this);
}

void TActionList::Notification(TComponent* AComponent, TOperation Operation)
{
    if (Operation == opRemove) {
        if (AComponent == FImages) FImages = nullptr;
        auto it = std::find(FActions.begin(), FActions.end(), AComponent);
        if (it != FActions.end()) FActions.erase(it);
    }
    TComponent::Notification(AComponent, Operation);
}

// --------------------------------------------------------- property tables

#include "platform/core/TypInfo.h"

static const TPropertyRegistration regAction(QStringLiteral("TAction"), QStringLiteral("TComponent"), [] {
    PTypeInfo b = TypeInfoBoolean();
    return std::vector<TPropInfo>{
        StrProp(QStringLiteral("Caption"), &TAction::Caption, &TAction::SetCaption),
        StrProp(QStringLiteral("Category"), &TAction::Category, &TAction::SetCategory),
        OrdProp(QStringLiteral("Checked"), b, &TAction::Checked, &TAction::SetChecked, 0),
        OrdProp(QStringLiteral("Enabled"), b, &TAction::Enabled, &TAction::SetEnabled, 1),
        StrProp(QStringLiteral("Hint"), &TAction::Hint, &TAction::SetHint),
        OrdProp(QStringLiteral("ImageIndex"), TypeInfoInteger(), &TAction::ImageIndex, &TAction::SetImageIndex, -1),
        OrdProp(QStringLiteral("Visible"), b, &TAction::Visible, &TAction::SetVisible, 1),
    };
});
