// The settings reader on any bytes: no overrun, texts always terminated
// inside their fields, and what it read survives a write and a second read,
// also through the file reader the monitor uses.
#include <algorithm>
#include <cstring>

#include "FuzzSupport.h"
#include "file.h"

namespace {

UPSSts Parse(const char* data, std::size_t size) {
    UPSSts s{};
    if (std::FILE* in = size ? fmemopen(const_cast<char*>(data), size, "r") : nullptr) {
        ParseUPSSts(in, &s);
        std::fclose(in);
    }
    return s;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const UPSSts first = Parse(reinterpret_cast<const char*>(data), size);
    for (const auto& [field, capacity] : {std::pair{first.BR_Date_Last, sizeof first.BR_Date_Last},
                                          {first.BR_Date_Next, sizeof first.BR_Date_Next},
                                          {first.SMTPServer, sizeof first.SMTPServer},
                                          {first.SMTPDomain, sizeof first.SMTPDomain},
                                          {first.SMTPAccount, sizeof first.SMTPAccount},
                                          {first.CommandFile, sizeof first.CommandFile}})
        FUZZ_CHECK(strnlen(field, capacity) < capacity);
    const std::string text = FormatUPSSts(first);
    FUZZ_CHECK(std::count(text.begin(), text.end(), '\n') == 33);
    const UPSSts second = Parse(text.data(), text.size());
    FUZZ_CHECK(FormatUPSSts(second) == text);
    corvanta_fuzz::WriteWhole(corvanta_fuzz::UseFuzzFolder() + "/" + SettingsFileName, data, size);
    std::memset(&PtUPSSts, 0, sizeof PtUPSSts);
    LoadUPSSts();
    FUZZ_CHECK(FormatUPSSts(PtUPSSts) == text);
    return 0;
}
