#pragma once

#include <cstdlib>

namespace playertest {

// Has the second engine start `program` as its helper while this lives (helpers already
// started for another program are not used).
class HelperProgram {
  public:
    explicit HelperProgram(const char* program) { ::setenv("ORVEX_PLAYBIN_HELPER", program, 1); }
    ~HelperProgram() { ::unsetenv("ORVEX_PLAYBIN_HELPER"); }
    HelperProgram(const HelperProgram&) = delete;
    HelperProgram& operator=(const HelperProgram&) = delete;
};

} // namespace playertest
