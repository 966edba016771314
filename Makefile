# Set-up and everyday commands. `make run` and `make test` install what is missing (as root), configure,
# build, then run the main job or every test.
BUILD ?= build
ASAN_BUILD ?= build-asan
DXF ?= samples/plate_holes_slot.dxf
PRESET ?= presets/linuxcnc
PROGRAM = $(BUILD)/$(basename $(notdir $(DXF))).nc
PACKAGES := g++ cmake ninja-build libgtest-dev libgmock-dev libbenchmark-dev libcli11-dev

.PHONY: deps configure build run test test-sanitize bench clean

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

run: build
	./$(BUILD)/app/zorvan-cli --templates $(PRESET) -o $(PROGRAM) $(DXF)
	@echo "First lines of $(PROGRAM):"
	@head -n 20 $(PROGRAM)

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j2

test-sanitize: deps
	@[ -f $(ASAN_BUILD)/build.ninja ] || cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug \
	  -DZORVAN_SANITIZE=ON -DZORVAN_BENCHMARKS=OFF
	cmake --build $(ASAN_BUILD)
	ctest --test-dir $(ASAN_BUILD) --output-on-failure -j2

bench: build
	./$(BUILD)/bench/zorvan_bench

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
