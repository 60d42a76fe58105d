// A screen of 60 labels (Chinese and Latin) and 30 cover images, 390 x 844 points at
// scale 2, drawn through the view tree and the layer compositor:
//   - full frame: every layer's content drawn again and the whole screen composed;
//   - repaint: the whole screen composed again from the layers' kept rasters;
//   - one label changed: what a frame costs when one label's text changes;
// against a plain Cairo/Pango program drawing the same text and images in the same run
// (layouts shaped in advance, and shaping every frame; images scaled with Cairo's good
// filter, and with its cheaper bilinear one). The labels alone are compared as well,
// since scaling covers down costs the two ways of drawing most differently. Targets:
// full frame within 1.5x of the plain program (both scaling images with the good filter);
// one changed label below a tenth of a full frame. Prints the verdicts.

#include "bench/support/BenchReporter.h"
#include "bench/support/PhotoJPEG.h"
#include "bench/support/ScreenFrames.h"
#include "bench/support/Verdict.h"
#include "platform/Foundation/RunLoop.h"
#include "platform/QuartzCore/LayerCompositor.h"
#include "platform/UIKit/UIImageView.h"
#include "platform/UIKit/UILabel.h"
#include "platform/UIKit/UIScreen.h"
#include "platform/UIKit/UIWindow.h"
#include "platform/render/Fonts.h"

#include <pango/pangocairo.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr double kScale = benchframes::kScale;
constexpr int kLabels = 60;
constexpr int kImages = 30;
const UIColor kBackground = UIColor::colorWithRed(0x1C / 255.0, 0x1B / 255.0, 0x20 / 255.0, 1);

std::string labelText(int i) {
    return i % 2 == 0
               ? "第" + std::to_string(i + 1) + "集 深夜食堂：城市里的温暖故事与人间烟火"
               : "Episode " + std::to_string(i + 1) + " - Midnight Diner, stories of the city at night";
}

CGRect labelFrame(int i) {
    return CGRectMake((i % 3) * 126 + 8, (i / 3) * 41 + 4, 118, 36);
}
CGRect coverFrame(int i) {
    return CGRectMake((i % 3) * 126 + 8, (i / 3) * 82 + 10, 110, 76);
}
UIFont labelFont(int i) {
    return UIFont::systemFontOfSize(i % 3 == 0 ? 15 : 12,
                                    i % 3 == 0 ? UIFontWeightMedium : UIFontWeightRegular);
}
UIColor labelColor(int i) {
    return i % 3 == 0 ? UIColor::whiteColor()
                      : UIColor::colorWithRed(0xBE / 255.0, 0xBD / 255.0, 0xC2 / 255.0, 1);
}
int labelLines(int i) {
    return i % 4 == 0 ? 2 : 1;
}

struct Screen {
    std::shared_ptr<UIWindow> window;
    std::vector<std::shared_ptr<UILabel>> labels;
    std::vector<std::shared_ptr<UIImageView>> covers;
    std::vector<std::shared_ptr<UIImage>> images;

    Screen() {
        UIScreen::configureMainScreen(UIScreen::Metrics::modern());
        window = std::make_shared<UIWindow>();
        window->setBackgroundColor(kBackground);
        for (int i = 0; i < kImages; ++i) {
            images.push_back(UIImage::imageWithData(photoLikeJPEG(300, 420, i)));
            auto cover = std::make_shared<UIImageView>(coverFrame(i));
            cover->setContentMode(UIViewContentMode::scaleToFill);
            cover->setImage(images.back());
            window->addSubview(cover);
            covers.push_back(cover);
        }
        for (int i = 0; i < kLabels; ++i) {
            auto label = std::make_shared<UILabel>(labelFrame(i));
            label->setFont(labelFont(i));
            label->setTextColor(labelColor(i));
            label->setNumberOfLines(labelLines(i));
            label->setText(labelText(i));
            window->addSubview(label);
            labels.push_back(label);
        }
        window->makeKeyAndVisible();
        window->layoutIfNeeded();
    }
};

Screen& screen() {
    static Screen shared;
    return shared;
}

void viewsFullFrame(benchmark::State& state) {
    Screen& s = screen();
    const bool labelsOnly = state.range(0) != 0;
    for (const auto& cover : s.covers) {
        cover->setHidden(labelsOnly);
    }
    for (auto _ : state) {
        for (const auto& label : s.labels) {
            label->setNeedsDisplay();
        }
        for (const auto& cover : s.covers) {
            cover->setNeedsDisplay();
        }
        benchframes::composeAll(*s.window);
    }
    for (const auto& cover : s.covers) {
        cover->setHidden(false);
    }
}

void viewsRepaint(benchmark::State& state) {
    Screen& s = screen();
    benchframes::compositor().render(*s.window->layer());
    for (auto _ : state) {
        benchframes::composeAll(*s.window);
    }
}

void viewsOneLabelChanged(benchmark::State& state) {
    Screen& s = screen();
    benchframes::compositor().render(*s.window->layer());
    const std::string texts[2] = {"第9集 深夜食堂：城市里的温暖故事", "Episode 9 - Midnight Diner, changed"};
    int flip = 0;
    for (auto _ : state) {
        s.labels[25]->setText(texts[flip]);
        flip = 1 - flip;
        benchframes::compose(*s.window);
    }
}

// ---- The plain program -----------------------------------------------------------------

