// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Telling the user something went wrong: a warning box over the window the
// user was working in.
#pragma once

#include <string>

#include "Toolbox.h"

// Shows a warning with the title, the text and an OK button, modal to window
// (to the main window, or the application, when it is null), and returns at
// once: the handler that failed goes on and leaves its window as it is.
// Enter or Escape closes the box; it goes with its window.
void ShowAlert(WindowRef window, const std::string& title, const std::string& text);
