#include "platform/ole/OleRecordset.h"

#include <QDateTime>

#include "platform/core/DateTime.h"

namespace {

using Kind = IDispatch::TInvokeKind;
using ole::Is;

class TRecordsetObject;

// The value of a cell as the macro sees it.
Variant CellValue(const ado::Recordset& rs, qsizetype row, int col)
{
    if (rs.IsNull(row, col)) return Variant();
    const Variant v = rs.Value(row, col);
    if (rs.Column(col).Kind == ado::ColumnKind::DateTime) return Variant(DateTimeToQDateTime(v.toDouble()));
    return v;
}

class TFieldObject : public IDispatch {
public:
    TFieldObject(std::shared_ptr<TRecordsetObject> owner, int col) : FOwner(std::move(owner)), FCol(col) {}
    QString TypeName() const override { return QStringLiteral("Field"); }
    TMemberKind MemberKind(const QString& n) const override
    {
        return Is(n, "Value") || Is(n, "Name") ? TMemberKind::Property : TMemberKind::None;
    }
    QString DefaultMember() const override { return QStringLiteral("Value"); }
    OleVariant Invoke(Kind k, const QString& n, const OleArgs& a, const OleVariant& v) override;

private:
    std::shared_ptr<TRecordsetObject> FOwner;
    int FCol;
};

class TFieldsObject : public IDispatch {
public:
    explicit TFieldsObject(std::shared_ptr<TRecordsetObject> owner) : FOwner(std::move(owner)) {}
    QString TypeName() const override { return QStringLiteral("Fields"); }
    TMemberKind MemberKind(const QString& n) const override
    {
        if (Is(n, "Count")) return TMemberKind::Property;
        return Is(n, "Item") ? TMemberKind::Method : TMemberKind::None;
    }
    OleVariant Invoke(Kind k, const QString& n, const OleArgs& a, const OleVariant& v) override;

private:
    std::shared_ptr<TRecordsetObject> FOwner;
};

class TRecordsetObject : public IDispatch, public std::enable_shared_from_this<TRecordsetObject> {
public:
    explicit TRecordsetObject(ado::RecordsetPtr rows) : FRows(std::move(rows)) {}
    QString TypeName() const override { return QStringLiteral("Recordset"); }
    TMemberKind MemberKind(const QString& n) const override
    {
        for (const char* p : {"EOF", "BOF", "RecordCount"})
            if (Is(n, p)) return TMemberKind::Property;
        for (const char* m : {"MoveFirst", "MoveNext", "MovePrevious", "MoveLast", "Fields", "GetRows"})
            if (Is(n, m)) return TMemberKind::Method;
        return TMemberKind::None;
    }

    OleVariant Invoke(Kind k, const QString& n, const OleArgs& a, const OleVariant&) override
    {
        if (k == Kind::Put) throw EOleError(QStringLiteral("Recordset.%1 cannot be set").arg(n));
        if (Is(n, "EOF")) return OleVariant(!FRows || FPos >= Count());
        if (Is(n, "BOF")) return OleVariant(!FRows || FPos < 0 || Count() == 0);
        const ado::Recordset& rs = Rows();
        if (Is(n, "RecordCount")) return OleVariant(qint64(Count()));
        if (Is(n, "MoveFirst")) return FPos = 0, OleVariant();
        if (Is(n, "MoveLast")) return FPos = Count() > 0 ? Count() - 1 : 0, OleVariant();
        if (Is(n, "MoveNext")) {
            if (FPos >= Count()) throw EOleError(QStringLiteral("Either BOF or EOF is True, or the current record has been deleted"));
            return ++FPos, OleVariant();
        }
        if (Is(n, "MovePrevious")) {
            if (FPos < 0) throw EOleError(QStringLiteral("Either BOF or EOF is True, or the current record has been deleted"));
            return --FPos, OleVariant();
        }
        if (Is(n, "Fields")) {
            if (a.empty()) return OleVariant(IDispatchPtr(std::make_shared<TFieldsObject>(shared_from_this())));
            if (a.size() != 1) ole::BadArguments(this, n);
            return FieldAt(a[0]);
        }
        if (Is(n, "GetRows")) {
            if (a.size() > 1) ole::BadArguments(this, n);
            if (FPos < 0 || FPos >= Count())
                throw EOleError(QStringLiteral("Either BOF or EOF is True, or the current record has been deleted"));
            qsizetype take = Count() - FPos;
            if (!a.empty() && !a[0].IsEmpty() && a[0].ToInt() >= 0) take = std::min<qsizetype>(take, a[0].ToInt());
            const int cols = rs.ColumnCount();
            auto block = std::make_shared<TVarArray>(0, int(take) - 1, 0, cols - 1);
            for (qsizetype r = 0; r < take; ++r)
                for (int c = 0; c < cols; ++c) block->Cell(int(r), c) = CellValue(rs, FPos + r, c);
            FPos += take;
            return OleVariant(block);
        }
        ole::UnknownMember(this, n);
    }

    const ado::Recordset& Rows() const
    {
        if (!FRows) throw EOleError(QStringLiteral("Operation is not allowed when the object is closed"));
        return *FRows;
    }
    qsizetype Count() const { return FRows ? FRows->RowCount() : 0; }
    OleVariant FieldAt(const OleVariant& which)
    {
        const ado::Recordset& rs = Rows();
        int col = -1;
        if (which.Value().typeId() == QMetaType::QString)
            col = rs.FindColumn(which.ToString());
        else
            col = which.ToInt();
        if (col < 0 || col >= rs.ColumnCount())
            throw EOleError(QStringLiteral("Item cannot be found in the collection corresponding to the requested name or ordinal: %1")
                                .arg(which.Value().toString()));
        return OleVariant(IDispatchPtr(std::make_shared<TFieldObject>(shared_from_this(), col)));
    }
    Variant Current(int col) const
    {
        const ado::Recordset& rs = Rows();
        if (FPos < 0 || FPos >= Count())
            throw EOleError(QStringLiteral("Either BOF or EOF is True, or the current record has been deleted"));
        return CellValue(rs, FPos, col);
    }
    void Release() { FRows.reset(); }

private:
    ado::RecordsetPtr FRows;
    qsizetype FPos = 0;
};

OleVariant TFieldObject::Invoke(Kind k, const QString& n, const OleArgs&, const OleVariant&)
{
    if (k == Kind::Put) throw EOleError(QStringLiteral("Field.%1 cannot be set").arg(n));
    if (Is(n, "Value")) return OleVariant(FOwner->Current(FCol));
    if (Is(n, "Name")) return OleVariant(FOwner->Rows().Column(FCol).Name);
    ole::UnknownMember(this, n);
}

OleVariant TFieldsObject::Invoke(Kind, const QString& n, const OleArgs& a, const OleVariant&)
{
    if (Is(n, "Count")) return OleVariant(FOwner->Rows().ColumnCount());
    if (Is(n, "Item")) {
        if (a.size() != 1) ole::BadArguments(this, n);
        return FOwner->FieldAt(a[0]);
    }
    ole::UnknownMember(this, n);
}

}  // namespace

OleVariant CreateRecordsetObject(ado::RecordsetPtr Rows)
{
    return OleVariant(IDispatchPtr(std::make_shared<TRecordsetObject>(std::move(Rows))));
}

void ReleaseRecordsetObject(const OleVariant& Object)
{
    if (auto* rs = dynamic_cast<TRecordsetObject*>(Object.Dispatch())) rs->Release();
}
