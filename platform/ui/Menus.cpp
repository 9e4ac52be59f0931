#include "platform/ui/Menus.h"
#include "platform/ui/EventBridge.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStyleOptionMenuItem>
#include <algorithm>

#include "platform/ui/Forms.h"
#include "platform/ui/ImgList.h"

// --------------------------------------------------------------- TMenuItem

TMenuItem::TMenuItem(TComponent* AOwner) : TComponent(AOwner)
{
    FQAction = new QAction();
    QObject::connect(FQAction, &QAction::triggered, FQAction, [this] {
        CallHandler(this, [this] { Click(); });
    });
    QObject::connect(FQAction, &QAction::hovered, FQAction, [this] {
        QString h = FAction ? FAction->Hint() : FHint;
        Application->SetHint(GetLongHint(h));
    });
}

TMenuItem::~TMenuItem()
{
    Destroying();
    SetAction(nullptr);
    for (TMenuItem* c : std::vector<TMenuItem*>(FItems)) {
        c->FParent = nullptr;
        if (!c->IsDestroying()) delete c;
    }
    FItems.clear();
    if (FParent) FParent->Remove(this);
    delete FQMenu.data();
    delete FQAction;
}

void TMenuItem::SetCaption(const QString& v)
{
    FCaption = v;
    Update();
}

void TMenuItem::SetHint(const QString& v)
{
    FHint = v;
    Update();
}

void TMenuItem::SetAction(TAction* a)
{
    if (a == FAction) return;
    if (FAction) {
        FAction->RemoveChangeListener(FActionListener);
        FAction->RemoveFreeNotification(this);
    }
    FAction = a;
    if (a) {
        FActionListener = a->AddChangeListener([this] { Update(); });
        a->FreeNotification(this);
    }
    Update();
}

void TMenuItem::Notification(TComponent* AComponent, TOperation Operation)
{
    if (Operation == opRemove && AComponent == FAction) {
        FAction = nullptr;
        // An item whose action has gone is removed from its menu, as the
        // action's own client would be.
        FQAction->setVisible(false);
    }
    TComponent::Notification(AComponent, Operation);
}

void TMenuItem::SetChecked(bool v)
{
    FChecked = v;
    Update();
}

void TMenuItem::SetEnabled(bool v)
{
    FEnabled = v;
    Update();
}

void TMenuItem::SetVisible(bool v)
{
    FVisible = v;
    Update();
}

void TMenuItem::SetImageIndex(int v)
{
    FImageIndex = v;
    Update();
}

void TMenuItem::SetShortCut(TShortCut v)
{
    FShortCut = v;
    Update();
}

void TMenuItem::Update()
{
    if (IsDestroying()) return;
    QAction* q = FQAction;
    const TAction* a = FAction;
    QString caption = a ? a->Caption() : FCaption;
    const bool separator = !a && caption == QLatin1String("-");
    q->setSeparator(separator);
    // A separator with a text is drawn as a heading showing it: the line has
    // none.
    q->setText(separator ? QString() : caption);
    q->setEnabled(a ? a->Enabled() : FEnabled);
    q->setVisible(a ? a->Visible() : FVisible);
    bool checked = a ? a->Checked() : FChecked;
    bool checkable = checked || (a && a->AutoCheck());
    q->setCheckable(checkable);
    q->setChecked(checked);
    q->setShortcut(ShortCutToKeySequence(a ? a->ShortCut() : FShortCut));
    // An action's shortcut belongs to the form the action lies in (the form
    // runs it wherever the focus is inside it); the item only shows it. An
    // item without action carries its own shortcut.
    q->setShortcutContext(a ? Qt::WidgetShortcut : Qt::ApplicationShortcut);
    QString hint = a ? a->Hint() : FHint;
    q->setToolTip(GetShortHint(hint));
    q->setStatusTip(GetLongHint(hint));
    int image = a ? a->ImageIndex() : FImageIndex;
    const TImageList* images = a && a->ActionList() && a->ActionList()->Images() ? a->ActionList()->Images()
                               : GetParentMenu() ? GetParentMenu()->Images()
                                                 : nullptr;
    q->setIcon(ImageListIcon(images, image));
}

int TMenuItem::IndexOf(const TMenuItem* item) const
{
    auto it = std::find(FItems.begin(), FItems.end(), item);
    return it == FItems.end() ? -1 : int(it - FItems.begin());
}

