#pragma once
// Makes the imaging and animation widgets known to the layout reader: the
// threaded timer, the GIF animator with its picture (read through
// "Image.Data"), and the icon list. Call once at start-up, after the host's
// own controls are registered and before the first layout is read.
// Idempotent.
void RegisterGxLayout();

// What the program registers once at start (a second call changes nothing):
// the GIF picture (file extension "gif", clipboard format "GIF Image", its
// layout classes), the icon clipboard format "Pomvex Icon", and the hand and
// drag cursors in the screen's cursor table. The application object must exist.
void RegisterGxGraphics();
// At program end: the picture container forgets the GIF picture.
void UnregisterGxGraphics();
