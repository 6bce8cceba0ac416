// Building request frames and checking received answers.
#include "link/Frames.h"

#include <cstring>

namespace {

constexpr uint8_t FrameHead[4] = {0x01, 0x16, 0x7B, 0x28};
constexpr uint8_t FrameTail[4] = {0x29, 0x7D, 0x7E, 0x04};

uint8_t bcd(int value)
{
    return uint8_t(((value / 10) % 10) << 4 | (value % 10));
}

}  // namespace

uint8_t FrameChecksum(const uint8_t* bytes, int first, int last)
{
    uint8_t sum = 0;
    for (int i = first; i <= last; ++i)
        sum ^= bytes[i];
    return sum;
}

int BuildRequest(uint8_t* tx, char letter, const char* identity, std::span<const uint8_t> parameters)
{
    std::memset(tx, 0, FrameAreaSize);
    if (parameters.size() > size_t(FrameAreaSize - FrameOverhead))
        return 0;
    const int length = FrameOverhead + int(parameters.size());

    std::memcpy(tx, FrameHead, sizeof FrameHead);
    if (identity)
        std::memcpy(tx + 4, identity, IdentityLength);
    tx[FrameLetterOffset] = uint8_t(letter);
    if (!parameters.empty())
        std::memcpy(tx + 15, parameters.data(), parameters.size());

    uint8_t checksum = FrameChecksum(tx, 4, length - 6);
    // The download request is checked by the logger as if it were an erase.
    if (letter == letter::Download)
        checksum ^= uint8_t(letter::Download) ^ uint8_t(letter::Erase);
    tx[length - 5] = checksum;
    std::memcpy(tx + length - 4, FrameTail, sizeof FrameTail);
    return length;
}

std::array<uint8_t, 8> ClockParameters(const QDateTime& localTime)
{
    const QDate date = localTime.date();
    const QTime time = localTime.time();
    const int year = date.year();
    return {
        0x01,
        bcd(time.second()),
        bcd(time.minute()),
        bcd(time.hour()),
        bcd(date.day()),
        bcd(date.month()),
        uint8_t(((year / 1000) % 10) << 4 | ((year / 100) % 10)),
        bcd(year % 100),
    };
}

ResponseCheck CheckResponse(const uint8_t* data, int count)
{
    if (count < FrameOverhead)
        return {};
    if (FrameChecksum(data, 4, count - 6) != data[count - 5])
        return {};

    const char letter = char(data[FrameLetterOffset]);
    const bool statusOk = data[FrameStatusOffset] == 1;
    auto outcome = [&](int requiredLength, bool checkStatus) {
        if (requiredLength && count != requiredLength)
            return ResponseCheck{ResponseOutcome::WrongLength, letter};
        if (checkStatus && !statusOk)
            return ResponseCheck{ResponseOutcome::FailedStatus, letter};
        return ResponseCheck{ResponseOutcome::Accepted, letter};
    };

    switch (letter) {
    case letter::IdentifyAnswer: return outcome(51, true);
    case letter::ReadSetupAnswer: return outcome(76, false);
    case letter::WriteSetupAnswer: return outcome(21, true);
    case letter::EraseAnswer: return outcome(0, true);
    case letter::SetClockAnswer: return outcome(0, true);
    default: return {};
    }
}
