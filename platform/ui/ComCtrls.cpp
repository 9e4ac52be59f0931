#include "platform/ui/ComCtrls.h"
#include "platform/ui/EventBridge.h"

#include <QApplication>
#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QTabBar>
#include <QToolBar>
#include <QToolButton>
#include <algorithm>

#include "platform/ui/Forms.h"
#include "platform/ui/ImgList.h"
#include "platform/ui/Menus.h"

// -------------------------------------------------------------- TStatusBar

TStatusBar::TStatusBar(TComponent* AOwner) : TWinControl(AOwner)
{
    FWidth = 200;
    FHeight = 19;
    SetAlign(alBottom);
}

QWidget* TStatusBar::CreateWidget(QWidget* parentWidget)
{
    auto* f = new QFrame(parentWidget);
    f->setAutoFillBackground(true);
    return f;
}

void TStatusBar::InitWidget()
{
    TWinControl::InitWidget();
    Layout();
}

void TStatusBar::Resize()
{
    TWinControl::Resize();
    Layout();
}

void TStatusBar::SetPanelCount(int n)
{
    FPanels.resize(size_t(std::max(n, 0)));
    Layout();
}

int TStatusBar::AddPanel(int width, TAlignment alignment, TStatusPanelBevel bevel)
{
    TStatusPanel p;
    p.Width = width;
    p.Alignment = alignment;
    p.Bevel = bevel;
    FPanels.push_back(p);
    Layout();
    return PanelCount() - 1;
}

void TStatusBar::SetPanelText(int i, const QString& t)
{
    if (i < 0 || i >= PanelCount()) return;
    FPanels[size_t(i)].Text = t;
    if (size_t(i) < FLabels.size() && FLabels[size_t(i)]) FLabels[size_t(i)]->setText(t);
}

void TStatusBar::SetPanelWidth(int i, int w)
{
    if (i < 0 || i >= PanelCount()) return;
    FPanels[size_t(i)].Width = w;
    Layout();
}

int TStatusBar::PanelShownWidth(int i) const
{
    if (i < 0 || size_t(i) >= FLabels.size() || !FLabels[size_t(i)]) return 0;
    return FLabels[size_t(i)]->width();
}

void TStatusBar::Layout()
{
    QWidget* w = FWidget;
    if (!w) return;
    while (FLabels.size() > FPanels.size()) {
        delete FLabels.back().data();
        FLabels.pop_back();
    }
    while (FLabels.size() < FPanels.size()) {
        auto* l = new QLabel(w);
        l->setTextFormat(Qt::PlainText);
        l->setIndent(2);
        l->show();
        FLabels.emplace_back(l);
    }
    int x = 0;
    const int h = w->height() - 2;
    for (size_t i = 0; i < FPanels.size(); ++i) {
        QLabel* l = FLabels[i];
        if (!l) continue;
        int pw = i + 1 == FPanels.size() ? std::max(w->width() - x, 0) : FPanels[i].Width;
        l->setGeometry(x, 2, std::max(pw - 2, 0), std::max(h, 0));
        const TStatusPanel& p = FPanels[i];
        l->setFrameStyle(p.Bevel == pbNone    ? QFrame::NoFrame
                         : p.Bevel == pbRaised ? QFrame::Panel | QFrame::Raised
                                               : QFrame::Panel | QFrame::Sunken);
        l->setAlignment(Qt::AlignVCenter | (p.Alignment == taCenter         ? Qt::AlignHCenter
                                            : p.Alignment == taRightJustify ? Qt::AlignRight
                                                                            : Qt::AlignLeft));
        l->setText(p.Text);
        x += pw;
    }
}

// ------------------------------------------------------------- TToolButton

TToolButton::TToolButton(TComponent* AOwner) : TComponent(AOwner) {}

TToolButton::~TToolButton()
{
    Destroying();
    SetAction(nullptr);
    if (FMenuItem) FMenuItem->RemoveFreeNotification(this);
    if (FToolBar) {
        auto& v = FToolBar->FButtons;
        v.erase(std::remove(v.begin(), v.end(), this), v.end());
    }
    delete FButton.data();
    delete FSeparator.data();
}

