#include "components/QvConst.h"

#include "platform/ui/PaintCtrls.h"

static void InitComponentResources()
{
    Q_INIT_RESOURCE(qvcomponents);
    Q_INIT_RESOURCE(qvicons);
}

void EnsureComponentResources()
{
    static bool done = false;
    if (!done) {
        InitComponentResources();
        done = true;
    }
}

void LoadExtraCursors()
{
    EnsureComponentResources();
    LoadScreenCursor(crHand, QStringLiteral(":/QV_HANDCUR.xpm"), 9, 1);
    LoadScreenCursor(crDragHand, QStringLiteral(":/QV_DRAGCUR.xpm"), 9, 1);
}

bool FindExtraCursor(TCursor id, QCursor& out) { return FindScreenCursor(id, out); }

TBitmap* LoadComponentBitmap(const QString& name)
{
    EnsureComponentResources();
    auto* b = new TBitmap;
    try {
        b->LoadFromResourceName(name);
    } catch (...) {
        delete b;
        throw;
    }
    return b;
}
