// bvpack: builds and inspects firmware component files.
//   bvpack make [--product X.Y.Z] [--component X.Y.Z] IMAGE OUT
//   bvpack show FILE
//   bvpack demo DIR
// Every failure prints one "bvpack: ..." line on stderr and exits 1, having written nothing.
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "app/config_info.h"
#include "app/status.h"
#include "engine/updater.h"
#include "firmware/file_bytes.h"
#include "firmware/fw_component.h"
#include "tools/bvpack/pack_file.h"

namespace {

const char kUsage[] =
    "usage: bvpack make [--product X.Y.Z] [--component X.Y.Z] IMAGE OUT | bvpack show FILE | bvpack demo DIR";

int Fail(const std::string& message) {
    std::fprintf(stderr, "bvpack: %s\n", message.c_str());
    return 1;
}

std::string StatusText(int32_t status) {
    return std::string(BvStatusName(status)) + " (" + std::to_string(status) + ")";
}

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

int Make(int argc, char** argv) {
    std::string productText, componentText;
    bool hasProduct = false, hasComponent = false;
    std::vector<std::string> names;
    for (int i = 2; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--product" && i + 1 < argc) {
            productText = argv[++i];
            hasProduct = true;
        } else if (arg == "--component" && i + 1 < argc) {
            componentText = argv[++i];
            hasComponent = true;
        } else if (arg.rfind("--", 0) == 0) {
            return Fail(kUsage);
        } else {
            names.push_back(arg);
        }
    }
    if (names.size() != 2) return Fail(kUsage);
    const std::string& imageName = names[0];
    const std::string& outName = names[1];

    PackVersion product, component;
    if (hasProduct && !ParsePackVersion(productText, product)) {
        return Fail(outName + ": product version '" + productText + "' is not X.Y.Z (numbers 0 to 65535)");
    }
    if (hasComponent && !ParsePackVersion(componentText, component)) {
        return Fail(outName + ": component version '" + componentText + "' is not X.Y.Z (numbers 0 to 65535)");
    }

    std::unique_ptr<uint8_t[]> bytes;
    uint32_t size = 0;
    int32_t status = BvReadFileBytes(imageName, bytes, size);
    if (status != ERR_OK) return Fail(imageName + ": cannot read image: " + StatusText(status));
    std::vector<uint8_t> image(bytes.get(), bytes.get() + size);

    std::vector<uint8_t> file = BuildComponentFile(hasProduct ? &product : nullptr,
                                                   hasComponent ? &component : nullptr, image);
    std::string tempName, error;
    if (!WriteTempFile(outName, file, tempName, error) || !ReplaceWithTempFile(tempName, outName, error)) {
        return Fail(outName + ": " + error);
    }
    return 0;
}

// The component whose configured file name the file carries, so a shipped file loads as
// its own component; any other name loads as component 1 (all decrypt alike).
uint8_t ComponentFor(const CBvConfigInfo& config, const std::string& fileName) {
    const std::string baseName = std::filesystem::path(fileName).filename().string();
    uint8_t count = 0;
    config.GetComponentCount(count);
    for (uint8_t index = 1; index <= count; ++index) {
        std::string configured;
        if (config.GetComponentFileName(index, configured) == ERR_OK && configured == baseName) return index;
    }
    return 1;
}

int Show(int argc, char** argv) {
    if (argc != 3) return Fail(kUsage);
    const std::string fileName = argv[2];

    CBvConfigInfo config;
    CBvUpdater engine(&config);
    if (engine.GetStatus() != ERR_OK) return Fail(fileName + ": cannot load: " + StatusText(engine.GetStatus()));

    CBvFwComponent component(&engine, ComponentFor(config, fileName), fileName, "CBvFwComponent");
    if (component.GetStatus() != ERR_OK) return Fail(fileName + ": cannot load: " + StatusText(component.GetStatus()));

    CBvVersionInfo product, version;
    component.GetProductVersion(product);
    component.GetComponentVersion(version);
    std::printf("file: %s\n", fileName.c_str());
    std::printf("header: %s\n", component.GetScanState() == CBvFwComponent::kNoVersionLine ? "no" : "yes");
    std::printf("product version: %s\n", Narrow(product.ToText()).c_str());
    std::printf("component version: %s\n", Narrow(version.ToText()).c_str());
    std::printf("image bytes: %llu\n", static_cast<unsigned long long>(component.GetImageSize()));
    return 0;
}

// Deterministic bytes, so demo images are the same on every run and platform.
std::vector<uint8_t> DemoImage(uint32_t size, uint32_t seed) {
    std::vector<uint8_t> image(size);
    uint32_t state = 0x9E3779B9u ^ (seed * 0x85EBCA6Bu);
    for (uint8_t& byte : image) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        byte = static_cast<uint8_t>(state >> 24);
    }
    return image;
}

int Demo(int argc, char** argv) {
    if (argc != 3) return Fail(kUsage);
    const std::filesystem::path dir = argv[2];
    // Sizes that are no multiple of a sector, so the last block of each image is padded.
    const uint32_t kSizes[] = {41000, 184000, 614500, 1572000};

    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (ec || !std::filesystem::is_directory(dir, ec)) return Fail(dir.string() + ": cannot create directory");

    CBvConfigInfo config;
    uint8_t count = 0;
    config.GetComponentCount(count);
    std::vector<std::string> temps, targets;
    std::string error;
    for (uint8_t index = 1; index <= count && index <= 4; ++index) {
        std::string name;
        config.GetComponentFileName(index, name);
        const PackVersion product{2, 5, static_cast<uint16_t>(10 * index)};
        const PackVersion component{1, index, static_cast<uint16_t>(100 + index)};
        const std::string target = (dir / name).string();
        std::string tempName;
        std::vector<uint8_t> file = BuildComponentFile(&product, &component, DemoImage(kSizes[index - 1], index));
        if (!WriteTempFile(target, file, tempName, error)) break;
        temps.push_back(tempName);
        targets.push_back(target);
    }
    // The files are put in place only once every one was written; a rename within the same
    // folder fails only in exceptional cases, and then the files not yet renamed stay as they were.
    for (size_t i = 0; error.empty() && i < temps.size(); ++i) ReplaceWithTempFile(temps[i], targets[i], error);
    if (!error.empty()) {
        for (const std::string& temp : temps) RemoveTempFile(temp);
        return Fail(dir.string() + ": " + error);
    }
    for (const std::string& target : targets) std::printf("wrote %s\n", target.c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "make") return Make(argc, argv);
    if (command == "show") return Show(argc, argv);
    if (command == "demo") return Demo(argc, argv);
    return Fail(kUsage);
}
