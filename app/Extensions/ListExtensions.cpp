#include "app/Extensions/ListExtensions.h"

#include "platform/UIKit/UIView.h"

#include <cxxabi.h>

#include <cstdio>
#include <cstdlib>

std::string className(const std::type_info& type) {
    int status = 0;
    char* demangled = abi::__cxa_demangle(type.name(), nullptr, nullptr, &status);
    std::string name = status == 0 && demangled != nullptr ? demangled : type.name();
    std::free(demangled);
    return name;
}

void unregisteredReusableView(const std::string& message) {
    std::fprintf(stderr, "Fatal error: %s\n", message.c_str());
    std::fflush(stderr);
    std::abort();
}

void dismissKeyboard(UIViewController& controller) {
    if (auto view = controller.viewIfLoaded()) {
        view->endEditing(true);
    }
}