QMenu* TMenuItem::QtMenu()
{
    if (!FQMenu) {
        FQMenu = new QMenu();
        FQAction->setMenu(FQMenu);
        QObject::connect(FQMenu, &QMenu::aboutToHide, FQMenu, [] { Application->SetHint(QString()); });
        QObject::connect(FQMenu, &QMenu::aboutToShow, FQMenu, [this] {
            TMenu* m = GetParentMenu();
            if (auto* mm = dynamic_cast<TMainMenu*>(m); mm && mm->WindowMenu() == this) mm->UpdateWindowList();
        });
    }
    return FQMenu;
}

TMenu* TMenuItem::GetParentMenu() const
{
    const TMenuItem* i = this;
    while (i->FParent) i = i->FParent;
    return i->FMenu;
}

QWidget* TMenuItem::Container()
{
    if (FMenu) return FMenu->RootContainer();
    return QtMenu();
}

void TMenuItem::Add(TMenuItem* item) { Insert(Count(), item); }

void TMenuItem::Insert(int index, TMenuItem* item)
{
    if (!item || item == this) return;
    if (item->FParent) item->FParent->Remove(item);
    index = std::clamp(index, 0, Count());
    FItems.insert(FItems.begin() + index, item);
    item->FParent = this;
    AttachChild(index, item);
    item->Update();
}

void TMenuItem::AttachChild(int index, TMenuItem* item)
{
    QWidget* c = Container();
    if (!c) return;
    QAction* before = index + 1 < Count() ? FItems[size_t(index + 1)]->FQAction : nullptr;
    c->insertAction(before, item->FQAction);
}

void TMenuItem::Remove(TMenuItem* item)
{
    auto it = std::find(FItems.begin(), FItems.end(), item);
    if (it == FItems.end()) return;
    FItems.erase(it);
    item->FParent = nullptr;
    if (QWidget* c = FMenu ? FMenu->RootContainer() : FQMenu.data()) c->removeAction(item->FQAction);
}

void TMenuItem::Delete(int index)
{
    if (index < 0 || index >= Count()) return;
    Remove(FItems[size_t(index)]);
}

void TMenuItem::Clear()
{
    while (Count() > 0) {
        TMenuItem* c = FItems.back();
        Remove(c);
        delete c;
    }
}

void TMenuItem::Click()
{
    if (FAction) {
        FAction->Execute();
        return;
    }
    if (OnClick) OnClick(this);
}

QString StripHotkey(const QString& caption)
{
    QString out;
    out.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption.at(i) == QLatin1Char('&')) {
            if (i + 1 >= caption.size()) break;
            ++i;
        }
        out += caption.at(i);
    }
    return out;
}

TMenuItem* NewMenuItem(TComponent* owner, const QString& name, TAction* action, const QString& caption)
{
    auto* i = new TMenuItem(owner);
    if (!name.isEmpty()) i->SetName(name);
    if (!caption.isEmpty()) i->SetCaption(caption);
    if (action) i->SetAction(action);
    return i;
}

// ------------------------------------------------------------------- TMenu

TMenu::TMenu(TComponent* AOwner) : TComponent(AOwner)
{
    FItems = new TMenuItem(nullptr);
    FItems->FMenu = this;
}

TMenu::~TMenu()
{
    Destroying();
    delete FItems;
}

void TMenu::SetImages(TImageList* v)
{
    if (FImages) FImages->RemoveFreeNotification(this);
    FImages = v;
    if (v) v->FreeNotification(this);
}

void TMenu::Notification(TComponent* AComponent, TOperation Operation)
{
    if (Operation == opRemove && AComponent == FImages) FImages = nullptr;
    TComponent::Notification(AComponent, Operation);
}

static TMenuItem* FindByCaption(TMenuItem* item, const QString& caption)
{
    for (int i = 0; i < item->Count(); ++i) {
        TMenuItem* c = item->Items(i);
        if (c->Caption() == caption) return c;
        if (TMenuItem* f = FindByCaption(c, caption)) return f;
    }
    return nullptr;
}

TMenuItem* TMenu::FindItemByCaption(const QString& caption) const { return FindByCaption(FItems, caption); }

// --------------------------------------------------------------- TMainMenu

