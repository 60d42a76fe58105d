#pragma once

#include "tools/devservice/ApiResult.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace devservice {

using Json = nlohmann::ordered_json;

// Who a request's bearer token names.
struct Bearer {
    enum class State { none, valid, expired, unknown };
    State state = State::none;
    std::int64_t userId = 0;
    std::string token;
};

// A captcha the service handed out on its captcha page; "api/mail" takes it once.
struct CaptchaTicket {
    std::string ticket;
    std::string randstr;
};

// The service's users: tourists it issues and registered members (a mobile number and a
// password), their bearer tokens, SMS codes, captcha tickets, favourites and feedback.
// Users, tokens, favourites and feedback are kept in a JSON file and survive restarts;
// codes and tickets live in memory. Thread-safe.
class Accounts {
  public:
    // `now` gives seconds since 1970; `announceCode` receives every SMS code sent.
    Accounts(std::filesystem::path stateFile, std::function<double()> now,
             std::function<void(const std::string& number, const std::string& code)> announceCode);

    // Reads the stored state; a missing file is an empty service. False with a reason
    // when the file exists but cannot be read.
    bool load(std::string& error);

    Bearer identify(const std::string& token) const;

    // "api/touristLogin": id "0" or an unknown id gives a new tourist. The id of a
    // tourist signs that tourist in again. The id of a member signs the member in again
    // only when the request carries one of that member's tokens (current or expired);
    // otherwise a new tourist is issued.
    ApiResult touristLogin(const std::string& id, const Bearer& bearer);
    ApiResult login(const std::string& username, const std::string& password);
    ApiResult loginWithCode(const std::string& username, const std::string& code);
    ApiResult registerMember(const std::string& username, const std::string& password,
                             const std::string& code);
    ApiResult resetPassword(const std::string& username, const std::string& password,
                            const std::string& code);
    ApiResult sendCode(const std::string& username, const std::string& randstr, const std::string& ticket,
                       const std::string& type);
    ApiResult setNickName(std::int64_t userId, const std::string& nickName);
    ApiResult logout(const Bearer& bearer);
    ApiResult setFavourite(std::int64_t userId, const std::string& vodId, bool favourite);
    std::vector<std::string> favourites(std::int64_t userId) const;
    bool isFavourite(std::int64_t userId, const std::string& vodId) const;
    bool isMember(std::int64_t userId) const;
    ApiResult addFeedback(std::int64_t userId, const std::string& type, const std::string& title,
                          const std::string& content);
    CaptchaTicket issueCaptcha();

    // Test hooks.
    void expireToken(const std::string& token);
    std::optional<std::string> lastCode(const std::string& number) const;

  private:
    struct User {
        std::int64_t id = 0;
        bool member = false;
        std::string username;
        std::string nickName;
        std::string salt;
        std::string passwordHash;
        std::vector<std::string> favourites;
    };
    struct Session {
        std::int64_t userId = 0;
        double expiresAt = 0;
        bool ended = false;
    };
    struct PendingCode {
        std::string code;
        double expiresAt = 0;
        int failedAttempts = 0;
    };

    void readState(const Json& state);
    User* findUser(std::int64_t id);
    const User* findUser(std::int64_t id) const;
    User* findMember(const std::string& username);
    bool takeCode(const std::string& username, const std::string& type, const std::string& code);
    ApiResult signIn(const User& user);
    Json userJson(const User& user, const std::string& token) const;
    User& newUser(bool member);
    void save();

    const std::filesystem::path stateFile_;
    const std::function<double()> now_;
    const std::function<void(const std::string&, const std::string&)> announceCode_;
    mutable std::mutex mutex_;
    std::int64_t nextId_ = 100001;
    std::vector<User> users_;
    std::map<std::string, Session> sessions_;
    Json feedback_ = Json::array();
    std::map<std::string, PendingCode> codes_; // by number + "|" + type
    std::map<std::string, std::string> lastCodes_;
    std::map<std::string, std::pair<std::string, double>> tickets_; // ticket -> (randstr, expiry)
};

} // namespace devservice
