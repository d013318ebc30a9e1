// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// StringToken and the atoi-style helpers on any text, checked against a
// plain model: the text is cut to 2047 characters, each token to 1023, the
// position never passes the end; numbers keep the low bits of their value.
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "file.h"

namespace {

// StringToken as the model has it: a token ends at sep (not at '\0'), cut to
// 1023 characters; the last one takes the rest of the text.
struct Model {
    std::string text;
    std::size_t pos = 0;
    std::string Next(char sep) {
        const std::size_t at = sep ? text.find(sep, pos) : std::string::npos;
        std::string token =
            text.substr(pos, at == std::string::npos ? std::string::npos : at - pos);
        pos = at == std::string::npos ? text.size() : at + 1;
        return token.substr(0, 1023);
    }
};

// atoi's grammar, value modulo 2^16.
std::uint16_t ModelAtoi16(const char* p) {
    while (*p == ' ' || (*p >= '\t' && *p <= '\r'))
        ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = *p++ == '-';
    std::uint32_t v = 0;
    while (*p >= '0' && *p <= '9')
        v = (v * 10 + static_cast<std::uint32_t>(*p++ - '0')) & 0xFFFF;
    if (negative) v = (0x10000 - v) & 0xFFFF;
    return static_cast<std::uint16_t>(v);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    // Byte 0 picks the separators of the calls; the rest is the text.
    const char seps[4] = {'\t', '\n', static_cast<char>(data[0]), ','};
    const std::string raw(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::string text = raw.c_str(); // as a C string: up to the first NUL

    Model model{text.substr(0, 2047)};
    for (std::size_t i = 0; i <= 4096; ++i) {
        const char sep = seps[i == 0 ? data[1] & 3 : (data[(i + 1) % size] >> 2) & 3];
        const char* tok = StringToken(i == 0 ? text.c_str() : nullptr, sep);
        const std::string want = model.Next(sep);
        FUZZ_CHECK(want == tok);
        FUZZ_CHECK(AtoiShort(tok) == static_cast<short>(ModelAtoi16(tok)));
        FUZZ_CHECK(AtoiByte(tok) == static_cast<unsigned char>(ModelAtoi16(tok) & 0xFF));
        if (want.empty() && model.pos >= model.text.size()) break;
    }
    // A token fed back as the next text.
    StringToken(StringBuffer, '\t');
    return 0;
}
