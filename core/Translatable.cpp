// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "Translatable.h"

namespace {

TextTranslator translator = nullptr;

} // namespace

void SetTextTranslator(TextTranslator t) {
    translator = t;
}

std::string CoreText(const char* context, const char* text) {
    return translator ? translator(context, text) : std::string(text);
}

std::string Substituted(const std::string& text, std::initializer_list<std::string> values) {
    // One pass, so that a value holding "%2" is not itself replaced.
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const std::size_t k = i + 1 < text.size() ? std::size_t(text[i + 1] - '1') : values.size();
        if (text[i] == '%' && k < values.size()) {
            out += values.begin()[k];
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}
