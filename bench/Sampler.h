#pragma once
// A sampling profiler for the benchmark programs: where a measured stretch spends its time, down to the
// platform's own functions. While a TSampler lives and ZOR_PROFILE names a file, a thread of its own stops the
// thread that made it about once a millisecond, walks its stack by the modules' unwind tables and keeps the
// return addresses; the samples are appended to that file, one line each (module file names and offsets), for
// bench/profile.py to name by the modules' symbols. Without ZOR_PROFILE it does nothing.
//
// Nothing is allocated or locked while the thread stands still (it may hold the heap's lock): the modules'
// unwind tables are read beforehand, and again after a sample met code of a module loaded since.
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace zorbench {

class TSampler {
public:
  explicit TSampler(const char *label) {
    const char *file = std::getenv("ZOR_PROFILE");
    if (!file || !*file)
      return;
    FFile = file;
    FLabel = label;
    DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &FTarget, 0, FALSE,
                    DUPLICATE_SAME_ACCESS);
    ReadModules();
    FFrames.resize(MaxSamples * MaxDepth);
    FDepths.resize(MaxSamples);
    FThread = CreateThread(nullptr, 0, &TSampler::Run, this, 0, nullptr);
  }
  ~TSampler() {
    if (!FThread)
      return;
    InterlockedExchange(&FStop, 1);
    WaitForSingleObject(FThread, INFINITE);
    CloseHandle(FThread);
    CloseHandle(FTarget);
    Write();
  }
  TSampler(const TSampler &) = delete;
  TSampler &operator=(const TSampler &) = delete;

private:
  static constexpr size_t MaxSamples = 30000;
  static constexpr size_t MaxDepth = 48;

  struct TModule {
    DWORD64 Base, End;
    const RUNTIME_FUNCTION *Functions;
    size_t Count;
    std::string Name;
  };

  void ReadModules() {
    HMODULE handles[1024];
    DWORD needed = 0;
    if (!EnumProcessModules(GetCurrentProcess(), handles, sizeof handles, &needed))
      return;
    FModules.clear();
    for (DWORD i = 0; i < std::min<DWORD>(needed / sizeof(HMODULE), 1024); ++i) {
      auto *base = reinterpret_cast<const BYTE *>(handles[i]);
      auto *dos = reinterpret_cast<const IMAGE_DOS_HEADER *>(base);
      auto *nt = reinterpret_cast<const IMAGE_NT_HEADERS64 *>(base + dos->e_lfanew);
      const IMAGE_DATA_DIRECTORY &pdata = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXCEPTION];
      char path[MAX_PATH] = {};
      GetModuleFileNameA(handles[i], path, MAX_PATH);
      FModules.push_back({reinterpret_cast<DWORD64>(base),
                          reinterpret_cast<DWORD64>(base) + nt->OptionalHeader.SizeOfImage,
                          reinterpret_cast<const RUNTIME_FUNCTION *>(base + pdata.VirtualAddress),
                          pdata.Size / sizeof(RUNTIME_FUNCTION), path});
    }
    std::sort(FModules.begin(), FModules.end(), [](const TModule &a, const TModule &b) { return a.Base < b.Base; });
  }

  const TModule *ModuleOf(DWORD64 address) const {
    for (const TModule &module : FModules)
      if (address >= module.Base && address < module.End)
        return &module;
    return nullptr;
  }

  static const RUNTIME_FUNCTION *FunctionOf(const TModule &module, DWORD64 address) {
    const DWORD rva = static_cast<DWORD>(address - module.Base);
    const RUNTIME_FUNCTION *first = module.Functions, *last = module.Functions + module.Count;
    const RUNTIME_FUNCTION *at = std::upper_bound(
        first, last, rva, [](DWORD value, const RUNTIME_FUNCTION &f) { return value < f.BeginAddress; });
    if (at == first || rva >= (at - 1)->EndAddress)
      return nullptr;
    return at - 1;
  }

  // The stack of the stopped thread, innermost first; false when it met a module not read yet.
  bool Walk(CONTEXT context, DWORD64 *frames, size_t &depth) const {
    depth = 0;
    while (depth < MaxDepth && context.Rip) {
      frames[depth++] = context.Rip;
      const TModule *module = ModuleOf(context.Rip);
      const RUNTIME_FUNCTION *function = module ? FunctionOf(*module, context.Rip) : nullptr;
      if (!module)
        return depth > 1; // code outside every module (the other side of a system call): the caller is lost
      if (!function) {
        context.Rip = *reinterpret_cast<DWORD64 *>(context.Rsp);
        context.Rsp += 8;
        continue;
      }
      void *handlerData = nullptr;
      DWORD64 establisher = 0;
      RtlVirtualUnwind(UNW_FLAG_NHANDLER, module->Base, context.Rip, const_cast<RUNTIME_FUNCTION *>(function), &context,
                       &handlerData, &establisher, nullptr);
    }
    return true;
  }

  static DWORD WINAPI Run(void *self) {
    auto *sampler = static_cast<TSampler *>(self);
    while (!sampler->FStop && sampler->FSamples < MaxSamples) {
      Sleep(1);
      CONTEXT context = {};
      context.ContextFlags = CONTEXT_FULL;
      if (SuspendThread(sampler->FTarget) == static_cast<DWORD>(-1))
        break;
      size_t depth = 0;
      bool known = false;
      if (GetThreadContext(sampler->FTarget, &context))
        known = sampler->Walk(context, &sampler->FFrames[sampler->FSamples * MaxDepth], depth);
      ResumeThread(sampler->FTarget);
      if (!known) {
        sampler->ReadModules();
        continue;
      }
      sampler->FDepths[sampler->FSamples++] = static_cast<unsigned char>(depth);
    }
    return 0;
  }

  void Write() const {
    FILE *out = std::fopen(FFile.c_str(), "a");
    if (!out)
      return;
    std::fprintf(out, "#label %s\n", FLabel.c_str());
    for (size_t s = 0; s < FSamples; ++s) {
      for (size_t d = 0; d < FDepths[s]; ++d) {
        const DWORD64 address = FFrames[s * MaxDepth + d];
        const TModule *module = ModuleOf(address);
        std::fprintf(out, "%s%s+%llx", d ? ";" : "", module ? module->Name.c_str() : "?",
                     static_cast<unsigned long long>(module ? address - module->Base : address));
      }
      std::fprintf(out, "\n");
    }
    std::fclose(out);
  }

  std::string FFile, FLabel;
  HANDLE FTarget = nullptr;
  HANDLE FThread = nullptr;
  volatile LONG FStop = 0;
  std::vector<TModule> FModules;
  std::vector<DWORD64> FFrames;
  std::vector<unsigned char> FDepths;
  size_t FSamples = 0;
};

} // namespace zorbench
