#pragma once
// PNG images to GDI bitmaps through the Windows Imaging Component.
#include <windows.h>
#include <objidl.h>
#include <wincodec.h>

// The single frame of the PNG held by stream, converted to 32-bit premultiplied BGRA;
// a reference for the caller, or NULL when the stream holds no PNG of exactly one frame.
IWICBitmapSource* DecodePngStream(IStream* stream);

// A top-down 32-bit DIB section holding every pixel of source (alpha in the fourth byte),
// owned by the caller; NULL when the source is empty or cannot be copied.
HBITMAP CreateDibFromBitmapSource(IWICBitmapSource* source);
