# The README's commands. Every target first installs what is missing.
BUILD       ?= build
ASAN_BUILD  ?= build-asan
# The Windows programs, cross-built with MinGW-w64 (make windows): 64-bit
# and 32-bit.
WINDOWS_BUILD ?= build-windows
WINDOWS32_BUILD ?= build-windows32
# A packager's build: Release, as packagers and most users choose it.
RELEASE_BUILD ?= build-release
# The Windows build's tests, cross-built and run under Wine (make test-windows).
WINDOWS_TESTS_BUILD ?= build-windows-tests
WINDOWS32_TESTS_BUILD ?= build-windows32-tests
JOBS        ?= $(shell nproc)
CMAKE_FLAGS ?=
# Warnings are errors in the project's own builds, never in a packager's.
OWN_FLAGS   := -DBT_WERROR=ON
# The one version, as CMakeLists.txt's project() line gives it.
VERSION     := $(shell sed -n 's/^project.BackupTarvel VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)

.PHONY: deps build run test test-unit test-asan test-release clean screenshots stress fuzz bench package package-check windows windows64 windows32 test-windows test-windows32

deps:
	@scripts/install-deps.sh

build: deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(OWN_FLAGS) $(CMAKE_FLAGS)
	cmake --build $(BUILD) -j $(JOBS)

run: build
	scripts/run.sh $(BUILD)

# The window and its message boxes as pictures, in docs/screenshots/.
screenshots: build
	scripts/screenshots.sh $(BUILD)
	if [ -f $(WINDOWS_BUILD)/BackupTarvel.exe ]; then scripts/screenshot_windows.sh $(WINDOWS_BUILD); fi

# Every test, then the unit tests again under ASan + UBSan, a Release build,
# and both Windows builds.
test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)
	$(MAKE) --no-print-directory test-asan
	$(MAKE) --no-print-directory test-release
	$(MAKE) --no-print-directory test-windows
	$(MAKE) --no-print-directory test-windows32

test-asan: deps
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DBT_SANITIZE=ON -DBT_WITH_QT=OFF $(OWN_FLAGS) $(CMAKE_FLAGS)
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	ctest --test-dir $(ASAN_BUILD) --output-on-failure -j $(JOBS) -L unit

# The build a packager makes (Release, the compiler's full optimisation),
# with warnings as errors, so that it cannot break unseen.
test-release: deps
	cmake -S . -B $(RELEASE_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DBT_WITH_TESTS=OFF $(OWN_FLAGS) $(CMAKE_FLAGS)
	cmake --build $(RELEASE_BUILD) -j $(JOBS)

# The long reliability runs: every failure point, many kill points.
stress: build
	scripts/stress.sh $(BUILD)

# Fuzzes the registry reader for FUZZ_SECONDS (default 60).
fuzz: deps
	scripts/fuzz.sh

# Copy speed against cp and rsync in the same run; writes bench/results.md.
bench: build
	bench/run.sh $(BUILD)

# Every download the README offers, in $(BUILD)/: the Debian package and
# the two Windows zips (the Windows programs built first when missing).
package: build windows
	cmake --build $(BUILD) --target package
	cmake --build $(BUILD) --target windows_zip
	lintian --fail-on error,warning $(BUILD)/backuptarvel_$(VERSION)_amd64.deb

# The package installed, started from its menu entry and removed on a fresh
# Debian 12 made with debootstrap (as root; downloads Debian's packages).
package-check: package
	scripts/package-check.sh $(BUILD)/backuptarvel_$(VERSION)_amd64.deb

# build-windows/BackupTarvel.exe and build-windows32/BackupTarvel.exe: the
# static 64-bit and 32-bit Windows programs.
windows: windows64 windows32

windows64: deps
	cmake -S . -B $(WINDOWS_BUILD) -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
	  -DCMAKE_BUILD_TYPE=Release -DBT_WITH_TESTS=OFF $(OWN_FLAGS)
	cmake --build $(WINDOWS_BUILD) -j $(JOBS) --target BackupTarvel

windows32: deps
	cmake -S . -B $(WINDOWS32_BUILD) -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake \
	  -DCMAKE_BUILD_TYPE=Release -DBT_WITH_TESTS=OFF $(OWN_FLAGS)
	cmake --build $(WINDOWS32_BUILD) -j $(JOBS) --target BackupTarvel

# The Windows build's tests under Wine, in one private prefix on one virtual
# screen made for the run: unit tests, the Win32 window, the real program.
test-windows: deps
	cmake -S . -B $(WINDOWS_TESTS_BUILD) -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
	  -DCMAKE_BUILD_TYPE=Release $(OWN_FLAGS)
	cmake --build $(WINDOWS_TESTS_BUILD) -j $(JOBS)
	ctest --test-dir $(WINDOWS_TESTS_BUILD) --output-on-failure -j $(JOBS)

# The 32-bit Windows build as far as this machine allows: no 32-bit code runs
# here, so its program and every test program are built with warnings as
# errors (a check of the portable code's sizes on a 32-bit target), and the
# program's file is examined: x86, GUI, system DLLs and Windows 7 SP1's
# functions only, version record, icon, manifest.
test-windows32: deps
	cmake -S . -B $(WINDOWS32_TESTS_BUILD) -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake \
	  -DCMAKE_BUILD_TYPE=Release $(OWN_FLAGS)
	cmake --build $(WINDOWS32_TESTS_BUILD) -j $(JOBS)
	/usr/bin/python3 tests/win32/program_file_test.py $(WINDOWS32_TESTS_BUILD)/BackupTarvel.exe \
	  assets/backuptarvel.ico $(VERSION) x86 tests/win32/windows7_imports.txt

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(RELEASE_BUILD) $(WINDOWS_BUILD) $(WINDOWS32_BUILD) $(WINDOWS_TESTS_BUILD) \
	  $(WINDOWS32_TESTS_BUILD)
