// GoogleTest's own customisation point, found ahead of the stock one when platform_tests.exe is
// built with MinGW's win32 thread model, which has no std::mutex or std::condition_variable.
// GoogleTest's Notification needs them; it serves only GoogleTest's own thread tests, so a
// plain flag polled by the waiting thread stands in.
#pragma once

#include <atomic>

#define GTEST_HAS_NOTIFICATION_ 1

namespace testing {
namespace internal {

class Notification {
  public:
    Notification() : notified_(false) {}
    Notification(const Notification &) = delete;
    Notification &operator=(const Notification &) = delete;

    void Notify() { notified_.store(true); }
    void WaitForNotification() {
        while (!notified_.load()) {
        }
    }

  private:
    std::atomic<bool> notified_;
};

} // namespace internal
} // namespace testing
