#include "platform/render/ImageDecoding.h"
#include "platform/render/ImageDecodingIcons.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>
#include <librsvg/rsvg.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

std::string readFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

// The document as librsvg draws it, in the same viewport the decoder gives it.
cairo_surface_t* drawnByLibrsvg(const std::string& bytes, double scale) {
    RsvgHandle* handle =
        rsvg_handle_new_from_data(reinterpret_cast<const guint8*>(bytes.data()), bytes.size(), nullptr);
    if (handle == nullptr) {
        return nullptr;
    }
    double width = 0, height = 0;
    rsvg_handle_get_intrinsic_size_in_pixels(handle, &width, &height);
    cairo_surface_t* surface = cairo_image_surface_create(
        CAIRO_FORMAT_ARGB32, int(std::ceil(width * scale - 1e-9)), int(std::ceil(height * scale - 1e-9)));
    cairo_t* cr = cairo_create(surface);
    RsvgRectangle viewport{0, 0, width * scale, height * scale};
    rsvg_handle_render_document(handle, cr, &viewport, nullptr);
    cairo_destroy(cr);
    g_object_unref(handle);
    cairo_surface_flush(surface);
    return surface;
}

// The largest difference of any channel of any pixel of two pictures of one size.
int largestDifference(cairo_surface_t* a, cairo_surface_t* b) {
    int largest = 0;
    for (int y = 0; y < cairo_image_surface_get_height(a); ++y) {
        const auto* rowA = reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(a) +
                                                                  y * cairo_image_surface_get_stride(a));
        const auto* rowB = reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(b) +
                                                                  y * cairo_image_surface_get_stride(b));
        for (int x = 0; x < cairo_image_surface_get_width(a); ++x) {
            for (int shift = 0; shift < 32; shift += 8) {
                largest = std::max(largest,
                                   std::abs(int((rowA[x] >> shift) & 0xff) - int((rowB[x] >> shift) & 0xff)));
            }
        }
    }
    return largest;
}

std::vector<std::filesystem::path> shippedPictures() {
    std::vector<std::filesystem::path> pictures;
    for (const auto& entry :
         std::filesystem::recursive_directory_iterator(testsupport::sourceDir() / "resources")) {
        if (entry.path().extension() == ".svg") {
            pictures.push_back(entry.path());
        }
    }
    std::sort(pictures.begin(), pictures.end());
    return pictures;
}

} // namespace

// Every picture the application ships is drawn as librsvg draws it, at every screen
// scale, and none of them needs librsvg.
TEST(IconDrawing, DrawsTheShippedPicturesAsLibrsvgDoes) {
    const auto pictures = shippedPictures();
    ASSERT_GE(pictures.size(), 40u);
    int drawnHere = 0;
    for (const auto& path : pictures) {
        const std::string bytes = readFile(path);
        const bool simple = render::renderSimpleSVG(bytes, 1).has_value();
        drawnHere += simple ? 1 : 0;
        for (const double scale : {1.0, 2.0, 3.0}) {
            SCOPED_TRACE(path.filename().string() + " at " + std::to_string(scale));
            const CGImageRef decoded = render::renderSVG(bytes, scale);
            ASSERT_TRUE(decoded);
            cairo_surface_t* reference = drawnByLibrsvg(bytes, scale);
            ASSERT_NE(reference, nullptr);
            cairo_surface_t* drawn = decoded->surface();
            ASSERT_EQ(cairo_image_surface_get_width(drawn), cairo_image_surface_get_width(reference));
            ASSERT_EQ(cairo_image_surface_get_height(drawn), cairo_image_surface_get_height(reference));
            // The same curves through the same rasteriser: the same pixels (gradient
            // colours may round one level apart).
            EXPECT_LE(largestDifference(drawn, reference), 1);
            cairo_surface_destroy(reference);
        }
    }
    EXPECT_EQ(drawnHere, int(pictures.size())) << "none of them needs librsvg";
}

