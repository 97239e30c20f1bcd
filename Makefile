# The README's commands. Every target first installs what is missing.
BUILD       ?= build
ASAN_BUILD  ?= build-asan
# The Windows program, cross-built with MinGW-w64 (make windows).
WINDOWS_BUILD ?= build-windows
# The Windows build's tests, cross-built and run under Wine (make test-windows).
WINDOWS_TESTS_BUILD ?= build-windows-tests
JOBS        ?= $(shell nproc)
CMAKE_FLAGS ?=
# The one version, as CMakeLists.txt's project() line gives it.
VERSION     := $(shell sed -n 's/^project.BackupTarvel VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)

.PHONY: deps build run test test-unit test-asan clean screenshots stress fuzz bench package package-check windows test-windows

deps:
	@scripts/install-deps.sh

build: deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS)
	cmake --build $(BUILD) -j $(JOBS)

run: build
	scripts/run.sh $(BUILD)

# The window and its message boxes as pictures, in docs/screenshots/.
screenshots: build
	scripts/screenshots.sh $(BUILD)
	if [ -f $(WINDOWS_BUILD)/BackupTarvel.exe ]; then scripts/screenshot_windows.sh $(WINDOWS_BUILD); fi

# Every test, then the unit tests again under ASan + UBSan.
test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)
	$(MAKE) --no-print-directory test-asan
	$(MAKE) --no-print-directory test-windows

test-asan: deps
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DBT_SANITIZE=ON -DBT_WITH_QT=OFF $(CMAKE_FLAGS)
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	ctest --test-dir $(ASAN_BUILD) --output-on-failure -j $(JOBS) -L unit

# The long reliability runs: every failure point, many kill points.
stress: build
	scripts/stress.sh $(BUILD)

# Fuzzes the registry reader for FUZZ_SECONDS (default 60).
fuzz: deps
	scripts/fuzz.sh

# Copy speed against cp and rsync in the same run; writes bench/results.md.
bench: build
	bench/run.sh $(BUILD)

# The Debian package, and the Windows zip when the Windows build has made
# build-windows/BackupTarvel.exe; both in $(BUILD)/.
package: build
	cmake --build $(BUILD) --target package
	cmake --build $(BUILD) --target windows_zip

# The package installed, started from its menu entry and removed on a fresh
# Debian 12 made with debootstrap (as root; downloads Debian's packages).
package-check: package
	scripts/package-check.sh $(BUILD)/backuptarvel_$(VERSION)_amd64.deb

# build-windows/BackupTarvel.exe: one static 64-bit Windows program.
windows: deps
	cmake -S . -B $(WINDOWS_BUILD) -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
	  -DCMAKE_BUILD_TYPE=Release -DBT_WITH_TESTS=OFF
	cmake --build $(WINDOWS_BUILD) -j $(JOBS) --target BackupTarvel

# The Windows build's tests under Wine, in one private prefix on one virtual
# screen made for the run: unit tests, the Win32 window, the real program.
test-windows: deps
	cmake -S . -B $(WINDOWS_TESTS_BUILD) -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
	  -DCMAKE_BUILD_TYPE=Release
	cmake --build $(WINDOWS_TESTS_BUILD) -j $(JOBS)
	ctest --test-dir $(WINDOWS_TESTS_BUILD) --output-on-failure -j $(JOBS)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(WINDOWS_BUILD) $(WINDOWS_TESTS_BUILD)
