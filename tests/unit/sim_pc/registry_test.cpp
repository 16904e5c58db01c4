// The Windows 95 family's SCSI enumeration keys of attached players.
#include <gtest/gtest.h>

#include <string>

#include "platform/errors.h"
#include "raw.h"
#include "sim/pc/sim_pc.h"

namespace {

std::wstring ReadString(platform::RegKey key, const std::wstring& name) {
    uint8_t data[260];
    uint32_t size = sizeof data;
    uint32_t type = 0;
    if (platform::RegistryRead().QueryValue(key, name, &type, data, &size) != 0) return L"?";
    EXPECT_EQ(type, platform::kRegSz);
    std::wstring text;
    for (uint32_t i = 0; i + 1 < size; i += 2) {
        wchar_t c = wchar_t(data[i] | data[i + 1] << 8);
        if (c == 0) break;
        text += c;
    }
    return text;
}

TEST(Registry, PlayersGetAnEnumKeyNamedAfterTheirIdentity) {
    sim::ScopedPc scope(sim::OsPreset::kWindowsMe);
    sim::DiskSlot slot;
    slot.letter = 'G';
    scope.Pc().AddPlayer(sim::PlayerConfig(), slot);
    platform::IRegistryRead& reg = platform::RegistryRead();
    platform::RegKey key = 0;
    ASSERT_EQ(reg.OpenKey(platform::kHkeyLocalMachine, L"Enum\\SCSI\\ORV_____KR-4471_Nova____1",
                          platform::kKeyRead, &key),
              0);
    std::wstring name;
    ASSERT_EQ(reg.EnumKey(key, 0, &name), 0);
    EXPECT_EQ(reg.EnumKey(key, 1, &name), int32_t(platform::kErrorNoMoreItems));
    platform::RegKey instance = 0;
    ASSERT_EQ(reg.OpenKey(key, name, platform::kKeyRead, &instance), 0);
    EXPECT_EQ(ReadString(instance, L"SCSILUN"), L"0");
    EXPECT_EQ(ReadString(instance, L"CurrentDriveLetterAssignment"), L"G");

    uint8_t small[2];
    uint32_t size = sizeof small;
    EXPECT_EQ(reg.QueryValue(instance, L"CurrentDriveLetterAssignment", nullptr, small, &size),
              int32_t(platform::kErrorMoreData));
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(reg.QueryValue(instance, L"Missing", nullptr, small, &size),
              int32_t(platform::kErrorFileNotFound));
    reg.CloseKey(instance);
    reg.CloseKey(key);
    EXPECT_EQ(scope.Pc().Reg().OpenKeyCount(), 0u);
}

TEST(Registry, NtSystemsHaveNoSuchKey) {
    sim::ScopedPc scope(sim::OsPreset::kWindowsXp);
    scope.Pc().AddPlayer();
    platform::RegKey key = 0;
    EXPECT_EQ(platform::RegistryRead().OpenKey(platform::kHkeyLocalMachine, L"ENUM\\SCSI",
                                               platform::kKeyRead, &key),
              int32_t(platform::kErrorFileNotFound));
}

}  // namespace
