// Queries and answers of the DNS wire format as the resolver's client reads them.

#include "platform/Network/DnsMessage.h"

#include <gtest/gtest.h>

namespace {

using dns::Answer;
using dns::RecordType;

std::string word(std::uint16_t value) {
    return {static_cast<char>(value >> 8), static_cast<char>(value & 0xFF)};
}

std::string dword(std::uint32_t value) {
    return word(static_cast<std::uint16_t>(value >> 16)) + word(static_cast<std::uint16_t>(value & 0xFFFF));
}

std::string wireName(const std::string& name) {
    std::string wire;
    std::size_t start = 0;
    while (start < name.size()) {
        const std::size_t dot = std::min(name.find('.', start), name.size());
        wire += static_cast<char>(dot - start);
        wire += name.substr(start, dot - start);
        start = dot + 1;
    }
    return wire + '\0';
}

std::string record(const std::string& owner, std::uint16_t type, std::uint32_t ttl, const std::string& data) {
    return owner + word(type) + word(1) + dword(ttl) + word(static_cast<std::uint16_t>(data.size())) + data;
}

// A response to the query for `name` and `type`, with the given records.
struct Response {
    std::string name = "media.example";
    RecordType type = RecordType::a;
    std::uint16_t flags = 0x8180; // response, recursion desired and available, NOERROR
    std::uint16_t id = 0;
    std::vector<std::string> answers;
    std::vector<std::string> authority;

    std::string message() const {
        std::string out = word(id) + word(flags) + word(1) +
                          word(static_cast<std::uint16_t>(answers.size())) +
                          word(static_cast<std::uint16_t>(authority.size())) + word(0);
        out += wireName(name) + word(static_cast<std::uint16_t>(type)) + word(1);
        for (const auto& part : answers) {
            out += part;
        }
        for (const auto& part : authority) {
            out += part;
        }
        return out;
    }
};

const std::string kQuestionName = "\xC0\x0C"; // a pointer to the question's name

} // namespace

TEST(DnsMessage, QueriesCarryOneQuestionInCanonicalForm) {
    const auto query = dns::makeQuery("Media.Example.", RecordType::aaaa);
    ASSERT_TRUE(query.has_value());
    EXPECT_EQ(*query, word(0) + word(0x0100) + word(1) + word(0) + word(0) + word(0) +
                          wireName("media.example") + word(28) + word(1));

    EXPECT_FALSE(dns::makeQuery("", RecordType::a));
    EXPECT_FALSE(dns::makeQuery("a..b", RecordType::a));
    EXPECT_FALSE(dns::makeQuery(std::string(64, 'a') + ".example", RecordType::a));
    EXPECT_TRUE(dns::makeQuery(std::string(63, 'a') + ".example", RecordType::a));
    std::string longest;
    while (longest.size() < 250) {
        longest += "abcdefghi.";
    }
    EXPECT_FALSE(dns::makeQuery(longest + "abcd", RecordType::a));
}

TEST(DnsMessage, AddressesComeFromTheNameAndTheAliasesItLeadsThrough) {
    Response response;
    response.answers = {record(kQuestionName, 1, 300, std::string("\x7F\x00\x00\x01", 4)),
                        record(kQuestionName, 1, 60, std::string("\x0A\x00\x00\x02", 4))};
    auto answer = dns::readAnswer(response.message(), "MEDIA.example.", RecordType::a);
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(answer->outcome, Answer::Outcome::addresses);
    ASSERT_EQ(answer->addresses.size(), 2u);
    EXPECT_EQ(answer->addresses[1].bytes[0], 10);
    EXPECT_EQ(answer->ttlSeconds, 60u) << "the shortest TTL of the records used";
    EXPECT_EQ(answer->canonicalName, "media.example");

    // media.example -> edge.cdn.example -> 2001:db8::1; an address of another owner is not taken.
    Response aliased;
    aliased.type = RecordType::aaaa;
    const std::string address(16, '\x01');
    aliased.answers = {record(kQuestionName, 5, 30, wireName("edge.cdn.example")),
                       record(wireName("other.example"), 28, 300, std::string(16, '\x02')),
                       record(wireName("edge.cdn.example"), 28, 300, address)};
    answer = dns::readAnswer(aliased.message(), "media.example", RecordType::aaaa);
    ASSERT_TRUE(answer.has_value());
    ASSERT_EQ(answer->addresses.size(), 1u);
    EXPECT_EQ(answer->addresses[0].bytes[15], 1);
    EXPECT_EQ(answer->canonicalName, "edge.cdn.example");
    EXPECT_EQ(answer->ttlSeconds, 30u);

    // An A record of the wrong length is not an address.
    Response malformed;
    malformed.answers = {record(kQuestionName, 1, 60, "\x7F\x00\x01")};
    answer = dns::readAnswer(malformed.message(), "media.example", RecordType::a);
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(answer->outcome, Answer::Outcome::noData);
}

