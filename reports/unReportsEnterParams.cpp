#include "reports/unReportsEnterParams.h"

#include <QRegularExpression>
#include <cmath>

#include "components/Placement.h"
#include "components/StrHolder.h"
#include "components/ToolEdit.h"
#include "data/unDM.h"
#include "platform/ado/JetSql.h"
#include "platform/core/DateTime.h"
#include "platform/core/ScopeGuard.h"
#include "platform/db/DB.h"
#include "platform/ui/Graphics.h"
#include "platform/ui/ImgList.h"
#include "platform/ui/DBGrids.h"
#include "platform/ui/StdCtrls.h"
#include "reports/unReportsSelectFromRef.h"

const QString ReportParamsErrorText = QStringLiteral("Обязательные параметры отчета заполнены неполностью или неправильно.");
const QString ReportParamsErrorCaption = QStringLiteral("Ошибка параметров");

namespace {
const QString ptString = QStringLiteral("ptString"), ptInteger = QStringLiteral("ptInteger"),
              ptFloat = QStringLiteral("ptFloat"), ptDate = QStringLiteral("ptDate"),
              ptBoolean = QStringLiteral("ptBoolean"), ptReference = QStringLiteral("ptReference");

bool IsNameChar(QChar c) { return c.isLetterOrNumber() || c == QLatin1Char('_'); }

// The keys of a reference value: split at commas, trimmed, apostrophes removed.
QStringList ReferenceKeys(const QString& Value)
{
    QStringList keys;
    for (const QString& piece : Value.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        QString k = piece.trimmed();
        k.remove(QLatin1Char('\''));
        if (!k.isEmpty()) keys << k;
    }
    return keys;
}

QString DisplayFieldOf(TDataSet* DataSet)
{
    const TStrings* fields = DM && DM->MainFields ? DM->MainFields->Strings() : nullptr;
    const int tag = DataSet ? int(DataSet->Tag()) : -1;
    return fields && tag >= 0 && tag < fields->Count() ? fields->Strings(tag) : QString();
}

TDataSet* ReferenceDataSet(const TReportParam& p) { return DM ? DM->FindDataSetByTable(p.RefTable) : nullptr; }

// Dialog border geometry of the original platform: the outer size the Part's
// run-time layout gives (width R + 15, height B + 75) includes a frame of 3
// pixels on each side and a caption of 19; here the window system draws the
// frame outside the client area.
constexpr int FrameWidth = 6, FrameHeight = 25;
}  // namespace

// ================================================================ values

QString ReportTextLiteral(const QString& Text) { return SqlQuote(Text, QLatin1Char('\'')); }

bool ReportNumberLiteral(const QString& Text, bool IsFloat, QString& Literal)
{
    static const QRegularExpression integer(QStringLiteral("^-?[0-9]+$"));
    static const QRegularExpression real(QStringLiteral("^-?([0-9]+([.,][0-9]*)?|[.,][0-9]+)$"));
    Literal.clear();
    const QString t = Text.trimmed();
    if (t.isEmpty()) return true;
    if (!(IsFloat ? real : integer).match(t).hasMatch()) return false;
    Literal = t;
    Literal.replace(QLatin1Char(','), QLatin1Char('.'));
    if (Literal.endsWith(QLatin1Char('.'))) Literal.chop(1);
    if (Literal.startsWith(QLatin1String("-."))) Literal.insert(1, QLatin1Char('0'));
    else if (Literal.startsWith(QLatin1Char('.'))) Literal.prepend(QLatin1Char('0'));
    return true;
}

bool IsReportDateText(const QString& Text)
{
    TDateTime d = 0;
    return TryStrToDate(Text.trimmed(), d);
}

