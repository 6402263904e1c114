// Tests of platform/win/module: the module registry.
#include "platform/win/module.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/win/com.h"
#include "platform/win/sysinfo.h"

namespace plat::win {
namespace {

class ModuleTest : public ::testing::Test {
 protected:
  void TearDown() override {
    unsetenv("HALVORINE_MISSING");
    ResetExportOverrides();
  }
};

TEST_F(ModuleTest, NamesCompareWithoutCaseAndLoadsAreCounted) {
  int before = GetModuleReferenceCount(u"ole32.dll");
  HMODULE a = LoadLibraryW(u"OLE32.DLL");
  HMODULE b = LoadLibraryW(u"ole32");
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a, b);
  EXPECT_EQ(GetModuleReferenceCount(u"Ole32.dll"), before + 2);
  EXPECT_EQ(GetModuleHandleW(u"ole32.dll"), a);
  EXPECT_TRUE(FreeLibrary(a));
  EXPECT_TRUE(FreeLibrary(b));
  EXPECT_EQ(GetModuleReferenceCount(u"ole32.dll"), before);
  if (before == 0) {
    EXPECT_EQ(GetModuleHandleW(u"ole32.dll"), nullptr);
    EXPECT_FALSE(FreeLibrary(a));
    EXPECT_EQ(GetProcAddress(a, "CoCreateInstance"), nullptr);
  }
}

TEST_F(ModuleTest, ServesOnlyTheFunctionsThatExist) {
  HMODULE ole = LoadLibraryW(u"ole32.dll");
  EXPECT_EQ(GetProcAddress(ole, "CoCreateInstance"), reinterpret_cast<FARPROC>(&CoCreateInstance));
  EXPECT_EQ(GetProcAddress(ole, "CoCreateGuid"), nullptr);
  HMODULE dwm = LoadLibraryW(u"dwmapi.dll");
  ASSERT_NE(dwm, nullptr);
  EXPECT_NE(GetProcAddress(dwm, "DwmEnableComposition"), nullptr);
  EXPECT_EQ(GetProcAddress(dwm, "DwmFlush"), nullptr);
  EXPECT_EQ(LoadLibraryW(u"d3d8.dll"), nullptr);
  EXPECT_NE(GetModuleHandleW(nullptr), nullptr);
  FreeLibrary(ole);
  FreeLibrary(dwm);
}

TEST_F(ModuleTest, MissingLibraryDoesNotLoad) {
  setenv("HALVORINE_MISSING", "d3d11, NTDLL ,xinput", 1);
  EXPECT_EQ(LoadLibraryW(u"ntdll.dll"), nullptr);
  HMODULE ole = LoadLibraryW(u"ole32.dll");
  EXPECT_NE(ole, nullptr);
  FreeLibrary(ole);
}

int testVersion(OSVERSIONINFOEXW*) { return 77; }

TEST_F(ModuleTest, OverridesReplaceOrRemoveOneFunction) {
  HMODULE nt = LoadLibraryW(u"ntdll.dll");
  OverrideExport(u"NtDll.dll", "RtlGetVersion", reinterpret_cast<FARPROC>(&testVersion));
  auto rtl = reinterpret_cast<int (*)(OSVERSIONINFOEXW*)>(GetProcAddress(nt, "RtlGetVersion"));
  ASSERT_NE(rtl, nullptr);
  EXPECT_EQ(rtl(nullptr), 77);
  OverrideExport(u"ntdll", "RtlGetVersion", nullptr);
  EXPECT_EQ(GetProcAddress(nt, "RtlGetVersion"), nullptr);
  ResetExportOverrides();
  EXPECT_EQ(GetProcAddress(nt, "RtlGetVersion"), reinterpret_cast<FARPROC>(&RtlGetVersion));
  FreeLibrary(nt);
}

}  // namespace
}  // namespace plat::win
