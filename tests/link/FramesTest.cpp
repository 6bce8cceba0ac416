// Request bytes and the acceptance rules for the logger's answers.
#include "link/Frames.h"
#include "support/FakeLink.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using fakelink::Bytes;

Bytes built(char letter, const char* identity, std::span<const uint8_t> parameters = {})
{
    uint8_t tx[FrameAreaSize];
    const int n = BuildRequest(tx, letter, identity, parameters);
    return Bytes(tx, tx + n);
}

TEST(FramesTest, IdentifyRequestIsTheFixedTwentyBytes)
{
    const Bytes expected{0x01, 0x16, 0x7B, 0x28, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x51, 0x51, 0x29, 0x7D, 0x7E, 0x04};
    EXPECT_EQ(built(letter::Identify, nullptr), expected);
}

TEST(FramesTest, DownloadRequestCarriesTheEraseChecksum)
{
    const char* id = "TV00012345";
    const Bytes download = built(letter::Download, id);
    const Bytes erase = built(letter::Erase, id);
    ASSERT_EQ(download.size(), 20u);
    uint8_t idXor = 0;
    for (int i = 0; i < 10; ++i)
        idXor ^= uint8_t(id[i]);
    EXPECT_EQ(download[14], 'W');
    EXPECT_EQ(download[15], uint8_t(idXor ^ 0x59));
    EXPECT_EQ(download[15], erase[15]);
    EXPECT_EQ(Bytes(download.begin() + 16, download.end()), (Bytes{0x29, 0x7D, 0x7E, 0x04}));
}

TEST(FramesTest, BuildingClearsWhatAnEarlierLongerFrameLeft)
{
    uint8_t tx[FrameAreaSize];
    std::vector<uint8_t> params(45, 0xAA);
    BuildRequest(tx, letter::WriteSetup, "TV00012345", params);
    const int n = BuildRequest(tx, letter::ReadSetup, "TV00012345");
    EXPECT_EQ(n, 20);
    for (int i = n; i < FrameAreaSize; ++i)
        ASSERT_EQ(tx[i], 0) << i;
}

TEST(FramesTest, ParametersTooLargeForTheAreaBuildNothing)
{
    uint8_t tx[FrameAreaSize];
    std::vector<uint8_t> params(FrameAreaSize - FrameOverhead + 1, 1);
    EXPECT_EQ(BuildRequest(tx, letter::WriteSetup, "TV00012345", params), 0);
}

TEST(FramesTest, SetClockCarriesTheLocalTimeInBcd)
{
    const auto params = ClockParameters(QDateTime(QDate(2011, 3, 8), QTime(11, 41, 44)));
    const Bytes frame = built(letter::SetClock, "TV00012345", params);
    ASSERT_EQ(frame.size(), 28u);
    EXPECT_EQ(frame[15], 0x01);
    EXPECT_EQ(Bytes(frame.begin() + 16, frame.begin() + 23), (Bytes{0x44, 0x41, 0x11, 0x08, 0x03, 0x20, 0x11}));
    EXPECT_EQ(frame[23], FrameChecksum(frame.data(), 4, 22));
}

struct AcceptCase {
    const char* what;
    Bytes chunk;
    ResponseOutcome outcome;
    char letter;
};

Bytes withBadChecksum(Bytes frame)
{
    frame[frame.size() - 5] ^= 0xFF;
    return frame;
}

// An answer of the given total length: the status byte, then zeros.
Bytes sized(char letter, uint8_t status, size_t length)
{
    Bytes body(length - FrameOverhead, 0);
    body[0] = status;
    return fakelink::Frame(letter, "TV00012345", body);
}

Bytes prefix(const Bytes& frame, size_t n)
{
    return Bytes(frame.begin(), frame.begin() + n);
}

class AcceptanceTest : public ::testing::TestWithParam<AcceptCase> {};

TEST_P(AcceptanceTest, GivesTheOutcome)
{
    const AcceptCase& k = GetParam();
    const ResponseCheck check = CheckResponse(k.chunk.data(), int(k.chunk.size()));
    EXPECT_EQ(check.outcome, k.outcome) << k.what;
    if (k.outcome != ResponseOutcome::Ignored) {
        EXPECT_EQ(check.letter, k.letter) << k.what;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Chunks, AcceptanceTest,
    ::testing::Values(
        AcceptCase{"identify answer", fakelink::IdentifyAnswer({}), ResponseOutcome::Accepted, 'R'},
        AcceptCase{"identify status 0", fakelink::IdentifyAnswer({}, 0), ResponseOutcome::FailedStatus, 'R'},
        AcceptCase{"identify of 50 bytes", sized('R', 1, 50), ResponseOutcome::WrongLength, 'R'},
        AcceptCase{"read setup answer", fakelink::SetupAnswer({}), ResponseOutcome::Accepted, 'T'},
        AcceptCase{"read setup of 75 bytes", sized('T', 1, 75), ResponseOutcome::WrongLength, 'T'},
        AcceptCase{"read setup status is not examined", sized('T', 0, 76), ResponseOutcome::Accepted, 'T'},
        AcceptCase{"write answer", sized('V', 1, 21), ResponseOutcome::Accepted, 'V'},
        AcceptCase{"write status 0", sized('V', 0, 21), ResponseOutcome::FailedStatus, 'V'},
        AcceptCase{"write of 22 bytes", sized('V', 1, 22), ResponseOutcome::WrongLength, 'V'},
        AcceptCase{"erase answer of any length", sized('Z', 1, 30), ResponseOutcome::Accepted, 'Z'},
        AcceptCase{"erase status 2", sized('Z', 2, 21), ResponseOutcome::FailedStatus, 'Z'},
        AcceptCase{"set clock answer", sized('\\', 1, 21), ResponseOutcome::Accepted, '\\'},
        AcceptCase{"bad checksum", withBadChecksum(fakelink::IdentifyAnswer({})), ResponseOutcome::Ignored, 0},
        AcceptCase{"bad checksum, any letter", withBadChecksum(sized('Z', 1, 21)), ResponseOutcome::Ignored, 0},
        AcceptCase{"unknown letter", sized('Q', 1, 21), ResponseOutcome::Ignored, 0},
        AcceptCase{"19 bytes", prefix(sized('Z', 1, 21), 19), ResponseOutcome::Ignored, 0},
        AcceptCase{"first half of a split answer", prefix(fakelink::SetupAnswer({}), 40), ResponseOutcome::Ignored, 0}));

}  // namespace
