#include "tests/MainController/My/MyJourneySupport.h"

#include "app/Constants/ModuleConstants.h"
#include "app/Helpers/KKpresentationdisease.h"
#include "app/Network/KKriplog.h"
#include "platform/Foundation/AtomicFile.h"
#include "platform/QMUIKit/QMUITips.h"
#include "platform/SDWebImage/SDImageCache.h"
#include "platform/UIKit/Controllers/UINavigationController.h"
#include "platform/UIKit/Controls/UITableViewCell.h"
#include "platform/UIKit/UIControl.h"
#include "tests/support/TestSupport.h"

#include <cstdlib>

namespace mytest {

void MyJourneyBase::SetUp() {
    // Each start of the opener appends its arguments, NUL-separated, one run a line.
    openerFolder = testsupport::freshFolder("opener");
    const auto opener = openerFolder / "xdg-open";
    ASSERT_TRUE(writeFileAtomically(opener, "#!/bin/sh\n"
                                            "printf '%s\\0' \"$@\" >> \"$(dirname \"$0\")/runs\"\n"
                                            "printf '\\n' >> \"$(dirname \"$0\")/runs\"\n"));
    std::filesystem::permissions(opener, std::filesystem::perms::owner_all);
    const char* path = std::getenv("PATH");
    savedPath_ = path != nullptr ? path : "";
    setenv("PATH", (openerFolder.string() + ":" + savedPath_).c_str(), 1);
    AppJourneyTest::SetUp();
}

void MyJourneyBase::TearDown() {
    AppJourneyTest::TearDown();
    setenv("PATH", savedPath_.c_str(), 1);
}

std::optional<JSON> MyJourneyBase::answer(const std::function<void(KKriplog::Completion)>& call) {
    bool done = false;
    std::optional<JSON> result;
    call([&](std::optional<JSON> json, std::optional<NSError>) {
        result = std::move(json);
        done = true;
    });
    EXPECT_TRUE(waitFor([&] { return done; }));
    return result;
}

std::string MyJourneyBase::signInTourist() {
    const auto user = answer([](auto completion) { apiClient.touristLogin("0", completion); });
    EXPECT_TRUE(user.has_value());
    const std::string text = KKpresentationdisease::toJSONString(user.value_or(JSON()));
    userDefaults().setString("login", text);
    return text;
}

std::string MyJourneyBase::signInMember(const std::string& number, const std::string& password) {
    const auto captcha = service().solveCaptcha();
    EXPECT_TRUE(answer([&](auto completion) {
                    apiClient.sendMail(number, captcha.randstr, captcha.ticket, "register", completion);
                }).has_value());
    const auto code = service().lastSmsCode(number);
    EXPECT_TRUE(code.has_value());
    const auto user = answer(
        [&](auto completion) { apiClient.register_(number, password, code.value_or(""), completion); });
    EXPECT_TRUE(user.has_value());
    const std::string text = KKpresentationdisease::toJSONString(user.value_or(JSON()));
    userDefaults().setString("login", text);
    return text;
}

void MyJourneyBase::openMyTab() {
    selectTab(3);
    EXPECT_TRUE(waitFor([&] { return !apiRequests("/api/getAdvertInfo").empty(); }));
    // The answer arrives on the main queue shortly after the service saw the request.
    playFrames(0.5);
    waitFor([] { return false; }, 0.3);
}

void MyJourneyBase::tapText(const std::string& text) {
    auto view = ui().findByText(text);
    ASSERT_NE(view, nullptr) << text << "\n" << ui().dumpTree(false);
    // A title inside a button or a row: the touch goes to the button or the row.
    for (auto candidate = view; candidate; candidate = candidate->superview()) {
        if (dynamic_cast<UIControl*>(candidate.get()) || dynamic_cast<UITableViewCell*>(candidate.get())) {
            view = candidate;
            break;
        }
    }
    ui().tap(view);
    playFrames(1);
}

void MyJourneyBase::goBack() {
    auto top = topPage();
    ASSERT_NE(top, nullptr);
    auto navigation = top->navigationController();
    ASSERT_NE(navigation, nullptr);
    navigation->popViewControllerAnimated(true);
    playFrames(1);
}

bool MyJourneyBase::showsWebImage(const std::shared_ptr<UIImageView>& view, const std::string& url) {
    return waitFor([&] {
        const auto image = SDImageCache::sharedImageCache().imageFromMemoryCacheForKey(url);
        return image != nullptr && view->image() == image;
    });
}

bool MyJourneyBase::tipShows(const std::string& text) {
    for (const auto& tip : QMUITips::shownTips()) {
        if (tip.text == text) {
            return true;
        }
    }
    return false;
}

std::vector<std::vector<std::string>> MyJourneyBase::openerRuns() const {
    // A run counts once its line is complete: the shell may write its arguments in
    // several pieces, and the file may be read between them.
    const std::string text = readWholeFile(openerFolder / "runs").value_or("");
    std::vector<std::vector<std::string>> runs;
    for (std::size_t lineStart = 0, lineEnd; (lineEnd = text.find('\n', lineStart)) != std::string::npos;
         lineStart = lineEnd + 1) {
        const std::string_view line(text.data() + lineStart, lineEnd - lineStart);
        std::vector<std::string> arguments;
        std::size_t start = 0;
        for (std::size_t end; (end = line.find('\0', start)) != std::string_view::npos; start = end + 1) {
            arguments.emplace_back(line.substr(start, end - start));
        }
        runs.push_back(std::move(arguments));
    }
    return runs;
}

} // namespace mytest
