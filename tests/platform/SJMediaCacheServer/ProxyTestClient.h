#pragma once

#include <map>
#include <string>
#include <vector>

namespace proxytest {

struct Response {
    long status = 0;
    std::map<std::string, std::string> headers; // names in lower case
    std::string body;
    long newConnections = 0;
    bool transportFailed = false;
};

// One request with libcurl (a real client). `headers` are "Name: value" lines.
Response get(const std::string& url, const std::vector<std::string>& headers = {}, bool head = false);

// Several requests over one libcurl handle (connections kept alive between them).
class Session {
  public:
    Session();
    ~Session();
    Response get(const std::string& url, const std::vector<std::string>& headers = {});

  private:
    void* curl_;
};

// Sends `request` verbatim to 127.0.0.1:`port` and answers the status code of the reply
// (0 when the server closed without answering).
int rawStatus(unsigned short port, const std::string& request);

// Runs a shell command and answers its standard output; `ok` tells whether it exited 0.
std::string runCommand(const std::string& command, bool& ok);

// Packet digests of every stream that ffmpeg reads from `url` ("" when it fails).
std::string ffmpegFrameDigests(const std::string& url);

} // namespace proxytest
