#pragma once
// CMainFrame: this game's main window; the frame window of the framework as it is.
#include "framework/window/CGameFrameWnd.h"

class CMainFrame : public CGameFrameWnd {};
