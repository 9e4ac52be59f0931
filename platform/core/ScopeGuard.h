#pragma once
// Runs a function when the scope ends, however it ends (a return, an
// exception): auto done = Finally([&] { dialog->Free(); }). The function
// runs from a destructor, so it must not throw.
#include <utility>

template <class F>
class TScopeGuard {
public:
    explicit TScopeGuard(F f) : FFunc(std::move(f)) {}
    ~TScopeGuard()
    {
        if (FArmed) FFunc();
    }
    TScopeGuard(const TScopeGuard&) = delete;
    TScopeGuard& operator=(const TScopeGuard&) = delete;
    // The function will not run.
    void Dismiss() { FArmed = false; }

private:
    F FFunc;
    bool FArmed = true;
};

template <class F>
[[nodiscard]] TScopeGuard<F> Finally(F f)
{
    return TScopeGuard<F>(std::move(f));
}
