#pragma once

#include "platform/Foundation/NSError.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class Session;
class UIImage;

// One caller's interest in a download; cancel it through the downloader.
class SDWebImageDownloadToken {
  public:
    const std::string& url() const { return url_; }

  private:
    friend class SDWebImageDownloader;
    SDWebImageDownloadToken(std::string url, std::uint64_t id) : url_(std::move(url)), id_(id) {}
    std::string url_;
    std::uint64_t id_;
};

// Downloads images over the HTTP session (so with the process's TLS and DNS-over-HTTPS
// settings) and decodes them on the global queue. Requests for a URL already being
// downloaded join that download. Called on the main thread; completions run there too.
class SDWebImageDownloader {
  public:
    // The decoded image and its bytes, or an error.
    using Completion = std::function<void(std::shared_ptr<UIImage> image, std::optional<std::string> data,
                                          std::optional<NSError> error)>;

    static SDWebImageDownloader& sharedDownloader();

    // `timeoutSeconds`: how long a connection attempt or a pause in the data may last.
    explicit SDWebImageDownloader(double timeoutSeconds = 15);
    ~SDWebImageDownloader();
    SDWebImageDownloader(const SDWebImageDownloader&) = delete;
    SDWebImageDownloader& operator=(const SDWebImageDownloader&) = delete;

    std::shared_ptr<SDWebImageDownloadToken> downloadImageWithURL(const std::string& url,
                                                                  Completion completion);
    // The token's completion will not run; the transfer stops when nobody else waits for it.
    void cancel(const std::shared_ptr<SDWebImageDownloadToken>& token);
    void cancelAllDownloads();
    // Transfers running now.
    std::size_t currentDownloadCount() const;

  private:
    struct State;
    std::shared_ptr<State> state_;
};
