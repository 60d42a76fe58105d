#include "app/Network/KKriplog.h"

#include "app/Crypto/MIUAES.h"
#include "app/Helpers/KKpresentationdisease.h"
#include "app/Models/KKrearinfluence.h"
#include "app/Network/KKriplogConsole.h"
#include "app/Network/KKriplogEnvelope.h"
#include "app/Network/ServiceConfiguration.h"
#include "platform/Alamofire/Session.h"
#include "platform/Foundation/RunLoop.h"
#include "platform/Foundation/UserDefaults.h"
#include "platform/QMUIKit/QMUITips.h"

#include <simdjson.h>

#include <utility>

namespace {

constexpr const char* missingVideoMessage = "视频不存在";
// The largest decrypted payload buffer kept for the next answer.
constexpr std::size_t kKeptPayloadBufferBytes = 1 << 20;

} // namespace

bool KKriplog::isLoginNoLongerValid(std::int64_t code) {
    return code >= 70001 && code <= 79999;
}

bool KKriplog::isLocalError(const NSError& error) {
    return error.code == localErrorCode &&
           (error.domain == transportErrorDomain || error.domain == notJSONErrorDomain);
}

bool KKriplog::showsErrorItself(const NSError& error) {
    if (isLocalError(error) || error.domain.empty()) {
        return false;
    }
    return isLoginNoLongerValid(error.code) || error.domain.find(missingVideoMessage) == std::string::npos;
}

KKriplog& KKriplog::shared() {
    static KKriplog client;
    return client;
}

KKriplog& apiClient = KKriplog::shared();

void KKriplog::sendRequest(HTTPMethod method, const std::string& path, Parameters parameters,
                           Completion completion) {
    send(method, path, std::move(parameters), std::move(completion), Origin::caller);
}

void KKriplog::send(HTTPMethod method, const std::string& path, Parameters parameters, Completion completion,
                    Origin origin) {
    parameters["timestamp"] = std::to_string(static_cast<std::int64_t>(Date::timeIntervalSince1970()));
    parameters["sign"] = KKpresentationdisease::signParameters(parameters);

    HTTPHeaders headers{{"Accept", acceptHeader}};
    auto sentToken = storedToken();
    if (sentToken) {
        headers.add("Authorization", "Bearer " + *sentToken);
    }

    const auto& service = ServiceConfiguration::current();
    const std::string url = (path == secondServicePath ? service.baseURL2 : service.baseURL1) + path;
    AF().request(url, method, parameters, headers)
        ->responseSharedData(
            DispatchQueue::main(),
            [this, path, completion = std::move(completion), origin,
             sentToken = std::move(sentToken)](const std::shared_ptr<const AFDataResponse>& response) {
                if (const std::string* body = response->value()) {
                    if (auto text = KKriplogEnvelope::successPayloadText(*body)) {
                        QMUITips::hideAllTips();
                        KKriplogConsole::writeBody(response);
                        handleSuccessPayload(*text, path, completion);
                        return;
                    }
                }
                decodeResponseData(
                    *response,
                    [&](std::optional<JSON> object) {
                        handleResponse(object, path, completion, origin, sentToken);
                    },
                    [&](const AFError&) {
                        completion(std::nullopt, NSError{transportErrorDomain, localErrorCode});
                    });
            });
}

void KKriplog::handleSuccessPayload(std::string_view text, const std::string& path,
                                    const Completion& completion) {
    KKriplogConsole::write(path);
    // Decrypted before anything else runs: the text may lie in a buffer the next answer
    // reuses. The plain text is needed only until it is parsed, so one buffer serves
    // every answer (a completion that waits for another answer finds it free again).
    // Main thread only, like the client.
    static std::string plain;
    // Text that is not UTF-8 does not parse: the parse checks it once for both steps.
    MIUAES::decryptPayloadBytesInto(text, plain);
    JSON payload = JSON::parse(plain);
    if (plain.capacity() > kKeptPayloadBufferBytes) {
        std::string().swap(plain);
    }
    if (!payload.exists()) {
        // A payload that does not decrypt to JSON is a failure, not an empty success:
        // callers fall back to what they cached only on an error.
        completion(std::nullopt, NSError{notJSONErrorDomain, localErrorCode});
        return;
    }
    completion(std::move(payload), std::nullopt);
}

