# Tessaview U: `make run` starts the program, `make test` runs every test.
# Both install what is missing on a Debian 12 machine first.

BUILD      ?= build
ASAN_BUILD ?= build-asan
JOBS       ?= $(shell nproc)
CMAKE_GEN  := -G Ninja

APT_PACKAGES := g++ lld cmake ninja-build ccache qt6-base-dev qt6-serialport-dev libgtest-dev \
                libbenchmark-dev fonts-dejavu-core xvfb xauth xdotool imagemagick \
                poppler-utils python3-xlrd fonts-wqy-microhei \
                dpkg-dev file desktop-file-utils appstream shared-mime-info groff-base

SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

PREFIX ?= /usr/local

.PHONY: all deps configure build run test test-fast test-asan bench install package clean

all: build

# Installs the Debian packages that are not installed yet.
deps:
	@missing=""; for p in $(APT_PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "install ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  $(SUDO) apt-get update && DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y --no-install-recommends $$missing; \
	fi

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo

configure: deps $(BUILD)/build.ninja

build: configure
	cmake --build $(BUILD) -j $(JOBS)

run: build
	$(BUILD)/src/app/tessaview --demo

# Every test, then every test once more under AddressSanitizer and UBSan.
test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)
	$(MAKE) --no-print-directory test-asan

test-fast: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# Qt's platform plugins and font caches keep allocations until exit, so leaks
# are checked on the core tests only.
test-asan: deps
	cmake -S . -B $(ASAN_BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DTV_SANITIZE=ON -DTV_GUI=ON -DTV_BENCH=OFF
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --output-on-failure -j $(JOBS) -L core
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --output-on-failure -j $(JOBS) -L gui

bench: build
	@for b in $(BUILD)/bench/*Bench; do echo "== $$b"; QT_QPA_PLATFORM=offscreen $$b || exit 1; done

# Installs the programs, the simulator, the desktop entry, the log file type,
# the icons and the manual pages below PREFIX (DESTDIR works as usual).
install: build
	DESTDIR=$(DESTDIR) cmake --install $(BUILD) --prefix $(PREFIX)

# The Debian package $(BUILD)/tessaview_<version>_<arch>.deb.
package: build
	cd $(BUILD) && cpack -G DEB

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