TEST(IconDrawing, ShapesPaintsAndGroupsAsSVGSays) {
    // A red square with a half-transparent blue circle over its lower right corner, a
    // stroked rounded rectangle in a group at half opacity, relative path commands, a
    // clipped ellipse with a linear gradient, and a circle with a radial one (whose
    // second stop goes back: it is taken as at the first's offset).
    const std::string document =
        R"svg(<svg xmlns="http://www.w3.org/2000/svg" width="20" height="10" viewBox="0 0 40 20">
  <rect x="0" y="0" width="20" height="20" fill="#f00"/>
  <circle cx="20" cy="20" r="6" fill="#0000ff" fill-opacity="0.5"/>
  <g opacity="0.5" fill="none" stroke="#0f0" stroke-width="2"><rect x="24" y="2" width="14" height="8" rx="2"/></g>
  <path d="M24 14h12v4H24z" fill="#000"/>
  <defs>
    <linearGradient id="fade" x1="0" y1="0" x2="100%" y2="1"><stop offset="0" stop-color="#fff"/><stop offset="1" stop-color="#123456" stop-opacity="0.4"/></linearGradient>
    <radialGradient id="glow" cx="0.3" r="0.7"><stop offset="0.2" stop-color="#ff0"/><stop offset="0.1" stop-color="#00f"/></radialGradient>
    <clipPath id="half"><rect x="0" y="0" width="30" height="20"/></clipPath>
  </defs>
  <ellipse cx="30" cy="10" rx="9" ry="5" fill="url(#fade)" clip-path="url(#half)"/>
  <circle cx="8" cy="8" r="6" fill="url(#glow)" stroke="#fff" stroke-opacity="0.5"/>
</svg>)svg";
    const auto drawn = render::renderSimpleSVG(document, 2);
    ASSERT_TRUE(drawn && *drawn);
    cairo_surface_t* reference = drawnByLibrsvg(document, 2);
    cairo_surface_t* surface = (*drawn)->surface();
    EXPECT_EQ(cairo_image_surface_get_width(surface), 40) << "the document's width at scale 2";
    EXPECT_EQ(cairo_image_surface_get_height(surface), 20);
    EXPECT_LE(largestDifference(surface, reference), 1);
    cairo_surface_destroy(reference);
}

TEST(IconDrawing, LeavesWhatItDoesNotKnowToLibrsvg) {
    const std::string head =
        R"(<svg xmlns="http://www.w3.org/2000/svg" width="10" height="10" viewBox="0 0 10 10">)";
    for (const std::string body : {
             R"svg(<rect width="5" height="5" transform="rotate(10)"/>)svg",
             R"(<rect width="5" height="5" style="fill:red"/>)",
             R"svg(<rect width="5" height="5" fill="url(#g)"/>)svg",
             R"(<rect width="5" height="5" fill="red"/>)",
             R"(<rect width="50%" height="5"/>)",
             R"(<text x="1" y="5">a</text>)",
             R"(<path d="L5 5"/>)",
             R"(<path d="M1 1 L"/>)",
             R"(<line x1="0" y1="0" x2="5" y2="5" stroke="#000"/>)",
         }) {
        EXPECT_FALSE(render::renderSimpleSVG(head + body + "</svg>", 2)) << body;
    }
    EXPECT_FALSE(
        render::renderSimpleSVG(R"(<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 24 12"/>)", 2))
        << "no intrinsic size: librsvg takes the view box's";
    EXPECT_FALSE(render::renderSimpleSVG(head + "<rect width=\"5\" height=\"5\">", 2)) << "unfinished";
    EXPECT_FALSE(render::renderSimpleSVG(head + "<g>\xff</g></svg>", 2)) << "not UTF-8";

    // What librsvg would draw from those is still drawn.
    const CGImageRef styled =
        render::renderSVG(head + R"(<rect width="5" height="5" style="fill:#f00"/></svg>)", 2);
    ASSERT_TRUE(styled);
    const auto* pixel =
        reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(styled->surface()));
    EXPECT_EQ(pixel[0], 0xffff0000u);
}

TEST(IconDrawing, EmptyOrHugeDocumentsGiveNoPicture) {
    const auto empty =
        render::renderSimpleSVG(R"(<svg xmlns="http://www.w3.org/2000/svg" width="0" height="10"/>)", 2);
    ASSERT_TRUE(empty);
    EXPECT_FALSE(*empty);
    const auto huge = render::renderSimpleSVG(
        R"(<svg xmlns="http://www.w3.org/2000/svg" width="100000" height="100000"/>)", 2);
    ASSERT_TRUE(huge);
    EXPECT_FALSE(*huge);
}
