#pragma once

#include <functional>
#include <optional>
#include <string>

// The clipboard texts are copied to and pasted from. Inside the process it keeps the text
// itself; a window host connects it to the desktop's clipboard.
class UIPasteboard {
  public:
    static UIPasteboard& generalPasteboard();

    std::optional<std::string> string() const;
    void setString(const std::string& text);
    bool hasStrings() const { return string().has_value(); }

    // Installed by a window host: how to read and write the desktop's clipboard text.
    struct Backend {
        std::function<std::optional<std::string>()> read;
        std::function<void(const std::string&)> write;
    };
    void setBackend(Backend backend) { backend_ = std::move(backend); }

  private:
    std::optional<std::string> text_;
    Backend backend_;
};
