// The field classes: values of the dataset's active record, their conversions
// and their texts.
#include <QDateTime>
#include <cmath>

#include "platform/db/DBImpl.h"

// ================================================================ helpers

namespace dbimpl {

bool VariantToNumber(const Variant& v, double& out)
{
    if (VarIsNull(v)) return false;
    switch (v.typeId()) {
    case QMetaType::Bool: out = v.toBool() ? 1 : 0; return true;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Short:
    case QMetaType::UShort:
        out = v.toDouble();
        return true;
    case QMetaType::QDateTime: out = QDateTimeToDateTime(v.toDateTime()); return true;
    case QMetaType::QDate: out = QDateToDateTime(v.toDate()); return true;
    default: {
        QString s = v.toString().trimmed();
        bool ok = false;
        out = s.toDouble(&ok);
        if (ok) return true;
        return TryStrToFloat(s, out);
    }
    }
}

bool VariantToDateTime(const Variant& v, TDateTime& out)
{
    if (VarIsNull(v)) return false;
    switch (v.typeId()) {
    case QMetaType::QDateTime: out = QDateTimeToDateTime(v.toDateTime()); return true;
    case QMetaType::QDate: out = QDateToDateTime(v.toDate()); return true;
    case QMetaType::QString:
    case QMetaType::QByteArray: {
        QString s = v.toString().trimmed();
        if (TryStrToDateTime(s, out)) return true;
        QDateTime dt = QDateTime::fromString(s, Qt::ISODateWithMs);
        if (!dt.isValid()) dt = QDateTime::fromString(s, Qt::ISODate);
        if (!dt.isValid()) {
            QDate d = QDate::fromString(s, Qt::ISODate);
            if (d.isValid()) { out = QDateToDateTime(d); return true; }
        }
        if (dt.isValid()) { out = QDateTimeToDateTime(dt); return true; }
        bool ok = false;
        out = s.toDouble(&ok);
        return ok;
    }
    default: return VariantToNumber(v, out);
    }
}

bool TextToBoolean(const QString& s, bool& out)
{
    const QString t = s.trimmed();
    static const char* yes[] = {"true", "yes", "on", "1", "-1"};
    static const char* no[] = {"false", "no", "off", "0"};
    for (const char* y : yes)
        if (t.compare(QLatin1String(y), Qt::CaseInsensitive) == 0) { out = true; return true; }
    for (const char* n : no)
        if (t.compare(QLatin1String(n), Qt::CaseInsensitive) == 0) { out = false; return true; }
    if (t.compare(QStringLiteral("да"), Qt::CaseInsensitive) == 0) { out = true; return true; }
    if (t.compare(QStringLiteral("нет"), Qt::CaseInsensitive) == 0) { out = false; return true; }
    return false;
}

bool IsNumericType(TFieldType t)
{
    switch (t) {
    case ftSmallint: case ftInteger: case ftWord: case ftFloat: case ftCurrency: case ftBCD:
    case ftAutoInc: case ftLargeint: case ftFMTBcd:
        return true;
    default: return false;
    }
}

bool IsTextType(TFieldType t)
{
    switch (t) {
    case ftString: case ftWideString: case ftFixedChar: case ftFixedWideChar: case ftGuid:
    case ftMemo: case ftFmtMemo: case ftWideMemo: case ftUnknown: case ftVariant:
        return true;
    default: return false;
    }
}

QString FoldText(QString s)
{
    QString f = std::move(s).toCaseFolded();
    // "ё" sorts and compares with "е" in Russian text.
    if (f.contains(QChar(0x0451))) f.replace(QChar(0x0451), QChar(0x0435));
    return f;
}

}  // namespace dbimpl

namespace {

QString GenericText(const Variant& v)
{
    if (VarIsNull(v)) return QString();
    switch (v.typeId()) {
    case QMetaType::Bool: return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case QMetaType::Double:
    case QMetaType::Float: return FloatToStr(v.toDouble());
    case QMetaType::QDateTime: return DateTimeToStr(QDateTimeToDateTime(v.toDateTime()));
    case QMetaType::QDate: return DateToStr(QDateToDateTime(v.toDate()));
    default: return v.toString();
    }
}

}  // namespace