void TToolButton::SetToolBar(TToolBar* tb)
{
    if (tb == FToolBar) return;
    if (FToolBar) {
        auto& v = FToolBar->FButtons;
        v.erase(std::remove(v.begin(), v.end(), this), v.end());
        delete FButton.data();
        delete FSeparator.data();
    }
    FToolBar = tb;
    if (tb) {
        tb->FButtons.push_back(this);
        MakeWidget();
    }
}

void TToolButton::MakeWidget()
{
    QToolBar* bar = FToolBar ? FToolBar->QtToolBar() : nullptr;
    if (!bar || FButton || FSeparator) return;
    if (FStyle == tbsSeparator || FStyle == tbsDivider) {
        FSeparator = bar->addSeparator();
        return;
    }
    auto* b = new QToolButton(bar);
    b->setAutoRaise(true);
    // A tool button never takes the focus: the keys go on to the control the
    // user was in before the click.
    b->setFocusPolicy(Qt::NoFocus);
    b->setToolButtonStyle(Qt::ToolButtonIconOnly);
    b->setIconSize(QSize(16, 16));
    QObject::connect(b, &QToolButton::clicked, b, [this] {
        CallHandler(this, [this] { Click(); });
    });
    FButtonAction = bar->addWidget(b);
    FButton = b;
    // The long hint goes to the status bar while the pointer is over it.
    struct HoverHint : QObject {
        TToolButton* owner;
        explicit HoverHint(TToolButton* o, QObject* parent) : QObject(parent), owner(o) {}
        bool eventFilter(QObject*, QEvent* e) override
        {
            if (e->type() == QEvent::Enter) {
                QString h = owner->Action() ? owner->Action()->Hint() : owner->Hint();
                Application->SetHint(GetLongHint(h));
            } else if (e->type() == QEvent::Leave) {
                Application->SetHint(QString());
            }
            return false;
        }
    };
    b->installEventFilter(new HoverHint(this, b));
    Update();
}

void TToolButton::SetStyle(TToolButtonStyle v)
{
    if (v == FStyle) return;
    FStyle = v;
    delete FButton.data();
    delete FSeparator.data();
    MakeWidget();
}

void TToolButton::SetAction(TAction* a)
{
    if (a == FAction) return;
    if (FAction) {
        FAction->RemoveChangeListener(FListener);
        FAction->RemoveFreeNotification(this);
    }
    FAction = a;
    if (a) {
        FListener = a->AddChangeListener([this] { Update(); });
        a->FreeNotification(this);
    }
    Update();
}

void TToolButton::SetMenuItem(TMenuItem* item)
{
    if (FMenuItem) FMenuItem->RemoveFreeNotification(this);
    FMenuItem = item;
    if (item) item->FreeNotification(this);
    Update();
}

void TToolButton::Notification(TComponent* AComponent, TOperation Operation)
{
    if (Operation == opRemove) {
        if (AComponent == FAction) FAction = nullptr;
        if (AComponent == FMenuItem) FMenuItem = nullptr;
        Update();
    }
    TComponent::Notification(AComponent, Operation);
}

void TToolButton::SetCaption(const QString& v)
{
    FCaption = v;
    Update();
}

void TToolButton::SetHint(const QString& v)
{
    FHint = v;
    Update();
}

void TToolButton::SetImageIndex(int v)
{
    FImageIndex = v;
    Update();
}

void TToolButton::SetVisible(bool v)
{
    if (v == FVisible) return;
    FVisible = v;
    Update();
}

bool TToolButton::Enabled() const { return !FAction || FAction->Enabled(); }

void TToolButton::Update()
{
    if (IsDestroying() || !FButton) return;
    QToolButton* b = FButton;
    QString caption = FAction ? FAction->Caption() : FCaption;
    QString hint = FAction ? FAction->Hint() : FHint;
    int image = FAction ? FAction->ImageIndex() : FImageIndex;
    // The bar shows pictures, not captions: a caption's accelerator would
    // stand beside the menu title with the same letter ("Об&ъекты") and
    // the toolkit would take turns between them on Alt and the letter. The
    // text keeps no accelerator mark (an "&" of the text doubled).
    b->setText(StripHotkey(caption).replace(QLatin1Char('&'), QStringLiteral("&&")));
    b->setToolTip(GetShortHint(hint));
    b->setEnabled(Enabled());
    if (FButtonAction)
        FButtonAction->setVisible(Visible());
    else
        b->setVisible(Visible());
    bool checked = FAction && FAction->Checked();
    b->setCheckable(checked || (FAction && FAction->AutoCheck()));
    b->setChecked(checked);
    const TImageList* images = FToolBar && FToolBar->Images() ? FToolBar->Images()
                               : FAction && FAction->ActionList() ? FAction->ActionList()->Images()
                                                                  : nullptr;
    b->setIcon(ImageListIcon(images, image));
    if (FMenuItem) {
        b->setMenu(FMenuItem->QtMenu());
        b->setPopupMode(QToolButton::InstantPopup);
    } else {
        b->setMenu(nullptr);
    }
}

