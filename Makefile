# make test  - install what is missing, build, run every test suite headless
# make run   - build and start the programmer
# make asan  - the same tests in an AddressSanitizer + UBSan build (build-asan/)
# make package - the Debian package build-package/ledsign-programmer_<version>_<arch>.deb,
#                built optimised and checked
# make fuzz  - every fuzz target for FUZZ_SECONDS (default 60) each, new finds kept in
#              tests/fuzz/corpus/ (libFuzzer build in build-fuzz/)
# make check - the gates of CI: formatting, a build with -Werror (build-check/), every suite
# make tidy  - clang-tidy (.clang-tidy) on src/; fails on a finding of a bugprone check
# make windows-check - every file of src/ syntax-checked for Windows with MinGW-w64

BUILD    ?= build
JOBS     ?= 2
# man-db: the packaging test reads the manual pages as a person would (man -l).
# ser2net: the network suites reach the simulated sign through a real network serial server.
# libzip-dev: the support bundle is written as a zip file.
PACKAGES := build-essential cmake ninja-build qt6-base-dev qt6-serialport-dev libzip-dev man-db ser2net
SUDO     := $(shell [ "$$(id -u)" -eq 0 ] || echo sudo)

.PHONY: all deps configure build test run asan clean format package fuzz check format-check \
        tidy windows-check

VERSION       := $(shell sed -n '/^project/s/.* VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
# cpack's DEB generator needs file(1) to find the programs for dpkg-shlibdeps.
PACKAGE_TOOLS := dpkg-dev file desktop-file-utils
FUZZ_TOOLS    := clang libfuzzer-14-dev
FUZZ_BUILD    ?= build-fuzz
FUZZ_SECONDS  ?= 60
# One folder of seeds per fuzz target.
FUZZ_TARGETS  := $(notdir $(wildcard tests/fuzz/corpus/*))
CHECK_BUILD   ?= build-check
PACKAGE_BUILD ?= build-package
TIDY_BUILD    ?= build-tidy
MINGW_CXX     := x86_64-w64-mingw32-g++-posix

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

# Its own optimised build: the development build (build/) is made for debugging and quick
# compiles, not for what technicians install.
package:
	$(MAKE) deps PACKAGES="$(PACKAGES) $(PACKAGE_TOOLS)"
	cmake -S . -B $(PACKAGE_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF
	cmake --build $(PACKAGE_BUILD) -j$(JOBS)
	cd $(PACKAGE_BUILD) && cpack -G DEB
	sh packaging/check-deb.sh $(PACKAGE_BUILD)/ledsign-programmer_$(VERSION)_$$(dpkg --print-architecture).deb $(VERSION)

fuzz:
	$(MAKE) deps PACKAGES="$(PACKAGES) $(FUZZ_TOOLS)"
	cmake -S . -B $(FUZZ_BUILD) -G Ninja -DLEDSIGN_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DLEDSIGN_UNITY=OFF
	cmake --build $(FUZZ_BUILD) -j$(JOBS) --target $(addprefix fuzz_,$(FUZZ_TARGETS))
	FUZZ_SECONDS=$(FUZZ_SECONDS) sh tests/fuzz/run-fuzz.sh $(FUZZ_BUILD) $(FUZZ_TARGETS)

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

format-check:
	$(MAKE) deps PACKAGES=clang-format
	git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror

check: format-check
	$(MAKE) deps
	cmake -S . -B $(CHECK_BUILD) -G Ninja -DLEDSIGN_WERROR=ON
	cmake --build $(CHECK_BUILD) -j$(JOBS)
	cd $(CHECK_BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j$(JOBS)

# Configured without precompiled headers or unity sources: clang-tidy reads the compile
# database, where it needs each source by itself, and GCC's precompiled headers mean nothing
# to it. Nothing is built.
tidy:
	$(MAKE) deps PACKAGES="$(PACKAGES) clang-tidy-14"
	cmake -S . -B $(TIDY_BUILD) -G Ninja -DCMAKE_DISABLE_PRECOMPILE_HEADERS=ON -DLEDSIGN_UNITY=OFF
	run-clang-tidy-14 -quiet -j$(JOBS) -p $(TIDY_BUILD) '$(CURDIR)/src/.*\.cpp$$'

windows-check:
	$(MAKE) deps PACKAGES="$(PACKAGES) g++-mingw-w64-x86-64-posix"
	sh tools/windows-check.sh $(MINGW_CXX)

clean:
	rm -rf $(BUILD) build-asan $(FUZZ_BUILD) $(CHECK_BUILD) $(TIDY_BUILD) $(PACKAGE_BUILD)
