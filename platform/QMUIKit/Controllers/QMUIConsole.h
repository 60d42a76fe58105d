#pragma once

// The UI kit's debug console. It is never shown in this application; the setting that
// allows it is kept so that start-up can switch it off.
class QMUIConsole {
  public:
    static QMUIConsole& appearance();

    bool canShow = true;
};
