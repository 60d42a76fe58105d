#pragma once

// Empty name spaces of the application: download and watching states are spelled out
// where they are used.
class Constant {
  public:
    class downState {};
    class watchingState {};
};
