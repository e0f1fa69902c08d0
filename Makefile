# Two entry points: `make run` and `make test`. Both install what is missing first.
BUILD ?= build
CMAKE_FLAGS ?= -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

PREFIX ?= /usr/local

.PHONY: deps configure build run test bench format clean install package web web-build

deps:
	@bash scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD) $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j$$(nproc)

run: build
	./$(BUILD)/hissan

test: build web-build
	@cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j$$(nproc)

# The browser board: the core in WebAssembly and the page, in web/dist.
web-build: deps
	@bash scripts/build-web

# Builds the page and serves it from this machine (Ctrl+C stops it).
web: web-build
	@echo "筆算黒板: http://127.0.0.1:8080/"
	@cd web/dist && python3 -m http.server 8080 --bind 127.0.0.1

bench: build
	@for b in $(BUILD)/bench/*_bench; do $$b --benchmark_repetitions=5 --benchmark_report_aggregates_only=true; done

# Installs the program, its data, menu entry and icons under $(PREFIX)
# (DESTDIR is honoured for a staged install).
install: build
	@cmake --install $(BUILD) --prefix $(PREFIX)

# A Debian package (.deb) in $(BUILD), its dependencies found by dpkg-shlibdeps.
package: build
	@cd $(BUILD) && cpack

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD)
