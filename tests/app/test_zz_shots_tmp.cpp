#include "AppFixture.h"
#include <QPixmap>
#include <QWidget>
#include <QMenu>
#include "app/unAbout.h"
#include "app/unChangePwd.h"
#include "app/unEnterPassword.h"
#include "app/unSplash.h"
#include "app/unSysParams.h"
#include "platform/ui/Menus.h"
#include "platform/ui/StdCtrls.h"
static void Grab(TForm* f, const char* name)
{
    Application->ProcessMessages();
    f->OuterWidget()->grab().save(QStringLiteral("/tmp/hshots/") + QString::fromLatin1(name) + ".png");
    std::printf("%s: client %dx%d\n", name, f->ClientWidth(), f->ClientHeight());
}
TEST_F(AppFixture, ZZShots)
{
    MakeDb(QString(), true);
    ShowMain();
    fmMain->Clock = [] { return EncodeDate(2007, 5, 1); };
    fmMain->MainTimerTimer(nullptr);
    fmMain->aOpenObjSessions->Execute();
    fmMain->aOpenRefPlaces->Execute();
    fmMain->aWCascade->Execute();
    fmMain->MainTimerTimer(nullptr);
    Grab(fmMain, "main");
    fmMain->mnuWindow->QtMenu()->popup(QPoint(0,0));
    fmMain->mnuMain->UpdateWindowList();
    Application->ProcessMessages();
    fmMain->mnuWindow->QtMenu()->grab().save("/tmp/hshots/windowmenu.png");
    fmMain->mnuWindow->QtMenu()->hide();
    auto* s = NewForm<TfmSplash>(nullptr);
    s->lblVersion->SetCaption(QStringLiteral("Версия ") + QStringLiteral("1.0.0.1"));
    s->Show(); Grab(s, "splash"); s->Free();
    rec->OnModal = [](TForm* f) { Grab(f, f->ClassName().toLatin1().constData()); return int(mrCancel); };
    auto* e = new TfmEnterPassword(Application); e->AfterConstruction(); e->ShowModal(); e->Free();
    auto* c = new TfmChangePwd(Application); c->AfterConstruction(); c->ShowModal(); c->Free();
    auto* a = new TfmAbout(nullptr); a->AfterConstruction(); a->ShowModal(); a->Free();
    fmMain->aParametersExecute(nullptr);
}
