// A LinkSession wired to the in-memory fakes, for tests of the link logic.
#pragma once

#include "link/AppData.h"
#include "link/LinkSession.h"
#include "support/FakeLink.h"

#include <gtest/gtest.h>

class LinkFixture : public ::testing::Test {
protected:
    LinkFixture();

    // Connects to the only device and lets the logger answer the identify request.
    void ConnectLogger(const fakelink::IdentifyFields& fields = {});
    // Lets the pause after the end of a connection run out.
    void EndPause();
    // Sendings since the last call.
    size_t NewWrites();
    // The frame most recently written.
    const fakelink::Bytes& LastWrite() const { return transport.writes.back(); }

    AppData app;
    fakelink::FakeTransport transport;
    fakelink::FakeTimers timers;
    fakelink::RecordingMessageSink messages;
    fakelink::FakePaneActions panes;
    fakelink::RecordingPrompts prompts;
    fakelink::FakePortDirectory ports;
    fakelink::RecordingObserver observer;
    LinkSession session{app, transport, timers, messages, panes, prompts, ports};
    QDateTime now{QDate(2011, 3, 8), QTime(11, 41, 44)};

private:
    size_t seenWrites_ = 0;
};
