#include "components/DBUtils.h"

#include <QRegularExpression>
#include <vector>

#include "components/AppUtils.h"
#include "components/qvStrUtils.h"
#include "platform/ui/Forms.h"

QString DataSetSectionName(TDataSet* DataSet)
{
    if (!DataSet) return QString();
    if (auto* f = dynamic_cast<TForm*>(DataSet->Owner())) return GetDefaultSection(f);
    return DataSet->Name();
}

QString CheckSection(TDataSet* DataSet, const QString& Section)
{
    return Section.isEmpty() ? DataSetSectionName(DataSet) : Section;
}

void SaveFields(TDataSet* DataSet, TObject* IniFile, const QString& Section)
{
    if (!DataSet) return;
    const QString section = CheckSection(DataSet, Section);
    for (int i = 0; i < DataSet->FieldCount(); ++i) {
        TField* f = DataSet->Fields(i);
        IniWriteString(IniFile, section, DataSet->Name() + f->FieldName(),
                       QStringLiteral("%1,%2,%3").arg(f->Index()).arg(f->DisplayWidth()).arg(f->Visible() ? 1 : 0));
    }
}

namespace {
// Word n (1-based) of the text, split at blanks and commas, as a number.
bool WordNumber(const QString& text, int n, int& out)
{
    const QStringList words = text.split(QRegularExpression(QStringLiteral("[ ,]")), Qt::SkipEmptyParts);
    if (n < 1 || n > words.size()) return false;
    bool ok = false;
    int v = words.at(n - 1).toInt(&ok);
    if (ok) out = v;
    return ok;
}
}  // namespace

void RestoreFields(TDataSet* DataSet, TObject* IniFile, const QString& Section, bool RestoreVisible)
{
    if (!DataSet || DataSet->FieldCount() == 0) return;
    const QString section = CheckSection(DataSet, Section);
    struct Pair { TField* field; int index; };
    std::vector<Pair> pairs;
    const std::vector<TField*> fields = DataSet->FieldList();
    for (TField* f : fields) {
        const QString text = IniReadString(IniFile, section, DataSet->Name() + f->FieldName(), QString());
        Pair p{f, f->Index()};
        if (!text.isEmpty()) {
            WordNumber(text, 1, p.index);
            int w = f->DisplayWidth();
            if (WordNumber(text, 2, w)) f->SetDisplayWidth(w);
            if (RestoreVisible) {
                int v = 0;
                if (WordNumber(text, 3, v)) f->SetVisible(v != 0);
            }
        }
        pairs.push_back(p);
    }
    for (int pos = 0; pos < int(fields.size()); ++pos)
        for (const Pair& p : pairs)
            if (p.index == pos) {
                p.field->SetIndex(pos);
                break;
            }
}

bool IsDataSetEmpty(TDataSet* DataSet)
{
    return !DataSet || !DataSet->Active() || (DataSet->Bof() && DataSet->Eof());
}
