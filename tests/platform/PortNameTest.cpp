#include "platform/PortName.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "tests/support/ScopedPortMap.h"

namespace fs = std::filesystem;

class PortNameTest : public ::testing::Test {
protected:
    ScopedPortMap m_map;  // XDG_CONFIG_HOME in a fresh folder
    const std::string m_dir = m_map.root();
};

TEST_F(PortNameTest, FallsBackToTtySWithoutALink) {
    const struct {
        unsigned port;
        const char* device;
    } cases[] = {{1, "/dev/ttyS0"}, {2, "/dev/ttyS1"}, {8, "/dev/ttyS7"}, {0, ""}};
    for (const auto& c : cases) {
        EXPECT_EQ(ResolveComPort(c.port), c.device) << "COM" << c.port;
    }
}

TEST_F(PortNameTest, UsesTheLinkWhenPresentEvenIfDangling) {
    fs::create_directories(m_dir + "/orvane/ports");
    const std::string link = m_dir + "/orvane/ports/COM3";
    ASSERT_EQ(symlink("/dev/does-not-exist", link.c_str()), 0);
    EXPECT_EQ(PortMapPath(3), link);
    EXPECT_EQ(ResolveComPort(3), link);
    EXPECT_EQ(ResolveComPort(4), "/dev/ttyS3");
}
