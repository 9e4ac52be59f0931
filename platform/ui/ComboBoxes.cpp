#include "platform/ui/ComboBoxes.h"
#include "platform/ui/EventBridge.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QApplication>
#include <QPainter>
#include <QPointer>
#include <QProxyStyle>
#include <QResizeEvent>
#include <QStyle>
#include <QStyleOptionFrame>

namespace {
// The application's style, except that a closed list drops down under its
// box (and so keeps to its number of visible rows).
class TDropDownListStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override
    {
        if (hint == SH_ComboBox_Popup) return 0;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};
}  // namespace

void DropListUnderBox(QComboBox* Box)
{
    // One style for every box; it goes with the application.
    static QPointer<QStyle> style;
    if (!style) {
        style = new TDropDownListStyle(QApplication::style()->name());
        style->setParent(qApp);
    }
    Box->setStyle(style);
}

namespace {
// The combo box's widget. In the simple style it is a plain entry line: the
// line edit covers the whole box inside an edit's frame, no arrow is drawn,
// and nothing drops down (neither by a click, Alt+Down, F4 nor the wheel).
class TQtComboBox : public QComboBox {
public:
    using QComboBox::QComboBox;
    bool Simple = false;

    void SetSimple(bool v)
    {
        if (v == Simple) return;
        Simple = v;
        PlaceEdit();
        update();
    }
    void showPopup() override
    {
        if (!Simple) QComboBox::showPopup();
    }

protected:
    void paintEvent(QPaintEvent* e) override
    {
        if (!Simple) {
            QComboBox::paintEvent(e);
            return;
        }
        QPainter p(this);
        QStyleOptionFrame opt;
        opt.initFrom(this);
        opt.rect = rect();
        opt.lineWidth = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &opt, this);
        opt.midLineWidth = 0;
        opt.state |= QStyle::State_Sunken;
        style()->drawPrimitive(QStyle::PE_PanelLineEdit, &opt, &p, this);
    }
    void resizeEvent(QResizeEvent* e) override
    {
        QComboBox::resizeEvent(e);
        PlaceEdit();
    }
    void keyPressEvent(QKeyEvent* e) override
    {
        if (Simple && (e->key() == Qt::Key_F4 || e->key() == Qt::Key_Up || e->key() == Qt::Key_Down ||
                       e->key() == Qt::Key_PageUp || e->key() == Qt::Key_PageDown)) {
            e->ignore();
            return;
        }
        QComboBox::keyPressEvent(e);
    }
    void wheelEvent(QWheelEvent* e) override
    {
        if (Simple) {
            e->ignore();
            return;
        }
        QComboBox::wheelEvent(e);
    }
    bool event(QEvent* e) override
    {
        const bool r = QComboBox::event(e);
        // The combo box lays its line edit out again on style and font changes.
        if (Simple && (e->type() == QEvent::StyleChange || e->type() == QEvent::FontChange ||
                       e->type() == QEvent::LayoutRequest))
            PlaceEdit();
        return r;
    }

private:
    void PlaceEdit()
    {
        QLineEdit* le = lineEdit();
        if (!le) return;
        if (Simple) {
            QStyleOptionFrame opt;
            opt.initFrom(this);
            const int fw = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &opt, this);
            le->setGeometry(rect().adjusted(fw + 1, fw, -fw - 1, -fw));
        } else {
            // Let the combo box place it beside its arrow again.
            QResizeEvent re(size(), size());
            QComboBox::resizeEvent(&re);
        }
    }
};
}  // namespace

TComboBox::TComboBox(TComponent* AOwner) : TWinControl(AOwner), FItems(new TStringList)
{
    SetTabStop(true);
    FWidth = 145;
    FHeight = 21;
    SetColor(clWindow);
    SetParentColor(false);
    FItems->OnChange = [this](TObject*) { ItemsChanged(); };
}

TComboBox::~TComboBox()
{
    FItems->OnChange = nullptr;
    delete FItems;
}

QComboBox* TComboBox::Combo() const { return qobject_cast<QComboBox*>(FWidget.data()); }

QWidget* TComboBox::CreateWidget(QWidget* parentWidget)
{
    auto* c = new TQtComboBox(parentWidget);
    DropListUnderBox(c);
    QObject::connect(c, qOverload<int>(&QComboBox::activated), Bridge(), [this](int i) {
        if (FSyncing) return;
        CallHandler(this, [&] { Select(i); });
    });
    return c;
}

void TComboBox::InitWidget()
{
    ApplyStyle();
    SyncWidget();
    TWinControl::InitWidget();
}

void TComboBox::ApplyStyle()
{
    QComboBox* c = Combo();
    if (!c) return;
    FSyncing = true;
    c->setEditable(Editable());
    if (auto* q = dynamic_cast<TQtComboBox*>(c)) q->SetSimple(FStyle == csSimple);
    c->setMaxVisibleItems(FDropDownCount > 0 ? FDropDownCount : 8);
    if (QLineEdit* e = c->lineEdit()) {
        WatchWidget(e);
        QObject::connect(e, &QLineEdit::textEdited, Bridge(), [this](const QString& t) {
            if (FSyncing) return;
            FSyncing = true;
            CallHandler(this, [&] { SetText(t); });
            FSyncing = false;
            if (OnChange) OnChange(this);
        });
    }
    FSyncing = false;
}

