// The settings reader on any bytes: no overrun, texts always terminated
// inside their fields, and what it read survives a write and a second read.
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "FuzzSupport.h"
#include "file.h"

namespace {

UPSSts Parse(const char* data, std::size_t size) {
    UPSSts s;
    std::memset(&s, 0, sizeof s);
    if (size == 0) return s;
    std::FILE* in = fmemopen(const_cast<char*>(data), size, "r");
    if (!in) std::abort();
    ParseUPSSts(in, &s);
    std::fclose(in);
    return s;
}

bool Terminated(const char* field, std::size_t capacity) {
    return strnlen(field, capacity) < capacity;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const UPSSts first = Parse(reinterpret_cast<const char*>(data), size);
    FUZZ_CHECK(Terminated(first.BR_Date_Last, sizeof first.BR_Date_Last));
    FUZZ_CHECK(Terminated(first.BR_Date_Next, sizeof first.BR_Date_Next));
    FUZZ_CHECK(Terminated(first.SMTPServer, sizeof first.SMTPServer));
    FUZZ_CHECK(Terminated(first.SMTPDomain, sizeof first.SMTPDomain));
    FUZZ_CHECK(Terminated(first.SMTPAccount, sizeof first.SMTPAccount));
    FUZZ_CHECK(Terminated(first.CommandFile, sizeof first.CommandFile));

    // Whatever was read is written as 33 lines and reads back the same.
    const std::string text = FormatUPSSts(first);
    FUZZ_CHECK(corvanta_fuzz::CountLines(text) == 33);
    const UPSSts second = Parse(text.data(), text.size());
    FUZZ_CHECK(FormatUPSSts(second) == text);
    FUZZ_CHECK(second.Notify_Interval == first.Notify_Interval);
    FUZZ_CHECK(std::strcmp(second.CommandFile, first.CommandFile) == 0);

    // The same bytes through the file reader, as the monitor reads them.
    const std::string& folder = corvanta_fuzz::UseFuzzFolder();
    corvanta_fuzz::WriteWhole(folder + "/" + SettingsFileName, data, size);
    std::memset(&PtUPSSts, 0, sizeof PtUPSSts);
    LoadUPSSts();
    FUZZ_CHECK(FormatUPSSts(PtUPSSts) == text);
    return 0;
}
