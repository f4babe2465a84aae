# make test  - install what is missing, build, run every test suite headless
# make run   - build and start the programmer
# make asan  - the same tests in an AddressSanitizer + UBSan build (build-asan/)

BUILD    ?= build
JOBS     ?= 2
PACKAGES := build-essential cmake ninja-build qt6-base-dev qt6-serialport-dev
SUDO     := $(shell [ "$$(id -u)" -eq 0 ] || echo sudo)

.PHONY: all deps configure build test run asan clean format

all: build

deps:
	@missing=""; \
	for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "install ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  $(SUDO) apt-get update && \
	  $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends $$missing; \
	fi

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja

configure: deps $(BUILD)/build.ninja

build: configure
	cmake --build $(BUILD) -j$(JOBS)

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j$(JOBS)

run: build
	./tools/run-demo $(BUILD)

asan: deps
	cmake -S . -B build-asan -G Ninja -DENABLE_SANITIZERS=ON -DCMAKE_BUILD_TYPE=Debug
	cmake --build build-asan -j$(JOBS)
	cd build-asan && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j$(JOBS)

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD) build-asan
