#pragma once

// The keyboard manager the application switches on at launch. On the phone it moves text
// fields clear of the on-screen keyboard; a desktop window has no on-screen keyboard, so
// here it only keeps the setting.
class IQKeyboardManager {
  public:
    static IQKeyboardManager& shared();

    bool enable = false;

  private:
    IQKeyboardManager() = default;
};
