#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A pseudo-terminal pair standing in for a serial line. The test reads and
// writes the master ("the peer"); the code under test opens the slave through
// its path. The pair keeps one slave descriptor of its own open, so the master
// does not see EIO while the port under test closes and reopens.
class PtyPair {
public:
    PtyPair();
    ~PtyPair();
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    bool ok() const { return m_master >= 0; }
    int master() const { return m_master; }
    const std::string& slavePath() const { return m_slavePath; }

    // Reads until `count` bytes arrived or the deadline passed; returns what came.
    std::vector<uint8_t> ReadPeer(size_t count, int timeoutMs = 5000);
    // Reads whatever arrives until nothing more comes for `quietMs`.
    std::vector<uint8_t> DrainPeer(int quietMs = 100);
    bool WritePeer(const std::vector<uint8_t>& bytes);

    // Closes the master and the pair's own slave descriptor: the line vanishes.
    void Vanish();

private:
    int m_master = -1;
    int m_slaveKeep = -1;
    std::string m_slavePath;
};
