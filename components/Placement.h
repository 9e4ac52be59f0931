#pragma once
// Form placement and form storage.
//
// TFormPlacement, dropped on a form, takes over the form's OnShow,
// OnCloseQuery and OnDestroy handlers when the form's creation ends (Loaded):
// on show it restores the window's placement from the settings file (then the
// form's own OnShow runs), on close query (after the form's own handler
// allowed closing) and on destruction (when the close query did not save) it
// saves it. TFormStorage adds published properties of the form's components
// (StoredProps: "component.property" entries, see QvProps.h) and named values
// (StoredValues).
//
// Settings: the file IniFileName (default: the executable's name with .INI);
// a name without a folder lies in the executable's folder. Section:
// IniSection (default: the owner form's class name). Keys of a section, in
// the order written: FormVersion, Flags, ShowCmd, PixelsPerInch,
// MinMaxPos(<w>x<h>), MinMaxPos, NormPos(<w>x<h>), NormPos, Visible ("1" when
// saved from the form's destruction, else "0"), then the stored properties.
//
// Errors of a restore on show and of a save on close or destruction go to
// the application's error display; the form still shows or closes.
#include <QString>
#include <functional>
#include <vector>

#include "platform/core/Classes.h"
#include "platform/core/Sets.h"
#include "platform/core/Variants.h"
#include "platform/ui/Forms.h"

class TIniFile;
class TRegIniFile;
class TFormPlacement;
class TQvWindowHook;

enum TPlacementOption { fpState, fpPosition, fpActiveControl };
using TPlacementOptions = TSet<TPlacementOption>;
enum TPlacementRegRoot { prCurrentUser, prLocalMachine, prCurrentConfig, prClassesRoot, prUsers, prDynData };
enum TPlacementOperation { poSave, poRestore };

// Size and position limits of a window (0: no limit).
class TWinMinMaxInfo : public TPersistent {
    QV_CLASS(TWinMinMaxInfo, TPersistent)
public:
    explicit TWinMinMaxInfo(TFormPlacement* AOwner = nullptr) : FOwner(AOwner) {}

    int MaxPosLeft() const { return FMinMaxInfo.ptMaxPosition.X; }
    int MaxPosTop() const { return FMinMaxInfo.ptMaxPosition.Y; }
    int MaxSizeWidth() const { return FMinMaxInfo.ptMaxSize.X; }
    int MaxSizeHeight() const { return FMinMaxInfo.ptMaxSize.Y; }
    int MaxTrackWidth() const { return FMinMaxInfo.ptMaxTrackSize.X; }
    int MaxTrackHeight() const { return FMinMaxInfo.ptMaxTrackSize.Y; }
    int MinTrackWidth() const { return FMinMaxInfo.ptMinTrackSize.X; }
    int MinTrackHeight() const { return FMinMaxInfo.ptMinTrackSize.Y; }
    void SetMaxPosLeft(int v) { Set(FMinMaxInfo.ptMaxPosition.X, v); }
    void SetMaxPosTop(int v) { Set(FMinMaxInfo.ptMaxPosition.Y, v); }
    void SetMaxSizeWidth(int v) { Set(FMinMaxInfo.ptMaxSize.X, v); }
    void SetMaxSizeHeight(int v) { Set(FMinMaxInfo.ptMaxSize.Y, v); }
    void SetMaxTrackWidth(int v) { Set(FMinMaxInfo.ptMaxTrackSize.X, v); }
    void SetMaxTrackHeight(int v) { Set(FMinMaxInfo.ptMaxTrackSize.Y, v); }
    void SetMinTrackWidth(int v) { Set(FMinMaxInfo.ptMinTrackSize.X, v); }
    void SetMinTrackHeight(int v) { Set(FMinMaxInfo.ptMinTrackSize.Y, v); }

    // All eight values 0.
    bool DefaultMinMaxInfo() const;
    const TMinMaxInfo& MinMaxInfo() const { return FMinMaxInfo; }
    void Assign(TPersistent* Source) override;

private:
    void Set(int& field, int v);
    TFormPlacement* FOwner;
    TMinMaxInfo FMinMaxInfo;
};

