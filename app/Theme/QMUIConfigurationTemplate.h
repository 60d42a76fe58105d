#pragma once

#include "platform/QMUIKit/Controllers/QMUIConfiguration.h"

// The application's theme for the UI kit: its palette, bars, tables, badges and behaviour
// switches, written into the kit's shared configuration in one fixed order. The look that
// sets the application apart is in the navigation bar: a background of the page colour
// "1C1B20", a white 18-point title and the back indicator "back". The kit applies the
// template by itself when it sets up its configuration.
class QMUIConfigurationTemplate : public QMUIConfigurationTemplateProtocol {
  public:
    // On this platform the system counts as version 15.0 or later.
    QMUIConfigurationTemplate() : QMUIConfigurationTemplate(true) {}
    // `systemAtLeast15`: whether the settings of system 15.0 and later are written.
    explicit QMUIConfigurationTemplate(bool systemAtLeast15) : systemAtLeast15_(systemAtLeast15) {}

    void applyConfigurationTemplate() override;
    bool shouldApplyTemplateAutomatically() override { return true; }

  private:
    bool systemAtLeast15_;
};
