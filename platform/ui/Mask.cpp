#include "platform/ui/Mask.h"
#include "platform/ui/EventBridge.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>

#include "platform/core/DateTime.h"

TCustomMaskEdit::TCustomMaskEdit(TComponent* AOwner) : TWinControl(AOwner)
{
    SetBounds(0, 0, 121, 21);
    SetTabStop(true);
    SetColor(clWindow);
    SetParentColor(false);
}

QLineEdit* TCustomMaskEdit::LineEdit() const { return qobject_cast<QLineEdit*>(FWidget.data()); }

QString TCustomMaskEdit::QtMask(const QString& mask)
{
    if (mask.isEmpty()) return QString();
    const QStringList parts = mask.split(QLatin1Char(';'));
    const QString m = parts.value(0);
    QChar blank = QLatin1Char(' ');
    if (parts.size() > 2 && !parts[2].isEmpty()) blank = parts[2][0];
    const QString dateSep = FormatSettings().DateSeparator;
    QString out;
    for (int i = 0; i < m.size(); ++i) {
        const QChar c = m[i];
        switch (c.unicode()) {
        case '!': case '>': case '<': break;
        case '9': out += QLatin1Char('0'); break;    // optional digit
        case '0': out += QLatin1Char('9'); break;    // required digit
        case '#': out += QLatin1Char('#'); break;
        case 'L': out += QLatin1Char('A'); break;
        case 'l': out += QLatin1Char('a'); break;
        case 'A': out += QLatin1Char('N'); break;
        case 'a': out += QLatin1Char('n'); break;
        case 'C': out += QLatin1Char('X'); break;
        case 'c': out += QLatin1Char('x'); break;
        case '/': out += QLatin1Char('\\') + dateSep; break;
        case ':': out += QStringLiteral("\\:"); break;
        case '\\':
            if (i + 1 < m.size()) out += QLatin1Char('\\') + m[++i];
            break;
        default:
            if (QStringLiteral("AaNnXx90Dd#HhBb><!{}[]\\").contains(c)) out += QLatin1Char('\\');
            out += c;
        }
    }
    return out + QLatin1Char(';') + blank;
}

QWidget* TCustomMaskEdit::CreateWidget(QWidget* parentWidget)
{
    auto* e = new QLineEdit(parentWidget);
    e->setContextMenuPolicy(Qt::NoContextMenu);
    QObject::connect(e, &QLineEdit::textChanged, Bridge(), [this](const QString&) { CallHandler(this, [this] { SyncFromWidget(); }); });
    return e;
}

void TCustomMaskEdit::InitWidget()
{
    TWinControl::InitWidget();
    if (QLineEdit* e = LineEdit()) {
        FSyncing = true;
        e->setInputMask(QtMask(FEditMask));
        e->setText(Text());
        e->setReadOnly(FWindowReadOnly);
        if (FMaxLength > 0) e->setMaxLength(FMaxLength);
        e->setTextMargins(0, 0, FRightMargin, 0);
        // What the mask makes of the text (an empty date shows its
        // separators) is kept without an announcement: making the window
        // changes nothing.
        const QString shown = FEditMask.isEmpty() ? e->text() : e->displayText();
        if (shown != Text()) SetText(shown);
        FSyncing = false;
        SetEditAlignment(FEditAlignment);
        ColorChanged();
    }
}

void TCustomMaskEdit::ColorChanged()
{
    QLineEdit* e = LineEdit();
    const QColor c = ColorToQColor(Color());
    if (!e || !c.isValid()) return;
    QPalette p = e->palette();
    p.setColor(QPalette::Base, c);
    e->setPalette(p);
}

void TCustomMaskEdit::SyncFromWidget()
{
    QLineEdit* e = LineEdit();
    if (!e || FSyncing) return;
    const QString t = FEditMask.isEmpty() ? e->text() : e->displayText();
    if (t == Text()) return;
    FSyncing = true;
    SetText(t);
    FSyncing = false;
    FModified = true;
    Change();
}

