// CSerialPort when the device refuses a line setting at Open: the port is
// kept with the settings it has and the link goes on, with no port failure.
// The refusal is staged by standing in for tcsetattr in this test program
// (the serial port library calls it to set the line speed).
#include "link/CSerialPort.h"

#include "PseudoTerminal.h"

#include "support/CoreTestSupport.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>

#include <atomic>
#include <cerrno>
#include <vector>

#include <dlfcn.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {

std::atomic<bool> refuseLineSpeed{false};
std::atomic<int> refused{0};

}  // namespace

// Refuses to set 38400 baud while refuseLineSpeed holds; everything else
// goes to the C library.
extern "C" int tcsetattr(int fd, int actions, const struct termios* settings) noexcept
{
    using Real = int (*)(int, int, const struct termios*);
    static const Real real = reinterpret_cast<Real>(::dlsym(RTLD_NEXT, "tcsetattr"));
    if (refuseLineSpeed && settings && ::cfgetospeed(settings) == B38400) {
        ++refused;
        errno = EINVAL;
        return -1;
    }
    return real(fd, actions, settings);
}

namespace {

using coretest::WaitUntil;

struct Receiver : ILinkReceiver {
    QByteArray data;
    int failures = 0;
    void OnLinkData(const uint8_t* bytes, int count) override { data.append(reinterpret_cast<const char*>(bytes), count); }
    void OnPortFailure() override { ++failures; }
};

TEST(SerialPortLineSetupTest, ARefusedLineSpeedKeepsThePortWithoutAPortFailure)
{
    coretest::EnsureCoreApplication();
    loggersim::PseudoTerminal pty;
    std::string why;
    if (!pty.Open(&why))
        GTEST_SKIP() << "no pseudo-terminal here: " << why;
    // The line starts at another speed, so that only the change to 38400
    // baud is refused, not the library's own set-up of the device.
    struct termios line {};
    ASSERT_EQ(::tcgetattr(pty.slave(), &line), 0);
    ::cfsetispeed(&line, B9600);
    ::cfsetospeed(&line, B9600);
    ASSERT_EQ(::tcsetattr(pty.slave(), TCSANOW, &line), 0);

    Receiver receiver;
    CSerialPort port(&receiver);
    refuseLineSpeed = true;
    const PortOpenResult result = port.Open(QString::fromStdString(pty.slavePath()));
    refuseLineSpeed = false;
    ASSERT_GT(refused.load(), 0) << "the line speed was never set: nothing was refused";

    EXPECT_TRUE(result.ok);
    EXPECT_FALSE(result.permissionDenied);
    EXPECT_FALSE(result.errorText.isEmpty()) << "the reason is kept for diagnostics";
    EXPECT_TRUE(port.IsOpen());
    port.StartReader();

    // The link works both ways with the settings the device has.
    const uint8_t request[20] = {0x01, 0x16, 0x7B, 0x28, 'Q'};
    port.Send(request, 20);
    QByteArray written;
    QElapsedTimer clock;
    clock.start();
    while (written.size() < 20 && clock.elapsed() < 3000) {
        struct pollfd pfd {pty.master(), POLLIN, 0};
        if (::poll(&pfd, 1, 20) > 0) {
            char buffer[64];
            const ssize_t n = ::read(pty.master(), buffer, sizeof buffer);
            if (n > 0)
                written.append(buffer, n);
        }
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(written, QByteArray(reinterpret_cast<const char*>(request), 20));

    const QByteArray answer(51, 'R');
    ASSERT_TRUE(pty.WriteAll(answer.constData(), size_t(answer.size())));
    ASSERT_TRUE(WaitUntil([&] { return receiver.data.size() >= answer.size(); }));
    EXPECT_EQ(receiver.data, answer);
    // Any notice queued by Open has been delivered by now.
    EXPECT_EQ(receiver.failures, 0);
}

}  // namespace
