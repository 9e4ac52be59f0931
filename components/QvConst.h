#pragma once
// Constants and resources of the component library: the extra cursors, the
// resource texts, and the loading of the library's pictures.
#include <QString>

#include "platform/ui/Canvas.h"
#include "platform/ui/Controls.h"

constexpr TCursor crHand = 14000;
constexpr TCursor crDragHand = 14001;

// Registers "QV_HANDCUR" as crHand and "QV_DRAGCUR" as crDragHand (run at
// start-up; again does no harm).
void LoadExtraCursors();
// The cursor registered under the id; false when there is none.
bool FindExtraCursor(TCursor id, QCursor& out);

// Makes the library's pictures reachable (":/DEDITBMP", ...).
void EnsureComponentResources();
// A new bitmap of the library's picture.
TBitmap* LoadComponentBitmap(const QString& name);

// Resource texts.
inline QString SDateDlgTitle() { return QStringLiteral("Select a Date"); }
inline QString SPrevYear() { return QStringLiteral("Previous Year|"); }
inline QString SPrevMonth() { return QStringLiteral("Previous Month|"); }
inline QString SNextMonth() { return QStringLiteral("Next Month|"); }
inline QString SNextYear() { return QStringLiteral("Next Year|"); }