// ================================================================= TField

TField::TField(TComponent* AOwner) : TComponent(AOwner) {}

TField::~TField()
{
    Destroying();
    if (FLookupDataSet) FLookupDataSet->RemoveFreeNotification(this);
    if (FDataSet) {
        TDataSet* ds = FDataSet;
        FDataSet = nullptr;
        ds->RemoveField(this);
    }
}

void TField::Notification(TComponent* AComponent, TOperation Operation)
{
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FLookupDataSet) FLookupDataSet = nullptr;
}

void TField::SetDataSet(TDataSet* ds)
{
    if (ds == FDataSet) return;
    if ((ds && ds->Active()) || (FDataSet && FDataSet->Active()))
        throw EDatabaseError(QStringLiteral("Cannot perform this operation on an open dataset"));
    if (FDataSet) FDataSet->RemoveField(this);
    FDataSet = ds;
    if (ds) ds->AddField(this);
}

void TField::SetFieldName(const QString& n)
{
    if (FDataSet && FDataSet->Active() && !FDefault)
        throw EDatabaseError(QStringLiteral("Cannot perform this operation on an open dataset"));
    FFieldName = n;
}

void TField::SetFieldKind(TFieldKind k)
{
    if (k == FFieldKind) return;
    if (FDataSet && FDataSet->Active())
        throw EDatabaseError(QStringLiteral("Cannot perform this operation on an open dataset"));
    FFieldKind = k;
    if (FDataSet) FDataSet->CheckCalcSlots();
}

void TField::PropertyChanged(bool layout)
{
    if (FDataSet && FDataSet->Active()) FDataSet->DataEvent(layout ? deLayoutChange : deDataSetChange);
}

void TField::SetDisplayLabel(const QString& s)
{
    FDisplayLabel = s;
    PropertyChanged(true);
}

void TField::SetDisplayWidth(int w)
{
    FDisplayWidth = w;
    PropertyChanged(true);
}

void TField::SetVisible(bool v)
{
    if (v == FVisible) return;
    FVisible = v;
    PropertyChanged(true);
}

int TField::Index() const
{
    if (!FDataSet) return -1;
    const auto& l = FDataSet->FFields;
    auto it = std::find(l.begin(), l.end(), this);
    return it == l.end() ? -1 : int(it - l.begin());
}

void TField::SetIndex(int i)
{
    if (!FDataSet) return;
    auto& l = FDataSet->FFields;
    int cur = Index();
    if (cur < 0) return;
    i = std::clamp(i, 0, int(l.size()) - 1);
    if (i == cur) return;
    l.erase(l.begin() + cur);
    l.insert(l.begin() + i, this);
    FDataSet->CheckCalcSlots();
    PropertyChanged(true);
}

void TField::SetLookupDataSet(TDataSet* ds)
{
    if (ds == FLookupDataSet) return;
    if (ds == FDataSet && ds) throw EDatabaseError(QStringLiteral("Circular datalinks are not allowed"));
    if (FLookupDataSet) FLookupDataSet->RemoveFreeNotification(this);
    FLookupDataSet = ds;
    if (ds) ds->FreeNotification(this);
    LookupChanged();
}

void TField::LookupChanged()
{
    if (FDataSet) FDataSet->ClearCalcCache();
}

bool TField::CanModify() const
{
    if (FReadOnly || !FDataSet) return false;
    if (Calculated()) return false;
    return FDataSet->CanModify();
}

void TField::FocusControl()
{
    if (FDataSet && FDataSet->Active()) FDataSet->DataEvent(deFocusControl, this);
}

Variant TField::Value() const
{
    if (!FDataSet) return VarNull();
    return FDataSet->ReadField(this);
}

void TField::SetValue(const Variant& v)
{
    if (!FDataSet) throw EDatabaseError(QStringLiteral("Field '%1' has no dataset").arg(DisplayName()));
    FDataSet->WriteField(this, v);
}

