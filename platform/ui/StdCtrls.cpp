#include <QCoreApplication>
#include "platform/ui/StdCtrls.h"
#include "platform/ui/EventBridge.h"

#include <QApplication>
#include <QCheckBox>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <algorithm>

#include "platform/ui/Forms.h"
#include "platform/ui/PaintCtrls.h"

// ------------------------------------------------------------------ TLabel

TLabel::TLabel(TComponent* AOwner) : TControl(AOwner)
{
    FWidth = 65;
    FHeight = 13;
}

QWidget* TLabel::CreateWidget(QWidget* parentWidget) { return new QLabel(parentWidget); }

void TLabel::InitWidget()
{
    ApplyLook();   // wrapping first, so that the automatic size sees it
    TControl::InitWidget();
    ApplyLook();
}

void TLabel::ApplyLook()
{
    auto* l = qobject_cast<QLabel*>(FWidget.data());
    if (!l) return;
    l->setWordWrap(FWordWrap);
    Qt::Alignment a = Qt::AlignTop;
    a |= FAlignment == taCenter ? Qt::AlignHCenter : FAlignment == taRightJustify ? Qt::AlignRight : Qt::AlignLeft;
    l->setAlignment(a);
    l->setAutoFillBackground(!FTransparent && !ParentColor());
    if (FFocusControl && FFocusControl->Widget()) l->setBuddy(FFocusControl->Widget());
    l->setTextFormat(Qt::PlainText);
}

void TLabel::TextChanged()
{
    if (auto* l = qobject_cast<QLabel*>(FWidget.data())) {
        // With a buddy Qt reads "&x" as the accelerator; without one it shows
        // the text as given, so the ampersand is taken out here.
        QString t = Caption();
        t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        if (!FFocusControl || !FFocusControl->Widget()) {
            QString out;
            for (int i = 0; i < t.size(); ++i) {
                if (t[i] == QLatin1Char('&') && i + 1 < t.size()) ++i;
                out += t[i];
            }
            t = out;
        }
        l->setText(t);
    }
    DoAutoSize();
}

void TLabel::DoAutoSize()
{
    auto* l = qobject_cast<QLabel*>(FWidget.data());
    if (!FAutoSize || !l) return;
    QSize s = FWordWrap ? QSize(FWidth, l->heightForWidth(FWidth)) : l->sizeHint();
    SetBounds(FLeft, FTop, s.width(), s.height());
}

void TLabel::SetAutoSize(bool v)
{
    FAutoSize = v;
    DoAutoSize();
}

void TLabel::SetWordWrap(bool v)
{
    FWordWrap = v;
    ApplyLook();
    DoAutoSize();
}

void TLabel::SetTransparent(bool v)
{
    FTransparent = v;
    ApplyLook();
}

void TLabel::SetAlignment(TAlignment v)
{
    FAlignment = v;
    ApplyLook();
}

void TLabel::SetFocusControl(TWinControl* c)
{
    if (FFocusControl) FFocusControl->RemoveFreeNotification(this);
    FFocusControl = c;
    if (c) c->FreeNotification(this);
    ApplyLook();
    TextChanged();
}

void TLabel::Notification(TComponent* AComponent, TOperation Operation)
{
    if (Operation == opRemove && AComponent == FFocusControl) FFocusControl = nullptr;
    TControl::Notification(AComponent, Operation);
}

bool TLabel::WidgetEvent(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Show && watched == FWidget && FFocusControl && FFocusControl->Widget()) {
        // The control the accelerator focuses has its window now.
        ApplyLook();
        TextChanged();
    }
    if (event->type() == QEvent::FontChange || event->type() == QEvent::Show) {
        bool r = TControl::WidgetEvent(watched, event);
        if (watched == FWidget && FAutoSize && event->type() == QEvent::FontChange) DoAutoSize();
        return r;
    }
    if (event->type() == QEvent::MouseButtonRelease && watched == FWidget) Click();
    return TControl::WidgetEvent(watched, event);
}

// ------------------------------------------------------------- TCustomEdit

TCustomEdit::TCustomEdit(TComponent* AOwner) : TWinControl(AOwner)
{
    SetTabStop(true);
    FWidth = 121;
    FHeight = 21;
    SetColor(clWindow);
    SetParentColor(false);
}

void TCustomEdit::SetMaxLength(int v) { FMaxLength = v < 0 ? 0 : v; }
void TCustomEdit::SetReadOnly(bool v) { FReadOnly = v; }

