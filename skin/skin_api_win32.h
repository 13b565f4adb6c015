#pragma once
// The entries of VexaAdmin.dll. The program imports them by number (see
// VexaAdmin.def); no result is read.
#include <windows.h>

#ifdef VEXA_SKIN_BUILD
#define VEXA_SKIN_API
#else
#define VEXA_SKIN_API __declspec(dllimport)
#endif

extern "C" {
// 1: readies the component. The texts are the product and skin names the
// caller uses; the last may be null.
VEXA_SKIN_API int SkinStartup(HINSTANCE module, const char* product, const char* skin,
                              const char* reserved);
// 2: releases everything the component holds.
VEXA_SKIN_API int SkinShutdown();
// 4: reads the skin from a resource of the given module.
VEXA_SKIN_API int SkinLoadResource(HINSTANCE module, const char* name, const char* type);
// 8: skins the windows of the selected kind ("Dialog") created from now on.
VEXA_SKIN_API int SkinApplyToDialogs(const char* selector);
}
