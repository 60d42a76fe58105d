#include "MainController/My/View/MyTexts.h"

#include "MainController/Login/Controller/KKmaximumdefyViewController.h"
#include "app/Base/NavigationController.h"
#include "app/Crypto/MIUGTMBase64.h"

std::string decodedText(std::string_view base64) {
    return MIUGTMBase64::decodeBase64String(std::string(base64)).value_or("");
}

void presentLoginContainer(UIViewController& presenter) {
    auto navigation = std::make_shared<NavigationController>(std::make_shared<KKmaximumdefyViewController>());
    navigation->setModalPresentationStyle(UIModalPresentationStyle::fullScreen);
    presenter.presentViewController(navigation, true);
}
