#include "platform/Network/EncryptedNameResolver.h"

#include "platform/Foundation/Log.h"
#include "platform/Network/NetworkPolicy.h"

#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <optional>

namespace EncryptedNameResolver {
namespace {

using Clock = std::chrono::steady_clock;

constexpr std::uint32_t kLongestKept = 600; // seconds an answer is kept at most
constexpr std::size_t kKeptAnswers = 512;   // answers kept at most
constexpr std::size_t kIdleChannels = 4;    // idle channels (with their connections) kept
// How long a question whose query failed is answered "failed" at once: lookups
// made meanwhile (a player's retries, the next picture) do not each wait for a resolver
// that is unreachable or slow again.
constexpr auto kFailureKept = std::chrono::seconds(5);
constexpr long kConnectTimeoutMs = 10000;
constexpr long kQueryTimeoutMs = 15000;
// How long a lookup waits for a query another lookup sends: curl ends the query within its
// timeout, and the sender then needs a moment to read and hand over the answer. Bounds the
// wait should the sender never hand it over.
constexpr auto kQueryAwaited = std::chrono::milliseconds(kQueryTimeoutMs) + std::chrono::seconds(2);
constexpr std::size_t kLargestAnswer = 65535; // a DNS message's size limit

struct SlistDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

void ensureCurl() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

std::size_t collect(char* data, std::size_t size, std::size_t count, void* context) {
    auto* body = static_cast<std::string*>(context);
    const std::size_t length = size * count;
    if (body->size() + length > kLargestAnswer) {
        return 0; // ends the transfer: no DNS message is this long
    }
    body->append(data, length);
    return length;
}

// One query in flight: its handle, what it asks and what came back.
struct Query {
    CURL* easy = nullptr;
    dns::RecordType type = dns::RecordType::a;
    std::string message;
    std::string body;
    CURLcode result = CURLE_OK;
};

// A multi handle with its two easy handles (one per record type): the connection to the
// resolver stays in it between lookups. Used by one thread at a time.
class Channel {
  public:
    explicit Channel(std::uint64_t generation) : generation_(generation) {
        ensureCurl();
        multi_ = curl_multi_init();
        for (auto*& easy : easy_) {
            easy = curl_easy_init();
        }
        for (const char* header :
             {"Content-Type: application/dns-message", "Accept: application/dns-message"}) {
            // Appending keeps the list's head; on failure the list is left as it was.
            curl_slist* extended = curl_slist_append(headers_.get(), header);
            if (extended == nullptr) {
                headers_.reset();
                break;
            }
            if (!headers_) {
                headers_.reset(extended);
            }
        }
    }
    ~Channel() {
        for (CURL* easy : easy_) {
            curl_easy_cleanup(easy);
        }
        curl_multi_cleanup(multi_);
    }
    Channel(const Channel&) = delete;
    Channel& operator=(const Channel&) = delete;

    std::uint64_t generation() const { return generation_; }
    bool usable() const {
        return multi_ != nullptr && easy_[0] != nullptr && easy_[1] != nullptr && headers_;
    }

