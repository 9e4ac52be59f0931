#include "registers/Registers.h"

#include <QHash>

#include "platform/db/DB.h"
#include "platform/ui/Forms.h"
#include "registers/unMainReference.h"

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
