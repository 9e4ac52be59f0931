#include "components/DBDateEdit.h"

#include <cmath>

#include "platform/ui/Forms.h"

TDBDateEdit::TDBDateEdit(TComponent* AOwner) : TCustomDateEdit(AOwner), TFieldControlLink(this)
{
    TCustomComboEdit::SetReadOnly(true);
    OnAcceptDate = [this](TObject* s, TDateTime& d, bool& a) { AcceptDate(s, d, a); };
    SetAlwaysEnable(true);
    UpdateMask();
}

void TDBDateEdit::ShowFieldText()
{
    FFormatting = true;
    TField* f = FDataLink.Field();
    if (f && !f->IsNull())
        SetDate(f->AsDateTime());
    else if (f)
        SetText(QString());
    else
        SetDate(NullDate);   // today with DefaultToday
    SetModified(false);
    FFormatting = false;
}

void TDBDateEdit::EditingChange()
{
    TCustomComboEdit::SetReadOnly(!FDataLink.Editing());
    TField* f = FDataLink.Field();
    if (FDataLink.Editing() && DefaultToday() && f && (f->IsNull() || f->AsDateTime() == NullDate))
        f->SetAsDateTime(Now());
}

void TDBDateEdit::UpdateData()
{
    CheckValidDate();
    TField* f = FDataLink.Field();
    if (!f) return;
    const TDateTime d = Date();
    if (d == NullDate || !TextStored()) {
        f->Clear();
    } else {
        const TDateTime old = f->IsNull() ? 0.0 : f->AsDateTime();
        f->SetAsDateTime(std::trunc(d) + (old - std::floor(old)));
    }
}

void TDBDateEdit::AcceptDate(TObject*, TDateTime& ADate, bool& Action)
{
    TDataSet* ds = FDataLink.DataSet();
    Action = ds && ds->CanModify() && FDataLink.Edit();
    if (!Action) return;
    TField* f = FDataLink.Field();
    if (!f) return;
    if (ADate == NullDate) {
        f->Clear();
    } else {
        const TDateTime old = f->IsNull() ? 0.0 : f->AsDateTime();
        f->SetAsDateTime(std::trunc(ADate) + (old - std::floor(old)));
    }
    TCustomMaskEdit::Change();
}

bool TDBDateEdit::CanPaste() { return DirectInput() && FDataLink.Edit(); }
bool TDBDateEdit::CanCut() { return DirectInput() && FDataLink.Edit(); }

void TDBDateEdit::Change()
{
    if (!FFormatting) FDataLink.SetModified();
    TCustomDateEdit::Change();
}

void TDBDateEdit::KeyDown(WORD& Key, TShiftState Shift)
{
    if (Key == VK_DELETE || (Key == VK_INSERT && Shift.Contains(ssShift)) ||
        ((Key == 'X' || Key == 'V') && Shift.Contains(ssCtrl)))
        FDataLink.Edit();
    TCustomDateEdit::KeyDown(Key, Shift);
}

void TDBDateEdit::KeyPress(QChar& Key)
{
    TCustomDateEdit::KeyPress(Key);
    if (Key.isNull()) return;
    if (Key.unicode() == 27) {
        FDataLink.Reset();
        ShowFieldText();
        SelectAll();
        Key = QChar();
        return;
    }
    if (Key == QLatin1Char('\b') || Key.isDigit()) {
        FDataLink.Edit();
    } else if (Key.isPrint() && FDataLink.Field() && Key != FormatSettings().DateSeparator) {
        MessageBeep();
        Key = QChar();
    }
}

void TDBDateEdit::DoExit()
{
    try {
        if (CheckOnExit()) CheckValidDate();
        FDataLink.UpdateRecord();
    } catch (...) {
        if (DirectInput()) SelectAll();
        if (CanFocus()) {
            try { SetFocus(); } catch (...) {}
        }
        Application->HandleException(this);
        return;
    }
    TCustomComboEdit::DoExit();
}

QString TDBDateEdit::CopyText() const
{
    TField* f = FDataLink.Field();
    if (f && !f->IsNull()) return FormatDateTime(DateFormat(), f->AsDateTime());
    QString m = DateFormat();
    for (QChar& c : m)
        if (QStringLiteral("DdMmYy").contains(c)) c = QLatin1Char(' ');
    return m.replace(QLatin1Char('/'), FormatSettings().DateSeparator);
}