    // Sends the queries at once and waits for all of them. False when no resolver is
    // required any more.
    bool run(std::vector<Query>& queries) {
        for (std::size_t i = 0; i < queries.size(); ++i) {
            queries[i].easy = easy_[i];
            if (!NetworkPolicy::applyToResolverQuery(queries[i].easy)) {
                return false;
            }
        }
        for (Query& query : queries) {
            curl_easy_setopt(query.easy, CURLOPT_PROTOCOLS_STR, "https");
            curl_easy_setopt(query.easy, CURLOPT_HTTPHEADER, headers_.get());
            curl_easy_setopt(query.easy, CURLOPT_POSTFIELDS, query.message.data());
            curl_easy_setopt(query.easy, CURLOPT_POSTFIELDSIZE, static_cast<long>(query.message.size()));
            curl_easy_setopt(query.easy, CURLOPT_WRITEFUNCTION, collect);
            curl_easy_setopt(query.easy, CURLOPT_WRITEDATA, &query.body);
            curl_easy_setopt(query.easy, CURLOPT_NOSIGNAL, 1L);
            // A query that ends (past its time) while the system still looks the
            // resolver's name up leaves that lookup's thread to finish on its own: the
            // lookup that sent it returns at the query's time, not when a slow system
            // resolver does.
            curl_easy_setopt(query.easy, CURLOPT_QUICK_EXIT, 1L);
            curl_easy_setopt(query.easy, CURLOPT_CONNECTTIMEOUT_MS, kConnectTimeoutMs);
            curl_easy_setopt(query.easy, CURLOPT_TIMEOUT_MS, kQueryTimeoutMs);
            curl_easy_setopt(query.easy, CURLOPT_PRIVATE, &query);
            curl_multi_add_handle(multi_, query.easy);
        }
        int running = 0;
        do {
            if (curl_multi_perform(multi_, &running) != CURLM_OK) {
                break;
            }
            if (running > 0) {
                curl_multi_poll(multi_, nullptr, 0, 1000, nullptr);
            }
        } while (running > 0);
        int left = 0;
        while (CURLMsg* message = curl_multi_info_read(multi_, &left)) {
            if (message->msg == CURLMSG_DONE) {
                Query* query = nullptr;
                curl_easy_getinfo(message->easy_handle, CURLINFO_PRIVATE, &query);
                if (query != nullptr) {
                    query->result = message->data.result;
                }
            }
        }
        for (Query& query : queries) {
            curl_multi_remove_handle(multi_, query.easy);
        }
        return true;
    }

  private:
    std::uint64_t generation_;
    CURLM* multi_ = nullptr;
    CURL* easy_[2] = {nullptr, nullptr};
    std::unique_ptr<curl_slist, SlistDeleter> headers_;
};

struct KeptAnswer {
    dns::Answer answer;
    Clock::time_point expiry;
};

using Question = std::pair<std::string, dns::RecordType>;

// A query that one lookup is sending: the lookups that want its answer meanwhile wait for
// it rather than ask again, until it is settled or `due`.
struct PendingQuery {
    Clock::time_point due;
    bool settled = false;
    bool noResolver = false;           // the resolver was no longer required
    std::optional<dns::Answer> answer; // nothing: the query failed
};

struct State {
    std::mutex mutex;
    std::condition_variable querySettled;
    std::uint64_t generation = 0;
    std::map<Question, KeptAnswer> answers;
    // Until when a question whose query failed is answered "failed" without asking.
    std::map<Question, Clock::time_point> failures;
    std::map<Question, std::shared_ptr<PendingQuery>> inFlight;
    std::vector<std::unique_ptr<Channel>> idle;

