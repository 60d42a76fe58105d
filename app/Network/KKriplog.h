#pragma once

#include "platform/Alamofire/DataResponse.h"
#include "platform/Alamofire/HTTPMethod.h"
#include "platform/Foundation/JSON.h"
#include "platform/Foundation/NSError.h"

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The single client of the service's HTTP API. Every request is stamped and signed,
// carries the media-type header and, for a stored user with a token, the bearer header,
// goes to the base URL its path belongs to, and answers once on the main thread with
// either a JSON value or an error (never both). Main thread only.
class KKriplog {
  public:
    using Parameters = std::map<std::string, std::string>;
    using Completion = std::function<void(std::optional<JSON>, std::optional<NSError>)>;

    static constexpr const char* acceptHeader = "application/prs.Orvex.v2+json";
    // The one path served by the second base URL.
    static constexpr const char* secondServicePath = "api/v1/video/display";
    static constexpr std::int64_t successCode = 20000;
    // The errors the client makes itself (no envelope came): their domains, with this code.
    static constexpr const char* transportErrorDomain = "网络错误";
    static constexpr const char* notJSONErrorDomain = "网络异常";
    static constexpr std::int64_t localErrorCode = 404;

    // Whether an envelope's code says the login is no longer valid (70001 to 79999).
    static bool isLoginNoLongerValid(std::int64_t code);
    // Whether the client made the error itself because no envelope came (it shows none).
    static bool isLocalError(const NSError& error);
    // Whether the client has shown the error to the person itself (a service's message),
    // so that a caller shows its own text only for the others.
    static bool showsErrorItself(const NSError& error);

    static KKriplog& shared();

    // The request builder: `path` is relative to the base URL, without a leading "/".
    void sendRequest(HTTPMethod method, const std::string& path, Parameters parameters,
                     Completion completion);

    // The response step: hides all tips, then hands a transport failure to `failure` and
    // anything that arrived to `success`, parsed as JSON (nothing when it is not JSON).
    void decodeResponseData(const AFDataResponse& response,
                            const std::function<void(std::optional<JSON>)>& success,
                            const std::function<void(const AFError&)>& failure);

    // The envelope step for the answer to a request for `path`.
    void handleResponse(const std::optional<JSON>& object, const std::string& path,
                        const Completion& completion);

    // Completion of the automatic tourist sign-in: stores the user it answered.
    void storeLoginJSON(std::optional<JSON> json, std::optional<NSError> error);
    // Whether an automatic tourist sign-in is on its way (at most one is).
    bool isRenewingLogin() const { return renewalInFlight_; }
    // Runs `action` once no automatic tourist sign-in is on its way: at once when none is,
    // else when it has answered and whatever it answered has been stored.
    void whenRenewalEnds(std::function<void()> action);

    // Endpoints.
    void getParse(const std::string& type, const std::string& url, Completion completion);
    void getAdvertInfo(const std::string& position, Completion completion);
    void touristLogin(const std::string& id, Completion completion);
    void login(const std::string& username, const std::string& password, Completion completion);
    void loginMailCode(const std::string& username, const std::string& code, Completion completion);
    void sendMail(const std::string& username, const std::string& randstr, const std::string& ticket,
                  const std::string& type, Completion completion);
    // "register" (a reserved word here).
    void register_(const std::string& username, const std::string& password, const std::string& code,
                   Completion completion);
    void forgotPwd(const std::string& username, const std::string& password, const std::string& code,
                   Completion completion);
    void setNickName(const std::string& nickName, Completion completion);
    void feedback(const std::string& type, const std::string& title, const std::string& content,
                  Completion completion);
    void indexVodList(int page, const std::string& typeId, const std::string& pageSize,
                      Completion completion);
    void indexVodRecList(int page, const std::string& typeId, const std::string& pageSize,
                         Completion completion);
    // "type_id" is sent whenever a type is given (even empty); each filter only when
    // given and not empty.
    void vodList(int page, const std::optional<std::string>& typeId, const std::string& pageSize,
                 const std::optional<std::string>& area, const std::optional<std::string>& lang,
                 const std::optional<std::string>& year, const std::optional<std::string>& class_,
                 Completion completion);
    void searchText(const std::string& keyword, Completion completion);
    void searchList(int page, const std::string& keyword, const std::string& pageSize, Completion completion);
    void themeList(int page, const std::string& pageSize, Completion completion);
    void themeInfo(int page, const std::string& topicId, const std::string& pageSize, Completion completion);
    void vodResourceList(const std::string& vodId, Completion completion);
    // "type" only when not empty.
    void getVideoInfo(const std::string& vodId, const std::string& type, Completion completion);
    void getVideoList(const std::string& vodId, const std::string& type, Completion completion);
    void collectionState(const std::string& vodId, bool state, Completion completion);
    void videoDisplay(int page, Completion completion);

  private:
    KKriplog() = default;

    // Whether an answer may start a renewal of the stored login: never the answer to a
    // renewal itself, which would renew itself without end while the service refuses it.
    enum class Origin { caller, renewal };

    void send(HTTPMethod method, const std::string& path, Parameters parameters, Completion completion,
              Origin origin);
    // `sentToken` is the bearer token the request carried (nothing when it carried none).
    void handleResponse(const std::optional<JSON>& object, const std::string& path,
                        const Completion& completion, Origin origin,
                        const std::optional<std::string>& sentToken);
    // A success answer's payload text: decrypted, parsed and handed on (the path logged).
    void handleSuccessPayload(std::string_view text, const std::string& path, const Completion& completion);
    void renewLogin();
    // The token of the stored user, parsed again only when the stored login changes.
    std::optional<std::string> storedToken();
    void fetchTypePage(const std::string& path, int page, const std::string& typeId,
                       const std::string& pageSize, Completion completion);
    void submitAccountForm(const std::string& path, const std::string& username, const std::string& password,
                           const std::string& code, Completion completion);

    bool renewalInFlight_ = false;
    std::vector<std::function<void()>> afterRenewal_;
    std::optional<std::string> loginText_;
    std::optional<std::string> loginToken_;
    // The defaults' change count when the login text was last read.
    std::optional<std::uint64_t> loginChangeCount_;
};

// The process's API client.
extern KKriplog& apiClient;
