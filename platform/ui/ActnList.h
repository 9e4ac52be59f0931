#pragma once
// Actions and action lists.
//
// An action carries what its clients (menu items, tool buttons) show:
// caption, hint ("short|long": the tool tip before "|", the status text
// after it), image index into the list's images, shortcut, check mark,
// enabled and visible. Clients listen for changes and execute the action
// when chosen. Execute does nothing while the action is disabled; an
// AutoCheck action flips its own check mark before OnExecute runs.
//
// TActionManager is the action list the main window's menus and tool bar
// are bound to.
#include <QIcon>
#include <QKeySequence>
#include <QString>
#include <functional>
#include <vector>

#include "platform/core/Classes.h"
#include "platform/ui/PaintCtrls.h"

class TImageList;
class TActionList;

// Shortcut numbers to Qt key sequences and back.
QKeySequence ShortCutToKeySequence(TShortCut sc);
// The image of the list as an icon (an empty icon for a bad index).
QIcon ImageListIcon(const TImageList* list, int index);

class TAction : public TComponent {
    QV_CLASS(TAction, TComponent)
public:
    explicit TAction(TComponent* AOwner = nullptr);
    ~TAction() override;

    TActionList* ActionList() const { return FActionList; }
    void SetActionList(TActionList* list);
    int Index() const;

    QString Category() const { return FCategory; }
    void SetCategory(const QString& v) { FCategory = v; }
    QString Caption() const { return FCaption; }
    void SetCaption(const QString& v) { FCaption = v; Changed(); }
    QString Hint() const { return FHint; }
    void SetHint(const QString& v) { FHint = v; Changed(); }
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int v) { FImageIndex = v; Changed(); }
    TShortCut ShortCut() const { return FShortCut; }
    void SetShortCut(TShortCut v) { FShortCut = v; Changed(); }
    bool Checked() const { return FChecked; }
    void SetChecked(bool v);
    bool AutoCheck() const { return FAutoCheck; }
    void SetAutoCheck(bool v) { FAutoCheck = v; Changed(); }
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool v);
    bool Visible() const { return FVisible; }
    void SetVisible(bool v) { FVisible = v; Changed(); }

    // Runs the action as its clients do; false when it is disabled.
    virtual bool Execute();
    TNotifyEvent OnExecute;

    // Clients: told after every change of what they show.
    int AddChangeListener(std::function<void()> f);
    void RemoveChangeListener(int id);

private:
    friend class TActionList;
    void Changed();
    TActionList* FActionList = nullptr;
    QString FCategory, FCaption, FHint;
    int FImageIndex = -1;
    TShortCut FShortCut = 0;
    bool FChecked = false, FAutoCheck = false, FEnabled = true, FVisible = true;
    std::vector<std::pair<int, std::function<void()>>> FListeners;
    int FNextListener = 1;
};

class TActionList : public TComponent {
    QV_CLASS(TActionList, TComponent)
public:
    explicit TActionList(TComponent* AOwner = nullptr);
    ~TActionList() override;
    int ActionCount() const { return int(FActions.size()); }
    TAction* Actions(int i) const { return FActions.at(size_t(i)); }
    TImageList* Images() const { return FImages; }
    void SetImages(TImageList* v);

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    friend class TAction;
    std::vector<TAction*> FActions;
    TImageList* FImages = nullptr;
};

class TActionManager : public TActionList {
    QV_CLASS(TActionManager, TActionList)
public:
    explicit TActionManager(TComponent* AOwner = nullptr) : TActionList(AOwner) {}
};