QString ReplaceReportPlaceholders(const QString& Sql, const TReportParams& Params)
{
    QString out;
    out.reserve(Sql.size());
    QChar quote;   // inside a literal opened by this character
    for (int i = 0; i < Sql.size(); ++i) {
        const QChar c = Sql[i];
        if (!quote.isNull()) {
            out += c;
            if (c == quote) quote = QChar();   // a doubled quote closes and reopens
            continue;
        }
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            quote = c;
            out += c;
            continue;
        }
        if (c == QLatin1Char(':') && i + 1 < Sql.size() && IsNameChar(Sql[i + 1])) {
            int end = i + 1;
            while (end < Sql.size() && IsNameChar(Sql[end])) ++end;
            const QString name = Sql.mid(i + 1, end - i - 1);
            const TReportParam* found = nullptr;
            for (const TReportParam& p : Params)
                if (p.Name.compare(name, Qt::CaseInsensitive) == 0) {
                    found = &p;
                    break;
                }
            if (found) {
                out += found->Value.isEmpty() ? QStringLiteral("NULL") : found->Value;
                i = end - 1;
                continue;
            }
            out += Sql.mid(i, end - i);
            i = end - 1;
            continue;
        }
        out += c;
    }
    return out;
}

QString ReferenceDisplayText(TDataSet* DataSet, const QString& Value, const QString& DisplayField)
{
    if (!DataSet || !DataSet->Active() || DisplayField.isEmpty() || !DataSet->FindField(DisplayField) ||
        !DataSet->FindField(QStringLiteral("ID")))
        return QString();
    QStringList texts;
    for (const QString& key : ReferenceKeys(Value)) {
        const Variant v = DataSet->Lookup(QStringLiteral("ID"), key, DisplayField);
        if (!VarIsNull(v)) texts << v.toString();
    }
    return texts.join(QStringLiteral("; "));
}

void PickedRecords(TDataSet* DataSet, const std::vector<TBookmark>* Bookmarks, const QString& DisplayField,
                   QString& Keys, QString& Names)
{
    Keys.clear();
    Names.clear();
    if (!DataSet || !DataSet->Active() || DataSet->IsEmpty()) return;
    TField* id = DataSet->FindField(QStringLiteral("ID"));
    TField* shown = DisplayField.isEmpty() ? nullptr : DataSet->FindField(DisplayField);
    auto take = [&] {
        Keys += (Keys.isEmpty() ? QString() : QStringLiteral(", ")) + ReportTextLiteral(id ? id->AsString() : QString());
        Names += (Names.isEmpty() ? QString() : QStringLiteral("; ")) + (shown ? shown->DisplayText() : QString());
    };
    if (!Bookmarks) {
        take();
        return;
    }
    for (const TBookmark& b : *Bookmarks) {
        if (!DataSet->BookmarkValid(b)) continue;
        DataSet->GotoBookmark(b);
        take();
    }
}

// ================================================================ dialog

int ShowReportParamsDialog(const QString& Caption)
{
    auto* dialog = new TfmReportsEnterParams(Application);
    auto done = Finally([dialog] { dialog->Free(); });
    dialog->SetCaption(Caption);
    return dialog->ShowModal();
}

TfmReportsEnterParams::TfmReportsEnterParams(TComponent* AOwner) : TForm(AOwner)
{
    SetName(QStringLiteral("fmReportsEnterParams"));
    SetBorderStyle(bsDialog);
    SetBorderIcons({biSystemMenu});
    SetPosition(poOwnerFormCenter);
    Font()->SetName(QStringLiteral("Tahoma"));
    Font()->SetSize(8);
    SetClientWidth(400);
    SetClientHeight(100);

    auto button = [this](const char* name, const QString& caption, int left, int width) {
        auto* b = new TButton(this);
        b->SetName(QString::fromLatin1(name));
        b->SetParent(this);
        b->SetBounds(left, 67, width, 25);
        b->SetCaption(caption);
        b->SetAnchors({akRight, akBottom});
        return b;
    };
    btOK = button("btOK", QStringLiteral("OK"), 236, 72);
    btOK->SetDefault(true);
    btOK->OnClick = [this](TObject* s) { btOKClick(s); };
    btCancel = button("btCancel", QStringLiteral("Отмена"), 317, 75);
    btCancel->SetCancel(true);
    btCancel->SetModalResult(mrCancel);

    // Picture 0: the three dots of the reference buttons.
    ImageList = new TImageList(11, 5, this);
    ImageList->SetName(QStringLiteral("ImageList"));
    TBitmap dots(11, 5);
    dots.Canvas()->Brush()->SetColor(clFuchsia);
    dots.Canvas()->FillRect(Rect(0, 0, 11, 5));
    for (int x : {0, 4, 8})
        for (int dx = 0; dx < 3; ++dx)
            for (int y = 1; y < 4; ++y) dots.Canvas()->SetPixel(x + dx, y, clBlack);
    ImageList->AddMasked(&dots, clFuchsia);

    OnShow = [this](TObject* s) { FormShow(s); };
}

