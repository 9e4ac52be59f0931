// Feeds arbitrary text to the date scanner, the mask reader and the string
// routines they stand on, and checks what a success promises.
#include "FuzzUtil.h"

#include <cstddef>
#include <cstdint>

#include "components/DateUtil.h"
#include "components/qvStrUtils.h"
#include "platform/core/SysUtils.h"


extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0 || size > 4096) return 0;
    static const QString formats[] = {
        QStringLiteral("dd.mm.yyyy"), QStringLiteral("DD/MM/YYYY"), QStringLiteral("MM/DD/YY"),
        QStringLiteral("YYYY/MM/DD"), QStringLiteral("DD-MMM-YYYY"), QString(), QStringLiteral("ee/mm/dd ddd"),
    };
    const QString& fmt = formats[data[0] % (sizeof formats / sizeof formats[0])];
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data) + 1, qsizetype(size - 1));

    int pos = 1, d = 0, m = 0, y = 0;
    if (ScanDate(text, fmt, pos, d, m, y)) {
        CHECK(ValidDate(quint16(y), quint16(m), quint16(d)));
        CHECK(pos == text.size() + 1);
    }
    pos = 1 + (data[0] >> 4);
    ScanDate(text, fmt, pos, d, m, y);   // any start position
    if (ScanDateStr(fmt, text, d, m, y)) CHECK(ValidDate(quint16(y), quint16(m), quint16(d)));
    try {
        TDateTime t = StrToDateFmt(fmt, text);
        CHECK(text.isEmpty() ? t == NullDate : ValidDate(t));
    } catch (const EConvertError& e) {
        CHECK(!text.isEmpty());
        CHECK(e.Message() == QStringLiteral("'") + text + QStringLiteral("' is not a valid date"));
    }
    MonthFromName(text, data[0] % 8);

    // Words: every counted word can be extracted, none after the last.
    const TCharSet delims{u' ', u',', u'.', u';'};
    const int words = WordCount(text, delims);
    for (int i = 1; i <= words && i <= 64; ++i) {
        const int p = WordPosition(i, text, delims);
        CHECK(p >= 1 && p <= text.size());
        const QString w = ExtractWord(i, text, delims);
        CHECK(!w.isEmpty() && text.mid(p - 1, w.size()) == w);
    }
    CHECK(ExtractWord(words + 1, text, delims).isEmpty());

    // The coder round-trips any text under any key; odd or broken hex never fails.
    const QString key = text.left(data[0] % 5);
    CHECK(XorDecode(key, XorEncode(key, text)) == text);
    XorDecode(key, text);
    const QByteArray raw(reinterpret_cast<const char*>(data), qsizetype(size));
    CHECK(XorString(raw.left(3), XorString(raw.left(3), raw)) == raw.left(255));
    ReplaceStr(text, text.left(data[0] % 3), QStringLiteral("xx"));
    return 0;
}
