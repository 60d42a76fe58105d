#include "tools/devservice/Accounts.h"

#include "platform/Foundation/AtomicFile.h"

#include <openssl/evp.h>
#include <openssl/rand.h>

#include <algorithm>

namespace devservice {
namespace {

constexpr std::int64_t kTokenLifetime = 7 * 24 * 60 * 60;
constexpr double kCodeLifetime = 5 * 60;
constexpr int kCodeAttempts = 5;
constexpr double kTicketLifetime = 10 * 60;
constexpr double kForgetEndedSessionsAfter = 30 * 24 * 60 * 60;
constexpr int kPasswordIterations = 10000;
constexpr const char* kCodeTypes[] = {"loginMailCode", "register", "forgotPwd"};

std::string randomHex(std::size_t bytes) {
    std::string raw(bytes, '\0');
    RAND_bytes(reinterpret_cast<unsigned char*>(raw.data()), static_cast<int>(bytes));
    static constexpr char digits[] = "0123456789abcdef";
    std::string hex;
    for (const unsigned char c : raw) {
        hex.push_back(digits[c >> 4]);
        hex.push_back(digits[c & 15]);
    }
    return hex;
}

std::string randomDigits(std::size_t count) {
    std::string digits;
    while (digits.size() < count) {
        unsigned char byte = 0;
        RAND_bytes(&byte, 1);
        if (byte < 250) { // no bias towards low digits
            digits.push_back(static_cast<char>('0' + byte % 10));
        }
    }
    return digits;
}

std::string passwordHash(const std::string& password, const std::string& salt) {
    unsigned char digest[32];
    PKCS5_PBKDF2_HMAC(password.data(), static_cast<int>(password.size()),
                      reinterpret_cast<const unsigned char*>(salt.data()), static_cast<int>(salt.size()),
                      kPasswordIterations, EVP_sha256(), sizeof digest, digest);
    static constexpr char digits[] = "0123456789abcdef";
    std::string hex;
    for (const unsigned char c : digest) {
        hex.push_back(digits[c >> 4]);
        hex.push_back(digits[c & 15]);
    }
    return hex;
}

bool isMobileNumber(const std::string& text) {
    if (text.size() != 11 || text[0] != '1' ||
        std::string_view("34578").find(text[1]) == std::string_view::npos) {
        return false;
    }
    return std::all_of(text.begin() + 2, text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::size_t characterCount(const std::string& utf8) {
    return static_cast<std::size_t>(
        std::count_if(utf8.begin(), utf8.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

// Trims ASCII white space and the ideographic space U+3000 from both ends.
std::string trimmed(const std::string& text) {
    static constexpr std::string_view ideographicSpace = "\xE3\x80\x80";
    std::string_view view = text;
    bool changed = true;
    while (changed) {
        changed = false;
        for (const std::string_view space :
             {std::string_view(" "), std::string_view("\t"), std::string_view("\r"), std::string_view("\n"),
              ideographicSpace}) {
            if (view.starts_with(space)) {
                view.remove_prefix(space.size());
                changed = true;
            }
            if (view.ends_with(space)) {
                view.remove_suffix(space.size());
                changed = true;
            }
        }
    }
    return std::string(view);
}

std::string lastDigits(const std::string& text, std::size_t count) {
    return text.size() <= count ? text : text.substr(text.size() - count);
}

ApiResult refusedNumber() {
    return ApiResult::failure(codes::accountRefused, "请输入正确的手机号");
}

ApiResult passwordLengthProblem(const std::string& password) {
    const std::size_t length = characterCount(password);
    if (length < 6 || length > 20) {
        return ApiResult::failure(codes::badParameter, "密码长度需为6-20位");
    }
    return ApiResult::successWithoutData();
}

} // namespace

Accounts::Accounts(std::filesystem::path stateFile, std::function<double()> now,
                   std::function<void(const std::string&, const std::string&)> announceCode)
    : stateFile_(std::move(stateFile)), now_(std::move(now)), announceCode_(std::move(announceCode)) {}

bool Accounts::load(std::string& error) {
    std::lock_guard lock(mutex_);
    if (!std::filesystem::exists(stateFile_)) {
        return true;
    }
    const auto text = readWholeFile(stateFile_);
    const Json state = text ? Json::parse(*text, nullptr, false) : Json();
    if (!state.is_object()) {
        error = stateFile_.string() + " cannot be read as the service's state";
        return false;
    }
    try {
        readState(state);
    } catch (const nlohmann::json::exception& failure) {
        error = stateFile_.string() + " holds a value of the wrong type: " + failure.what();
        users_.clear();
        sessions_.clear();
        return false;
    }
    return true;
}

void Accounts::readState(const Json& state) {
    nextId_ = state.value("next_id", nextId_);
    for (const auto& entry : state.value("users", Json::array())) {
        User user;
        user.id = entry.value("id", std::int64_t{0});
        user.member = entry.value("member", false);
        user.username = entry.value("username", "");
        user.nickName = entry.value("nick_name", "");
        user.salt = entry.value("salt", "");
        user.passwordHash = entry.value("password", "");
        user.favourites = entry.value("favourites", std::vector<std::string>());
        nextId_ = std::max(nextId_, user.id + 1);
        users_.push_back(std::move(user));
    }
    for (const auto& entry : state.value("sessions", Json::array())) {
        sessions_[entry.value("token", "")] =
            Session{entry.value("user_id", std::int64_t{0}), entry.value("expires_at", 0.0),
                    entry.value("ended", false)};
    }
    feedback_ = state.value("feedback", Json::array());
}

void Accounts::save() {
    Json users = Json::array();
    for (const auto& user : users_) {
        users.push_back({{"id", user.id},
                         {"member", user.member},
                         {"username", user.username},
                         {"nick_name", user.nickName},
                         {"salt", user.salt},
                         {"password", user.passwordHash},
                         {"favourites", user.favourites}});
    }
    Json sessions = Json::array();
    const double now = now_();
    for (const auto& [token, session] : sessions_) {
        if (session.expiresAt + kForgetEndedSessionsAfter > now) {
            sessions.push_back({{"token", token},
                                {"user_id", session.userId},
                                {"expires_at", session.expiresAt},
                                {"ended", session.ended}});
        }
    }
    const Json state = {
        {"next_id", nextId_}, {"users", users}, {"sessions", sessions}, {"feedback", feedback_}};
    writeFileAtomically(stateFile_, state.dump(1));
}

Bearer Accounts::identify(const std::string& token) const {
    if (token.empty()) {
        return {};
    }
    std::lock_guard lock(mutex_);
    const auto found = sessions_.find(token);
    if (found == sessions_.end() || found->second.ended || findUser(found->second.userId) == nullptr) {
        return {Bearer::State::unknown, 0, token};
    }
    const bool expired = found->second.expiresAt <= now_();
    return {expired ? Bearer::State::expired : Bearer::State::valid, found->second.userId, token};
}

Accounts::User* Accounts::findUser(std::int64_t id) {
    const auto found =
        std::find_if(users_.begin(), users_.end(), [id](const User& user) { return user.id == id; });
    return found == users_.end() ? nullptr : &*found;
}

const Accounts::User* Accounts::findUser(std::int64_t id) const {
    return const_cast<Accounts*>(this)->findUser(id);
}

Accounts::User* Accounts::findMember(const std::string& username) {
    const auto found = std::find_if(users_.begin(), users_.end(), [&](const User& user) {
        return user.member && user.username == username;
    });
    return found == users_.end() ? nullptr : &*found;
}

Accounts::User& Accounts::newUser(bool member) {
    User user;
    user.id = nextId_++;
    user.member = member;
    user.nickName = "游客" + lastDigits(std::to_string(user.id), 4);
    users_.push_back(std::move(user));
    return users_.back();
}

Json Accounts::userJson(const User& user, const std::string& token) const {
    const std::string phone =
        user.member ? user.username.substr(0, 3) + "****" + lastDigits(user.username, 4) : "";
    return Json{{"id", user.id},
                {"expires_in", kTokenLifetime},
                {"group_id", user.member ? "2" : "1"},
                {"nick_name", user.nickName},
                {"phone", phone},
                {"portrait", "{{origin}}/images/portrait/" + std::to_string(user.id % 8) + ".png"},
                {"token", token},
                {"token_type", "Bearer"},
                {"username", user.member ? user.username : ""}};
}

ApiResult Accounts::signIn(const User& user) {
    const std::string token = randomHex(32);
    sessions_[token] = Session{user.id, now_() + kTokenLifetime, false};
    save();
    return ApiResult::success(userJson(user, token));
}

ApiResult Accounts::touristLogin(const std::string& id, const Bearer& bearer) {
    std::lock_guard lock(mutex_);
    std::int64_t wanted = 0;
    try {
        std::size_t used = 0;
        wanted = std::stoll(id, &used);
        if (used != id.size()) {
            wanted = 0;
        }
    } catch (const std::exception&) {
        wanted = 0;
    }
    const User* user = wanted > 0 ? findUser(wanted) : nullptr;
    if (user != nullptr && user->member) {
        const auto session = sessions_.find(bearer.token);
        const bool proven =
            session != sessions_.end() && !session->second.ended && session->second.userId == user->id;
        if (!proven) {
            user = nullptr;
        }
    }
    if (user == nullptr) {
        user = &newUser(false);
    }
    return signIn(*user);
}

ApiResult Accounts::login(const std::string& username, const std::string& password) {
    std::lock_guard lock(mutex_);
    const User* user = findMember(username);
    if (user == nullptr || passwordHash(password, user->salt) != user->passwordHash) {
        return ApiResult::failure(codes::accountRefused, "账号或密码错误");
    }
    return signIn(*user);
}

bool Accounts::takeCode(const std::string& username, const std::string& type, const std::string& code) {
    const auto found = codes_.find(username + "|" + type);
    if (found == codes_.end() || found->second.expiresAt <= now_()) {
        return false;
    }
    if (found->second.code != code) {
        if (++found->second.failedAttempts >= kCodeAttempts) {
            codes_.erase(found); // no guessing: ask for a new code
        }
        return false;
    }
    codes_.erase(found);
    return true;
}

ApiResult Accounts::loginWithCode(const std::string& username, const std::string& code) {
    std::lock_guard lock(mutex_);
    const User* user = findMember(username);
    if (user == nullptr) {
        return ApiResult::failure(codes::accountRefused, "该手机号未注册");
    }
    if (!takeCode(username, "loginMailCode", code)) {
        return ApiResult::failure(codes::codeRefused, "验证码错误或已过期");
    }
    return signIn(*user);
}

ApiResult Accounts::registerMember(const std::string& username, const std::string& password,
                                   const std::string& code) {
    if (!isMobileNumber(username)) {
        return refusedNumber();
    }
    if (auto problem = passwordLengthProblem(password); !problem.succeeded()) {
        return problem;
    }
    std::lock_guard lock(mutex_);
    if (findMember(username) != nullptr) {
        return ApiResult::failure(codes::accountRefused, "该手机号已注册");
    }
    if (!takeCode(username, "register", code)) {
        return ApiResult::failure(codes::codeRefused, "验证码错误或已过期");
    }
    User& user = newUser(true);
    user.username = username;
    user.nickName = "用户" + lastDigits(username, 4);
    user.salt = randomHex(16);
    user.passwordHash = passwordHash(password, user.salt);
    return signIn(user);
}

ApiResult Accounts::resetPassword(const std::string& username, const std::string& password,
                                  const std::string& code) {
    if (auto problem = passwordLengthProblem(password); !problem.succeeded()) {
        return problem;
    }
    std::lock_guard lock(mutex_);
    User* user = findMember(username);
    if (user == nullptr) {
        return ApiResult::failure(codes::accountRefused, "该手机号未注册");
    }
    if (!takeCode(username, "forgotPwd", code)) {
        return ApiResult::failure(codes::codeRefused, "验证码错误或已过期");
    }
    user->salt = randomHex(16);
    user->passwordHash = passwordHash(password, user->salt);
    for (auto& [token, session] : sessions_) {
        if (session.userId == user->id) {
            session.ended = true; // a new password signs every device out
        }
    }
    save();
    return ApiResult::successWithoutData();
}

ApiResult Accounts::sendCode(const std::string& username, const std::string& randstr,
                             const std::string& ticket, const std::string& type) {
    if (!isMobileNumber(username)) {
        return refusedNumber();
    }
    if (std::none_of(std::begin(kCodeTypes), std::end(kCodeTypes),
                     [&](const char* known) { return type == known; })) {
        return ApiResult::failure(codes::badParameter, "验证码类型错误");
    }
    std::string code;
    {
        std::lock_guard lock(mutex_);
        const bool member = findMember(username) != nullptr;
        if (type == "register" && member) {
            return ApiResult::failure(codes::accountRefused, "该手机号已注册");
        }
        if (type != "register" && !member) {
            return ApiResult::failure(codes::accountRefused, "该手机号未注册");
        }
        const auto found = tickets_.find(ticket);
        if (found == tickets_.end() || found->second.first != randstr || found->second.second <= now_()) {
            return ApiResult::failure(codes::captchaRefused, "人机验证失败，请重试");
        }
        tickets_.erase(found);
        code = randomDigits(6);
        codes_[username + "|" + type] = PendingCode{code, now_() + kCodeLifetime};
        lastCodes_[username] = code;
    }
    if (announceCode_) {
        announceCode_(username, code);
    }
    return ApiResult::successWithoutData();
}

ApiResult Accounts::setNickName(std::int64_t userId, const std::string& nickName) {
    const std::string name = trimmed(nickName);
    if (name.empty() || characterCount(name) > 20) {
        return ApiResult::failure(codes::badParameter, "昵称长度需为1-20个字符");
    }
    std::lock_guard lock(mutex_);
    User* user = findUser(userId);
    if (user == nullptr) {
        return ApiResult::failure(codes::loginInvalid, "登录信息无效，请重新登录");
    }
    user->nickName = name;
    save();
    return ApiResult::success(Json{{"nick_name", name}});
}

ApiResult Accounts::logout(const Bearer& bearer) {
    std::lock_guard lock(mutex_);
    const auto found = sessions_.find(bearer.token);
    if (found != sessions_.end()) {
        found->second.ended = true;
        save();
    }
    return ApiResult::successWithoutData();
}

ApiResult Accounts::setFavourite(std::int64_t userId, const std::string& vodId, bool favourite) {
    std::lock_guard lock(mutex_);
    User* user = findUser(userId);
    if (user == nullptr || !user->member) {
        return ApiResult::failure(codes::loginRequired, "请先登录");
    }
    auto& list = user->favourites;
    const auto found = std::find(list.begin(), list.end(), vodId);
    if (favourite && found == list.end()) {
        list.insert(list.begin(), vodId);
    } else if (!favourite && found != list.end()) {
        list.erase(found);
    }
    save();
    return ApiResult::success(Json{{"vod_id", vodId}, {"is_collection", favourite}});
}

std::vector<std::string> Accounts::favourites(std::int64_t userId) const {
    std::lock_guard lock(mutex_);
    const User* user = findUser(userId);
    return user == nullptr ? std::vector<std::string>() : user->favourites;
}

bool Accounts::isFavourite(std::int64_t userId, const std::string& vodId) const {
    const auto list = favourites(userId);
    return std::find(list.begin(), list.end(), vodId) != list.end();
}

bool Accounts::isMember(std::int64_t userId) const {
    std::lock_guard lock(mutex_);
    const User* user = findUser(userId);
    return user != nullptr && user->member;
}

ApiResult Accounts::addFeedback(std::int64_t userId, const std::string& type, const std::string& title,
                                const std::string& content) {
    const std::string cleanTitle = trimmed(title);
    const std::string cleanContent = trimmed(content);
    if (trimmed(type).empty() || cleanTitle.empty() || cleanContent.empty()) {
        return ApiResult::failure(codes::badParameter, "请填写反馈类型、标题和内容");
    }
    if (characterCount(cleanTitle) > 50 || characterCount(cleanContent) > 200) {
        return ApiResult::failure(codes::badParameter, "标题不能超过50字，内容不能超过200字");
    }
    std::lock_guard lock(mutex_);
    feedback_.push_back({{"id", feedback_.size() + 1},
                         {"user_id", userId},
                         {"type", type},
                         {"title", cleanTitle},
                         {"content", cleanContent},
                         {"time", static_cast<std::int64_t>(now_())}});
    save();
    return ApiResult::success(Json{{"id", feedback_.size()}});
}

CaptchaTicket Accounts::issueCaptcha() {
    CaptchaTicket ticket{"t" + randomHex(16), "@" + randomHex(4)};
    std::lock_guard lock(mutex_);
    const double now = now_();
    std::erase_if(tickets_, [now](const auto& entry) { return entry.second.second <= now; });
    tickets_[ticket.ticket] = {ticket.randstr, now + kTicketLifetime};
    return ticket;
}

void Accounts::expireToken(const std::string& token) {
    std::lock_guard lock(mutex_);
    const auto found = sessions_.find(token);
    if (found != sessions_.end()) {
        found->second.expiresAt = std::min(found->second.expiresAt, now_() - 1);
        save();
    }
}

std::optional<std::string> Accounts::lastCode(const std::string& number) const {
    std::lock_guard lock(mutex_);
    const auto found = lastCodes_.find(number);
    return found == lastCodes_.end() ? std::nullopt : std::optional<std::string>(found->second);
}

} // namespace devservice
