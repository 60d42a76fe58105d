#include "platform/SJMediaCacheServer/SJMediaCacheServer.h"

#include "platform/Foundation/DispatchQueue.h"
#include "platform/Foundation/Paths.h"
#include "platform/Network/NetworkPolicy.h"
#include "platform/SJMediaCacheServer/ProxyCore.h"

namespace {

std::function<std::string(const std::string&)>& defaultAssetIdentifierRule() {
    static std::function<std::string(const std::string&)> rule;
    return rule;
}

} // namespace

void SJMediaCacheServer::setDefaultResolveAssetIdentifier(
    std::function<std::string(const std::string&)> block) {
    defaultAssetIdentifierRule() = std::move(block);
}

SJMediaCacheServer::Options SJMediaCacheServer::defaultOptions() {
    Options options;
    options.resolveAssetIdentifier = defaultAssetIdentifierRule();
    options.cacheRoot = Paths::documents() / "com.SJMediaCacheServer.cache";
    // Upstream fetches follow the process's network policy (TLS trust, DNS over HTTPS),
    // read at each request, like every other request of the application.
    options.upstreamConfigurator = NetworkPolicy::configurator();
    return options;
}

SJMediaCacheServer& SJMediaCacheServer::shared() {
    // The main queue outlives the proxy, which delivers its blocks through it.
    DispatchQueue::main();
    static SJMediaCacheServer server(defaultOptions());
    return server;
}

SJMediaCacheServer::SJMediaCacheServer(Options options) {
    auto rule = std::move(options.resolveAssetIdentifier);
    core_ = std::make_shared<mcs::ProxyCore>(std::move(options));
    if (rule) {
        core_->setResolveAssetIdentifier(std::move(rule));
    }
    core_->loadExporters();
}

SJMediaCacheServer::~SJMediaCacheServer() {
    core_->shutdown();
}

std::optional<std::string> SJMediaCacheServer::playbackURLWithURL(const std::string& url) {
    return core_->playbackURL(url);
}

std::optional<std::string> SJMediaCacheServer::playbackURLPrefix() {
    return core_->playbackURLPrefix();
}

void SJMediaCacheServer::setActive(bool active) {
    core_->setActive(active);
}

bool SJMediaCacheServer::isActive() const {
    return core_->isActive();
}

void SJMediaCacheServer::setEnabledConsoleLog(bool enabled) {
    core_->setConsoleLog(enabled);
}

void SJMediaCacheServer::setResolveAssetIdentifier(std::function<std::string(const std::string&)> block) {
    core_->setResolveAssetIdentifier(std::move(block));
}

std::shared_ptr<MCSPrefetchTask>
SJMediaCacheServer::prefetchWithURL(const std::string& url, std::uint64_t preloadSize,
                                    std::function<void(float)> progress,
                                    std::function<void(const std::optional<NSError>&)> completed) {
    return core_->prefetch(url, preloadSize, std::move(progress), std::move(completed));
}

std::shared_ptr<MCSAssetExporter> SJMediaCacheServer::exportAssetWithURL(const std::string& url) {
    return core_->exporter(url);
}

std::shared_ptr<MCSAssetExporter>
SJMediaCacheServer::exportAssetWithURL(const std::string& url,
                                       const std::map<std::string, std::string>& headers) {
    return core_->exporter(url, &headers);
}

void SJMediaCacheServer::removeExportAssetWithURL(const std::string& url) {
    core_->removeExport(url);
}

std::uint64_t SJMediaCacheServer::countOfBytesAllExportedAssets() {
    return core_->exportedBytes();
}

void SJMediaCacheServer::removeAllRemovableCaches() {
    core_->removeRemovableCaches();
}

void SJMediaCacheServer::setUpstreamConfigurator(std::function<void(CURL*)> configurator) {
    core_->cache().setUpstreamConfigurator(std::move(configurator));
}
