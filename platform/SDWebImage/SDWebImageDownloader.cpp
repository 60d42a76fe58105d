#include "platform/SDWebImage/SDWebImageDownloader.h"

#include "platform/Alamofire/Session.h"
#include "platform/Foundation/DispatchQueue.h"
#include "platform/SDWebImage/SDImageCache.h"
#include "platform/SDWebImage/SDWebImageError.h"
#include "platform/UIKit/UIImage.h"

#include <unordered_map>
#include <utility>
#include <vector>

namespace {

NSError errorFor(const AFError& error) {
    switch (error.kind) {
    case AFError::Kind::invalidURL:
        return makeWebImageError(SDWebImageErrorInvalidURL);
    case AFError::Kind::explicitlyCancelled:
        return makeWebImageError(SDWebImageErrorCancelled);
    case AFError::Kind::responseValidationFailed:
        return makeWebImageError(SDWebImageErrorInvalidDownloadStatusCode);
    case AFError::Kind::inputDataNilOrZeroLength:
        return makeWebImageError(SDWebImageErrorBadImageData);
    case AFError::Kind::sessionTaskFailed:
        break;
    }
    return makeWebImageError(SDWebImageErrorInvalidDownloadOperation);
}

} // namespace

struct SDWebImageDownloader::State {
    struct Operation {
        std::shared_ptr<DataRequest> request;
        std::vector<std::pair<std::uint64_t, Completion>> callbacks;
    };

    explicit State(double timeout) : session(Session::Configuration{timeout}) {}

    Session session;
    std::unordered_map<std::string, std::shared_ptr<Operation>> operations;
    std::uint64_t nextId = 1;
};

SDWebImageDownloader& SDWebImageDownloader::sharedDownloader() {
    static SDWebImageDownloader* downloader = new SDWebImageDownloader();
    return *downloader;
}

SDWebImageDownloader::SDWebImageDownloader(double timeoutSeconds)
    : state_(std::make_shared<State>(timeoutSeconds)) {}

SDWebImageDownloader::~SDWebImageDownloader() {
    cancelAllDownloads();
}

std::shared_ptr<SDWebImageDownloadToken> SDWebImageDownloader::downloadImageWithURL(const std::string& url,
                                                                                    Completion completion) {
    auto token = std::shared_ptr<SDWebImageDownloadToken>(new SDWebImageDownloadToken(url, state_->nextId++));
    if (auto running = state_->operations.find(url); running != state_->operations.end()) {
        running->second->callbacks.emplace_back(token->id_, std::move(completion));
        return token;
    }
    auto operation = std::make_shared<State::Operation>();
    operation->callbacks.emplace_back(token->id_, std::move(completion));
    state_->operations[url] = operation;

    std::weak_ptr<State> weakState = state_;
    std::weak_ptr<State::Operation> weakOperation = operation;
    const double scale = SDImageCache::scaleForKey(url);
    operation->request = state_->session.request(url)->validate();
    // Decoding happens on the global queue, where the response is delivered.
    operation->request->responseData(
        DispatchQueue::global(), [weakState, weakOperation, url, scale](const AFDataResponse& response) {
            std::shared_ptr<UIImage> image;
            std::optional<std::string> data;
            std::optional<NSError> error;
            if (const auto* bytes = response.value()) {
                image = UIImage::imageWithData(*bytes, scale);
                if (image) {
                    data = *bytes;
                } else {
                    error = makeWebImageError(SDWebImageErrorBadImageData);
                }
            } else {
                error = errorFor(*response.error());
            }
            DispatchQueue::main().async(
                [weakState, weakOperation, url, image = std::move(image), data = std::move(data), error] {
                    auto state = weakState.lock();
                    auto operation = weakOperation.lock();
                    if (!state || !operation) {
                        return;
                    }
                    if (auto entry = state->operations.find(url);
                        entry != state->operations.end() && entry->second == operation) {
                        state->operations.erase(entry);
                    }
                    for (auto& [id, completion] : std::exchange(operation->callbacks, {})) {
                        completion(image, data, error);
                    }
                });
        });
    return token;
}

void SDWebImageDownloader::cancel(const std::shared_ptr<SDWebImageDownloadToken>& token) {
    if (!token) {
        return;
    }
    const auto entry = state_->operations.find(token->url_);
    if (entry == state_->operations.end()) {
        return;
    }
    auto operation = entry->second;
    std::erase_if(operation->callbacks, [&](const auto& callback) { return callback.first == token->id_; });
    if (operation->callbacks.empty()) {
        state_->operations.erase(entry);
        operation->request->cancel();
    }
}

void SDWebImageDownloader::cancelAllDownloads() {
    auto operations = std::exchange(state_->operations, {});
    for (auto& [url, operation] : operations) {
        operation->callbacks.clear();
        operation->request->cancel();
    }
}

std::size_t SDWebImageDownloader::currentDownloadCount() const {
    return state_->operations.size();
}
