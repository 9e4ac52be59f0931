#include "registers/Registers.h"

#include <QHash>

#include "platform/db/DB.h"
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

namespace {
// Stands in for a register window whose class is not built yet: a child
// window over the dataset with the parts the main window talks to.
class TfmRegisterPlaceholder : public TForm {
    QV_CLASS(TfmRegisterPlaceholder, TForm)
public:
    explicit TfmRegisterPlaceholder(TComponent* AOwner) : TForm(AOwner)
    {
        SetFormStyle(fsMDIChild);
        SetPosition(poDefault);
        SetBounds(0, 0, 520, 320);
        DataSource = new TDataSource(this);
        DataSource->SetName(QStringLiteral("DataSource"));
        OnClose = [](TObject*, TCloseAction& a) { a = caFree; };
    }
    TDataSource* DataSource;
};
}  // namespace

TFormClass FindWindowClass(const QString& className)
{
    TFormClass fc;
    fc.ClassName = className;
    auto it = WindowClasses().find(className);
    if (it != WindowClasses().end())
        fc.Create = *it;
    else
        fc.Create = [](TComponent* owner) -> TForm* {
            auto* f = new TfmRegisterPlaceholder(owner);
            f->AfterConstruction();
            return f;
        };
    return fc;
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
