#pragma once
// CBvFwComponent: one firmware component file loaded into memory. The file may begin with a
// text header holding a "Product Version:" and a "Component Version:" line, ended by the
// marker 0x1A "BVMP"; the image is the rest. A file without version lines is all image.
#include <cstdint>
#include <memory>
#include <string>

#include "app/base.h"
#include "firmware/byte_array.h"
#include "firmware/version.h"

class CBvUpdater;

class CBvFwComponent : public CBvBase {
public:
    // Outcome of the header scan (GetScanState).
    static constexpr int32_t kProductLineSeen = 0;
    static constexpr int32_t kComponentLineSeen = 1;
    static constexpr int32_t kBothLinesSeen = 2;
    static constexpr int32_t kNoVersionLine = 3;

    static constexpr uint8_t kHeaderEnd[5] = {0x1A, 0x42, 0x56, 0x4D, 0x50};

    // Loads the component's file by its configured name, relative to the current directory.
    // The status is the outcome of the image load; the engine's error record names this
    // component afterwards whatever the outcome.
    CBvFwComponent(CBvUpdater* engine, uint8_t componentIndex, std::string objectName = "CBvFwComponent");
    // The same load from a file named by the caller (tools that inspect any component file).
    CBvFwComponent(CBvUpdater* engine, uint8_t componentIndex, const std::string& fileName,
                   std::string objectName);
    ~CBvFwComponent() override;

    CBvFwComponent(const CBvFwComponent&) = delete;
    CBvFwComponent& operator=(const CBvFwComponent&) = delete;

    uint64_t GetImageSize() const { return m_image ? m_image->GetSize() : 0; }
    int32_t GetProductVersion(CBvVersionInfo& version) const;
    int32_t GetComponentVersion(CBvVersionInfo& version) const;
    int32_t GetScanState() const { return m_scanState; }
    uint8_t GetComponentIndex() const { return m_componentIndex; }

    // Image bytes from the offset into the first `length` bytes of `block`, padded with 0xFF
    // past the end of the image; an offset beyond the image makes the whole block 0xFF.
    // ERR_SHORT_BUFFER, with nothing written, when the block holds fewer than `length` bytes.
    int32_t ReadBlock(uint32_t offset, uint32_t length, CBvByteArray& block) const;
    // ReadBlock into a buffer of `length` bytes.
    int32_t ReadBytes(uint32_t offset, uint32_t length, void* buffer) const;

private:
    void Load(const std::string& fileName);
    void ScanHeader(const std::string& fileName);
    int32_t LoadImage(const std::string& fileName);
    int32_t StoreImage(const uint8_t* bytes, uint32_t length);

    CBvUpdater* m_engine;
    uint8_t m_componentIndex;
    std::unique_ptr<CBvByteArray> m_image;
    CBvVersionInfo m_productVersion{"CBvVersionInfo"};
    CBvVersionInfo m_componentVersion{"CBvVersionInfo"};
    int32_t m_scanState = kNoVersionLine;
};
