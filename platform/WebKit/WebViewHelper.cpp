// orvex-webview: one web page in WebKitGTK, off screen, for a DWKWebView of the application.
//
// Arguments: --url= --origin= (scheme://host:port of the only documents the main frame shows
// and the bridge answers) --proxy-port=N (the application's tunnel on 127.0.0.1, the page's
// only way out) --timeout=SECONDS --size=WxH (points) --scale=N (pixels per point).
// Standard input: first the tunnel's credentials ({"user": ..., "secret": ...}), then one
// JSON command a line ("load", "evaluate", "pointer", "edit", "answer").
// Standard output: one JSON event a line ("loaded", "failed", "frame" followed by its
// pixels, "call", "close", "refused-navigation", "refused-call").

#include <gtk/gtk.h>
#include <nlohmann/json.hpp>
#include <webkit2/webkit2.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <sys/random.h>
#include <unistd.h>

namespace {

using Json = nlohmann::json;

struct Options {
    std::string url;
    std::string origin;
    int proxyPort = 0;
    std::string proxyUser;
    std::string proxySecret;
    double timeout = 60;
    int width = 326;
    int height = 326;
    int scale = 2;
};

// The page's side of the bridge: dsBridge.call(method, argument) asks the application
// synchronously through a prompt that only this helper answers; window.close() asks the
// application to close the page. The script is given to the main frame of the trusted origin
// alone, and each of its prompts carries a key of this run that no other frame learns: a
// prompt without it (a sub-frame's, another origin's) is refused. The prompt and JSON
// functions are taken before the page's own scripts run.
constexpr const char* kBridgeScript = R"JS((function () {
  if (window.dsBridge) { return; }
  window._dswk = true;
  var ask = window.prompt, stringify = JSON.stringify, parse = JSON.parse, key = "%KEY%";
  function call(method, argument) {
    var answer = ask.call(window, "_dsbridge=" + method,
                          stringify({ key: key, data: argument === undefined ? null : argument }));
    try { return parse(answer || "{}").data; } catch (e) { return undefined; }
  }
  window.dsBridge = {
    call: call,
    register: function () {},
    registerAsyn: function () {}
  };
  window.close = function () { call("_dsb.closePage"); };
})();)JS";

struct Helper {
    Options options;
    bool loadFailed = false;
    WebKitWebContext* context = nullptr;
    WebKitWebView* view = nullptr;
    GtkWidget* window = nullptr;
    // The key that the bridge script's prompts carry.
    std::string bridgeKey;
    std::map<long, WebKitScriptDialog*> pendingCalls;
    long nextCall = 1;
    bool loaded = false;
    bool snapshotting = false;
    bool pressed = false;
    std::string lastPixels;
};

Helper helper;

void emit(const Json& event, const std::string& payload = {}) {
    const std::string line = event.dump() + "\n";
    std::fwrite(line.data(), 1, line.size(), stdout);
    if (!payload.empty()) {
        std::fwrite(payload.data(), 1, payload.size(), stdout);
    }
    std::fflush(stdout);
}

std::optional<std::string> originOf(const std::string& url) {
    GUri* uri = g_uri_parse(url.c_str(), G_URI_FLAGS_NONE, nullptr);
    if (uri == nullptr) {
        return std::nullopt;
    }
    const char* scheme = g_uri_get_scheme(uri);
    const char* host = g_uri_get_host(uri);
    std::optional<std::string> origin;
    if (scheme != nullptr && host != nullptr && *host != '\0' &&
        (std::strcmp(scheme, "https") == 0 || std::strcmp(scheme, "http") == 0)) {
        int port = g_uri_get_port(uri);
        if (port < 0) {
            port = std::strcmp(scheme, "https") == 0 ? 443 : 80;
        }
        std::string hostText = host;
        if (hostText.find(':') != std::string::npos) {
            hostText = "[" + hostText + "]";
        }
        origin =
            std::string(scheme) + "://" + g_ascii_strdown(hostText.c_str(), -1) + ":" + std::to_string(port);
    }
    g_uri_unref(uri);
    return origin;
}

