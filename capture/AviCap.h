#pragma once
// The capture-window operations: each is one synchronous message to the
// window. Sizes and indexes travel as 16-bit values in wParam.
#include <cstdint>

#include "platform/videodriver/CaptureApi.h"

inline LRESULT CapSend(HWND Window, UINT Message, WPARAM wParam, LPARAM lParam) {
  return SendMessageA(Window, Message, wParam, lParam);
}
inline WPARAM Cap16(std::uint32_t Value) { return WPARAM(Value & 0xFFFF); }

inline bool capSetCallbackOnStatus(HWND Window, CAPSTATUSCALLBACK Callback) {
  return CapSend(Window, WM_CAP_SET_CALLBACK_STATUSA, 0, reinterpret_cast<LPARAM>(Callback)) != 0;
}
inline bool capSetCallbackOnFrame(HWND Window, CAPVIDEOCALLBACK Callback) {
  return CapSend(Window, WM_CAP_SET_CALLBACK_FRAME, 0, reinterpret_cast<LPARAM>(Callback)) != 0;
}
inline bool capDriverConnect(HWND Window, int Index) {
  return CapSend(Window, WM_CAP_DRIVER_CONNECT, Cap16(std::uint32_t(Index)), 0) != 0;
}
inline bool capDriverDisconnect(HWND Window) {
  return CapSend(Window, WM_CAP_DRIVER_DISCONNECT, 0, 0) != 0;
}
inline bool capDriverGetCaps(HWND Window, CAPDRIVERCAPS* Caps, std::uint32_t Size) {
  return CapSend(Window, WM_CAP_DRIVER_GET_CAPS, Cap16(Size), reinterpret_cast<LPARAM>(Caps)) != 0;
}
inline bool capDlgVideoFormat(HWND Window) {
  return CapSend(Window, WM_CAP_DLG_VIDEOFORMAT, 0, 0) != 0;
}
inline bool capDlgVideoSource(HWND Window) {
  return CapSend(Window, WM_CAP_DLG_VIDEOSOURCE, 0, 0) != 0;
}
inline LRESULT capGetVideoFormat(HWND Window, void* Buffer, std::uint32_t Size) {
  return CapSend(Window, WM_CAP_GET_VIDEOFORMAT, Cap16(Size), reinterpret_cast<LPARAM>(Buffer));
}
inline std::uint32_t capGetVideoFormatSize(HWND Window) {
  return std::uint32_t(CapSend(Window, WM_CAP_GET_VIDEOFORMAT, 0, 0));
}
inline bool capSetVideoFormat(HWND Window, const void* Format, std::uint32_t Size) {
  return CapSend(Window, WM_CAP_SET_VIDEOFORMAT, Cap16(Size),
                 reinterpret_cast<LPARAM>(Format)) != 0;
}
inline bool capPreview(HWND Window, bool On) {
  return CapSend(Window, WM_CAP_SET_PREVIEW, On ? 1 : 0, 0) != 0;
}
inline bool capOverlay(HWND Window, bool On) {
  return CapSend(Window, WM_CAP_SET_OVERLAY, On ? 1 : 0, 0) != 0;
}
inline bool capPreviewRate(HWND Window, int Milliseconds) {
  return CapSend(Window, WM_CAP_SET_PREVIEWRATE, Cap16(std::uint32_t(Milliseconds)), 0) != 0;
}
inline bool capPreviewScale(HWND Window, bool On) {
  return CapSend(Window, WM_CAP_SET_SCALE, On ? 1 : 0, 0) != 0;
}
inline bool capCaptureSetSetup(HWND Window, const CAPTUREPARMS* Parms, std::uint32_t Size) {
  return CapSend(Window, WM_CAP_SET_SEQUENCE_SETUP, Cap16(Size),
                 reinterpret_cast<LPARAM>(Parms)) != 0;
}
inline bool capCaptureGetSetup(HWND Window, CAPTUREPARMS* Parms, std::uint32_t Size) {
  return CapSend(Window, WM_CAP_GET_SEQUENCE_SETUP, Cap16(Size),
                 reinterpret_cast<LPARAM>(Parms)) != 0;
}
inline bool capCaptureAbort(HWND Window) { return CapSend(Window, WM_CAP_ABORT, 0, 0) != 0; }
