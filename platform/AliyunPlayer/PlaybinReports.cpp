#include "platform/AliyunPlayer/PlaybinReports.h"

#include <cmath>
#include <limits>

namespace PlaybinReports {

namespace {

// Reads the fields of one event, remembering the first that is missing or wrong.
class Fields {
  public:
    explicit Fields(const nlohmann::json& message) : message_(message) {}

    bool wrong() const { return !wrong_.empty(); }
    const std::string& wrongField() const { return wrong_; }

    // A whole number from `lowest` to `highest`.
    std::uint64_t whole(const char* key, std::uint64_t lowest, std::uint64_t highest) {
        const auto found = message_.find(key);
        if (found == message_.end() || !found->is_number_unsigned()) {
            return refuse(key, lowest);
        }
        const auto value = found->get<std::uint64_t>();
        return value >= lowest && value <= highest ? value : refuse(key, lowest);
    }
    int side(const char* key, int highest) { return static_cast<int>(whole(key, 0, highest)); }

    // Seconds: a finite number, not negative.
    double seconds(const char* key) {
        const auto found = message_.find(key);
        if (found == message_.end() || !found->is_number()) {
            return refuse(key, 0);
        }
        const double value = found->get<double>();
        return std::isfinite(value) && value >= 0 ? value : refuse(key, 0);
    }

    bool truth(const char* key) {
        const auto found = message_.find(key);
        return found != message_.end() && found->is_boolean() ? found->get<bool>() : refuse(key, false);
    }

    std::string text(const char* key) {
        const auto found = message_.find(key);
        return found != message_.end() && found->is_string() ? found->get<std::string>()
                                                             : refuse(key, std::string());
    }

  private:
    template <typename Value> Value refuse(const char* key, Value fallback) {
        if (wrong_.empty()) {
            wrong_ = key;
        }
        return fallback;
    }

    const nlohmann::json& message_;
    std::string wrong_;
};

// Sides of the picture a state may report (its pixel aspect applied).
constexpr int maximumPresentationSide = 65536;
// Sides and slot counts no ring may go beyond; PictureRingLayout says which fit.
constexpr int maximumRingSide = std::numeric_limits<int>::max();

std::optional<Report> readState(Fields& fields, const Expectations& expected) {
    State report;
    report.generation = fields.whole("generation", expected.loadGeneration, expected.newestGeneration);
    report.state.phase = static_cast<MediaEnginePhase>(fields.whole(
        "phase", static_cast<int>(MediaEnginePhase::Idle), static_cast<int>(MediaEnginePhase::Failed)));
    report.state.buffering = fields.truth("buffering");
    report.state.ended = fields.truth("ended");
    report.state.duration = fields.seconds("duration");
    report.state.position = fields.seconds("position");
    report.state.bufferedPosition = fields.seconds("bufferedPosition");
    report.state.presentationWidth = fields.side("presentationWidth", maximumPresentationSide);
    report.state.presentationHeight = fields.side("presentationHeight", maximumPresentationSide);
    report.state.errorDescription = fields.text("errorDescription");
    return report;
}

} // namespace

std::optional<Report> read(const nlohmann::json& message, bool hasDescriptor, const Expectations& expected,
                           std::string& problem) {
    const auto event = message.find("event");
    if (event == message.end() || !event->is_string()) {
        problem = "an event without a name";
        return std::nullopt;
    }
    const std::string& name = event->get_ref<const std::string&>();
    const bool isRing = name == "ring";
    if (hasDescriptor != isRing) {
        problem =
            isRing ? "picture memory without its descriptor" : "a descriptor with an event that carries none";
        return std::nullopt;
    }
    Fields fields(message);
    std::optional<Report> report;
    if (name == "ready") {
        report = Ready{};
    } else if (name == "alive") {
        report = Alive{};
    } else if (name == "state") {
        report = readState(fields, expected);
    } else if (name == "seekEnd") {
        SeekEnd seekEnd;
        seekEnd.seekId = fields.whole("seekId", 1, expected.newestSeekId);
        seekEnd.finished = fields.truth("finished");
        report = seekEnd;
    } else if (isRing) {
        Ring ring;
        ring.ring = fields.whole("ring", expected.ring + 1, std::numeric_limits<std::uint64_t>::max());
        const int width = fields.side("width", maximumRingSide);
        const int height = fields.side("height", maximumRingSide);
        const int slots = fields.side("slots", maximumRingSide);
        if (!fields.wrong()) {
            const auto layout = PictureRingLayout::of(width, height, slots);
            if (!layout) {
                problem = "picture memory of a size no picture may have";
                return std::nullopt;
            }
            ring.layout = *layout;
        }
        report = ring;
    } else if (name == "frame") {
        if (expected.ring == 0) {
            problem = "a picture before any picture memory";
            return std::nullopt;
        }
        Frame frame;
        frame.generation = fields.whole("generation", expected.loadGeneration, expected.newestGeneration);
        fields.whole("ring", expected.ring, expected.ring);
        frame.slot =
            static_cast<int>(fields.whole("slot", 0, static_cast<std::uint64_t>(expected.ringSlots) - 1));
        report = frame;
    } else {
        problem = "an unknown event";
        return std::nullopt;
    }
    if (fields.wrong()) {
        problem = "a \"" + name + "\" event whose \"" + fields.wrongField() + "\" is missing or out of range";
        return std::nullopt;
    }
    return report;
}

} // namespace PlaybinReports
