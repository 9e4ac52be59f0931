#pragma once
// The rows of one statement, held in memory (a client-side cursor), and the
// writes made through them. A recordset can be handed from one dataset to
// another (a filter query's rows shown by a table dataset); requerying it
// runs its statement again.
#include <QByteArray>
#include <QString>
#include <memory>
#include <vector>

#include "platform/core/Variants.h"

class TADOConnection;

namespace ado {

// How a column's values are kept and read back.
enum class ColumnKind { Integer, Float, Boolean, DateTime, Text, Blob, Unknown };

struct ColumnInfo {
    QString Name;        // as the statement names it ("id", "question")
    QString Table;       // base table when the column comes straight from one, else empty
    QString Origin;      // base column name, else empty
    QString DeclType;    // declared type of the base column ("DATETIME", "VARCHAR(255)"), else empty
    ColumnKind Kind = ColumnKind::Unknown;
};

// Identity of a stored row that survives sorting, filtering and requery:
// the row's rowid for rows of an updatable recordset, otherwise its position.
using RowKey = qint64;

class Recordset : public std::enable_shared_from_this<Recordset> {
public:
    virtual ~Recordset() = default;

    // Opens a Jet SQL text on the connection (translated before it runs).
    // Raises EDatabaseError with the engine's message on failure.
    static std::shared_ptr<Recordset> Open(TADOConnection* connection, const QString& jetSql);
    // The rows of a whole table, updatable, in the table's own order.
    static std::shared_ptr<Recordset> OpenTable(TADOConnection* connection, const QString& tableName);

    virtual TADOConnection* Connection() const = 0;
    virtual QString Source() const = 0;         // the Jet SQL text or the table name
    virtual bool IsTable() const = 0;           // opened by OpenTable

    virtual int ColumnCount() const = 0;
    virtual const ColumnInfo& Column(int i) const = 0;
    // Index of the column with that name (case-insensitive; "table.column" for
    // joined columns that share a name; a bare name finds the first), or -1.
    virtual int FindColumn(const QString& name) const = 0;

    // Stored rows, deleted ones excluded; positions 0..RowCount()-1 stay valid
    // until the next Requery, Insert or Delete.
    virtual qsizetype RowCount() const = 0;
    virtual bool IsNull(qsizetype row, int col) const = 0;
    virtual Variant Value(qsizetype row, int col) const = 0;      // Null variant for NULL
    virtual QString Text(qsizetype row, int col) const = 0;       // empty for NULL; numbers in decimal
    virtual RowKey Key(qsizetype row) const = 0;
    virtual qsizetype FindKey(RowKey key) const = 0;              // position or -1

    // Writes go to the database first, then into the rows. Only an updatable
    // recordset (one base table, rowid known) takes them; others raise
    // EDatabaseError. Values are in column order; Unassigned leaves a column to
    // the database default on insert and unchanged on update.
    virtual bool Updatable() const = 0;
    virtual QString BaseTable() const = 0;
    virtual qsizetype InsertRow(qsizetype position, const std::vector<Variant>& values) = 0;  // returns the position
    virtual void UpdateRow(qsizetype row, const std::vector<Variant>& values) = 0;
    virtual void DeleteRow(qsizetype row) = 0;

    // Runs the statement again; the rows are replaced.
    virtual void Requery() = 0;
    // Counts every change of the rows (requery, insert, update, delete), so
    // callers can keep caches and indexes keyed on it.
    virtual quint64 Generation() const = 0;
};

using RecordsetPtr = std::shared_ptr<Recordset>;

}  // namespace ado