Variant TField::OldValue() const
{
    if (!FDataSet || !FDataSet->Active()) return VarNull();
    if (FDataSet->FState == dsInsert) return VarNull();
    if (FDataSet->FState == dsEdit && FFieldKind == fkData && FColumn >= 0 &&
        FColumn < int(FDataSet->FBuf.old.size()))
        return FDataSet->FBuf.old[size_t(FColumn)];
    return Value();
}

bool TField::IsNull() const { return VarIsNull(Value()); }

void TField::ConvertError(const QString& what, const QString& text) const
{
    throw EConvertError(QStringLiteral("'%1' is not a valid %2 value for field '%3'").arg(text, what, DisplayName()));
}

QString TField::FormatText(const Variant& v, bool) const { return GenericText(v); }

Variant TField::ParseText(const QString& s) const { return s; }

QString TField::AsString() const { return FormatText(Value(), false); }

void TField::SetAsString(const QString& s) { SetValue(ParseText(s)); }

int TField::AsInteger() const
{
    Variant v = Value();
    if (VarIsNull(v)) return 0;
    if (v.typeId() == QMetaType::QString) {
        int r;
        if (!TryStrToInt(v.toString(), r)) ConvertError(QStringLiteral("integer"), v.toString());
        return r;
    }
    double d;
    if (!dbimpl::VariantToNumber(v, d)) ConvertError(QStringLiteral("integer"), v.toString());
    return int(std::llround(d));
}

void TField::SetAsInteger(int v) { SetValue(v); }

double TField::AsFloat() const
{
    Variant v = Value();
    if (VarIsNull(v)) return 0;
    double d;
    if (!dbimpl::VariantToNumber(v, d)) ConvertError(QStringLiteral("floating point"), v.toString());
    return d;
}

void TField::SetAsFloat(double v) { SetValue(v); }

TDateTime TField::AsDateTime() const
{
    Variant v = Value();
    if (VarIsNull(v)) return 0;
    TDateTime d;
    if (!dbimpl::VariantToDateTime(v, d)) ConvertError(QStringLiteral("date and time"), v.toString());
    return d;
}

void TField::SetAsDateTime(TDateTime v) { SetValue(v); }

bool TField::AsBoolean() const
{
    Variant v = Value();
    if (VarIsNull(v)) return false;
    if (v.typeId() == QMetaType::Bool) return v.toBool();
    double d;
    if (v.typeId() != QMetaType::QString && dbimpl::VariantToNumber(v, d)) return d != 0;
    bool b;
    if (!dbimpl::TextToBoolean(v.toString(), b)) ConvertError(QStringLiteral("boolean"), v.toString());
    return b;
}

void TField::SetAsBoolean(bool v) { SetValue(v); }

QString TField::DisplayText() const
{
    if (OnGetText) {
        QString t;
        OnGetText(const_cast<TField*>(this), t, true);
        return t;
    }
    return FormatText(Value(), true);
}

QString TField::Text() const
{
    if (OnGetText) {
        QString t;
        OnGetText(const_cast<TField*>(this), t, false);
        return t;
    }
    return FormatText(Value(), false);
}

void TField::SetText(const QString& s)
{
    if (OnSetText) OnSetText(this, s);
    else SetAsString(s);
}

// ============================================================ text fields

TStringField::TStringField(TComponent* AOwner) : TField(AOwner)
{
    FDataType = ftString;
    FSize = 20;
}

Variant TStringField::Normalize(const Variant& v) const
{
    if (v.typeId() == QMetaType::QString) return v;
    return GenericText(v);
}

TWideStringField::TWideStringField(TComponent* AOwner) : TStringField(AOwner) { FDataType = ftWideString; }

TGuidField::TGuidField(TComponent* AOwner) : TStringField(AOwner)
{
    FDataType = ftGuid;
    FSize = 38;
    FFixedChar = true;
}

// ========================================================= numeric fields

void TNumericField::SetDisplayFormat(const QString& f)
{
    FDisplayFormat = f;
    PropertyChanged(false);
}