bool isTrusted(const std::string& url) {
    return originOf(url) == helper.options.origin;
}

// ---- pictures of the page ----

void snapshotTaken(GObject* source, GAsyncResult* result, gpointer) {
    helper.snapshotting = false;
    cairo_surface_t* surface = webkit_web_view_get_snapshot_finish(WEBKIT_WEB_VIEW(source), result, nullptr);
    if (surface == nullptr) {
        return;
    }
    cairo_surface_t* image = surface;
    if (cairo_surface_get_type(surface) != CAIRO_SURFACE_TYPE_IMAGE ||
        cairo_image_surface_get_format(surface) != CAIRO_FORMAT_ARGB32) {
        double sx = 1, sy = 1;
        cairo_surface_get_device_scale(surface, &sx, &sy);
        image = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, static_cast<int>(helper.options.width * sx),
                                           static_cast<int>(helper.options.height * sy));
        cairo_t* cr = cairo_create(image);
        cairo_scale(cr, sx, sy);
        cairo_set_source_surface(cr, surface, 0, 0);
        cairo_paint(cr);
        cairo_destroy(cr);
        cairo_surface_destroy(surface);
    }
    cairo_surface_flush(image);
    const int width = cairo_image_surface_get_width(image);
    const int height = cairo_image_surface_get_height(image);
    const int stride = cairo_image_surface_get_stride(image);
    const unsigned char* data = cairo_image_surface_get_data(image);
    std::string pixels;
    pixels.reserve(static_cast<std::size_t>(width) * height * 4);
    for (int row = 0; row < height; ++row) {
        pixels.append(reinterpret_cast<const char*>(data + static_cast<std::ptrdiff_t>(row) * stride),
                      static_cast<std::size_t>(width) * 4);
    }
    cairo_surface_destroy(image);
    if (pixels != helper.lastPixels) {
        helper.lastPixels = pixels;
        emit(Json{{"event", "frame"}, {"width", width}, {"height", height}, {"bytes", pixels.size()}},
             pixels);
    }
}

gboolean takeSnapshot(gpointer) {
    if (helper.loaded && !helper.snapshotting) {
        helper.snapshotting = true;
        webkit_web_view_get_snapshot(helper.view, WEBKIT_SNAPSHOT_REGION_VISIBLE,
                                     WEBKIT_SNAPSHOT_OPTIONS_NONE, nullptr, snapshotTaken, nullptr);
    }
    return G_SOURCE_CONTINUE;
}

// ---- the page's requests ----

bool isHttps(const std::string& url) {
    return g_ascii_strncasecmp(url.c_str(), "https://", 8) == 0;
}

void refuseNavigation(WebKitPolicyDecision* decision, const std::string& url) {
    webkit_policy_decision_ignore(decision);
    emit(Json{{"event", "refused-navigation"}, {"url", url}});
}

// Frames may show https documents of any origin; the main frame only the trusted origin's.
// A navigation's frame is known only once its answer arrives, so the main frame's documents
// of other origins are refused then, before they are shown.
gboolean decidePolicy(WebKitWebView*, WebKitPolicyDecision* decision, WebKitPolicyDecisionType type,
                      gpointer) {
    if (type == WEBKIT_POLICY_DECISION_TYPE_NEW_WINDOW_ACTION) {
        webkit_policy_decision_ignore(decision);
        return TRUE;
    }
    if (type == WEBKIT_POLICY_DECISION_TYPE_RESPONSE) {
        auto* response = WEBKIT_RESPONSE_POLICY_DECISION(decision);
        const char* requested =
            webkit_uri_request_get_uri(webkit_response_policy_decision_get_request(response));
        const std::string uri = requested != nullptr ? requested : "";
        if (webkit_response_policy_decision_is_main_frame_main_resource(response) && !isTrusted(uri)) {
            refuseNavigation(decision, uri);
            return TRUE;
        }
        // Nothing is downloaded: what the engine cannot show is a failed load.
        if (!webkit_response_policy_decision_is_mime_type_supported(response)) {
            webkit_policy_decision_ignore(decision);
            emit(Json{{"event", "failed"}, {"url", uri}, {"error", "not a page the engine shows"}});
            return TRUE;
        }
        return FALSE;
    }
    if (type != WEBKIT_POLICY_DECISION_TYPE_NAVIGATION_ACTION) {
        return FALSE;
    }
    WebKitNavigationAction* action =
        webkit_navigation_policy_decision_get_navigation_action(WEBKIT_NAVIGATION_POLICY_DECISION(decision));
    const std::string uri = webkit_uri_request_get_uri(webkit_navigation_action_get_request(action));
    if (uri == "about:blank" || uri == "about:srcdoc" || isHttps(uri) || isTrusted(uri)) {
        return FALSE;
    }
    refuseNavigation(decision, uri);
    return TRUE;
}

