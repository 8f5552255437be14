// main() of the benchmarks whose routines reach the runtime through the sdk:
// a headless runtime, bound with the program's const data for the whole run.
#include "program/const_layout.h"
#include "runtime/core/runtime.h"
#include "runtime/sdk/sdk.h"
#include "runtime/views/headless/headless_view.h"

#include <benchmark/benchmark.h>

#include <bit>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

int main(int argc, char **argv) {
  std::vector<std::uint8_t> const_data = qx::image::write_const_data();
  auto runtime = std::make_unique<qx::rt::Runtime>(
      std::make_unique<qx::views::HeadlessView>());
  QxLinkBlock link{};
  link.service_table = std::bit_cast<std::uintptr_t>(&runtime->service_table());
  link.const_data = std::bit_cast<std::uintptr_t>(const_data.data());
  link.const_size = static_cast<std::uint32_t>(const_data.size());
  if (!qx::sdk::bind(&link)) {
    std::fprintf(stderr, "%s: cannot bind the runtime\n", argv[0]);
    return 1;
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv))
    return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
