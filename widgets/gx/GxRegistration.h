#pragma once
// Makes the imaging and animation widgets known to the layout reader: the
// threaded timer, the GIF animator with its picture (read through
// "Image.Data"), and the icon list. Call once at start-up, after the host's
// own controls are registered and before the first layout is read.
// Idempotent.
void RegisterGxLayout();