void TToolButton::Click()
{
    if (FMenuItem) {
        if (FButton) FButton->showMenu();
        return;
    }
    if (FAction) FAction->Execute();
}

// ---------------------------------------------------------------- TToolBar

TToolBar::TToolBar(TComponent* AOwner) : TWinControl(AOwner)
{
    FWidth = 150;
    FHeight = 22;
}

TToolBar::~TToolBar()
{
    Destroying();
    for (TToolButton* b : FButtons) b->FToolBar = nullptr;
    FButtons.clear();
}

QToolBar* TToolBar::QtToolBar() const { return qobject_cast<QToolBar*>(FWidget.data()); }

QWidget* TToolBar::CreateWidget(QWidget* parentWidget)
{
    auto* t = new QToolBar(parentWidget);
    t->setMovable(false);
    t->setFloatable(false);
    t->setIconSize(QSize(16, 16));
    return t;
}

void TToolBar::InitWidget()
{
    TWinControl::InitWidget();
    for (TToolButton* b : FButtons) {
        b->MakeWidget();
        b->Update();
    }
}

void TToolBar::SetImages(TImageList* v)
{
    if (FImages) FImages->RemoveFreeNotification(this);
    FImages = v;
    if (v) v->FreeNotification(this);
    for (TToolButton* b : FButtons) b->Update();
}

void TToolBar::Notification(TComponent* AComponent, TOperation Operation)
{
    if (Operation == opRemove && AComponent == FImages) FImages = nullptr;
    TWinControl::Notification(AComponent, Operation);
}

// ---------------------------------------------------------------- TCoolBar

TCoolBar::TCoolBar(TComponent* AOwner) : TCustomControl(AOwner)
{
    FWidth = 150;
    FHeight = 26;
    FTakesFocus = false;
    FControlStyle = TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csDoubleClicks, csOpaque};
    SetAlign(alTop);
}

TCoolBand* TCoolBar::AddBand(TWinControl* control, int minHeight)
{
    TCoolBand band;
    band.Control = control;
    band.MinHeight = minHeight;
    control->SetParent(this);
    control->SetAlign(alNone);
    // A band starts as wide as its control.
    band.Width = control->Width();
    FBands.push_back(band);
    FitHeight();
    Realign();
    Invalidate();
    return &FBands.back();
}

void TCoolBar::InitWidget()
{
    TCustomControl::InitWidget();
    // The controls' natural heights are known once they have widgets.
    FitHeight();
}

void TCoolBar::SetAutoSize(bool v)
{
    FAutoSize = v;
    FitHeight();
}

void TCoolBar::SetEdgeBorders(TEdgeBorders v)
{
    if (v == FEdgeBorders) return;
    FEdgeBorders = v;
    FitHeight();
    Realign();
    Invalidate();
}

TRect TCoolBar::RowRect() const
{
    TRect r = ClientRect();
    if (FEdgeBorders.Contains(ebLeft)) r.Left += EdgeWidth;
    if (FEdgeBorders.Contains(ebTop)) r.Top += EdgeWidth;
    if (FEdgeBorders.Contains(ebRight)) r.Right -= EdgeWidth;
    if (FEdgeBorders.Contains(ebBottom)) r.Bottom -= EdgeWidth;
    return r;
}

int TCoolBar::BandWidth(int i) const
{
    return GripWidth() + std::max(FBands.at(size_t(i)).Width, FBands.at(size_t(i)).MinWidth);
}

