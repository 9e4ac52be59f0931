#include "components/AppUtils.h"

#include <QFileInfo>

#include "components/qvStrUtils.h"
#include "platform/core/SysUtils.h"
#include "platform/os/IniFiles.h"
#include "platform/ui/Forms.h"

std::function<QString()> DefaultIniNameHook;
bool RegistryUseAppTitle = false;
QString RegistryCompanyName;

QString GetDefaultSection(TComponent* Component)
{
    if (!Component) return QString();
    if (dynamic_cast<TForm*>(Component)) return Component->ClassName();
    QString result = Component->Name();
    if (auto* control = dynamic_cast<TControl*>(Component)) {
        if (TForm* form = GetParentForm(control))
            result = form->ClassName() + result;
        else if (control->Parent())
            result = control->Parent()->Name() + result;
    } else if (TComponent* owner = Component->Owner(); owner && dynamic_cast<TForm*>(owner)) {
        result = QStringLiteral("%1.%2").arg(owner->ClassName(), result);
    }
    return result;
}

static QString ExeFileName() { return QFileInfo(Application->ExeName()).fileName(); }

QString GetDefaultIniName()
{
    if (DefaultIniNameHook) return DefaultIniNameHook();
    QString name = ExeFileName();
    QString ext = ExtractFileExt(name);
    return name.left(name.size() - ext.size()) + QStringLiteral(".INI");
}

QString GetDefaultIniRegKey()
{
    QString key;
    if (RegistryUseAppTitle && !Application->Title().isEmpty()) {
        key = Application->Title();
    } else {
        QString name = ExeFileName();
        key = name.left(name.size() - ExtractFileExt(name).size());
    }
    if (!RegistryCompanyName.isEmpty()) key = RegistryCompanyName + QLatin1Char('\\') + key;
    return QStringLiteral("Software\\") + key;
}

namespace {

// The settings object behind the untyped pointer: the registry-ini object,
// the settings file, or none.
TCustomIniFile* SettingsObject(TObject* obj, bool* isFile = nullptr)
{
    if (isFile) *isFile = false;
    if (auto* r = dynamic_cast<TRegIniFile*>(obj)) return r;
    if (auto* f = dynamic_cast<TIniFile*>(obj)) {
        if (isFile) *isFile = true;
        return f;
    }
    return nullptr;
}

bool EnclosedInQuotes(const QString& v)
{
    if (v.isEmpty()) return false;
    const QChar a = v.front(), b = v.back();
    return (a == QLatin1Char('"') && b == QLatin1Char('"')) || (a == QLatin1Char('\'') && b == QLatin1Char('\''));
}

}  // namespace

QString IniReadString(TObject* IniFile, const QString& Section, const QString& Ident, const QString& Default)
{
    if (TCustomIniFile* ini = SettingsObject(IniFile)) return ini->ReadString(Section, Ident, Default);
    return Default;
}

void IniWriteString(TObject* IniFile, const QString& Section, const QString& Ident, const QString& Value)
{
    bool isFile = false;
    TCustomIniFile* ini = SettingsObject(IniFile, &isFile);
    if (!ini) return;
    if (isFile && EnclosedInQuotes(Value))
        ini->WriteString(Section, Ident, QLatin1Char('"') + Value + QLatin1Char('"'));
    else
        ini->WriteString(Section, Ident, Value);
}

int IniReadInteger(TObject* IniFile, const QString& Section, const QString& Ident, int Default)
{
    if (TCustomIniFile* ini = SettingsObject(IniFile)) return ini->ReadInteger(Section, Ident, Default);
    return Default;
}

void IniWriteInteger(TObject* IniFile, const QString& Section, const QString& Ident, int Value)
{
    if (TCustomIniFile* ini = SettingsObject(IniFile)) ini->WriteInteger(Section, Ident, Value);
}

void IniEraseSection(TObject* IniFile, const QString& Section)
{
    if (TCustomIniFile* ini = SettingsObject(IniFile)) ini->EraseSection(Section);
}

QString ScreenSizeSuffix()
{
    return QStringLiteral("(%1x%2)").arg(GetSystemMetrics(SM_CXSCREEN)).arg(GetSystemMetrics(SM_CYSCREEN));
}

QString ReadPosStr(TObject* IniFile, const QString& Section, const QString& Ident)
{
    QString s = IniReadString(IniFile, Section, Ident + ScreenSizeSuffix(), QString());
    if (s.isEmpty()) s = IniReadString(IniFile, Section, Ident, QString());
    return s;
}

void WritePosStr(TObject* IniFile, const QString& Section, const QString& Ident, const QString& Value)
{
    IniWriteString(IniFile, Section, Ident + ScreenSizeSuffix(), Value);
    IniWriteString(IniFile, Section, Ident, Value);
}

static const QString kFlags = QStringLiteral("Flags");
static const QString kShowCmd = QStringLiteral("ShowCmd");
static const QString kPixels = QStringLiteral("PixelsPerInch");
static const QString kMinMaxPos = QStringLiteral("MinMaxPos");
static const QString kNormPos = QStringLiteral("NormPos");