namespace {
// The menu bar draws the title the keyboard or the pointer is on as the
// style draws the title whose menu is open (highlighted): the style itself
// marks it only once the menu opens, so the keyboard mode showed nothing.
class TMenuBarWidget : public QMenuBar {
protected:
    void initStyleOption(QStyleOptionMenuItem* option, const QAction* action) const override
    {
        QMenuBar::initStyleOption(option, action);
        if (option->state & QStyle::State_Selected) option->state |= QStyle::State_Sunken;
    }
};
}  // namespace

TMainMenu::TMainMenu(TComponent* AOwner) : TMenu(AOwner) { FBar = new TMenuBarWidget(); }

TMainMenu::~TMainMenu()
{
    Destroying();
    for (auto& a : FWindowActions) delete a.data();
    FWindowActions.clear();
    delete FItems;
    FItems = nullptr;
    if (FForm && !FForm->IsDestroying() && FForm->Menu() == this) FForm->SetMenu(nullptr);
    delete FBar.data();
}

QWidget* TMainMenu::RootContainer() { return FBar; }

void TMainMenu::SetForm(TForm* f)
{
    FForm = f;
    if (f) f->SetMenu(this);
}

bool TMainMenu::KeyboardMode() const
{
    // A bar left with nothing to give the focus back to keeps it, without a
    // title: that is no keyboard mode.
    return FBar && FBar->hasFocus() && FBar->activeAction();
}

void TMainMenu::SetKeyboardMode(bool on)
{
    if (!FBar || !FBar->isVisible() || on == KeyboardMode()) return;
    // The toolkit's own way in and out: Alt pressed and released alone. The
    // bar watches its window for the press (announced as a shortcut
    // override) and the whole application for the release that follows;
    // the Alt key's event reports the Alt modifier as held.
    QWidget* window = FBar->window();
    QKeyEvent press(QEvent::ShortcutOverride, Qt::Key_Alt, Qt::NoModifier);
    QApplication::sendEvent(window, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Alt, Qt::AltModifier);
    QApplication::sendEvent(window, &release);
}

void TMainMenu::SetWindowMenu(TMenuItem* item)
{
    FWindowMenu = item;
    if (item) item->QtMenu();
}

void TMainMenu::UpdateWindowList()
{
    for (auto& a : FWindowActions) delete a.data();
    FWindowActions.clear();
    if (!FWindowMenu || !FForm || FForm->MDIChildCount() == 0) return;
    QMenu* m = FWindowMenu->QtMenu();
    FWindowActions.push_back(m->addSeparator());
    // Listed in the order the children were opened.
    std::vector<TForm*> kids;
    for (int i = 0; i < FForm->MDIChildCount(); ++i) kids.push_back(FForm->MDIChildren(i));
    std::reverse(kids.begin(), kids.end());
    TForm* active = FForm->ActiveMDIChild();
    int n = 1;
    for (TForm* k : kids) {
        QString text = n <= 9 ? QStringLiteral("&%1 %2").arg(n).arg(k->Caption()) : k->Caption();
        QAction* a = m->addAction(text);
        a->setCheckable(true);
        a->setChecked(k == active);
        QPointer<QWidget> sub = k->OuterWidget();
        TForm* frame = FForm;
        QObject::connect(a, &QAction::triggered, a, [sub, frame] {
            if (auto* s = qobject_cast<QMdiSubWindow*>(sub.data())) CallHandler(frame, [&] {
                    if (s->isMinimized()) s->showNormal();
                    frame->MdiArea()->setActiveSubWindow(s);
                });
        });
        FWindowActions.push_back(a);
        ++n;
    }
}

QStringList TMainMenu::WindowListCaptions() const
{
    QStringList out;
    for (const auto& a : FWindowActions)
        if (a && !a->isSeparator()) out << a->text();
    return out;
}

// -------------------------------------------------------------- TPopupMenu

TPopupMenu::TPopupMenu(TComponent* AOwner) : TMenu(AOwner) { FQMenu = new QMenu(); }

TPopupMenu::~TPopupMenu()
{
    Destroying();
    delete FItems;
    FItems = nullptr;
    delete FQMenu.data();
}

QWidget* TPopupMenu::RootContainer() { return FQMenu; }

void TPopupMenu::Popup(int X, int Y)
{
    if (FQMenu) FQMenu->popup(QPoint(X, Y));
}
