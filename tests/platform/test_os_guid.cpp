#include <gtest/gtest.h>

#include <QRegularExpression>

#include "platform/os/Guid.h"
#include "platform/core/SysUtils.h"

TEST(Guid, RegistryTextFormRoundTripsAndNewOnesDiffer)
{
    const QRegularExpression form(QStringLiteral("^\\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\\}$"));
    TGUID a, b;
    EXPECT_EQ(CreateGUID(a), 0);
    CreateGUID(b);
    const QString s = GUIDToString(a);
    EXPECT_EQ(s.size(), 38);
    EXPECT_TRUE(form.match(s).hasMatch()) << s.toStdString();
    EXPECT_NE(s, GUIDToString(b));
    EXPECT_EQ(StringToGUID(s), a);
    EXPECT_EQ(StringToGUID(s.toLower()), a);
    EXPECT_TRUE(form.match(NewGUIDString()).hasMatch());

    TGUID known;
    known.D1 = 0x0123ABCD;
    known.D2 = 0x0A0B;
    known.D3 = 0xC0DE;
    const quint8 tail[8] = {0xFE, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0xFF};
    std::copy(tail, tail + 8, known.D4);
    EXPECT_EQ(GUIDToString(known), QStringLiteral("{0123ABCD-0A0B-C0DE-FE01-0203040506FF}"));
}

TEST(Guid, StringToGUIDRefusesOtherTexts)
{
    for (const char* bad : {"", "0123ABCD-0A0B-C0DE-FE01-0203040506FF", "{0123ABCD-0A0B-C0DE-FE01-0203040506F}",
                            "{0123ABCD-0A0B-C0DE-FE01-0203040506FG}", "{0123ABCD+0A0B-C0DE-FE01-0203040506FF}"})
        EXPECT_THROW(StringToGUID(QLatin1String(bad)), EConvertError) << bad;
}
