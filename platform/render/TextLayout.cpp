#include "platform/render/TextLayout.h"

#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <list>
#include <mutex>
#include <unordered_map>

namespace render {
namespace {

guint16 channel16(double component) {
    return static_cast<guint16>(std::lround(std::clamp(component, 0.0, 1.0) * 65535));
}

void insertAttribute(PangoAttrList* list, PangoAttribute* attribute, std::size_t start, std::size_t end) {
    attribute->start_index = static_cast<guint>(start);
    attribute->end_index = static_cast<guint>(end);
    pango_attr_list_insert(list, attribute);
}

PangoAttrList* attributesFor(const TextSpec& spec) {
    PangoAttrList* list = pango_attr_list_new();
    const std::size_t length = spec.text.size();
    pango_attr_list_insert(list, newLineHeightAttribute(spec.baseFont.size));
    for (const TextSpan& span : spec.spans) {
        std::size_t start = std::min(span.start, length);
        std::size_t end = std::min(span.end, length);
        if (start >= end) {
            continue;
        }
        PangoFontDescription* description = newFontDescription(span.font);
        insertAttribute(list, pango_attr_font_desc_new(description), start, end);
        pango_font_description_free(description);
        insertAttribute(list, newLineHeightAttribute(span.font.size), start, end);
        if (span.color) {
            insertAttribute(list,
                            pango_attr_foreground_new(channel16(span.color->r), channel16(span.color->g),
                                                      channel16(span.color->b)),
                            start, end);
            insertAttribute(list,
                            pango_attr_foreground_alpha_new(std::max<guint16>(1, channel16(span.color->a))),
                            start, end);
        }
        if (span.kern != 0) {
            insertAttribute(
                list, pango_attr_letter_spacing_new(static_cast<int>(std::lround(span.kern * PANGO_SCALE))),
                start, end);
        }
        if (span.underline) {
            insertAttribute(list, pango_attr_underline_new(PANGO_UNDERLINE_SINGLE), start, end);
        }
        if (span.strikethrough) {
            insertAttribute(list, pango_attr_strikethrough_new(TRUE), start, end);
        }
    }
    return list;
}

PangoEllipsizeMode ellipsisFor(LineBreakMode mode) {
    switch (mode) {
    case LineBreakMode::truncateHead:
        return PANGO_ELLIPSIZE_START;
    case LineBreakMode::truncateMiddle:
        return PANGO_ELLIPSIZE_MIDDLE;
    case LineBreakMode::truncateTail:
        return PANGO_ELLIPSIZE_END;
    default:
        return PANGO_ELLIPSIZE_NONE;
    }
}

// Bottom (in Pango units) and height of line `index` of the layout.
std::pair<int, int> lineBottom(PangoLayout* layout, int index) {
    PangoLayoutIter* iter = pango_layout_get_iter(layout);
    for (int i = 0; i < index && pango_layout_iter_next_line(iter); ++i) {
    }
    PangoRectangle logical;
    pango_layout_iter_get_line_extents(iter, nullptr, &logical);
    pango_layout_iter_free(iter);
    return {logical.y + logical.height, logical.height};
}

} // namespace

TextLayout::TextLayout(const TextSpec& spec) {
    std::lock_guard guard(textLock());
    layout_ = pango_layout_new(textContext());
    PangoFontDescription* base = newFontDescription(spec.baseFont);
    pango_layout_set_font_description(layout_, base);
    pango_font_description_free(base);
    pango_layout_set_text(layout_, spec.text.data(), static_cast<int>(spec.text.size()));
    textLength_ = std::strlen(pango_layout_get_text(layout_));
    PangoAttrList* attributes = attributesFor(spec);
    pango_layout_set_attributes(layout_, attributes);
    pango_attr_list_unref(attributes);

    const bool bounded = spec.width && *spec.width > 0 && std::isfinite(*spec.width);
    if (bounded) {
        pango_layout_set_width(layout_, static_cast<int>(std::floor(*spec.width * PANGO_SCALE)));
        pango_layout_set_wrap(layout_, spec.lineBreakMode == LineBreakMode::charWrap ? PANGO_WRAP_CHAR
                                                                                     : PANGO_WRAP_WORD_CHAR);
    }
    switch (spec.alignment) {
    case TextAlignment::left:
        pango_layout_set_alignment(layout_, PANGO_ALIGN_LEFT);
        break;
    case TextAlignment::center:
        pango_layout_set_alignment(layout_, PANGO_ALIGN_CENTER);
        break;
    case TextAlignment::right:
        pango_layout_set_alignment(layout_, PANGO_ALIGN_RIGHT);
        break;
    case TextAlignment::justified:
        pango_layout_set_alignment(layout_, PANGO_ALIGN_LEFT);
        pango_layout_set_justify(layout_, TRUE);
        break;
    }
    if (spec.lineSpacing > 0) {
        pango_layout_set_spacing(layout_, static_cast<int>(std::lround(spec.lineSpacing * PANGO_SCALE)));
    }

    lineCount_ = pango_layout_get_line_count(layout_);
    int visibleBottom = -1;
    if (spec.maxLines > 0 && lineCount_ > spec.maxLines) {
        truncated_ = true;
        auto [bottom, lastHeight] = lineBottom(layout_, spec.maxLines - 1);
        const PangoEllipsizeMode ellipsis = ellipsisFor(spec.lineBreakMode);
        if (ellipsis != PANGO_ELLIPSIZE_NONE && bounded) {
            // Pango ellipsizes the last line that fits a positive height; half a line of
            // slack keeps rounding from ending the text one line early.
            pango_layout_set_ellipsize(layout_, ellipsis);
            pango_layout_set_height(layout_, bottom + lastHeight / 2);
            lineCount_ = pango_layout_get_line_count(layout_);
        } else {
            clipsLines_ = true;
            lineCount_ = spec.maxLines;
            visibleBottom = bottom;
        }
    }

    PangoRectangle logical;
    pango_layout_get_extents(layout_, nullptr, &logical);
    const double height =
        pango_units_to_double(visibleBottom >= 0 ? visibleBottom : logical.y + logical.height);
    if (!spec.text.empty()) {
        size_ = {pango_units_to_double(logical.width), height};
    }
    visibleHeight_ = height;
    boxWidth_ = bounded ? *spec.width : pango_units_to_double(logical.width);
    baselineShift_ = fontMetrics(spec.baseFont).baselineShift;
    firstBaseline_ = pango_units_to_double(pango_layout_get_baseline(layout_)) + baselineShift_;
}

TextLayout::~TextLayout() {
    std::lock_guard guard(textLock());
    g_object_unref(layout_);
}

CGRect TextLayout::caretRect(std::size_t index) const {
    std::lock_guard guard(textLock());
    const char* text = pango_layout_get_text(layout_);
    std::size_t boundary = std::min(index, textLength_);
    // Step back to the start of a character split by the index.
    while (boundary > 0 && boundary < textLength_ &&
           (static_cast<unsigned char>(text[boundary]) & 0xC0) == 0x80) {
        --boundary;
    }
    int line = 0;
    int x = 0;
    pango_layout_index_to_line_x(layout_, static_cast<int>(boundary), FALSE, &line, &x);
    auto [bottom, height] = lineBottom(layout_, line);
    return {{pango_units_to_double(x), pango_units_to_double(bottom - height)},
            {0, pango_units_to_double(height)}};
}

std::size_t TextLayout::indexAtPoint(CGPoint point) const {
    std::lock_guard guard(textLock());
    int index = 0;
    int trailing = 0;
    pango_layout_xy_to_index(layout_, pango_units_from_double(point.x), pango_units_from_double(point.y),
                             &index, &trailing);
    const char* text = pango_layout_get_text(layout_);
    const char* position = g_utf8_offset_to_pointer(text + index, trailing);
    return std::min(static_cast<std::size_t>(position - text), textLength_);
}

void TextLayout::draw(cairo_t* cr, CGPoint origin) const {
    std::lock_guard guard(textLock());
    cairo_save(cr);
    if (clipsLines_) {
        cairo_rectangle(cr, origin.x - 1e4, origin.y, 2e4 + boxWidth_, visibleHeight_);
        cairo_clip(cr);
    }
    cairo_move_to(cr, origin.x, origin.y + baselineShift_);
    cairo_set_source_rgb(cr, 0, 0, 0);
    pango_cairo_show_layout(cr, layout_);
    cairo_restore(cr);
}

namespace {

std::size_t hashCombine(std::size_t seed, std::size_t value) {
    return seed ^ (value + 0x9e3779b97f4a7c15ULL + (seed << 6) + (seed >> 2));
}

struct SpecHash {
    std::size_t operator()(const TextSpec& spec) const {
        std::size_t h = std::hash<std::string>{}(spec.text);
        h = hashCombine(h, std::hash<double>{}(spec.width.value_or(-1)));
        h = hashCombine(h, static_cast<std::size_t>(spec.maxLines));
        h = hashCombine(h, std::hash<double>{}(spec.baseFont.size));
        h = hashCombine(h, spec.spans.size());
        for (const TextSpan& span : spec.spans) {
            h = hashCombine(h, span.start);
            h = hashCombine(h, std::hash<double>{}(span.font.size));
            h = hashCombine(h, static_cast<std::size_t>(span.font.weight));
        }
        return h;
    }
};

// Least-recently-used layouts by their spec.
class LayoutCache {
  public:
    std::shared_ptr<const TextLayout> layout(const TextSpec& spec) {
        std::lock_guard guard(textLock());
        if (auto found = index_.find(spec); found != index_.end()) {
            order_.splice(order_.begin(), order_, found->second);
            return found->second->second;
        }
        auto layout = std::make_shared<const TextLayout>(spec);
        order_.emplace_front(spec, layout);
        index_.emplace(spec, order_.begin());
        if (order_.size() > kCapacity) {
            index_.erase(order_.back().first);
            order_.pop_back();
        }
        return layout;
    }

    void clear() {
        std::lock_guard guard(textLock());
        index_.clear();
        order_.clear();
    }

  private:
    static constexpr std::size_t kCapacity = 2048;
    using Entry = std::pair<TextSpec, std::shared_ptr<const TextLayout>>;
    std::list<Entry> order_;
    std::unordered_map<TextSpec, std::list<Entry>::iterator, SpecHash> index_;
};

LayoutCache& cache() {
    static LayoutCache* instance = new LayoutCache; // outlives static destruction order
    return *instance;
}

} // namespace

std::shared_ptr<const TextLayout> layoutText(const TextSpec& spec) {
    return cache().layout(spec);
}

void clearTextLayoutCache() {
    cache().clear();
}

} // namespace render
