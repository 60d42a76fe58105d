#include "platform/WebKit/WebViewTunnel.h"

#include <gio/gio.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <memory>

namespace {

struct Tunnel {
    TunnelRule rule;
    std::function<void(const std::string&)> refused;
};

std::string lowered(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// A request to the proxy: a tunnel ("CONNECT host:port HTTP/1.1") or a plain request in
// absolute form ("GET http://host:port/path HTTP/1.1"), which is passed on in origin form
// on a connection of its own.
struct ProxyRequest {
    std::string authority;
    bool tunnel = false;
    std::string forwarded; // plain requests: what the origin gets
};

ProxyRequest parseRequest(const std::string& header) {
    ProxyRequest request;
    const auto lineEnd = header.find("\r\n");
    const std::string line = header.substr(0, lineEnd);
    const auto methodEnd = line.find(' ');
    const auto targetEnd = methodEnd == std::string::npos ? std::string::npos : line.find(' ', methodEnd + 1);
    if (targetEnd == std::string::npos) {
        return request;
    }
    const std::string method = line.substr(0, methodEnd);
    const std::string target = line.substr(methodEnd + 1, targetEnd - methodEnd - 1);
    if (method == "CONNECT") {
        request.authority = target;
        request.tunnel = true;
        return request;
    }
    if (!target.starts_with("http://")) {
        return request;
    }
    const auto pathStart = target.find('/', 7);
    request.authority = target.substr(7, pathStart == std::string::npos ? std::string::npos : pathStart - 7);
    if (request.authority.find(':') == std::string::npos) {
        request.authority += ":80";
    }
    request.forwarded = method + " " + (pathStart == std::string::npos ? "/" : target.substr(pathStart)) +
                        line.substr(targetEnd) + "\r\n";
    std::size_t start = lineEnd + 2;
    while (start < header.size()) {
        const auto end = header.find("\r\n", start);
        const std::string field = header.substr(start, end - start);
        start = end + 2;
        if (field.empty()) {
            break;
        }
        const std::string name = lowered(field.substr(0, field.find(':')));
        if (name != "connection" && name != "proxy-connection" && name != "proxy-authorization" &&
            name != "keep-alive") {
            request.forwarded += field + "\r\n";
        }
    }
    request.forwarded += "Connection: close\r\n\r\n";
    return request;
}

bool allowed(const TunnelRule& rule, const std::string& authority) {
    const auto colon = authority.rfind(':');
    if (colon == std::string::npos) {
        return false;
    }
    std::string host = lowered(authority.substr(0, colon));
    if (host.size() > 2 && host.front() == '[' && host.back() == ']') {
        host = host.substr(1, host.size() - 2);
    }
    return host == lowered(rule.host) && std::atoi(authority.c_str() + colon + 1) == rule.port;
}

void reply(GIOStream* stream, const char* text) {
    g_output_stream_write_all(g_io_stream_get_output_stream(stream), text,
                              std::char_traits<char>::length(text), nullptr, nullptr, nullptr);
}

struct Refusal {
    Tunnel* tunnel;
    std::string authority;
};

gboolean reportRefusal(gpointer data) {
    std::unique_ptr<Refusal> refusal(static_cast<Refusal*>(data));
    if (refusal->tunnel->refused) {
        refusal->tunnel->refused(refusal->authority);
    }
    return G_SOURCE_REMOVE;
}

void spliced(GObject*, GAsyncResult*, gpointer loop) {
    g_main_loop_quit(static_cast<GMainLoop*>(loop));
}

// Runs on a thread of the service for each connection, for as long as it lasts.
gboolean serve(GThreadedSocketService*, GSocketConnection* connection, GObject*, gpointer data) {
    auto* tunnel = static_cast<Tunnel*>(data);
    GIOStream* client = G_IO_STREAM(connection);
    GInputStream* input = g_io_stream_get_input_stream(client);
    std::string header;
    char c;
    while (header.size() < 8192 && !header.ends_with("\r\n\r\n")) {
        if (g_input_stream_read(input, &c, 1, nullptr, nullptr) != 1) {
            return TRUE;
        }
        header += c;
    }
    const ProxyRequest request = parseRequest(header);
    const std::string& authority = request.authority;
    if (!allowed(tunnel->rule, authority)) {
        reply(client, "HTTP/1.1 403 Forbidden\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
        g_idle_add(
            reportRefusal,
            new Refusal{tunnel, authority.empty() ? header.substr(0, header.find("\r\n")) : authority});
        return TRUE;
    }
    GSocketClient* connector = g_socket_client_new();
    g_socket_client_set_timeout(connector, 30);
    GSocketConnection* upstream = g_socket_client_connect_to_host(
        connector, tunnel->rule.address.c_str(), static_cast<guint16>(tunnel->rule.port), nullptr, nullptr);
    g_object_unref(connector);
    if (upstream == nullptr) {
        reply(client, "HTTP/1.1 502 Bad Gateway\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
        return TRUE;
    }
    if (request.tunnel) {
        reply(client, "HTTP/1.1 200 Connection established\r\n\r\n");
    } else {
        g_output_stream_write_all(g_io_stream_get_output_stream(G_IO_STREAM(upstream)),
                                  request.forwarded.data(), request.forwarded.size(), nullptr, nullptr,
                                  nullptr);
    }
    // Both directions are copied on this thread's own loop until either side closes.
    GMainContext* context = g_main_context_new();
    g_main_context_push_thread_default(context);
    GMainLoop* loop = g_main_loop_new(context, FALSE);
    g_io_stream_splice_async(client, G_IO_STREAM(upstream),
                             static_cast<GIOStreamSpliceFlags>(G_IO_STREAM_SPLICE_CLOSE_STREAM1 |
                                                               G_IO_STREAM_SPLICE_CLOSE_STREAM2),
                             G_PRIORITY_DEFAULT, nullptr, spliced, loop);
    g_main_loop_run(loop);
    g_main_loop_unref(loop);
    g_main_context_pop_thread_default(context);
    g_main_context_unref(context);
    g_object_unref(upstream);
    return TRUE;
}

} // namespace

int startTunnel(const TunnelRule& rule, std::function<void(const std::string&)> refused) {
    auto* tunnel = new Tunnel{rule, std::move(refused)}; // lives as long as the process
    GSocketService* service = g_threaded_socket_service_new(16);
    GInetAddress* loopback = g_inet_address_new_loopback(G_SOCKET_FAMILY_IPV4);
    GSocketAddress* address = g_inet_socket_address_new(loopback, 0);
    GSocketAddress* effective = nullptr;
    const gboolean listening =
        g_socket_listener_add_address(G_SOCKET_LISTENER(service), address, G_SOCKET_TYPE_STREAM,
                                      G_SOCKET_PROTOCOL_TCP, nullptr, &effective, nullptr);
    g_object_unref(address);
    g_object_unref(loopback);
    if (!listening || effective == nullptr) {
        return 0;
    }
    const int port = g_inet_socket_address_get_port(G_INET_SOCKET_ADDRESS(effective));
    g_object_unref(effective);
    g_signal_connect(service, "run", G_CALLBACK(serve), tunnel);
    g_socket_service_start(service);
    return port;
}