void TCustomMaskEdit::TextChanged()
{
    TWinControl::TextChanged();
    if (FSyncing) return;
    QLineEdit* e = LineEdit();
    if (e) {
        FSyncing = true;
        e->setText(Text());
        e->setCursorPosition(0);   // a text set by the program shows from its start
        FSyncing = false;
        const QString shown = FEditMask.isEmpty() ? e->text() : e->displayText();
        if (shown != Text()) {
            // The mask shaped the text: keep what the edit shows.
            FSyncing = true;
            SetText(shown);
            FSyncing = false;
        }
    }
    if (!InitializingWidget()) Change();
}

void TCustomMaskEdit::SetEditMask(const QString& v)
{
    if (v == FEditMask) return;
    FEditMask = v;
    if (QLineEdit* e = LineEdit()) {
        FSyncing = true;
        const QString keep = Text();
        e->setInputMask(QtMask(v));
        e->setText(keep);
        FSyncing = false;
        const QString shown = v.isEmpty() ? e->text() : e->displayText();
        if (shown != Text()) {
            FSyncing = true;
            SetText(shown);
            FSyncing = false;
        }
    }
}

void TCustomMaskEdit::SetReadOnly(bool v)
{
    FReadOnly = v;
    SetWindowReadOnly(v);
}

void TCustomMaskEdit::SetWindowReadOnly(bool v)
{
    FWindowReadOnly = v;
    if (QLineEdit* e = LineEdit()) e->setReadOnly(v);
}

void TCustomMaskEdit::SetMaxLength(int v)
{
    FMaxLength = std::max(v, 0);
    if (QLineEdit* e = LineEdit()) e->setMaxLength(FMaxLength > 0 ? FMaxLength : 32767);
}

void TCustomMaskEdit::SetRightMargin(int px)
{
    FRightMargin = px;
    if (QLineEdit* e = LineEdit()) e->setTextMargins(0, 0, px, 0);
}

void TCustomMaskEdit::SetEditAlignment(TAlignment v)
{
    FEditAlignment = v;
    if (QLineEdit* e = LineEdit())
        e->setAlignment(v == taRightJustify ? Qt::AlignRight : v == taCenter ? Qt::AlignHCenter : Qt::AlignLeft);
}

void TCustomMaskEdit::SetCaretVisible(bool v)
{
    FCaretHidden = !v;
    if (QLineEdit* e = LineEdit()) e->setCursorMoveStyle(Qt::LogicalMoveStyle);
}

void TCustomMaskEdit::SelectAll()
{
    if (QLineEdit* e = LineEdit()) e->selectAll();
}

int TCustomMaskEdit::SelStart() const
{
    QLineEdit* e = LineEdit();
    if (!e) return 0;
    return e->hasSelectedText() ? e->selectionStart() : e->cursorPosition();
}

void TCustomMaskEdit::SetSelStart(int v)
{
    if (QLineEdit* e = LineEdit()) e->setCursorPosition(v);
}

int TCustomMaskEdit::SelLength() const
{
    QLineEdit* e = LineEdit();
    return e ? int(e->selectedText().size()) : 0;
}

QString TCustomMaskEdit::SelText() const
{
    QLineEdit* e = LineEdit();
    return e ? e->selectedText() : QString();
}

void TCustomMaskEdit::Change()
{
    if (OnChange) OnChange(this);
}

void TCustomMaskEdit::KeyDown(WORD& Key, TShiftState Shift)
{
    if (OnKeyDown) OnKeyDown(this, Key, Shift);
}

void TCustomMaskEdit::KeyPress(QChar& Key)
{
    if (OnKeyPress) OnKeyPress(this, Key);
}

void TCustomMaskEdit::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
}

void TCustomMaskEdit::DoEnter()
{
    TWinControl::DoEnter();
    if (FAutoSelect && !(QApplication::mouseButtons() & Qt::LeftButton)) SelectAll();
}

