#pragma once
// Makes the register window classes known to the main window's open
// commands (RegisterWindowClass); runs once, whoever calls it first.
void RegisterRegisterWindows();
