// A report of a user action, run where nothing may escape: a view's event
// loop or window procedure. The runtime catches what the program throws;
// anything else must still not cross into the toolkit or the system, so it
// is written to standard error and dropped.
#pragma once

#include <cstdio>
#include <exception>

namespace qx::rt {

template <typename F> void guarded(const char *what, F &&action) {
  try {
    action();
  } catch (const std::exception &error) {
    std::fprintf(stderr, "quadrix: %s failed: %s\n", what, error.what());
  } catch (...) {
    std::fprintf(stderr, "quadrix: %s failed\n", what);
  }
}

} // namespace qx::rt
