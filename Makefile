# The two set-up commands: `make demo` and `make test`. Each installs what is missing first.
PRESET ?= debug
BUILD_DIR := build/$(PRESET)

.PHONY: all deps build test demo bench package asan-test tsan-test format clean

all: build

deps:
	@scripts/install-deps

build: deps
	@cmake --preset $(PRESET) >/dev/null
	@cmake --build --preset $(PRESET)
	@ln -sf $(BUILD_DIR)/compile_commands.json compile_commands.json

test: build
	@ctest --preset $(PRESET)

demo: build
	@scripts/demo $(BUILD_DIR)

bench:
	@$(MAKE) --no-print-directory build PRESET=release
	@scripts/run-benchmarks build/release

# The Debian package of a release build, in build/release (marlo-gear_<version>_<arch>.deb).
package:
	@$(MAKE) --no-print-directory build PRESET=release
	@cd build/release && cpack -G DEB

asan-test:
	@$(MAKE) --no-print-directory test PRESET=asan

tsan-test:
	@$(MAKE) --no-print-directory test PRESET=tsan

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	@rm -rf build compile_commands.json
