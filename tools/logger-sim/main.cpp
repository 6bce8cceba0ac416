// tessaview-logger-sim: a logger on a pseudo-terminal, for trying the program
// and for the end-to-end tests without hardware.
#include "PseudoTerminal.h"
#include "SimOptions.h"
#include "SimulatedLogger.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

using namespace loggersim;
using Clock = std::chrono::steady_clock;

namespace {

int signalPipe[2] = {-1, -1};

void OnSignal(int)
{
    const char byte = 1;
    // Nothing to do when the pipe is full: one byte is enough to stop.
    [[maybe_unused]] ssize_t n = ::write(signalPipe[1], &byte, 1);
}

struct Queued {
    Clock::time_point due;
    std::vector<uint8_t> bytes;
    size_t written = 0;
};

// How long a hang-up waits for the program to read what was sent before it;
// a program that has stopped reading loses the rest, as with a pulled cable.
constexpr auto ReaderWait = std::chrono::milliseconds(3000);
constexpr int ReaderPollMs = 5;

int MillisecondsUntil(Clock::time_point t)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(t - Clock::now()).count();
    return left <= 0 ? 0 : int(left) + 1;
}

}  // namespace

int main(int argc, char** argv)
{
    const SimOptions options = ParseOptions(std::vector<std::string>(argv + 1, argv + argc), std::time(nullptr));
    if (!options.error.empty()) {
        std::fprintf(stderr, "tessaview-logger-sim: %s\n", options.error.c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(HelpText().c_str(), stdout);
        return 0;
    }

    PseudoTerminal pty;
    std::string error;
    if (!pty.Open(&error)) {
        std::fprintf(stderr, "tessaview-logger-sim: %s\n", error.c_str());
        return 1;
    }
    if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        std::fprintf(stderr, "tessaview-logger-sim: pipe failed: %s\n", std::strerror(errno));
        return 1;
    }
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
    ::signal(SIGPIPE, SIG_IGN);

    // The slave stays open here too, so that the master never reads an end of
    // file while no program has the device open.
    std::printf("%s\n", pty.slavePath().c_str());
    std::fflush(stdout);

    SimulatedLogger logger(options.settings);
    std::deque<Queued> queue;
    std::optional<int> hangUpAfterQueue;   // ms after the queue has drained
    std::optional<Clock::time_point> hangUpAt;
    bool stdinOpen = options.untilStdinCloses;

    for (;;) {
        const auto now = Clock::now();
        // The kernel discards what the program has not read when the line
        // hangs up, so the bytes sent before a hang-up are first left to be read.
        const bool readerBehind = hangUpAt && now >= *hangUpAt && pty.PendingInput() > 0 && now < *hangUpAt + ReaderWait;
        if (hangUpAt && now >= *hangUpAt && !readerBehind) {
            if (options.verbose)
                std::fprintf(stderr, "hanging up\n");
            pty.CloseMaster();
            return 0;
        }
        int timeout = -1;
        const bool writable = !queue.empty() && queue.front().due <= now;
        if (!queue.empty() && !writable)
            timeout = MillisecondsUntil(queue.front().due);
        if (hangUpAt) {
            const int t = readerBehind ? ReaderPollMs : MillisecondsUntil(*hangUpAt);
            timeout = timeout < 0 ? t : std::min(timeout, t);
        }

        struct pollfd fds[3] = {{pty.master(), short(POLLIN | (writable ? POLLOUT : 0)), 0},
                                {signalPipe[0], POLLIN, 0},
                                {STDIN_FILENO, POLLIN, 0}};
        const int n = ::poll(fds, stdinOpen ? 3 : 2, timeout);
        if (n < 0 && errno != EINTR) {
            std::fprintf(stderr, "tessaview-logger-sim: poll failed: %s\n", std::strerror(errno));
            return 1;
        }
        if (n <= 0)
            continue;
        if (fds[1].revents & POLLIN)
            return 0;
        if (stdinOpen && fds[2].revents) {
            char buffer[256];
            const ssize_t got = ::read(STDIN_FILENO, buffer, sizeof buffer);
            if (got == 0 || (got < 0 && errno != EAGAIN && errno != EINTR))
                return 0;
        }
        if (fds[0].revents & POLLIN) {
            uint8_t buffer[4096];
            const ssize_t got = ::read(pty.master(), buffer, sizeof buffer);
            if (got > 0) {
                for (const Reaction& reaction : logger.Feed(buffer, size_t(got))) {
                    // A new request ends whatever was still being sent.
                    queue.clear();
                    auto due = Clock::now();
                    for (const Output& output : reaction.outputs) {
                        due += std::chrono::milliseconds(output.delayMs);
                        queue.push_back({due, output.bytes, 0});
                    }
                    if (reaction.hangUp)
                        hangUpAfterQueue = reaction.hangUpDelayMs;
                    if (options.verbose)
                        std::fprintf(stderr, "request '%c': %zu answer piece(s)%s\n", reaction.request,
                                     reaction.outputs.size(), reaction.hangUp ? ", then hang-up" : "");
                }
            }
        }
        if ((fds[0].revents & POLLOUT) && !queue.empty()) {
            Queued& front = queue.front();
            const ssize_t put = ::write(pty.master(), front.bytes.data() + front.written, front.bytes.size() - front.written);
            if (put > 0)
                front.written += size_t(put);
            if (front.written >= front.bytes.size())
                queue.pop_front();
        }
        if (queue.empty() && hangUpAfterQueue && !hangUpAt)
            hangUpAt = Clock::now() + std::chrono::milliseconds(*hangUpAfterQueue);
    }
}
