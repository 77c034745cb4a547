# Entry points for a newcomer: `make run` and `make test`. Both install missing Debian
# packages first, then configure and build into build/.
BUILD_DIR ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_FLAGS ?=

.PHONY: all deps configure build run test asan clean

all: build

deps:
	@bash scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD_DIR) $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	@bash scripts/run-viewer.sh $(BUILD_DIR)

test: build
	@cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

# The same tests with address and undefined-behaviour sanitizers, in their own build folder.
asan:
	@$(MAKE) --no-print-directory test BUILD_DIR=build-asan CMAKE_FLAGS="-DKAVEX_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug"

clean:
	@rm -rf $(BUILD_DIR) build-asan
