# make demo: install what is missing, build, run the typical evening on the simulated machine.
# make test: the same set-up, then every test, then the core and agent tests under ASan + UBSan.
# make fuzz: every fuzz target built with clang and libFuzzer, each run for FUZZ_SECONDS.
BUILD      ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
FUZZ_TARGETS := settings_file directory command_output crontab_line fillintheblanks
JOBS       ?= $(shell nproc)
PACKAGES   := cmake make g++ pkg-config qt6-base-dev libgl-dev libgtest-dev libgmock-dev libbenchmark-dev clang libclang-rt-14-dev

.PHONY: all deps configure build test demo asan bench fuzz clean

all: build

deps:
	@missing=""; for p in $(PACKAGES); do dpkg -s $$p >/dev/null 2>&1 || missing="$$missing $$p"; done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  SUDO=""; [ "$$(id -u)" -eq 0 ] || SUDO=sudo; \
	  $$SUDO apt-get update -qq && DEBIAN_FRONTEND=noninteractive $$SUDO apt-get install -y -qq $$missing; \
	fi

$(BUILD)/CMakeCache.txt: | deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo

configure: deps $(BUILD)/CMakeCache.txt

build: configure
	cmake --build $(BUILD) -j$(JOBS)

demo: build
	$(BUILD)/bin/nightfold-sim demo

test: build
	QT_QPA_PLATFORM=offscreen ctest --test-dir $(BUILD) --output-on-failure -j$(JOBS)
	$(MAKE) asan

asan: deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DNIGHTFOLD_SANITIZE=ON -DNIGHTFOLD_CORE_ONLY=ON
	cmake --build $(ASAN_BUILD) -j$(JOBS)
	ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --test-dir $(ASAN_BUILD) -L core --output-on-failure -j$(JOBS)

# New inputs land in $(FUZZ_BUILD)/corpus, findings in $(FUZZ_BUILD)/findings;
# the seed corpora in tests/fuzz/corpus are only read.
fuzz: deps
	cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNIGHTFOLD_CORE_ONLY=ON -DNIGHTFOLD_LIBFUZZER=ON \
	  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
	  "-DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer" \
	  "-DCMAKE_EXE_LINKER_FLAGS=-fsanitize=address,undefined"
	cmake --build $(FUZZ_BUILD) -j$(JOBS) $(addprefix --target fuzz_,$(FUZZ_TARGETS))
	@for t in $(FUZZ_TARGETS); do \
	  mkdir -p $(FUZZ_BUILD)/corpus/$$t $(FUZZ_BUILD)/findings; \
	  echo "== fuzz_$$t for $(FUZZ_SECONDS) s"; \
	  $(FUZZ_BUILD)/tests/fuzz/fuzz_$$t -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 -rss_limit_mb=2048 \
	    -artifact_prefix=$(FUZZ_BUILD)/findings/$$t- $(FUZZ_BUILD)/corpus/$$t tests/fuzz/corpus/$$t || exit 1; \
	done

bench: build
	$(BUILD)/tests/nightfold_benchmarks

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD)
