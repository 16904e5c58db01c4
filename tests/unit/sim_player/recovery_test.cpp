// Recovery mode: the image as a stream of writes, complete, empty and broken streams.
#include "player_fixture.h"

namespace simtest {
namespace {

class Recovery : public PlayerTest {
protected:
    void SetUp() override { player.EnterRecoveryMode(); }

    Bytes Image(size_t size) {
        Bytes image(size);
        for (size_t i = 0; i < size; ++i) image[i] = static_cast<uint8_t>(i * 13 + 1);
        return image;
    }
    // Sends the image as the updater does: 4096-byte writes, the last one holding the rest.
    void Send(const Bytes& image) {
        for (size_t at = 0; at < image.size(); at += 4096) {
            const uint32_t n = static_cast<uint32_t>(std::min<size_t>(4096, image.size() - at));
            const sim::RecoveryWriteResult r = player.RecoveryWrite(&image[at], n);
            ASSERT_FALSE(r.deviceGone);
            ASSERT_EQ(r.acceptedBytes, n);
        }
    }
    void ExpectBootsAsDisk() {
        EXPECT_EQ(player.Presence(), sim::BusPresence::Absent);
        clock.AdvanceMs(player.Config().bootDelayMs);
        EXPECT_EQ(player.Presence(), sim::BusPresence::Disk);
        EXPECT_TRUE(In({0x12, 0, 0, 0, 0x60, 0}, 96).Good());
    }
    void ExpectStillInRecovery() {
        EXPECT_EQ(player.Presence(), sim::BusPresence::Recovery);
        clock.AdvanceMs(60000);
        EXPECT_EQ(player.Presence(), sim::BusPresence::Recovery);
        EXPECT_TRUE(player.BootedImage().empty());
    }
};

TEST_F(Recovery, OnlyTheRecoveryDeviceIsThere) {
    EXPECT_EQ(player.Presence(), sim::BusPresence::Recovery);
    EXPECT_EQ(In({0x12, 0, 0, 0, 0x60, 0}, 96).result.outcome, sim::ScsiOutcome::DeviceGone);
}

TEST_F(Recovery, AShortLastWriteEndsTheStream) {
    const Bytes image = Image(8193);  // 4096 + 4096 + 1
    Send(image);
    EXPECT_EQ(player.BootedImage(), image);
    ExpectBootsAsDisk();
}

TEST_F(Recovery, CloseEndsAStreamOfWholeWrites) {
    const Bytes image = Image(8192);
    Send(image);
    EXPECT_EQ(player.Presence(), sim::BusPresence::Recovery);  // still waiting for more
    EXPECT_EQ(player.RecoveryBytesReceived(), 8192u);
    player.RecoveryClose();
    EXPECT_EQ(player.BootedImage(), image);
    ExpectBootsAsDisk();
}

TEST_F(Recovery, EmptyStreamsBootNothing) {
    player.RecoveryClose();  // opened and closed without a byte
    ExpectStillInRecovery();
    const sim::RecoveryWriteResult r = player.RecoveryWrite(nullptr, 0);
    EXPECT_EQ(r.acceptedBytes, 0u);
    EXPECT_EQ(r.deviceCode, 0x0851);
    ExpectStillInRecovery();
}

TEST_F(Recovery, BrokenStreamsBootNothing) {
    const Bytes image = Image(4096 * 3);
    struct Case {
        const char* what;
        void (*breakIt)(sim::Player&, const Bytes&);
    };
    const Case cases[] = {
        {"oversized write", [](sim::Player& p, const Bytes& img) {
             EXPECT_EQ(p.RecoveryWrite(img.data(), 4097).acceptedBytes, 0u);
         }},
        {"write cancelled", [](sim::Player& p, const Bytes& img) {
             p.RecoveryWrite(img.data(), 4096);
             p.RecoveryCancel();
         }},
        {"short completion", [](sim::Player& p, const Bytes& img) {
             std::string error;
             ASSERT_TRUE(p.SetFaultPlan("recovery short=100", &error)) << error;
             EXPECT_EQ(p.RecoveryWrite(img.data(), 4096).acceptedBytes, 100u);
         }},
        {"never completes", [](sim::Player& p, const Bytes& img) {
             std::string error;
             ASSERT_TRUE(p.SetFaultPlan("recovery never", &error)) << error;
             EXPECT_EQ(p.RecoveryWrite(img.data(), 4096).completion, sim::RecoveryCompletion::Never);
         }},
    };
    std::string error;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(player.SetFaultPlan("", &error));
        ASSERT_EQ(player.RecoveryWrite(image.data(), 4096).acceptedBytes, 4096u);
        c.breakIt(player, image);
        // The rest of the stream is refused, and its end boots nothing.
        const sim::RecoveryWriteResult later = player.RecoveryWrite(image.data(), 4096);
        EXPECT_EQ(later.acceptedBytes, 0u);
        EXPECT_EQ(later.deviceCode, 0x0851);
        EXPECT_EQ(player.RecoveryWrite(image.data(), 10).acceptedBytes, 0u);
        player.RecoveryClose();
        ExpectStillInRecovery();
        // After the close a fresh stream starts from nothing.
        EXPECT_EQ(player.RecoveryBytesReceived(), 0u);
    }
    ASSERT_TRUE(player.SetFaultPlan("", &error));
    Send(Image(100));
    EXPECT_EQ(player.BootedImage(), Image(100));
}

TEST_F(Recovery, UnpluggedMidStreamStartsOver) {
    const Bytes image = Image(4096 * 2 + 5);
    ASSERT_EQ(player.RecoveryWrite(image.data(), 4096).acceptedBytes, 4096u);
    player.Unplug();
    EXPECT_EQ(player.Presence(), sim::BusPresence::Absent);
    EXPECT_TRUE(player.RecoveryWrite(image.data(), 4096).deviceGone);
    player.Plug();
    EXPECT_EQ(player.Presence(), sim::BusPresence::Recovery);
    EXPECT_EQ(player.RecoveryBytesReceived(), 0u);
    Send(image);
    EXPECT_EQ(player.BootedImage(), image);
    ExpectBootsAsDisk();
}

TEST_F(Recovery, UnplugFaultMidStream) {
    std::string error;
    ASSERT_TRUE(player.SetFaultPlan("unplug after=6000", &error)) << error;
    const Bytes image = Image(4096 * 2 + 5);
    ASSERT_EQ(player.RecoveryWrite(image.data(), 4096).acceptedBytes, 4096u);
    EXPECT_TRUE(player.RecoveryWrite(image.data() + 4096, 4096).deviceGone);
    EXPECT_EQ(player.Presence(), sim::BusPresence::Absent);
    player.Plug();
    EXPECT_EQ(player.RecoveryBytesReceived(), 0u);
    Send(image);  // the rule is spent
    EXPECT_EQ(player.BootedImage(), image);
}

TEST_F(Recovery, LateCompletionStillDeliversTheData) {
    std::string error;
    ASSERT_TRUE(player.SetFaultPlan("recovery nth=2 late=1500", &error)) << error;
    const Bytes image = Image(4096 * 2 + 1);
    const sim::RecoveryWriteResult first = player.RecoveryWrite(image.data(), 4096);
    EXPECT_EQ(first.completion, sim::RecoveryCompletion::Now);
    const sim::RecoveryWriteResult second = player.RecoveryWrite(image.data() + 4096, 4096);
    EXPECT_EQ(second.completion, sim::RecoveryCompletion::Late);
    EXPECT_EQ(second.delayMs, 1500u);
    EXPECT_EQ(second.acceptedBytes, 4096u);
    player.RecoveryWrite(image.data() + 8192, 1);
    EXPECT_EQ(player.BootedImage(), image);
}

}  // namespace
}  // namespace simtest