bool TCustomEdit::FilterKey(QChar& c)
{
    KeyPress(c);
    return !c.isNull();
}

void TCustomEdit::KeyDown(WORD& Key, TShiftState Shift)
{
    if (OnKeyDown) OnKeyDown(this, Key, Shift);
}

void TCustomEdit::KeyPress(QChar& Key)
{
    if (OnKeyPress) OnKeyPress(this, Key);
}

void TCustomEdit::Change()
{
    if (OnChange) OnChange(this);
}

void TCustomEdit::TextFromWidget(const QString& t)
{
    if (FSyncing) return;
    FSyncing = true;
    SetText(t);
    FSyncing = false;
    Change();
}

bool TCustomEdit::DoKeyDown(WORD Key, TShiftState Shift)
{
    KeyDown(Key, Shift);
    return Key == 0;
}

bool TCustomEdit::WidgetEvent(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && watched == FWidget) {
        auto* ke = static_cast<QKeyEvent*>(event);
        const WORD vk = VirtualKeyOf(ke);
        if (vk && DoKeyDown(vk, ShiftStateOf(ke->modifiers()))) return true;
    }
    if (event->type() == QEvent::KeyPress && watched == FWidget) {
        auto* ke = static_cast<QKeyEvent*>(event);
        QChar c;
        if (ke->key() == Qt::Key_Backspace)
            c = QLatin1Char('\b');
        else if (ke->key() == Qt::Key_Escape)
            c = QChar(27);   // a character too, as the mask edits deliver it (a data memo resets on it)
        else if (!ke->text().isEmpty() && ke->text()[0].isPrint())
            c = ke->text()[0];
        if (!c.isNull()) {
            QChar orig = c;
            if (!FilterKey(c)) return true;
            if (c != orig) {
                // The handler put another character in place of the typed one.
                QKeyEvent repl(QEvent::KeyPress, c == QLatin1Char('\b') ? Qt::Key_Backspace : 0, ke->modifiers(),
                               c == QLatin1Char('\b') ? QString() : QString(c));
                FWidget->removeEventFilter(Bridge());
                QCoreApplication::sendEvent(FWidget, &repl);
                WatchWidget(FWidget);
                return true;
            }
        }
    }
    return TWinControl::WidgetEvent(watched, event);
}

// ------------------------------------------------------------------- TEdit

TEdit::TEdit(TComponent* AOwner) : TCustomEdit(AOwner) {}

QLineEdit* TEdit::Line() const { return qobject_cast<QLineEdit*>(FWidget.data()); }

QWidget* TEdit::CreateWidget(QWidget* parentWidget)
{
    auto* e = new QLineEdit(parentWidget);
    QObject::connect(e, &QLineEdit::textEdited, Bridge(), [this](const QString& t) { CallHandler(this, [&] { TextFromWidget(t); }); });
    return e;
}

// QLineEdit puts the cursor at the end whenever its length limit is set;
// the edit keeps it where it was (a text set by the program shows from its
// start).
static void SetLineMaxLength(QLineEdit* e, int maxLength)
{
    const int pos = e->cursorPosition();
    e->setMaxLength(maxLength > 0 ? maxLength : 32767);
    e->setCursorPosition(std::min(pos, int(e->text().size())));
}

void TEdit::InitWidget()
{
    TCustomEdit::InitWidget();
    if (QLineEdit* e = Line()) {
        SetLineMaxLength(e, FMaxLength);
        e->setEchoMode(FPasswordChar.isNull() ? QLineEdit::Normal : QLineEdit::Password);
        e->setReadOnly(FReadOnly);
    }
}

void TEdit::TextChanged()
{
    QLineEdit* e = Line();
    if (e && e->text() != Text()) {
        e->setText(Text());
        if (!FSyncing) e->setCursorPosition(0);   // a text set by the program shows from its start
    }
    // The edit keeps at most MaxLength characters, whoever sets the text.
    if (FMaxLength > 0 && Text().size() > FMaxLength) SetText(Text().left(FMaxLength));
    if (!FSyncing && !InitializingWidget()) Change();
}

void TEdit::SetPasswordChar(QChar c)
{
    FPasswordChar = c;
    if (QLineEdit* e = Line()) e->setEchoMode(c.isNull() ? QLineEdit::Normal : QLineEdit::Password);
}

