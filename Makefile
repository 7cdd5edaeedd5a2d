# The two commands a fresh Debian 12 machine needs: `make run` and `make test`.
BUILD_DIR ?= build
CMAKE_FLAGS ?=
JOBS ?= $(shell nproc)
# The whole suite again under AddressSanitizer and UndefinedBehaviorSanitizer, and a bounded run
# of the fuzzers (profile reader, amdgpu kernel text); `make test` runs both after the plain suite.
SANITIZE_DIR ?= build-asan
FUZZ_DIR ?= build-fuzz
FUZZ_SECONDS ?= 60

.PHONY: run test test-sanitized fuzz deps configure build clean

deps:
	@bash scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD_DIR) -G Ninja $(CMAKE_FLAGS) > /dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	@bash scripts/run-tachyon.sh $(BUILD_DIR)/bin/tachyon

test: build
	@bash scripts/run-tests.sh $(BUILD_DIR)
	@$(MAKE) --no-print-directory test-sanitized fuzz

test-sanitized: deps
	@cmake -S . -B $(SANITIZE_DIR) -G Ninja -DTACHYON_SANITIZE=ON $(CMAKE_FLAGS) > /dev/null
	@cmake --build $(SANITIZE_DIR) -j $(JOBS)
	@bash scripts/run-tests.sh $(SANITIZE_DIR)

fuzz: deps
	@bash fuzz/run.sh $(FUZZ_DIR) $(FUZZ_SECONDS)

clean:
	rm -rf $(BUILD_DIR) $(SANITIZE_DIR) $(FUZZ_DIR)
