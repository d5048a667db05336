#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <vector>

// A benchmark registers itself with TUMBOLD_BENCHMARK(name) { ... } and prints its
// own figures; bench_main.cpp runs them in name order.
namespace bench {

struct Entry {
  std::string name;
  std::function<void()> run;
};

std::vector<Entry>& registry();

struct Registrar {
  Registrar(const char* name, std::function<void()> run) { registry().push_back({name, std::move(run)}); }
};

inline double seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

}  // namespace bench

#define TUMBOLD_BENCH_CAT2(a, b) a##b
#define TUMBOLD_BENCH_CAT(a, b) TUMBOLD_BENCH_CAT2(a, b)
#define TUMBOLD_BENCHMARK(name)                                                        \
  static void TUMBOLD_BENCH_CAT(bench_, name)();                                       \
  static bench::Registrar TUMBOLD_BENCH_CAT(bench_registrar_, name)(#name,              \
                                                                    &TUMBOLD_BENCH_CAT(bench_, name)); \
  static void TUMBOLD_BENCH_CAT(bench_, name)()