QString TNumericField::FormatText(const Variant& v, bool displayText) const
{
    if (VarIsNull(v)) return QString();
    double d;
    if (!dbimpl::VariantToNumber(v, d)) return v.toString();
    const QString& fmt = displayText ? FDisplayFormat : FEditFormat;
    if (!fmt.isEmpty()) return FormatFloat(fmt, d);
    if (FDataType == ftSmallint || FDataType == ftInteger || FDataType == ftWord || FDataType == ftAutoInc ||
        FDataType == ftLargeint)
        return QString::number(qint64(std::llround(d)));
    return FloatToStr(d);
}

QString TNumericField::AsString() const
{
    Variant v = Value();
    if (VarIsNull(v)) return QString();
    double d;
    if (!dbimpl::VariantToNumber(v, d)) return v.toString();
    if (FDataType == ftSmallint || FDataType == ftInteger || FDataType == ftWord || FDataType == ftAutoInc ||
        FDataType == ftLargeint)
        return QString::number(qint64(std::llround(d)));
    return FloatToStr(d);
}

bool TNumericField::IsValidChar(QChar c) const
{
    return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('+') || c == QLatin1Char('-');
}

TIntegerField::TIntegerField(TComponent* AOwner) : TNumericField(AOwner) { FDataType = ftInteger; }

Variant TIntegerField::Normalize(const Variant& v) const
{
    qint64 r;
    if (v.typeId() == QMetaType::QString) {
        QString s = v.toString().trimmed();
        bool ok = false;
        r = s.toLongLong(&ok);
        if (!ok) {
            int i;
            if (!TryStrToInt(s, i)) ConvertError(QStringLiteral("integer"), s);
            r = i;
        }
    } else {
        double d;
        if (!dbimpl::VariantToNumber(v, d)) ConvertError(QStringLiteral("integer"), v.toString());
        r = std::llround(d);
    }
    qint64 lo = FTypeMin, hi = FTypeMax;
    if (FMinValue != 0 || FMaxValue != 0) {
        lo = FMinValue;
        hi = FMaxValue;
    }
    if (r < lo || r > hi)
        throw EDatabaseError(QStringLiteral("%1 is not a valid value for field '%2'. The allowed range is %3 to %4")
                                 .arg(r).arg(DisplayName()).arg(lo).arg(hi));
    return int(r);
}

Variant TIntegerField::ParseText(const QString& s) const
{
    if (s.trimmed().isEmpty()) return VarNull();
    return Normalize(s);
}

TSmallintField::TSmallintField(TComponent* AOwner) : TIntegerField(AOwner)
{
    FDataType = ftSmallint;
    FTypeMin = -32768;
    FTypeMax = 32767;
}

TFloatField::TFloatField(TComponent* AOwner) : TNumericField(AOwner) { FDataType = ftFloat; }

bool TFloatField::IsValidChar(QChar c) const
{
    return TNumericField::IsValidChar(c) || c == FormatSettings().DecimalSeparator || c == QLatin1Char('e') ||
           c == QLatin1Char('E');
}

Variant TFloatField::Normalize(const Variant& v) const
{
    double d;
    if (!dbimpl::VariantToNumber(v, d)) ConvertError(QStringLiteral("floating point"), v.toString());
    return d;
}

Variant TFloatField::ParseText(const QString& s) const
{
    if (s.trimmed().isEmpty()) return VarNull();
    return Normalize(s);
}

TBCDField::TBCDField(TComponent* AOwner) : TFloatField(AOwner)
{
    FDataType = ftBCD;
    FSize = 4;
}

// ================================================================ boolean

TBooleanField::TBooleanField(TComponent* AOwner) : TField(AOwner) { FDataType = ftBoolean; }

void TBooleanField::SetDisplayValues(const QString& s)
{
    FDisplayValues = s;
    int semi = s.indexOf(QLatin1Char(';'));
    if (s.isEmpty()) {
        FTrueText = QStringLiteral("True");
        FFalseText = QStringLiteral("False");
    } else if (semi < 0) {
        FTrueText = s;
        FFalseText.clear();
    } else {
        FTrueText = s.left(semi);
        FFalseText = s.mid(semi + 1);
    }
    PropertyChanged(false);
}

