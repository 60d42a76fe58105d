#pragma once

#include <optional>
#include <string>
#include <vector>

struct HTTPHeader {
    std::string name;
    std::string value;

    bool operator==(const HTTPHeader&) const = default;
};

// An ordered set of HTTP headers whose names compare without regard to case.
class HTTPHeaders {
  public:
    HTTPHeaders() = default;
    HTTPHeaders(std::initializer_list<HTTPHeader> headers);

    // Replaces the value of an existing header of that name, else appends.
    void add(const std::string& name, const std::string& value);
    void remove(const std::string& name);
    std::optional<std::string> value(const std::string& name) const;

    std::size_t count() const { return headers_.size(); }
    std::vector<HTTPHeader>::const_iterator begin() const { return headers_.begin(); }
    std::vector<HTTPHeader>::const_iterator end() const { return headers_.end(); }

    bool operator==(const HTTPHeaders&) const = default;

  private:
    std::vector<HTTPHeader> headers_;
};
