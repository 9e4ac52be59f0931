#include "platform/os/Guid.h"

#include <QUuid>
#include <cctype>
#include <cstring>

#include "platform/core/SysUtils.h"

bool TGUID::operator==(const TGUID& o) const
{
    return D1 == o.D1 && D2 == o.D2 && D3 == o.D3 && std::memcmp(D4, o.D4, sizeof D4) == 0;
}

bool TGUID::IsNull() const { return *this == TGUID(); }

static TGUID FromUuid(const QUuid& u)
{
    TGUID g;
    g.D1 = u.data1;
    g.D2 = u.data2;
    g.D3 = u.data3;
    std::memcpy(g.D4, u.data4, sizeof g.D4);
    return g;
}

int CreateGUID(TGUID& Guid)
{
    Guid = FromUuid(QUuid::createUuid());
    return 0;
}

QString GUIDToString(const TGUID& g)
{
    return QString::asprintf("{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", g.D1, g.D2, g.D3, g.D4[0], g.D4[1],
                             g.D4[2], g.D4[3], g.D4[4], g.D4[5], g.D4[6], g.D4[7]);
}

TGUID StringToGUID(const QString& S)
{
    static const int dashes[] = {9, 14, 19, 24};
    bool ok = S.size() == 38 && S[0] == QLatin1Char('{') && S[37] == QLatin1Char('}');
    for (int i = 1; ok && i < 37; ++i) {
        bool dash = i == dashes[0] || i == dashes[1] || i == dashes[2] || i == dashes[3];
        ok = dash ? S[i] == QLatin1Char('-') : S[i].unicode() < 128 && std::isxdigit(S[i].unicode());
    }
    if (!ok) throw EConvertError(QStringLiteral("'%1' is not a valid GUID value").arg(S));
    return FromUuid(QUuid::fromString(S));
}

QString NewGUIDString()
{
    TGUID g;
    CreateGUID(g);
    return GUIDToString(g);
}
