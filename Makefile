# Quillum: the two commands a fresh Debian machine needs are `make run` and `make test`.
BUILD      ?= build
SAN_BUILD  ?= build-sanitize
TSAN_BUILD ?= build-tsan
FUZZ_BUILD ?= build-fuzz
FUZZ_TIME  ?= 60
JOBS       ?= $(shell nproc)
PREFIX     ?= /usr/local
CMAKE_GEN  := -G Ninja

.PHONY: all deps build run test test-sanitize test-tsan bench fuzz install package clean format

all: build

deps:
	@./scripts/install-deps.sh

$(BUILD)/build.ninja: | deps
	@cmake -S . -B $(BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

build: deps $(BUILD)/build.ninja
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@./scripts/run.sh $(BUILD)

test: build
	@cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

test-sanitize: deps
	@cmake -S . -B $(SAN_BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DQUILLUM_SANITIZE=ON -DQUILLUM_BENCH=OFF >/dev/null
	@cmake --build $(SAN_BUILD) -j $(JOBS)
	@cd $(SAN_BUILD) && QT_QPA_PLATFORM=offscreen \
	  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --output-on-failure -j $(JOBS)

test-tsan: deps
	@cmake -S . -B $(TSAN_BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DQUILLUM_TSAN=ON -DQUILLUM_BENCH=OFF >/dev/null
	@cmake --build $(TSAN_BUILD) -j $(JOBS)
	@cd $(TSAN_BUILD) && QT_QPA_PLATFORM=offscreen TSAN_OPTIONS="halt_on_error=1 suppressions=$(CURDIR)/scripts/tsan.supp" ctest --output-on-failure -j $(JOBS)

bench: build
	@./scripts/bench.sh $(BUILD)
	@./scripts/bench-batch.sh $(BUILD)

# libFuzzer on the preset archive reader for FUZZ_TIME seconds, from the committed preset
# files; fails when it finds a crash, leaving the input in $(FUZZ_BUILD)/. Not part of test.
fuzz:
	@./scripts/install-deps.sh --fuzz
	@CC=clang-14 CXX=clang++-14 cmake -S . -B $(FUZZ_BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DQUILLUM_FUZZ=ON -DQUILLUM_BENCH=OFF >/dev/null
	@cmake --build $(FUZZ_BUILD) -j $(JOBS) --target preset_archive_fuzz
	@mkdir -p $(FUZZ_BUILD)/corpus && cp tests/data/presets/*.zentpres $(FUZZ_BUILD)/corpus/
	@UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 $(FUZZ_BUILD)/fuzz/preset_archive_fuzz \
	  -max_total_time=$(FUZZ_TIME) -max_len=32768 -timeout=10 -print_final_stats=1 \
	  -artifact_prefix=$(CURDIR)/$(FUZZ_BUILD)/ $(FUZZ_BUILD)/corpus

# The programs, desktop entry, icons, AppStream data, help and manual page under PREFIX
# (DESTDIR stages them elsewhere). Menus and "Open with" read the refreshed caches at once.
install: build
	@DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix $(PREFIX) --strip
	@if [ -z "$(DESTDIR)" ]; then \
	  if command -v update-desktop-database >/dev/null; then update-desktop-database -q $(PREFIX)/share/applications; fi; \
	  if command -v gtk-update-icon-cache >/dev/null; then gtk-update-icon-cache -q -t -f $(PREFIX)/share/icons/hicolor; fi; \
	fi

# A Debian package installing into /usr, its library dependencies found by dpkg-shlibdeps.
package: build
	@cd $(BUILD) && cpack -G DEB >cpack.log || { cat cpack.log; exit 1; }
	@sed -n 's/^CPack: - package: \(.*\) generated\.$$/\1/p' $(BUILD)/cpack.log

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	@rm -rf $(BUILD) $(SAN_BUILD) $(TSAN_BUILD) $(FUZZ_BUILD) out