void KKriplog::decodeResponseData(const AFDataResponse& response,
                                  const std::function<void(std::optional<JSON>)>& success,
                                  const std::function<void(const AFError&)>& failure) {
    QMUITips::hideAllTips();
    if (const AFError* error = response.error()) {
        failure(*error);
        return;
    }
    const std::string& body = *response.value();
    if (simdjson::validate_utf8(body.data(), body.size())) {
        KKriplogConsole::write(body);
    }
    JSON parsed = JSON::parse(body);
    success(parsed.exists() ? std::optional<JSON>(std::move(parsed)) : std::nullopt);
}

void KKriplog::handleResponse(const std::optional<JSON>& object, const std::string& path,
                              const Completion& completion) {
    handleResponse(object, path, completion, Origin::caller, storedToken());
}

void KKriplog::handleResponse(const std::optional<JSON>& object, const std::string& path,
                              const Completion& completion, Origin origin,
                              const std::optional<std::string>& sentToken) {
    if (!object) {
        completion(std::nullopt, NSError{notJSONErrorDomain, localErrorCode});
        return;
    }
    const JSON& envelope = *object;
    const std::int64_t code = envelope["code"].int64Value();
    const std::string message = envelope["message"].stringValue();

    if (code == successCode) {
        // The payload text is most of the answer: it is read where it lies, not copied.
        const JSON::Storage& fields = envelope.storage();
        const auto stored = fields.find("data");
        const bool isText = stored != fields.end() && stored->is_string();
        const std::string otherText = isText ? std::string() : envelope["data"].stringValue();
        const std::string& text = isText ? stored->get_ref<const std::string&>() : otherText;
        if (text.empty()) {
            completion(envelope["data"], std::nullopt);
            return;
        }
        handleSuccessPayload(text, path, completion);
        return;
    }

    if (isLoginNoLongerValid(code)) {
        // A request sent before the stored login was replaced (by a renewal that finished
        // meanwhile, or a sign-in) was refused for the old token: the new one needs no renewal.
        if (origin == Origin::caller && storedToken() == sentToken) {
            renewLogin();
        }
        if (!message.empty()) {
            QMUITips::showError(message);
        }
    } else if (!message.empty() && message.find(missingVideoMessage) == std::string::npos) {
        QMUITips::showError(message);
    }
    completion(std::nullopt, NSError{message, code});
}

std::optional<std::string> KKriplog::storedToken() {
    auto& defaults = UserDefaults::standard();
    if (UserDefaults::changeCount() == loginChangeCount_) {
        return loginToken_;
    }
    auto text = defaults.stringForKey(KKrearinfluence::loginDefaultsKey);
    if (text != loginText_) {
        loginToken_ = text ? KKrearinfluence(JSON::parse(*text)).token : std::nullopt;
        loginText_ = std::move(text);
    }
    loginChangeCount_ = UserDefaults::changeCount();
    return loginToken_;
}

void KKriplog::renewLogin() {
    if (renewalInFlight_) {
        return;
    }
    const auto user = KKrearinfluence::storedUser();
    if (!user || !user->id) {
        return;
    }
    renewalInFlight_ = true;
    // The answer replaces the login it renewed only: a member who signed in meanwhile
    // stays signed in.
    auto renewed = UserDefaults::standard().stringForKey(KKrearinfluence::loginDefaultsKey);
    send(
        HTTPMethod::post, "api/touristLogin", {{"id", *user->id}},
        [this, renewed = std::move(renewed)](std::optional<JSON> json, std::optional<NSError> error) {
            renewalInFlight_ = false;
            if (UserDefaults::standard().stringForKey(KKrearinfluence::loginDefaultsKey) == renewed) {
                storeLoginJSON(std::move(json), std::move(error));
            }
            for (const auto& action : std::exchange(afterRenewal_, {})) {
                action();
            }
        },
        Origin::renewal);
}

void KKriplog::whenRenewalEnds(std::function<void()> action) {
    if (renewalInFlight_) {
        afterRenewal_.push_back(std::move(action));
    } else {
        action();
    }
}

void KKriplog::storeLoginJSON(std::optional<JSON> json, std::optional<NSError> error) {
    if (error || !json || json->type() != JSON::Type::dictionary) {
        return;
    }
    const std::string text = KKpresentationdisease::toJSONString(*json);
    if (!text.empty()) {
        UserDefaults::standard().setString(KKrearinfluence::loginDefaultsKey, text);
    }
}
