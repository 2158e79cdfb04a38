// The two exported factories of the solver library.
#include "CVarnel.h"

#include <new>

CVarnelInterface::~CVarnelInterface() = default;

CVarnelInterface* getSolver()
{
    try {
        return new (std::nothrow) CVarnel();
    } catch (...) {
        return nullptr;
    }
}

CVarnelInterface* getSolver(void (*callback)(char*), HWND wnd, unsigned int msg)
{
    CVarnel* solver = nullptr;
    try {
        solver = new (std::nothrow) CVarnel(wnd, msg);
    } catch (...) {
        return nullptr;
    }
    if (solver != nullptr)
        solver->setOutputCallback(callback);
    return solver;
}
