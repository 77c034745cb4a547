# Entry points for a newcomer: `make run` and `make test`. Both install missing Debian
# packages first, then configure and build into build/.
BUILD_DIR ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_FLAGS ?=

.PHONY: all deps configure build run test asan clean fuzz fuzz-diff bench package install

all: build

deps:
	@bash scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD_DIR) $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	@bash scripts/run-viewer.sh $(BUILD_DIR)

# After the native tests, those of the Windows tools under Wine and of the browser version, each
# when its toolchain is installed (scripts/install-deps.sh installs both); PLATFORMS=0 skips them.
PLATFORMS ?= 1
test: build
	@cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)
	@if [ "$(PLATFORMS)" = 1 ]; then \
	  if [ -x /usr/lib/wine/wine64 ] || command -v wine64 >/dev/null 2>&1; then \
	    $(MAKE) --no-print-directory windows-test; else echo "Wine is not installed: Windows tests skipped"; fi; \
	  if command -v emcc >/dev/null 2>&1; then $(MAKE) --no-print-directory web-test; \
	    else echo "emcc not found: the browser version's tests are skipped (make web installs it)"; fi; fi

# The same tests with address and undefined-behaviour sanitizers, in their own build folder.
asan:
	@$(MAKE) --no-print-directory test BUILD_DIR=build-asan PLATFORMS=0 CMAKE_FLAGS="-DKAVEX_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug"

clean:
	@rm -rf $(BUILD_DIR) build-asan build-mutants

# Coverage-guided fuzzing with clang's libFuzzer and sanitizers, in build-fuzz/.
SECONDS ?= 60
FUZZ_CORPUS ?= build-fuzz/corpus
fuzz: deps
	@CXX=clang++ cmake -S . -B build-fuzz -DKAVEX_FUZZ=ON -DKAVEX_BUILD_GUI=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	@cmake --build build-fuzz -j $(JOBS) --target kavex-fuzz kavex-fuzz-seeds
	@mkdir -p $(FUZZ_CORPUS) build-fuzz/crashes
	@build-fuzz/fuzz/kavex-fuzz-seeds build-fuzz/seeds >/dev/null
	@build-fuzz/fuzz/kavex-fuzz -max_total_time=$(SECONDS) -dict=fuzz/kavex.dict -max_len=262144 \
	  -artifact_prefix=build-fuzz/crashes/ -print_final_stats=1 $(FUZZ_CORPUS) build-fuzz/seeds fuzz/corpus tests/fuzz-regressions

# The same for the comparison of two images: each input split into two (fuzz/FuzzDiff.h), from
# pairs of seed images; what it finds goes to build-fuzz/crashes-diff/.
FUZZ_DIFF_CORPUS ?= build-fuzz/corpus-diff
fuzz-diff: deps
	@CXX=clang++ cmake -S . -B build-fuzz -DKAVEX_FUZZ=ON -DKAVEX_BUILD_GUI=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	@cmake --build build-fuzz -j $(JOBS) --target kavex-fuzz-diff kavex-fuzz-seeds
	@mkdir -p $(FUZZ_DIFF_CORPUS) build-fuzz/crashes-diff
	@build-fuzz/fuzz/kavex-fuzz-seeds build-fuzz/seeds build-fuzz/seeds-diff >/dev/null
	@build-fuzz/fuzz/kavex-fuzz-diff -max_total_time=$(SECONDS) -dict=fuzz/kavex.dict -max_len=524288 \
	  -artifact_prefix=build-fuzz/crashes-diff/ -print_final_stats=1 $(FUZZ_DIFF_CORPUS) build-fuzz/seeds-diff tests/fuzz-regressions

# Benchmarks of the model (against memcpy), of the viewer, of kavex-dump --check (against
# sha256sum) and, once make web has run, of the browser version (against native), each with its
# table.
bench: build
	@$(BUILD_DIR)/bench/kavex_core_bench --benchmark_color=false > $(BUILD_DIR)/bench-core.log 2>&1; \
	  status=$$?; sed -n '/^step/,$$p' $(BUILD_DIR)/bench-core.log; \
	  if [ -x $(BUILD_DIR)/bench/kavex_ui_bench ]; then \
	    QT_QPA_PLATFORM=offscreen $(BUILD_DIR)/bench/kavex_ui_bench > $(BUILD_DIR)/bench-ui.log 2>&1 || status=1; \
	    sed -n '/^viewer step/,/targets/p' $(BUILD_DIR)/bench-ui.log; fi; \
	  bash bench/check_bench.sh $(BUILD_DIR) || status=1; \
	  if [ -f build-web/kavex-dump.js ]; then bash bench/web_dump_bench.sh $(BUILD_DIR) build-web/kavex-dump.js || status=1; fi; \
	  if [ -f build-web/site/kavex-core.wasm ] && [ -d web/node_modules ]; then \
	    (cd web && KAVEX_BUILD=$(abspath $(BUILD_DIR)) node bench/bench.mjs) || status=1; fi; \
	  exit $$status

