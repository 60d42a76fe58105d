#pragma once

#include "MainController/Login/Controller/KKentrymaximumViewController.h"
#include "MainController/Login/Controller/KKmaximumdefyViewController.h"
#include "MainController/Login/View/KKfigurerip.h"
#include "tests/support/app/AppJourney.h"

#include <memory>
#include <string>

// Journeys through the accounts pages: the login container presented as its callers do,
// the form's fields filled by tapping and typing, tips read from the tip list, and the
// captcha answered either through the real web engine or, where the engine is not the
// point, through the bridge object with a ticket the service hands out.
class LoginJourneyTest : public testsupport::app::AppJourneyTest {
  protected:
    // The journeys start from no stored user: the tourist that the home page signs in at
    // load is stored, then removed.
    void SetUp() override;
    // Tests start without a display; those that need the web engine start Xvfb.
    void beforeLaunch() override;

    // Presents the login container full screen in a NavigationController from the current
    // page, as the My page and the player page do, and waits until it shows.
    std::shared_ptr<KKmaximumdefyViewController> presentLogin();
    // The form the container shows now.
    std::shared_ptr<KKentrymaximumViewController> form();
    void fill(const std::shared_ptr<UIView>& field, const std::string& text);
    void tapText(const std::string& text);
    // Whether a tip with this text is listed (tips hide themselves after a while).
    static bool tipShown(const std::string& text);
    // No loading tip is shown: every answer the pages waited for has been handled.
    static bool answered();
    // The requests the home page sends as the application launches.
    static constexpr const char* kHomeLoadPaths[] = {"api/indexLabelList", "api/indexList", "api/getNotice",
                                                     "api/touristLogin"};
    // The API client has handled the answers to all of them (it names each answer's path
    // on the console).
    bool homeLoadAnswered() const;
    std::shared_ptr<KKfigurerip> overlay();
    // Answers the captcha overlay on screen as the captcha page would.
    void answerCaptcha();
    std::size_t requestsTo(const std::string& path) const { return apiRequests(path).size(); }
    // The user stored under "login" as JSON (absent when none).
    static JSON storedLogin();
    // Registers `number` with `password` through the form (code via the bridge), from the
    // sign-in form of a presented container; ends with the container closed.
    void registerMember(const std::string& number, const std::string& password);
};
