#pragma once
// The places directory: the register window template itself, over the data
// module's adoRefPlaces (opened by the main window's aOpenRefPlaces).
#include "registers/RegisterWindow.h"

class TfmMainReference : public TRegisterWindow {
    QV_CLASS(TfmMainReference, TRegisterWindow)
public:
    explicit TfmMainReference(TComponent* AOwner = nullptr) : TRegisterWindow(AOwner) {}
};
