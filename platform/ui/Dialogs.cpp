#include "platform/ui/Dialogs.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <cstdio>

#include "platform/ui/Forms.h"

namespace {

TDialogHook& Hook()
{
    static TDialogHook* h = new TDialogHook;
    return *h;
}

bool Headless()
{
    TApplication::EnsureQtApplication();
    const QString p = QGuiApplication::platformName();
    return p == QLatin1String("offscreen") || p == QLatin1String("minimal");
}

struct Button {
    int answer;
    QString text;
    QMessageBox::ButtonRole role;
};

// The buttons of a message box type, left to right.
std::vector<Button> BoxButtons(int flags)
{
    const Button ok{IDOK, QStringLiteral("OK"), QMessageBox::AcceptRole};
    const Button cancel{IDCANCEL, QStringLiteral("Отмена"), QMessageBox::RejectRole};
    const Button yes{IDYES, QStringLiteral("Да"), QMessageBox::YesRole};
    const Button no{IDNO, QStringLiteral("Нет"), QMessageBox::NoRole};
    const Button abort{IDABORT, QStringLiteral("Прервать"), QMessageBox::RejectRole};
    const Button retry{IDRETRY, QStringLiteral("Повтор"), QMessageBox::AcceptRole};
    const Button ignore{IDIGNORE, QStringLiteral("Пропустить"), QMessageBox::AcceptRole};
    switch (flags & MB_TYPEMASK) {
    case MB_OKCANCEL: return {ok, cancel};
    case MB_ABORTRETRYIGNORE: return {abort, retry, ignore};
    case MB_YESNOCANCEL: return {yes, no, cancel};
    case MB_YESNO: return {yes, no};
    case MB_RETRYCANCEL: return {retry, cancel};
    default: return {ok};
    }
}

struct DlgButton {
    TMsgDlgBtn btn;
    int result;
    QString text;
};

const std::vector<DlgButton>& DlgButtons()
{
    static const std::vector<DlgButton> all{
        {mbYes, mrYes, QStringLiteral("Да")},          {mbNo, mrNo, QStringLiteral("Нет")},
        {mbOK, mrOk, QStringLiteral("OK")},            {mbCancel, mrCancel, QStringLiteral("Отмена")},
        {mbAbort, mrAbort, QStringLiteral("Прервать")}, {mbRetry, mrRetry, QStringLiteral("Повтор")},
        {mbIgnore, mrIgnore, QStringLiteral("Пропустить")}, {mbAll, mrAll, QStringLiteral("Все")},
        {mbNoToAll, mrNoToAll, QStringLiteral("Нет для всех")}, {mbYesToAll, mrYesToAll, QStringLiteral("Да для всех")},
        {mbHelp, mrNone, QStringLiteral("Справка")}};
    return all;
}

int DlgDefault(TMsgDlgButtons b)
{
    if (b.Contains(mbOK)) return mrOk;
    if (b.Contains(mbYes)) return mrYes;
    if (b.Contains(mbRetry)) return mrRetry;
    for (const auto& d : DlgButtons())
        if (b.Contains(d.btn) && d.result != mrNone) return d.result;
    return mrOk;
}

int DlgEscape(TMsgDlgButtons b)
{
    if (b.Contains(mbCancel)) return mrCancel;
    if (b.Contains(mbNo)) return mrNo;
    if (b.Contains(mbAbort)) return mrAbort;
    if (b.Contains(mbOK)) return mrOk;
    return DlgDefault(b);
}

QString DlgCaption(TMsgDlgType t)
{
    switch (t) {
    case mtWarning: return QStringLiteral("Warning");
    case mtError: return QStringLiteral("Error");
    case mtInformation: return QStringLiteral("Information");
    case mtConfirmation: return QStringLiteral("Confirm");
    default: return Application->Title();
    }
}

QWidget* DialogParent()
{
    if (TForm* f = Screen->ActiveForm()) return f->OuterWidget();
    if (TForm* m = Application->MainForm()) return m->OuterWidget();
    return nullptr;
}

QMessageBox::Icon BoxIcon(int flags)
{
    switch (flags & MB_ICONMASK) {
    case MB_ICONERROR: return QMessageBox::Critical;
    case MB_ICONQUESTION: return QMessageBox::Question;
    case MB_ICONWARNING: return QMessageBox::Warning;
    case MB_ICONINFORMATION: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}

void Report(const TDialogRequest& r, int answer)
{
    std::fprintf(stderr, "[message box, no screen] %s: %s -> %d\n", r.Caption.toUtf8().constData(),
                 r.Text.toUtf8().constData(), answer);
}

int ShowMessageBox(const TDialogRequest& r)
{
    if (Headless()) {
        int a = EscapeButtonAnswer(r.Flags);
        Report(r, a);
        return a;
    }
    QMessageBox box(BoxIcon(r.Flags), r.Caption, r.Text, QMessageBox::NoButton, DialogParent());
    std::vector<std::pair<QAbstractButton*, int>> map;
    auto buttons = BoxButtons(r.Flags);
    int def = (r.Flags & MB_DEFMASK) >> 8;
    for (size_t i = 0; i < buttons.size(); ++i) {
        QPushButton* b = box.addButton(buttons[i].text, buttons[i].role);
        map.emplace_back(b, buttons[i].answer);
        if (int(i) == def) box.setDefaultButton(b);
        if (buttons[i].answer == EscapeButtonAnswer(r.Flags)) box.setEscapeButton(b);
    }
    TModalActivation activation;
    box.exec();
    activation.Ended(&box);
    for (auto& [b, a] : map)
        if (box.clickedButton() == b) return a;
    return EscapeButtonAnswer(r.Flags);
}

int ShowMessageDlg(const TDialogRequest& r)
{
    if (Headless()) {
        int a = DlgEscape(r.Buttons);
        Report(r, a);
        return a;
    }
    QMessageBox::Icon icon = r.DlgType == mtWarning       ? QMessageBox::Warning
                             : r.DlgType == mtError        ? QMessageBox::Critical
                             : r.DlgType == mtInformation  ? QMessageBox::Information
                             : r.DlgType == mtConfirmation ? QMessageBox::Question
                                                           : QMessageBox::NoIcon;
    QMessageBox box(icon, r.Caption, r.Text, QMessageBox::NoButton, DialogParent());
    std::vector<std::pair<QAbstractButton*, int>> map;
    const int def = DlgDefault(r.Buttons), esc = DlgEscape(r.Buttons);
    for (const auto& d : DlgButtons()) {
        if (!r.Buttons.Contains(d.btn)) continue;
        QPushButton* b = box.addButton(d.text, d.result == mrCancel || d.result == mrNo ? QMessageBox::RejectRole
                                                                                         : QMessageBox::AcceptRole);
        map.emplace_back(b, d.result);
        if (d.result == def) box.setDefaultButton(b);
        if (d.result == esc) box.setEscapeButton(b);
    }
    TModalActivation activation;
    box.exec();
    activation.Ended(&box);
    for (auto& [b, a] : map)
        if (box.clickedButton() == b) return a;
    return esc;
}

}  // namespace

int DefaultButtonAnswer(int flags)
{
    auto buttons = BoxButtons(flags);
    size_t def = size_t((flags & MB_DEFMASK) >> 8);
    return def < buttons.size() ? buttons[def].answer : buttons.front().answer;
}

int EscapeButtonAnswer(int flags)
{
    switch (flags & MB_TYPEMASK) {
    case MB_OKCANCEL:
    case MB_YESNOCANCEL:
    case MB_RETRYCANCEL: return IDCANCEL;
    case MB_YESNO: return IDNO;
    case MB_ABORTRETRYIGNORE: return IDABORT;
    default: return IDOK;
    }
}

TDialogHook SetDialogHook(TDialogHook hook)
{
    TDialogHook old = std::move(Hook());
    Hook() = std::move(hook);
    return old;
}

bool DialogHookActive() { return bool(Hook()); }

int RunDialog(const TDialogRequest& request)
{
    if (Hook()) {
        TDialogHook h = Hook();   // the hook may replace itself
        return h(request);
    }
    switch (request.Kind) {
    case TDialogKind::MessageBox: return ShowMessageBox(request);
    case TDialogKind::MessageDlg: return ShowMessageDlg(request);
    case TDialogKind::ModalForm: return mrCancel;   // ShowModal runs its own loop without a hook
    }
    return 0;
}

int MessageDlg(const QString& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx)
{
    Q_UNUSED(HelpCtx);
    TDialogRequest r;
    r.Kind = TDialogKind::MessageDlg;
    r.Text = Msg;
    r.Caption = DlgCaption(DlgType);
    r.DlgType = DlgType;
    r.Buttons = Buttons;
    return RunDialog(r);
}

void ShowMessage(const QString& Msg) { MessageDlg(Msg, mtCustom, TMsgDlgButtons{mbOK}); }

void SetMessageBoxHook(TMessageBoxHook hook)
{
    if (!hook) {
        SetDialogHook(nullptr);
        return;
    }
    SetDialogHook([hook](const TDialogRequest& r) -> int {
        switch (r.Kind) {
        case TDialogKind::MessageBox: return hook(r.Text, r.Caption, r.Flags);
        case TDialogKind::MessageDlg: {
            int flags = MB_OK;
            const TMsgDlgButtons b = r.Buttons;
            if (b.Contains(mbYes) && b.Contains(mbNo))
                flags = b.Contains(mbCancel) ? MB_YESNOCANCEL : MB_YESNO;
            else if (b.Contains(mbAbort))
                flags = MB_ABORTRETRYIGNORE;
            else if (b.Contains(mbRetry))
                flags = MB_RETRYCANCEL;
            else if (b.Contains(mbCancel))
                flags = MB_OKCANCEL;
            flags |= r.DlgType == mtError          ? MB_ICONERROR
                     : r.DlgType == mtWarning      ? MB_ICONWARNING
                     : r.DlgType == mtInformation  ? MB_ICONINFORMATION
                     : r.DlgType == mtConfirmation ? MB_ICONQUESTION
                                                   : 0;
            return hook(r.Text, r.Caption, flags);
        }
        case TDialogKind::ModalForm: return mrCancel;
        }
        return 0;
    });
}

// ---------------------------------------------------------- TDialogRecorder

TDialogRecorder::TDialogRecorder()
{
    FPrevious = SetDialogHook([this](const TDialogRequest& r) { return Answer(r); });
}

TDialogRecorder::~TDialogRecorder() { SetDialogHook(std::move(FPrevious)); }

int TDialogRecorder::Count(TDialogKind kind) const
{
    int n = 0;
    for (const auto& c : Calls)
        if (c.Kind == kind) ++n;
    return n;
}

int TDialogRecorder::Answer(const TDialogRequest& r)
{
    Calls.push_back(r);
    if (r.Kind == TDialogKind::ModalForm && OnModal) return OnModal(r.Form);
    if (!Answers.empty()) {
        int a = Answers.front();
        Answers.pop_front();
        return a;
    }
    switch (r.Kind) {
    case TDialogKind::MessageBox: return DefaultButtonAnswer(r.Flags);
    case TDialogKind::MessageDlg: return DlgDefault(r.Buttons);
    case TDialogKind::ModalForm: return mrCancel;
    }
    return 0;
}
