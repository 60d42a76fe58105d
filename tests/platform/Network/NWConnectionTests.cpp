#include "platform/Network/NWConnection.h"

#include "platform/Foundation/RunLoop.h"
#include "platform/Network/NetworkPolicy.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <thread>

namespace {

using State = NWConnection::State;

// A TCP listener on loopback. With `answer` set, every connection it accepts receives
// that text and is closed; otherwise connections complete in the kernel and are never
// answered.
class Listener {
  public:
    explicit Listener(std::string answer = {}) : answer_(std::move(answer)) {
        socket_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(socket_, reinterpret_cast<sockaddr*>(&address), sizeof(address));
        ::listen(socket_, 8);
        socklen_t length = sizeof(address);
        ::getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        if (!answer_.empty()) {
            thread_ = std::thread([this] {
                const int client = ::accept(socket_, nullptr, nullptr);
                if (client >= 0) {
                    char buffer[512];
                    (void)::recv(client, buffer, sizeof(buffer), 0);
                    (void)::send(client, answer_.data(), answer_.size(), MSG_NOSIGNAL);
                    ::close(client);
                }
            });
        }
    }

    ~Listener() {
        ::shutdown(socket_, SHUT_RDWR);
        ::close(socket_);
        if (thread_.joinable()) {
            thread_.join();
        }
    }

    int port() const { return port_; }

  private:
    std::string answer_;
    int socket_ = -1;
    int port_ = 0;
    std::thread thread_;
};

class NWConnectionTest : public testing::Test {
  protected:
    void SetUp() override {
        NetworkPolicy::setEncryptedResolver(std::nullopt);
        NetworkPolicy::setCertificateAuthorityFile({});
    }
    void TearDown() override { NetworkPolicy::setEncryptedResolver(std::nullopt); }

    // Starts a connection that records its states; runs until `last` arrives.
    std::shared_ptr<NWConnection> connect(const NWEndpoint& endpoint, NWParameters parameters, State last) {
        auto connection = NWConnection::create(endpoint, parameters);
        connection->setStateUpdateHandler([this](State state) { states.push_back(state); });
        connection->start(DispatchQueue::main());
        EXPECT_TRUE(RunLoop::main().runUntil(
            [&] { return !states.empty() && (states.back() == last || states.back() == State::waiting); },
            30));
        return connection;
    }

    std::optional<NWConnection::EstablishmentReport>
    reportOf(const std::shared_ptr<NWConnection>& connection) {
        bool delivered = false;
        std::optional<NWConnection::EstablishmentReport> report;
        connection->requestEstablishmentReport(DispatchQueue::main(), [&](auto value) {
            report = std::move(value);
            delivered = true;
        });
        EXPECT_TRUE(RunLoop::main().runUntil([&] { return delivered; }, 5));
        return report;
    }

    std::vector<State> states;
};

} // namespace

TEST_F(NWConnectionTest, AnUnreachableResolverLeavesTheConnectionWaiting) {
    NWParameters::PrivacyContext::defaultContext().requireEncryptedNameResolution(
        true, NWParameters::PrivacyContext::ResolverConfiguration::https(
                  "https://dns.orvex.test:1/dns-query", {NWEndpoint::hostPort("127.0.0.1", 1)}));
    auto connection =
        connect(NWEndpoint::hostPort("www.example.com", 443), NWParameters::tls(), State::waiting);
    EXPECT_EQ(states, (std::vector<State>{State::setup, State::preparing, State::waiting}));
    EXPECT_FALSE(reportOf(connection).has_value());
    EXPECT_FALSE(connection->errorDescription().empty());
}

TEST_F(NWConnectionTest, AReachableAddressIsReadyWithoutNameResolutions) {
    Listener listener;
    auto connection =
        connect(NWEndpoint::hostPort("127.0.0.1", listener.port()), NWParameters::tcp(), State::ready);
    EXPECT_EQ(states, (std::vector<State>{State::setup, State::preparing, State::ready}));
    const auto report = reportOf(connection);
    ASSERT_TRUE(report.has_value());
    EXPECT_TRUE(report->resolutions.empty());

    connection->cancel();
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return states.back() == State::cancelled; }, 5));
    EXPECT_FALSE(reportOf(connection).has_value());
}

TEST_F(NWConnectionTest, APeerThatDoesNotSpeakTLSFails) {
    Listener listener("HTTP/1.1 400 Bad Request\r\nContent-Length: 0\r\n\r\n");
    connect(NWEndpoint::hostPort("127.0.0.1", listener.port()), NWParameters::tls(), State::failed);
    EXPECT_EQ(states, (std::vector<State>{State::setup, State::preparing, State::failed}));
}

TEST_F(NWConnectionTest, CancellingAPendingConnectionReportsCancelledOnce) {
    Listener silent;
    auto connection =
        NWConnection::create(NWEndpoint::hostPort("127.0.0.1", silent.port()), NWParameters::tls());
    connection->setStateUpdateHandler([this](State state) { states.push_back(state); });
    connection->start(DispatchQueue::main());
    connection->start(DispatchQueue::main());
    connection->cancel();
    connection->cancel();
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return states.size() >= 3; }, 5));
    RunLoop::main().runUntil([] { return false; }, 0.2);
    EXPECT_EQ(states, (std::vector<State>{State::setup, State::preparing, State::cancelled}));
}
