#pragma once
// Bulk work on an open TADOConnection, for the database tool and the
// benchmarks: scripts of several statements (the schema and seed files) and
// one statement prepared once and run many times with bound values.
//
// Both take texts in the engine's own dialect, not Jet SQL: they are written
// for the database file, not typed by a user. Values are always bound, never
// pasted into the text. Statements run on the connection's handle, so they
// are part of any transaction begun with TADOConnection::BeginTrans.
// Failures raise EDatabaseError with the engine's message.
#include <QString>
#include <QStringList>
#include <vector>

#include "platform/core/Variants.h"

class TADOConnection;
struct sqlite3_stmt;

namespace ado {

// Runs every statement of the script in order (comments and blank text are
// skipped); rows that a statement yields are dropped. Stops at the first
// failing statement: the message names it by its leading text.
void ExecuteScript(TADOConnection* connection, const QString& script);
// The statements of a script, each with its terminating semicolon, in order
// (text after the last complete statement is dropped).
QStringList ScriptStatements(const QString& script);

class PreparedStatement {
public:
    // Prepares one statement with ? (or ?NNN) placeholders. The connection
    // must be open and outlive the statement.
    PreparedStatement(TADOConnection* connection, const QString& sql);
    ~PreparedStatement();
    PreparedStatement(const PreparedStatement&) = delete;
    PreparedStatement& operator=(const PreparedStatement&) = delete;

    int ParamCount() const;

    // Parameters are numbered from 1. A value stays bound until it is
    // replaced, so a column that is the same in every row is bound once.
    void BindNull(int index);
    void BindInt(int index, qint64 value);
    void BindDouble(int index, double value);
    void BindText(int index, const QString& value);      // a null QString binds NULL
    // Null and Unassigned bind NULL; bool binds 1/0; integers, doubles and
    // texts as they are; QDate and QDateTime as TDateTime (days since 30.12.1899).
    void Bind(int index, const Variant& value);

    // Runs the statement with the bound values; returns the count of changed
    // rows. Rows a statement yields are dropped. The bindings stay.
    int Execute();
    // Binds values 1..n in order and runs.
    int Execute(const std::vector<Variant>& values);

private:
    TADOConnection* FConnection;
    sqlite3_stmt* FStmt = nullptr;
    QString FSql;
    void Check(int rc, const char* what) const;
};

}  // namespace ado