// A link through which another component (the grid's layout store) saves and
// loads its own values whenever the placement does.
class TIniLink : public TPersistent {
    QV_CLASS(TIniLink, TPersistent)
public:
    TIniLink() = default;
    ~TIniLink() override;
    TFormPlacement* Storage() const { return FStorage; }
    void SetStorage(TFormPlacement* Value);
    // The storage's open settings object (none without storage or when closed).
    TObject* IniObject() const;
    // The storage's IniSection as set (not the default) and "\" when not empty.
    QString RootSection() const;
    virtual void SaveToIni();
    virtual void LoadFromIni();
    TNotifyEvent OnIniSave;
    TNotifyEvent OnIniLoad;

private:
    friend class TFormPlacement;
    TFormPlacement* FStorage = nullptr;
};

class TStoredValue;
using TStoredValueEvent = std::function<void(TStoredValue* Sender, Variant& Value)>;

// A named value kept in the form storage's section (under its Name; XOR-coded
// with KeyString when that is set).
class TStoredValue : public TCollectionItem {
    QV_CLASS(TStoredValue, TCollectionItem)
public:
    explicit TStoredValue(TCollection* Collection);
    QString Name() const { return FName; }
    // Raises EStringListError "String list does not allow duplicates" for a
    // name another item of the collection has (case-insensitive).
    void SetName(const QString& Value);
    Variant Value() const { return FValue; }
    void SetValue(const Variant& v) { FValue = v; }
    QString KeyString() const { return FKeyString; }
    void SetKeyString(const QString& v) { FKeyString = v; }
    QString DisplayName() const override;
    void Assign(TPersistent* Source) override;
    void Save();
    void Restore();
    TStoredValueEvent OnSave;
    TStoredValueEvent OnRestore;

private:
    QString FName;
    Variant FValue;
    QString FKeyString;
};

class TStoredValues : public TOwnedCollection {
    QV_CLASS(TStoredValues, TOwnedCollection)
public:
    explicit TStoredValues(TPersistent* AOwner);
    TFormPlacement* Storage() const { return FStorage; }
    void SetStorage(TFormPlacement* v) { FStorage = v; }
    TStoredValue* Items(int i) const { return static_cast<TStoredValue*>(TCollection::Items(i)); }
    TStoredValue* Add() { return static_cast<TStoredValue*>(TCollection::Add()); }
    // Case-insensitive; -1 when absent.
    int IndexOf(const QString& Name) const;
    TStoredValue* FindValue(const QString& Name) const;
    Variant StoredValue(const QString& Name) const;
    void SetStoredValue(const QString& Name, const Variant& Value);
    void SaveValues();
    void RestoreValues();

private:
    TFormPlacement* FStorage = nullptr;
};

class TFormPlacement : public TComponent {
    QV_CLASS(TFormPlacement, TComponent)
public:
    explicit TFormPlacement(TComponent* AOwner = nullptr);
    ~TFormPlacement() override;
    void Loaded() override;

    bool Active() const { return FActive; }
    void SetActive(bool v) { FActive = v; }
    QString IniFileName() const;
    void SetIniFileName(const QString& v) { FIniFileName = v; }
    QString IniSection() const;
    void SetIniSection(const QString& v) { FIniSection = v; }
    // The section as set, empty for the default.
    QString StoredIniSection() const { return FIniSection; }
    TWinMinMaxInfo* MinMaxInfo() const { return FWinMinMaxInfo; }
    void SetMinMaxInfo(TWinMinMaxInfo* v) { FWinMinMaxInfo->Assign(v); }
    TPlacementOptions Options() const { return FOptions; }
    void SetOptions(TPlacementOptions v) { FOptions = v; }
    bool PreventResize() const { return FPreventResize; }
    void SetPreventResize(bool v);
    TPlacementRegRoot RegistryRoot() const { return FRegistryRoot; }
    void SetRegistryRoot(TPlacementRegRoot v) { FRegistryRoot = v; }
    bool UseRegistry() const { return FUseRegistry; }
    void SetUseRegistry(bool v) { FUseRegistry = v; }
    int Version() const { return FVersion; }
    void SetVersion(int v) { FVersion = v; }

