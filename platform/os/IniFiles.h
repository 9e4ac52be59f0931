#pragma once
// Settings files: the private-profile file (TIniFile) and the registry-ini
// stand-in (TRegIniFile), both behind the section/key interface TCustomIniFile.
//
// TIniFile — a text file of "[section]" headers and "key=value" lines, UTF-8.
//   * Sections and keys compare case-insensitively; names are trimmed.
//     The first occurrence of a section or key is the one read.
//   * ReadString gives the stored text trimmed of blanks, with one pair of
//     matching enclosing quotes (two " or two ') removed, cut to 2047
//     characters; a missing file, section or key gives the default.
//   * ReadInteger: "0x"/"0X" followed by hex digits (text longer than 2), else
//     a signed decimal; the default when absent or not a number.
//     ReadBool is ReadInteger <> 0; WriteBool writes "1" or "0".
//   * Lines starting with ';' are comments. Everything the file holds besides
//     the changed line (comments, order, other sections, line ends, bytes that
//     are not UTF-8) is written back unchanged.
//   * Every write (unless held, see HoldWrites) goes to disk at once and atomically: the new text is written
//     to a temporary file beside the target, flushed, and renamed over it, so
//     a crash leaves either the old or the new file, never a torn one. A write
//     that changes nothing touches nothing.
//   * A write that cannot be done raises EIniFileException "Unable to write
//     to <file name>": read-only file (no write permission bits, or no
//     access), missing folder, an existing file that cannot be read (it is
//     never replaced blind), or a key/section/value that a line cannot hold
//     (a line break anywhere, a key with '=' or starting with '[' or ';').
//   * A bare file name is relative to the current folder (callers that want
//     the executable's folder put it in front).
//
// TRegIniFile — the registry-ini object. There is no registry here, so the
//   keys live in one settings file, by default ~/.config/qorvane/registry.ini
//   ($XDG_CONFIG_HOME respected; SetStorageFileName changes it). A registry
//   key is a section named by its full path with the root's name first, e.g.
//   "[HKEY_CURRENT_USER\Software\qorvane\TfmMain]"; a value is a key line.
//   Values are stored in double quotes with \\ \" \r \n \t escapes and read
//   back exactly (no trimming, no quote rule, no length cap). Sections of a
//   TRegIniFile are subkeys of its current key, as in the registry.
#include <QString>
#include <memory>

#include "platform/core/Classes.h"

QV_DECLARE_EXCEPTION(ERegistryException, Exception)

namespace qv_ini_detail {
class IniStore;
}

class TCustomIniFile : public TObject {
    QV_CLASS(TCustomIniFile, TObject)
public:
    explicit TCustomIniFile(const QString& FileName) : FFileName(FileName) {}
    ~TCustomIniFile() override = default;

    const QString& FileName() const { return FFileName; }

    virtual bool SectionExists(const QString& Section) const = 0;
    virtual bool ValueExists(const QString& Section, const QString& Ident) const = 0;
    virtual QString ReadString(const QString& Section, const QString& Ident, const QString& Default) const = 0;
    virtual void WriteString(const QString& Section, const QString& Ident, const QString& Value) = 0;
    virtual int ReadInteger(const QString& Section, const QString& Ident, int Default) const;
    virtual void WriteInteger(const QString& Section, const QString& Ident, int Value);
    virtual bool ReadBool(const QString& Section, const QString& Ident, bool Default) const;
    virtual void WriteBool(const QString& Section, const QString& Ident, bool Value);
    // Key names of the section, in file order.
    virtual void ReadSection(const QString& Section, TStrings* Strings) const = 0;
    virtual void ReadSections(TStrings* Strings) const = 0;
    // "key=value" lines, values as ReadString gives them.
    virtual void ReadSectionValues(const QString& Section, TStrings* Strings) const;
    virtual void EraseSection(const QString& Section) = 0;
    virtual void DeleteKey(const QString& Section, const QString& Ident) = 0;
    // Writes are on disk when they return; kept for callers written against buffered files.
    virtual void UpdateFile() {}

private:
    QString FFileName;
};