gboolean scriptDialog(WebKitWebView* view, WebKitScriptDialog* dialog, gpointer) {
    if (webkit_script_dialog_get_dialog_type(dialog) != WEBKIT_SCRIPT_DIALOG_PROMPT) {
        return TRUE; // alerts and confirmations are not shown
    }
    const std::string message = webkit_script_dialog_get_message(dialog);
    constexpr std::string_view prefix = "_dsbridge=";
    if (!message.starts_with(prefix)) {
        webkit_script_dialog_prompt_set_text(dialog, "");
        return TRUE;
    }
    const char* current = webkit_web_view_get_uri(view);
    const Json sent = Json::parse(webkit_script_dialog_prompt_get_default_text(dialog), nullptr, false);
    const bool fromBridge = sent.is_object() && sent.contains("key") && sent["key"].is_string() &&
                            sent["key"] == helper.bridgeKey;
    if (current == nullptr || !isTrusted(current) || !fromBridge) {
        webkit_script_dialog_prompt_set_text(dialog, "{}");
        emit(Json{{"event", "refused-call"}, {"url", current != nullptr ? current : ""}});
        return TRUE;
    }
    const std::string method = message.substr(prefix.size());
    const Json data = sent.contains("data") ? sent["data"] : Json();
    if (method == "_dsb.closePage") {
        webkit_script_dialog_prompt_set_text(dialog, "{}");
        emit(Json{{"event", "close"}});
        return TRUE;
    }
    if (method.starts_with("_dsb.")) {
        webkit_script_dialog_prompt_set_text(dialog, "{}"); // the bridge's other internal calls
        return TRUE;
    }
    const long id = helper.nextCall++;
    helper.pendingCalls[id] = webkit_script_dialog_ref(dialog);
    emit(
        Json{{"event", "call"},
             {"id", id},
             {"method", method},
             {"argument", data.is_string() ? data.get<std::string>() : (data.is_null() ? "" : data.dump())}});
    return TRUE;
}

void loadChanged(WebKitWebView* view, WebKitLoadEvent event, gpointer) {
    if (event == WEBKIT_LOAD_STARTED) {
        helper.loadFailed = false;
    }
    if (event == WEBKIT_LOAD_FINISHED && !helper.loadFailed) {
        helper.loaded = true;
        const char* uri = webkit_web_view_get_uri(view);
        emit(Json{{"event", "loaded"}, {"url", uri != nullptr ? uri : ""}});
        takeSnapshot(nullptr);
    }
}

// Handled here: the engine's own error page is not shown (its load would be reported as
// the page having loaded).
gboolean loadFailed(WebKitWebView*, WebKitLoadEvent, gchar* uri, GError* error, gpointer) {
    helper.loadFailed = true;
    if (!g_error_matches(error, WEBKIT_NETWORK_ERROR, WEBKIT_NETWORK_ERROR_CANCELLED) &&
        !g_error_matches(error, WEBKIT_POLICY_ERROR,
                         WEBKIT_POLICY_ERROR_FRAME_LOAD_INTERRUPTED_BY_POLICY_CHANGE)) {
        emit(Json{{"event", "failed"}, {"url", uri}, {"error", error->message}});
    }
    return TRUE;
}

