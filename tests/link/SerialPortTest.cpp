// CSerialPort on a real pseudo-terminal: chunking, purge, hang-up, shutting
// down against a hand-over in progress, reopening and refused opens.
#include "link/CSerialPort.h"

#include "PseudoTerminal.h"

#include "support/CoreTestSupport.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>
#include <QTimer>

#include <functional>
#include <memory>
#include <vector>

#include <grp.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

QCoreApplication& App()
{
    return coretest::EnsureCoreApplication();
}

using coretest::WaitUntil;

QByteArray Pattern(int size, int seed = 0)
{
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = char((i + seed) % 251);
    return bytes;
}

struct RecordingReceiver : ILinkReceiver {
    std::vector<QByteArray> chunks;
    int failures = 0;
    std::string order;  // 'd' for a chunk, 'f' for a failure, as they came
    std::function<void(const QByteArray&)> onData;  // runs inside the hand-over
    std::function<void()> onFailure;

    void OnLinkData(const uint8_t* data, int count) override
    {
        chunks.emplace_back(reinterpret_cast<const char*>(data), count);
        order += 'd';
        if (onData)
            onData(chunks.back());
    }
    void OnPortFailure() override
    {
        ++failures;
        order += 'f';
        if (onFailure)
            onFailure();
    }

    int total() const
    {
        int sum = 0;
        for (const QByteArray& c : chunks)
            sum += int(c.size());
        return sum;
    }
    std::vector<int> sizes() const
    {
        std::vector<int> out;
        for (const QByteArray& c : chunks)
            out.push_back(int(c.size()));
        return out;
    }
};

class SerialPortTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { App(); }

    void SetUp() override
    {
        std::string error;
        if (!pty.Open(&error))
            GTEST_SKIP() << "no pseudo-terminal here: " << error;
        port = std::make_unique<CSerialPort>(&receiver);
    }

    // Opens the slave and starts the reader; the reader's own purge is over
    // when StartReader returns.
    void OpenAndStart()
    {
        const PortOpenResult result = port->Open(device());
        ASSERT_TRUE(result.ok) << result.errorText.toStdString();
        port->StartReader();
        ASSERT_TRUE(port->IsOpen());
    }

    QString device() const { return QString::fromStdString(pty.slavePath()); }

    void WriteToPort(const QByteArray& bytes) { ASSERT_TRUE(pty.WriteAll(bytes.constData(), size_t(bytes.size()))); }

    // What the transport wrote towards the logger, once length bytes are there.
    QByteArray ReadFromPort(int length, int timeoutMs = 3000)
    {
        QByteArray got;
        QElapsedTimer clock;
        clock.start();
        while (got.size() < length && clock.elapsed() < timeoutMs) {
            struct pollfd pfd {pty.master(), POLLIN, 0};
            if (::poll(&pfd, 1, 20) > 0) {
                char buffer[1024];
                const ssize_t n = ::read(pty.master(), buffer, sizeof buffer);
                if (n > 0)
                    got.append(buffer, n);
            }
            QCoreApplication::processEvents();
        }
        return got;
    }

    loggersim::PseudoTerminal pty;
    RecordingReceiver receiver;
    std::unique_ptr<CSerialPort> port;
};

// --- Chunking ---------------------------------------------------------------

struct Piece {
    int delayMs;  // after the previous piece
    int size;
};

struct ChunkCase {
    const char* name;
    std::vector<Piece> pieces;
    std::vector<int> chunks;
};

void PrintTo(const ChunkCase& c, std::ostream* out) { *out << c.name; }

class SerialPortChunkTest : public SerialPortTest, public ::testing::WithParamInterface<ChunkCase> {};