TReportParam& TfmReportsEnterParams::ParamOf(TObject* Sender) const
{
    return CurrentReport.Params[int(static_cast<TComponent*>(Sender)->Tag())];
}

int TfmReportsEnterParams::GetMaxCaptionWidth()
{
    TBitmap measure(1, 1);
    measure.Canvas()->Font()->Assign(Font());
    int width = 0;
    for (const TReportParam& p : CurrentReport.Params)
        if (p.Kind != ptBoolean) width = std::max(width, measure.Canvas()->TextWidth(p.Caption));
    return width;
}

void TfmReportsEnterParams::FormShow(TObject*)
{
    if (FRowsBuilt) return;
    FRowsBuilt = true;
    const int editLeft = GetMaxCaptionWidth() + 25;
    int R = 0, B = 0, H = 13;
    TBitmap measure(1, 1);
    measure.Canvas()->Font()->Assign(Font());

    for (int i = 0; i < CurrentReport.Params.Length(); ++i) {
        TReportParam& p = CurrentReport.Params[i];
        const int rowTop = 31 * i + 13;
        const bool known = p.Kind == ptString || p.Kind == ptInteger || p.Kind == ptFloat || p.Kind == ptDate ||
                           p.Kind == ptBoolean || p.Kind == ptReference;
        if (!known) continue;
        if (p.Kind != ptBoolean) {
            auto* label = new TLabel(this);
            label->SetName(QStringLiteral("lbParam") + QString::number(i));
            label->SetTag(i);
            label->SetParent(this);
            label->SetAutoSize(true);
            label->SetCaption(p.Caption);
            label->SetLeft(8);
            label->SetTop(rowTop);
            if (p.Kind == ptReference) label->Font()->SetColor(clHotLight);
            H = label->Height();
        }
        // Centred on the label: halves go to the even neighbour.
        auto place = [&](TControl* c, int left, int width) {
            const int top = rowTop - int(std::nearbyint((c->Height() - H) / 2.0));
            c->SetBounds(left, top, width, c->Height());
            c->SetName(QStringLiteral("edParam") + QString::number(i));
            c->SetTag(i);
            R = std::max(R, c->Left() + c->Width());
            B = std::max(B, c->Top() + c->Height());
        };

        if (p.Kind == ptString || p.Kind == ptInteger || p.Kind == ptFloat) {
            auto* e = new TMaskEdit(this);
            e->SetParent(this);
            place(e, editLeft, 350);
            if (p.Kind == ptString) {
                e->SetText(p.Default);
                p.Value = p.Default.isEmpty() ? QString() : ReportTextLiteral(p.Default);
                e->OnKeyPress = [this](TObject* s, QChar& k) { EditStringKeyPress(s, k); };
            } else {
                // An untouched number goes in as the catalogue wrote it,
                // read as a number.
                e->SetText(p.Default);
                ReportNumberLiteral(p.Default, p.Kind == ptFloat, p.Value);
                if (p.Kind == ptFloat) e->OnKeyPress = [this](TObject* s, QChar& k) { EditFloatKeyPress(s, k); };
                else e->OnKeyPress = [this](TObject* s, QChar& k) { EditIntegerKeyPress(s, k); };
            }
            e->OnChange = [this](TObject* s) { EditOnChange(s); };
        } else if (p.Kind == ptReference) {
            auto* e = new TComboEdit(this);
            e->SetParent(this);
            place(e, editLeft, 350);
            e->SetColor(clBtnFace);
            e->SetButtonHint(QStringLiteral("Выбор из справочника"));
            e->SetClickKey(ShortCut(VK_F2, {}));
            e->SetDirectInput(false);
            e->SetReadOnly(false);
            e->SetShowHint(true);
            e->SetText(QString());
            e->SetButtonWidth(19);
            e->SetGlyphKind(gkDefault);
            TBitmap glyph;
            glyph.Canvas()->Brush()->SetColor(clFuchsia);
            ImageList->GetBitmap(0, &glyph);
            glyph.SetTransparentColor(clFuchsia);
            e->SetGlyph(&glyph);
            e->OnButtonClick = [this](TObject* s) { ptRefButtonClick(s); };
            if (p.Value.isEmpty() && !p.Default.isEmpty())
                p.Value = p.Default.contains(QLatin1Char(',')) ? p.Default : ReportTextLiteral(p.Default);
            if (!p.Value.isEmpty()) {
                TDataSet* ds = ReferenceDataSet(p);
                e->SetText(ReferenceDisplayText(ds, p.Value, DisplayFieldOf(ds)));
            }
        } else if (p.Kind == ptDate) {
            auto* e = new TDateEdit(this);
            e->SetParent(this);
            place(e, editLeft, 125);
            e->SetButtonHint(QStringLiteral("Выбор даты"));
            e->SetButtonWidth(19);
            e->SetShowHint(true);
            TStringList hints;
            for (const char* h : {"Предыдущий год", "Предыдущий месяц", "Следующий месяц", "Следующий год"})
                hints.Add(QString::fromUtf8(h));
            e->SetCalendarHints(&hints);
            e->SetCheckOnExit(true);
            e->SetClickKey(ShortCut(VK_F2, {}));
            e->SetDialogTitle(QStringLiteral("Выбор даты"));
            e->SetPopupAlign(epaLeft);
            e->SetYearDigits(dyFour);
            QString text = p.Default;
            if (p.Default.toUpper() == QLatin1String("TODAY")) text = FormatDateTime(QStringLiteral("dd.mm.yyyy"), Date());
            e->SetText(text);
            p.Value = text.isEmpty() ? QString() : ReportTextLiteral(text);
            e->OnChange = [this](TObject* s) { DateEditOnChange(s); };
        } else {
            auto* c = new TCheckBox(this);
            c->SetParent(this);
            const QString caption = QLatin1Char(' ') + p.Caption + QLatin1Char(' ');
            c->SetCaption(caption);
            place(c, 8, measure.Canvas()->TextWidth(caption) + 20);
            c->SetChecked(ReportParamBool(p.Default));
            // A yes/no parameter always has a value: the box's state.
            p.Value = c->Checked() ? QStringLiteral("1") : QStringLiteral("0");
            c->OnClick = [this](TObject* s) { CheckBoxOnChange(s); };
        }
    }
    SetClientWidth(R + 15 - FrameWidth);
    SetClientHeight(B + 75 - FrameHeight);
    if (auto* first = dynamic_cast<TWinControl*>(FindComponent(QStringLiteral("edParam0"))))
        SetActiveControl(first);
}

