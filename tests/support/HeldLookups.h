#pragma once

namespace testsupport {

// While one lives, the system's resolver (as the process's own name lookup hands names
// to it, see ProcessNameLookup.h) holds every lookup of a name under "held." until
// release(), then answers that the name does not exist; other names it answers as the C
// library does. One at a time.
class HeldLookups {
  public:
    HeldLookups();
    // Releases what is held, waits until those lookups have returned and puts the
    // system's resolver back.
    ~HeldLookups();
    HeldLookups(const HeldLookups&) = delete;
    HeldLookups& operator=(const HeldLookups&) = delete;

    // Waits at most `seconds` until `count` lookups are held.
    bool awaitHeld(int count, double seconds) const;
    // Lookups held now.
    int held() const;
    void release();
};

} // namespace testsupport
