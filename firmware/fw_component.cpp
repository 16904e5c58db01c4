#include "firmware/fw_component.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>

#include "app/config_info.h"
#include "app/error_record.h"
#include "engine/updater.h"
#include "firmware/decrypt.h"
#include "firmware/file_bytes.h"
#include "firmware/text_line_reader.h"
#include "firmware/version_line.h"

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

constexpr uint8_t kPadding = 0xFF;

std::string ConfiguredFileName(CBvUpdater* engine, uint8_t componentIndex) {
    std::string fileName;  // stays empty for an index without a file: the open then fails
    if (engine && engine->GetConfig()) engine->GetConfig()->GetComponentFileName(componentIndex, fileName);
    return fileName;
}

void CopyNumbers(const CBvVersionInfo& from, CBvVersionInfo& to) {
    to.SetMajor(from.GetMajor());
    to.SetMinor(from.GetMinor());
    to.SetRevision(from.GetRevision());
}

}  // namespace

CBvFwComponent::CBvFwComponent(CBvUpdater* engine, uint8_t componentIndex, std::string objectName)
    : CBvBase(std::move(objectName)), m_engine(engine), m_componentIndex(componentIndex) {
    Load(ConfiguredFileName(engine, componentIndex));
}

CBvFwComponent::CBvFwComponent(CBvUpdater* engine, uint8_t componentIndex, const std::string& fileName,
                               std::string objectName)
    : CBvBase(std::move(objectName)), m_engine(engine), m_componentIndex(componentIndex) {
    Load(fileName);
}

CBvFwComponent::~CBvFwComponent() = default;

void CBvFwComponent::Load(const std::string& fileName) {
    ScanHeader(fileName);
    SetStatus(LoadImage(fileName));
    if (m_engine && m_engine->GetErrorRecord()) m_engine->GetErrorRecord()->RecordComponentFailure(*this, m_componentIndex);
}

void CBvFwComponent::ScanHeader(const std::string& fileName) {
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(fileName.c_str(), "rb"));
    if (!file) return;  // the image load reports the file

    BvTextLineReader reader(file.get());
    std::string line;
    while (m_scanState != kBothLinesSeen && reader.ReadLine(line)) {
        CBvVersionInfo parsed("CBvVersionInfo");
        switch (BvParseVersionLine(line.c_str(), parsed)) {
        case BvVersionLine::Product:
            CopyNumbers(parsed, m_productVersion);
            m_scanState = (m_scanState == kComponentLineSeen) ? kBothLinesSeen : kProductLineSeen;
            break;
        case BvVersionLine::Component:
            CopyNumbers(parsed, m_componentVersion);
            m_scanState = (m_scanState == kProductLineSeen) ? kBothLinesSeen : kComponentLineSeen;
            break;
        case BvVersionLine::None:
            break;
        }
    }
}

int32_t CBvFwComponent::LoadImage(const std::string& fileName) {
    int32_t encrypted = 0;  // a configuration that cannot say counts as not encrypted
    if (m_engine && m_engine->GetConfig()) m_engine->GetConfig()->IsComponentEncrypted(m_componentIndex, encrypted);

    std::unique_ptr<uint8_t[]> bytes;
    uint32_t size = 0;
    int32_t status = BvReadFileBytes(fileName, bytes, size);
    if (status != ERR_OK) return status;

    const uint8_t* image = bytes.get();
    uint32_t imageLength = size;
    if (m_scanState != kNoVersionLine) {
        const uint8_t* begin = bytes.get();
        const uint8_t* end = begin + size;
        const uint8_t* marker = std::search(begin, end, std::begin(kHeaderEnd), std::end(kHeaderEnd));
        if (marker == end) return ERR_FILE_READ;
        image = marker + sizeof kHeaderEnd;
        imageLength = static_cast<uint32_t>(end - image);
    }

    if (!encrypted) return StoreImage(image, imageLength);

    uint8_t* plain = nullptr;
    uint32_t plainLength = 0;
    CBvDecrypt decrypt(image, imageLength, plain, plainLength, "CBvDecrypt");
    if (decrypt.GetStatus() != ERR_OK) return decrypt.GetStatus();
    std::unique_ptr<uint8_t[]> plainOwner(plain);
    return StoreImage(plain, plainLength);
}

int32_t CBvFwComponent::StoreImage(const uint8_t* bytes, uint32_t length) {
    std::unique_ptr<CBvByteArray> image(new (std::nothrow) CBvByteArray(length, "CBvByteArray"));
    if (!image || image->GetStatus() != ERR_OK) return ERR_NO_MEMORY;
    image->SetBytes(bytes, length, 0);
    m_image = std::move(image);
    return ERR_OK;
}

int32_t CBvFwComponent::GetProductVersion(CBvVersionInfo& version) const {
    version = m_productVersion;
    return ERR_OK;
}

int32_t CBvFwComponent::GetComponentVersion(CBvVersionInfo& version) const {
    version = m_componentVersion;
    return ERR_OK;
}

int32_t CBvFwComponent::ReadBlock(uint32_t offset, uint32_t length, CBvByteArray& block) const {
    const uint64_t imageSize = GetImageSize();
    uint8_t* out = block.Bytes();
    const uint32_t capacity = out ? block.GetSize() : 0;  // a block whose allocation failed holds nothing

    if (offset > imageSize) {
        if (capacity) std::memset(out, kPadding, capacity);
        return ERR_OK;
    }
    if (capacity < length) return ERR_SHORT_BUFFER;

    const uint32_t copied = static_cast<uint32_t>(std::min<uint64_t>(length, imageSize - offset));
    if (copied) std::memcpy(out, m_image->Bytes() + offset, copied);
    if (length > copied) std::memset(out + copied, kPadding, length - copied);
    return ERR_OK;
}

int32_t CBvFwComponent::ReadBytes(uint32_t offset, uint32_t length, void* buffer) const {
    CBvByteArray block(length, "CBvByteArray");
    if (block.GetStatus() != ERR_OK) return ERR_NO_MEMORY;
    int32_t status = ReadBlock(offset, length, block);
    if (status != ERR_OK) return status;
    return block.GetBytes(buffer, length, 0);
}
