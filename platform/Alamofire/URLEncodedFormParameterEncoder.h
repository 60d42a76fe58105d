#pragma once

#include "platform/Alamofire/HTTPMethod.h"

#include <map>
#include <string>
#include <string_view>

using Parameters = std::map<std::string, std::string>;

// The framework's default form encoder: parameters become "key=value" pairs joined by
// "&", in ascending byte order of their keys (the order of the map). Keys and values are
// UTF-8 and percent-escaped: every byte is written as "%XX" (upper-case hexadecimal)
// except the RFC 3986 unreserved characters A-Z a-z 0-9 "-" "." "_" "~" and the two
// characters "?" and "/", which RFC 3986 section 3.4 allows in a query and which are left
// as they are. So a space becomes "%20" (never "+"), "+" becomes "%2B", and every other
// reserved character (":#[]@!$&'()*+,;=") is escaped, so that the server decodes exactly
// the text that was signed.
//
// Where the parameters go depends on the method: in the URL's query for GET, in the body
// (as "application/x-www-form-urlencoded; charset=utf-8") for POST.
class URLEncodedFormParameterEncoder {
  public:
    enum class Destination { methodDependent, queryString, httpBody };

    static const URLEncodedFormParameterEncoder& defaultEncoder();

    explicit URLEncodedFormParameterEncoder(Destination destination = Destination::methodDependent)
        : destination_(destination) {}

    static std::string escape(std::string_view text);
    static std::string encode(const Parameters& parameters);

    bool encodesIntoQuery(HTTPMethod method) const;

    static constexpr std::string_view contentType = "application/x-www-form-urlencoded; charset=utf-8";

  private:
    Destination destination_;
};
