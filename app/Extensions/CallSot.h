#pragma once

// An object-runtime class with one operation, which answers its receiver unchanged.
class CallSot {
  public:
    CallSot& InitSot() { return *this; }
};
