#pragma once
// What the kill-test writer writes, shared with the tests that check it.
#include <QString>

#include "platform/ado/ADOConnection.h"

// The member made in pass N of the session edit.
inline QString KillMemberName(int n) { return QStringLiteral("kill %1").arg(n); }

// The settings value of pass N: long enough to span blocks of the file,
// within the 2047 characters a value holds, and different in every pass all
// the way through.
inline QString KillSettingsValue(int n)
{
    return QStringLiteral("Значение %1 ").arg(n, 8, 10, QLatin1Char('0')).repeated(100 + n % 7) + QLatin1Char('.');
}

inline QString KillExclusiveConnectionString(const QString& file, const QString& password)
{
    return QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Jet OLEDB:Database Password=") +
           TADOConnection::QuoteConnectionStringValue(password) + QStringLiteral(";Data Source=") +
           TADOConnection::QuoteConnectionStringValue(file) +
           QStringLiteral(";Mode=Share Deny Read|Share Deny Write;Persist Security Info=True");
}
