#pragma once
// Making the database file qorvane.db: the 14 tables (schema.sql), the rows
// every installation starts with (seed.sql), optionally a small demonstration
// board, or the large generated data of the benchmarks.
//
// Everything goes through the platform's connection: the file is made empty,
// opened with the password as the program opens it, and filled in one
// transaction. A file that exists already is never touched; a file this code
// began and could not finish is removed again.
#include <QString>
#include <QtGlobal>

#include "platform/core/SysUtils.h"

class TADOConnection;

namespace dbtool {

// Raised for everything the user must hear about (existing file, bad
// password, engine failure); Message() is the text to print.
QV_DECLARE_EXCEPTION(EDbToolError, Exception)

// The connection string the program's login builds for a file and password.
QString ConnectionString(const QString& fileName, const QString& password);

// Creates FILE with schema and seed rows; demo adds the demonstration board.
void CreateDatabase(const QString& fileName, const QString& password, bool demo);

// Adds the demonstration board to an open database that holds the schema and
// seed rows (one call, inside the caller's transaction when there is one).
void FillDemo(TADOConnection* connection);

struct BenchOptions {
    qint64 Sessions = 100000;
    qint64 Votes = 1000000;
    qint64 Members = 1000;
    // A board as it really meets: with Questions > 0 every session has that
    // many questions of Decisions draft decisions each, every member still on
    // the board takes part, votes on every decision and is paid; Votes is
    // then not used.
    qint64 Questions = 0;
    qint64 Decisions = 2;
    quint64 Seed = 20240601;   // the same options give the same rows (keys included)
};

struct BenchCounts {
    qint64 Members = 0, Places = 0, Forms = 0, Sessions = 0, Questions = 0, Decisions = 0;
    qint64 SessionDecisions = 0, Participants = 0, Votes = 0, Payments = 0;
};

// Creates FILE with schema, seed rows and generated rows of the given sizes:
// every session has participants and linked decisions, and every participant
// a vote row for the session's decisions until the vote count is reached.
BenchCounts CreateBenchDatabase(const QString& fileName, const QString& password, const BenchOptions& options);

// A new record key: a random GUID in its 38-character upper-case form with braces.
QString NewKey();

}  // namespace dbtool
