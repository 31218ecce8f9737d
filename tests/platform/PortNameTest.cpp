#include "platform/PortName.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>

namespace fs = std::filesystem;

class PortNameTest : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/orvane-portname-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        m_dir = tmpl;
        const char* old = getenv("XDG_CONFIG_HOME");
        m_hadOld = old != nullptr;
        if (m_hadOld)
            m_old = old;
        setenv("XDG_CONFIG_HOME", m_dir.c_str(), 1);
    }
    void TearDown() override {
        if (m_hadOld) {
            setenv("XDG_CONFIG_HOME", m_old.c_str(), 1);
        } else {
            unsetenv("XDG_CONFIG_HOME");
        }
        fs::remove_all(m_dir);
    }
    std::string m_dir;
    std::string m_old;
    bool m_hadOld = false;
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
