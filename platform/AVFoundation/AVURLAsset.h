#pragma once

#include <map>
#include <memory>
#include <string>

// The option whose value is the HTTP header fields of every request for the asset.
inline constexpr const char* AVURLAssetHTTPHeaderFieldsKey = "AVURLAssetHTTPHeaderFieldsKey";

// Header fields by name, and asset options by key (only the header-fields option is
// understood; other keys are kept and ignored).
using AVHTTPHeaderFields = std::map<std::string, std::string>;
using AVURLAssetOptions = std::map<std::string, AVHTTPHeaderFields>;

// A media address with the options to open it with.
class AVURLAsset {
  public:
    AVURLAsset(std::string URL, AVURLAssetOptions options = {});

    const std::string& URL() const { return URL_; }
    const AVURLAssetOptions& options() const { return options_; }
    // The value of the header-fields option (empty without it).
    AVHTTPHeaderFields httpHeaderFields() const;

  private:
    std::string URL_;
    AVURLAssetOptions options_;
};
