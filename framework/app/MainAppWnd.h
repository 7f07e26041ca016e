#pragma once
// The main window of the generic application: the engine's host window, whose platform messages
// (records from the hall, the table start, the close, the finished web-page job, server
// messages) go to the application. The game's frame window takes its place when it exists.
#include "engine/host/LumoraWnd.h"

class CGameWinApp;

class MainAppWnd : public Lumora::CLumoraWnd {
public:
    explicit MainAppWnd(CGameWinApp& app) : app_(app) {}

protected:
    intptr_t OnMessage(uint32_t message, uintptr_t wparam, intptr_t lparam) override;

private:
    CGameWinApp& app_;
};
