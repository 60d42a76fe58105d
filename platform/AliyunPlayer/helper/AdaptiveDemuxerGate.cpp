#include "platform/AliyunPlayer/helper/AdaptiveDemuxerGate.h"

#include <cstring>

namespace {

bool isAdaptiveDemuxer(GstElement* element) {
    GstElementFactory* factory = gst_element_get_factory(element);
    const char* kind =
        factory != nullptr ? gst_element_factory_get_metadata(factory, GST_ELEMENT_METADATA_KLASS) : nullptr;
    return kind != nullptr && std::strstr(kind, "Demuxer/Adaptive") != nullptr;
}

bool isParser(GstElement* element) {
    GstElementFactory* factory = gst_element_get_factory(element);
    return factory != nullptr && std::strcmp(gst_plugin_feature_get_name(factory), "parsebin") == 0;
}

} // namespace

AdaptiveDemuxerGate::AdaptiveDemuxerGate(GstElement* pipeline) {
    g_signal_connect(pipeline, "deep-element-added",
                     G_CALLBACK(+[](GstBin*, GstBin* parent, GstElement* element, gpointer gate) {
                         static_cast<AdaptiveDemuxerGate*>(gate)->elementAdded(parent, element);
                     }),
                     this);
}

void AdaptiveDemuxerGate::elementAdded(GstBin* parent, GstElement* element) {
    std::lock_guard lock(mutex_);
    if (demuxer_ == nullptr && isAdaptiveDemuxer(element)) {
        demuxer_ = GST_ELEMENT(gst_object_ref(element));
        g_signal_connect(element, "pad-added", G_CALLBACK(+[](GstElement*, GstPad* pad, gpointer gate) {
                             static_cast<AdaptiveDemuxerGate*>(gate)->watchOutput(pad);
                         }),
                         this);
        return;
    }
    if (!open_ && demuxer_ != nullptr && GST_ELEMENT(parent) == demuxer_ && isParser(element)) {
        g_signal_connect(element, "pad-added", G_CALLBACK(+[](GstElement*, GstPad* pad, gpointer gate) {
                             static_cast<AdaptiveDemuxerGate*>(gate)->hold(pad);
                         }),
                         this);
    }
}

void AdaptiveDemuxerGate::hold(GstPad* pad) {
    std::lock_guard lock(mutex_);
    if (open_ || GST_PAD_DIRECTION(pad) != GST_PAD_SRC) {
        return;
    }
    const gulong probe = gst_pad_add_probe(
        pad,
        static_cast<GstPadProbeType>(GST_PAD_PROBE_TYPE_BLOCK | GST_PAD_PROBE_TYPE_BUFFER |
                                     GST_PAD_PROBE_TYPE_BUFFER_LIST),
        [](GstPad*, GstPadProbeInfo*, gpointer) { return GST_PAD_PROBE_OK; }, nullptr, nullptr);
    held_.emplace_back(GST_PAD(gst_object_ref(pad)), probe);
}

// The demuxer counts an output as existing only once "pad-added" has returned; the first
// event it sends through the output comes after that.
void AdaptiveDemuxerGate::watchOutput(GstPad* pad) {
    gst_pad_add_probe(
        pad, GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM,
        [](GstPad*, GstPadProbeInfo*, gpointer gate) {
            static_cast<AdaptiveDemuxerGate*>(gate)->open();
            return GST_PAD_PROBE_REMOVE;
        },
        this, nullptr);
}

void AdaptiveDemuxerGate::open() {
    std::lock_guard lock(mutex_);
    open_ = true;
    for (auto& [pad, probe] : held_) {
        gst_pad_remove_probe(pad, probe);
        gst_object_unref(pad);
    }
    held_.clear();
}
