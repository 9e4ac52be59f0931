#pragma once
// Menus: menu items in a tree, the main menu of a form (a menu bar above its
// client area) and pop-up menus.
//
// A menu item bound to an action shows the action's caption, hint, image,
// shortcut, check mark and state, follows its changes and executes it when
// chosen; an item without action fires OnClick. A caption of "-" makes a
// separator line. Hovering an item sets the application's hint to the long
// part of its hint (empty when the pointer leaves the menu).
//
// The main menu's window menu lists the form's MDI children below its own
// items, numbered, the active one checked; choosing one activates it.
//
// The keyboard reaches the main menu as desktop users expect: Alt pressed
// and released alone, or F10 (the form's key step, Forms.cpp),
// puts the menu bar into the keyboard mode with its first title highlighted;
// Left and Right move between the titles, Down or Enter opens one, Enter
// chooses an item, Esc leaves. A title's accelerator (Alt and the letter
// after "&", in whatever layout the keyboard types it) opens its menu. The
// title the keyboard or the pointer is on is drawn highlighted.
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QString>
#include <vector>

#include "platform/ui/ActnList.h"

class QAction;
class QMenu;
class QMenuBar;
class QWidget;
class TForm;
class TMenu;

class TMenuItem : public TComponent {
    QV_CLASS(TMenuItem, TComponent)
public:
    explicit TMenuItem(TComponent* AOwner = nullptr);
    ~TMenuItem() override;

    QString Caption() const { return FCaption; }
    void SetCaption(const QString& v);
    QString Hint() const { return FHint; }
    void SetHint(const QString& v);
    bool IsLine() const { return FCaption == QLatin1String("-"); }
    TAction* Action() const { return FAction; }
    void SetAction(TAction* a);
    bool Checked() const { return FChecked; }
    void SetChecked(bool v);
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool v);
    bool Visible() const { return FVisible; }
    void SetVisible(bool v);
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int v);
    TShortCut ShortCut() const { return FShortCut; }
    void SetShortCut(TShortCut v);

    int Count() const { return int(FItems.size()); }
    TMenuItem* Items(int i) const { return FItems.at(size_t(i)); }
    TMenuItem* Parent() const { return FParent; }
    int IndexOf(const TMenuItem* item) const;
    void Add(TMenuItem* item);
    void Insert(int index, TMenuItem* item);
    void Remove(TMenuItem* item);
    void Delete(int index);
    // Frees every sub-item.
    void Clear();
    // The item as a Qt action; its menu when it has sub-items.
    QAction* QtAction() const { return FQAction; }
    QMenu* QtMenu();
    TMenu* GetParentMenu() const;

    // What choosing the item does: the action's Execute, else OnClick.
    virtual void Click();
    TNotifyEvent OnClick;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    friend class TMenu;
    friend class TMainMenu;
    void Update();
    void AttachChild(int index, TMenuItem* item);
    QWidget* Container();
    QString FCaption, FHint;
    TAction* FAction = nullptr;
    int FActionListener = 0;
    bool FChecked = false, FEnabled = true, FVisible = true;
    int FImageIndex = -1;
    TShortCut FShortCut = 0;
    TMenuItem* FParent = nullptr;
    TMenu* FMenu = nullptr;   // set on the root item
    std::vector<TMenuItem*> FItems;
    QAction* FQAction = nullptr;
    QPointer<QMenu> FQMenu;
};

class TMenu : public TComponent {
    QV_CLASS(TMenu, TComponent)
public:
    explicit TMenu(TComponent* AOwner = nullptr);
    ~TMenu() override;
    TMenuItem* Items() const { return FItems; }
    TImageList* Images() const { return FImages; }
    void SetImages(TImageList* v);
    // Looks through the whole tree for the item with this caption.
    TMenuItem* FindItemByCaption(const QString& caption) const;

protected:
    friend class TMenuItem;
    virtual QWidget* RootContainer() = 0;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    TMenuItem* FItems;
    TImageList* FImages = nullptr;
};

class TMainMenu : public TMenu {
    QV_CLASS(TMainMenu, TMenu)
public:
    explicit TMainMenu(TComponent* AOwner = nullptr);
    ~TMainMenu() override;
    // Puts the menu bar on the form (the form's Menu).
    void SetForm(TForm* f);
    TForm* Form() const { return FForm; }
    // The item under which the MDI children are listed.
    void SetWindowMenu(TMenuItem* item);
    TMenuItem* WindowMenu() const { return FWindowMenu; }
    QMenuBar* MenuBar() const { return FBar; }
    // Whether the menu bar has the keyboard (Alt or F10 put it there).
    bool KeyboardMode() const;
    // Puts the menu bar into the keyboard mode (its first title highlighted,
    // the focus remembered) or takes it out (the focus goes back).
    void SetKeyboardMode(bool on);
    // Rebuilds the window list (done each time the window menu opens).
    void UpdateWindowList();
    // The captions of the listed windows (tests).
    QStringList WindowListCaptions() const;

protected:
    QWidget* RootContainer() override;

private:
    QPointer<QMenuBar> FBar;
    TForm* FForm = nullptr;
    TMenuItem* FWindowMenu = nullptr;
    std::vector<QPointer<QAction>> FWindowActions;
};

class TPopupMenu : public TMenu {
    QV_CLASS(TPopupMenu, TMenu)
public:
    explicit TPopupMenu(TComponent* AOwner = nullptr);
    ~TPopupMenu() override;
    void Popup(int X, int Y);
    QMenu* QtMenu() const { return FQMenu; }

protected:
    QWidget* RootContainer() override;

private:
    QPointer<QMenu> FQMenu;
};

// The caption without its accelerator marks ("&&" stands for one "&").
QString StripHotkey(const QString& caption);

// A new item with the caption (and action) under the owner.
TMenuItem* NewMenuItem(TComponent* owner, const QString& name, TAction* action = nullptr,
                       const QString& caption = QString());
