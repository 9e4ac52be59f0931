#pragma once
// Common controls: status bar with panels, tool bar with buttons, cool bar
// (a band container for the tool bar) and page control with tab sheets.
//
// Status bar: panels from left to right, each of its Width; the last one
// takes what is left. A tool button shows its action (image, tool tip from
// the short hint, enabled state) and executes it; a drop-down button bound
// to a menu item opens that item's menu when clicked. The buttons show
// pictures only, so a caption's accelerator does nothing (the menu title with
// the same letter has it). Hovering a tool button sets the application's hint
// to the long part of its hint.
//
// Page control: tabs on top; each tab sheet fills the page area and only the
// active one is visible. Sheets may be added at run time. A sheet whose
// TabVisible is off has no tab (hiding the active one's tab activates the
// next sheet that has one); a sheet's OnShow runs whenever it comes on the
// screen (made active, or shown with its window).
//
// The page keys (Ctrl+Tab, Ctrl+PageDown forward; Ctrl+Shift+Tab, Ctrl+PageUp
// back; see PageKeyDirection) turn the pages from wherever the focus is
// inside the page control, the innermost one when page controls nest. The
// control the user was in is left first (its exit check may keep the focus,
// and then the page stays); the focus goes on to the first control of the
// new page that Tab would reach, or stays on the tab row when it was there.
#include <QAction>
#include <QTabBar>
#include <QToolButton>
#include <QPointer>
#include <QString>
#include <vector>

#include "platform/ui/ActnList.h"
#include "platform/ui/Controls.h"
#include "platform/ui/PaintCtrls.h"

class QLabel;
class QToolBar;
class QAction;
class TImageList;
class TMenuItem;
class TToolBar;

enum TStatusPanelBevel { pbNone, pbLowered, pbRaised };

class TStatusPanel {
public:
    QString Text;
    int Width = 50;
    TAlignment Alignment = taLeftJustify;
    TStatusPanelBevel Bevel = pbLowered;
};

class TStatusBar : public TWinControl {
    QV_CLASS(TStatusBar, TWinControl)
public:
    bool TakesClickFocus() const override { return false; }
    explicit TStatusBar(TComponent* AOwner = nullptr);
    int PanelCount() const { return int(FPanels.size()); }
    void SetPanelCount(int n);
    int AddPanel(int width, TAlignment alignment = taLeftJustify, TStatusPanelBevel bevel = pbLowered);
    TAlignment PanelAlignment(int i) const { return FPanels.at(size_t(i)).Alignment; }
    TStatusPanelBevel PanelBevel(int i) const { return FPanels.at(size_t(i)).Bevel; }
    QString PanelText(int i) const { return FPanels.at(size_t(i)).Text; }
    void SetPanelText(int i, const QString& t);
    int PanelWidth(int i) const { return FPanels.at(size_t(i)).Width; }
    void SetPanelWidth(int i, int w);
    // The widths the panels have on the screen now.
    int PanelShownWidth(int i) const;

protected:
    QWidget* CreateWidget(QWidget* parentWidget) override;
    void InitWidget() override;
    void Resize() override;

private:
    void Layout();
    std::vector<TStatusPanel> FPanels;
    std::vector<QPointer<QLabel>> FLabels;
};

enum TToolButtonStyle { tbsButton, tbsCheck, tbsDropDown, tbsSeparator, tbsDivider };

class TToolButton : public TComponent {
    QV_CLASS(TToolButton, TComponent)
public:
    explicit TToolButton(TComponent* AOwner = nullptr);
    ~TToolButton() override;
    // Appends the button to the tool bar (buttons keep the order they are
    // added in).
    void SetToolBar(TToolBar* tb);
    TToolBar* ToolBar() const { return FToolBar; }
    TToolButtonStyle Style() const { return FStyle; }
    void SetStyle(TToolButtonStyle v);
    TAction* Action() const { return FAction; }
    void SetAction(TAction* a);
    TMenuItem* MenuItem() const { return FMenuItem; }
    // The drop-down menu: the sub-items of the item.
    void SetMenuItem(TMenuItem* item);
    QString Caption() const { return FCaption; }
    void SetCaption(const QString& v);
    QString Hint() const { return FHint; }
    void SetHint(const QString& v);
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int v);
    bool Enabled() const;
    // Shown on the bar (and its action visible).
    bool Visible() const { return FVisible && (!FAction || FAction->Visible()); }
    void SetVisible(bool v);
    void Click();
    QToolButton* QtButton() const { return FButton; }

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    friend class TToolBar;
    void Update();
    void MakeWidget();
    TToolBar* FToolBar = nullptr;
    TToolButtonStyle FStyle = tbsButton;
    TAction* FAction = nullptr;
    int FListener = 0;
    TMenuItem* FMenuItem = nullptr;
    QString FCaption, FHint;
    int FImageIndex = -1;
    bool FVisible = true;
    QPointer<QToolButton> FButton;
    // The bar shows and hides a button through the action it holds the
    // button in (the button widget's own visibility is the bar's business).
    QPointer<QAction> FButtonAction;
    QPointer<QAction> FSeparator;
};

class TToolBar : public TWinControl {
    QV_CLASS(TToolBar, TWinControl)
public:
    bool TakesClickFocus() const override { return false; }
    explicit TToolBar(TComponent* AOwner = nullptr);
    ~TToolBar() override;
    TImageList* Images() const { return FImages; }
    void SetImages(TImageList* v);
    bool Flat() const { return FFlat; }
    void SetFlat(bool v) { FFlat = v; }
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool v) { FTransparent = v; }
    int ButtonCount() const { return int(FButtons.size()); }
    TToolButton* Buttons(int i) const { return FButtons.at(size_t(i)); }
    QToolBar* QtToolBar() const;

