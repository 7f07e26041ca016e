#pragma once
// What the engine's helpers ask of the host window without knowing it: showing a message box and
// flashing the main window (the host installs handlers; without one a box becomes a daily-log
// line and a flash does nothing), and posting a message to a window of the platform layer.
#include <cstdint>
#include <functional>
#include <string>

using MessageBoxHandler = std::function<void(const std::string& text, const std::string& caption)>;

void SetMessageBoxHandler(MessageBoxHandler handler);
void SetFlashHandler(std::function<void()> handler);

void ShowEngineMessageBox(const std::string& text, const std::string& caption);
// "<what> 由于以下错误而失败: <system message of errno>" with the caption "错误".
void ShowLastErrorBox(const std::string& what);
// Draws the user's eye to the main window unless it already has the focus.
void FlashHostWindow();
// Safe from any thread. False when the window or its thread is gone: the sender still owns its payload.
bool PostToWindow(uintptr_t window, uint32_t message, uintptr_t wparam, uintptr_t lparam);
