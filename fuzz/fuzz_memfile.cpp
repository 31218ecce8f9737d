// CxMemFile operation sequences, over an owned buffer and over a given one:
// GetC stays a byte or -1, a wrapping size is refused, a given buffer never grows.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "stream/CxMemFile.h"

namespace {
struct Reader {
    const uint8_t* p;
    size_t n;
    uint8_t Byte() {
        if (n == 0)
            return 0;
        --n;
        return *p++;
    }
    int32_t Word() {
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i)
            v = (v << 8) | Byte();
        return static_cast<int32_t>(v);
    }
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Reader in{data, size};
    uint8_t given[64] = {};
    const bool useGiven = in.Byte() & 1;
    CxMemFile file(useGiven ? given : nullptr, useGiven ? sizeof(given) : 0);
    if (!useGiven)
        file.Open();
    uint8_t scratch[9000];
    for (int step = 0; step < 64 && in.n > 0; ++step) {
        const uint8_t op = in.Byte() % 9;
        switch (op) {
            case 0:
            case 1: {
                const uint32_t itemSize = in.Byte() % 20;
                const uint32_t count = in.Byte() % 500;
                if (static_cast<uint64_t>(itemSize) * count > sizeof(scratch)) {
                    break;
                }
                if (op == 0) {
                    std::memset(scratch, in.Byte(), sizeof(scratch));
                    file.Write(scratch, itemSize, count);
                } else {
                    file.Read(scratch, itemSize, count);
                }
                break;
            }
            case 2:
                file.Seek(in.Word() % 20000, in.Byte() % 4);
                break;
            case 3:
                file.PutC(in.Byte());
                break;
            case 4: {
                const int32_t c = file.GetC();
                if (c < -1 || c > 255)
                    __builtin_trap();
                break;
            }
            case 5:
                (void)file.Eof();
                (void)file.Error();
                (void)file.Tell();
                (void)file.Size();
                (void)file.Flush();
                break;
            case 6:
                // A count whose size wraps 32 bits must be refused, never
                // turned into a small copy.
                if (file.Write(scratch, 0x10000u, 0x10001u) != 0)
                    __builtin_trap();
                break;
            case 7:
                file.Close();
                break;
            case 8:
                if (!useGiven)
                    file.Open();
                break;
        }
        const int32_t length = file.Size();
        if (useGiven && length > static_cast<int32_t>(sizeof(given)))
            __builtin_trap();
    }
    return 0;
}
