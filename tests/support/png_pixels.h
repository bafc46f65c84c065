// Decodes a PNG file's bytes with cairo and measures how much of it is drawn on; for the tests
// of the charts and of the report page (their test programs link cairo). Including it also
// empties the font caches when the test program ends, so that a leak check sees only what
// the program itself keeps.
#pragma once

#include <cairo.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>

#include "qvrfc/charts/ChartRender.h"

namespace qvrfc_test {

class CairoCaches : public testing::Environment {
  public:
    void TearDown() override { qvrfc::ReleaseDrawingCaches(); }
};
inline testing::Environment* const kCairoCaches =
    testing::AddGlobalTestEnvironment(new CairoCaches);

struct PngPixels {
    bool ok = false;
    int width = 0;
    int height = 0;
    double inked = 0.0;  // share of the pixels that are not white
};

inline PngPixels ReadPng(const std::string& bytes) {
    struct Reader {
        const std::string* bytes;
        size_t at;
    } reader{&bytes, 0};
    auto read = [](void* closure, unsigned char* data, unsigned int length) {
        Reader& r = *static_cast<Reader*>(closure);
        if (r.at + length > r.bytes->size()) return CAIRO_STATUS_READ_ERROR;
        std::copy_n(r.bytes->data() + r.at, length, data);
        r.at += length;
        return CAIRO_STATUS_SUCCESS;
    };
    PngPixels pixels;
    cairo_surface_t* image = cairo_image_surface_create_from_png_stream(read, &reader);
    if (cairo_surface_status(image) == CAIRO_STATUS_SUCCESS) {
        pixels.ok = true;
        pixels.width = cairo_image_surface_get_width(image);
        pixels.height = cairo_image_surface_get_height(image);
        const unsigned char* data = cairo_image_surface_get_data(image);
        const int stride = cairo_image_surface_get_stride(image);
        long count = 0;
        for (int y = 0; y < pixels.height; ++y) {
            const auto* row = reinterpret_cast<const uint32_t*>(data + y * stride);
            for (int x = 0; x < pixels.width; ++x)
                count += (row[x] & 0xFFFFFF) != 0xFFFFFF ? 1 : 0;
        }
        pixels.inked = pixels.width > 0 && pixels.height > 0
                           ? static_cast<double>(count) / pixels.width / pixels.height
                           : 0.0;
    }
    cairo_surface_destroy(image);
    return pixels;
}

}  // namespace qvrfc_test
