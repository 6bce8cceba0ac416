// The logger's request frames and the acceptance rules for its answers.
#pragma once

#include <QDateTime>

#include <array>
#include <cstdint>
#include <span>

// The transmit area that requests are built in, and the largest chunk the
// transport hands over.
inline constexpr int FrameAreaSize = 1024;
// Head (4), identity (10), letter (1), checksum (1) and tail (4).
inline constexpr int FrameOverhead = 20;
inline constexpr int IdentityLength = 10;
inline constexpr int FrameLetterOffset = 14;
inline constexpr int FrameStatusOffset = 15;

// Command letters of the requests and of the answers the link recognises.
namespace letter {
inline constexpr char Identify = 'Q';
inline constexpr char IdentifyAnswer = 'R';
inline constexpr char ReadSetup = 'S';
inline constexpr char ReadSetupAnswer = 'T';
inline constexpr char WriteSetup = 'U';
inline constexpr char WriteSetupAnswer = 'V';
inline constexpr char Download = 'W';
inline constexpr char Erase = 'Y';
inline constexpr char EraseAnswer = 'Z';
inline constexpr char SetClock = '[';
inline constexpr char SetClockAnswer = '\\';
}  // namespace letter

// Exclusive-or of bytes first … last inclusive.
uint8_t FrameChecksum(const uint8_t* bytes, int first, int last);

// Clears the FrameAreaSize bytes of tx and builds one request in it: head,
// identity (10 zero bytes when identity is null), letter, parameters,
// checksum, tail. Returns the frame's length, or 0 (and tx left cleared) when
// the parameters do not fit. The download request 'W' carries the checksum of
// an erase request for the same identity, which is what loggers expect.
int BuildRequest(uint8_t* tx, char letter, const char* identity, std::span<const uint8_t> parameters = {});

// Parameters of the set-clock request: 0x01, then second, minute, hour, day,
// month, century and year within the century, each in packed BCD.
std::array<uint8_t, 8> ClockParameters(const QDateTime& localTime);

enum class ResponseOutcome {
    Ignored,       // short chunk, checksum mismatch or a letter the link does not know
    Accepted,
    WrongLength,   // a known letter whose answer must have a fixed length
    FailedStatus,  // the logger answered with a status other than 1
};

struct ResponseCheck {
    ResponseOutcome outcome = ResponseOutcome::Ignored;
    char letter = 0;  // the answer's letter unless Ignored
};

// Applies the acceptance rules to one received chunk of count bytes. Only
// length, checksum, letter and status are examined.
ResponseCheck CheckResponse(const uint8_t* data, int count);
