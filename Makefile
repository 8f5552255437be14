# Entry points for a fresh machine: `make run` and `make test` (see README).
.POSIX:
.PHONY: all deps configure build run test package install uninstall screenshot \
	sanitize-test fuzz format format-check clean windows-deps windows \
	windows-installer windows-test

SHELL = /bin/sh
JOBS = 2
BUILD_DIR = build
ASAN_BUILD_DIR = build-asan
FUZZ_BUILD_DIR = build-fuzz
WINDOWS_BUILD_DIR = build-win32
WINDOWS_TOOLCHAIN = cmake/toolchains/i686-w64-mingw32.cmake
CMAKE_FLAGS =

# Under CI every warning is an error.
WERROR_FLAG = $$(if [ -n "$${CI:-}" ]; then echo -DQUADRIX_WERROR=ON; fi)

# Tests that need an X display get a virtual one when there is none.
TEST_DISPLAY = $$(if [ -z "$${DISPLAY:-}" ] && command -v xvfb-run >/dev/null 2>&1; \
	then echo 'xvfb-run -a -s "-screen 0 1280x1024x24"'; fi)

CTEST = ctest --output-on-failure -j $(JOBS)

all: build

deps:
	./scripts/install-deps

configure: deps
	cmake -S . -B $(BUILD_DIR) -G Ninja $(WERROR_FLAG) $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	@if [ -n "$${DISPLAY:-}" ] || [ -n "$${WAYLAND_DISPLAY:-}" ]; then \
	  exec ./$(BUILD_DIR)/bin/quadrix; \
	fi; \
	echo "No display (DISPLAY and WAYLAND_DISPLAY are unset): running the headless demonstration instead."; \
	if [ ! -x ./$(BUILD_DIR)/bin/quadrix-cli ] || [ ! -f docs/demo.qxs ]; then \
	  echo "The headless demonstration is not available in this build (needs $(BUILD_DIR)/bin/quadrix-cli and docs/demo.qxs)."; \
	  exit 0; \
	fi; \
	exec ./$(BUILD_DIR)/bin/quadrix-cli docs/demo.qxs

test: build
	cd $(BUILD_DIR) && eval "$(TEST_DISPLAY) $(CTEST)"

# The Debian package, $(BUILD_DIR)/quadrix_1.0.0.0_<architecture>.deb.
package: build
	cd $(BUILD_DIR) && cpack -G DEB

# Installs the package built by `make package` with apt-get, which also
# installs what it depends on; `make uninstall` removes it again.
install: package
	$$(if [ "$$(id -u)" -ne 0 ]; then echo sudo; fi) apt-get install -y \
	  ./$(BUILD_DIR)/quadrix_*.deb

uninstall:
	$$(if [ "$$(id -u)" -ne 0 ]; then echo sudo; fi) apt-get remove -y quadrix

# Pictures of the five pages: docs/screenshot-page0.png ... page4.png.
screenshot: build
	./scripts/screenshot.sh $(BUILD_DIR)

sanitize-test: deps
	cmake -S . -B $(ASAN_BUILD_DIR) -G Ninja -DQUADRIX_SANITIZE=ON \
	  -DQUADRIX_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug $(WERROR_FLAG) $(CMAKE_FLAGS)
	cmake --build $(ASAN_BUILD_DIR) -j $(JOBS)
	cd $(ASAN_BUILD_DIR) && \
	  export ASAN_OPTIONS="detect_leaks=1:strict_init_order=1:detect_stack_use_after_return=1" && \
	  export LSAN_OPTIONS="suppressions='$(CURDIR)/scripts/lsan.supp':print_suppressions=0" && \
	  export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" && \
	  eval "$(TEST_DISPLAY) $(CTEST)"

# Builds the libFuzzer targets of fuzz/ with clang into $(FUZZ_BUILD_DIR)/bin.
fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD_DIR) -G Ninja \
	  -DQUADRIX_FUZZ=ON -DQUADRIX_BENCH=OFF $(CMAKE_FLAGS)
	cmake --build $(FUZZ_BUILD_DIR) -j $(JOBS) --target fuzz/all

# The 32-bit Windows build in $(WINDOWS_BUILD_DIR)/bin: quadrix.exe,
# quadrix-cli.exe, basert.rtp, WebPane.rtp. The tools that run during the
# build (quadrix-image, quadrix-icon) come from the native $(BUILD_DIR).
windows-deps:
	./scripts/install-deps --windows

windows: windows-deps
	cmake -S . -B $(BUILD_DIR) -G Ninja $(WERROR_FLAG) $(CMAKE_FLAGS)
	cmake --build $(BUILD_DIR) -j $(JOBS) --target quadrix-image quadrix-icon
	cmake -S . -B $(WINDOWS_BUILD_DIR) -G Ninja \
	  --toolchain "$(CURDIR)/$(WINDOWS_TOOLCHAIN)" \
	  -DQUADRIX_HOST_TOOLS_DIR="$(CURDIR)/$(BUILD_DIR)/bin" \
	  -DQUADRIX_HOST_ICON_TOOL="$(CURDIR)/$(BUILD_DIR)/tools/quadrix-icon" \
	  $(WERROR_FLAG) $(CMAKE_FLAGS)
	cmake --build $(WINDOWS_BUILD_DIR) -j $(JOBS)

# The Windows installer and the portable zip, beside bin/:
# $(WINDOWS_BUILD_DIR)/quadrix-1.0.0.0-setup.exe and
# $(WINDOWS_BUILD_DIR)/quadrix-1.0.0.0-portable.zip.
windows-installer: windows
	packaging/windows/build-packages.sh $(WINDOWS_BUILD_DIR)/bin $(WINDOWS_BUILD_DIR)

# The Windows binaries under Wine, each test in a fresh prefix under its own
# X server: the platform layer's checks, every .qxs scenario through
# quadrix-cli.exe against the Linux quadrix-cli, the launcher against
# stand-in runtimes, and the installer's round trip.
windows-test: windows-installer
	cmake --build $(BUILD_DIR) -j $(JOBS) --target quadrix-cli basert WebPane
	tests/windows/with-wine wine $(WINDOWS_BUILD_DIR)/tests/platform_checks.exe
	tests/windows/with-wine tests/windows/cli_scenarios.sh \
	  $(BUILD_DIR)/bin/quadrix-cli $(WINDOWS_BUILD_DIR)/bin/quadrix-cli.exe
	tests/windows/with-wine tests/windows/launcher_test.sh $(WINDOWS_BUILD_DIR)
	tests/windows/with-wine tests/windows/installer_test.sh $(WINDOWS_BUILD_DIR)
	tests/windows/with-wine wine $(WINDOWS_BUILD_DIR)/tests/view_checks.exe
	tests/windows/with-wine tests/windows/window_test.sh $(WINDOWS_BUILD_DIR)/bin

format:
	git ls-files -z '*.c' '*.cc' '*.cpp' '*.h' '*.hpp' | xargs -0 -r clang-format -i

format-check:
	git ls-files -z '*.c' '*.cc' '*.cpp' '*.h' '*.hpp' | xargs -0 -r clang-format --dry-run --Werror

clean:
	rm -rf $(BUILD_DIR) $(ASAN_BUILD_DIR) $(FUZZ_BUILD_DIR) $(WINDOWS_BUILD_DIR)
