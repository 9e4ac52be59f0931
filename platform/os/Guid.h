#pragma once
// GUIDs: creation and the registry text form "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}"
// (38 characters, upper-case hexadecimal), the form every record key has.
#include <QString>
#include <QtGlobal>

struct TGUID {
    quint32 D1 = 0;
    quint16 D2 = 0;
    quint16 D3 = 0;
    quint8 D4[8] = {0, 0, 0, 0, 0, 0, 0, 0};
    bool operator==(const TGUID& o) const;
    bool operator!=(const TGUID& o) const { return !(*this == o); }
    bool IsNull() const;
};

// Fills Guid with a new random (version 4) GUID; returns 0 (success).
int CreateGUID(TGUID& Guid);
QString GUIDToString(const TGUID& Guid);
// Reads the registry text form (either case); raises EConvertError
// "'%s' is not a valid GUID value" for anything else.
TGUID StringToGUID(const QString& S);
// A new GUID in its registry text form.
QString NewGUIDString();
