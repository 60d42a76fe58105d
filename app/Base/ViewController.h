#pragma once

#include "platform/UIKit/Controllers/UIViewController.h"

// An empty page with nothing beyond the platform's controller.
class ViewController : public UIViewController {};