void TEdit::SetMaxLength(int v)
{
    TCustomEdit::SetMaxLength(v);
    if (QLineEdit* e = Line()) SetLineMaxLength(e, FMaxLength);
    if (FMaxLength > 0 && Text().size() > FMaxLength) SetText(Text().left(FMaxLength));
}

void TEdit::SetReadOnly(bool v)
{
    TCustomEdit::SetReadOnly(v);
    if (QLineEdit* e = Line()) e->setReadOnly(v);
}

void TEdit::SelectAll()
{
    if (QLineEdit* e = Line()) e->selectAll();
}

QString TEdit::SelText() const
{
    QLineEdit* e = Line();
    return e ? e->selectedText() : QString();
}

void TEdit::TypeChar(QChar c)
{
    if (!FilterKey(c) || FReadOnly) return;
    QLineEdit* e = Line();
    if (!e) {
        QString t = Text();
        if (c == QLatin1Char('\b'))
            t.chop(1);
        else if (FMaxLength == 0 || t.size() < FMaxLength)
            t += c;
        TextFromWidget(t);
        return;
    }
    if (c == QLatin1Char('\b'))
        e->backspace();
    else
        e->insert(QString(c));
    TextFromWidget(e->text());
}

// ------------------------------------------------------------------- TMemo

TMemo::TMemo(TComponent* AOwner) : TCustomEdit(AOwner)
{
    FWidth = 185;
    FHeight = 89;
}

QPlainTextEdit* TMemo::Plain() const { return qobject_cast<QPlainTextEdit*>(FWidget.data()); }

static QString ToCrLf(QString s)
{
    s.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    s.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return s;
}

QWidget* TMemo::CreateWidget(QWidget* parentWidget)
{
    auto* e = new QPlainTextEdit(parentWidget);
    // No memo takes tabs: Tab and Shift+Tab move the focus on, as in every
    // other control, so the keyboard reaches the buttons after it.
    e->setTabChangesFocus(true);
    QObject::connect(e, &QPlainTextEdit::textChanged, Bridge(), [this, e] {
        CallHandler(this, [&] {
            QString t = ToCrLf(e->toPlainText());
            if (t != Text()) TextFromWidget(t);
        });
    });
    return e;
}

void TMemo::InitWidget()
{
    TCustomEdit::InitWidget();
    ApplyLook();
}