    // Forgets what an earlier resolver answered. Called with the mutex held. Lookups that
    // wait for a query sent to it still get its outcome.
    void follow(std::uint64_t current) {
        if (current != generation) {
            generation = current;
            answers.clear();
            failures.clear();
            inFlight.clear();
            idle.clear();
        }
    }
};

// Lives for the process: lookups may run on other threads while the process ends.
State& state() {
    static auto* instance = new State;
    return *instance;
}

std::unique_ptr<Channel> takeChannel(std::uint64_t generation) {
    auto& shared = state();
    {
        std::lock_guard lock(shared.mutex);
        shared.follow(generation);
        if (!shared.idle.empty()) {
            auto channel = std::move(shared.idle.back());
            shared.idle.pop_back();
            return channel;
        }
    }
    return std::make_unique<Channel>(generation);
}

void returnChannel(std::unique_ptr<Channel> channel) {
    auto& shared = state();
    std::lock_guard lock(shared.mutex);
    if (channel->generation() == shared.generation && shared.idle.size() < kIdleChannels) {
        shared.idle.push_back(std::move(channel));
    }
}

std::string describe(const Query& query) {
    long status = 0;
    curl_easy_getinfo(query.easy, CURLINFO_RESPONSE_CODE, &status);
    if (query.result != CURLE_OK) {
        return curl_easy_strerror(query.result);
    }
    if (status != 200) {
        return "the resolver answered HTTP " + std::to_string(status);
    }
    return "the resolver's answer is no DNS message for the question";
}

// What the queries of one lookup came to, in their order.
struct Replies {
    bool noResolver = false;
    std::vector<std::optional<dns::Answer>> answers; // nothing for a failed query
};

// Sends the queries for `name` to the resolver of `generation` and reads the answers; a
// failed or unusable one is logged and given as nothing.
Replies ask(std::vector<Query>& queries, const std::string& name, std::uint64_t generation) {
    Replies replies;
    replies.answers.resize(queries.size());
    auto channel = takeChannel(generation);
    if (!channel->usable()) {
        return replies;
    }
    if (!channel->run(queries)) {
        replies.noResolver = true;
        return replies;
    }
    for (std::size_t i = 0; i < queries.size(); ++i) {
        const Query& query = queries[i];
        long status = 0;
        curl_easy_getinfo(query.easy, CURLINFO_RESPONSE_CODE, &status);
        auto answer = query.result == CURLE_OK && status == 200
                          ? dns::readAnswer(query.body, name, query.type)
                          : std::nullopt;
        if (!answer || answer->outcome == dns::Answer::Outcome::failed) {
            consoleLog(NetworkPolicy::resolutionFailureHint(name) + ": " +
                       (answer ? std::string("the resolver failed to answer") : describe(query)));
            continue;
        }
        replies.answers[i] = std::move(answer);
    }
    returnChannel(std::move(channel));
    return replies;
}

// Hands what a query came to over to the lookups that wait for it; the next ones ask
// again. Called with the mutex held.
void handOver(State& shared, const Question& question, PendingQuery& pending,
              std::optional<dns::Answer> answer, bool noResolver) noexcept {
    const auto registered = shared.inFlight.find(question);
    if (registered != shared.inFlight.end() && registered->second.get() == &pending) {
        shared.inFlight.erase(registered);
    }
    pending.answer = std::move(answer);
    pending.noResolver = noResolver;
    pending.settled = true;
    shared.querySettled.notify_all();
}

// Hands what a query came to over to the lookups that wait for it, and keeps it for the
// next ones: an answer as long as its TTL allows, a failure for kFailureKept.
void settle(const Question& question, PendingQuery& pending, std::optional<dns::Answer> answer,
            bool noResolver, std::uint64_t generation) {
    auto& shared = state();
    std::lock_guard lock(shared.mutex);
    if (shared.generation == generation) {
        const auto now = Clock::now();
        const std::uint32_t keep = answer ? std::min(answer->ttlSeconds, kLongestKept) : 0;
        if (keep > 0) {
            if (shared.answers.size() >= kKeptAnswers) {
                shared.answers.clear();
            }
            shared.answers[question] = KeptAnswer{*answer, now + std::chrono::seconds(keep)};
        } else if (!answer && !noResolver) {
            if (shared.failures.size() >= kKeptAnswers) {
                shared.failures.clear();
            }
            shared.failures[question] = now + kFailureKept;
        }
    }
    handOver(shared, question, pending, std::move(answer), noResolver);
}

// The queries one lookup sends, each with the entry other lookups wait on. Whichever way
// the lookup leaves (an exception on the way included), the entries it did not settle
// are settled as failed, so that no lookup waits on them and the next ones ask again.
class SentQueries {
  public:
    SentQueries() = default;
    SentQueries(const SentQueries&) = delete;
    SentQueries& operator=(const SentQueries&) = delete;
    ~SentQueries() {
        if (entries_.empty()) {
            return;
        }
        auto& shared = state();
        std::lock_guard lock(shared.mutex);
        for (auto& [question, pending] : entries_) {
            if (!pending->settled) {
                handOver(shared, question, *pending, std::nullopt, false);
            }
        }
    }

    // Registers a query for `question` that other lookups wait on. Called with the mutex held.
    void add(State& shared, Question question, Clock::time_point now) {
        auto pending = std::make_shared<PendingQuery>();
        pending->due = now + kQueryAwaited;
        entries_.emplace_back(std::move(question), pending);
        shared.inFlight[entries_.back().first] = std::move(pending);
    }
    PendingQuery& operator[](std::size_t index) { return *entries_[index].second; }

