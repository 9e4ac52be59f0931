#pragma once
// Pieces shared by the connection and the recordsets (internal to the ado layer).
#include <memory>

#include "platform/ado/JetSql.h"
#include "platform/ado/Recordset.h"

struct sqlite3_stmt;
class TADOConnection;

namespace ado::internal {

// The column kind of a declared type ("DATETIME", "VARCHAR(50)", ...).
ColumnKind KindOfDeclType(const QString& declType);

// The rows of a prepared statement that yields rows, as a read-only
// recordset whose Requery runs Source again. Takes the statement and
// finalizes it in every case.
RecordsetPtr ReadOnlyFromStatement(TADOConnection* connection, const QString& source, sqlite3_stmt* stmt);

// Finalizes a statement when it goes out of scope.
struct StatementGuard {
    sqlite3_stmt* Stmt = nullptr;
    explicit StatementGuard(sqlite3_stmt* s = nullptr) : Stmt(s) {}
    ~StatementGuard();
    StatementGuard(const StatementGuard&) = delete;
    StatementGuard& operator=(const StatementGuard&) = delete;
    sqlite3_stmt* Release()
    {
        sqlite3_stmt* s = Stmt;
        Stmt = nullptr;
        return s;
    }
};

}  // namespace ado::internal
