// The values reader on any bytes: the image decodes field by field without
// overrun, re-encodes to the same bytes (the reserved ones aside), and the
// countdown reconciliation only ever yields our figure, the agent's or -1.
#include "AgentLock.h"
#include "CoreTesting.h"
#include "FuzzSupport.h"
#include "file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Partial decode over a known record: bytes past the input keep theirs.
    UPSVal v{};
    v.flag_OpenUPS = 0x1234;
    v.SupportItem = 0x0BADF00D;
    for (int i = 0; i < ItemCount; ++i)
        v.ItemVal[i] = static_cast<short>(i * 1111);
    std::uint8_t before[UPSValImageSize], image[UPSValImageSize];
    EncodeUPSVal(v, before);
    const std::size_t n = size < UPSValImageSize ? size : UPSValImageSize;
    DecodeUPSValPartial(data, n, &v);
    EncodeUPSVal(v, image);
    for (std::size_t i = 0; i < UPSValImageSize; ++i)
        if (i != 78 && i != 79 && i != 130 && i != 131) // reserved
            FUZZ_CHECK(image[i] == (i < n ? data[i] : before[i]));

    // The file reader with the reconciliation, held as a running agent holds
    // the folder. The own figure comes from the input's last byte so that
    // every branch is reached.
    const std::string& folder = corvanta_fuzz::UseFuzzFolder();
    static AgentFolderLock lock;
    static bool first = true;
    if (std::string error; first) {
        lock.Take(folder, &error);
        ResetReadUPSValState();
        ReadUPSVal(); // the first read of the run; take it out of the way
        first = false;
    }
    corvanta_fuzz::WriteWhole(folder + "/" + ValuesFileName, data, size);
    const short own = size ? static_cast<short>(static_cast<std::int8_t>(data[size - 1]) * 4) : -1;
    PtUPSVal.DownTime = own;
    UPSVal expected = PtUPSVal;
    DecodeUPSValPartial(data, n, &expected);
    ReadUPSVal();
    FUZZ_CHECK(PtUPSVal.DownTime == own || PtUPSVal.DownTime == expected.DownTime ||
               PtUPSVal.DownTime == -1);
    FUZZ_CHECK(PtUPSVal.flag_OpenUPS == expected.flag_OpenUPS);
    FUZZ_CHECK(PtUPSVal.ItemVal[29] == expected.ItemVal[29]);
    return 0;
}
