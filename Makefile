# Entry points: run the finder, run the tests, run the demo lab.
SHELL := /bin/bash
BUILD      ?= build
TEST_BUILD ?= build-test
ASAN_BUILD ?= build-asan
TSAN_BUILD ?= build-tsan
BENCH_BUILD ?= build-bench
FUZZ_BUILD ?= build-fuzz
# Seconds per fuzz target: `make fuzz`, and the short run in `make test`.
FUZZ_SECONDS      ?= 300
TEST_FUZZ_SECONDS ?= 15
JOBS       ?= $(shell nproc)
SUDO       := $(if $(filter 0,$(shell id -u)),,sudo)
FINDER     := $(BUILD)/finder/veltrin-finder
# Binds port 1010 for the finder; the only binary that carries a capability.
BIND_HELPER := $(BUILD)/libexec/veltrin-finder/veltrin-finder-bind

.PHONY: deps build run screenshot test test-debug test-asan test-tsan test-fuzz fuzz fuzz-build demo clean package bench test-systemd

# Each entry point installs only what it needs: scripts/install-deps.sh GROUP.
deps:
	@bash scripts/install-deps.sh run

build: deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DVELTRIN_TOOLS=OFF
	cmake --build $(BUILD) -j $(JOBS)

# Port 1010 is privileged: a normal user's finder has the bind helper built
# beside it bind the port, so the helper, not the finder, gets the capability
# (and a finder given it by an older `make run` loses it).
run: build
	@if [ "$$(id -u)" -ne 0 ]; then $(SUDO) setcap cap_net_bind_service=+ep $(BIND_HELPER); fi
	@if [ -n "$$(getcap $(FINDER) 2>/dev/null)" ]; then $(SUDO) setcap -r $(FINDER); fi
	$(FINDER)

# Simulated devices in a throw-away network lab, the finder inside it on your
# display; needs root for the namespaces, and nothing is broadcast outside.
demo: build
	@bash scripts/install-deps.sh demo
	cmake -S . -B $(BUILD) -DVELTRIN_TOOLS=ON
	cmake --build $(BUILD) -j $(JOBS) --target veltrin-device-sim
	$(SUDO) env DISPLAY="$$DISPLAY" XAUTHORITY="$${XAUTHORITY:-$$HOME/.Xauthority}" \
	  bash tools/demo.sh $(FINDER) $(BUILD)/tools/device_simulator/veltrin-device-sim

# The README's picture of the window (docs/finder-window.png): the demo's
# devices in a throw-away lab, the finder on a virtual X server (root, for
# the namespaces).
screenshot: build
	@bash scripts/install-deps.sh screenshot
	cmake -S . -B $(BUILD) -DVELTRIN_TOOLS=ON
	cmake --build $(BUILD) -j $(JOBS) --target veltrin-device-sim
	$(SUDO) bash tools/readme_screenshot.sh $(FINDER) $(BUILD)/tools/device_simulator/veltrin-device-sim

# The Debian package: $(BUILD)/veltrin-finder_<version>_<arch>.deb
package: build
	@bash scripts/install-deps.sh package
	cd $(BUILD) && cpack -G DEB

# The scheduled scan under a real systemd, in a Debian root of each of
# SYSTEMD_RELEASES booted by systemd-nspawn in a throw-away lab: the package
# installed, its sandbox checked, its timer run (root; two minutes a release,
# more the first time, when debootstrap makes the roots; not in `make test`).
SYSTEMD_RELEASES ?= bookworm trixie
test-systemd: deps
	@bash scripts/install-deps.sh systemd
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DVELTRIN_TOOLS=ON
	cmake --build $(BUILD) -j $(JOBS)
	cd $(BUILD) && cpack -G DEB
	$(SUDO) bash tests/packaging/test_scan_under_systemd.sh $(BUILD) $(SYSTEMD_RELEASES)

# The benchmark: a Release build of its own in a throw-away network lab
# (root, for the namespaces and net.core.rmem_max); prints one table, exits
# non-zero when a target is missed. Then the plan reader's peak memory on
# hostile and large plans (bench/plan_memory.sh).
bench: deps
	@bash scripts/install-deps.sh bench
	cmake -S . -B $(BENCH_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DVELTRIN_BENCH=ON
	cmake --build $(BENCH_BUILD) -j $(JOBS) --target veltrin-bench veltrin-finder-cli
	$(SUDO) bash bench/run.sh $(BENCH_BUILD)
	$(SUDO) bash bench/plan_memory.sh $(BENCH_BUILD)/finder/veltrin-finder-cli

test:
	@bash scripts/install-deps.sh test
	$(MAKE) test-debug test-asan test-tsan test-fuzz

test-debug:
	cmake -S . -B $(TEST_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=ON
	cmake --build $(TEST_BUILD) -j $(JOBS)
	cd $(TEST_BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

test-asan:
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DBUILD_TESTING=ON \
	  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DVELTRIN_SANITIZE=ON
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ctest --output-on-failure -j $(JOBS)

# The tests that cross the endpoint's reader thread, under ThreadSanitizer.
TSAN_TESTS := test_discovery_endpoint test_finder_controller test_malformed_datagrams test_finder_window
test-tsan:
	cmake -S . -B $(TSAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DBUILD_TESTING=ON \
	  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DVELTRIN_SANITIZE_THREAD=ON
	cmake --build $(TSAN_BUILD) -j $(JOBS) --target $(TSAN_TESTS)
	cd $(TSAN_BUILD) && QT_QPA_PLATFORM=offscreen TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1:suppressions=$(CURDIR)/tests/tsan.supp \
	  ctest --output-on-failure -j $(JOBS) -R '^($(subst $(eval) ,|,$(TSAN_TESTS)))$$'

# libFuzzer targets (clang): fuzz/run.sh runs each for the given seconds.
fuzz-build:
	@bash scripts/install-deps.sh fuzz
	cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF \
	  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DVELTRIN_FUZZ=ON
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target veltrin_fuzz_targets

fuzz: fuzz-build
	bash fuzz/run.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

test-fuzz: fuzz-build
	bash fuzz/run.sh $(FUZZ_BUILD) $(TEST_FUZZ_SECONDS)

clean:
	rm -rf $(BUILD) $(TEST_BUILD) $(ASAN_BUILD) $(TSAN_BUILD) $(FUZZ_BUILD) $(BENCH_BUILD)
