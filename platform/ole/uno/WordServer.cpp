// "Word.Application" over LibreOffice Writer: the application (Documents,
// Visible, Run, Quit), the documents (Add [template], Open file) and a
// document (Close [SaveChanges], FullName, RemoveMacros).
#include <com/sun/star/text/XTextDocument.hpp>

#include "platform/ole/uno/UnoOffice.h"

namespace unooffice {

using namespace css;
using namespace css::uno;
using ole::Is;
using Kind = IDispatch::TInvokeKind;

namespace {

class TWordDocument : public IDispatch, public TOfficeDocument {
public:
    explicit TWordDocument(Reference<lang::XComponent> doc) : FComp(std::move(doc)) {}
    QString TypeName() const override { return QStringLiteral("Document"); }
    Reference<lang::XComponent> Component() const override { return FComp; }
    OleVariant Invoke(Kind, const QString& n, const OleArgs& a, const OleVariant&) override
    {
        return Guarded(QStringLiteral("Document.") + n, [&]() -> OleVariant {
            if (Is(n, "Close")) return CloseDocument(this, FComp, a), OleVariant();
            if (Is(n, "FullName")) return OleVariant(DocumentFileName(FComp));
            if (Is(n, "RemoveMacros")) return NeedArgs(this, n, a, 0, 0), RemoveMacros(FComp), OleVariant();
            ole::UnknownMember(this, n);
        });
    }

private:
    Reference<lang::XComponent> FComp;
};

class TWordDocuments : public TOfficeDocuments {
public:
    QString TypeName() const override { return QStringLiteral("Documents"); }

protected:
    QString Factory() const override { return QStringLiteral("private:factory/swriter"); }
    bool Takes(const Reference<lang::XComponent>& doc) const override
    {
        return Reference<text::XTextDocument>(doc, UNO_QUERY).is();
    }
    IDispatchPtr Wrap(const Reference<lang::XComponent>& doc) const override { return std::make_shared<TWordDocument>(doc); }
};

class TWordApplication : public TOfficeApplication {
public:
    TWordApplication() : TOfficeApplication(QStringLiteral("LibreOffice Writer")) {}
    OleVariant Invoke(Kind k, const QString& n, const OleArgs& a, const OleVariant& v) override
    {
        return Guarded(QStringLiteral("Application.") + n, [&]() -> OleVariant {
            if (Is(n, "Documents")) {
                Desktop();   // the connection is still there
                return OleVariant(IDispatchPtr(std::make_shared<TWordDocuments>()));
            }
            return SharedMember(k, n, a, v);
        });
    }
};

}  // namespace

IDispatchPtr NewWordApplication() { return std::make_shared<TWordApplication>(); }

}  // namespace unooffice
