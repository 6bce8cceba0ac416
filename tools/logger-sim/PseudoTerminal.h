// A pseudo-terminal pair in raw mode, for the simulator and the transport's tests.
#pragma once

#include <string>

namespace loggersim {

// The slave side is what a serial program opens (/dev/pts/N); the master side
// plays the logger. Both descriptors are closed on exec, so a child process
// never keeps the line alive after the owner closes its side.
class PseudoTerminal {
public:
    PseudoTerminal() = default;
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    // False with a reason when no pseudo-terminal can be had.
    bool Open(std::string* error);

    int master() const { return master_; }
    int slave() const { return slave_; }
    const std::string& slavePath() const { return slavePath_; }

    // Closing the master hangs the line up for whoever has the slave open.
    void CloseMaster();
    void CloseSlave();

    // Writes all bytes to the master, waiting while the line is full; false
    // when the line failed or timeoutMs passed.
    bool WriteAll(const void* data, size_t length, int timeoutMs = 5000);
    // Bytes waiting on the slave side, not yet read by anyone.
    int PendingInput() const;

private:
    int master_ = -1;
    int slave_ = -1;
    std::string slavePath_;
};

}  // namespace loggersim
