// The show's own pictures and objects (generated into the build's data
// folder) go through the decoders without a refusal.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "assets/lwo_decoder.h"
#include "assets/pcx_decoder.h"
#include "loader_test_support.h"

namespace {

namespace fs = std::filesystem;

Bytes read_data_file(const std::string& name) {
    std::ifstream in(fs::path(VORN_TEST_DATA_DIR) / name, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(DataFiles, EveryPictureDecodes) {
    int pictures = 0;
    for (const auto& entry : fs::directory_iterator(VORN_TEST_DATA_DIR)) {
        if (entry.path().extension() != ".pcx") continue;
        const std::string name = entry.path().filename().string();
        const Bytes file = read_data_file(name);
        PcxResult r = decode_pcx(file.data(), file.size());
        EXPECT_EQ(r.error, PcxError::none) << name;
        EXPECT_FALSE(r.pixel_data_cut_short) << name;
        std::free(r.image.pixels);
        ++pictures;
    }
    EXPECT_EQ(pictures, 22);
}

TEST(DataFiles, EveryObjectDecodesAsTheScenesLoadIt) {
    const struct {
        const char* name;
        double scale;
        bool with_polygons;
    } objects[] = {
        {"ringar2.lwo", 50.0, false}, {"env3.lwo", 20.0, true},    {"2plan.lwo", 80.0, false},
        {"knas.lwo", 50.0, true},     {"16x16_1.lwo", 65.0, true},
    };
    for (const auto& o : objects) {
        const Bytes file = read_data_file(o.name);
        ASSERT_FALSE(file.empty()) << o.name;
        LwoResult r = decode_lwo(file.data(), file.size(), o.scale, o.with_polygons);
        EXPECT_EQ(r.error, LwoError::none) << o.name;
        EXPECT_GT(r.object.vertex_count, 0) << o.name;
        if (o.with_polygons) {
            EXPECT_GT(r.object.face_count, 0) << o.name;
        }
        free_object(r.object);
    }
}

} // namespace
