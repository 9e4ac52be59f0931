#pragma once
// The registry of register window classes: each window class makes itself
// known by its class name ("TfmSessionObject", ...), and the main window's
// open commands look the class up here. Looking up a name that no class
// answers to raises an exception naming it.
#include <QString>
#include <functional>

class TComponent;
class TForm;

// A register window class: its name and how to make one (owner given).
struct TFormClass {
    QString ClassName;
    std::function<TForm*(TComponent* AOwner)> Create;
};
void RegisterWindowClass(const QString& className, std::function<TForm*(TComponent* AOwner)> create);
TFormClass FindWindowClass(const QString& className);

// Makes the register window classes of this folder known; runs once,
// whoever calls it first.
void RegisterRegisterWindows();
