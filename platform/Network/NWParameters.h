#pragma once

#include "platform/Network/NWEndpoint.h"

#include <optional>
#include <string>
#include <vector>

// Parameters of a connection, and the process's privacy context that decides how host
// names are resolved.
class NWParameters {
  public:
    static NWParameters tls() { return NWParameters(true); }
    static NWParameters tcp() { return NWParameters(false); }

    bool usesTLS() const { return usesTLS_; }

    class PrivacyContext {
      public:
        // A DNS-over-HTTPS resolver: its URL and the addresses of its own host.
        class ResolverConfiguration {
          public:
            // Nothing when `url` is not an absolute "https" URL with a host.
            static std::optional<ResolverConfiguration> https(const std::string& url,
                                                              std::vector<NWEndpoint> serverAddresses);

            const std::string& url() const { return url_; }
            const std::string& urlHost() const { return urlHost_; }
            int urlPort() const { return urlPort_; }
            const std::vector<NWEndpoint>& serverAddresses() const { return serverAddresses_; }

          private:
            std::string url_;
            std::string urlHost_;
            int urlPort_ = 443;
            std::vector<NWEndpoint> serverAddresses_;
        };

        // The process-wide context that every transfer of the process follows.
        static PrivacyContext& defaultContext();

        // With `required` true, every host name the process resolves goes through
        // `fallbackResolver` (there is no system encrypted resolver on this platform, so
        // the fallback is the resolver); without a resolver, or with `required` false,
        // names are resolved by the system again.
        void requireEncryptedNameResolution(bool required,
                                            std::optional<ResolverConfiguration> fallbackResolver);

      private:
        PrivacyContext() = default;
    };

  private:
    explicit NWParameters(bool usesTLS) : usesTLS_(usesTLS) {}
    bool usesTLS_;
};
