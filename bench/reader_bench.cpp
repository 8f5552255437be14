// The readers of hostile input on inputs built to be slow: a registry file of
// many keys and deletions, an image with a section chain far past the cap,
// and an executable with a huge symbol table whose names never end. Each
// must stay linear in its input: well under a second per run.
#include "base/format_error.h"
#include "image/image_reader.h"
#include "platform/registry.h"
#include "program/tool/executable_image.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

void put_u16(Bytes &bytes, std::size_t at, std::uint16_t value) {
  std::memcpy(bytes.data() + at, &value, 2);
}
void put_u32(Bytes &bytes, std::size_t at, std::uint32_t value) {
  std::memcpy(bytes.data() + at, &value, 4);
}
void put_u64(Bytes &bytes, std::size_t at, std::uint64_t value) {
  std::memcpy(bytes.data() + at, &value, 8);
}

std::string base36(std::size_t value, std::size_t digits) {
  constexpr char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
  std::string text(digits, '0');
  for (std::size_t i = digits; i-- > 0; value /= 36)
    text[i] = kDigits[value % 36];
  return text;
}

// Under 1 MiB: 40,000 keys "[ab\c]" and then 130,000 deletions "[-a]" that
// match none of them (a name without its subkey separator is no parent),
// so that every deletion faces all the keys.
std::string registry_text() {
  std::string text = "Windows Registry Editor Version 5.00\n";
  for (std::size_t i = 0; i < 40'000; ++i)
    text += "[" + base36(i / 36, 2) + "\\" + base36(i % 36, 1) + "]\n";
  for (std::size_t i = 0; i < 130'000; ++i)
    text += "[-" + base36(i % 36, 1) + "]\n";
  return text;
}

void BM_RegistryDeletions(benchmark::State &state) {
  const std::string text = registry_text();
  for (auto _ : state) {
    auto parsed = qx::platform::RegistryFile::parse(text, "bench.reg");
    benchmark::DoNotOptimize(parsed);
  }
  state.counters["bytes"] = static_cast<double>(text.size());
}
BENCHMARK(BM_RegistryDeletions)->Unit(benchmark::kMillisecond);

// About 5.6 MB: a header, an empty library table and 100,000 section
// headers chained one after another, each with its own name.
Bytes long_chain_image() {
  constexpr std::size_t kSections = 100'000;
  constexpr std::uint32_t kFirst = 0x59;
  Bytes image(kFirst + kSections * 0x38, 0);
  image[0] = 'W';
  image[1] = 'J';
  put_u32(image, 0x24, kFirst);
  put_u32(image, 0x54, kFirst);
  for (std::size_t i = 0; i < kSections; ++i) {
    const std::size_t at = kFirst + i * 0x38;
    put_u32(image, at, 0x38);
    put_u32(image, at + 4,
            i + 1 == kSections ? 0xFFFFFFFF
                               : static_cast<std::uint32_t>(at + 0x38));
    const std::string name = "s" + std::to_string(i);
    std::memcpy(image.data() + at + 0x0C, name.data(), name.size());
    put_u32(image, at + 0x2C, 0xFFFFFFFF);
  }
  return image;
}

void BM_ImageLongSectionChain(benchmark::State &state) {
  const Bytes image = long_chain_image();
  for (auto _ : state) {
    try {
      qx::image::read_image(image);
    } catch (const qx::FormatError &) {
    }
  }
  state.counters["bytes"] = static_cast<double>(image.size());
}
BENCHMARK(BM_ImageLongSectionChain)->Unit(benchmark::kMillisecond);

// An ELF file of 200,000 symbols, all named by the start of a 1 MiB string
// table that holds no zero byte.
Bytes many_symbols_executable() {
  constexpr std::size_t kSymbols = 200'000;
  constexpr std::size_t kStrings = 1u << 20;
  constexpr std::size_t kSymbolsAt = 64;
  constexpr std::size_t kStringsAt = kSymbolsAt + kSymbols * 24;
  constexpr std::size_t kSectionsAt = kStringsAt + kStrings;
  Bytes file(kSectionsAt + 3 * 64, 0);
  const std::uint8_t ident[] = {0x7F, 'E', 'L', 'F', 2, 1, 1};
  std::memcpy(file.data(), ident, sizeof ident);
  put_u64(file, 0x28, kSectionsAt);
  put_u16(file, 0x3A, 64);
  put_u16(file, 0x3C, 3);
  for (std::size_t i = 0; i < kSymbols; ++i)
    put_u16(file, kSymbolsAt + i * 24 + 6, 1); // section 1
  std::memset(file.data() + kStringsAt, 'q', kStrings);
  // Section 1: the symbol table, linked to section 2, the strings.
  put_u32(file, kSectionsAt + 64 + 4, 2);
  put_u64(file, kSectionsAt + 64 + 24, kSymbolsAt);
  put_u64(file, kSectionsAt + 64 + 32, kSymbols * 24);
  put_u32(file, kSectionsAt + 64 + 40, 2);
  put_u32(file, kSectionsAt + 128 + 4, 3);
  put_u64(file, kSectionsAt + 128 + 24, kStringsAt);
  put_u64(file, kSectionsAt + 128 + 32, kStrings);
  return file;
}

void BM_ExecutableManySymbols(benchmark::State &state) {
  const Bytes file = many_symbols_executable();
  for (auto _ : state) {
    try {
      qx::image::tool::find_image(file);
    } catch (const qx::FormatError &) {
    }
  }
  state.counters["bytes"] = static_cast<double>(file.size());
}
BENCHMARK(BM_ExecutableManySymbols)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