void TComboBox::SyncWidget()
{
    QComboBox* c = Combo();
    if (!c) return;
    FSyncing = true;
    c->clear();
    // The simple style has no list to show.
    if (FStyle != csSimple) c->addItems(FItems->ToStringList());
    if (Editable()) {
        c->setCurrentIndex(-1);
        c->setEditText(Text());
    } else {
        c->setCurrentIndex(FItemIndex);
    }
    FSyncing = false;
}

void TComboBox::SetStyle(TComboBoxStyle v)
{
    if (v == FStyle) return;
    FStyle = v;
    if (!Editable() && FItemIndex < 0) SetText(QString());
    ApplyStyle();
    SyncWidget();
}

void TComboBox::SetItemIndex(int v)
{
    if (v < -1 || v >= FItems->Count()) v = -1;
    FItemIndex = v;
    SetText(v >= 0 ? FItems->Strings(v) : QString());
    if (QComboBox* c = Combo(); c && !FSyncing) {
        FSyncing = true;
        if (FStyle != csSimple) c->setCurrentIndex(v);
        FSyncing = false;
    }
}

void TComboBox::SetDropDownCount(int v)
{
    FDropDownCount = v;
    if (QComboBox* c = Combo()) c->setMaxVisibleItems(v > 0 ? v : 8);
}

void TComboBox::Clear()
{
    FItems->Clear();
    FItemIndex = -1;
    SetText(QString());
}

void TComboBox::ItemsChanged()
{
    if (FItemIndex >= FItems->Count()) FItemIndex = -1;
    if (!Editable()) {
        const QString t = FItemIndex >= 0 ? FItems->Strings(FItemIndex) : QString();
        if (t != Text()) SetText(t);
    }
    SyncWidget();
}

void TComboBox::TextChanged()
{
    // Typed or set text selects the entry that has it in the list styles.
    if (!Editable()) {
        const int i = FItems->IndexOf(Text());
        if (i != FItemIndex && (FItemIndex < 0 || FItems->Strings(FItemIndex) != Text())) FItemIndex = i;
    }
    QComboBox* c = Combo();
    if (!c || FSyncing) return;
    FSyncing = true;
    if (Editable()) {
        if (c->currentText() != Text()) c->setEditText(Text());
    } else if (c->currentIndex() != FItemIndex) {
        c->setCurrentIndex(FItemIndex);
    }
    FSyncing = false;
}

void TComboBox::Select(int i)
{
    if (i < 0 || i >= FItems->Count()) return;
    SetItemIndex(i);
    if (OnSelect) OnSelect(this);
}

void TComboBox::TypeChar(QChar c)
{
    if (!Editable() || !Enabled()) return;
    if (OnKeyPress) OnKeyPress(this, c);
    if (c.isNull() || c == QLatin1Char('\r') || c == QLatin1Char('\x1b')) return;
    QString t = Text();
    if (c == QLatin1Char('\b'))
        t.chop(1);
    else
        t += c;
    SetText(t);
    if (OnChange) OnChange(this);
}

bool TComboBox::WidgetEvent(QObject* watched, QEvent* event)
{
    QComboBox* combo = Combo();
    // An entry line's keys arrive at the line itself or, while the combo box
    // has the focus (it is the line's focus proxy), at the combo box, which
    // hands them to the line without any filter seeing them there.
    QLineEdit* line = combo ? combo->lineEdit() : nullptr;
    if (event->type() == QEvent::KeyPress && line && (watched == line || watched == combo)) {
        auto* ke = static_cast<QKeyEvent*>(event);
        QChar c;
        if (ke->key() == Qt::Key_Return || ke->key() == Qt::Key_Enter)
            c = QLatin1Char('\r');
        else if (ke->key() == Qt::Key_Backspace)
            c = QLatin1Char('\b');
        else if (!ke->text().isEmpty() && ke->text()[0].isPrint())
            c = ke->text()[0];
        if (!c.isNull() && OnKeyPress) {
            const QChar orig = c;
            OnKeyPress(this, c);
            if (c.isNull()) return true;
            if (orig == QLatin1Char('\r')) return true;   // an entry line has nothing to do with Enter
            if (c != orig) {
                QKeyEvent repl(QEvent::KeyPress, c == QLatin1Char('\b') ? Qt::Key_Backspace : 0, ke->modifiers(),
                               c == QLatin1Char('\b') ? QString() : QString(c));
                line->removeEventFilter(Bridge());
                QCoreApplication::sendEvent(line, &repl);
                WatchWidget(line);
                return true;
            }
        }
    }
    return TWinControl::WidgetEvent(watched, event);
}
