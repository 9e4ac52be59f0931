#include "platform/ui/FontSubst.h"

#include <QFont>
#include <QFontDatabase>

#include "platform/ui/Forms.h"

void UseFontSubstitutes()
{
    static bool done = false;
    if (done) return;
    TApplication::EnsureQtApplication();
    done = true;
    for (const char* wanted : {"DejaVu Sans Condensed", "Liberation Sans"}) {
        const QString face = QString::fromLatin1(wanted);
        if (QFontDatabase::hasFamily(face)) {
            QFont::insertSubstitution(QStringLiteral("Tahoma"), face);
            QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), face);
            return;
        }
    }
}
