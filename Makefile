# Front door of the build: `make demo` and `make test` set up a fresh machine and run.
BUILD      ?= build
JOBS       ?= $(shell nproc)
CMAKE_ARGS ?=
PACKAGES    = build-essential cmake ninja-build pkg-config git \
              libgtest-dev libgmock-dev libbenchmark-dev libfftw3-dev \
              libgdcm-dev zlib1g-dev \
              libegl-dev libopengl-dev libgl1-mesa-dri libglew-dev libpng-dev \
              libfreetype-dev libfontconfig-dev fonts-liberation2 fonts-dejavu-core \
              libstb-dev
SUDO        = $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: all deps configure build test demo bench asan tsan fuzz fuzz-dicom fuzz-mesh fuzz-contour fuzz-picture clean

all: build

# Installs only what is missing, so that `make test` asks nothing on a prepared machine.
deps:
	@missing=$$(for p in $(PACKAGES); do dpkg -s $$p >/dev/null 2>&1 || echo $$p; done); \
	if [ -n "$$missing" ]; then \
	  echo "installing:" $$missing; \
	  $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get update -qq && \
	  $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $$missing; \
	fi

configure: deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_ARGS)

build: configure
	cmake --build $(BUILD) -j $(JOBS)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

demo: build
	$(BUILD)/examples/example_foundation_demo
	$(BUILD)/apps/quarn-host run apps/quarn-host/demo/demo.qs
	mkdir -p $(BUILD)/demo && cp apps/quarn-host/demo/ball.obj $(BUILD)/demo/ && cd $(BUILD)/demo && ../apps/quarn-host run $(CURDIR)/apps/quarn-host/demo/pictures.qs
	apps/quarn-host/demo/road.sh $(BUILD)/apps/quarn-host $(BUILD)/demo

bench: build
	for b in $(BUILD)/bench/*_bench; do $$b --benchmark_min_time=0.2; done

asan:
	$(MAKE) test BUILD=build-asan CMAKE_ARGS="-DQUARN_SANITIZE=address -DQUARN_BUILD_BENCH=OFF"

tsan:
	$(MAKE) test BUILD=build-tsan CMAKE_ARGS="-DQUARN_SANITIZE=thread -DQUARN_BUILD_BENCH=OFF"

# Fuzzes the script reader for FUZZ_SECONDS under ASan+UBSan, from the test scripts as seeds.
FUZZ_SECONDS ?= 300
FUZZ_CONFIGURE = CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DQUARN_BUILD_FUZZ=ON -DQUARN_SANITIZE=address \
	  -DQUARN_BUILD_TESTS=OFF -DQUARN_BUILD_BENCH=OFF -DQUARN_BUILD_APPS=OFF
fuzz:
	$(FUZZ_CONFIGURE)
	cmake --build build-fuzz -j $(JOBS) --target script_fuzz
	mkdir -p build-fuzz/corpus build-fuzz/artifacts && cp tests/script/scripts/*.qs build-fuzz/corpus/
	build-fuzz/fuzz/script_fuzz -dict=fuzz/script_fuzz.dict -max_len=4096 -max_total_time=$(FUZZ_SECONDS) \
	  -artifact_prefix=build-fuzz/artifacts/ build-fuzz/corpus

# Fuzzes the DICOM reader the same way, seeded with phantom files of every pixel kind and encoding.
fuzz-dicom:
	$(FUZZ_CONFIGURE)
	cmake --build build-fuzz -j $(JOBS) --target dicom_fuzz
	mkdir -p build-fuzz/dicom-corpus build-fuzz/dicom-artifacts
	DICOM_FUZZ_SEEDS=build-fuzz/dicom-corpus build-fuzz/fuzz/dicom_fuzz -runs=0 build-fuzz/dicom-corpus
	build-fuzz/fuzz/dicom_fuzz -max_len=16384 -rss_limit_mb=4096 -max_total_time=$(FUZZ_SECONDS) \
	  -artifact_prefix=build-fuzz/dicom-artifacts/ build-fuzz/dicom-corpus

# Fuzzes the mesh readers (and the ray grid of what they read) for FUZZ_SECONDS, from small
# surfaces of every format as seeds.
fuzz-mesh:
	$(FUZZ_CONFIGURE)
	cmake --build build-fuzz -j $(JOBS) --target mesh_fuzz
	mkdir -p build-fuzz/mesh-corpus build-fuzz/mesh-artifacts && cp fuzz/mesh_seeds/* tests/host/cube.obj build-fuzz/mesh-corpus/
	build-fuzz/fuzz/mesh_fuzz -dict=fuzz/mesh_fuzz.dict -max_len=8192 -max_total_time=$(FUZZ_SECONDS) \
	  -artifact_prefix=build-fuzz/mesh-artifacts/ build-fuzz/mesh-corpus

# Fuzzes the contour extraction for FUZZ_SECONDS under ASan+UBSan with random tag maps and steps.
fuzz-contour:
	$(FUZZ_CONFIGURE)
	cmake --build build-fuzz -j $(JOBS) --target contour_fuzz
	mkdir -p build-fuzz/contour-corpus build-fuzz/artifacts
	build-fuzz/fuzz/contour_fuzz -max_len=4200 -max_total_time=$(FUZZ_SECONDS) \
	  -artifact_prefix=build-fuzz/artifacts/ build-fuzz/contour-corpus

# Fuzzes the picture reader (TGA and PNG) for FUZZ_SECONDS, from the shipped pictures and the
# PNG baselines of the tests as seeds.
fuzz-picture:
	$(FUZZ_CONFIGURE)
	cmake --build build-fuzz -j $(JOBS) --target picture_fuzz
	mkdir -p build-fuzz/picture-corpus build-fuzz/picture-artifacts
	cp $(wildcard data/icons/*.tga) tests/display/golden/*.png build-fuzz/picture-corpus/
	build-fuzz/fuzz/picture_fuzz -max_len=16384 -rss_limit_mb=4096 -max_total_time=$(FUZZ_SECONDS) \
	  -artifact_prefix=build-fuzz/picture-artifacts/ build-fuzz/picture-corpus

clean:
	rm -rf build build-asan build-tsan build-fuzz
