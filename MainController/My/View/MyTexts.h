#pragma once

#include <memory>
#include <string>
#include <string_view>

class UIViewController;

// The user centre keeps several of its Chinese texts as standard Base64 of their UTF-8
// bytes. The text, or "" when the Base64 or the UTF-8 inside it is not valid.
std::string decodedText(std::string_view base64);

// Presents the login container full screen, animated, as the root of the application's
// navigation controller, from `presenter`.
void presentLoginContainer(UIViewController& presenter);
