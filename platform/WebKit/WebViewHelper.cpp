// orvex-webview: one web page in WebKitGTK, off screen, for a DWKWebView of the application.
//
// Arguments: --url= --origin= (scheme://host:port trusted for the bridge and navigation)
// --connect=host:port=address (where the tunnel leads) --ca=FILE --timeout=SECONDS
// --size=WxH (points) --scale=N (pixels per point).
// Standard input: one JSON command a line ("load", "evaluate", "pointer", "edit", "answer").
// Standard output: one JSON event a line ("loaded", "failed", "frame" followed by its
// pixels, "call", "close", "refused-navigation", "refused-call").

#include "platform/WebKit/WebViewTunnel.h"

#include <gtk/gtk.h>
#include <nlohmann/json.hpp>
#include <webkit2/webkit2.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <optional>
#include <string>

namespace {

using Json = nlohmann::json;

struct Options {
    std::string url;
    std::string origin;
    TunnelRule tunnel;
    std::string caFile;
    double timeout = 60;
    int width = 326;
    int height = 326;
    int scale = 2;
};

// The page's side of the bridge: dsBridge.call(method, argument) asks the application
// synchronously through a prompt that only this helper answers; window.close() asks the
// application to close the page.
constexpr const char* kBridgeScript = R"JS((function () {
  if (window.dsBridge) { return; }
  window._dswk = true;
  function call(method, argument) {
    var answer = window.prompt("_dsbridge=" + method, JSON.stringify({ data: argument === undefined ? null : argument }));
    try { return JSON.parse(answer || "{}").data; } catch (e) { return undefined; }
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
    std::map<long, WebKitScriptDialog*> pendingCalls;
    long nextCall = 1;
    bool loaded = false;
    bool snapshotting = false;
    bool pressed = false;
    std::string lastPixels;
    // Certificates allowed per host; the allowance reaches WebKit's network process
    // asynchronously, so a load may meet the same error again and is retried a few times.
    std::map<std::string, int> allowances;
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

gboolean decidePolicy(WebKitWebView*, WebKitPolicyDecision* decision, WebKitPolicyDecisionType type,
                      gpointer) {
    if (type == WEBKIT_POLICY_DECISION_TYPE_NEW_WINDOW_ACTION) {
        webkit_policy_decision_ignore(decision);
        return TRUE;
    }
    if (type == WEBKIT_POLICY_DECISION_TYPE_RESPONSE) {
        // Nothing is downloaded: what the engine cannot show is a failed load.
        auto* response = WEBKIT_RESPONSE_POLICY_DECISION(decision);
        if (!webkit_response_policy_decision_is_mime_type_supported(response)) {
            const char* uri =
                webkit_uri_response_get_uri(webkit_response_policy_decision_get_response(response));
            webkit_policy_decision_ignore(decision);
            emit(Json{{"event", "failed"},
                      {"url", uri != nullptr ? uri : ""},
                      {"error", "not a page the engine shows"}});
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
    if (uri == "about:blank" || isTrusted(uri)) {
        return FALSE;
    }
    webkit_policy_decision_ignore(decision);
    emit(Json{{"event", "refused-navigation"}, {"url", uri}});
    return TRUE;
}

gboolean scriptDialog(WebKitWebView* view, WebKitScriptDialog* dialog, gpointer) {
    if (webkit_script_dialog_get_dialog_type(dialog) != WEBKIT_SCRIPT_DIALOG_PROMPT) {
        return TRUE; // alerts and confirmations are not shown
    }
    const std::string message = webkit_script_dialog_get_message(dialog);
    constexpr std::string_view prefix = "_dsbridge=";
    const char* current = webkit_web_view_get_uri(view);
    if (!message.starts_with(prefix)) {
        webkit_script_dialog_prompt_set_text(dialog, "");
        return TRUE;
    }
    if (current == nullptr || !isTrusted(current)) {
        webkit_script_dialog_prompt_set_text(dialog, "{}");
        emit(Json{{"event", "refused-call"}, {"url", current != nullptr ? current : ""}});
        return TRUE;
    }
    const std::string method = message.substr(prefix.size());
    const Json sent = Json::parse(webkit_script_dialog_prompt_get_default_text(dialog), nullptr, false);
    const Json data = sent.is_object() && sent.contains("data") ? sent["data"] : Json();
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

gboolean loadFailed(WebKitWebView*, WebKitLoadEvent, gchar* uri, GError* error, gpointer) {
    helper.loadFailed = true;
    if (g_error_matches(error, WEBKIT_NETWORK_ERROR, WEBKIT_NETWORK_ERROR_CANCELLED) ||
        g_error_matches(error, WEBKIT_POLICY_ERROR,
                        WEBKIT_POLICY_ERROR_FRAME_LOAD_INTERRUPTED_BY_POLICY_CHANGE)) {
        return FALSE;
    }
    emit(Json{{"event", "failed"}, {"url", uri}, {"error", error->message}});
    return FALSE;
}

// The service's certificate is checked against the application's certificate authority
// file (WebKit knows only the system store); a certificate that verifies there is allowed
// for its host and the page is loaded again.
gboolean tlsFailed(WebKitWebView* view, gchar* uri, GTlsCertificate* certificate, GTlsCertificateFlags,
                   gpointer) {
    helper.loadFailed = true;
    GUri* parsed = g_uri_parse(uri, G_URI_FLAGS_NONE, nullptr);
    const std::string host =
        parsed != nullptr && g_uri_get_host(parsed) != nullptr ? g_uri_get_host(parsed) : "";
    const int port = parsed != nullptr && g_uri_get_port(parsed) > 0 ? g_uri_get_port(parsed) : 443;
    if (parsed != nullptr) {
        g_uri_unref(parsed);
    }
    GTlsCertificateFlags problems = G_TLS_CERTIFICATE_GENERIC_ERROR;
    constexpr int kMaxAllowances = 5;
    if (!helper.options.caFile.empty() && !host.empty() && helper.allowances[host] < kMaxAllowances) {
        GTlsDatabase* database = g_tls_file_database_new(helper.options.caFile.c_str(), nullptr);
        if (database != nullptr) {
            GSocketConnectable* identity = g_network_address_new(host.c_str(), static_cast<guint16>(port));
            problems =
                g_tls_database_verify_chain(database, certificate, G_TLS_DATABASE_PURPOSE_AUTHENTICATE_SERVER,
                                            identity, nullptr, G_TLS_DATABASE_VERIFY_NONE, nullptr, nullptr);
            g_object_unref(identity);
            g_object_unref(database);
        }
    }
    if (problems != 0) {
        emit(Json{
            {"event", "failed"}, {"url", uri}, {"error", "the certificate of " + host + " is not trusted"}});
        return FALSE;
    }
    helper.allowances[host] += 1;
    webkit_web_context_allow_tls_certificate_for_host(helper.context, certificate, host.c_str());
    webkit_web_view_load_uri(view, uri);
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
        } else if (auto v = value("--ca=")) {
            options.caFile = *v;
        } else if (auto v = value("--timeout=")) {
            options.timeout = std::atof(v->c_str());
        } else if (auto v = value("--scale=")) {
            options.scale = std::max(1, std::atoi(v->c_str()));
        } else if (auto v = value("--size=")) {
            std::sscanf(v->c_str(), "%dx%d", &options.width, &options.height);
        } else if (auto v = value("--connect=")) {
            const auto equals = v->rfind('=');
            const auto colon = equals == std::string::npos ? std::string::npos : v->rfind(':', equals);
            if (colon == std::string::npos) {
                return std::nullopt;
            }
            options.tunnel =
                TunnelRule{v->substr(0, colon), std::atoi(v->c_str() + colon + 1), v->substr(equals + 1)};
        }
    }
    if (options.url.empty() || options.origin.empty() || options.tunnel.address.empty() ||
        options.width <= 0 || options.height <= 0) {
        return std::nullopt;
    }
    return options;
}

} // namespace

int main(int argc, char** argv) {
    const auto options = parse(argc, argv);
    if (!options) {
        emit(Json{{"event", "failed"}, {"url", ""}, {"error", "orvex-webview: missing or bad arguments"}});
        return 2;
    }
    helper.options = *options;
    g_setenv("GDK_SCALE", std::to_string(options->scale).c_str(), TRUE);
    g_setenv("WEBKIT_DISABLE_COMPOSITING_MODE", "1", TRUE);
    if (!gtk_init_check(&argc, &argv)) {
        emit(Json{{"event", "failed"}, {"url", options->url}, {"error", "no display for the web engine"}});
        return 1;
    }
    const int tunnelPort = startTunnel(options->tunnel, [](const std::string& authority) {
        emit(Json{{"event", "refused-navigation"}, {"url", authority}});
    });
    if (tunnelPort == 0) {
        emit(Json{{"event", "failed"}, {"url", options->url}, {"error", "no tunnel for the web engine"}});
        return 1;
    }

    WebKitWebsiteDataManager* data = webkit_website_data_manager_new_ephemeral();
    const std::string proxy = "http://127.0.0.1:" + std::to_string(tunnelPort);
    WebKitNetworkProxySettings* proxySettings = webkit_network_proxy_settings_new(proxy.c_str(), nullptr);
    webkit_website_data_manager_set_network_proxy_settings(data, WEBKIT_NETWORK_PROXY_MODE_CUSTOM,
                                                           proxySettings);
    webkit_network_proxy_settings_free(proxySettings);
    webkit_website_data_manager_set_tls_errors_policy(data, WEBKIT_TLS_ERRORS_POLICY_FAIL);
    helper.context = webkit_web_context_new_with_website_data_manager(data);
    webkit_web_context_set_cache_model(helper.context, WEBKIT_CACHE_MODEL_DOCUMENT_VIEWER);

    WebKitUserContentManager* content = webkit_user_content_manager_new();
    // Page patterns name no port: the pattern admits the host, and the bridge itself checks
    // the port with the rest of the origin.
    const auto portColon = options->origin.rfind(':');
    const std::string allowed = options->origin.substr(0, portColon) + "/*";
    const gchar* allowList[] = {allowed.c_str(), nullptr};
    WebKitUserScript* script =
        webkit_user_script_new(kBridgeScript, WEBKIT_USER_CONTENT_INJECT_TOP_FRAME,
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
    g_signal_connect(helper.view, "load-failed-with-tls-errors", G_CALLBACK(tlsFailed), nullptr);

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
