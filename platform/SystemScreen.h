#pragma once
// Facts of the display and a message box that are needed before any window exists: the screen's
// size and its work area (the constructor of the application asks for them), and the question
// the start-up asks when the program was not started by the hall. With a display they come from
// SDL; without one the screen is 1024 x 768 and a box prints its text on stderr and answers No
// (or Ok / Cancel). Tests install a handler that records the boxes and answers them.
#include "platform/WindowTypes.h"

#include <functional>
#include <string>

namespace platform {

struct ScreenFacts {
    int width = 1024;
    int height = 768;
    Rect workArea{0, 0, 1024, 768};
    int captionHeight = 23;
};

// Any thread may ask: each question starts and stops the video subsystem one at a time with the
// other threads' starts and stops, or only counts on it while the windows run.
ScreenFacts QueryScreen();
// True when the environment names a display (or a video driver) to open.
bool DisplayNamed();
// Tests: fixed facts in place of the display's; null restores the display.
void SetScreenOverride(const ScreenFacts* facts);

enum class BoxIcon { Information, Error };
using SystemBoxHandler = std::function<MessageBoxAnswer(const std::string& gbkText, const std::string& gbkCaption,
                                                        MessageBoxButtons buttons, BoxIcon icon)>;
MessageBoxAnswer ShowSystemMessageBox(const std::string& gbkText, const std::string& gbkCaption,
                                      MessageBoxButtons buttons, BoxIcon icon);
// Tests: the handler answers every box; null restores the display's boxes.
void SetSystemBoxHandler(SystemBoxHandler handler);

} // namespace platform