// The integer rule of the settings file: "0x"/"0X" + hex (32 bits, wraps to
// signed) when longer than 2 characters, else a signed decimal.
bool IniTextToInt(const QString& Text, int& Value);

class TIniFile : public TCustomIniFile {
    QV_CLASS(TIniFile, TCustomIniFile)
public:
    static constexpr int MaxValueLength = 2047;

    explicit TIniFile(const QString& FileName);
    ~TIniFile() override;

    bool SectionExists(const QString& Section) const override;
    bool ValueExists(const QString& Section, const QString& Ident) const override;
    QString ReadString(const QString& Section, const QString& Ident, const QString& Default) const override;
    void WriteString(const QString& Section, const QString& Ident, const QString& Value) override;
    void ReadSection(const QString& Section, TStrings* Strings) const override;
    void ReadSections(TStrings* Strings) const override;
    void EraseSection(const QString& Section) override;
    void DeleteKey(const QString& Section, const QString& Ident) override;

    // Many writes as one: from HoldWrites to FlushWrites the changes build up
    // in memory (reads see them) and FlushWrites replaces the file once,
    // atomically (a failure raises as a write does). A form storage saving
    // hundreds of keys takes one disk write instead of hundreds. Pairs nest.
    void HoldWrites();
    void FlushWrites();

private:
    std::unique_ptr<qv_ini_detail::IniStore> FStore;
    [[noreturn]] void WriteFailed() const;
};

// Root keys of the registry, by their usual numbers.
using HKEY = quint32;
constexpr HKEY HKEY_CLASSES_ROOT = 0x80000000u;
constexpr HKEY HKEY_CURRENT_USER = 0x80000001u;
constexpr HKEY HKEY_LOCAL_MACHINE = 0x80000002u;
constexpr HKEY HKEY_USERS = 0x80000003u;
constexpr HKEY HKEY_CURRENT_CONFIG = 0x80000005u;
constexpr HKEY HKEY_DYN_DATA = 0x80000006u;

class TRegIniFile : public TCustomIniFile {
    QV_CLASS(TRegIniFile, TCustomIniFile)
public:
    // Opens the key FileName (e.g. "Software\qorvane") under HKEY_CURRENT_USER.
    // A read-only object raises ERegistryException on every write.
    explicit TRegIniFile(const QString& FileName, bool ReadOnly = false);
    ~TRegIniFile() override;

    HKEY RootKey() const { return FRootKey; }
    // Changing the root closes the current key.
    void SetRootKey(HKEY Root);
    // Key relative to the current one, or absolute (from the root) when it
    // starts with '\'. A key that does not exist is made only with CanCreate
    // on a writable object; otherwise false and the current key stays.
    bool OpenKey(const QString& Key, bool CanCreate);
    void CloseKey() { FCurrentPath.clear(); }
    const QString& CurrentPath() const { return FCurrentPath; }
    bool KeyExists(const QString& Key) const;
    bool ReadOnly() const { return FReadOnly; }

    bool SectionExists(const QString& Section) const override;
    bool ValueExists(const QString& Section, const QString& Ident) const override;
    QString ReadString(const QString& Section, const QString& Ident, const QString& Default) const override;
    void WriteString(const QString& Section, const QString& Ident, const QString& Value) override;
    void ReadSection(const QString& Section, TStrings* Strings) const override;
    // Direct subkeys of the current key.
    void ReadSections(TStrings* Strings) const override;
    // Deletes the subkey with everything under it.
    void EraseSection(const QString& Section) override;
    void DeleteKey(const QString& Section, const QString& Ident) override;

    // Where the registry stand-in keeps its keys (default under ~/.config/qorvane).
    static QString StorageFileName();
    static void SetStorageFileName(const QString& FileName);   // empty: back to the default

private:
    HKEY FRootKey = HKEY_CURRENT_USER;
    QString FCurrentPath;
    bool FReadOnly;
    std::unique_ptr<qv_ini_detail::IniStore> FStore;

    QString RootName() const;
    QString KeyPath(const QString& SubKey) const;   // full section name of a key
    void CheckWritable(const QString& What) const;
};
