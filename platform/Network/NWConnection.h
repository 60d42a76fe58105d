#pragma once

#include "platform/Foundation/DispatchQueue.h"
#include "platform/Network/NWEndpoint.h"
#include "platform/Network/NWParameters.h"

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

// A connection to an endpoint (TCP, or TLS with the process's trust settings), used to
// find out whether a host can be reached and how its name was resolved. States are
// reported in order on the queue given to `start`: setup, preparing, then ready,
// waiting (the host could not be resolved or reached) or failed (TLS did not verify),
// and cancelled after `cancel`.
//
// A started connection is kept alive by the platform until it is cancelled or fails, so
// the caller need not keep it. Once ready, the transport has served its purpose and is
// released; the connection stays in the ready state.
class NWConnection : public std::enable_shared_from_this<NWConnection> {
  public:
    enum class State { setup, preparing, ready, waiting, failed, cancelled };

    struct EstablishmentReport {
        struct Resolution {
            enum class DNSProtocol { unknown, udp, tcp, tls, https };
            std::string host;
            DNSProtocol dnsProtocol = DNSProtocol::unknown;
        };
        std::vector<Resolution> resolutions;
    };

    static std::shared_ptr<NWConnection> create(NWEndpoint endpoint, NWParameters parameters);

    const NWEndpoint& endpoint() const { return endpoint_; }

    // Set before `start`. Called on the start queue.
    void setStateUpdateHandler(std::function<void(State)> handler);
    State state() const;
    // A description of the last failure, for diagnostics.
    std::string errorDescription() const;

    // Starts connecting once; later calls do nothing.
    void start(DispatchQueue& queue);
    void cancel();

    // Delivers on `queue` the report of how the connection was established: one
    // resolution per host name looked up on the way (none for a numeric address), with
    // the protocol that carried the lookup. Nothing before the connection is ready.
    void requestEstablishmentReport(DispatchQueue& queue,
                                    std::function<void(std::optional<EstablishmentReport>)> completion);

  private:
    class Attempt;

    NWConnection(NWEndpoint endpoint, NWParameters parameters);
    void attemptEnded(State outcome, std::string error, std::optional<EstablishmentReport> report);
    void deliver(State state);

    NWEndpoint endpoint_;
    NWParameters parameters_;
    mutable std::mutex mutex_;
    std::function<void(State)> stateUpdateHandler_;
    DispatchQueue* queue_ = nullptr;
    State state_ = State::setup;
    bool started_ = false;
    std::string error_;
    std::optional<EstablishmentReport> report_;
    std::shared_ptr<Attempt> attempt_;
};
