// A LinkSession wired to the in-memory fakes.
#include "support/LinkFixture.h"

LinkFixture::LinkFixture()
{
    transport.Attach(&session);
    session.SetObserver(&observer);
    timers.onExpiry = [this](int id) { session.OnLinkTimer(id); };
    ports.devices = {QStringLiteral("/dev/ttyUSB0")};
    session.SetTimeSource([this] { return now; });
}

void LinkFixture::ConnectLogger(const fakelink::IdentifyFields& fields)
{
    session.Connect();
    transport.Receive(fakelink::IdentifyAnswer(fields));
    ASSERT_TRUE(session.connected());
    NewWrites();
}

void LinkFixture::EndPause()
{
    ASSERT_TRUE(session.pausing());
    EXPECT_EQ(timers.Period(LinkSession::DisconnectPauseTimer), LinkSession::DisconnectPauseMs);
    ASSERT_TRUE(timers.Fire(LinkSession::DisconnectPauseTimer));
    EXPECT_FALSE(session.pausing());
    EXPECT_FALSE(timers.IsRunning(LinkSession::DisconnectPauseTimer));
}

size_t LinkFixture::NewWrites()
{
    const size_t n = transport.writes.size() - seenWrites_;
    seenWrites_ = transport.writes.size();
    return n;
}
