// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The core and the schedule have no Qt, yet some of their texts are shown by
// the monitor: names they hand up stay English here, marked for lupdate
// (which reads the mark as QT_TRANSLATE_NOOP), and the front end shows them
// through Translated(context, text). Messages they compose themselves (why a
// save failed) go through CoreText, in the language of the translator the
// front end installs; the agent installs none and writes them in English.
#pragma once

#include <initializer_list>
#include <string>

#define TRANSLATABLE(context, text) text

using TextTranslator = std::string (*)(const char* context, const char* text);
void SetTextTranslator(TextTranslator translator);
// The text through the installed translator; lupdate reads CoreText(context,
// text) as it reads QCoreApplication::translate, so both are string literals.
std::string CoreText(const char* context, const char* text);

// The text with %1, %2 .. replaced by the values in turn, as QString::arg
// does: a translation may put them in another order.
std::string Substituted(const std::string& text, std::initializer_list<std::string> values);
