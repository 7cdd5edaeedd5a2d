# SPDX-License-Identifier: GPL-3.0-or-later
# The two commands a fresh Debian 12 machine needs: `make run` and `make test`.
BUILD_DIR ?= build
CMAKE_FLAGS ?=
JOBS ?= $(shell nproc)
# The whole suite again under AddressSanitizer and UndefinedBehaviorSanitizer, and a bounded run
# of the fuzzers (profile reader, amdgpu kernel text, drirc); `make test` runs both after the plain suite.
SANITIZE_DIR ?= build-asan
FUZZ_DIR ?= build-fuzz
FUZZ_SECONDS ?= 60
# `make fuzz-long` runs every fuzzer for FUZZ_RUNS inputs each instead of a time.
FUZZ_RUNS ?= 10000000
# The benchmarks build with release optimisation in a folder of their own; BENCH_ARGS go to the
# benchmark executable (e.g. --benchmark_filter=ReadAll).
BENCH_DIR ?= build-bench
BENCH_ARGS ?=
# The Debian package builds in a folder of its own, with prefix /usr and Debian's compiler flags.
PACKAGE_DIR ?= build-package
# WERROR=ON makes a compiler warning fail the build in every folder (plain, sanitized, fuzzers);
# off by default, so a newer compiler's new warning never keeps `make run` from starting the program.
WERROR ?= OFF

.PHONY: run run-hardware test test-sanitized fuzz fuzz-long bench package deps configure build clean

deps:
	@bash scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD_DIR) -G Ninja -DTACHYON_WERROR=$(WERROR) $(CMAKE_FLAGS) > /dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

# `make run` builds only what it starts: the program and the simulated runtime, not the tests.
run: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS) --target tachyon amdadlx64
	@bash scripts/run-tachyon.sh $(BUILD_DIR)/bin/tachyon

# The same program with the amdgpu runtime beside it: this machine's real cards. The privileged
# writer beside them makes the changes when the program does not run as root.
run-hardware: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS) --target tachyon_hardware tachyon-sysfs-writer
	@bash scripts/run-hardware.sh $(BUILD_DIR)/bin/amdgpu/tachyon

test: build
	@bash scripts/run-tests.sh $(BUILD_DIR)
	@$(MAKE) --no-print-directory test-sanitized fuzz WERROR=$(WERROR)

test-sanitized: deps
	@cmake -S . -B $(SANITIZE_DIR) -G Ninja -DTACHYON_SANITIZE=ON -DTACHYON_WERROR=$(WERROR) $(CMAKE_FLAGS) > /dev/null
	@cmake --build $(SANITIZE_DIR) -j $(JOBS)
	@bash scripts/run-tests.sh $(SANITIZE_DIR)

fuzz: deps
	@TACHYON_WERROR=$(WERROR) bash fuzz/run.sh $(FUZZ_DIR) $(FUZZ_SECONDS)

fuzz-long: deps
	@FUZZ_RUNS=$(FUZZ_RUNS) bash fuzz/run.sh $(FUZZ_DIR)

bench: deps
	@cmake -S . -B $(BENCH_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release -DTACHYON_BUILD_TESTS=OFF $(CMAKE_FLAGS) > /dev/null
	@cmake --build $(BENCH_DIR) -j $(JOBS) --target tachyon_bench
	@bash scripts/run-bench.sh $(BENCH_DIR) $(BENCH_ARGS)

package: deps
	@export DEB_BUILD_MAINT_OPTIONS=hardening=+all; \
	  cmake -S . -B $(PACKAGE_DIR) -G Ninja -DCMAKE_BUILD_TYPE=None -DCMAKE_INSTALL_PREFIX=/usr \
	  -DCMAKE_CXX_FLAGS="$$(dpkg-buildflags --get CPPFLAGS) $$(dpkg-buildflags --get CXXFLAGS)" \
	  -DCMAKE_EXE_LINKER_FLAGS="$$(dpkg-buildflags --get LDFLAGS)" \
	  -DCMAKE_SHARED_LINKER_FLAGS="$$(dpkg-buildflags --get LDFLAGS)" \
	  -DTACHYON_SYSTEMD_UNIT_DIR=/lib/systemd/system -DTACHYON_SYSTEMD_SLEEP_DIR=/lib/systemd/system-sleep \
	  -DTACHYON_BUILD_TESTS=OFF $(CMAKE_FLAGS) > /dev/null
	@cmake --build $(PACKAGE_DIR) -j $(JOBS) --target tachyon_installables
	@cd $(PACKAGE_DIR) && cpack -G DEB
	@sh tests/install/package.sh tests/install/layout.txt $(PACKAGE_DIR)

clean:
	rm -rf $(BUILD_DIR) $(SANITIZE_DIR) $(FUZZ_DIR) $(BENCH_DIR) $(PACKAGE_DIR)
