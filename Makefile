# The two commands of the README: `make run` and `make test`.
BUILD ?= build
JOBS ?= 2
DEB_PACKAGES = g++ cmake make qt6-base-dev libqt6sql6-sqlite libqt6sql6-psql \
               fonts-noto-cjk xvfb xauth postgresql libsqlite3-dev libpq-dev pkg-config \
               libcsv-dev qt6-translations-l10n

.PHONY: all deps configure build test run bench package clean format

all: build

deps:
	@bash scripts/install-deps.sh $(DEB_PACKAGES)

configure: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

build: configure
	@cmake --build $(BUILD) -j$(JOBS)

test: build
	@bash scripts/run-tests.sh $(BUILD)

run: build
	@bash scripts/run-demo.sh $(BUILD)

bench: build
	@bash scripts/run-bench.sh $(BUILD)

package: build
	@cd $(BUILD) && cpack -G DEB

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD)
