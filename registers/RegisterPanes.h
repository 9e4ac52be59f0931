#pragma once
// Small builders for the panes the directories add around their grids:
// borderless panels, splitters between them, and the captioned strips over
// a memo or a detail grid.
#include <QString>

#include "platform/ui/Controls.h"

class TBevel;
class TLabel;
class TPanel;
class TSplitter;

namespace RegisterPanes {
// A panel without bevel or caption, aligned in its parent; Size is its
// height (top, bottom) or width (left, right), MinSize its minimum (0: none).
TPanel* Pane(TComponent* Owner, const QString& Name, TWinControl* Parent, TAlign Align, int Size = 0, int MinSize = 0);
// A splitter of 3 pixels aligned like the pane it resizes; put it in after
// that pane.
TSplitter* Splitter(TComponent* Owner, const QString& Name, TWinControl* Parent, TAlign Align, int MinSize);
// A strip of the height at the top of Parent with a label whose accelerator
// focuses Focus; the strip is an empty bevel (named when Spacer is given).
TLabel* Strip(TComponent* Owner, const QString& Label, const QString& Caption, TWinControl* Parent, int Height,
              TWinControl* Focus, const QString& Spacer = QString());
}  // namespace RegisterPanes
