#include "ptz/PtzBase.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "ptz/PelcoD.h"
#include "ptz/PelcoP.h"
#include "tests/ptz/FrameTestUtil.h"

using namespace frametest;

TEST(PtzBaseTest, CopyBuffer) {
    constexpr uint8_t kFill = 0xEE;
    const struct {
        const char* name;
        int frameLen;  // 0: new driver, 7: Pelco-D frame, 8: Pelco-P frame
        bool nullDest;
        uint32_t room;
        int result;
        uint32_t sizeAfter;
    } cases[] = {
        {"new driver copies nothing", 0, false, 8, 1, 0},
        {"new driver with no room", 0, false, 0, 1, 0},
        {"new driver, null destination", 0, true, 8, 0, 8},
        {"null destination", 7, true, 8, 0, 8},
        {"room one short", 7, false, 6, 0, 6},
        {"room exact", 7, false, 7, 1, 7},
        {"room to spare", 7, false, 512, 1, 7},
        {"eight bytes, room one short", 8, false, 7, 0, 7},
        {"eight bytes, room exact", 8, false, 8, 1, 8},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<PtzBase> ptz;
        if (c.frameLen == 8) {
            ptz = std::make_unique<PelcoP>(nullptr, 3);
            ptz->Action(PTZ_UP, 0, 20);
        } else {
            ptz = std::make_unique<PelcoD>(nullptr, 3);
            if (c.frameLen == 7) {
                ptz->Action(PTZ_UP, 20, 20);
            }
        }
        uint8_t dest[PtzBase::kBufferSize];
        std::memset(dest, kFill, sizeof dest);
        uint32_t size = c.room;
        EXPECT_EQ(ptz->CopyBuffer(c.nullDest ? nullptr : dest, size), c.result);
        EXPECT_EQ(size, c.sizeAfter);
        const Bytes copied(dest, dest + c.frameLen);
        if (c.result == 1) {
            EXPECT_EQ(Hex(copied), LastHex(*ptz));
        } else {
            EXPECT_EQ(Hex(copied), Hex(Bytes(c.frameLen, kFill)));
        }
        EXPECT_EQ(dest[c.frameLen], kFill) << "wrote past the frame";
    }
}

TEST(PtzBaseTest, DeviceTypes) {
    EXPECT_EQ(PelcoD(nullptr, 1).GetDeviceType(), 0);
    EXPECT_EQ(PelcoP(nullptr, 1).GetDeviceType(), 1);
}