# A Debian package of the viewer, the tool, the sample image, the desktop entry and the manual
# pages, checked with lintian.
package: build
	@cd $(BUILD_DIR) && cpack -G DEB
	@bash scripts/lint-package.sh $(BUILD_DIR)/kavex_$$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' $(BUILD_DIR)/CMakeCache.txt)_$$(dpkg --print-architecture).deb

install: build
	@cmake --install $(BUILD_DIR)

# Line and branch coverage of the core library (src/core: model and log store) by
# the library and kavex-dump tests, in build-coverage/ (coverage.html has the detail).
.PHONY: coverage
coverage: deps
	@cmake -S . -B build-coverage -DKAVEX_COVERAGE=ON -DKAVEX_BUILD_GUI=OFF -DCMAKE_BUILD_TYPE=Debug >/dev/null
	@cmake --build build-coverage -j $(JOBS) --target kavex_tests kavex-dump kavex_samples
	@find build-coverage -name '*.gcda' -delete
	@cd build-coverage && ctest -j $(JOBS) -R '^kavex_|^[A-Za-z]+[.]' --output-on-failure > ctest.log \
	  || { cat ctest.log; exit 1; }; tail -n 3 ctest.log
	@gcovr -r . --object-directory build-coverage -f '$(CURDIR)/src/core/' \
	  --exclude-throw-branches --exclude-unreachable-branches \
	  --txt --html-details build-coverage/coverage.html --print-summary

# Mutation test of the core library, a developer tool (not part of make test or CI): applies
# each mutant of scripts/mutants.txt on its own to a copy of the sources in build-mutants/,
# rebuilds and runs the library tests, and prints "killed K of N" with the survivors.
# MUTANTS="3 7" runs only those entries of the list.
.PHONY: mutants
mutants: deps
	@python3 scripts/mutants.py --jobs $(JOBS) $(MUTANTS)

# Windows: kavex-dump.exe and kavex-diff.exe cross-compiled with MinGW-w64 into build-windows/
# (cmake/mingw-w64-x86_64.cmake), linked statically, and build-windows/kavex-windows-VERSION.zip
# with both, their manual pages as text, the sample images and a README (docs/windows.md).
# windows-test runs their tests under Wine, comparing their dumps with the native build's;
# make test runs it after the native tests when Wine is installed.
# Release: without debug information the cold build is quicker (the zip's programs are
# stripped either way).
WIN_BUILD_DIR ?= build-windows
WIN_CMAKE_FLAGS ?=
.PHONY: windows windows-test
windows: deps
	@cmake -S . -B $(WIN_BUILD_DIR) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release \
	  -DKAVEX_NATIVE_BUILD=$(abspath $(BUILD_DIR)) $(WIN_CMAKE_FLAGS) >/dev/null
	@cmake --build $(WIN_BUILD_DIR) -j $(JOBS)
	@bash scripts/package-windows.sh $(WIN_BUILD_DIR)

windows-test: build windows
	@cd $(WIN_BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

.PHONY: windows-clean
clean: windows-clean
windows-clean:
	@rm -rf $(WIN_BUILD_DIR)
# The browser version: the core compiled to WebAssembly with Debian's Emscripten, and the static
# site around it in build-web/site/ (docs/web.md). web-run serves it on http://localhost:8080/.
.PHONY: web web-run web-test
WEB_PORT ?= 8080
web: deps
	@JOBS=$(JOBS) BUILD_DIR=$(BUILD_DIR) bash scripts/build-web.sh

web-run: web
	@echo "Kavex in the browser: http://localhost:$(WEB_PORT)/ (Ctrl+C stops it)"
	@python3 scripts/web-serve.py build-web/site $(WEB_PORT)

# The binding's Node tests, the WebAssembly kavex-dump against the native one on every seed,
# corpus and regression input, and the page's tests in Chromium.
web-test: web build
	@cd web && node --test test-binding/
	@bash scripts/compare-web-dumps.sh $(BUILD_DIR)/kavex-dump build-web/kavex-dump.js
	@cd web && KAVEX_SITE=../build-web/site npx playwright test
