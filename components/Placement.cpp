#include "components/Placement.h"

#include <algorithm>

#include "components/AppUtils.h"
#include "components/QvHook.h"
#include "components/QvProps.h"
#include "components/qvStrUtils.h"
#include "platform/core/SysUtils.h"
#include "platform/os/IniFiles.h"

namespace {

bool Designing(const TComponent* c) { return c->ComponentState() & csDesigning; }

QString ValueText(const Variant& v)
{
    if (VarIsNull(v)) return QString();
    if (v.typeId() == QMetaType::Double || v.typeId() == QMetaType::Float) return FloatToStr(v.toDouble());
    return v.toString();
}

const QString kFormVersion = QStringLiteral("FormVersion");
const QString kVisible = QStringLiteral("Visible");
const QString kActiveControl = QStringLiteral("ActiveControl");

}  // namespace

// ---------------------------------------------------------- TWinMinMaxInfo

bool TWinMinMaxInfo::DefaultMinMaxInfo() const
{
    return MaxPosLeft() == 0 && MaxPosTop() == 0 && MaxSizeWidth() == 0 && MaxSizeHeight() == 0 &&
           MaxTrackWidth() == 0 && MaxTrackHeight() == 0 && MinTrackWidth() == 0 && MinTrackHeight() == 0;
}

void TWinMinMaxInfo::Set(int& field, int v)
{
    if (field == v) return;
    field = v;
    if (FOwner) FOwner->MinMaxInfoModified();
}

void TWinMinMaxInfo::Assign(TPersistent* Source)
{
    if (auto* s = dynamic_cast<TWinMinMaxInfo*>(Source)) {
        FMinMaxInfo = s->FMinMaxInfo;
        if (FOwner) FOwner->MinMaxInfoModified();
        return;
    }
    TPersistent::Assign(Source);
}

// ----------------------------------------------------------------- TIniLink

TIniLink::~TIniLink()
{
    OnIniSave = nullptr;
    OnIniLoad = nullptr;
    SetStorage(nullptr);
}

void TIniLink::SetStorage(TFormPlacement* Value)
{
    if (Value == FStorage) return;
    if (FStorage) FStorage->RemoveLink(this);
    if (Value) Value->AddLink(this);
}

TObject* TIniLink::IniObject() const { return FStorage ? FStorage->GetIniFileObject() : nullptr; }

QString TIniLink::RootSection() const
{
    if (!FStorage) return QString();
    QString s = FStorage->StoredIniSection();
    return s.isEmpty() ? s : s + QLatin1Char('\\');
}

void TIniLink::SaveToIni()
{
    if (OnIniSave) OnIniSave(this);
}

void TIniLink::LoadFromIni()
{
    if (OnIniLoad) OnIniLoad(this);
}

// ------------------------------------------------------------- TStoredValue

TStoredValue::TStoredValue(TCollection* Collection) : TCollectionItem(Collection) {}

void TStoredValue::SetName(const QString& Value)
{
    if (!Value.isEmpty() && Value.compare(FName, Qt::CaseInsensitive) != 0)
        if (auto* values = dynamic_cast<TStoredValues*>(Collection()); values && values->IndexOf(Value) >= 0)
            throw EStringListError(QStringLiteral("String list does not allow duplicates"));
    FName = Value;
}

QString TStoredValue::DisplayName() const { return FName.isEmpty() ? TCollectionItem::DisplayName() : FName; }

void TStoredValue::Assign(TPersistent* Source)
{
    if (auto* s = dynamic_cast<TStoredValue*>(Source)) {
        FValue = VarIsEmpty(s->FValue) ? Variant() : s->FValue;
        SetName(s->FName);
        FKeyString = s->FKeyString;
        return;
    }
    TCollectionItem::Assign(Source);
}

void TStoredValue::Save()
{
    auto* values = dynamic_cast<TStoredValues*>(Collection());
    TFormPlacement* storage = values ? values->Storage() : nullptr;
    if (!storage || FName.isEmpty()) return;
    Variant v = FValue;
    if (OnSave) OnSave(this, v);
    QString text = ValueText(v);
    if (!FKeyString.isEmpty()) text = XorEncode(FKeyString, text);
    storage->WriteSectionString(FName, text);
}

