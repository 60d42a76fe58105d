#pragma once

#include "app/Network/KKriplog.h"
#include "platform/UIKit/UIImageView.h"
#include "tests/support/app/AppJourney.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace mytest {

// A journey through the My tab, with ways to sign in as the sign-in form would (through
// the application's API client, storing the answer under "login") and a recorder in
// place of the desktop's web-address opener.
class MyJourneyBase : public testsupport::app::AppJourneyTest {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Signs in a new tourist and stores it; answers the stored JSON text.
    std::string signInTourist();
    // Registers the number as a member (captcha, SMS code, registration) and stores it.
    std::string signInMember(const std::string& number, const std::string& password = "secret123");
    // Runs `call` with a completion and waits for its answer.
    std::optional<JSON> answer(const std::function<void(KKriplog::Completion)>& call);

    // Opens the My tab and waits until its ad request has been answered.
    void openMyTab();
    // Taps the view showing `text` and lets the page that opens appear.
    void tapText(const std::string& text);
    // Goes back one page in the current navigation stack.
    void goBack();

    // Whether a tip with this text is showing.
    static bool tipShows(const std::string& text);
    // Waits until the image view shows the web image of `url`: the picture the image
    // cache holds for that address. (What a view loads is known only while it loads.)
    bool showsWebImage(const std::shared_ptr<UIImageView>& view, const std::string& url);

    // The arguments the recorder got, once per start, in order.
    std::vector<std::vector<std::string>> openerRuns() const;

    std::filesystem::path openerFolder;

  private:
    std::string savedPath_;
};

} // namespace mytest
