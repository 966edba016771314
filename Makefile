# Set-up and everyday commands. `make run` and `make test` install what is missing (as root), configure,
# build, then run the main job or every test.
BUILD ?= build
ASAN_BUILD ?= build-asan
DXF ?= samples/plate_holes_slot.dxf
PRESET ?= presets/linuxcnc
PROGRAM = $(BUILD)/$(basename $(notdir $(DXF))).nc
PACKAGES := g++ cmake ninja-build pkg-config libgtest-dev libgmock-dev libbenchmark-dev libcli11-dev nlohmann-json3-dev \
            libpolyclipping-dev qt6-base-dev
# The tests also run the programs through LinuxCNC's interpreter, rs274, with a kerf in its tool table.
TEST_PACKAGES := linuxcnc-uspace

# The nesting benchmark: seconds per instance (on two threads) and the instances.
NEST_SECONDS ?= 60
NEST_INSTANCES ?= bench/nesting/gardeyn*.json

FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
FUZZ_WORK ?= /tmp/zorvan-fuzz

.PHONY: deps configure build run test test-sanitize package bench fuzz clean

deps:
	@missing=""; \
	for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'install ok installed' || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  if [ "$$(id -u)" = 0 ]; then \
	    echo "Installing:$$missing"; \
	    apt-get update && DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends $$missing; \
	  else \
	    echo "Missing Debian packages. Run:"; \
	    echo "  sudo apt-get install -y$$missing"; \
	    exit 1; \
	  fi; \
	fi

configure: deps
	@[ -f $(BUILD)/build.ninja ] || cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: configure
	cmake --build $(BUILD)

# With a display: the desktop program, its file list on samples/. Without one: the command-line main job.
run: build
	@if [ -n "$$DISPLAY$$WAYLAND_DISPLAY" ]; then \
	  ./$(BUILD)/app/zorvan samples; \
	else \
	  echo "No display found (DISPLAY and WAYLAND_DISPLAY are unset): running the command-line main job instead."; \
	  echo "On a desktop, 'make run' opens the window."; \
	  ./$(BUILD)/app/zorvan-cli --templates $(PRESET) -o $(PROGRAM) $(DXF) && \
	  echo "First lines of $(PROGRAM):" && head -n 20 $(PROGRAM); \
	fi

test: build
	@$(MAKE) --no-print-directory deps PACKAGES="$(TEST_PACKAGES)"
	ctest --test-dir $(BUILD) --output-on-failure -j2

test-sanitize: deps
	@$(MAKE) --no-print-directory deps PACKAGES="$(TEST_PACKAGES)"
	@[ -f $(ASAN_BUILD)/build.ninja ] || cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug \
	  -DZORVAN_SANITIZE=ON -DZORVAN_BENCHMARKS=OFF
	cmake --build $(ASAN_BUILD)
	ctest --test-dir $(ASAN_BUILD) --output-on-failure -j2

# The Debian package zorvan_<version>_<architecture>.deb in $(BUILD). dpkg-shlibdeps (dpkg-dev, which calls
# file) works out its Depends line from the libraries the programs link.
package: build
	@$(MAKE) --no-print-directory deps PACKAGES="dpkg-dev file"
	cd $(BUILD) && cpack -G DEB
	@ls -1 $(BUILD)/zorvan_*.deb

bench: build
	./$(BUILD)/bench/zorvan_bench
	@[ ! -x $(BUILD)/bench/zorvan_window_bench ] || ./$(BUILD)/bench/zorvan_window_bench
	./$(BUILD)/bench/zorvan_nest_bench --seconds $(NEST_SECONDS) --threads 2 $(NEST_INSTANCES)

# libFuzzer with ASan and UBSan on the reader, the number parse and the whole main job, FUZZ_SECONDS each,
# seeded with the samples and the shared corpus. Needs clang and its runtime (installed when missing, as root).
fuzz:
	@$(MAKE) --no-print-directory deps PACKAGES="clang libclang-rt-14-dev cmake ninja-build"
	@[ -f $(FUZZ_BUILD)/build.ninja ] || CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -G Ninja \
	  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZORVAN_FUZZ=ON -DZORVAN_BENCHMARKS=OFF
	cmake --build $(FUZZ_BUILD) --target dxf_reader_fuzz lenient_parse_fuzz main_job_fuzz
	mkdir -p $(FUZZ_WORK)/seed $(FUZZ_WORK)/dxf $(FUZZ_WORK)/main $(FUZZ_WORK)/numbers
	cp samples/*.dxf fuzz/seeds/*.dxf $(FUZZ_WORK)/seed/ && cp ../shared/corpus/dxf/*.dxf $(FUZZ_WORK)/seed/ 2>/dev/null || true
	cd $(FUZZ_WORK) && $(CURDIR)/$(FUZZ_BUILD)/fuzz/dxf_reader_fuzz dxf seed -dict=$(CURDIR)/fuzz/dxf.dict \
	  -max_len=65536 -timeout=20 -rss_limit_mb=2048 -max_total_time=$(FUZZ_SECONDS)
	cd $(FUZZ_WORK) && $(CURDIR)/$(FUZZ_BUILD)/fuzz/main_job_fuzz main seed -dict=$(CURDIR)/fuzz/dxf.dict \
	  -max_len=65536 -timeout=20 -rss_limit_mb=2048 -max_total_time=$(FUZZ_SECONDS)
	cd $(FUZZ_WORK) && $(CURDIR)/$(FUZZ_BUILD)/fuzz/lenient_parse_fuzz numbers -max_len=4096 -timeout=10 \
	  -max_total_time=$(FUZZ_SECONDS)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD)
