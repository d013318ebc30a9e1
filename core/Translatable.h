// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The core and the schedule have no Qt, yet some of their texts are shown by
// the monitor: they stay English here, marked for lupdate (which reads the
// mark as QT_TRANSLATE_NOOP), and the front end shows them through
// Translated(context, text). The agent writes them as they are.
#pragma once

#define TRANSLATABLE(context, text) text