// ---------------------------------------------------------- keeping values

void TfmReportsEnterParams::EditOnChange(TObject* Sender)
{
    TReportParam& p = ParamOf(Sender);
    const QString text = static_cast<TControl*>(Sender)->Text();
    if (p.Kind == ptInteger || p.Kind == ptFloat) {
        // A text that is no number leaves no value; OK refuses it.
        if (!ReportNumberLiteral(text, p.Kind == ptFloat, p.Value)) p.Value.clear();
    } else {
        p.Value = ReportTextLiteral(text);
    }
}

void TfmReportsEnterParams::DateEditOnChange(TObject* Sender)
{
    const QString text = static_cast<TControl*>(Sender)->Text();
    if (IsReportDateText(text)) ParamOf(Sender).Value = ReportTextLiteral(text.trimmed());
}

void TfmReportsEnterParams::CheckBoxOnChange(TObject* Sender)
{
    ParamOf(Sender).Value = static_cast<TCheckBox*>(Sender)->Checked() ? QStringLiteral("1") : QStringLiteral("0");
}

void TfmReportsEnterParams::EditStringKeyPress(TObject*, QChar& Key)
{
    if (Key == QLatin1Char('\'')) Key = QChar(0);
}

void TfmReportsEnterParams::EditIntegerKeyPress(TObject* Sender, QChar& Key)
{
    if (Key == QLatin1Char('\b')) return;
    if (!(Key.isDigit() || Key == QLatin1Char('-'))) Key = QChar(0);
    else if (Key == QLatin1Char('0') && static_cast<TControl*>(Sender)->Text().isEmpty()) Key = QChar(0);
}

