# SPDX-License-Identifier: GPL-3.0-or-later
# Quillmark: the two commands a user needs are `make run` and `make test`.
# Both install missing Debian packages first (as root), then configure and build.
# `make package` builds the Debian package, `make install` installs under PREFIX.

FOLDER ?=
JOBS ?= $(shell nproc)
PREFIX ?= /usr/local

# What building, running and testing needs from Debian.
PACKAGES := cmake g++ make pkg-config qt6-base-dev zlib1g-dev libgtest-dev libgmock-dev libbenchmark-dev \
            libsmbclient-dev libglib2.0-dev libsecret-1-dev libfontconfig-dev \
            fonts-wine fonts-dejavu-core attr qt6-translations-l10n
# The tests that put folders on real Windows file systems and shares.
FS_TEST_PACKAGES := ntfs-3g samba smbclient dosfstools mtools
BENCH_PACKAGES := icoutils xvfb
FUZZ_PACKAGES := clang libclang-rt-14-dev
# Building the Debian package, and checking it as the test suite does.
PACKAGE_PACKAGES := dpkg-dev file gzip
PACKAGE_CHECK_PACKAGES := lintian desktop-file-utils appstream strace

.PHONY: all deps build run test package install bench fuzz mutants clean

all: build

define install_missing
	@missing=""; for p in $(1); do dpkg -s $$p >/dev/null 2>&1 || missing="$$missing $$p"; done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing missing packages:$$missing"; \
	  if [ "$$(id -u)" = 0 ]; then \
	    apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $$missing >/dev/null; \
	  else \
	    echo "Please install them as root: apt-get install$$missing"; exit 1; \
	  fi; \
	fi
endef

deps:
	$(call install_missing,$(PACKAGES))

build: deps
	cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLMARK_TESTS=OFF >/dev/null
	cmake --build build -j $(JOBS)

# Starts the wizard on FOLDER (without one, on the program's own folder).
run: build
	./build/quillmark $(if $(FOLDER),"$(FOLDER)")

# A Release build of the programs only, hardened as Debian builds its own,
# packed by CPack into build-package/.
HARDENING := -D_FORTIFY_SOURCE=2 -fstack-protector-strong -fstack-clash-protection
package: deps
	$(call install_missing,$(PACKAGE_PACKAGES))
	cmake -S . -B build-package -DCMAKE_BUILD_TYPE=Release -DQUILLMARK_TESTS=OFF \
	  -DCMAKE_CXX_FLAGS="$(HARDENING)" -DCMAKE_EXE_LINKER_FLAGS="-Wl,-z,relro,-z,now" >/dev/null
	cmake --build build-package -j $(JOBS)
	cd build-package && cpack -G DEB
	@ls build-package/quillmark_*.deb

# The same layout as the package, under PREFIX (DESTDIR is honoured).
install: build
	cmake --install build --prefix "$(PREFIX)" --strip

# The whole suite, built with AddressSanitizer and UndefinedBehaviorSanitizer,
# and the package checked without installing it.
test: deps package
	$(call install_missing,$(FS_TEST_PACKAGES) $(PACKAGE_CHECK_PACKAGES))
	cmake -S . -B build-test -DCMAKE_BUILD_TYPE=Debug -DQUILLMARK_SANITIZE=ON -DQUILLMARK_TOOLS=ON >/dev/null
	cmake --build build-test -j $(JOBS)
	cd build-test && ctest --output-on-failure -j $(JOBS)

bench: deps
	$(call install_missing,$(BENCH_PACKAGES))
	cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DQUILLMARK_TESTS=OFF -DQUILLMARK_BENCH=ON >/dev/null
	cmake --build build-bench -j $(JOBS)
	bench/run build-bench

FUZZ_SECONDS ?= 600
fuzz: deps
	$(call install_missing,$(FUZZ_PACKAGES))
	CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLMARK_TESTS=OFF -DQUILLMARK_FUZZ=ON >/dev/null
	cmake --build build-fuzz -j $(JOBS) --target fuzz_targets
	fuzz/run build-fuzz $(FUZZ_SECONDS)

# Mutation testing of the core files (MUTANTS_FILES, MUTANTS_MAX): reports, never fails.
mutants: deps
	cmake -S . -B build-mutants -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-O0 >/dev/null
	python3 tools/mutants.py build-mutants

clean:
	rm -rf build build-test build-bench build-fuzz build-mutants build-package