bool TCustomMaskEdit::WidgetEvent(QObject* watched, QEvent* event)
{
    if (watched == FWidget) {
        if (event->type() == QEvent::KeyPress) {
            auto* ke = static_cast<QKeyEvent*>(event);
            WORD vk = VirtualKeyOf(ke);
            const TShiftState shift = ShiftStateOf(ke->modifiers());
            const bool paste = (vk == 'V' && shift.Contains(ssCtrl)) || (vk == VK_INSERT && shift.Contains(ssShift));
            const bool cut = (vk == 'X' && shift.Contains(ssCtrl)) || (vk == VK_DELETE && shift.Contains(ssShift));
            if (vk) {
                KeyDown(vk, shift);
                if (vk == 0) return true;
            }
            if ((paste && !CanPaste()) || (cut && !CanCut())) return true;
            QChar ch = KeyCharOf(ke);
            if (!ch.isNull() && !shift.Contains(ssCtrl)) {
                const QChar orig = ch;
                KeyPress(ch);
                if (ch.isNull()) return true;
                if (ch == QLatin1Char('\r') || ch.unicode() == 27) return false;
                if (ch != orig) {
                    if (QLineEdit* e = LineEdit(); e && !FWindowReadOnly) e->insert(QString(ch));
                    return true;
                }
            }
        } else if (event->type() == QEvent::MouseButtonPress) {
            auto* me = static_cast<QMouseEvent*>(event);
            bool dropped = false;
            const TMouseButton b = me->button() == Qt::RightButton ? mbRight : me->button() == Qt::MiddleButton ? mbMiddle : mbLeft;
            FFocusDropGuard = &dropped;
            MouseDown(b, ShiftStateOf(me->modifiers(), me->buttons()), int(me->position().x()), int(me->position().y()));
            FFocusDropGuard = nullptr;
            if (dropped) return true;
        }
    }
    return TWinControl::WidgetEvent(watched, event);
}

void TCustomMaskEdit::TypeKey(WORD vk, TShiftState shift, QChar ch)
{
    HandleNeeded();
    QLineEdit* e = LineEdit();
    if (!e) return;
    Qt::KeyboardModifiers m;
    if (shift.Contains(ssShift)) m |= Qt::ShiftModifier;
    if (shift.Contains(ssCtrl)) m |= Qt::ControlModifier;
    if (shift.Contains(ssAlt)) m |= Qt::AltModifier;
    int qk = 0;
    if (vk >= 'A' && vk <= 'Z') qk = Qt::Key_A + (vk - 'A');
    else if (vk >= '0' && vk <= '9') qk = Qt::Key_0 + (vk - '0');
    else if (vk >= VK_F1 && vk <= VK_F12) qk = Qt::Key_F1 + (vk - VK_F1);
    else if (vk == VK_ADD) { qk = Qt::Key_Plus; m |= Qt::KeypadModifier; }
    else if (vk == VK_SUBTRACT) { qk = Qt::Key_Minus; m |= Qt::KeypadModifier; }
    else switch (vk) {
        case VK_BACK: qk = Qt::Key_Backspace; break;
        case VK_RETURN: qk = Qt::Key_Return; break;
        case VK_ESCAPE: qk = Qt::Key_Escape; break;
        case VK_PRIOR: qk = Qt::Key_PageUp; break;
        case VK_NEXT: qk = Qt::Key_PageDown; break;
        case VK_LEFT: qk = Qt::Key_Left; break;
        case VK_RIGHT: qk = Qt::Key_Right; break;
        case VK_UP: qk = Qt::Key_Up; break;
        case VK_DOWN: qk = Qt::Key_Down; break;
        case VK_DELETE: qk = Qt::Key_Delete; break;
        case VK_INSERT: qk = Qt::Key_Insert; break;
        case VK_HOME: qk = Qt::Key_Home; break;
        case VK_END: qk = Qt::Key_End; break;
        case VK_SPACE: qk = Qt::Key_Space; break;
        default: break;
    }
    if (qk == 0 && !ch.isNull()) qk = ch.toUpper().unicode();
    QString text = ch.isNull() ? QString() : QString(ch);
    QKeyEvent press(QEvent::KeyPress, qk, m, text);
    QApplication::sendEvent(e, &press);
    QKeyEvent release(QEvent::KeyRelease, qk, m, text);
    QApplication::sendEvent(e, &release);
}

void TCustomMaskEdit::TypeText(const QString& s)
{
    for (QChar c : s) {
        WORD vk = 0;
        if (c.isDigit()) vk = WORD(c.unicode());
        else if (c.unicode() < 128 && c.isLetter()) vk = WORD(c.toUpper().unicode());
        TypeKey(vk, {}, c);
    }
}