void TfmReportsEnterParams::EditFloatKeyPress(TObject* Sender, QChar& Key)
{
    if (Key == QLatin1Char('\b')) return;
    if (!(Key.isDigit() || Key == QLatin1Char(',') || Key == QLatin1Char('-'))) Key = QChar(0);
    else if (Key == QLatin1Char(',') && static_cast<TControl*>(Sender)->Text().isEmpty()) Key = QChar(0);
}

// ------------------------------------------------------------- references

void TfmReportsEnterParams::ptRefButtonClick(TObject* Sender)
{
    TReportParam& p = ParamOf(Sender);
    TDataSet* ds = ReferenceDataSet(p);
    if (!ds) return;
    QString keys, names;
    bool picked = false;
    {
        // Freed at the end of the block: freeing the picker gives the
        // dataset back as it was, so the choice is read before.
        auto* picker = new TfmReportsSelectFromRef(Application);
        auto done = Finally([picker] { picker->Free(); });
        picker->DataSource->SetDataSet(ds);
        TDBGridOptions options = picker->DBGrid->Options();
        if (p.MultiSelect) options += dgMultiSelect;
        else options -= dgMultiSelect;
        picker->DBGrid->SetOptions(options);
        if (picker->ShowModal() != mrCancel && ds->Active()) {
            picked = true;
            TBookmarkList* rows = picker->DBGrid->SelectedRows();
            std::vector<TBookmark> chosen;
            for (int k = 0; k < rows->Count(); ++k) chosen.push_back(rows->Items(k));
            PickedRecords(ds, p.MultiSelect ? &chosen : nullptr, DisplayFieldOf(ds), keys, names);
        }
    }
    RestoreWindowsPlacement(ds);
    if (!picked) return;
    p.Value = keys;
    static_cast<TControl*>(Sender)->SetText(names);
}

void TfmReportsEnterParams::RestoreWindowsPlacement(TDataSet* DataSet)
{
    TForm* main = Application->MainForm();
    if (!main) return;
    auto restore = [DataSet](TForm* f) {
        if (!f) return;
        auto* source = dynamic_cast<TDataSource*>(f->FindComponent(QStringLiteral("DataSource")));
        auto* storage = dynamic_cast<TFormStorage*>(f->FindComponent(QStringLiteral("FormStorage")));
        if (source && storage && source->DataSet() == DataSet) storage->RestoreFormPlacement();
    };
    for (int i = 0; i < main->MDIChildCount(); ++i) restore(main->MDIChildren(i));
    restore(main->ActiveMDIChild());
}

// ---------------------------------------------------------------- accepting

void TfmReportsEnterParams::btOKClick(TObject*)
{
    for (int i = 0; i < CurrentReport.Params.Length(); ++i) {
        const TReportParam& p = CurrentReport.Params[i];
        bool refused = p.Required && (p.Value.isEmpty() || p.Value == QLatin1String("''"));
        // A required date must be a date, and its editor must show one (the
        // value still holds the last date it showed when the user emptied it).
        if (p.Required && p.Kind == ptDate) {
            auto* e = dynamic_cast<TCustomDateEdit*>(FindComponent(QStringLiteral("edParam") + QString::number(i)));
            if (!IsReportDateText(QString(p.Value).remove(QLatin1Char('\''))) || (e && !e->TextStored())) refused = true;
        }
        // A number editor holding a text that is no number is refused too.
        if (p.Kind == ptInteger || p.Kind == ptFloat) {
            QString literal;
            if (auto* e = dynamic_cast<TControl*>(FindComponent(QStringLiteral("edParam") + QString::number(i))))
                if (!ReportNumberLiteral(e->Text(), p.Kind == ptFloat, literal)) refused = true;
        }
        if (refused) {
            Application->MessageBox(ReportParamsErrorText, ReportParamsErrorCaption, MB_ICONERROR | MB_OK);
            return;
        }
    }
    CurrentSql = ReplaceReportPlaceholders(CurrentSql, CurrentReport.Params);
    SetModalResult(mrOk);
}
