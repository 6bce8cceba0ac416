// A pseudo-terminal pair in raw mode, for the simulator and the transport's tests.
#include "PseudoTerminal.h"

#include <cerrno>
#include <chrono>
#include <cstring>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace loggersim {

PseudoTerminal::~PseudoTerminal()
{
    CloseMaster();
    CloseSlave();
}

bool PseudoTerminal::Open(std::string* error)
{
    char name[256] = {};
    struct termios raw {};
    cfmakeraw(&raw);
    cfsetispeed(&raw, B38400);
    cfsetospeed(&raw, B38400);
    if (::openpty(&master_, &slave_, name, &raw, nullptr) != 0) {
        if (error)
            *error = std::string("openpty failed: ") + std::strerror(errno);
        master_ = slave_ = -1;
        return false;
    }
    ::fcntl(master_, F_SETFD, FD_CLOEXEC);
    ::fcntl(slave_, F_SETFD, FD_CLOEXEC);
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
    slavePath_ = name;
    return true;
}

void PseudoTerminal::CloseMaster()
{
    if (master_ >= 0)
        ::close(master_);
    master_ = -1;
}

void PseudoTerminal::CloseSlave()
{
    if (slave_ >= 0)
        ::close(slave_);
    slave_ = -1;
}

bool PseudoTerminal::WriteAll(const void* data, size_t length, int timeoutMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    const char* p = static_cast<const char*>(data);
    while (length > 0) {
        const ssize_t n = ::write(master_, p, length);
        if (n > 0) {
            p += n;
            length -= size_t(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            return false;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return false;
        struct pollfd pfd {master_, POLLOUT, 0};
        ::poll(&pfd, 1, int(left.count()));
    }
    return true;
}

int PseudoTerminal::PendingInput() const
{
    int count = 0;
    if (slave_ < 0 || ::ioctl(slave_, FIONREAD, &count) != 0)
        return -1;
    return count;
}

}  // namespace loggersim
