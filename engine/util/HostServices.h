#pragma once
// What the engine's helpers ask of the host window without knowing it: showing a message box,
// flashing the main window, and posting a message to a window. The host installs handlers;
// without one a box becomes a daily-log line, a flash does nothing and a post fails.
#include <cstdint>
#include <functional>
#include <string>

using MessageBoxHandler = std::function<void(const std::string& text, const std::string& caption)>;
using WindowPostHandler = std::function<bool(uintptr_t window, uint32_t message, uintptr_t wparam, uintptr_t lparam)>;

void SetMessageBoxHandler(MessageBoxHandler handler);
void SetFlashHandler(std::function<void()> handler);
void SetWindowPostHandler(WindowPostHandler handler);

void ShowEngineMessageBox(const std::string& text, const std::string& caption);
// "<what> 由于以下错误而失败: <system message of errno>" with the caption "错误".
void ShowLastErrorBox(const std::string& what);
// Draws the user's eye to the main window unless it already has the focus.
void FlashHostWindow();
// Safe from any thread. False when nothing took the message: the sender still owns its payload.
bool PostToWindow(uintptr_t window, uint32_t message, uintptr_t wparam, uintptr_t lparam);