void TStoredValue::Restore()
{
    auto* values = dynamic_cast<TStoredValues*>(Collection());
    TFormPlacement* storage = values ? values->Storage() : nullptr;
    if (!storage || FName.isEmpty()) return;
    QString def = ValueText(FValue);
    if (!FKeyString.isEmpty()) def = XorEncode(FKeyString, def);
    QString text = storage->ReadSectionString(FName, def);
    if (!FKeyString.isEmpty()) text = XorDecode(FKeyString, text);
    Variant v(text);
    if (OnRestore) OnRestore(this, v);
    FValue = v;
}

// ------------------------------------------------------------ TStoredValues

TStoredValues::TStoredValues(TPersistent* AOwner)
    : TOwnedCollection(AOwner, [](TCollection* c) { return new TStoredValue(c); })
{
}

int TStoredValues::IndexOf(const QString& Name) const
{
    for (int i = 0; i < Count(); ++i)
        if (Items(i)->Name().compare(Name, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

TStoredValue* TStoredValues::FindValue(const QString& Name) const
{
    int i = IndexOf(Name);
    return i < 0 ? nullptr : Items(i);
}

Variant TStoredValues::StoredValue(const QString& Name) const
{
    TStoredValue* v = FindValue(Name);
    return v ? v->Value() : Variant();
}

void TStoredValues::SetStoredValue(const QString& Name, const Variant& Value)
{
    TStoredValue* v = FindValue(Name);
    if (!v) {
        v = Add();
        v->SetName(Name);
    }
    v->SetValue(Value);
}

void TStoredValues::SaveValues()
{
    for (int i = 0; i < Count(); ++i) Items(i)->Save();
}

void TStoredValues::RestoreValues()
{
    for (int i = 0; i < Count(); ++i) Items(i)->Restore();
}

// ----------------------------------------------------------- TFormPlacement

TFormPlacement::TFormPlacement(TComponent* AOwner) : TComponent(AOwner)
{
    if (dynamic_cast<TForm*>(AOwner)) FOptions = TPlacementOptions{fpState, fpPosition};
    FWinMinMaxInfo = new TWinMinMaxInfo(this);
    FWinHook = new TQvWindowHook(this);
    FWinHook->AfterMessage = [this](TObject* s, TMessage& m, bool& h) { WndMessage(s, m, h); };
}

TFormPlacement::~TFormPlacement()
{
    IniFree();
    while (!FLinks.empty()) RemoveLink(FLinks.back());
    if (!Designing(this)) {
        FWinHook->SetActive(false);
        FWinHook->SetWinControl(nullptr);
        UnhookFormEvents();
    }
    delete FWinMinMaxInfo;
    FWinMinMaxInfo = nullptr;
}

void TFormPlacement::Loaded()
{
    const bool wasLoading = IsLoading();
    TComponent::Loaded();
    if (Designing(this)) return;
    if (TForm* f = Form(); wasLoading && f && !FHooked) {
        // The form's handlers stay; the placement's run around them.
        FSaveFormShow = f->OnShow;
        FSaveFormCloseQuery = f->OnCloseQuery;
        FSaveFormDestroy = f->OnDestroy;
        f->OnShow = [this](TObject* s) { FormShow(s); };
        f->OnCloseQuery = [this](TObject* s, bool& c) { FormCloseQuery(s, c); };
        f->OnDestroy = [this](TObject* s) { FormDestroy(s); };
        FHooked = true;
        FDefMaximize = f->BorderIcons().Contains(biMaximize);
        if (FPreventResize) UpdatePreventResize();
    }
    CheckToggleHook();
}

void TFormPlacement::UnhookFormEvents()
{
    TForm* f = Form();
    if (!FHooked || !f) return;
    f->OnShow = FSaveFormShow;
    f->OnCloseQuery = FSaveFormCloseQuery;
    f->OnDestroy = FSaveFormDestroy;
    FHooked = false;
}

void TFormPlacement::FormShow(TObject* Sender)
{
    if (FActive) {
        try {
            RestoreFormPlacement();
        } catch (...) {
            Application->HandleException(this);
        }
    }
    if (FSaveFormShow) FSaveFormShow(Sender);
}

void TFormPlacement::FormCloseQuery(TObject* Sender, bool& CanClose)
{
    if (FSaveFormCloseQuery) FSaveFormCloseQuery(Sender, CanClose);
    TForm* f = Form();
    if (CanClose && FActive && f && f->HandleAllocated()) {
        try {
            SaveFormPlacement();
        } catch (...) {
            Application->HandleException(this);
        }
    }
}

void TFormPlacement::FormDestroy(TObject* Sender)
{
    if (FActive && !FSaved) {
        FDestroying = true;
        try {
            SaveFormPlacement();
        } catch (...) {
            Application->HandleException(this);
        }
        FDestroying = false;
    }
    if (FSaveFormDestroy) FSaveFormDestroy(Sender);
}

QString TFormPlacement::IniFileName() const
{
    if (FIniFileName.isEmpty() && !Designing(this)) return FUseRegistry ? GetDefaultIniRegKey() : GetDefaultIniName();
    return FIniFileName;
}

QString TFormPlacement::IniSection() const
{
    if (FIniSection.isEmpty() && !Designing(this)) return GetDefaultSection(Owner());
    return FIniSection;
}

void TFormPlacement::SetPreventResize(bool v)
{
    if (v == FPreventResize) return;
    FPreventResize = v;
    if (!Form()) return;
    UpdatePlacement();
    UpdatePreventResize();
}

void TFormPlacement::SaveFormPlacement()
{
    // A placement that was never read is never overwritten.
    if (FActive && !FRestored) return;
    IniOpen(false);
    try {
        // Everything the save writes reaches the file in one replacement.
        auto* held = dynamic_cast<TIniFile*>(GetIniFileObject());
        if (held) held->HoldWrites();
        IniWriteInteger(GetIniFileObject(), IniSection(), kFormVersion, FVersion);
        SavePlacement();
        DoSavePlacement();
        if (held) held->FlushWrites();
        FSaved = true;
    } catch (...) {
        IniFree();
        throw;
    }
    IniFree();
}

void TFormPlacement::RestoreFormPlacement()
{
    FSaved = false;
    IniOpen(true);
    try {
        if (ReadSectionInteger(kFormVersion, 0) >= FVersion) {
            RestorePlacement();
            FRestored = true;
            DoRestorePlacement();
            if (TForm* f = Form(); f && FOptions.Contains(fpActiveControl)) {
                QString name = IniReadString(GetIniFileObject(), IniSection(), kActiveControl, QString());
                auto* c = dynamic_cast<TWinControl*>(f->FindComponent(name));
                if (c && c->CanFocus()) f->SetActiveControl(c);
            }
        }
    } catch (...) {
        IniFree();
        throw;
    }
    FRestored = true;
    IniFree();
    UpdatePlacement();
}

void TFormPlacement::SavePlacement()
{
    if (TForm* f = Form()) {
        auto* ini = dynamic_cast<TCustomIniFile*>(GetIniFileObject());
        if (FOptions.Contains(fpState) || FOptions.Contains(fpPosition)) {
            WriteFormPlacement(f, GetIniFileObject(), IniSection());
            if (ini) ini->WriteBool(IniSection(), kVisible, FDestroying);
        }
        if (FOptions.Contains(fpActiveControl) && f->ActiveControl() && ini)
            ini->WriteString(IniSection(), kActiveControl, f->ActiveControl()->Name());
    }
    NotifyLinks(poSave);
}

void TFormPlacement::RestorePlacement()
{
    if (TForm* f = Form())
        ReadFormPlacement(f, GetIniFileObject(), IniSection(), FOptions.Contains(fpState),
                          FOptions.Contains(fpPosition));
    NotifyLinks(poRestore);
}

void TFormPlacement::DoSavePlacement()
{
    if (OnSavePlacement) OnSavePlacement(this);
}

void TFormPlacement::DoRestorePlacement()
{
    if (OnRestorePlacement) OnRestorePlacement(this);
}

void TFormPlacement::IniOpen(bool ReadOnly)
{
    if (GetIniFileObject()) return;
    if (FUseRegistry) {
        auto* r = new TRegIniFile(IniFileName(), ReadOnly);
        try {
            if (FRegistryRoot != prCurrentUser) {
                HKEY root = HKEY_CURRENT_USER;
                switch (FRegistryRoot) {
                case prLocalMachine: root = HKEY_LOCAL_MACHINE; break;
                case prCurrentConfig: root = HKEY_CURRENT_CONFIG; break;
                case prClassesRoot: root = HKEY_CLASSES_ROOT; break;
                case prUsers: root = HKEY_USERS; break;
                case prDynData: root = HKEY_DYN_DATA; break;
                default: break;
                }
                r->SetRootKey(root);
                r->OpenKey(IniFileName(), !ReadOnly);
            }
        } catch (...) {
            delete r;
            throw;
        }
        FRegIniFile = r;
    } else {
        QString name = IniFileName();
        if (ExtractFilePath(name).isEmpty()) name = ExeFolder() + name;
        FIniFile = new TIniFile(name);
    }
}

void TFormPlacement::IniFree()
{
    delete FIniFile;
    FIniFile = nullptr;
    delete FRegIniFile;
    FRegIniFile = nullptr;
}

TObject* TFormPlacement::GetIniFileObject() const
{
    if (FRegIniFile) return FRegIniFile;
    return FIniFile;
}

QString TFormPlacement::ReadSettingString(const QString& Section, const QString& Ident, const QString& Default)
{
    if (GetIniFileObject()) return IniReadString(GetIniFileObject(), Section, Ident, Default);
    IniOpen(true);
    QString r;
    try {
        r = IniReadString(GetIniFileObject(), Section, Ident, Default);
    } catch (...) {
        IniFree();
        throw;
    }
    IniFree();
    return r;
}

void TFormPlacement::WriteSettingString(const QString& Section, const QString& Ident, const QString& Value)
{
    if (GetIniFileObject()) {
        IniWriteString(GetIniFileObject(), Section, Ident, Value);
        return;
    }
    IniOpen(false);
    try {
        IniWriteString(GetIniFileObject(), Section, Ident, Value);
    } catch (...) {
        IniFree();
        throw;
    }
    IniFree();
}

QString TFormPlacement::ReadSectionString(const QString& Ident, const QString& Default)
{
    return ReadSettingString(IniSection(), Ident, Default);
}

void TFormPlacement::WriteSectionString(const QString& Ident, const QString& Value)
{
    WriteSettingString(IniSection(), Ident, Value);
}

int TFormPlacement::ReadSectionInteger(const QString& Ident, int Default)
{
    if (GetIniFileObject()) return IniReadInteger(GetIniFileObject(), IniSection(), Ident, Default);
    IniOpen(true);
    int r;
    try {
        r = IniReadInteger(GetIniFileObject(), IniSection(), Ident, Default);
    } catch (...) {
        IniFree();
        throw;
    }
    IniFree();
    return r;
}

void TFormPlacement::WriteSectionInteger(const QString& Ident, int Value)
{
    if (GetIniFileObject()) {
        IniWriteInteger(GetIniFileObject(), IniSection(), Ident, Value);
        return;
    }
    IniOpen(false);
    try {
        IniWriteInteger(GetIniFileObject(), IniSection(), Ident, Value);
    } catch (...) {
        IniFree();
        throw;
    }
    IniFree();
}

void TFormPlacement::AddLink(TIniLink* Link)
{
    if (!Link) return;
    if (std::find(FLinks.begin(), FLinks.end(), Link) == FLinks.end()) FLinks.push_back(Link);
    Link->FStorage = this;
}

void TFormPlacement::RemoveLink(TIniLink* Link)
{
    if (!Link) return;
    auto it = std::find(FLinks.begin(), FLinks.end(), Link);
    if (it != FLinks.end()) FLinks.erase(it);
    if (Link->FStorage == this) Link->FStorage = nullptr;
}

void TFormPlacement::NotifyLinks(TPlacementOperation Operation)
{
    const std::vector<TIniLink*> links(FLinks);
    for (TIniLink* l : links) {
        if (std::find(FLinks.begin(), FLinks.end(), l) == FLinks.end()) continue;
        if (Operation == poSave)
            l->SaveToIni();
        else
            l->LoadFromIni();
    }
}

void TFormPlacement::WndMessage(TObject* Sender, TMessage& Msg, bool& Handled)
{
    TForm* f = Form();
    if (FPreventResize && f) {
        switch (Msg.Msg) {
        case WM_GETMINMAXINFO:
            if (f->HandleAllocated() && IsWindowVisible(f->Handle())) {
                auto* mmi = reinterpret_cast<TMinMaxInfo*>(Msg.LParam);
                if (mmi) {
                    mmi->ptMinTrackSize = Point(f->Width(), f->Height());
                    mmi->ptMaxTrackSize = Point(f->Width(), f->Height());
                }
                Msg.Result = 1;
            }
            break;
        case WM_NCHITTEST:
            if (Msg.Result >= HTLEFT && Msg.Result <= HTBOTTOMRIGHT) Msg.Result = HTNOWHERE;
            break;
        case WM_INITMENUPOPUP:
            // The system menu: sizing and maximising are not offered (the
            // window itself has no maximise button and a fixed size).
            if (HIWORD(quintptr(Msg.LParam)) != 0) Msg.Result = 1;
            break;
        default: break;
        }
    } else if (Msg.Msg == WM_GETMINMAXINFO) {
        auto* mmi = reinterpret_cast<TMinMaxInfo*>(Msg.LParam);
        if (!mmi) return;
        const TWinMinMaxInfo& i = *FWinMinMaxInfo;
        if (!i.DefaultMinMaxInfo()) {
            if (i.MinTrackWidth()) mmi->ptMinTrackSize.X = i.MinTrackWidth();
            if (i.MinTrackHeight()) mmi->ptMinTrackSize.Y = i.MinTrackHeight();
            if (i.MaxTrackWidth()) mmi->ptMaxTrackSize.X = i.MaxTrackWidth();
            if (i.MaxTrackHeight()) mmi->ptMaxTrackSize.Y = i.MaxTrackHeight();
            if (i.MaxSizeWidth()) mmi->ptMaxSize.X = i.MaxSizeWidth();
            if (i.MaxSizeHeight()) mmi->ptMaxSize.Y = i.MaxSizeHeight();
            if (i.MaxPosLeft()) mmi->ptMaxPosition.X = i.MaxPosLeft();
            if (i.MaxPosTop()) mmi->ptMaxPosition.Y = i.MaxPosTop();
        } else {
            mmi->ptMaxPosition = Point(0, 0);
        }
        Msg.Result = 1;
    }
}

void TFormPlacement::MinMaxInfoModified()
{
    UpdatePlacement();
    if (!IsLoading()) CheckToggleHook();
}

void TFormPlacement::UpdatePlacement()
{
    TForm* f = Form();
    if (!f || !f->HandleAllocated() || f->IsDestroying() || IsLoading() || FPreventResize ||
        !FWinMinMaxInfo->DefaultMinMaxInfo())
        return;
    const HWND h = f->Handle();
    TWindowPlacement wp;
    GetWindowPlacement(h, &wp);
    if (!IsWindowVisible(h)) wp.showCmd = SW_HIDE;
    // A maximised window puts its frame just outside the screen.
    switch (f->BorderStyle()) {
    case bsSingle:
    case bsToolWindow: wp.ptMaxPosition = Point(-GetSystemMetrics(SM_CXBORDER), -GetSystemMetrics(SM_CYBORDER)); break;
    case bsSizeable:
    case bsSizeToolWin: wp.ptMaxPosition = Point(-GetSystemMetrics(SM_CXFRAME), -GetSystemMetrics(SM_CYFRAME)); break;
    case bsDialog: wp.ptMaxPosition = Point(-GetSystemMetrics(SM_CXDLGFRAME), -GetSystemMetrics(SM_CYDLGFRAME)); break;
    default: wp.ptMaxPosition = Point(0, 0); break;
    }
    SetWindowPlacement(h, &wp);
}

void TFormPlacement::UpdatePreventResize()
{
    TForm* f = Form();
    if (!f || Designing(this)) return;
    if (FPreventResize) FDefMaximize = f->BorderIcons().Contains(biMaximize);
    const bool isActive = FActive;
    FActive = false;
    try {
        TBorderIcons icons = f->BorderIcons();
        if (!FPreventResize && FDefMaximize && f->BorderStyle() != bsDialog)
            icons += biMaximize;
        else
            icons -= biMaximize;
        f->SetBorderIcons(icons);
    } catch (...) {
        FActive = isActive;
        throw;
    }
    FActive = isActive;
    if (!IsLoading()) CheckToggleHook();
}

void TFormPlacement::CheckToggleHook()
{
    if (Designing(this)) return;
    TForm* f = Form();
    if (f && (FPreventResize || !FWinMinMaxInfo->DefaultMinMaxInfo())) {
        FWinHook->SetWinControl(f);
        FWinHook->SetActive(true);
    } else {
        FWinHook->SetActive(false);
    }
    // The window takes its new size limits at once.
    if (f && f->HandleAllocated()) f->UpdateMinMaxInfo();
}

// ------------------------------------------------------------- TFormStorage

TFormStorage::TFormStorage(TComponent* AOwner) : TFormPlacement(AOwner)
{
    FStoredProps = new TStringList;
    FStoredValues = new TStoredValues(this);
    FStoredValues->SetStorage(this);
}

TFormStorage::~TFormStorage()
{
    delete FStoredValues;
    FStoredValues = nullptr;
    delete FStoredProps;
    FStoredProps = nullptr;
}

void TFormStorage::Loaded()
{
    TFormPlacement::Loaded();
    if (Designing(this)) return;
    UpdateStoredList(Owner(), FStoredProps, true);
    WatchStoredComponents();
}

void TFormStorage::WatchStoredComponents()
{
    for (int i = 0; i < FStoredProps->Count(); ++i)
        if (auto* c = dynamic_cast<TComponent*>(FStoredProps->Objects(i))) c->FreeNotification(this);
}

void TFormStorage::SetStoredProps(TStrings* Value)
{
    if (!Value) {
        FStoredProps->Clear();
        return;
    }
    FStoredProps->Assign(Value);
    WatchStoredComponents();
}

void TFormStorage::WriteState() { UpdateStoredList(Owner(), FStoredProps, false); }

void TFormStorage::Notification(TComponent* AComponent, TOperation Operation)
{
    TFormPlacement::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent && !IsDestroying() && FStoredProps)
        for (int i = FStoredProps->Count() - 1; i >= 0; --i)
            if (FStoredProps->Objects(i) == AComponent) FStoredProps->Delete(i);
}

void TFormStorage::SavePlacement()
{
    TFormPlacement::SavePlacement();
    SaveProperties();
    FStoredValues->SaveValues();
}

void TFormStorage::RestorePlacement()
{
    TFormPlacement::RestorePlacement();
    FRestored = true;
    RestoreProperties();
    FStoredValues->RestoreValues();
}

void TFormStorage::SaveProperties()
{
    TPropsStorage storage;
    storage.SetSection(IniSection());
    storage.OnWriteString = [this](const QString& s, const QString& k, const QString& v) { WriteSettingString(s, k, v); };
    storage.OnEraseSection = [this](const QString& s) { IniEraseSection(GetIniFileObject(), s); };
    storage.StoreObjectsProps(Owner(), FStoredProps);
}

void TFormStorage::RestoreProperties()
{
    TPropsStorage storage;
    storage.SetSection(IniSection());
    storage.OnReadString = [this](const QString& s, const QString& k, const QString& d) {
        return ReadSettingString(s, k, d);
    };
    try {
        storage.LoadObjectsProps(Owner(), FStoredProps);
    } catch (...) {
        // Single properties already keep their values on errors.
    }
}
