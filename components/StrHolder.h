#pragma once
// TStrHolder: a non-visual component that keeps a list of strings, streams it
// as an opaque list (optionally scrambled with a key), and keeps the macros
// found in its text ("%Name" by default) as a named collection of values.
//
// Streaming. There are no form files here, so the holder writes and reads
// itself in the component stream's text form:
//
//   object MainFields: TStrHolder
//     Capacity = 8
//     Macros = <>
//     Duplicates = dupError
//     InternalVer = 1
//     StrData = (
//       ''
//       '7265706f72746669656c64')
//   end
//
// Published properties are written when they differ from their default (or
// from the ancestor's value); "Macros" always. "InternalVer" (1) marks the
// stored format and is written only without an ancestor. "StrData" is a list
// whose first item is the key and whose further items are the strings as
// XorEncode(key, string): plain hex with an empty key. A stream without
// "InternalVer" (version 0) holds the strings in the older format: each item
// the string XOR-ed with the key (XorString), its characters being the bytes.
// Strings in the text form are quoted with '' for a quote and #n for control
// characters; other characters stand as they are (the text is UTF-8).
// The component has no designer position; "Left" and "Top" are read and ignored.
//
// Nothing fires OnExpandMacros or OnGetText: they are there for forms to bind.
// ExpandedText gives the text with the macros' values put in, for code that
// wants it.
#include <QString>
#include <QStringList>
#include <functional>

#include "platform/core/Classes.h"
#include "platform/core/Variants.h"

using TMacroTextEvent = std::function<void(TObject* Sender, const Variant& Data, QString& Text)>;

class TMacros;

class TMacro : public TCollectionItem {
    QV_CLASS(TMacro, TCollectionItem)
public:
    explicit TMacro(TCollection* Collection);

    const QString& Name() const { return FName; }
    // Raises EStringListError "String list does not allow duplicates" when another
    // macro of the collection has the name (ignoring case); the name then stays.
    void SetName(const QString& Value);
    const Variant& Value() const { return FData; }
    void SetValue(const Variant& Value) { FData = Value; }
    // The value as text (empty for Unassigned and Null).
    QString Text() const;

    QString DisplayName() const override;
    // From another macro: its value (an empty one clears) and its name; anything else: nothing.
    void Assign(TPersistent* Source) override;

    TMacroTextEvent OnGetText;

private:
    QString FName;
    Variant FData;
};

class TMacros : public TOwnedCollection {
    QV_CLASS(TMacros, TOwnedCollection)
public:
    explicit TMacros(TPersistent* AOwner);

    TMacro* Items(int Index) const { return static_cast<TMacro*>(TCollection::Items(Index)); }
    // First macro of that name, ignoring case; -1 / none.
    int IndexOf(const QString& Name) const;
    TMacro* FindMacro(const QString& Name) const;
    // A new macro of that name. A name already there raises EStringListError
    // "String list does not allow duplicates" and adds nothing.
    using TCollection::Add;
    TMacro* Add(const QString& Name);
    // Every macro of Value with a namesake here gives it its value and name.
    void AssignValues(TMacros* Value);
    // Returns Value with each macro replaced by "?" (doubled macro characters
    // made one). With DoCreate the collection afterwards holds exactly the macros
    // of Value, in order of first appearance, keeping the values of those it had.
    QString ParseString(const QString& Value, bool DoCreate, QChar SpecialChar);
};

class TStrHolder : public TComponent {
    QV_CLASS(TStrHolder, TComponent)
public:
    explicit TStrHolder(TComponent* AOwner = nullptr);
    ~TStrHolder() override;

    TStrings* Strings() const { return FStrings; }
    void SetStrings(const TStrings& Value);

    // At least the number of strings; never shrinks below what the list has held.
    int Capacity() const;
    // Raises EStringListError "List capacity out of bounds (%d)" below the count.
    void SetCapacity(int Value);
    bool Sorted() const;
    void SetSorted(bool Value);
    TDuplicates Duplicates() const;
    void SetDuplicates(TDuplicates Value);
    const QString& KeyString() const { return FKeyString; }
    void SetKeyString(const QString& Value) { FKeyString = Value; }
    QChar MacroChar() const { return FMacroChar; }
    void SetMacroChar(QChar Value);
    TMacros* Macros() const { return FMacros; }
    // Copies the values of Value's macros into the macros of the same names.
    void SetMacros(TMacros* Value);
    // The stored format's version read from a stream ("InternalVer"); 0 before.
    int StoredVersion() const { return FSVer; }

    // The text with each macro replaced by its value's text; doubled macro
    // characters made one; literals left alone.
    QString ExpandedText() const;

    // Strings from a TStrings or another TStrHolder.
    void Assign(TPersistent* Source) override;

    // The text form above; Ancestor (may be null) is the holder this one is
    // compared with, as for a form inherited from another.
    QString SaveToText(const TStrHolder* Ancestor = nullptr) const;
    void SaveToStrings(TStrings* Dest, const TStrHolder* Ancestor = nullptr) const;
    // Raises EReadError for text that is not such a stream. Events and macro
    // rebuilding are off while reading; the streamed macros stand.
    void LoadFromText(const QString& Text);
    void LoadFromStrings(const TStrings* Source);

    TNotifyEvent OnExpandMacros;
    TNotifyEvent OnChange;
    TNotifyEvent OnChanging;

protected:
    void AssignTo(TPersistent* Dest) override;
    virtual void Changed();
    virtual void Changing();

private:
    TStringList* FStrings;
    QString FKeyString;
    int FSVer = 0;
    TMacros* FMacros;
    QChar FMacroChar = QLatin1Char('%');
    int FCapacity = 0;

    void StringsChanged();
    void StringsChanging();
    void RecreateMacros();
    void ReadStrData(const QStringList& Items);
    QStringList WriteStrData() const;
    bool StrDataStored(const TStrHolder* Ancestor) const;
};