void WriteFormPlacement(TForm* Form, TObject* IniFile, const QString& Section)
{
    if (!Form) return;
    TWindowPlacement wp;
    GetWindowPlacement(Form->Handle(), &wp);
    if (Form == Application->MainForm() && IsIconic(Application->Handle())) wp.showCmd = SW_SHOWMINIMIZED;
    if (Form->FormStyle() == fsMDIChild && Form->WindowState() == wsMinimized) wp.flags |= WPF_SETMINPOSITION;
    IniWriteInteger(IniFile, Section, kFlags, int(wp.flags));
    IniWriteInteger(IniFile, Section, kShowCmd, int(wp.showCmd));
    IniWriteInteger(IniFile, Section, kPixels, Screen->PixelsPerInch());
    WritePosStr(IniFile, Section, kMinMaxPos,
                QStringLiteral("%1,%2,%3,%4")
                    .arg(wp.ptMinPosition.X)
                    .arg(wp.ptMinPosition.Y)
                    .arg(wp.ptMaxPosition.X)
                    .arg(wp.ptMaxPosition.Y));
    const TRect& r = wp.rcNormalPosition;
    WritePosStr(IniFile, Section, kNormPos,
                QStringLiteral("%1,%2,%3,%4").arg(r.Left).arg(r.Top).arg(r.Right).arg(r.Bottom));
}

void ReadFormPlacement(TForm* Form, TObject* IniFile, const QString& Section, bool LoadState, bool LoadPosition)
{
    if (!Form || (!LoadState && !LoadPosition)) return;
    const HWND h = Form->Handle();
    TWindowPlacement wp;
    GetWindowPlacement(h, &wp);
    if (!IsWindowVisible(h)) wp.showCmd = SW_HIDE;
    if (LoadPosition) {
        const TCharSet delims{u' ', u','};
        wp.flags = UINT(IniReadInteger(IniFile, Section, kFlags, int(wp.flags)));
        bool found = false;
        QString s = ReadPosStr(IniFile, Section, kMinMaxPos);
        if (!s.isEmpty()) {
            found = true;
            wp.ptMinPosition.X = StrToIntDef(ExtractWord(1, s, delims), 0);
            wp.ptMinPosition.Y = StrToIntDef(ExtractWord(2, s, delims), 0);
            wp.ptMaxPosition.X = StrToIntDef(ExtractWord(3, s, delims), 0);
            wp.ptMaxPosition.Y = StrToIntDef(ExtractWord(4, s, delims), 0);
        }
        s = ReadPosStr(IniFile, Section, kNormPos);
        if (!s.isEmpty()) {
            found = true;
            TRect& r = wp.rcNormalPosition;
            r.Left = StrToIntDef(ExtractWord(1, s, delims), Form->Left());
            r.Top = StrToIntDef(ExtractWord(2, s, delims), Form->Top());
            r.Right = StrToIntDef(ExtractWord(3, s, delims), Form->Left() + Form->Width());
            r.Bottom = StrToIntDef(ExtractWord(4, s, delims), Form->Top() + Form->Height());
        }
        // A placement stored at another text scale is ignored whole.
        if (IniReadInteger(IniFile, Section, kPixels, Screen->PixelsPerInch()) != Screen->PixelsPerInch())
            found = false;
        if (found) {
            TRect& r = wp.rcNormalPosition;
            if (Form->BorderStyle() != bsSizeable && Form->BorderStyle() != bsSizeToolWin) {
                r.Right = r.Left + Form->Width();
                r.Bottom = r.Top + Form->Height();
            }
            if (r.Right > r.Left) {
                // The stored place wins over centring on later shows too
                // (setting Position never moves the window here).
                if ((Form->Position() == poScreenCenter || Form->Position() == poDesktopCenter) &&
                    !(Form->ComponentState() & csDesigning))
                    Form->SetPosition(poDesigned);
                SetWindowPlacement(h, &wp);
            }
        }
    }
    if (LoadState) {
        const bool isMain = !Application->MainForm() || Application->MainForm() == Form;
        TWindowState ws = wsNormal;
        if (isMain && (Form->FormStyle() == fsMDIForm ||
                       (Form->FormStyle() == fsNormal && Form->Position() == poDefault)))
            ws = wsMaximized;
        switch (IniReadInteger(IniFile, Section, kShowCmd, SW_HIDE)) {
        case SW_SHOWNORMAL:
        case SW_SHOW:
        case SW_RESTORE: ws = wsNormal; break;
        case SW_SHOWMINIMIZED:
        case SW_MINIMIZE:
        case SW_SHOWMINNOACTIVE: ws = wsMinimized; break;
        case SW_SHOWMAXIMIZED: ws = wsMaximized; break;
        default: break;
        }
        if (ws == wsMinimized && isMain) {
            // The main form opens normal; the application itself is minimised.
            Form->SetWindowStateField(wsNormal);
            PostMessage(Application->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
            return;
        }
        if (Form->FormStyle() == fsMDIChild || Form->FormStyle() == fsMDIForm)
            Form->SetWindowStateField(ws);
        else
            Form->SetWindowState(ws);
    }
    if (Form->HandleAllocated()) UpdateWindow(Form->Handle());
}
