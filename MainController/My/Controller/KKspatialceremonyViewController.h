#pragma once

#include "app/Base/BaseViewController.h"

#include <functional>
#include <memory>

class QMUILabel;
class UIImageView;

// About: the logo and the application's version. From the tenth tap on the logo it asks
// for a service code; a right code turns on the ad flags and ends the process two
// seconds later, so that the next launch runs with them.
class KKspatialceremonyViewController : public BaseViewController {
  public:
    // Ends the process with a status; by default flushes the standard streams and exits
    // at once (the user defaults are already on disk). Tests replace it.
    static std::function<void(int status)>& processExit();

    void viewDidLoad() override;

    const std::shared_ptr<UIImageView>& logo() const { return kkconventiondisturb_; }
    const std::shared_ptr<QMUILabel>& version() const { return version_; }
    // Logo taps so far.
    long count() const { return count_; }

  private:
    void setupUI();
    void logoTap();
    void confirm(const std::string& code);

    std::shared_ptr<UIImageView> kkconventiondisturb_;
    std::shared_ptr<QMUILabel> version_;
    long count_ = 0;
};
