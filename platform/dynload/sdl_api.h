// SDL2, opened on its first use rather than linked: with what it pulls in (X11,
// Wayland, the sound servers' clients) it is about fifty shared libraries, whose
// loading and symbol look-ups were most of the start-up cost of every run, of the
// script runner and the tools too, which never open a window, a sound device or
// a joypad. Code of the platform layer includes this header in place of <SDL.h>;
// the SDL functions it names then go through the table below.
#pragma once

#include <SDL.h>

#include "platform/dynload/lazy_library.h"

namespace plat::sdl {

#define HALVORINE_SDL_FUNCTIONS(X) \
  X(SDL_CloseAudioDevice) X(SDL_CreateRGBSurfaceWithFormatFrom) X(SDL_CreateWindow) \
  X(SDL_DestroyWindow) X(SDL_DisableScreenSaver) X(SDL_EnableScreenSaver) X(SDL_EventState) \
  X(SDL_FillRect) X(SDL_FreeSurface) X(SDL_GetClipboardText) X(SDL_GetCurrentDisplayMode) \
  X(SDL_GetCurrentVideoDriver) X(SDL_GetDisplayBounds) X(SDL_GetDisplayMode) \
  X(SDL_GetDisplayUsableBounds) X(SDL_GetGlobalMouseState) X(SDL_GetMouseFocus) X(SDL_GetMouseState) \
  X(SDL_GetNumDisplayModes) X(SDL_GetNumVideoDisplays) X(SDL_GetTicks) X(SDL_GetWindowData) \
  X(SDL_GetWindowFromID) X(SDL_GetWindowPosition) X(SDL_GetWindowSurface) X(SDL_HasClipboardText) \
  X(SDL_HideWindow) X(SDL_InitSubSystem) X(SDL_JoystickAttachVirtualEx) X(SDL_JoystickClose) \
  X(SDL_JoystickDetachVirtual) X(SDL_JoystickEventState) X(SDL_JoystickGetAttached) \
  X(SDL_JoystickGetAxis) X(SDL_JoystickGetButton) X(SDL_JoystickGetDeviceGUID) \
  X(SDL_JoystickGetDeviceInstanceID) X(SDL_JoystickGetHat) X(SDL_JoystickGetProduct) \
  X(SDL_JoystickGetVendor) X(SDL_JoystickHasRumble) X(SDL_JoystickInstanceID) X(SDL_JoystickName) \
  X(SDL_JoystickNameForIndex) X(SDL_JoystickNumAxes) X(SDL_JoystickNumButtons) X(SDL_JoystickNumHats) \
  X(SDL_JoystickOpen) X(SDL_JoystickRumble) X(SDL_JoystickSetVirtualAxis) \
  X(SDL_JoystickSetVirtualButton) X(SDL_JoystickSetVirtualHat) X(SDL_JoystickUpdate) X(SDL_MapRGB) \
  X(SDL_MinimizeWindow) X(SDL_NumJoysticks) X(SDL_OpenAudioDevice) X(SDL_PauseAudioDevice) \
  X(SDL_PollEvent) X(SDL_QuitSubSystem) X(SDL_RestoreWindow) X(SDL_SetClipboardText) X(SDL_SetHint) \
  X(SDL_SetWindowBordered) X(SDL_SetWindowData) X(SDL_SetWindowFullscreen) X(SDL_SetWindowMouseRect) \
  X(SDL_SetWindowPosition) X(SDL_SetWindowResizable) X(SDL_SetWindowSize) X(SDL_SetWindowTitle) \
  X(SDL_ShowCursor) X(SDL_ShowWindow) X(SDL_UpdateWindowSurface) X(SDL_UpperBlitScaled) X(SDL_free)

struct Api {
  HALVORINE_SDL_FUNCTIONS(HALVORINE_LAZY_POINTER)
};

// Filled on first use (lazy_library.h).
extern constinit LazyTable<Api> gApi;
inline const Api& api() { return gApi.get(); }

}  // namespace plat::sdl

