#pragma once
// The single-instance object: a named lock that one process holds for its
// whole run. It is a file in the user's runtime folder ($XDG_RUNTIME_DIR,
// else the temporary folder with the user id in the name) held with an
// exclusive flock: the system drops the lock when the process ends, however
// it ends, so a crashed first instance never blocks the next start.
#include <QString>

class TSingleInstance {
public:
    explicit TSingleInstance(const QString& name);
    ~TSingleInstance();
    TSingleInstance(const TSingleInstance&) = delete;
    TSingleInstance& operator=(const TSingleInstance&) = delete;

    // True when another holder had the lock at construction (the object then
    // holds nothing).
    bool AlreadyExists() const { return FAlreadyExists; }
    bool Held() const { return FFd >= 0; }
    QString FileName() const { return FFileName; }
    // Gives the lock up.
    void Close();

private:
    int FFd = -1;
    bool FAlreadyExists = false;
    QString FFileName;
};
