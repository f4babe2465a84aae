# make test  - install what is missing, build, run every test suite headless
# make run   - build and start the programmer
# make asan  - the same tests in an AddressSanitizer + UBSan build (build-asan/)
# make package - the Debian package build/ledsign-programmer_<version>_<arch>.deb, checked
# make fuzz  - every fuzz target for FUZZ_SECONDS (default 60) each, new finds kept in
#              tests/fuzz/corpus/ (libFuzzer build in build-fuzz/)

BUILD    ?= build
JOBS     ?= 2
PACKAGES := build-essential cmake ninja-build qt6-base-dev qt6-serialport-dev
SUDO     := $(shell [ "$$(id -u)" -eq 0 ] || echo sudo)

.PHONY: all deps configure build test run asan clean format package fuzz

VERSION       := $(shell sed -n '/^project/s/.* VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
# cpack's DEB generator needs file(1) to find the programs for dpkg-shlibdeps.
PACKAGE_TOOLS := dpkg-dev file desktop-file-utils
FUZZ_TOOLS    := clang libfuzzer-14-dev
FUZZ_BUILD    ?= build-fuzz
FUZZ_SECONDS  ?= 60
# One folder of seeds per fuzz target.
FUZZ_TARGETS  := $(notdir $(wildcard tests/fuzz/corpus/*))

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

package:
	$(MAKE) deps PACKAGES="$(PACKAGES) $(PACKAGE_TOOLS)"
	$(MAKE) build
	cd $(BUILD) && cpack -G DEB
	sh packaging/check-deb.sh $(BUILD)/ledsign-programmer_$(VERSION)_$$(dpkg --print-architecture).deb $(VERSION)

fuzz:
	$(MAKE) deps PACKAGES="$(PACKAGES) $(FUZZ_TOOLS)"
	cmake -S . -B $(FUZZ_BUILD) -G Ninja -DLEDSIGN_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
	cmake --build $(FUZZ_BUILD) -j$(JOBS) --target $(addprefix fuzz_,$(FUZZ_TARGETS))
	FUZZ_SECONDS=$(FUZZ_SECONDS) sh tests/fuzz/run-fuzz.sh $(FUZZ_BUILD) $(FUZZ_TARGETS)

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD) build-asan $(FUZZ_BUILD)