TRect TCoolBar::BandRect(int i) const
{
    const TRect row = RowRect();
    int x = row.Left;
    for (int k = 0; k < i; ++k) x += BandWidth(k);
    const bool last = i == BandCount() - 1;
    const int right = last ? row.Right : std::min(x + BandWidth(i), row.Right);
    return Rect(x, row.Top, std::max(right, x), row.Bottom);
}

void TCoolBar::MaximizeBand(int i)
{
    if (i < 0 || i >= BandCount()) return;
    int others = 0;
    for (int k = 0; k < BandCount(); ++k)
        if (k != i) {
            FBands[size_t(k)].Width = FBands[size_t(k)].MinWidth;
            others += BandMinWidth(k);
        }
    FBands[size_t(i)].Width = std::max(RowRect().Width() - others - GripWidth(), FBands[size_t(i)].MinWidth);
    Realign();
    Invalidate();
}

void TCoolBar::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TCustomControl::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft) return;
    const bool pressed = FBandMaximize == bmDblClick ? Shift.Contains(ssDouble)
                         : FBandMaximize == bmClick  ? !Shift.Contains(ssDouble)
                                                     : false;
    if (!pressed) return;
    for (int i = 0; i < BandCount(); ++i) {
        const TRect b = BandRect(i);
        if (X >= b.Left && X < b.Right && Y >= b.Top && Y < b.Bottom) {
            MaximizeBand(i);
            return;
        }
    }
}

void TCoolBar::AlignControls(TRect& r)
{
    // Each band's control fills its band right of the grip.
    for (int i = 0; i < BandCount(); ++i) {
        const TRect b = BandRect(i);
        if (TWinControl* c = FBands[size_t(i)].Control)
            c->SetBounds(b.Left + GripWidth(), b.Top, std::max(b.Width() - GripWidth(), 0), b.Height());
    }
    r = Rect(r.Left, r.Top, r.Left, r.Top);
}

void TCoolBar::FitHeight()
{
    if (!FAutoSize || FBands.empty()) return;
    int row = 0;
    for (const TCoolBand& b : FBands) {
        const TWinControl* c = b.Control;
        row = std::max({row, b.MinHeight, c->Widget() ? c->Widget()->sizeHint().height() : c->Height()});
    }
    const int edges = (FEdgeBorders.Contains(ebTop) ? EdgeWidth : 0) + (FEdgeBorders.Contains(ebBottom) ? EdgeWidth : 0);
    SetHeight(row + edges);
}

void TCoolBar::Paint()
{
    TCanvas* c = Canvas();
    c->Brush()->SetColor(Color());
    c->FillRect(ClientRect());
    const int w = Width(), h = Height();
    // An etched line: the shadow on the outer side, the highlight inside it.
    auto line = [c](TColor col, int x1, int y1, int x2, int y2) {
        c->Pen()->SetColor(col);
        c->MoveTo(x1, y1);
        c->LineTo(x2, y2);
    };
    if (FEdgeBorders.Contains(ebTop)) {
        line(clBtnShadow, 0, 0, w, 0);
        line(clBtnHighlight, 0, 1, w, 1);
    }
    if (FEdgeBorders.Contains(ebBottom)) {
        line(clBtnShadow, 0, h - 2, w, h - 2);
        line(clBtnHighlight, 0, h - 1, w, h - 1);
    }
    if (FEdgeBorders.Contains(ebLeft)) {
        line(clBtnShadow, 0, 0, 0, h);
        line(clBtnHighlight, 1, 0, 1, h);
    }
    if (FEdgeBorders.Contains(ebRight)) {
        line(clBtnShadow, w - 2, 0, w - 2, h);
        line(clBtnHighlight, w - 1, 0, w - 1, h);
    }
    // The grips: a raised bar of three pixels at each band's left.
    if (GripWidth() == 0) return;
    for (int i = 0; i < BandCount(); ++i) {
        const TRect b = BandRect(i);
        TRect grip = Rect(b.Left + 2, b.Top + 2, b.Left + 5, b.Bottom - 2);
        Frame3D(c, grip, clBtnHighlight, clBtnShadow, 1);
    }
}

// --------------------------------------------------------------- TTabSheet

TTabSheet::TTabSheet(TComponent* AOwner) : TWinControl(AOwner) { FVisible = false; }