// The tunnel asks for its credentials. They go to the tunnel alone: never to a page's own
// server, even one that asks as a proxy would.
gboolean authenticate(WebKitWebView*, WebKitAuthenticationRequest* request, gpointer) {
    const char* host = webkit_authentication_request_get_host(request);
    const bool fromTunnel =
        webkit_authentication_request_is_for_proxy(request) && host != nullptr &&
        std::strcmp(host, "127.0.0.1") == 0 &&
        static_cast<int>(webkit_authentication_request_get_port(request)) == helper.options.proxyPort;
    if (!fromTunnel || webkit_authentication_request_is_retry(request)) {
        webkit_authentication_request_authenticate(request, nullptr);
        return TRUE;
    }
    WebKitCredential* credential =
        webkit_credential_new(helper.options.proxyUser.c_str(), helper.options.proxySecret.c_str(),
                              WEBKIT_CREDENTIAL_PERSISTENCE_FOR_SESSION);
    webkit_authentication_request_authenticate(request, credential);
    webkit_credential_free(credential);
    return TRUE;
}

gboolean loadTimedOut(gpointer) {
    if (!helper.loaded) {
        webkit_web_view_stop_loading(helper.view);
        emit(Json{{"event", "failed"}, {"url", helper.options.url}, {"error", "timed out"}});
    }
    return G_SOURCE_REMOVE;
}

// ---- commands from the application ----

void pointer(const std::string& kind, double x, double y) {
    GdkWindow* target = gtk_widget_get_window(GTK_WIDGET(helper.view));
    if (target == nullptr) {
        return;
    }
    GdkDevice* device = gdk_seat_get_pointer(gdk_display_get_default_seat(gdk_display_get_default()));
    GdkEvent* event = nullptr;
    if (kind == "move") {
        event = gdk_event_new(GDK_MOTION_NOTIFY);
        event->motion.x = x;
        event->motion.y = y;
        event->motion.x_root = x;
        event->motion.y_root = y;
        event->motion.state = helper.pressed ? GDK_BUTTON1_MASK : 0;
        event->motion.time = GDK_CURRENT_TIME;
        event->motion.window = GDK_WINDOW(g_object_ref(target));
    } else {
        const bool down = kind == "down";
        event = gdk_event_new(down ? GDK_BUTTON_PRESS : GDK_BUTTON_RELEASE);
        event->button.x = x;
        event->button.y = y;
        event->button.x_root = x;
        event->button.y_root = y;
        event->button.button = 1;
        event->button.state = down ? 0 : GDK_BUTTON1_MASK;
        event->button.time = GDK_CURRENT_TIME;
        event->button.window = GDK_WINDOW(g_object_ref(target));
        helper.pressed = down;
    }
    gdk_event_set_device(event, device);
    gtk_main_do_event(event);
    gdk_event_free(event);
}

void command(const Json& message) {
    const std::string name = message.value("command", "");
    if (name == "answer") {
        const auto found = helper.pendingCalls.find(message.value("id", 0L));
        if (found == helper.pendingCalls.end()) {
            return;
        }
        WebKitScriptDialog* dialog = found->second;
        helper.pendingCalls.erase(found);
        webkit_script_dialog_prompt_set_text(
            dialog, Json{{"code", 0}, {"data", message.value("value", "")}}.dump().c_str());
        webkit_script_dialog_close(dialog);
        webkit_script_dialog_unref(dialog);
    } else if (name == "evaluate") {
        webkit_web_view_evaluate_javascript(helper.view, message.value("script", "").c_str(), -1, nullptr,
                                            nullptr, nullptr, nullptr, nullptr);
    } else if (name == "edit") {
        // Text reaches the focused field as typed text does (input events included).
        const std::string editing = message.value("name", "");
        if (editing == "InsertText" || editing == "DeleteBackward") {
            webkit_web_view_execute_editing_command_with_argument(helper.view, editing.c_str(),
                                                                  message.value("argument", "").c_str());
        }
    } else if (name == "pointer") {
        pointer(message.value("kind", ""), message.value("x", 0.0), message.value("y", 0.0));
    } else if (name == "load") {
        helper.loaded = false;
        webkit_web_view_load_uri(helper.view, message.value("url", "").c_str());
    }
}

