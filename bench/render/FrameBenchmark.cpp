// One full frame of a list screen (390 x 844 points at scale 2): 60 labels of Chinese
// and Latin text and 30 cover images, drawn through the text layout cache and painting
// primitives, against a plain Cairo/Pango program drawing the same primitives in the same
// run: once with its layouts shaped in advance (only drawing is timed) and once shaping
// every label again each frame. Prints the ratios and the verdict; the target is 1.5x or
// less against the first baseline. The labels alone are compared as well, because the images' cost
// (scaling covers down) differs most between the two ways of drawing.

#include "bench/support/BenchReporter.h"
#include "bench/support/PhotoJPEG.h"
#include "bench/support/Verdict.h"
#include "platform/UIKit/NSAttributedString.h"
#include "platform/UIKit/UIImage.h"
#include "platform/render/Fonts.h"
#include "platform/render/Paint.h"

#include <benchmark/benchmark.h>
#include <pango/pangocairo.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr double kScale = 2;
constexpr double kWidth = 390;
constexpr double kHeight = 844;
constexpr int kLabels = 60;
constexpr int kImages = 30;

struct Label {
    NSAttributedString text;
    CGRect frame;
    int maxLines;
};

struct Cover {
    std::shared_ptr<UIImage> image;
    CGRect frame;
};

struct Scene {
    std::vector<Label> labels;
    std::vector<Cover> covers;

    Scene() {
        for (int i = 0; i < kLabels; ++i) {
            NSAttributedString::Attributes attributes;
            const bool title = i % 3 == 0;
            attributes.font =
                UIFont::systemFontOfSize(title ? 15 : 12, title ? UIFontWeightMedium : UIFontWeightRegular);
            attributes.foregroundColor =
                title ? UIColor::whiteColor()
                      : UIColor::colorWithRed(0xBE / 255.0, 0xBD / 255.0, 0xC2 / 255.0, 1);
            NSParagraphStyle paragraph;
            paragraph.lineBreakMode = NSLineBreakMode::byTruncatingTail;
            attributes.paragraphStyle = paragraph;
            const std::string text =
                i % 2 == 0
                    ? "第" + std::to_string(i + 1) + "集 深夜食堂：城市里的温暖故事与人间烟火"
                    : "Episode " + std::to_string(i + 1) + " - Midnight Diner, stories of the city at night";
            const double column = (i % 3) * 126 + 8;
            const double row = (i / 3) * 41 + 4;
            labels.push_back(
                {NSAttributedString(text, attributes), CGRectMake(column, row, 118, 36), i % 4 == 0 ? 2 : 1});
        }
        for (int i = 0; i < kImages; ++i) {
            auto image = UIImage::imageWithData(photoLikeJPEG(300, 420, i));
            covers.push_back({image, CGRectMake((i % 3) * 126 + 8, (i / 3) * 82 + 10, 110, 76)});
        }
    }
};

const Scene& scene() {
    static const Scene shared;
    return shared;
}

struct Frame {
    cairo_surface_t* surface =
        cairo_image_surface_create(CAIRO_FORMAT_ARGB32, int(kWidth* kScale), int(kHeight* kScale));
    cairo_t* cr = cairo_create(surface);
    Frame() { cairo_scale(cr, kScale, kScale); }
    ~Frame() {
        cairo_destroy(cr);
        cairo_surface_destroy(surface);
    }
    void clear() {
        cairo_set_source_rgb(cr, 0x1C / 255.0, 0x1B / 255.0, 0x20 / 255.0);
        cairo_paint(cr);
    }
};

enum Content { labelsAndImages, labelsOnly };

void renderLayerPath(benchmark::State& state) {
    const Scene& s = scene();
    const bool images = state.range(0) == labelsAndImages;
    Frame frame;
    for (auto _ : state) {
        frame.clear();
        for (std::size_t i = 0; images && i < s.covers.size(); ++i) {
            render::drawImage(frame.cr, *s.covers[i].image->CGImage(), s.covers[i].frame);
        }
        for (const Label& label : s.labels) {
            auto layout = label.text.layout(label.frame.size.width, label.maxLines);
            layout->draw(frame.cr,
                         {label.frame.origin.x,
                          label.frame.origin.y + (label.frame.size.height - layout->size().height) / 2});
        }
        cairo_surface_flush(frame.surface);
    }
}