    TNotifyEvent OnSavePlacement;
    TNotifyEvent OnRestorePlacement;

    void SaveFormPlacement();
    void RestoreFormPlacement();
    bool Saved() const { return FSaved; }
    bool Restored() const { return FRestored; }

    void IniOpen(bool ReadOnly);
    void IniFree();
    // The open settings object (TIniFile or TRegIniFile), none when closed.
    TObject* GetIniFileObject() const;
    TIniFile* IniFile() const { return FIniFile; }
    TRegIniFile* RegIniFile() const { return FRegIniFile; }

    QString ReadSectionString(const QString& Ident, const QString& Default);
    void WriteSectionString(const QString& Ident, const QString& Value);
    int ReadSectionInteger(const QString& Ident, int Default);
    void WriteSectionInteger(const QString& Ident, int Value);

    void AddLink(TIniLink* Link);
    void RemoveLink(TIniLink* Link);
    void NotifyLinks(TPlacementOperation Operation);
    int LinkCount() const { return int(FLinks.size()); }

    void MinMaxInfoModified();
    void UpdatePlacement();
    void UpdatePreventResize();
    void CheckToggleHook();
    TQvWindowHook* WinHook() const { return FWinHook; }

protected:
    virtual void SavePlacement();
    virtual void RestorePlacement();
    virtual QString ReadSettingString(const QString& Section, const QString& Ident, const QString& Default);
    virtual void WriteSettingString(const QString& Section, const QString& Ident, const QString& Value);
    virtual void DoSavePlacement();
    virtual void DoRestorePlacement();
    TForm* Form() const { return dynamic_cast<TForm*>(Owner()); }

    bool FRestored = false;
    bool FDestroying = false;

private:
    void FormShow(TObject* Sender);
    void FormCloseQuery(TObject* Sender, bool& CanClose);
    void FormDestroy(TObject* Sender);
    void WndMessage(TObject* Sender, TMessage& Msg, bool& Handled);
    void UnhookFormEvents();

    bool FActive = true;
    QString FIniFileName;
    QString FIniSection;
    TPlacementOptions FOptions;
    bool FPreventResize = false;
    TPlacementRegRoot FRegistryRoot = prCurrentUser;
    bool FUseRegistry = false;
    int FVersion = 0;

    TIniFile* FIniFile = nullptr;
    TRegIniFile* FRegIniFile = nullptr;
    std::vector<TIniLink*> FLinks;
    bool FSaved = false;
    TWinMinMaxInfo* FWinMinMaxInfo;
    bool FDefMaximize = false;
    TQvWindowHook* FWinHook;
    bool FHooked = false;
    TNotifyEvent FSaveFormShow;
    TNotifyEvent FSaveFormDestroy;
    TCloseQueryEvent FSaveFormCloseQuery;
};

class TFormStorage : public TFormPlacement {
    QV_CLASS(TFormStorage, TFormPlacement)
public:
    explicit TFormStorage(TComponent* AOwner = nullptr);
    ~TFormStorage() override;
    void Loaded() override;

    TStrings* StoredProps() const { return FStoredProps; }
    // Copies the list; the components it names are watched from then on.
    void SetStoredProps(TStrings* Value);
    TStoredValues* StoredValues() const { return FStoredValues; }
    void SetStoredValues(TStoredValues* Value) { FStoredValues->Assign(Value); }

    // Before the owner is written out: the entries take their components'
    // current names.
    void WriteState();

    virtual void SaveProperties();
    virtual void RestoreProperties();

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void SavePlacement() override;
    void RestorePlacement() override;

private:
    void WatchStoredComponents();
    TStringList* FStoredProps;
    TStoredValues* FStoredValues;
};
