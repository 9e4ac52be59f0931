// Feeds arbitrary bytes to the settings-file reader as a file on disk, then
// writes, erases and deletes through it and checks that nothing else the file
// said changed and that what was written reads back.
#include <QDir>
#include <QFile>
#include <QHash>
#include <QTemporaryDir>

#include "FuzzUtil.h"

#include <cstddef>
#include <cstdint>

#include "platform/os/IniFiles.h"


namespace {

struct Snapshot {
    QStringList sections;
    QHash<QString, QString> values;   // "section\nkey" (lower case) -> value
};

Snapshot Take(const TIniFile& ini)
{
    Snapshot s;
    TStringList sections, keys;
    ini.ReadSections(&sections);
    s.sections = sections.ToStringList();
    for (const QString& sec : s.sections) {
        ini.ReadSection(sec, &keys);
        for (int i = 0; i < keys.Count(); ++i) {
            s.values.insert(sec.toCaseFolded() + QLatin1Char('\n') + keys[i].toCaseFolded(), ini.ReadString(sec, keys[i], QString()));
            ini.ReadInteger(sec, keys[i], 0);
            ini.ReadBool(sec, keys[i], false);
        }
    }
    return s;
}

// Every value of Before outside the section/key that was touched reads the same.
void CheckKept(const Snapshot& before, const Snapshot& after, const QString& section, const QString& key)
{
    const QString sec = section.toCaseFolded() + QLatin1Char('\n');
    for (auto it = before.values.cbegin(); it != before.values.cend(); ++it) {
        if (it.key().startsWith(sec) && (key.isEmpty() || it.key() == sec + key.toCaseFolded())) continue;
        CHECK(after.values.value(it.key(), QStringLiteral("\x01missing")) == it.value());
    }
}

}   // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 65536) return 0;
    const QTemporaryDir& dir = ScratchDir();
    const QString path = dir.filePath(QStringLiteral("f.ini"));
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 0;
        f.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    TIniFile ini(path);
    const Snapshot before = Take(ini);

    // Write a plain value into the first section (or a new one) and read it back.
    const QString section = before.sections.isEmpty() ? QStringLiteral("Fuzz") : before.sections.first();
    const QString value = QStringLiteral("v%1 Значение").arg(size);
    try {
        ini.WriteString(section, QStringLiteral("FuzzKey"), value);
    } catch (const EIniFileException&) {
        // Only a name a line cannot hold may refuse.
        CHECK(section.contains(QLatin1Char('\r')) || section.contains(QLatin1Char('\n')));
        return 0;
    }
    TIniFile again(path);
    CHECK(again.ReadString(section, QStringLiteral("fuzzkey"), QString()) == value);
    Snapshot after = Take(again);
    CheckKept(before, after, section, QStringLiteral("FuzzKey"));
    CHECK(after.sections.size() == before.sections.size() + (before.sections.isEmpty() ? 1 : 0));

    // Erase the last section: the others stay as they were.
    if (!before.sections.isEmpty()) {
        const QString last = before.sections.last();
        again.EraseSection(last);
        CHECK(!again.SectionExists(last));
        const Snapshot erased = Take(again);
        for (auto it = after.values.cbegin(); it != after.values.cend(); ++it)
            if (!it.key().startsWith(last.toCaseFolded() + QLatin1Char('\n')))
                CHECK(erased.values.value(it.key(), QStringLiteral("\x01missing")) == it.value());
    }
    // Delete the key that was written.
    if (again.SectionExists(section)) {
        again.DeleteKey(section, QStringLiteral("FUZZKEY"));
        CHECK(!again.ValueExists(section, QStringLiteral("FuzzKey")));
    }
    return 0;
}
