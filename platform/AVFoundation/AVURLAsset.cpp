#include "platform/AVFoundation/AVURLAsset.h"

AVURLAsset::AVURLAsset(std::string URL, AVURLAssetOptions options)
    : URL_(std::move(URL)), options_(std::move(options)) {}

AVHTTPHeaderFields AVURLAsset::httpHeaderFields() const {
    auto found = options_.find(AVURLAssetHTTPHeaderFieldsKey);
    return found == options_.end() ? AVHTTPHeaderFields{} : found->second;
}