TEST(DnsMessage, NegativeAnswersAreKeptOnlyAsLongAsTheirAuthoritySays) {
    Response missing;
    missing.flags = 0x8183; // NXDOMAIN
    const std::string soaData = wireName("ns.example") + wireName("admin.example") + dword(1) + dword(2) +
                                dword(3) + dword(4) + dword(45);
    missing.authority = {record(wireName("example"), 6, 900, soaData)};
    auto answer = dns::readAnswer(missing.message(), "media.example", RecordType::a);
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(answer->outcome, Answer::Outcome::noName);
    EXPECT_EQ(answer->ttlSeconds, 45u);

    Response empty; // NOERROR without records and without an authority: not kept
    answer = dns::readAnswer(empty.message(), "media.example", RecordType::a);
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(answer->outcome, Answer::Outcome::noData);
    EXPECT_EQ(answer->ttlSeconds, 0u);
}

TEST(DnsMessage, FailedAndUnusableAnswersAreFailuresOfTheAskedName) {
    // SERVFAIL, REFUSED and NOTAUTH, with and without records: the resolver could not answer.
    for (const std::uint16_t flags : {0x8182, 0x8185, 0x8189}) {
        Response failing;
        failing.flags = flags;
        ASSERT_EQ(failing.message().size(), 31u);
        auto answer = dns::readAnswer(failing.message(), "Media.Example.", RecordType::a);
        ASSERT_TRUE(answer.has_value()) << flags;
        EXPECT_EQ(answer->outcome, Answer::Outcome::failed) << flags;
        EXPECT_TRUE(answer->addresses.empty()) << flags;
        EXPECT_EQ(answer->canonicalName, "media.example") << flags;
        failing.answers = {record(kQuestionName, 1, 60, std::string("\x7F\x00\x00\x01", 4))};
        answer = dns::readAnswer(failing.message(), "media.example", RecordType::a);
        ASSERT_TRUE(answer.has_value()) << flags;
        EXPECT_EQ(answer->outcome, Answer::Outcome::failed) << flags;
        EXPECT_TRUE(answer->addresses.empty()) << flags;
    }

    // An alias to the root name leads nowhere, also when the answer gives the root an address.
    Response toRoot;
    toRoot.answers = {record(kQuestionName, 5, 60, std::string(1, '\0'))};
    ASSERT_EQ(toRoot.message().size(), 44u);
    auto answer = dns::readAnswer(toRoot.message(), "media.example", RecordType::a);
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(answer->outcome, Answer::Outcome::failed);
    EXPECT_EQ(answer->canonicalName, "media.example");
    toRoot.answers.push_back(record(std::string(1, '\0'), 1, 60, std::string("\x7F\x00\x00\x01", 4)));
    answer = dns::readAnswer(toRoot.message(), "media.example", RecordType::a);
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(answer->outcome, Answer::Outcome::failed);
    EXPECT_TRUE(answer->addresses.empty());
    EXPECT_EQ(answer->canonicalName, "media.example");
}

TEST(DnsMessage, RefusesWhatIsNoAnswerToTheQuestion) {
    Response response;
    response.answers = {record(kQuestionName, 1, 60, std::string("\x7F\x00\x00\x01", 4))};
    const std::string good = response.message();
    ASSERT_TRUE(dns::readAnswer(good, "media.example", RecordType::a));

    EXPECT_FALSE(dns::readAnswer(good, "other.example", RecordType::a)) << "another name";
    EXPECT_FALSE(dns::readAnswer(good, "media.example", RecordType::aaaa)) << "another type";
    EXPECT_FALSE(dns::readAnswer(good.substr(0, good.size() - 1), "media.example", RecordType::a)) << "cut";
    Response query = response;
    query.flags = 0x0100;
    EXPECT_FALSE(dns::readAnswer(query.message(), "media.example", RecordType::a)) << "not a response";
    Response otherId = response;
    otherId.id = 7;
    EXPECT_FALSE(dns::readAnswer(otherId.message(), "media.example", RecordType::a)) << "another ID";

    // Compression pointers that point at themselves or forwards never loop.
    const std::size_t answerStart = good.size() - 16;
    std::string looping = good;
    looping[answerStart] = '\xC0';
    looping[answerStart + 1] = static_cast<char>(answerStart);
    EXPECT_FALSE(dns::readAnswer(looping, "media.example", RecordType::a));
    std::string forwards = good;
    forwards[answerStart + 1] = static_cast<char>(answerStart + 4);
    EXPECT_FALSE(dns::readAnswer(forwards, "media.example", RecordType::a));

    // An alias chain longer than any resolver gives is no answer.
    Response chain;
    std::string owner = kQuestionName;
    for (int i = 0; i < 10; ++i) {
        const std::string next = "a" + std::to_string(i) + ".example";
        chain.answers.push_back(record(owner, 5, 60, wireName(next)));
        owner = wireName(next);
    }
    chain.answers.push_back(record(owner, 1, 60, std::string("\x7F\x00\x00\x01", 4)));
    const auto answer = dns::readAnswer(chain.message(), "media.example", RecordType::a);
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(answer->outcome, Answer::Outcome::failed);
    EXPECT_TRUE(answer->addresses.empty());
    EXPECT_EQ(answer->canonicalName, "media.example");
}