gboolean readCommands(GIOChannel* channel, GIOCondition condition, gpointer) {
    if ((condition & G_IO_IN) != 0) {
        gchar* line = nullptr;
        gsize length = 0;
        const GIOStatus status = g_io_channel_read_line(channel, &line, &length, nullptr, nullptr);
        if (status == G_IO_STATUS_NORMAL && line != nullptr) {
            const Json message = Json::parse(line, nullptr, false);
            g_free(line);
            if (message.is_object()) {
                command(message);
            }
            return G_SOURCE_CONTINUE;
        }
        g_free(line);
        if (status == G_IO_STATUS_AGAIN) {
            return G_SOURCE_CONTINUE;
        }
    }
    gtk_main_quit(); // the application has gone
    return G_SOURCE_REMOVE;
}

std::optional<Options> parse(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        const auto value = [&](std::string_view key) -> std::optional<std::string> {
            return argument.starts_with(key) ? std::optional(argument.substr(key.size())) : std::nullopt;
        };
        if (auto v = value("--url=")) {
            options.url = *v;
        } else if (auto v = value("--origin=")) {
            options.origin = *v;
        } else if (auto v = value("--proxy-port=")) {
            options.proxyPort = std::atoi(v->c_str());
        } else if (auto v = value("--timeout=")) {
            options.timeout = std::atof(v->c_str());
        } else if (auto v = value("--scale=")) {
            options.scale = std::max(1, std::atoi(v->c_str()));
        } else if (auto v = value("--size=")) {
            std::sscanf(v->c_str(), "%dx%d", &options.width, &options.height);
        }
    }
    if (options.url.empty() || options.origin.empty() || options.proxyPort <= 0 ||
        options.proxyPort > 65535 || options.width <= 0 || options.height <= 0) {
        return std::nullopt;
    }
    return options;
}

// The first line of standard input, read a byte at a time so that the commands after it
// stay for the command channel.
std::string firstLine() {
    std::string line;
    char c;
    while (line.size() < 4096 && ::read(STDIN_FILENO, &c, 1) == 1 && c != '\n') {
        line += c;
    }
    return line;
}

std::string randomKey() {
    unsigned char bytes[16];
    std::string key;
    if (getrandom(bytes, sizeof bytes, 0) != static_cast<ssize_t>(sizeof bytes)) {
        return key;
    }
    for (const unsigned char byte : bytes) {
        key += "0123456789abcdef"[byte >> 4];
        key += "0123456789abcdef"[byte & 15];
    }
    return key;
}

} // namespace

