# Thin wrapper over CMake presets. `make demo` and `make test` work on a fresh
# Debian 12 machine: both install what is missing first.
.PHONY: all bootstrap build demo test test-default test-asan test-windows windows quick fuzz bench install clean

all: build

bootstrap:
	@sh scripts/bootstrap.sh

build: bootstrap
	cmake --preset default
	cmake --build --preset default

# The main job: a whole update against the built-in simulated drive.
demo: build
	./build/korvel-sim-kt72m --realtime --letter C=fixed --drive D=other --drive E --flash-ms 10000

test: bootstrap test-default test-asan test-windows

test-default:
	cmake --preset default
	cmake --build --preset default
	ctest --preset default -j2

test-asan:
	cmake --preset asan
	cmake --build --preset asan
	ctest --preset asan -j2

# The Windows programs (i686 and x86_64), built with mingw-w64 and run under Wine
# in a fresh prefix inside each build tree. Needs the native build's images.
windows: build
	sh scripts/bootstrap-windows.sh build-deps
	for arch in i686 x86_64; do \
	  cmake --preset mingw-$$arch && cmake --build --preset mingw-$$arch || exit 1; \
	done

test-windows: test-default windows
	for arch in i686 x86_64; do \
	  dir=build-win32; [ $$arch = x86_64 ] && dir=build-win64; \
	  rm -rf $$dir/wineprefix; \
	  ctest --preset mingw-$$arch -j2 || exit 1; \
	done

# Inner loop: rebuild and run the tests of the default tree, no set-up.
quick:
	cmake --build --preset default
	ctest --preset default -j2

fuzz: build
	./build/tests/fuzz_container -max_total_time=600 build/tests/fuzz_corpus

bench: build
	sh bench/run.sh

install: build
	cmake --install build

clean:
	rm -rf build build-asan build-win32 build-win64
