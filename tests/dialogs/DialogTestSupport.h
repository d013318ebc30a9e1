// What the dialogs' tests share: a private program folder and clean records
// per test (from the core tests' fixture), no windows left over, and helpers
// to find windows and controls and to press buttons as a user would.
#pragma once

#include <string>
#include <vector>

#include "CoreTestSupport.h"
#include "Toolbox.h"

namespace dialogs_test {

class DialogTest : public corvanta_test::CoreTest {
  protected:
    void SetUp() override;
    void TearDown() override;
};

// Lets windows disposed of during the test go.
void FlushDeletes();
// Every live window of that name in the description, oldest first.
std::vector<WindowRef> WindowsNamed(const std::string& name);
// The one live window of that name (fails the test when there is not one).
WindowRef OnlyWindow(const std::string& name);

ControlRef Control(WindowRef window, const char* signature, SInt32 id);
SInt32 Value(WindowRef window, const char* signature, SInt32 id);
void SetValue(WindowRef window, const char* signature, SInt32 id, SInt32 value);
std::string Text(WindowRef window, const char* signature, SInt32 id);
void SetText(WindowRef window, const char* signature, SInt32 id, const std::string& text);
// The item labels of a pop-up.
std::vector<std::string> Items(WindowRef window, const char* signature, SInt32 id);
// Clicks the window's button that sends the command. False when none does.
bool ClickButton(WindowRef window, const char* command);
// Sends a mouse-down at a window-local point to the window, as the toolbox
// does for a press; returns what the handlers answered.
OSStatus MouseDown(WindowRef window, short h, short v);
// Sends the window its close event, as its close box does.
OSStatus CloseBox(WindowRef window);

std::string SettingsLine(const std::string& folder, int line); // 1-based
std::string CommandFileText(const std::string& folder);

} // namespace dialogs_test