TTabSheet::~TTabSheet()
{
    Destroying();
    if (FPageControl) FPageControl->RemovePage(this);
}

void TTabSheet::SetPageControl(TPageControl* pc)
{
    if (pc == FPageControl) return;
    if (FPageControl) FPageControl->RemovePage(this);
    FPageControl = pc;
    SetParent(pc);
    if (pc) pc->InsertPage(this);
}

int TTabSheet::PageIndex() const
{
    if (!FPageControl) return -1;
    auto& v = FPageControl->FPages;
    auto it = std::find(v.begin(), v.end(), this);
    return it == v.end() ? -1 : int(it - v.begin());
}

void TTabSheet::TextChanged()
{
    if (FPageControl) FPageControl->RebuildTabs();
}

void TTabSheet::SetTabVisible(bool v)
{
    if (v == FTabVisible) return;
    FTabVisible = v;
    if (FPageControl) FPageControl->TabVisibleChanged(this);
}

bool TTabSheet::WidgetEvent(QObject* watched, QEvent* event)
{
    if (watched == FWidget && !event->spontaneous() && !IsDestroying()) {
        if (event->type() == QEvent::Show && OnShow) OnShow(this);
        if (event->type() == QEvent::Hide && OnHide) OnHide(this);
    }
    return TWinControl::WidgetEvent(watched, event);
}

// ------------------------------------------------------------ TPageControl

TPageControl::TPageControl(TComponent* AOwner) : TWinControl(AOwner)
{
    SetTabStop(true);
    FWidth = 289;
    FHeight = 193;
}

TPageControl::~TPageControl()
{
    Destroying();
    for (TTabSheet* p : FPages) p->FPageControl = nullptr;
    FPages.clear();
}

QWidget* TPageControl::CreateWidget(QWidget* parentWidget)
{
    auto* w = new QFrame(parentWidget);
    auto* bar = new QTabBar(w);
    bar->setDrawBase(true);
    bar->setExpanding(false);
    QObject::connect(bar, &QTabBar::currentChanged, bar, [this](int i) {
        if (i >= 0 && i < int(FTabPages.size()) && FTabPages[size_t(i)] != FActive)
            CallHandler(this, [&] { SetActivePageIndex(FTabPages[size_t(i)]); });
    });
    FTabBar = bar;
    return w;
}

void TPageControl::InitWidget()
{
    TWinControl::InitWidget();
    RebuildTabs();
}

void TPageControl::Resize()
{
    TWinControl::Resize();
    LayoutPages();
}

void TPageControl::InsertPage(TTabSheet* p)
{
    FPages.push_back(p);
    RebuildTabs();
    if (FActive < 0) SetActivePageIndex(0);
    LayoutPages();
}

void TPageControl::RemovePage(TTabSheet* p)
{
    auto it = std::find(FPages.begin(), FPages.end(), p);
    if (it == FPages.end()) return;
    int idx = int(it - FPages.begin());
    FPages.erase(it);
    if (IsDestroying()) return;
    if (FActive >= PageCount()) FActive = PageCount() - 1;
    else if (idx < FActive) --FActive;
    RebuildTabs();
    SetActivePageIndex(FActive);
}

TTabSheet* TPageControl::ActivePage() const
{
    return FActive >= 0 && FActive < PageCount() ? FPages[size_t(FActive)] : nullptr;
}

void TPageControl::SetActivePage(TTabSheet* p)
{
    auto it = std::find(FPages.begin(), FPages.end(), p);
    if (it != FPages.end()) SetActivePageIndex(int(it - FPages.begin()));
}

void TPageControl::SetActivePageIndex(int i)
{
    if (i < -1 || i >= PageCount()) return;
    FActive = i;
    for (int k = 0; k < PageCount(); ++k) FPages[size_t(k)]->SetVisible(k == i);
    const auto tab = std::find(FTabPages.begin(), FTabPages.end(), i);
    const int t = tab == FTabPages.end() ? -1 : int(tab - FTabPages.begin());
    if (FTabBar && FTabBar->currentIndex() != t) {
        const QSignalBlocker block(FTabBar);
        FTabBar->setCurrentIndex(t);
    }
}

