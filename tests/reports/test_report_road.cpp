// Shipped reports run as a user runs them: the real parameter dialog, the
// record picker for the references, a headless office, the document read
// back.
#include <QApplication>

#include "ReportFixture.h"
#include "components/ToolEdit.h"
#include "platform/ui/DBGrids.h"
#include "platform/ui/StdCtrls.h"
#include "reports/unReportsEnterParams.h"
#include "reports/unReportsSelectFromRef.h"

namespace {
class ReportRoad : public ReportFixture {
protected:
    void SetUp() override
    {
        ReportFixture::SetUp();
        TApplication::EnsureQtApplication();
        ExcelReportsDir = QStringLiteral(QORVANE_BIN_DIR "/reports/excel/");
        WordReportsDir = QStringLiteral(QORVANE_BIN_DIR "/reports/word/");
        ReportParamsDialog = nullptr;   // the real dialog
        for (TDataSet* ds : {static_cast<TDataSet*>(DM->adoRefMembers), static_cast<TDataSet*>(DM->adoObjSessions)})
            ds->Open();
    }
    TReport Find(bool excel, const QString& caption)
    {
        for (const TReport& r : LoadReports(excel ? ExcelReportsDir : WordReportsDir, QString()))
            if (r.Caption == caption) return r;
        ADD_FAILURE() << "no report " << qPrintable(caption);
        return {};
    }
    template <class T> static T* Ed(TForm* f, int i)
    {
        return dynamic_cast<T*>(f->FindComponent(QStringLiteral("edParam") + QString::number(i)));
    }
    static int IndexOf(const QString& name)
    {
        for (int i = 0; i < CurrentReport.Params.Length(); ++i)
            if (CurrentReport.Params[i].Name == name) return i;
        return -1;
    }
};
}  // namespace

TEST_F(ReportRoad, TheAttendanceStatementThroughTheDialogAndThePicker)
{
    RequireOffice();
    const TReport report = Find(true, QStringLiteral("Ведомость участия в заседаниях и вознаграждения за период"));
    const QStringList wanted{QStringLiteral("Орлов Дмитрий Сергеевич"), QStringLiteral("Соколов Андрей Николаевич")};
    QString dialogCaption, pickerCaption;
    TDialogRecorder recorder;
    recorder.OnModal = [&](TForm* f) {
        if (auto* picker = dynamic_cast<TfmReportsSelectFromRef*>(f)) {
            pickerCaption = picker->Caption();
            TDataSet* ds = picker->DataSource->DataSet();
            for (const QString& name : wanted) {
                EXPECT_TRUE(ds->Locate(QStringLiteral("fullname"), name));
                picker->DBGrid->SelectedRows()->SetCurrentRowSelected(true);
            }
            picker->btOK->Click();
            return int(mrOk);
        }
        auto* dlg = dynamic_cast<TfmReportsEnterParams*>(f);
        if (!dlg) return int(mrCancel);
        dialogCaption = dlg->Caption();
        Ed<TDateEdit>(dlg, IndexOf(QStringLiteral("dt_from")))->SetText(QStringLiteral("01.01.2024"));
        Ed<TDateEdit>(dlg, IndexOf(QStringLiteral("dt_to")))->SetText(QStringLiteral("30.06.2024"));
        auto* rate = Ed<TMaskEdit>(dlg, IndexOf(QStringLiteral("rate")));
        rate->SetText(QString());
        for (QChar c : QStringLiteral("1000,5")) rate->TypeChar(c);
        auto* members = Ed<TComboEdit>(dlg, IndexOf(QStringLiteral("id_members")));
        members->Button()->Click();
        // In record order, whatever the order of picking.
        EXPECT_EQ(members->Text(), QStringLiteral("Соколов Андрей Николаевич; Орлов Дмитрий Сергеевич"));
        dlg->btOK->Click();
        return int(mrOk);
    };
    const int before = int(OfficeShownDocuments().size());
    GenerateReport(report, QString(), QString(), true);
    EXPECT_EQ(dialogCaption, QStringLiteral("Параметры документа «Ведомость участия в заседаниях и вознаграждения за период»"));
    EXPECT_EQ(pickerCaption, QStringLiteral("Выбор членов совета"));
    EXPECT_EQ(recorder.Count(TDialogKind::MessageBox), 0);
    QString text = LastText(before);
    text.replace(QChar(0x00A0), QLatin1Char(' ')).replace(QChar(0x202F), QLatin1Char(' '));
    EXPECT_TRUE(text.contains(QStringLiteral("за период с 01.01.2024 по 30.06.2024"))) << qPrintable(text);
    EXPECT_TRUE(text.contains(QStringLiteral("Орлов Дмитрий Сергеевич;4;60 000,00;4 002,00")));
    EXPECT_TRUE(text.contains(QStringLiteral("Итого;8;160 000,00;8 004,00")));
}

TEST_F(ReportRoad, FromTheSessionsRegisterTheSessionIsFilledInAlready)
{
    RequireOffice();
    const TReport report = Find(false, QStringLiteral("Протокол заседания Совета директоров"));
    const QString key = Scalar(QStringLiteral("SELECT id FROM OBJ_SESSIONS WHERE pnumber = 1")).toString();
    QString shown;
    TDialogRecorder recorder;
    recorder.OnModal = [&](TForm* f) {
        auto* dlg = dynamic_cast<TfmReportsEnterParams*>(f);
        if (!dlg) return int(mrCancel);
        shown = Ed<TComboEdit>(dlg, 0)->Text();
        dlg->btOK->Click();
        return int(mrOk);
    };
    const int before = int(OfficeShownDocuments().size());
    GenerateReport(report, QStringLiteral("OBJ_SESSIONS"), key, false);
    EXPECT_EQ(shown, QStringLiteral("№1 от 25.01.2024"));
    const QString text = LastText(before);
    EXPECT_TRUE(text.contains(QStringLiteral("ПРОТОКОЛ № 1"))) << qPrintable(text);
}