protected:
    QWidget* CreateWidget(QWidget* parentWidget) override;
    void InitWidget() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    friend class TToolButton;
    std::vector<TToolButton*> FButtons;
    TImageList* FImages = nullptr;
    bool FFlat = false, FTransparent = false;
};

enum TEdgeBorder { ebLeft, ebTop, ebRight, ebBottom };
using TEdgeBorders = TSet<TEdgeBorder>;
// Which press of the mouse on a band maximises it.
enum TCoolBandMaximize { bmNone, bmClick, bmDblClick };

// A band of a cool bar: the control it holds, the least height of its row,
// and the least and the present width of its control's part (the band's
// grip, when it has one, comes in front of it).
struct TCoolBand {
    TWinControl* Control = nullptr;
    int MinHeight = 0;
    int MinWidth = 0;
    int Width = 0;
};

// A bar of bands laid from left to right in one row; the last band reaches
// to the row's end. With more than one band each band has a grip at its
// left; a press on a band (its grip, or what of it its control leaves
// free) maximises it when BandMaximize says so: it takes the whole row but
// the least widths of the others. Edges (EdgeBorders) are etched lines on
// the bar's sides, a shadow line outside a highlight line; the row lies
// inside them. With AutoSize the bar is as high as its edges and its row.
class TCoolBar : public TCustomControl {
    QV_CLASS(TCoolBar, TCustomControl)
public:
    explicit TCoolBar(TComponent* AOwner = nullptr);
    bool TakesClickFocus() const override { return false; }
    // The band lives as long as the bar; its address until the next AddBand.
    TCoolBand* AddBand(TWinControl* control, int minHeight);
    int BandCount() const { return int(FBands.size()); }
    TCoolBand* Bands(int i) { return &FBands.at(size_t(i)); }
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool v);
    TEdgeBorders EdgeBorders() const { return FEdgeBorders; }
    void SetEdgeBorders(TEdgeBorders v);
    TCoolBandMaximize BandMaximize() const { return FBandMaximize; }
    void SetBandMaximize(TCoolBandMaximize v) { FBandMaximize = v; }
    void MaximizeBand(int i);
    // The band's place in the bar and the width of its grip.
    TRect BandRect(int i) const;
    int GripWidth() const { return FBands.size() > 1 ? 10 : 0; }
    // Each edge is two lines.
    static constexpr int EdgeWidth = 2;

protected:
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void AlignControls(TRect& r) override;
    void InitWidget() override;

private:
    TRect RowRect() const;
    // A band's width in the row, and its least width there.
    int BandWidth(int i) const;
    int BandMinWidth(int i) const { return GripWidth() + FBands.at(size_t(i)).MinWidth; }
    void FitHeight();
    std::vector<TCoolBand> FBands;
    bool FAutoSize = true;
    TEdgeBorders FEdgeBorders{ebTop};
    TCoolBandMaximize FBandMaximize = bmClick;
};

class TPageControl;

class TTabSheet : public TWinControl {
    QV_CLASS(TTabSheet, TWinControl)
public:
    explicit TTabSheet(TComponent* AOwner = nullptr);
    ~TTabSheet() override;
    // A press on the sheet (or on a control on it that takes no focus, a
    // navigator's button) leaves the focus where it is.
    bool TakesClickFocus() const override { return false; }
    TPageControl* PageControl() const { return FPageControl; }
    void SetPageControl(TPageControl* pc);
    int PageIndex() const;
    bool TabVisible() const { return FTabVisible; }
    void SetTabVisible(bool v);
    TNotifyEvent OnShow;
    TNotifyEvent OnHide;

protected:
    void TextChanged() override;
    bool WidgetEvent(QObject* watched, QEvent* event) override;

private:
    friend class TPageControl;
    TPageControl* FPageControl = nullptr;
    bool FTabVisible = true;
};

class TPageControl : public TWinControl {
    QV_CLASS(TPageControl, TWinControl)
public:
    explicit TPageControl(TComponent* AOwner = nullptr);
    ~TPageControl() override;
    int PageCount() const { return int(FPages.size()); }
    TTabSheet* Pages(int i) const { return FPages.at(size_t(i)); }
    TTabSheet* ActivePage() const;
    void SetActivePage(TTabSheet* p);
    int ActivePageIndex() const { return FActive; }
    void SetActivePageIndex(int i);
    QTabBar* TabBar() const { return FTabBar; }
    // The next (previous) sheet with a tab, after the last the first; none
    // when no other sheet has one.
    TTabSheet* FindNextPage(TTabSheet* CurPage, bool GoForward) const;
    // Turns to the next (previous) page as the page keys do; false when
    // there is none to turn to.
    bool SelectNextPage(bool GoForward);
    void WndProc(TMessage& Message) override;

protected:
    QWidget* CreateWidget(QWidget* parentWidget) override;
    void InitWidget() override;
    void Resize() override;

private:
    friend class TTabSheet;
    void InsertPage(TTabSheet* p);
    void RemovePage(TTabSheet* p);
    void LayoutPages();
    void RebuildTabs();
    void TabVisibleChanged(TTabSheet* p);
    std::vector<TTabSheet*> FPages;
    std::vector<int> FTabPages;   // page index of each tab
    int FActive = -1;
    QPointer<QTabBar> FTabBar;
};