#ifndef HALVORINE_SDL_LOADER
#define SDL_CloseAudioDevice (::plat::sdl::api().SDL_CloseAudioDevice)
#define SDL_CreateRGBSurfaceWithFormatFrom (::plat::sdl::api().SDL_CreateRGBSurfaceWithFormatFrom)
#define SDL_CreateWindow (::plat::sdl::api().SDL_CreateWindow)
#define SDL_DestroyWindow (::plat::sdl::api().SDL_DestroyWindow)
#define SDL_DisableScreenSaver (::plat::sdl::api().SDL_DisableScreenSaver)
#define SDL_EnableScreenSaver (::plat::sdl::api().SDL_EnableScreenSaver)
#define SDL_EventState (::plat::sdl::api().SDL_EventState)
#define SDL_FillRect (::plat::sdl::api().SDL_FillRect)
#define SDL_FreeSurface (::plat::sdl::api().SDL_FreeSurface)
#define SDL_GetClipboardText (::plat::sdl::api().SDL_GetClipboardText)
#define SDL_GetCurrentDisplayMode (::plat::sdl::api().SDL_GetCurrentDisplayMode)
#define SDL_GetCurrentVideoDriver (::plat::sdl::api().SDL_GetCurrentVideoDriver)
#define SDL_GetDisplayBounds (::plat::sdl::api().SDL_GetDisplayBounds)
#define SDL_GetDisplayMode (::plat::sdl::api().SDL_GetDisplayMode)
#define SDL_GetDisplayUsableBounds (::plat::sdl::api().SDL_GetDisplayUsableBounds)
#define SDL_GetGlobalMouseState (::plat::sdl::api().SDL_GetGlobalMouseState)
#define SDL_GetMouseFocus (::plat::sdl::api().SDL_GetMouseFocus)
#define SDL_GetMouseState (::plat::sdl::api().SDL_GetMouseState)
#define SDL_GetNumDisplayModes (::plat::sdl::api().SDL_GetNumDisplayModes)
#define SDL_GetNumVideoDisplays (::plat::sdl::api().SDL_GetNumVideoDisplays)
#define SDL_GetTicks (::plat::sdl::api().SDL_GetTicks)
#define SDL_GetWindowData (::plat::sdl::api().SDL_GetWindowData)
#define SDL_GetWindowFromID (::plat::sdl::api().SDL_GetWindowFromID)
#define SDL_GetWindowPosition (::plat::sdl::api().SDL_GetWindowPosition)
#define SDL_GetWindowSurface (::plat::sdl::api().SDL_GetWindowSurface)
#define SDL_HasClipboardText (::plat::sdl::api().SDL_HasClipboardText)
#define SDL_HideWindow (::plat::sdl::api().SDL_HideWindow)
#define SDL_InitSubSystem (::plat::sdl::api().SDL_InitSubSystem)
#define SDL_JoystickAttachVirtualEx (::plat::sdl::api().SDL_JoystickAttachVirtualEx)
#define SDL_JoystickClose (::plat::sdl::api().SDL_JoystickClose)
#define SDL_JoystickDetachVirtual (::plat::sdl::api().SDL_JoystickDetachVirtual)
#define SDL_JoystickEventState (::plat::sdl::api().SDL_JoystickEventState)
#define SDL_JoystickGetAttached (::plat::sdl::api().SDL_JoystickGetAttached)
#define SDL_JoystickGetAxis (::plat::sdl::api().SDL_JoystickGetAxis)
#define SDL_JoystickGetButton (::plat::sdl::api().SDL_JoystickGetButton)
#define SDL_JoystickGetDeviceGUID (::plat::sdl::api().SDL_JoystickGetDeviceGUID)
#define SDL_JoystickGetDeviceInstanceID (::plat::sdl::api().SDL_JoystickGetDeviceInstanceID)
#define SDL_JoystickGetHat (::plat::sdl::api().SDL_JoystickGetHat)
#define SDL_JoystickGetProduct (::plat::sdl::api().SDL_JoystickGetProduct)
#define SDL_JoystickGetVendor (::plat::sdl::api().SDL_JoystickGetVendor)
#define SDL_JoystickHasRumble (::plat::sdl::api().SDL_JoystickHasRumble)
#define SDL_JoystickInstanceID (::plat::sdl::api().SDL_JoystickInstanceID)
#define SDL_JoystickName (::plat::sdl::api().SDL_JoystickName)
#define SDL_JoystickNameForIndex (::plat::sdl::api().SDL_JoystickNameForIndex)
#define SDL_JoystickNumAxes (::plat::sdl::api().SDL_JoystickNumAxes)
#define SDL_JoystickNumButtons (::plat::sdl::api().SDL_JoystickNumButtons)
#define SDL_JoystickNumHats (::plat::sdl::api().SDL_JoystickNumHats)
#define SDL_JoystickOpen (::plat::sdl::api().SDL_JoystickOpen)
#define SDL_JoystickRumble (::plat::sdl::api().SDL_JoystickRumble)
#define SDL_JoystickSetVirtualAxis (::plat::sdl::api().SDL_JoystickSetVirtualAxis)
#define SDL_JoystickSetVirtualButton (::plat::sdl::api().SDL_JoystickSetVirtualButton)
#define SDL_JoystickSetVirtualHat (::plat::sdl::api().SDL_JoystickSetVirtualHat)
#define SDL_JoystickUpdate (::plat::sdl::api().SDL_JoystickUpdate)
#define SDL_MapRGB (::plat::sdl::api().SDL_MapRGB)
#define SDL_MinimizeWindow (::plat::sdl::api().SDL_MinimizeWindow)
#define SDL_NumJoysticks (::plat::sdl::api().SDL_NumJoysticks)
#define SDL_OpenAudioDevice (::plat::sdl::api().SDL_OpenAudioDevice)
#define SDL_PauseAudioDevice (::plat::sdl::api().SDL_PauseAudioDevice)
#define SDL_PollEvent (::plat::sdl::api().SDL_PollEvent)
#define SDL_QuitSubSystem (::plat::sdl::api().SDL_QuitSubSystem)
#define SDL_RestoreWindow (::plat::sdl::api().SDL_RestoreWindow)
#define SDL_SetClipboardText (::plat::sdl::api().SDL_SetClipboardText)
#define SDL_SetHint (::plat::sdl::api().SDL_SetHint)
#define SDL_SetWindowBordered (::plat::sdl::api().SDL_SetWindowBordered)
#define SDL_SetWindowData (::plat::sdl::api().SDL_SetWindowData)
#define SDL_SetWindowFullscreen (::plat::sdl::api().SDL_SetWindowFullscreen)
#define SDL_SetWindowMouseRect (::plat::sdl::api().SDL_SetWindowMouseRect)
#define SDL_SetWindowPosition (::plat::sdl::api().SDL_SetWindowPosition)
#define SDL_SetWindowResizable (::plat::sdl::api().SDL_SetWindowResizable)
#define SDL_SetWindowSize (::plat::sdl::api().SDL_SetWindowSize)
#define SDL_SetWindowTitle (::plat::sdl::api().SDL_SetWindowTitle)
#define SDL_ShowCursor (::plat::sdl::api().SDL_ShowCursor)
#define SDL_ShowWindow (::plat::sdl::api().SDL_ShowWindow)
#define SDL_UpdateWindowSurface (::plat::sdl::api().SDL_UpdateWindowSurface)
#define SDL_UpperBlitScaled (::plat::sdl::api().SDL_UpperBlitScaled)
#define SDL_free (::plat::sdl::api().SDL_free)
#endif
