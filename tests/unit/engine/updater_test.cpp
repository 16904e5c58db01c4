#include "engine/updater.h"

#include <gtest/gtest.h>

#include "app/config_info.h"
#include "app/error_record.h"
#include "text/resource.h"

TEST(Updater, ConstructionCreatesAFreshErrorRecord) {
    CBvConfigInfo config;
    CBvUpdater engine(&config);
    EXPECT_EQ(engine.GetStatus(), ERR_OK);
    EXPECT_EQ(engine.GetObjectName(), "CBvUpdater");
    EXPECT_EQ(engine.GetConfig(), &config);
    ASSERT_NE(engine.GetErrorRecord(), nullptr);
    EXPECT_EQ(engine.GetErrorRecord()->GetComponentIndex(), 255);
    EXPECT_EQ(engine.GetResource(), nullptr);
    EXPECT_EQ(engine.GetCommandLine(), nullptr);
    EXPECT_EQ(engine.GetProgress(), nullptr);
}

TEST(Updater, KeepsTheLinksItIsGiven) {
    class NoTexts : public CBvResource {
    public:
        int32_t GetDeviceErrorText(uint16_t, std::wstring&, bool) override { return ERR_TEXT_LOAD; }
        int32_t GetProductText(int32_t, std::wstring&) override { return ERR_TEXT_LOAD; }
    } resource;
    CBvConfigInfo config;
    CBvUpdater engine(&config);
    engine.SetResource(&resource);
    EXPECT_EQ(engine.GetResource(), &resource);
    EXPECT_EQ(resource.GetObjectName(), "CBvResource");
}

TEST(Updater, OwnedPointerDestroysThroughTheCreatorsDeleter) {
    struct Counted {
        explicit Counted(int& destroyed) : destroyed_(destroyed) {}
        ~Counted() { ++destroyed_; }
        int& destroyed_;
    };
    int destroyed = 0;
    {
        BvOwnedPtr<Counted> owned = BvOwn(new Counted(destroyed));
        BvOwnedPtr<Counted> empty{nullptr, nullptr};  // the engine's state before a device exists
        EXPECT_EQ(destroyed, 0);
    }
    EXPECT_EQ(destroyed, 1);
}