void TMemo::ApplyLook()
{
    QPlainTextEdit* e = Plain();
    if (!e) return;
    e->setReadOnly(FReadOnly);
    // A read-only memo still moves its cursor and selects with the keys.
    if (FReadOnly) e->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    e->setLineWrapMode(FWordWrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
    e->setVerticalScrollBarPolicy(FScrollBars == ssVertical || FScrollBars == ssBoth ? Qt::ScrollBarAlwaysOn
                                                                                    : Qt::ScrollBarAsNeeded);
    e->setHorizontalScrollBarPolicy(FScrollBars == ssHorizontal || FScrollBars == ssBoth ? Qt::ScrollBarAlwaysOn
                                                                                        : Qt::ScrollBarAsNeeded);
}

void TMemo::TextChanged()
{
    QPlainTextEdit* e = Plain();
    QString crlf = ToCrLf(Text());
    if (crlf != Text()) {
        SetText(crlf);
        return;
    }
    if (e && ToCrLf(e->toPlainText()) != Text()) {
        FSyncing = true;
        QString plain = Text();
        plain.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        e->setPlainText(plain);
        FSyncing = false;
    }
    if (!FSyncing && !InitializingWidget()) Change();
}

void TMemo::SetScrollBars(TScrollStyle v)
{
    FScrollBars = v;
    ApplyLook();
}

void TMemo::SetWordWrap(bool v)
{
    FWordWrap = v;
    ApplyLook();
}

void TMemo::SetReadOnly(bool v)
{
    TCustomEdit::SetReadOnly(v);
    ApplyLook();
}

void TMemo::SelectAll()
{
    if (QPlainTextEdit* e = Plain()) e->selectAll();
}

void TMemo::TypeChar(QChar c)
{
    if (!FilterKey(c) || FReadOnly) return;
    QPlainTextEdit* e = Plain();
    if (!e) {
        QString t = Text();
        if (c == QLatin1Char('\b'))
            t.chop(1);
        else
            t += c == QLatin1Char('\r') ? QStringLiteral("\r\n") : QString(c);
        TextFromWidget(t);
        return;
    }
    QTextCursor cur = e->textCursor();
    if (c == QLatin1Char('\b'))
        cur.deletePreviousChar();
    else
        cur.insertText(c == QLatin1Char('\r') ? QStringLiteral("\n") : QString(c));
    e->setTextCursor(cur);
}

// ----------------------------------------------------------------- TButton

TButton::TButton(TComponent* AOwner) : TWinControl(AOwner)
{
    SetTabStop(true);
    FWidth = 75;
    FHeight = 25;
}

QWidget* TButton::CreateWidget(QWidget* parentWidget)
{
    auto* b = new QPushButton(parentWidget);
    b->setAutoDefault(false);
    QObject::connect(b, &QPushButton::clicked, Bridge(), [this] { CallHandler(this, [this] { Click(); }); });
    return b;
}

void TButton::InitWidget()
{
    TWinControl::InitWidget();
    if (auto* b = qobject_cast<QPushButton*>(FWidget.data())) b->setDefault(FDefault);
}

void TButton::TextChanged()
{
    if (auto* b = qobject_cast<QPushButton*>(FWidget.data())) b->setText(Caption());
}

void TButton::SetDefault(bool v)
{
    FDefault = v;
    if (auto* b = qobject_cast<QPushButton*>(FWidget.data())) b->setDefault(v);
}

void TButton::SetCancel(bool v)
{
    FCancel = v;
    if (FWidget) FWidget->setFocusPolicy(FocusPolicy());
}

void TButton::Click()
{
    TWinControl::Click();
    if (FModalResult != 0)
        if (TForm* f = GetParentForm(this)) f->SetModalResult(FModalResult);
}

void TButton::WndProc(TMessage& Message)
{
    if (Message.Msg == CM_DIALOGKEY) {
        // The form's dialog key: Enter for the default button, Esc for the
        // cancel button, without a shift key, while the button can be pressed.
        const WORD key = WORD(Message.WParam);
        const bool mine = (key == VK_RETURN && FDefault) || (key == VK_ESCAPE && FCancel);
        if (mine && TShiftState::FromBits(quint64(Message.LParam)).Empty() && CanFocus()) {
            Click();
            Message.Result = 1;
        }
        return;
    }
    TWinControl::WndProc(Message);
}

bool TButton::WidgetEvent(QObject* watched, QEvent* event)
{
    if (watched == FWidget && event->type() == QEvent::MouseButtonPress && TakesClickFocus()) {
        // The press gave the button the focus before it came here; when the
        // control the user was in refused to be left (its exit check failed)
        // and took the focus back, the press goes no further, so the button
        // does not act past the refusal.
        QWidget* now = QApplication::focusWidget();
        if (now && now != FWidget && now->window() == FWidget->window()) return true;
    }
    if (watched == FWidget && event->type() == QEvent::KeyPress) {
        auto* ke = static_cast<QKeyEvent*>(event);
        if (ke->key() == Qt::Key_Return || ke->key() == Qt::Key_Enter) {
            Click();
            return true;
        }
    }
    return TWinControl::WidgetEvent(watched, event);
}

// --------------------------------------------------------------- TCheckBox

TCheckBox::TCheckBox(TComponent* AOwner) : TWinControl(AOwner)
{
    SetTabStop(true);
    FWidth = 97;
    FHeight = 17;
}

QWidget* TCheckBox::CreateWidget(QWidget* parentWidget)
{
    auto* b = new QCheckBox(parentWidget);
    QObject::connect(b, &QCheckBox::clicked, Bridge(), [this](bool on) {
        FChecked = on;
        if (!FClicksDisabled) CallHandler(this, [this] { TWinControl::Click(); });
    });
    return b;
}

void TCheckBox::InitWidget()
{
    TWinControl::InitWidget();
    if (auto* b = qobject_cast<QCheckBox*>(FWidget.data())) b->setChecked(FChecked);
}

void TCheckBox::TextChanged()
{
    if (auto* b = qobject_cast<QCheckBox*>(FWidget.data())) b->setText(Caption());
}

void TCheckBox::SetChecked(bool v)
{
    if (v == FChecked) return;
    FChecked = v;
    if (auto* b = qobject_cast<QCheckBox*>(FWidget.data())) b->setChecked(v);
    if (!FClicksDisabled) TWinControl::Click();
}

void TCheckBox::SetCheckedWithoutClick(bool v)
{
    const bool was = FClicksDisabled;
    FClicksDisabled = true;
    SetChecked(v);
    FClicksDisabled = was;
}

void TCheckBox::Click() { SetChecked(!FChecked); }