  private:
    std::vector<std::pair<Question, std::shared_ptr<PendingQuery>>> entries_;
};

} // namespace

Lookup resolve(const std::string& name, bool ipv4, bool ipv6) {
    Lookup lookup;
    lookup.canonicalName = dns::canonicalForm(name);
    std::vector<dns::RecordType> wanted;
    if (ipv4) {
        wanted.push_back(dns::RecordType::a);
    }
    if (ipv6) {
        wanted.push_back(dns::RecordType::aaaa);
    }
    if (!dns::makeQuery(lookup.canonicalName, dns::RecordType::a)) {
        lookup.outcome = Lookup::Outcome::noName;
        return lookup;
    }
    const std::uint64_t generation = NetworkPolicy::resolverGeneration();
    std::map<dns::RecordType, dns::Answer> answers;
    // The queries this lookup sends.
    std::vector<Query> queries;
    SentQueries sent;
    // Queries other lookups are sending.
    std::vector<std::pair<dns::RecordType, std::shared_ptr<PendingQuery>>> awaited;
    auto& shared = state();
    {
        std::lock_guard lock(shared.mutex);
        shared.follow(generation);
        const auto now = Clock::now();
        for (const auto type : wanted) {
            const Question question{lookup.canonicalName, type};
            const auto kept = shared.answers.find(question);
            if (kept != shared.answers.end() && kept->second.expiry > now) {
                answers[type] = kept->second.answer;
                continue;
            }
            const auto failure = shared.failures.find(question);
            if (failure != shared.failures.end() && failure->second > now) {
                continue; // failed a moment ago: failed again at once
            }
            // A query past its time whose sender never settled it is asked again.
            if (const auto pending = shared.inFlight.find(question);
                pending != shared.inFlight.end() && pending->second->due > now) {
                awaited.emplace_back(type, pending->second);
                continue;
            }
            sent.add(shared, question, now);
            queries.push_back(
                Query{nullptr, type, *dns::makeQuery(lookup.canonicalName, type), {}, CURLE_OK});
        }
    }

    bool noResolver = false;
    if (!queries.empty()) {
        Replies replies = ask(queries, lookup.canonicalName, generation);
        noResolver = replies.noResolver;
        for (std::size_t i = 0; i < queries.size(); ++i) {
            if (replies.answers[i]) {
                answers[queries[i].type] = *replies.answers[i];
            }
            settle({lookup.canonicalName, queries[i].type}, sent[i], std::move(replies.answers[i]),
                   replies.noResolver, generation);
        }
    }
    if (!awaited.empty()) {
        std::unique_lock lock(shared.mutex);
        for (const auto& [type, entry] : awaited) {
            const PendingQuery& pending = *entry;
            // A query not settled by its time counts as failed.
            if (!shared.querySettled.wait_until(lock, pending.due, [&pending] { return pending.settled; })) {
                continue;
            }
            noResolver = noResolver || pending.noResolver;
            if (pending.answer) {
                answers[type] = *pending.answer;
            }
        }
    }
    if (noResolver) {
        lookup.outcome = Lookup::Outcome::noResolver;
        return lookup;
    }

    bool anyFailed = false;
    for (const auto type : wanted) {
        const auto found = answers.find(type);
        if (found == answers.end()) {
            anyFailed = true;
            continue;
        }
        const dns::Answer& answer = found->second;
        lookup.addresses.insert(lookup.addresses.end(), answer.addresses.begin(), answer.addresses.end());
        if (!answer.addresses.empty() && lookup.canonicalName == dns::canonicalForm(name)) {
            lookup.canonicalName = answer.canonicalName;
        }
    }
    if (!lookup.addresses.empty()) {
        lookup.outcome = Lookup::Outcome::addresses;
    } else {
        lookup.outcome = anyFailed ? Lookup::Outcome::failed : Lookup::Outcome::noName;
    }
    return lookup;
}

} // namespace EncryptedNameResolver
