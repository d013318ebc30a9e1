#include <cstring>

#include "menu.h"

void GetMonthStr(int Mon, char* buffer) {
    static const char* const kMonths[12] = {"January",   "February", "March",    "April",
                                            "May",       "June",     "July",     "August",
                                            "September", "October",  "November", "December"};
    if (Mon < 1 || Mon > 12) return;
    std::strcpy(buffer, kMonths[Mon - 1]);
}

void CStrToStr255(unsigned char* pStr, const char* cStr) {
    const std::size_t length = strnlen(cStr, 255);
    pStr[0] = static_cast<unsigned char>(length);
    std::memcpy(pStr + 1, cStr, length);
}
