#pragma once
// The program entry: version record, single instance, "-reset", splash, main
// window and data module, message loop.
#include <QString>
#include <functional>

// Runs the program; returns its exit code. SplashMs is how long the splash
// stays (1000 in the program).
int QorvaneRun(int& argc, char** argv, int SplashMs = 1000);
// The settings file "-reset" deletes.
QString SettingsFileName();
// Whether the arguments ask for the settings to be reset: "-reset", exactly,
// as the first argument.
bool ResetRequested(int argc, char** argv);
