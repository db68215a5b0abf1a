// load_bench.exe MODULE FLOOR_MODULE: the median time of LoadLibrary (and
// FreeLibrary, which unloads it) of the control's module next to a module that
// only imports the same DLLs. The floor module stays loaded throughout, so that
// the DLLs they import are already in the process and only the modules
// themselves count; the floor is measured on a copy of it.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

double MedianMilliseconds(const wchar_t* path, int runs) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    const auto start = std::chrono::steady_clock::now();
    HMODULE module = LoadLibraryW(path);
    if (module == nullptr) return -1;
    FreeLibrary(module);
    times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
  }
  std::nth_element(times.begin(), times.begin() + runs / 2, times.end());
  return times[runs / 2];
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) return 2;
  const wchar_t* copy = L"korvaden_floor_copy.dll";
  HMODULE imports = LoadLibraryW(argv[2]);
  if (imports == nullptr || !CopyFileW(argv[2], copy, FALSE)) return 1;
  const double module = MedianMilliseconds(argv[1], 40);
  const double floor = MedianMilliseconds(copy, 40);
  FreeLibrary(imports);
  DeleteFileW(copy);
  std::printf("%-58s %8.2f ms %7.2f ms %6.1fx\n", "LoadLibrary of the module", module, floor, module / floor);
  return 0;
}
