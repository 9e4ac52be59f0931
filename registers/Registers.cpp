#include "registers/Registers.h"

#include <QHash>

#include "platform/core/SysUtils.h"
#include "platform/ui/Forms.h"
#include "registers/unDecisionObject.h"
#include "registers/unMainReference.h"
#include "registers/unMainReferenceMembers.h"
#include "registers/unMainReferenceMemo.h"
#include "registers/unPaymentObject.h"
#include "registers/unQuestionObject.h"
#include "registers/unSessionObject.h"

static QHash<QString, std::function<TForm*(TComponent*)>>& WindowClasses()
{
    static QHash<QString, std::function<TForm*(TComponent*)>> h;
    return h;
}

void RegisterWindowClass(const QString& className, std::function<TForm*(TComponent*)> create)
{
    WindowClasses().insert(className, std::move(create));
}

TFormClass FindWindowClass(const QString& className)
{
    auto it = WindowClasses().find(className);
    // A name that no window class answers to is a fault of the caller: said
    // at once, with the name, rather than opening a window over nothing.
    if (it == WindowClasses().end())
        throw Exception(QStringLiteral("Неизвестный класс окна «%1»").arg(className));
    return TFormClass{className, *it};
}

namespace {
template <class W>
void Register(const char* className)
{
    RegisterWindowClass(QString::fromLatin1(className), [](TComponent* owner) -> TForm* {
        auto* f = new W(owner);
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
    Register<TfmMainReferenceMemo>("TfmMainReferenceMemo");
    Register<TfmMainReferenceMembers>("TfmMainReferenceMembers");
    Register<TfmPaymentObject>("TfmPaymentObject");
    Register<TfmSessionObject>("TfmSessionObject");
    Register<TfmQuestionObject>("TfmQuestionObject");
    Register<TfmDecisionObject>("TfmDecisionObject");
}
