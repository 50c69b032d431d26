#pragma once
// Makes the standard controls, the timer and the file-open dialog known to
// the layout reader, with the properties and events layouts give them.
// Idempotent; a program calls it at start-up, before its first layout is read.
//
// Binary properties:
//   Picture.Data (TImage)    the picture's layout form: the graphic's class
//                            name as a short string (one length byte, then
//                            the name: "TJPEGImage", "TBitmap"), then that
//                            class's own data: a 32-bit little-endian length
//                            and the JPEG or BMP file. A zero length byte
//                            means no picture.
//   Glyph.Data (TSpeedButton) the bitmap's layout form: a 32-bit
//                            little-endian length and the BMP file.
//   Items.Strings (TListBox) a string; each line (CR LF, CR or LF ended) is
//                            one item.
void RegisterStdLayoutClasses();
