#pragma once
// Makes every class the program's layouts name known to the layout reader:
// the host's standard controls, the skinned controls, the UDP components,
// the media player, the image list, and the properties through which a
// layout names an embedded picture file instead of carrying its bytes:
//
//   Picture.Resource = 'placeholder_wide.jpg'   (TImage)
//   Glyph.Resource = 'glyph_call.bmp'           (TSkButton)
//   Bitmap.Resource = 'chat_icon.bmp'           (TImageList: a strip of
//       Width-wide pictures, BkColor see-through)
//
// The picture's class follows its file extension. A name that is not
// embedded raises ELayoutError "picture 'x' is not embedded".
// Idempotent; the main window runs it before reading its layout.
void RegisterProgramLayoutClasses();