Variant TBooleanField::Normalize(const Variant& v) const
{
    if (v.typeId() == QMetaType::Bool) return v;
    if (v.typeId() == QMetaType::QString) {
        Variant p = ParseText(v.toString());
        return p;
    }
    double d;
    if (!dbimpl::VariantToNumber(v, d)) ConvertError(QStringLiteral("boolean"), v.toString());
    return d != 0;
}

QString TBooleanField::FormatText(const Variant& v, bool) const
{
    if (VarIsNull(v)) return QString();
    bool b;
    if (v.typeId() == QMetaType::Bool) b = v.toBool();
    else {
        double d;
        if (dbimpl::VariantToNumber(v, d)) b = d != 0;
        else if (!dbimpl::TextToBoolean(v.toString(), b)) return v.toString();
    }
    return b ? FTrueText : FFalseText;
}

Variant TBooleanField::ParseText(const QString& s) const
{
    QString t = s.trimmed();
    if (t.isEmpty()) return VarNull();
    // The display texts first (a typed beginning is enough), then the usual words.
    if (!FTrueText.isEmpty() && FTrueText.startsWith(t, Qt::CaseInsensitive)) return true;
    if (!FFalseText.isEmpty() && FFalseText.startsWith(t, Qt::CaseInsensitive)) return false;
    bool b;
    if (dbimpl::TextToBoolean(t, b)) return b;
    throw EConvertError(QStringLiteral("'%1' is not a valid boolean value for field '%2'").arg(s, DisplayName()));
}

// ============================================================== date-time

TDateTimeField::TDateTimeField(TComponent* AOwner) : TField(AOwner) { FDataType = ftDateTime; }

void TDateTimeField::SetDisplayFormat(const QString& f)
{
    FDisplayFormat = f;
    PropertyChanged(false);
}

Variant TDateTimeField::Normalize(const Variant& v) const
{
    TDateTime d;
    if (!dbimpl::VariantToDateTime(v, d)) ConvertError(QStringLiteral("date and time"), v.toString());
    return d;
}

QString TDateTimeField::FormatText(const Variant& v, bool displayText) const
{
    if (VarIsNull(v)) return QString();
    TDateTime d;
    if (!dbimpl::VariantToDateTime(v, d)) return v.toString();
    if (displayText && !FDisplayFormat.isEmpty()) return FormatDateTime(FDisplayFormat, d);
    return DateTimeToStr(d);
}

Variant TDateTimeField::ParseText(const QString& s) const
{
    if (s.trimmed().isEmpty()) return VarNull();
    TDateTime d;
    if (!TryStrToDateTime(s.trimmed(), d))
        throw EConvertError(QStringLiteral("'%1' is not a valid date and time").arg(s));
    return d;
}

// ================================================================== blobs

TBlobField::TBlobField(TComponent* AOwner) : TField(AOwner) { FDataType = ftBlob; }

void TBlobField::SetBlobType(TBlobType t)
{
    FBlobType = t;
    FDataType = TFieldType(t);
}

QString TBlobField::FormatText(const Variant& v, bool displayText) const
{
    const bool memo = FBlobType == btMemo;
    if (!displayText && memo) return VarIsNull(v) ? QString() : v.toString();
    bool empty = VarIsNull(v) || (v.typeId() == QMetaType::QByteArray ? v.toByteArray().isEmpty() : v.toString().isEmpty());
    if (memo) return empty ? QStringLiteral("(memo)") : QStringLiteral("(MEMO)");
    return empty ? QStringLiteral("(blob)") : QStringLiteral("(BLOB)");
}

TMemoField::TMemoField(TComponent* AOwner) : TBlobField(AOwner)
{
    FBlobType = btMemo;
    FDataType = ftMemo;
}

Variant TMemoField::Normalize(const Variant& v) const
{
    if (v.typeId() == QMetaType::QString) return v;
    if (v.typeId() == QMetaType::QByteArray) return QString::fromUtf8(v.toByteArray());
    return GenericText(v);
}
