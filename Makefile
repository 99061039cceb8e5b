# Entry points: run the finder, run the tests, run the demo lab.
SHELL := /bin/bash
BUILD      ?= build
TEST_BUILD ?= build-test
ASAN_BUILD ?= build-asan
JOBS       ?= $(shell nproc)
SUDO       := $(if $(filter 0,$(shell id -u)),,sudo)
FINDER     := $(BUILD)/finder/veltrin-finder

.PHONY: deps build run test test-debug test-asan demo clean

deps:
	@bash scripts/install-deps.sh

build: deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF
	cmake --build $(BUILD) -j $(JOBS)

# Port 1010 is privileged, so a normal user's binary needs cap_net_bind_service.
run: build
	@if [ "$$(id -u)" -ne 0 ]; then $(SUDO) setcap cap_net_bind_service=+ep $(FINDER); fi
	$(FINDER)

test: deps test-debug test-asan

test-debug:
	cmake -S . -B $(TEST_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=ON
	cmake --build $(TEST_BUILD) -j $(JOBS)
	cd $(TEST_BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

test-asan:
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DBUILD_TESTING=ON \
	  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DVELTRIN_SANITIZE=ON
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ctest --output-on-failure -j $(JOBS)

clean:
	rm -rf $(BUILD) $(TEST_BUILD) $(ASAN_BUILD)
