// The record a general-purpose plugin hands to Winamp, and the one instance of it: Winamp fills in
// its main window and the library's instance before it calls init, and everything that asks
// Winamp something or loads one of the library's resources reads them from here.
#pragma once
#include <windows.h>
#include <cstddef>
#include <cstdint>

inline constexpr int32_t GPPHDR_VER = 0x10;

// Winamp's general-purpose plugin record. In the 32-bit build it is seven 32-bit fields.
struct TwinampGeneralPurposePlugin {
    int32_t version;
    const char* description;
    int (*init)();
    void (*config)();
    void (*quit)();
    HWND hwndParent;
    HINSTANCE hDllInstance;
};
#ifndef _WIN64
static_assert(sizeof(TwinampGeneralPurposePlugin) == 28);
static_assert(offsetof(TwinampGeneralPurposePlugin, description) == 4);
static_assert(offsetof(TwinampGeneralPurposePlugin, init) == 8);
static_assert(offsetof(TwinampGeneralPurposePlugin, config) == 12);
static_assert(offsetof(TwinampGeneralPurposePlugin, quit) == 16);
static_assert(offsetof(TwinampGeneralPurposePlugin, hwndParent) == 20);
static_assert(offsetof(TwinampGeneralPurposePlugin, hDllInstance) == 24);
#endif

// Empty until the library is loaded; its entry points are filled in then.
extern TwinampGeneralPurposePlugin plugin;