TTabSheet* TPageControl::FindNextPage(TTabSheet* CurPage, bool GoForward) const
{
    const int n = PageCount();
    if (n == 0) return nullptr;
    auto at = std::find(FPages.begin(), FPages.end(), CurPage);
    int i = at == FPages.end() ? (GoForward ? n - 1 : 0) : int(at - FPages.begin());
    for (int k = 1; k <= n; ++k) {
        const int j = ((i + (GoForward ? k : -k)) % n + n) % n;
        TTabSheet* p = FPages[size_t(j)];
        if (p->TabVisible() && p->Enabled()) return p == CurPage ? nullptr : p;
    }
    return nullptr;
}

bool TPageControl::SelectNextPage(bool GoForward)
{
    TTabSheet* page = FindNextPage(ActivePage(), GoForward);
    if (!page) return false;
    TTabSheet* old = ActivePage();
    QWidget* focused = QApplication::focusWidget();
    const auto inside = [](TWinControl* c, QWidget* w) {
        return c && c->Widget() && w && (c->Widget() == w || c->Widget()->isAncestorOf(w));
    };
    const bool inPage = inside(old, focused);
    if (inPage && FTabBar) {
        // Leave the control first: its exit check may refuse, and the hidden
        // page would otherwise hand the focus wherever the toolkit likes.
        FTabBar->setFocus(Qt::OtherFocusReason);
        if (inside(old, QApplication::focusWidget())) return true;
    }
    SetActivePage(page);
    if (!inPage || !page->Widget()) return true;
    // The first control of the page that Tab would reach.
    QWidget* sheet = page->Widget();
    for (QWidget* w = sheet->nextInFocusChain(); w && w != sheet; w = w->nextInFocusChain()) {
        if (!sheet->isAncestorOf(w)) continue;
        if (w->isVisible() && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus) && !w->focusProxy()) {
            w->setFocus(Qt::TabFocusReason);
            break;
        }
    }
    return true;
}

void TPageControl::WndProc(TMessage& Message)
{
    if (Message.Msg == CM_DIALOGKEY) {
        const int dir = PageKeyDirection(WORD(Message.WParam), TShiftState::FromBits(Message.LParam));
        QWidget* focused = QApplication::focusWidget();
        if (dir != 0 && FWidget && focused && (focused == FWidget || FWidget->isAncestorOf(focused))) {
            // A page control inside one of the pages turns its own pages.
            TWinControl::WndProc(Message);
            if (Message.Result == 0) Message.Result = SelectNextPage(dir > 0) ? 1 : 0;
            return;
        }
    }
    TWinControl::WndProc(Message);
}

void TPageControl::TabVisibleChanged(TTabSheet* p)
{
    RebuildTabs();
    if (p->TabVisible() || p != ActivePage()) return;
    // The active sheet lost its tab: the next sheet with a tab takes over.
    for (int k = 1; k < PageCount(); ++k) {
        const int j = (FActive + k) % PageCount();
        if (FPages[size_t(j)]->TabVisible()) {
            SetActivePageIndex(j);
            return;
        }
    }
}

void TPageControl::RebuildTabs()
{
    if (!FTabBar || IsDestroying()) return;
    const QSignalBlocker block(FTabBar);
    FTabPages.clear();
    for (int k = 0; k < PageCount(); ++k)
        if (FPages[size_t(k)]->TabVisible()) FTabPages.push_back(k);
    const int tabs = int(FTabPages.size());
    while (FTabBar->count() > tabs) FTabBar->removeTab(FTabBar->count() - 1);
    while (FTabBar->count() < tabs) FTabBar->addTab(QString());
    int current = -1;
    for (int t = 0; t < tabs; ++t) {
        FTabBar->setTabText(t, FPages[size_t(FTabPages[size_t(t)])]->Caption());
        if (FTabPages[size_t(t)] == FActive) current = t;
    }
    FTabBar->setCurrentIndex(current);
    LayoutPages();
}

void TPageControl::LayoutPages()
{
    int tabH = FTabBar ? FTabBar->sizeHint().height() : 20;
    if (FTabBar) FTabBar->setGeometry(2, 0, std::max(FWidth - 4, 0), tabH);
    for (TTabSheet* p : FPages) p->SetBounds(4, tabH + 4, std::max(FWidth - 8, 0), std::max(FHeight - tabH - 8, 0));
}
