#include "registers/Registers.h"

#include "app/unMain.h"
#include "registers/unMainReference.h"
#include "registers/unSessionObject.h"

void RegisterRegisterWindows()
{
    static bool done = false;
    if (done) return;
    done = true;
    RegisterWindowClass(QStringLiteral("TfmMainReference"), [](TComponent* owner) -> TForm* {
        auto* f = new TfmMainReference(owner);
        f->AfterConstruction();
        return f;
    });
    RegisterWindowClass(QStringLiteral("TfmSessionObject"), [](TComponent* owner) -> TForm* {
        auto* f = new TfmSessionObject(owner);
        f->AfterConstruction();
        return f;
    });
}