// The same label made by hand with Pango: font, colour, width, ellipsis and line limit.
PangoLayout* plainLayout(const Label& label) {
    const auto attributes = label.text.runs().front().attributes;
    PangoLayout* layout = pango_layout_new(render::textContext());
    PangoFontDescription* description = render::newFontDescription(attributes.font->fontSpec());
    pango_layout_set_font_description(layout, description);
    pango_font_description_free(description);
    PangoAttrList* list = pango_attr_list_new();
    pango_attr_list_insert(list, render::newLineHeightAttribute(attributes.font->pointSize()));
    const UIColor& c = *attributes.foregroundColor;
    pango_attr_list_insert(list, pango_attr_foreground_new(guint16(c.red * 65535), guint16(c.green * 65535),
                                                           guint16(c.blue * 65535)));
    pango_layout_set_attributes(layout, list);
    pango_attr_list_unref(list);
    pango_layout_set_text(layout, label.text.string().c_str(), -1);
    pango_layout_set_width(layout, int(label.frame.size.width * PANGO_SCALE));
    pango_layout_set_wrap(layout, PANGO_WRAP_WORD_CHAR);
    pango_layout_set_ellipsize(layout, PANGO_ELLIPSIZE_END);
    pango_layout_set_height(layout, -label.maxLines);
    return layout;
}

void drawPlainImage(cairo_t* cr, cairo_surface_t* image, const CGRect& frame) {
    cairo_save(cr);
    cairo_rectangle(cr, frame.origin.x, frame.origin.y, frame.size.width, frame.size.height);
    cairo_clip(cr);
    cairo_translate(cr, frame.origin.x, frame.origin.y);
    cairo_scale(cr, frame.size.width / cairo_image_surface_get_width(image),
                frame.size.height / cairo_image_surface_get_height(image));
    cairo_set_source_surface(cr, image, 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
    cairo_paint(cr);
    cairo_restore(cr);
}

void drawPlainLabel(cairo_t* cr, PangoLayout* layout, const CGRect& frame) {
    int width = 0, height = 0;
    pango_layout_get_size(layout, &width, &height);
    cairo_move_to(cr, frame.origin.x,
                  frame.origin.y + (frame.size.height - pango_units_to_double(height)) / 2);
    pango_cairo_show_layout(cr, layout);
}

void plainCairoPango(benchmark::State& state) {
    const Scene& s = scene();
    const bool images = state.range(0) == labelsAndImages;
    std::vector<PangoLayout*> layouts;
    for (const Label& label : s.labels) {
        layouts.push_back(plainLayout(label));
    }
    Frame frame;
    for (auto _ : state) {
        frame.clear();
        for (std::size_t i = 0; images && i < s.covers.size(); ++i) {
            drawPlainImage(frame.cr, s.covers[i].image->CGImage()->surface(), s.covers[i].frame);
        }
        for (std::size_t i = 0; i < s.labels.size(); ++i) {
            drawPlainLabel(frame.cr, layouts[i], s.labels[i].frame);
        }
        cairo_surface_flush(frame.surface);
    }
    for (PangoLayout* layout : layouts) {
        g_object_unref(layout);
    }
}

void plainCairoPangoShapingEveryFrame(benchmark::State& state) {
    const Scene& s = scene();
    Frame frame;
    for (auto _ : state) {
        frame.clear();
        for (const Cover& cover : s.covers) {
            drawPlainImage(frame.cr, cover.image->CGImage()->surface(), cover.frame);
        }
        for (const Label& label : s.labels) {
            PangoLayout* layout = plainLayout(label);
            drawPlainLabel(frame.cr, layout, label.frame);
            g_object_unref(layout);
        }
        cairo_surface_flush(frame.surface);
    }
}

BENCHMARK(renderLayerPath)->Arg(labelsAndImages)->Arg(labelsOnly)->Unit(benchmark::kMillisecond);
BENCHMARK(plainCairoPango)->Arg(labelsAndImages)->Arg(labelsOnly)->Unit(benchmark::kMillisecond);
BENCHMARK(plainCairoPangoShapingEveryFrame)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    const double ours = reporter.time("renderLayerPath/0");
    const double plain = reporter.time("plainCairoPango/0");
    const double reshaping = reporter.time("plainCairoPangoShapingEveryFrame");
    const double oursText = reporter.time("renderLayerPath/1");
    const double plainText = reporter.time("plainCairoPango/1");
    if (ours > 0 && plain > 0) {
        std::printf("frame through the render layer / plain Cairo+Pango with prepared layouts: %.2fx "
                    "(target: 1.5x or less)\n",
                    ours / plain);
    }
    if (ours > 0 && reshaping > 0) {
        std::printf("frame through the render layer / plain Cairo+Pango shaping every frame: %.2fx\n",
                    ours / reshaping);
    }
    if (oursText > 0 && plainText > 0) {
        std::printf("labels only, render layer / plain Cairo+Pango with prepared layouts: %.2fx\n",
                    oursText / plainText);
    }
    printVerdict("frame through the render layer against plain Cairo+Pango",
                 ours > 0 && plain > 0 && ours / plain <= 1.5);
    return 0;
}
