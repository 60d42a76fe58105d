#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

// One picture of the page: premultiplied ARGB, 4 bytes a pixel, rows without padding.
struct WebEngineFrame {
    int width = 0;
    int height = 0;
    std::string pixels;
};

class UIImage;

// The frame as an image of `scale` pixels per point; nothing for a frame whose pixels do
// not match its size.
std::shared_ptr<UIImage> imageOfFrame(const WebEngineFrame& frame, double scale);

struct WebEngineOptions {
    std::string url;
    // Scheme, host and port of the only documents that the main frame shows and that may
    // call the bridge.
    std::string trustedOrigin;
    double timeoutSeconds = 60;
    // The page's size in points, and pixels per point of its pictures.
    int width = 0;
    int height = 0;
    int scale = 2;
};

// What the engine reports; every handler runs on the main thread.
struct WebEngineHandlers {
    // A new picture of the page (made into an image on the session's thread).
    std::function<void(std::shared_ptr<UIImage>)> frame;
    // A bridge call from a document of the trusted origin; answers the method's text.
    std::function<std::string(const std::string& method, const std::string& argument)> call;
    std::function<void()> closeWindow;
    std::function<void(const std::string& url)> loaded;
    std::function<void(const std::string& url, const std::string& error)> failed;
    std::function<void(const std::string& url)> refusedNavigation;
    std::function<void()> refusedCall;
};

// A page in the web engine helper process ("orvex-webview", WebKitGTK with a GTK loop of its
// own, drawing off screen). The helper is started on a thread of this session together with
// its only way out, a tunnel of this process (WebViewTunnel) that reaches https peers with
// the process's network policy and serves the helper alone; the tunnel's secret reaches the
// helper through its standard input. Dropping the session ends the helper and the tunnel.
class WebEngineSession : public std::enable_shared_from_this<WebEngineSession> {
  public:
    static std::shared_ptr<WebEngineSession> start(WebEngineOptions options, WebEngineHandlers handlers);
    ~WebEngineSession();
    WebEngineSession(const WebEngineSession&) = delete;
    WebEngineSession& operator=(const WebEngineSession&) = delete;

    // Pointer input at a point of the page, in points: "down", "move" or "up".
    void pointer(const std::string& kind, double x, double y);
    void evaluate(const std::string& script);
    // An editing command on the page's focused field: "InsertText" with the text, or
    // "DeleteBackward".
    void editText(const std::string& command, const std::string& argument);
    void load(const std::string& url);

    // The helper program: $ORVEX_WEBVIEW_HELPER, else the one built with this library.
    static std::filesystem::path helperPath();

    struct Channel;

  private:
    WebEngineSession(WebEngineOptions options, WebEngineHandlers handlers);
    void handle(const std::string& line);
    void send(const std::string& line);

    WebEngineOptions options_;
    WebEngineHandlers handlers_;
    std::shared_ptr<Channel> channel_;
};
