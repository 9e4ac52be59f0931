#include "registers/Registers.h"

#include "app/unMain.h"
#include "registers/unDecisionObject.h"
#include "registers/unMainReference.h"
#include "registers/unQuestionObject.h"

namespace {
template <class T>
void Register(const char* className)
{
    RegisterWindowClass(QString::fromLatin1(className), [](TComponent* owner) -> TForm* {
        auto* f = new T(owner);
        f->AfterConstruction();
        return f;
    });
}
}  // namespace

void RegisterRegisterWindows()
{
    static bool done = false;
    if (done) return;
    done = true;
    Register<TfmMainReference>("TfmMainReference");
    Register<TfmQuestionObject>("TfmQuestionObject");
    Register<TfmDecisionObject>("TfmDecisionObject");
}
