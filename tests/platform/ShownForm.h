#pragma once
// A form of 400 x 200 for control tests, shown on demand and freed at the
// end of the test.
#include "platform/ui/Forms.h"

template <class F = TForm>
struct ShownForm {
    TForm* form = NewForm<F>(nullptr);
    ShownForm() { form->SetBounds(0, 0, 400, 200); }
    ~ShownForm() { form->Free(); }
    void Show()
    {
        form->Show();
        Application->ProcessMessages();
    }
};