PangoLayout* plainLayout(int i) {
    PangoLayout* layout = pango_layout_new(render::textContext());
    PangoFontDescription* description = render::newFontDescription(labelFont(i).fontSpec());
    pango_layout_set_font_description(layout, description);
    pango_font_description_free(description);
    PangoAttrList* list = pango_attr_list_new();
    pango_attr_list_insert(list, render::newLineHeightAttribute(labelFont(i).pointSize()));
    const UIColor color = labelColor(i);
    pango_attr_list_insert(list, pango_attr_foreground_new(static_cast<guint16>(color.red * 65535),
                                                           static_cast<guint16>(color.green * 65535),
                                                           static_cast<guint16>(color.blue * 65535)));
    pango_layout_set_attributes(layout, list);
    pango_attr_list_unref(list);
    pango_layout_set_text(layout, labelText(i).c_str(), -1);
    pango_layout_set_width(layout, static_cast<int>(labelFrame(i).size.width * PANGO_SCALE));
    pango_layout_set_wrap(layout, PANGO_WRAP_WORD_CHAR);
    pango_layout_set_ellipsize(layout, PANGO_ELLIPSIZE_END);
    pango_layout_set_height(layout, -labelLines(i));
    return layout;
}

enum Covers { goodFilter, bilinearFilter, noCovers };

void drawPlainFrame(cairo_t* cr, cairo_surface_t* surface, const std::vector<PangoLayout*>& layouts,
                    bool shape, Covers covers) {
    Screen& s = screen();
    cairo_set_source_rgb(cr, kBackground.red, kBackground.green, kBackground.blue);
    cairo_paint(cr);
    for (int i = 0; covers != noCovers && i < kImages; ++i) {
        cairo_surface_t* image = s.images[i]->CGImage()->surface();
        const CGRect frame = coverFrame(i);
        cairo_save(cr);
        cairo_rectangle(cr, frame.origin.x, frame.origin.y, frame.size.width, frame.size.height);
        cairo_clip(cr);
        cairo_translate(cr, frame.origin.x, frame.origin.y);
        cairo_scale(cr, frame.size.width / cairo_image_surface_get_width(image),
                    frame.size.height / cairo_image_surface_get_height(image));
        cairo_set_source_surface(cr, image, 0, 0);
        cairo_pattern_set_filter(cairo_get_source(cr),
                                 covers == goodFilter ? CAIRO_FILTER_GOOD : CAIRO_FILTER_BILINEAR);
        cairo_paint(cr);
        cairo_restore(cr);
    }
    for (int i = 0; i < kLabels; ++i) {
        PangoLayout* layout = shape ? plainLayout(i) : layouts[i];
        int width = 0;
        int height = 0;
        pango_layout_get_size(layout, &width, &height);
        const CGRect frame = labelFrame(i);
        cairo_move_to(cr, frame.origin.x,
                      frame.origin.y + (frame.size.height - pango_units_to_double(height)) / 2);
        pango_cairo_show_layout(cr, layout);
        if (shape) {
            g_object_unref(layout);
        }
    }
    cairo_surface_flush(surface);
}

void plainCairoPango(benchmark::State& state) {
    const bool shapeEveryFrame = state.range(0) != 0;
    const auto covers = static_cast<Covers>(state.range(1));
    std::vector<PangoLayout*> layouts;
    for (int i = 0; i < kLabels; ++i) {
        layouts.push_back(plainLayout(i));
    }
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, static_cast<int>(390 * kScale),
                                                          static_cast<int>(844 * kScale));
    cairo_t* cr = cairo_create(surface);
    cairo_scale(cr, kScale, kScale);
    for (auto _ : state) {
        drawPlainFrame(cr, surface, layouts, shapeEveryFrame, covers);
    }
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
    for (PangoLayout* layout : layouts) {
        g_object_unref(layout);
    }
}

BENCHMARK(viewsFullFrame)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(viewsRepaint)->Unit(benchmark::kMillisecond);
BENCHMARK(viewsOneLabelChanged)->Unit(benchmark::kMillisecond);
BENCHMARK(plainCairoPango)
    ->Args({0, goodFilter})
    ->Args({1, goodFilter})
    ->Args({0, bilinearFilter})
    ->Args({0, noCovers})
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RunLoop::main();
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    const double full = reporter.time("viewsFullFrame/0");
    const double fullLabels = reporter.time("viewsFullFrame/1");
    const double repaint = reporter.time("viewsRepaint");
    const double oneLabel = reporter.time("viewsOneLabelChanged");
    const double plain = reporter.time("plainCairoPango/0/0");
    const double plainShaping = reporter.time("plainCairoPango/1/0");
    const double plainBilinear = reporter.time("plainCairoPango/0/1");
    const double plainLabels = reporter.time("plainCairoPango/0/2");
    auto ratio = [](const char* what, double ours, double theirs, const char* target) {
        if (ours > 0 && theirs > 0) {
            std::printf("%s: %.2fx%s\n", what, ours / theirs, target);
        }
    };
    ratio("full frame through the views / plain Cairo+Pango (layouts shaped in advance, good filter)", full,
          plain, " (target 1.5x or less)");
    ratio("full frame through the views / plain Cairo+Pango shaping every frame", full, plainShaping, "");
    ratio("full frame through the views / plain Cairo+Pango with bilinear image scaling", full, plainBilinear,
          " (target 1.5x or less)");
    ratio("labels only: full frame through the views / plain Cairo+Pango", fullLabels, plainLabels,
          " (target 1.5x or less)");
    ratio("whole-screen repaint from kept rasters / plain Cairo+Pango (good filter)", repaint, plain, "");
    if (oneLabel > 0 && full > 0) {
        std::printf("frame with one changed label / full frame: %.3f (target below 0.1)\n", oneLabel / full);
    }
    printVerdict("full frame through the views against plain Cairo+Pango",
                 full > 0 && plain > 0 && full / plain <= 1.5);
    printVerdict("frame with one changed label against a full frame",
                 oneLabel > 0 && full > 0 && oneLabel / full < 0.1);
    return 0;
}
