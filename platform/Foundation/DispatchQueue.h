#pragma once

#include <functional>
#include <memory>

// Queues in the manner of the platform's dispatch: `main()` runs work on the main run
// loop; `global()` runs work on a small pool of background threads.
class DispatchQueue {
  public:
    using Task = std::function<void()>;

    static DispatchQueue& main();
    static DispatchQueue& global();

    virtual ~DispatchQueue() = default;
    virtual void async(Task task) = 0;
    virtual void asyncAfter(double seconds, Task task) = 0;
};
