#pragma once
// The system parameters dialog: one tab per run of rows of the same category
// and one editor per parameter row, made at run time from SYS_PARAMETERS.
// Editors are named "element" + the row's ord and carry the ord in Tag; each
// tab's editors stand in a scroll box filling the tab, and the dialog grows
// (up to what the screen leaves) to show the tallest tab.
#include <functional>

#include "platform/ui/Forms.h"

class TButton;
class TDataSet;
class TPageControl;

class TfmSysParams : public TForm {
    QV_CLASS(TfmSysParams, TForm)
public:
    explicit TfmSysParams(TComponent* AOwner = nullptr);
    TPageControl* tabParams;
    TButton* btnOK;
    TButton* btnCancel;

    // Builds the tabs and editors from the rows of the dataset, from the
    // first row on (columns ord, category, caption, name, type, val).
    void BuildFrom(TDataSet* Rows);
    // Hands the value of every editor, from the last component to the first,
    // to Write (ord, value): edits as typed, memos with CR LF made one blank,
    // check boxes "1" or "0".
    void WriteBack(const std::function<void(int Ord, const QString& Value)>& Write);

    void FloatKeyPress(TObject* Sender, QChar& Key);
    void IntegerKeyPress(TObject* Sender, QChar& Key);

private:
    void FitToContent(int ContentHeight);
};
