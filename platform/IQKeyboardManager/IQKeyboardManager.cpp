#include "platform/IQKeyboardManager/IQKeyboardManager.h"

IQKeyboardManager& IQKeyboardManager::shared() {
    static IQKeyboardManager* manager = new IQKeyboardManager();
    return *manager;
}
