# The two commands of the README: `make run` and `make test`.
BUILD ?= build
JOBS ?= 2
# The demo's template project: sd (720 x 486) or hd (1920 x 1080).
CG_PROJECT ?= sd
# The screen of `make screenshots`: 1366x768 (the guide's images) or another size.
SCREEN ?= 1366x768
DEB_PACKAGES = g++ cmake make qt6-base-dev libqt6sql6-sqlite libqt6sql6-psql \
               fonts-noto-cjk xvfb xauth postgresql libsqlite3-dev libpq-dev pkg-config \
               libcsv-dev qt6-translations-l10n qt6-httpserver-dev qt6-websockets-dev

.PHONY: all deps configure build test run bench soak package screenshots clean format

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
	@CG_PROJECT=$(CG_PROJECT) bash scripts/run-demo.sh $(BUILD)

bench: configure
	@bash scripts/run-bench.sh $(BUILD) $(JOBS)

soak: build
	@bash scripts/run-soak.sh $(BUILD)

package: build
	@cd $(BUILD) && cpack -G DEB

screenshots: build
	@SCREEN=$(SCREEN) bash scripts/screenshots.sh $(BUILD)

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD)