int main(int argc, char** argv) {
    const auto options = parse(argc, argv);
    if (!options) {
        emit(Json{{"event", "failed"}, {"url", ""}, {"error", "orvex-webview: missing or bad arguments"}});
        return 2;
    }
    helper.options = *options;
    const Json credentials = Json::parse(firstLine(), nullptr, false);
    helper.options.proxyUser = credentials.is_object() ? credentials.value("user", "") : "";
    helper.options.proxySecret = credentials.is_object() ? credentials.value("secret", "") : "";
    helper.bridgeKey = randomKey();
    if (helper.options.proxySecret.empty() || helper.bridgeKey.empty()) {
        emit(Json{{"event", "failed"},
                  {"url", options->url},
                  {"error", "orvex-webview: no credentials for the tunnel"}});
        return 2;
    }
    g_setenv("GDK_SCALE", std::to_string(options->scale).c_str(), TRUE);
    g_setenv("WEBKIT_DISABLE_COMPOSITING_MODE", "1", TRUE);
    if (!gtk_init_check(&argc, &argv)) {
        emit(Json{{"event", "failed"}, {"url", options->url}, {"error", "no display for the web engine"}});
        return 1;
    }

    // Every request goes through the application's tunnel, which resolves names through
    // the application's encrypted resolver and verifies each peer against the application's
    // certificate authorities before the engine's TLS reaches it. The engine's own TLS ends
    // at the tunnel, whose certificate is made for this run: the engine does not judge
    // certificates itself (it knows only the system store).
    WebKitWebsiteDataManager* data = webkit_website_data_manager_new_ephemeral();
    const std::string proxy = "http://127.0.0.1:" + std::to_string(options->proxyPort);
    WebKitNetworkProxySettings* proxySettings = webkit_network_proxy_settings_new(proxy.c_str(), nullptr);
    webkit_website_data_manager_set_network_proxy_settings(data, WEBKIT_NETWORK_PROXY_MODE_CUSTOM,
                                                           proxySettings);
    webkit_network_proxy_settings_free(proxySettings);
    webkit_website_data_manager_set_tls_errors_policy(data, WEBKIT_TLS_ERRORS_POLICY_IGNORE);
    helper.context = webkit_web_context_new_with_website_data_manager(data);
    webkit_web_context_set_cache_model(helper.context, WEBKIT_CACHE_MODEL_DOCUMENT_VIEWER);

    WebKitUserContentManager* content = webkit_user_content_manager_new();
    // Page patterns name no port: the pattern admits the host, and the bridge itself checks
    // the port with the rest of the origin.
    const auto portColon = options->origin.rfind(':');
    const std::string allowed = options->origin.substr(0, portColon) + "/*";
    const gchar* allowList[] = {allowed.c_str(), nullptr};
    std::string bridgeScript = kBridgeScript;
    bridgeScript.replace(bridgeScript.find("%KEY%"), 5, helper.bridgeKey);
    WebKitUserScript* script =
        webkit_user_script_new(bridgeScript.c_str(), WEBKIT_USER_CONTENT_INJECT_TOP_FRAME,
                               WEBKIT_USER_SCRIPT_INJECT_AT_DOCUMENT_START, allowList, nullptr);
    webkit_user_content_manager_add_script(content, script);
    webkit_user_script_unref(script);

    helper.view = WEBKIT_WEB_VIEW(g_object_new(WEBKIT_TYPE_WEB_VIEW, "web-context", helper.context,
                                               "user-content-manager", content, nullptr));
    WebKitSettings* settings = webkit_web_view_get_settings(helper.view);
    webkit_settings_set_hardware_acceleration_policy(settings, WEBKIT_HARDWARE_ACCELERATION_POLICY_NEVER);
    webkit_settings_set_javascript_can_open_windows_automatically(settings, FALSE);
    webkit_settings_set_enable_developer_extras(settings, FALSE);

    g_signal_connect(helper.view, "decide-policy", G_CALLBACK(decidePolicy), nullptr);
    g_signal_connect(helper.view, "script-dialog", G_CALLBACK(scriptDialog), nullptr);
    g_signal_connect(helper.view, "load-changed", G_CALLBACK(loadChanged), nullptr);
    g_signal_connect(helper.view, "load-failed", G_CALLBACK(loadFailed), nullptr);
    g_signal_connect(helper.view, "authenticate", G_CALLBACK(authenticate), nullptr);

    helper.window = gtk_offscreen_window_new();
    gtk_window_set_default_size(GTK_WINDOW(helper.window), options->width, options->height);
    gtk_widget_set_size_request(GTK_WIDGET(helper.view), options->width, options->height);
    gtk_container_add(GTK_CONTAINER(helper.window), GTK_WIDGET(helper.view));
    gtk_widget_show_all(helper.window);

    GIOChannel* input = g_io_channel_unix_new(0);
    g_io_add_watch(input, static_cast<GIOCondition>(G_IO_IN | G_IO_HUP | G_IO_ERR), readCommands, nullptr);
    g_timeout_add(100, takeSnapshot, nullptr);
    g_timeout_add(static_cast<guint>(options->timeout * 1000), loadTimedOut, nullptr);

    webkit_web_view_load_uri(helper.view, options->url.c_str());
    gtk_main();
    return 0;
}
