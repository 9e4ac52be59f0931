#include "registers/Registers.h"

#include "app/unMain.h"
#include "registers/unMainReference.h"

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
}