TEST_P(SerialPortChunkTest, HandsOverChunksByCapacityAndSilence)
{
    OpenAndStart();
    const ChunkCase& c = GetParam();
    QByteArray all;
    int at = 0;
    for (const Piece& piece : c.pieces) {
        at += piece.delayMs;
        const QByteArray bytes = Pattern(piece.size, int(all.size()));
        all += bytes;
        QTimer::singleShot(at, [this, bytes] { WriteToPort(bytes); });
    }
    ASSERT_TRUE(WaitUntil([&] { return receiver.total() >= all.size(); }));
    EXPECT_EQ(receiver.sizes(), c.chunks);
    QByteArray joined;
    for (const QByteArray& chunk : receiver.chunks)
        joined += chunk;
    EXPECT_EQ(joined, all);
    // A pseudo-terminal's missing modem lines are no port failure.
    EXPECT_EQ(receiver.failures, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SerialPortChunkTest,
    ::testing::Values(ChunkCase{"AnswerWithoutPause", {{0, 51}}, {51}},
                      ChunkCase{"PiecesCloserThanTheSilence", {{0, 17}, {15, 17}, {15, 17}}, {51}},
                      ChunkCase{"AnswerInterruptedByAPause", {{0, 25}, {500, 26}}, {25, 26}},
                      ChunkCase{"ExactlyOneCapacity", {{0, 1024}}, {1024}},
                      ChunkCase{"MoreThanOneCapacityWaiting", {{0, 3000}}, {1024, 1024, 952}}),
    [](const ::testing::TestParamInfo<ChunkCase>& info) { return std::string(info.param.name); });

// --- Writing ----------------------------------------------------------------

TEST_F(SerialPortTest, BytesReceivedBeforeARequestAreDiscardedByItsPurge)
{
    OpenAndStart();
    const QByteArray request = Pattern(20, 7);
    const QByteArray stale = Pattern(40, 99);
    // While the first chunk is being handed over the worker reads nothing:
    // the stale bytes wait on the line when the request is sent.
    receiver.onData = [&](const QByteArray&) {
        if (receiver.chunks.size() == 1) {
            WriteToPort(stale);
            port->Send(reinterpret_cast<const uint8_t*>(request.constData()), int(request.size()));
        }
    };
    WriteToPort(Pattern(10));
    EXPECT_EQ(ReadFromPort(int(request.size())), request);

    const QByteArray answer = Pattern(51, 3);
    WriteToPort(answer);
    ASSERT_TRUE(WaitUntil([&] { return receiver.chunks.size() >= 2; }));
    EXPECT_EQ(receiver.chunks[1], answer);
    EXPECT_EQ(receiver.chunks.size(), 2u);
}

TEST_F(SerialPortTest, SendCopiesTheFrameAndRefusesOneLongerThanTheWriteBuffer)
{
    OpenAndStart();
    std::vector<uint8_t> tooLong(CSerialPort::WriteBufferSize + 1, 0xAA);
    port->Send(tooLong.data(), int(tooLong.size()));
    std::vector<uint8_t> frame(65, 0x11);
    port->Send(frame.data(), int(frame.size()));
    std::fill(frame.begin(), frame.end(), 0x22);  // the transport has its own copy
    const QByteArray written = ReadFromPort(65);
    EXPECT_EQ(written, QByteArray(65, char(0x11)));
    EXPECT_TRUE(ReadFromPort(1, 300).isEmpty());
}

TEST_F(SerialPortTest, NothingIsWrittenAfterShutdown)
{
    OpenAndStart();
    port->Shutdown();
    const uint8_t frame[20] = {1};
    port->Send(frame, 20);
    EXPECT_TRUE(port->IsOpen());  // Shutdown leaves the port open
    EXPECT_TRUE(ReadFromPort(1, 300).isEmpty());
}

// --- Failures ---------------------------------------------------------------

TEST_F(SerialPortTest, HangUpIsOnePortFailureAndClosesThePort)
{
    OpenAndStart();
    pty.CloseMaster();
    ASSERT_TRUE(WaitUntil([&] { return receiver.failures >= 1; }));
    ASSERT_TRUE(WaitUntil([&] { return !port->IsOpen(); }));
    // A vanished line keeps signalling; it must not turn into a flood.
    QCoreApplication::processEvents();
    EXPECT_EQ(receiver.failures, 1);
    EXPECT_TRUE(receiver.chunks.empty());
}

// A cable pulled while bytes wait for the silence that ends their chunk: they
// are handed over, then the failure, and only then is the port closed.
struct HangUpCase {
    const char* name;
    int bytes;                // written before the hang-up
    std::vector<int> chunks;  // handed over before the failure
};

void PrintTo(const HangUpCase& c, std::ostream* out) { *out << c.name; }

class SerialPortHangUpTest : public SerialPortTest, public ::testing::WithParamInterface<HangUpCase> {};

TEST_P(SerialPortHangUpTest, BytesReadBeforeTheHangUpArriveBeforeTheFailure)
{
    const HangUpCase& c = GetParam();
    OpenAndStart();
    bool openAtFailure = false;
    receiver.onFailure = [&] { openAtFailure = port->IsOpen(); };
    const QByteArray stream = Pattern(c.bytes, 11);
    WriteToPort(stream);
    // Hang up once the transport has read everything, well inside the
    // silence that would end the last chunk.
    ASSERT_TRUE(WaitUntil([&] { return port->BytesRead() >= c.bytes; }));
    pty.CloseMaster();
    ASSERT_TRUE(WaitUntil([&] { return receiver.failures >= 1 && !port->IsOpen(); }));

    EXPECT_EQ(receiver.sizes(), c.chunks);
    QByteArray joined;
    for (const QByteArray& chunk : receiver.chunks)
        joined += chunk;
    EXPECT_EQ(joined, stream);
    EXPECT_EQ(receiver.order, std::string(c.chunks.size(), 'd') + 'f');
    EXPECT_TRUE(openAtFailure) << "the port is closed after the failure has been handled";
    QCoreApplication::processEvents();
    EXPECT_EQ(receiver.failures, 1);
}

INSTANTIATE_TEST_SUITE_P(Cases, SerialPortHangUpTest,
                         ::testing::Values(HangUpCase{"ShortAnswerPending", 40, {40}},
                                           HangUpCase{"MidStreamAfterFullChunks", 3000, {1024, 1024, 952}},
                                           HangUpCase{"StreamEndingOnAChunkBoundary", 2048, {1024, 1024}}),
                         [](const ::testing::TestParamInfo<HangUpCase>& info) { return std::string(info.param.name); });

TEST_F(SerialPortTest, ARequestAfterTheLineWentIsAFailureNotASilentWrite)
{
    OpenAndStart();
    pty.CloseMaster();
    ASSERT_TRUE(WaitUntil([&] { return receiver.failures == 1 && !port->IsOpen(); }));
    const uint8_t frame[20] = {1};
    port->Send(frame, 20);
    ASSERT_TRUE(WaitUntil([&] { return receiver.failures == 2; }));
    // After Shutdown nothing is wanted from the port any more.
    port->Shutdown();
    port->Send(frame, 20);
    QCoreApplication::processEvents();
    EXPECT_EQ(receiver.failures, 2);
}

TEST_F(SerialPortTest, AReceiverThatShutsDownOnTheTailGetsNoFailure)
{
    OpenAndStart();
    // The receiver ends the link while the tail is handed over (a download
    // that ends on what it got): nothing more reaches it.
    receiver.onData = [&](const QByteArray&) { port->Shutdown(); };
    WriteToPort(Pattern(100));
    ASSERT_TRUE(WaitUntil([&] { return port->BytesRead() >= 100; }));
    pty.CloseMaster();
    ASSERT_TRUE(WaitUntil([&] { return !receiver.chunks.empty(); }));
    ASSERT_TRUE(WaitUntil([&] { return !port->IsOpen(); }));
    QCoreApplication::processEvents();
    EXPECT_EQ(receiver.order, "d");
}

TEST_F(SerialPortTest, OpenOfAMissingDeviceFailsWithoutPermissionHint)
{
    const PortOpenResult result = port->Open(QStringLiteral("/dev/tessaview-no-such-device"));
    EXPECT_FALSE(result.ok);
    EXPECT_FALSE(result.permissionDenied);
    EXPECT_FALSE(result.errorText.isEmpty());
}

TEST_F(SerialPortTest, ADeviceInUseIsRefusedButIsNoPermissionMatter)
{
    OpenAndStart();
    RecordingReceiver other;
    CSerialPort second(&other);
    const PortOpenResult result = second.Open(device());
    EXPECT_FALSE(result.ok);
    EXPECT_FALSE(result.permissionDenied);
}

TEST_F(SerialPortTest, ARefusedDeviceNamesTheGroupThatOwnsIt)
{
    struct stat info {};
    ASSERT_EQ(::stat(pty.slavePath().c_str(), &info), 0);
    const struct group* owner = ::getgrgid(info.st_gid);
    const std::string expectedGroup = owner ? owner->gr_name : std::to_string(info.st_gid);

    // The open must be refused by the kernel: as root, in a child that has
    // given up root; otherwise by taking the permissions off the device.
    if (::geteuid() != 0) {
        ASSERT_EQ(::chmod(pty.slavePath().c_str(), 0), 0);
    }
    port.reset();
    std::fflush(nullptr);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(10);
        CSerialPort refused;
        const PortOpenResult result = refused.Open(device());
        if (result.ok)
            ::_exit(11);
        if (!result.permissionDenied)
            ::_exit(12);
        ::_exit(result.deviceGroup.toStdString() == expectedGroup ? 0 : 13);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "11: opened, 12: no permission flag, 13: wrong group";
}

// --- Shutting down and reopening ---------------------------------------------

TEST_F(SerialPortTest, ShutdownInsideASlowHandOverStopsTheChunksAndReopeningWorks)
{
    OpenAndStart();
    receiver.onData = [&](const QByteArray&) {
        if (receiver.chunks.size() != 1)
            return;
        port->Shutdown();
        // The receiver stays busy (as a modal message would) while more
        // arrives; the worker drains the line without handing anything over.
        WriteToPort(Pattern(300));
        ASSERT_TRUE(WaitUntil([&] { return pty.PendingInput() == 0; }));
    };
    WriteToPort(Pattern(51));
    ASSERT_TRUE(WaitUntil([&] { return !receiver.chunks.empty(); }));
    QCoreApplication::processEvents();
    EXPECT_EQ(receiver.chunks.size(), 1u);

    receiver.onData = nullptr;
    OpenAndStart();
    WriteToPort(Pattern(21, 5));
    ASSERT_TRUE(WaitUntil([&] { return receiver.chunks.size() >= 2; }));
    EXPECT_EQ(receiver.chunks.back(), Pattern(21, 5));
    EXPECT_EQ(receiver.failures, 0);
}

TEST_F(SerialPortTest, ReopeningInsideAHandOverDoesNotWaitForItself)
{
    OpenAndStart();
    // A Connect run from inside a message shown while a chunk is handled:
    // the worker is waiting for this very call.
    receiver.onData = [&](const QByteArray&) {
        if (receiver.chunks.size() != 1)
            return;
        const PortOpenResult reopened = port->Open(device());
        ASSERT_TRUE(reopened.ok) << reopened.errorText.toStdString();
        port->StartReader();
        WriteToPort(Pattern(33, 1));
    };
    WriteToPort(Pattern(20));
    ASSERT_TRUE(WaitUntil([&] { return receiver.chunks.size() >= 2; }));
    EXPECT_EQ(receiver.chunks[1], Pattern(33, 1));
}

TEST_F(SerialPortTest, OpenOfTheOpenDeviceClosesItFirst)
{
    OpenAndStart();
    // The old handle would still hold the device's lock if Open kept it.
    OpenAndStart();
    WriteToPort(Pattern(30));
    ASSERT_TRUE(WaitUntil([&] { return receiver.total() >= 30; }));
    EXPECT_EQ(receiver.sizes(), std::vector<int>{30});
}

TEST_F(SerialPortTest, DestroyingTheTransportInsideItsOwnHandOverReturns)
{
    OpenAndStart();
    receiver.onData = [&](const QByteArray&) { port.reset(); };
    WriteToPort(Pattern(51));
    ASSERT_TRUE(WaitUntil([&] { return !port; }));
    WriteToPort(Pattern(51));
    QCoreApplication::processEvents();
    EXPECT_EQ(receiver.chunks.size(), 1u);
}

TEST_F(SerialPortTest, DestroyingTheTransportWhileAHandOverWaitsDropsIt)
{
    OpenAndStart();
    // A full chunk is handed over at once; the user-interface thread does not
    // take it (no events are processed) before the transport goes.
    WriteToPort(Pattern(CSerialPort::ChunkCapacity));
    QElapsedTimer clock;
    clock.start();
    while (pty.PendingInput() != 0 && clock.elapsed() < 3000)
        QThread::msleep(1);
    port.reset();
    QCoreApplication::processEvents();
    EXPECT_TRUE(receiver.chunks.empty());
    EXPECT_EQ(receiver.failures, 0);
}

}  // namespace
