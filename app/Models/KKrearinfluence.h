#pragma once

#include "platform/Foundation/JSON.h"

#include <optional>
#include <string>

// The signed-in user. It is never kept for long: whoever needs it rebuilds it from the
// JSON text stored under the user default "login" (see storedUser()), so a change of
// that text is seen at once. Every field is absent when the JSON given was empty;
// otherwise every field holds a text (possibly "").
class KKrearinfluence {
  public:
    // The user default under which the service's user object is stored as JSON text.
    static constexpr const char* loginDefaultsKey = "login";

    explicit KKrearinfluence(const JSON& json);
    KKrearinfluence() = delete;

    // The user stored under "login": nothing when no text is stored there; a text that
    // is not JSON gives a user whose fields are all absent.
    static std::optional<KKrearinfluence> storedUser();

    std::optional<std::string> expiresIn;
    std::optional<std::string> groupId;
    std::optional<std::string> id;
    std::optional<std::string> nickName;
    std::optional<std::string> phone;
    std::optional<std::string> portrait; // avatar address
    std::optional<std::string> token;
    std::optional<std::string> tokenType;
    std::optional<std::string> username;
};
