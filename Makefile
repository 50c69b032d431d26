# Two commands do everything on a fresh Debian 12 machine: make run, make test.
BUILD   ?= build
JOBS    ?= $(shell nproc)
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo

.PHONY: all deps configure build run run-compact test bench fuzz clean

all: build

deps:
	./scripts/deps

configure: deps
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD) -j $(JOBS)

# Without a display the program runs on Qt's offscreen platform.
run: build
	./scripts/run $(BUILD)/app/tamblin1024

run-compact: build
	./scripts/run $(BUILD)/app/tamblin

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

bench: build
	find $(BUILD)/bench -type f -name "bench_*" -perm -u+x | sort | while read b; do "$$b"; done

# Real coverage-guided fuzzing of every reader (clang's libFuzzer).
fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B build-fuzz -DTAMBLIN_LIBFUZZER=ON -DTAMBLIN_BENCH=OFF -DBUILD_TESTING=ON
	cmake --build build-fuzz -j $(JOBS)
	@echo "fuzzers are in build-fuzz/fuzz/*/ (run one with its corpus folder, fuzz/corpus/<name>)"

# The programs keep the user's contacts and settings beside themselves, in
# $(BUILD)/app: everything else goes, those two files stay.
clean:
	if [ -d $(BUILD) ]; then \
	  cd $(BUILD) && find . -mindepth 1 -depth ! -path ./app \
	    ! -path ./app/IPAddress.dat ! -path ./app/Settings.ini -delete; \
	fi
	rm -rf build-fuzz
